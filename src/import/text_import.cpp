#include "import/text_import.h"

#include <cerrno>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "import/source_encoding.h"
#include "services/encoding.h"
#include "store/line_rule.h"
#include "store/store_names.h"
#include "util/file_listing.h"

namespace wordloom::import {
namespace {

// Enough for any real folder; beyond it the name counts as taken for good.
constexpr int kMaxNameTries = 10000;

bool IsSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDFFF; }
bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

bool HasSurrogate(std::u16string_view line) {
  for (char16_t c : line) {
    if (IsSurrogate(c)) return true;
  }
  return false;
}

// The line in GBK; the characters GBK cannot hold are left out and noted in `line`.
Text MapLine(std::u16string_view text, UnmappableLine& line) {
  // Escapes (U+DC80..U+DCFF) would encode back to raw bytes: no character of a source may
  // pass as one, so surrogates take the slow road.
  if (!HasSurrogate(text)) {
    GbkEncoding whole = EncodeGbk(text);
    if (whole.ok) return std::move(whole.bytes);
  }
  Text gbk;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool pair =
        IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1]);
    const std::u16string_view character = text.substr(i, pair ? 2 : 1);
    const GbkEncoding one = EncodeGbk(character);
    if (one.ok && !IsSurrogate(text[i])) {
      gbk += one.bytes;
    } else {
      ++line.occurrences;
      if (line.characters.find(character) == std::u16string::npos) line.characters += character;
    }
    if (pair) ++i;
  }
  return gbk;
}

Text NumberedName(const Text& firstName, int n) {
  if (n == 1) return firstName;
  const std::size_t dot = firstName.size() - 4;  // firstName ends with ".txt"
  return firstName.substr(0, dot) + " (" + std::to_string(n) + ")" + firstName.substr(dot);
}

}  // namespace

ImportSource ReadImportSource(const Text& path) {
  FileContent file = ReadFile(path);
  if (!file.status) {
    ImportSource source;
    source.path = path;
    source.status = file.status;
    source.problem = SourceProblem::kUnreadable;
    return source;
  }
  return PrepareImportSource(path, file.bytes);
}

ImportSource PrepareImportSource(const Text& path, const ByteArray& bytes) {
  ImportSource source;
  source.path = path;
  const SourceEncoding encoding = DetectEncoding(bytes);
  source.encoding = encoding.name;
  source.byteOrderMark = encoding.bomBytes > 0;
  if (encoding.name.empty()) {
    source.problem = SourceProblem::kUnrecognised;
    return source;
  }
  const DecodedSource decoded = DecodeSource(bytes, encoding);
  if (!decoded.known) {
    source.problem = SourceProblem::kUnknownEncoding;
    return source;
  }
  // The store takes a file's text up to its first NUL: one would cut off every later line.
  if (decoded.text.find(u'\0') != std::u16string::npos) {
    source.problem = SourceProblem::kNotText;
    return source;
  }
  source.undecodableBytes = decoded.undecodableBytes;

  const std::u16string& text = decoded.text;
  std::size_t number = 0;
  for (std::size_t begin = 0; begin <= text.size();) {
    std::size_t end = text.find_first_of(u"\r\n", begin);
    if (end == std::u16string::npos) end = text.size();
    // A final line break ends the last line; it opens no further one.
    if (end == text.size() && begin == end) break;
    ++number;
    const std::u16string_view line(text.data() + begin, end - begin);
    if (line.empty()) {
      ++source.emptyLines;
    } else {
      UnmappableLine noted;
      Text gbk = MapLine(line, noted);
      if (noted.occurrences > 0) {
        noted.index = source.lines.size();
        noted.sourceLine = number;
        noted.text = std::u16string(line);
        source.unmappable.push_back(std::move(noted));
      }
      source.lines.push_back(std::move(gbk));
    }
    if (end == text.size()) break;
    begin = end + (text[end] == u'\r' && end + 1 < text.size() && text[end + 1] == u'\n' ? 2 : 1);
  }
  return source;
}

