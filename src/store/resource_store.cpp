#include "store/resource_store.h"

#include "services/encoding.h"
#include "services/environment.h"
#include "services/file_lock.h"
#include "services/files.h"
#include "services/ini.h"
#include "store/line_rule.h"
#include "store/store_names.h"

namespace wordloom {
namespace {

Text Under(const Text& name) { return GetRunDirectory() + names::Separator() + name; }

}  // namespace

Text ResourceStore::RunDirectory() { return GetRunDirectory(); }

Text ResourceStore::RegistryPath(LibraryKind kind) {
  return Under(kind == LibraryKind::kSentence ? names::SentenceRegistryFile()
                                              : names::KeywordRegistryFile());
}

Text ResourceStore::LibraryParentFolder(LibraryKind kind) {
  return Under(kind == LibraryKind::kSentence ? names::SentenceFolder() : names::KeywordFolder());
}

Text ResourceStore::LibraryFolder(LibraryKind kind, const Text& name) {
  if (!IsValidLibraryName(name)) return Text();
  return LibraryParentFolder(kind) + names::Separator() + name;
}

Text ResourceStore::TemplateFolder() { return Under(names::TemplateFolder()); }

Text ResourceStore::TemplatePath(const Text& fileName) {
  return TemplateFolder() + names::Separator() + fileName;
}

Text ResourceStore::SynonymFolder() { return Under(names::SynonymFolder()); }

TextArray ResourceStore::ListLibraries(LibraryKind kind) {
  return ListIniSections(RegistryPath(kind));
}

Text ResourceStore::ReadTag(LibraryKind kind, const Text& name) {
  return ReadIniValue(RegistryPath(kind), name, names::TagKey());
}

std::vector<LibraryRecord> ResourceStore::ListLibrariesWithTags(LibraryKind kind) {
  std::vector<LibraryRecord> records;
  for (IniSectionValue& entry : ReadIniSectionValues(RegistryPath(kind), names::TagKey())) {
    records.push_back({std::move(entry.section), std::move(entry.value)});
  }
  return records;
}

FileStatus ResourceStore::WriteTag(LibraryKind kind, const Text& name, const Text& tag) {
  return UnderStoreLock(
      [&] { return WriteIniValue(RegistryPath(kind), name, names::TagKey(), tag); });
}

FileStatus ResourceStore::DeleteLibrary(LibraryKind kind, const Text& name) {
  return UnderStoreLock([&] { return WriteIniValue(RegistryPath(kind), name); });
}

Text ResourceStore::LockFilePath() { return Under(names::LockFile()); }

FileStatus ResourceStore::UnderStoreLock(const std::function<FileStatus()>& change) {
  const FileLock lock(LockFilePath());
  return lock.Status() ? change() : lock.Status();
}

Text ResourceStore::ReadFileAsText(const Text& path) { return ToText(ReadFileBytes(path)); }

TextArray ResourceStore::SplitLines(const Text& text) { return wordloom::SplitLines(text); }

bool ResourceStore::IsValidLibraryName(const Text& name) {
  if (name.empty() || name == "." || name == "..") return false;
  // "/" and NUL end a path component wherever they stand: "\x81/" looks like one character
  // but reaches the file system as a byte and a separator.
  if (name.find_first_of(std::string_view("/\0", 2)) != Text::npos) return false;
  // "\" only as a character: it is also the second byte of some (誠 is D5 5C), and those
  // names are fine.
  for (std::size_t i = 0; i < name.size(); i += CharLength(name, i)) {
    if (name[i] == '\\') return false;
  }
  const std::string onDisk = TextToFileSystem(name);
  return onDisk != "." && onDisk != ".." &&
         onDisk.find_first_of(std::string_view("/\0", 2)) == std::string::npos;
}

FileStatus ResourceStore::EnsureLibraryFolder(LibraryKind kind, const Text& name) {
  if (!IsValidLibraryName(name)) return FileStatus::Failed(kRefusedName);
  const Text folder = LibraryFolder(kind, name);
  if (IsDirectory(folder)) return FileStatus::Done();
  MakeDirectory(LibraryParentFolder(kind));  // one level; an existing parent is fine
  const FileStatus made = MakeDirectory(folder);
  return IsDirectory(folder) ? FileStatus::Done() : made;
}

FolderRemoval ResourceStore::DeleteLibraryFolder(LibraryKind kind, const Text& name) {
  if (!IsValidLibraryName(name)) return FolderRemoval::kRefused;
  return RemoveChildFolder(LibraryParentFolder(kind), name);
}

void ResourceStore::SweepTemporaryFiles() {
  wordloom::SweepTemporaryFiles(RunDirectory());
  wordloom::SweepTemporaryFiles(TemplateFolder());
  for (LibraryKind kind : {LibraryKind::kSentence, LibraryKind::kKeyword}) {
    for (const Text& name : ListLibraries(kind)) {
      if (IsValidLibraryName(name)) wordloom::SweepTemporaryFiles(LibraryFolder(kind, name));
    }
  }
}

}  // namespace wordloom
