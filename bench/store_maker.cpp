#include "store_maker.h"

#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <stdexcept>
#include <vector>

#include "services/encoding.h"

namespace wordloom::bench {
namespace {

namespace fs = std::filesystem;

constexpr const char* kStoreEntries[] = {"juzi.ini", "keyword.ini", "模版",
                                         "句子库",   "关键词库",    "同义词库"};
constexpr char kSentenceLibrary[] = "基准句子";
constexpr char kKeywordLibrary[] = "基准关键词";
constexpr std::size_t kVocabulary = 3000;  // two-character words the texts are made of
constexpr std::size_t kSentenceBytes = 60;
constexpr std::size_t kTemplateBytes = 2048;

// GBK two-byte characters from the GB2312 hanzi rows, which every GBK table decodes.
class TextMaker {
 public:
  explicit TextMaker(std::uint32_t seed) : rng_(seed) {
    vocabulary_.reserve(kVocabulary);
    for (std::size_t i = 0; i < kVocabulary; ++i) vocabulary_.push_back(Chars(2));
  }

  std::string Chars(std::size_t n) {
    std::uniform_int_distribution<int> lead(0xB0, 0xD6);
    std::uniform_int_distribution<int> trail(0xA1, 0xFE);
    std::string s;
    for (std::size_t i = 0; i < n; ++i) {
      s.push_back(static_cast<char>(lead(rng_)));
      s.push_back(static_cast<char>(trail(rng_)));
    }
    return s;
  }

  std::size_t Below(std::size_t n) {
    return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng_);
  }

  std::size_t WordIndex() { return Below(vocabulary_.size()); }
  const std::string& Word(std::size_t i) const { return vocabulary_[i]; }

  // Words up to about 60 bytes with a comma inside and a full stop at the end.
  std::string Sentence(std::vector<bool>& used) {
    std::string s;
    while (s.size() + 2 < kSentenceBytes - 2) {
      const std::size_t w = WordIndex();
      used[w] = true;
      s += vocabulary_[w];
      if (s.size() >= 24 && s.size() < 28) s += "\xA3\xAC";  // ，
    }
    return s + "\xA1\xA3";  // 。
  }

