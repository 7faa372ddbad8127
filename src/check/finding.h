// What the store check reports: one finding per problem, under its most specific kind, at
// the place where it stands, and what a window needs to open where it is fixed.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "services/text.h"
#include "store/resource_store.h"

namespace wordloom::check {

enum class FindingKind {
  // errors
  kUnsafeName,
  kMissingFolder,
  kNoTag,
  kDuplicateTag,
  kNotRegularFile,
  kOversizedFile,
  kRunawayExpansion,
  // warnings
  kUnregisteredTag,
  kEmptyLibrary,
  kTagOverlap,
  kUnusedLibrary,
  kUnregisteredFolder,
  kUtf8File,
  kInvalidGbk,
  kTemplateWithoutTags,
  kSynonymUndone,
  // information, not counted
  kVariety,
};

enum class Severity { kError, kWarning, kInfo };

Severity SeverityOf(FindingKind kind);
// The kind's name in reports ("unsafe-name"); the same in every language.
const char* KindName(FindingKind kind);
// The kind as the window shows it, in Chinese (UTF-8).
const char* KindCaption(FindingKind kind);
const char* SeverityName(Severity severity);     // "error", "warning", "info"
const char* SeverityCaption(Severity severity);  // 错误, 警告, 信息

// What a finding is about, beyond its path: the window that fixes it is chosen from this.
enum class Subject {
  kNone,
  kRegistry,     // a registry file as a whole
  kLibrary,      // a library (or a folder that could be one): `kind`, `library`
  kLibraryFile,  // a file of a library: `kind`, `library`, `file`
  kTemplate,     // a template: `file`
  kSynonymFile,  // a synonym file: `file`
};

struct Finding {
  FindingKind kind = FindingKind::kVariety;
  Text where;            // the path relative to the run directory (a text, "/" separated)
  std::size_t line = 0;  // 1-based; 0 where no line applies
  std::string detail;    // English, UTF-8
  std::string detailChinese;

  Subject subject = Subject::kNone;
  LibraryKind libraryKind = LibraryKind::kSentence;
  Text library;  // library name
  Text file;     // bare file name (a template's with its ".txt")

  Severity severity() const { return SeverityOf(kind); }
  // "path" or "path:line", UTF-8 with U+FFFD for bytes that do not decode.
  std::string WhereShown() const;
};

// Errors first, then warnings, then the information lines; within each by place, line and
// kind, so a report reads the same on every file system.
void SortFindings(std::vector<Finding>& findings);

// Fills "{}" in a UTF-8 pattern with the arguments, in order.
std::string Format(std::string_view pattern, std::initializer_list<std::string_view> args);

}  // namespace wordloom::check