std::string DescribeSourceProblem(const ImportSource& source) {
  switch (source.problem) {
    case SourceProblem::kNone:
      return {};
    case SourceProblem::kUnreadable:
      return "cannot be read: " + DescribeFileError(source.status.error);
    case SourceProblem::kUnrecognised:
      return "its encoding is not recognised";
    case SourceProblem::kUnknownEncoding:
      return "encoding " + source.encoding + " cannot be converted (iconv does not know it)";
    case SourceProblem::kNotText:
      return "not a text file (it holds NUL characters)";
  }
  return {};
}

Text ImportFileName(const Text& sourcePath) {
  // "/" and "." lie below 0x40: never the second byte of a character.
  const std::size_t slash = sourcePath.find_last_of('/');
  const Text base = slash == Text::npos ? sourcePath : sourcePath.substr(slash + 1);
  const std::size_t dot = base.find_last_of('.');
  const Text stem = dot == Text::npos || dot == 0 ? base : base.substr(0, dot);
  const Text name = stem + ".txt";
  // A name with a "\" and the like cannot be a file of the library: a plain one instead.
  if (stem.empty() || !ResourceStore::IsValidLibraryName(name)) return names::ImportedFile();
  return name;
}

ImportOutcome ImportIntoLibrary(LibraryKind kind, const Text& library, const ImportSource& source,
                                const ImportOptions& options) {
  ImportOutcome out;
  if (!ResourceStore::IsValidLibraryName(library)) {
    out.status = FileStatus::Failed(kRefusedName);
    return out;
  }
  const Text folder = ResourceStore::LibraryFolder(kind, library);
  const Text firstName = ImportFileName(source.path);
  out.status = ResourceStore::UnderStoreLock([&] {
    if (const FileStatus made = ResourceStore::EnsureLibraryFolder(kind, library); !made) {
      return made;
    }
    // The library's lines as the generator reads them: each file's text up to its first
    // NUL, cut by the line rule. A file that cannot be read holds no line it could draw.
    TextArray present;
    if (options.dropDuplicates) {
      TextArray paths;
      EnumerateFiles(folder, names::TextFilePattern(), paths, true, false);
      for (const Text& path : paths) {
        if (FileContent file = ReadFile(path); file.status) present.push_back(ToText(file.bytes));
      }
    }
    std::vector<std::string_view> presentLines;
    for (const Text& text : present) {
      ForEachLineSpan(text, EmptyLastLine::kNoLine, [&](std::size_t begin, std::size_t end) {
        presentLines.push_back(std::string_view(text).substr(begin, end - begin));
      });
    }
    // Sized once: growing a set of millions of lines step by step costs more than the rest.
    std::unordered_set<std::string_view> seen;
    if (options.dropDuplicates) seen.reserve(presentLines.size() + source.lines.size());
    seen.insert(presentLines.begin(), presentLines.end());

    std::string content;
    auto unmappable = source.unmappable.begin();
    for (std::size_t i = 0; i < source.lines.size(); ++i) {
      const Text& line = source.lines[i];
      if (unmappable != source.unmappable.end() && unmappable->index == i) {
        const std::size_t dropped = unmappable->occurrences;
        ++unmappable;
        if (options.unmappable == UnmappablePolicy::kSkipLines || line.empty()) {
          ++out.unmappableSkipped;
          continue;
        }
        out.charactersDropped += dropped;
      }
      if (options.dropDuplicates && !seen.insert(line).second) {
        ++out.duplicates;
        continue;
      }
      content.append(line).append("\r\n");
      ++out.imported;
    }
    if (out.imported == 0) return FileStatus::Done();

    for (int n = 1; n <= kMaxNameTries; ++n) {
      const Text name = NumberedName(firstName, n);
      const Text path = folder + names::Separator() + name;
      if (PathExists(path)) continue;
      const FileStatus written = WriteNewFileBytes(path, content);
      if (written.error == EEXIST) continue;  // taken meanwhile by another program
      if (written) out.fileName = name;
      return written;
    }
    return FileStatus::Failed(EEXIST);
  });
  if (!out.status) {
    out.fileName.clear();
    out.imported = 0;
  }
  return out;
}

