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

// The program's own settings, beside the store and never read by the generator.
const Text& SettingsFile();      // wordloom.ini
const Text& BatchSection();      // 批量生成
const Text& BatchTemplateKey();  // 模版
const Text& BatchCountKey();     // 篇数
const Text& BatchFolderKey();    // 输出文件夹
const Text& BatchNamesKey();     // 文件名 (编号 or 首行)
const Text& BatchEncodingKey();  // 编码 (GBK or UTF-8)
const Text& BatchNoRepeatKey();  // 不重复句子 (1 or 0)

}  // namespace wordloom::names
