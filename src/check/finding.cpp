#include "check/finding.h"

#include <algorithm>
#include <tuple>

#include "services/encoding.h"

namespace wordloom::check {
namespace {

struct KindInfo {
  FindingKind kind;
  Severity severity;
  const char* name;
  const char* caption;
};

constexpr KindInfo kKinds[] = {
    {FindingKind::kUnsafeName, Severity::kError, "unsafe-name", "库名称不能作目录名"},
    {FindingKind::kMissingFolder, Severity::kError, "missing-folder", "缺少库目录"},
    {FindingKind::kNoTag, Severity::kError, "no-tag", "没有调用标签"},
    {FindingKind::kDuplicateTag, Severity::kError, "duplicate-tag", "调用标签重复"},
    {FindingKind::kNotRegularFile, Severity::kError, "not-regular-file", "不是普通文件"},
    {FindingKind::kOversizedFile, Severity::kError, "oversized-file", "文件过大"},
    {FindingKind::kRunawayExpansion, Severity::kError, "runaway-expansion", "展开失控"},
    {FindingKind::kUnregisteredTag, Severity::kWarning, "unregistered-tag", "未登记的标签"},
    {FindingKind::kEmptyLibrary, Severity::kWarning, "empty-library", "空库"},
    {FindingKind::kTagOverlap, Severity::kWarning, "tag-overlap", "标签相互包含"},
    {FindingKind::kUnusedLibrary, Severity::kWarning, "unused-library", "未被使用的库"},
    {FindingKind::kUnregisteredFolder, Severity::kWarning, "unregistered-folder", "未登记的目录"},
    {FindingKind::kUtf8File, Severity::kWarning, "utf8-file", "UTF-8 文件"},
    {FindingKind::kInvalidGbk, Severity::kWarning, "invalid-gbk", "无效的 GBK 字节"},
    {FindingKind::kTemplateWithoutTags, Severity::kWarning, "template-without-tags",
     "模版中没有标签"},
    {FindingKind::kSynonymUndone, Severity::kWarning, "synonym-undone", "同义词被还原"},
    {FindingKind::kVariety, Severity::kInfo, "variety", "变化程度"},
};

const KindInfo& InfoOf(FindingKind kind) {
  return kKinds[static_cast<std::size_t>(kind)];  // listed in the order of the enum
}

}  // namespace

Severity SeverityOf(FindingKind kind) { return InfoOf(kind).severity; }
const char* KindName(FindingKind kind) { return InfoOf(kind).name; }
const char* KindCaption(FindingKind kind) { return InfoOf(kind).caption; }

const char* SeverityName(Severity severity) {
  switch (severity) {
    case Severity::kError:
      return "error";
    case Severity::kWarning:
      return "warning";
    case Severity::kInfo:
      break;
  }
  return "info";
}

const char* SeverityCaption(Severity severity) {
  switch (severity) {
    case Severity::kError:
      return "错误";
    case Severity::kWarning:
      return "警告";
    case Severity::kInfo:
      break;
  }
  return "信息";
}

std::string Finding::WhereShown() const {
  std::string shown = NameToReadableUtf8(where);
  if (line > 0) shown += ":" + std::to_string(line);
  return shown;
}

void SortFindings(std::vector<Finding>& findings) {
  std::stable_sort(findings.begin(), findings.end(), [](const Finding& a, const Finding& b) {
    return std::forward_as_tuple(a.severity(), a.where, a.line, a.kind) <
           std::forward_as_tuple(b.severity(), b.where, b.line, b.kind);
  });
}

std::string Format(std::string_view pattern, std::initializer_list<std::string_view> args) {
  std::string out;
  auto arg = args.begin();
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '{' && i + 1 < pattern.size() && pattern[i + 1] == '}' && arg != args.end()) {
      out.append(*arg++);
      ++i;
    } else {
      out.push_back(pattern[i]);
    }
  }
  return out;
}

}  // namespace wordloom::check