std::string GbkToUtf8(const Text& text, std::size_t& replacedBytes) {
  std::u16string unicode = DecodeGbk(text);
  for (char16_t& c : unicode) {
    if (c >= 0xDC80 && c <= 0xDCFF) {
      c = 0xFFFD;
      ++replacedBytes;
    }
  }
  return Utf16ToReadableUtf8(unicode);
}

ExportOutcome ExportLibrary(LibraryKind kind, const Text& library, const Text& outPath) {
  ExportOutcome out;
  if (!ResourceStore::IsValidLibraryName(library)) {
    out.status = FileStatus::Failed(kRefusedName);
    return out;
  }
  const Text folder = ResourceStore::LibraryFolder(kind, library);
  if (PathExists(outPath)) {
    out.status = FileStatus::Failed(EEXIST);
    out.failedPath = outPath;
    return out;
  }
  if (KindOfPath(folder) != PathKind::kFolder) {
    out.status = FileStatus::Failed(ENOENT);
    out.failedPath = folder;
    return out;
  }
  // In the order the windows list the files.
  TextArray names;
  EnumerateFiles(folder, names::TextFilePattern(), names, false, true);
  std::string utf8;
  for (const Text& name : names) {
    const Text path = folder + names::Separator() + name;
    const FileContent file = ReadFile(path);
    if (!file.status) {
      out.status = file.status;
      out.failedPath = path;
      return out;
    }
    const Text text = ToText(file.bytes);
    ForEachLineSpan(text, EmptyLastLine::kNoLine, [&](std::size_t begin, std::size_t end) {
      utf8 += GbkToUtf8(text.substr(begin, end - begin), out.replacedBytes);
      utf8 += '\n';
      ++out.lines;
    });
    ++out.files;
  }
  out.status = WriteNewFileBytes(outPath, utf8);
  if (!out.status) out.failedPath = outPath;
  return out;
}

LibraryCheckResult PrepareLibrary(LibraryKind kind, const Text& library,
                                  const std::optional<Text>& tag) {
  LibraryCheckResult result;
  if (!ResourceStore::IsValidLibraryName(library)) {
    result.check = LibraryCheck::kUnsafeName;
    return result;
  }
  result.status = ResourceStore::UnderStoreLock([&] {
    for (const LibraryRecord& record : ResourceStore::ListLibrariesWithTags(kind)) {
      if (record.name != library) continue;
      if (tag && record.tag != *tag) {
        result.check = LibraryCheck::kTagDiffers;
        result.registeredTag = record.tag;
        return FileStatus::Done();
      }
      result.check = LibraryCheck::kReady;
      return ResourceStore::EnsureLibraryFolder(kind, library);
    }
    if (!tag) {
      result.check = LibraryCheck::kNotRegistered;
      return FileStatus::Done();
    }
    // A tag both registries share would be replaced by the sentence pass before the keyword
    // pass sees it: each tag names one library of either kind.
    for (LibraryKind other : {LibraryKind::kSentence, LibraryKind::kKeyword}) {
      for (const LibraryRecord& record : ResourceStore::ListLibrariesWithTags(other)) {
        if (record.tag == *tag) {
          result.check = LibraryCheck::kTagTaken;
          result.otherLibrary = record.name;
          return FileStatus::Done();
        }
      }
    }
    result.check = LibraryCheck::kCreated;
    if (const FileStatus written = ResourceStore::WriteTag(kind, library, *tag); !written) {
      return written;
    }
    return ResourceStore::EnsureLibraryFolder(kind, library);
  });
  if (!result.status) result.check = LibraryCheck::kFailed;
  return result;
}

}  // namespace wordloom::import
