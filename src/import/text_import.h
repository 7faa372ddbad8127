// Filling a library from text files made elsewhere, and writing a library out as one text
// file. Core code: no Qt, no messages; the caller words the outcome for its user.
//
// How a window imports (each step may run on a worker thread: they only touch files):
//
//   ImportSource source = ReadImportSource(path);        // one per picked file, no lock
//   if (!source.ok()) -> tell the user: DescribeSourceProblem(source) says why in English;
//                        source.problem / source.status / source.encoding for your words.
//   source.encoding names what was recognised ("UTF-8", "GBK", "UTF-16LE", ...).
//   if (!source.unmappable.empty()) -> list them (sourceLine, text, characters; the texts
//                        are Unicode: QString::fromStdU16String) and ask: skip those lines,
//                        or drop those characters.
//   ImportOptions options{.dropDuplicates = ..., .unmappable = UnmappablePolicy::k...};
//   ImportOutcome done = ImportIntoLibrary(kind, libraryName, source, options);
//   if (!done.status) -> the write failed (ui::FileErrorReason(done.status.error)); the
//                        library is as it was. Else done.fileName is the new file (a name
//                        text: ui::DisplayName; empty when no line was left to write, and
//                        then no file is made), done.imported, done.duplicates,
//                        done.unmappableSkipped, done.charactersDropped.
//
// How a window exports:
//
//   ExportOutcome out = ExportLibrary(kind, libraryName, outPath);
//   out.status: EEXIST when outPath is taken (never overwritten); another failure names
//   out.failedPath (a library file that could not be read, or outPath). out.lines,
//   out.files and out.replacedBytes (bytes that do not decode, written as U+FFFD) for the
//   summary.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "services/files.h"
#include "services/text.h"
#include "store/resource_store.h"

namespace wordloom::import {

// Why a source file cannot be imported.
enum class SourceProblem {
  kNone,
  kUnreadable,       // status says why (missing, a pipe or device, too large, ...)
  kUnrecognised,     // no encoding could be recognised
  kUnknownEncoding,  // recognised as `encoding`, which iconv does not know
  kNotText,          // holds NUL characters: a binary file, or UTF-16/32 without a mark
};

// A line of the source that holds characters GBK cannot hold.
struct UnmappableLine {
  std::size_t index = 0;        // 0-based into ImportSource::lines
  std::size_t sourceLine = 0;   // 1-based line number in the file (empty lines counted)
  std::u16string text;          // the whole line as the file has it
  std::u16string characters;    // each such character once, in order of appearance
  std::size_t occurrences = 0;  // how many characters of the line GBK cannot hold
};

struct ImportSource {
  Text path;
  SourceProblem problem = SourceProblem::kNone;
  FileStatus status;     // the read of the file
  std::string encoding;  // the encoding recognised (also when it is refused)
  bool byteOrderMark = false;
  std::size_t undecodableBytes = 0;  // pieces not of the encoding, taken as U+FFFD
  std::size_t emptyLines = 0;        // dropped
  // Every non-empty line in GBK, in file order, with the characters GBK cannot hold left out.
  std::vector<Text> lines;
  std::vector<UnmappableLine> unmappable;  // the lines among them that hold such characters

  bool ok() const { return problem == SourceProblem::kNone; }
};

// Reads, recognises, decodes and cuts one file into lines (at CR LF, LF or CR alike). Only
// regular files are read, up to the read limit (services/files.h).
ImportSource ReadImportSource(const Text& path);
// The same for bytes in hand; `path` only names them.
ImportSource PrepareImportSource(const Text& path, const ByteArray& bytes);

// Why the source cannot be imported, in English, naming the encoding where one was found.
std::string DescribeSourceProblem(const ImportSource& source);

enum class UnmappablePolicy {
  kSkipLines,       // a line holding a character GBK cannot hold is not imported
  kDropCharacters,  // the line is imported without those characters
};

struct ImportOptions {
  bool dropDuplicates = false;  // within the file and against the library's present lines
  UnmappablePolicy unmappable = UnmappablePolicy::kSkipLines;
};

struct ImportOutcome {
  FileStatus status;
  Text fileName;  // the new file's name in the library folder; empty when none was written
  std::size_t imported = 0;
  std::size_t duplicates = 0;
  // Lines not imported for characters GBK cannot hold (with kDropCharacters: lines that held
  // nothing else).
  std::size_t unmappableSkipped = 0;
  std::size_t charactersDropped = 0;  // with kDropCharacters
};

// Writes the source's lines as a new file of the library, named after the source file
// (" (2)", " (3)", ... before ".txt" when the name is taken; nothing is ever overwritten),
// whole or not at all, under the store lock; the library folder is made when missing. Lines
// end with CR LF. kRefusedName for a library name that names no folder.
ImportOutcome ImportIntoLibrary(LibraryKind kind, const Text& library, const ImportSource& source,
                                const ImportOptions& options);

// The file name an import of `sourcePath` asks for first: its name with ".txt" in place of
// its extension.
Text ImportFileName(const Text& sourcePath);

struct ExportOutcome {
  FileStatus status;
  Text failedPath;  // what could not be read or written, when status says so
  std::size_t files = 0;
  std::size_t lines = 0;
  std::size_t replacedBytes = 0;  // GBK bytes that do not decode, written as U+FFFD
};

// Writes every line of every file of the library (the files in listing order, the lines as
// the generator reads them) into a new UTF-8 file without a byte order mark, each line
// followed by LF. Nothing is written when a library file cannot be read; an existing
// `outPath` is never overwritten (EEXIST).
ExportOutcome ExportLibrary(LibraryKind kind, const Text& library, const Text& outPath);

// The same conversion for one text: GBK to UTF-8, undecodable bytes as U+FFFD, counted.
std::string GbkToUtf8(const Text& text, std::size_t& replacedBytes);

// Registering the library the command line names, when it has to be made.
enum class LibraryCheck {
  kReady,          // registered (under that tag, when one was given) and its folder is there
  kCreated,        // registered now with the tag, and its folder made
  kUnsafeName,     // the name names no folder
  kNotRegistered,  // not registered, and no tag to register it with
  kTagTaken,       // the tag belongs to another library (of either kind)
  kTagDiffers,     // registered under another tag
  kFailed,         // the registry or folder could not be written: status says why
};
struct LibraryCheckResult {
  LibraryCheck check = LibraryCheck::kReady;
  FileStatus status;
  Text registeredTag;  // with kTagDiffers: the tag it has
  Text otherLibrary;   // with kTagTaken: who has the tag
};
// Checks the library and, when it is not registered and a tag is given, registers it and
// makes its folder, all under the store lock. Nothing is written unless kCreated (or
// kReady for a registered library whose folder had to be made).
LibraryCheckResult PrepareLibrary(LibraryKind kind, const Text& library,
                                  const std::optional<Text>& tag);

}  // namespace wordloom::import
