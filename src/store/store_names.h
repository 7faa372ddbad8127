// The fixed texts of the resource store: file and folder names and the registry key.
// Written once as UTF-8 here and turned into GBK texts on first use.
#pragma once

#include "services/text.h"

namespace wordloom::names {

const Text& TagKey();                // 标签
const Text& SentenceRegistryFile();  // juzi.ini
const Text& KeywordRegistryFile();   // keyword.ini
const Text& TemplateFolder();        // 模版
const Text& SentenceFolder();        // 句子库
const Text& KeywordFolder();         // 关键词库
const Text& SynonymFolder();         // 同义词库
const Text& TextFilePattern();       // *.txt
const Text& Separator();             // /
const Text& LockFile();              // .wordloom.lock (never "*.txt", never swept)
const Text& ImportedFile();          // 导入.txt (an import whose source name cannot serve)

}  // namespace wordloom::names
