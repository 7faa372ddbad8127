// What the library window tests need to know of each kind.
#pragma once

#include <QString>

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "store/resource_store.h"

namespace wordloom::testing {

struct KindCase {
  LibraryKind kind;
  const char* registry;
  const char* parent;
  const char* word;  // the kind's word in the windows' texts
  const char* nameBox;
  const char* tagBox;
  LibraryKind Other() const {
    return kind == LibraryKind::kSentence ? LibraryKind::kKeyword : LibraryKind::kSentence;
  }
  // A text of the design with "%1" standing for the kind's word.
  QString Say(const char* pattern) const {
    return QString::fromUtf8(pattern).arg(QString::fromUtf8(word));
  }
  // A path under the run directory of the library's folder (and below).
  std::string Lib(const std::string& below) const { return std::string(parent) + "/" + below; }
};

inline const KindCase kSentenceCase{LibraryKind::kSentence, "juzi.ini",         "句子库", "句子",
                                    "编辑框_句子库名称",    "编辑框_句子库标签"};
inline const KindCase kKeywordCase{
    LibraryKind::kKeyword, "keyword.ini",        "关键词库", "关键词",
    "编辑框_关键词库名称", "编辑框_关键词库标签"};

inline void PrintTo(const KindCase& c, std::ostream* os) { *os << c.registry; }
inline std::string KindName(const ::testing::TestParamInfo<KindCase>& info) {
  return info.param.kind == LibraryKind::kSentence ? "Sentence" : "Keyword";
}

}  // namespace wordloom::testing
