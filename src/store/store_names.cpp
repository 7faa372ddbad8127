#include "store/store_names.h"

#include "services/encoding.h"

namespace wordloom::names {

#define WORDLOOM_FIXED_TEXT(Function, literal)    \
  const Text& Function() {                        \
    static const Text text = Utf8ToText(literal); \
    return text;                                  \
  }

WORDLOOM_FIXED_TEXT(TagKey, "标签")
WORDLOOM_FIXED_TEXT(SentenceRegistryFile, "juzi.ini")
WORDLOOM_FIXED_TEXT(KeywordRegistryFile, "keyword.ini")
WORDLOOM_FIXED_TEXT(TemplateFolder, "模版")
WORDLOOM_FIXED_TEXT(SentenceFolder, "句子库")
WORDLOOM_FIXED_TEXT(KeywordFolder, "关键词库")
WORDLOOM_FIXED_TEXT(SynonymFolder, "同义词库")
WORDLOOM_FIXED_TEXT(TextFilePattern, "*.txt")
WORDLOOM_FIXED_TEXT(Separator, "/")
WORDLOOM_FIXED_TEXT(LockFile, ".wordloom.lock")
WORDLOOM_FIXED_TEXT(SettingsFile, "wordloom.ini")
WORDLOOM_FIXED_TEXT(BatchSection, "批量生成")
WORDLOOM_FIXED_TEXT(BatchTemplateKey, "模版")
WORDLOOM_FIXED_TEXT(BatchCountKey, "篇数")
WORDLOOM_FIXED_TEXT(BatchFolderKey, "输出文件夹")
WORDLOOM_FIXED_TEXT(BatchNamesKey, "文件名")
WORDLOOM_FIXED_TEXT(BatchEncodingKey, "编码")
WORDLOOM_FIXED_TEXT(BatchNoRepeatKey, "不重复句子")
WORDLOOM_FIXED_TEXT(ImportedFile, "导入.txt")

#undef WORDLOOM_FIXED_TEXT

}  // namespace wordloom::names
