// The resource store: the layout of the folders and files under the run directory, the two
// library registries, reading files as text and cutting text into lines.
#pragma once

#include <functional>
#include <vector>

#include "services/files.h"
#include "services/text.h"

namespace wordloom {

enum class LibraryKind { kSentence, kKeyword };

// One registered library: its name and its call tag.
struct LibraryRecord {
  Text name;
  Text tag;
};

class ResourceStore {
 public:
  static Text RunDirectory();
  static Text RegistryPath(LibraryKind kind);
  static Text LibraryParentFolder(LibraryKind kind);
  // The library's folder; empty for a name that fails IsValidLibraryName, which therefore
  // has no folder and no files, wherever its name came from.
  static Text LibraryFolder(LibraryKind kind, const Text& name);
  static Text TemplateFolder();
  static Text TemplatePath(const Text& fileName);
  static Text SynonymFolder();

  // Registry operations; every read goes to the file, nothing is kept in memory.
  static TextArray ListLibraries(LibraryKind kind);
  static Text ReadTag(LibraryKind kind, const Text& name);
  // The libraries in registry order with their tags, from one reading of the registry.
  static std::vector<LibraryRecord> ListLibrariesWithTags(LibraryKind kind);
  // Both hold the store lock while they read and rewrite the registry.
  static FileStatus WriteTag(LibraryKind kind, const Text& name, const Text& tag);
  static FileStatus DeleteLibrary(LibraryKind kind, const Text& name);

  // The file's bytes up to the first NUL byte; empty on any failure.
  static Text ReadFileAsText(const Text& path);

  // Runs `change` (a read-modify-write of store files) while holding the store lock: one
  // lock file in the run directory, shared by every running copy of the program, so no
  // two changes interleave. Reads take no lock. The lock's failure when it cannot be had.
  static FileStatus UnderStoreLock(const std::function<FileStatus()>& change);
  static Text LockFilePath();
  // The lines of a file's text by the line rule (store/line_rule.h).
  static TextArray SplitLines(const Text& text);

  // A name can name a library only if it names exactly one folder inside its parent
  // folder, as the file system sees the name: not empty, not "." or "..", no "/" or NUL
  // byte anywhere (also where one would look like the second byte of a character), and no
  // "\" character. Every path made from a registered name goes through this check.
  static bool IsValidLibraryName(const Text& name);

  // Creates the kind's parent folder (one level) and the library folder when missing.
  // Done when the library folder exists afterwards; kRefusedName for a name that fails the
  // check, EEXIST when something else stands in its place.
  static FileStatus EnsureLibraryFolder(LibraryKind kind, const Text& name);

  // Deletes the library's folder with everything in it. Only a real folder directly inside
  // the kind's parent folder is touched, and no symbolic link is ever followed.
  static FolderRemoval DeleteLibraryFolder(LibraryKind kind, const Text& name);

  // Removes temporary files that interrupted writes left anywhere the program writes.
  static void SweepTemporaryFiles();
};

}  // namespace wordloom