 private:
  std::mt19937 rng_;
  std::vector<std::string> vocabulary_;
};

void WriteBytes(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::string Registry(const char* library, const char* tag) {
  return Utf8ToText(std::string("[") + library + "]\r\n标签=" + tag + "\r\n");
}

std::string LibraryName(bool sentences, std::size_t i) {
  char number[16];
  std::snprintf(number, sizeof number, "%04zu", i + 1);
  return (sentences ? "句子" : "关键词") + std::string(number);
}

// About 2 KB: paragraphs of filler words with the tags spread over them in random order.
// `calls` holds each tag as often as the template calls it.
std::string Template(TextMaker& maker, const std::vector<std::string>& calls) {
  std::vector<const std::string*> tags;
  std::size_t tagBytes = 0;
  for (const std::string& tag : calls) {
    tags.push_back(&tag);
    tagBytes += tag.size();
  }
  for (std::size_t i = tags.size(); i > 1; --i) std::swap(tags[i - 1], tags[maker.Below(i)]);

  constexpr std::size_t kParagraphs = 10;
  const std::size_t markupBytes = kParagraphs * 9;  // <p></p> and CR LF
  const std::size_t fillerPerTag = (kTemplateBytes - tagBytes - markupBytes) / tags.size();

  std::string text;
  for (std::size_t i = 0; i < tags.size(); ++i) {
    if (i % (tags.size() / kParagraphs) == 0) {
      if (i > 0) text += "</p>\r\n";
      text += "<p>";
    }
    std::string filler;
    while (filler.size() + 2 <= fillerPerTag) filler += maker.Word(maker.WordIndex());
    text += filler + *tags[i];
  }
  return text + "</p>\r\n";
}

std::string SentenceFile(TextMaker& maker, std::size_t n, std::vector<bool>& used) {
  std::string content;
  content.reserve(n * (kSentenceBytes + 2));
  for (std::size_t i = 0; i < n; ++i) content += maker.Sentence(used) + "\r\n";
  return content;
}

std::string KeywordFile(TextMaker& maker, std::size_t n) {
  std::string keywords;
  for (std::size_t i = 0; i < n; ++i) keywords += maker.Chars(2 + maker.Below(3)) + "\r\n";
  return keywords;
}

// One sentence and one keyword library; the template calls each tag as often as stated.
std::vector<std::string> MakeTwoLibraries(const fs::path& root, const StoreShape& shape,
                                          TextMaker& maker, std::vector<bool>& used) {
  WriteBytes(root / "juzi.ini", Registry(kSentenceLibrary, kSentenceTag));
  WriteBytes(root / "keyword.ini", Registry(kKeywordLibrary, kKeywordTag));
  const fs::path sentenceFolder = root / "句子库" / kSentenceLibrary;
  for (std::size_t f = 0; f < shape.sentenceFiles; ++f) {
    const std::size_t n =
        shape.sentences / shape.sentenceFiles + (f < shape.sentences % shape.sentenceFiles ? 1 : 0);
    char name[32];
    std::snprintf(name, sizeof name, "%02zu.txt", f + 1);
    WriteBytes(sentenceFolder / (std::string("句子") + name), SentenceFile(maker, n, used));
  }
  WriteBytes(root / "关键词库" / kKeywordLibrary / "关键词.txt",
             KeywordFile(maker, shape.keywords));
  std::vector<std::string> calls(kTemplateSentenceTags, Utf8ToText(kSentenceTag));
  calls.insert(calls.end(), kTemplateKeywordTags, Utf8ToText(kKeywordTag));
  return calls;
}

// Many small libraries of each kind; the template calls ten of each, spread over the
// registry, so that the libraries before, between and after them all take their turn.
std::vector<std::string> MakeManyLibraries(const fs::path& root, const StoreShape& shape,
                                           TextMaker& maker, std::vector<bool>& used) {
  std::string sentenceRegistry, keywordRegistry;
  for (std::size_t i = 0; i < shape.libraries; ++i) {
    const std::string sentences = LibraryName(true, i), keywords = LibraryName(false, i);
    sentenceRegistry += Registry(sentences.c_str(), ManyLibrariesTag(true, i).c_str());
    keywordRegistry += Registry(keywords.c_str(), ManyLibrariesTag(false, i).c_str());
    WriteBytes(root / "句子库" / sentences / "句子.txt",
               SentenceFile(maker, kLibrarySentences, used));
    WriteBytes(root / "关键词库" / keywords / "关键词.txt", KeywordFile(maker, kLibraryKeywords));
  }
  WriteBytes(root / "juzi.ini", sentenceRegistry);
  WriteBytes(root / "keyword.ini", keywordRegistry);

  const std::size_t called = std::min(kCalledLibraries, shape.libraries);
  std::vector<std::string> calls;
  for (bool sentences : {true, false}) {
    const std::size_t total = sentences ? kTemplateSentenceTags : kTemplateKeywordTags;
    for (std::size_t k = 0; k < total; ++k) {
      const std::size_t c = k % called;
      const std::size_t library = c * shape.libraries / called + shape.libraries / called / 2;
      calls.push_back(Utf8ToText(ManyLibrariesTag(sentences, library)));
    }
  }
  return calls;
}

// Find texts: first the words the sentences hold, in random order; then other words of one
// to three characters that no sentence holds.
std::string SynonymRules(TextMaker& maker, const std::vector<bool>& used, std::size_t count) {
  std::vector<std::size_t> candidates;
  std::set<std::string> taken;
  for (std::size_t w = 0; w < kVocabulary; ++w) {
    if (used[w]) candidates.push_back(w);
    taken.insert(maker.Word(w));
  }
  std::string rules;
  for (std::size_t r = 0; r < count; ++r) {
    std::string find;
    if (r < candidates.size()) {
      std::swap(candidates[r], candidates[r + maker.Below(candidates.size() - r)]);
      find = maker.Word(candidates[r]);
    } else {
      do {
        find = maker.Chars(2 + maker.Below(2));
      } while (!taken.insert(find).second);
    }
    rules += find + "=>" + maker.Chars(1 + maker.Below(3)) + "\r\n";
  }
  return rules;
}

}  // namespace

bool HoldsStore(const std::string& fsFolder) {
  for (const char* entry : kStoreEntries) {
    std::error_code ec;
    if (fs::symlink_status(fs::path(fsFolder) / entry, ec).type() != fs::file_type::not_found) {
      return true;
    }
  }
  return false;
}

std::string ManyLibrariesTag(bool sentences, std::size_t i) {
  char number[16];
  std::snprintf(number, sizeof number, "%04zu", i + 1);
  return std::string(sentences ? "{<_句子" : "{<_关键词") + number + "_>}";
}

void MakeStore(const std::string& fsFolder, const StoreShape& shape) {
  if (HoldsStore(fsFolder)) throw std::runtime_error(fsFolder + " already holds a store");
  if (shape.sentenceFiles == 0) throw std::runtime_error("a store needs a sentence file");
  const fs::path root(fsFolder);
  TextMaker maker(shape.seed);

  std::vector<bool> used(kVocabulary, false);
  const std::vector<std::string> calls = shape.libraries > 0
                                             ? MakeManyLibraries(root, shape, maker, used)
                                             : MakeTwoLibraries(root, shape, maker, used);
  fs::create_directories(root / "同义词库");
  if (shape.synonyms > 0) {
    WriteBytes(root / "同义词库" / "基准替换.txt", SynonymRules(maker, used, shape.synonyms));
  }
  WriteBytes(root / "模版" / kTemplateName, Template(maker, calls));
}

TemporaryStore::TemporaryStore(const StoreShape& shape) {
  std::string pattern = (fs::temp_directory_path() / "wordloom-bench-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  folder_ = pattern;
  try {
    MakeStore(folder_, shape);
  } catch (...) {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
    throw;
  }
}

TemporaryStore::~TemporaryStore() {
  std::error_code ignored;
  fs::remove_all(folder_, ignored);
}

}  // namespace wordloom::bench
