#include "check_store_maker.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <vector>

#include "services/encoding.h"
#include "store_maker.h"

namespace wordloom::bench {
namespace {

namespace fs = std::filesystem;

// GBK characters from the GB2312 hanzi rows, which every GBK table decodes.
class Words {
 public:
  explicit Words(std::uint32_t seed) : rng_(seed) {}

  std::string Chars(std::size_t n) {
    std::uniform_int_distribution<int> lead(0xB0, 0xD6), trail(0xA1, 0xFE);
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
  bool Chance(double p) { return std::bernoulli_distribution(p)(rng_); }

 private:
  std::mt19937 rng_;
};

void WriteBytes(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::string Name(const char* prefix, std::size_t i) { return prefix + std::to_string(i + 1); }
std::string SentenceTag(std::size_t i) {
  return Utf8ToText("{<_句子" + std::to_string(i + 1) + "_>}");
}
std::string KeywordTag(std::size_t i) {
  return Utf8ToText("{<_词" + std::to_string(i + 1) + "_>}");
}

}  // namespace

void MakeCheckStore(const std::string& fsFolder, const CheckStoreShape& shape) {
  if (HoldsStore(fsFolder)) throw std::runtime_error(fsFolder + " already holds a store");
  if (shape.sentenceLibraries == 0 || shape.keywordLibraries == 0) {
    throw std::runtime_error("the store needs libraries of both kinds");
  }
  const fs::path root(fsFolder);
  Words words(shape.seed);
  const std::string tagKey = Utf8ToText("标签");

  std::string sentenceRegistry, keywordRegistry;
  for (std::size_t i = 0; i < shape.sentenceLibraries; ++i) {
    sentenceRegistry += "[" + Name("s", i) + "]\r\n" + tagKey + "=" + SentenceTag(i) + "\r\n";
  }
  for (std::size_t i = 0; i < shape.keywordLibraries; ++i) {
    keywordRegistry += "[" + Name("k", i) + "]\r\n" + tagKey + "=" + KeywordTag(i) + "\r\n";
  }
  WriteBytes(root / "juzi.ini", sentenceRegistry);
  WriteBytes(root / "keyword.ini", keywordRegistry);

  // Sentences of about 60 bytes; one in five holds a keyword tag, one in fifty the tag of a
  // later sentence library. Two files a library.
  const std::size_t keywordLines = shape.lines / 50;
  const std::size_t sentenceLines = shape.lines - keywordLines;
  for (std::size_t i = 0; i < shape.sentenceLibraries; ++i) {
    const std::size_t n = sentenceLines / shape.sentenceLibraries +
                          (i < sentenceLines % shape.sentenceLibraries ? 1 : 0);
    std::string files[2];
    for (std::size_t l = 0; l < n; ++l) {
      std::string line = words.Chars(12);
      if (words.Chance(0.2)) line += KeywordTag(words.Below(shape.keywordLibraries));
      if (i + 1 < shape.sentenceLibraries && words.Chance(0.02)) {
        line += SentenceTag(i + 1 + words.Below(shape.sentenceLibraries - i - 1));
      }
      files[l % 2] += line + words.Chars(12) + "\xA1\xA3\r\n";
    }
    for (int f = 0; f < 2; ++f) {
      WriteBytes(root / "句子库" / Name("s", i) / (std::to_string(f + 1) + ".txt"), files[f]);
    }
  }
  for (std::size_t i = 0; i < shape.keywordLibraries; ++i) {
    const std::size_t n =
        keywordLines / shape.keywordLibraries + (i < keywordLines % shape.keywordLibraries ? 1 : 0);
    std::string file;
    for (std::size_t l = 0; l < n; ++l) file += words.Chars(2 + words.Below(3)) + "\r\n";
    WriteBytes(root / "关键词库" / Name("k", i) / "1.txt", file);
  }

  // Templates of about 2 KB: paragraphs calling 20 sentence and 5 keyword libraries.
  for (std::size_t t = 0; t < shape.templates; ++t) {
    std::string text;
    for (int p = 0; p < 5; ++p) {
      text += "<p>";
      for (int s = 0; s < 4; ++s) {
        text += words.Chars(40) + SentenceTag(words.Below(shape.sentenceLibraries));
      }
      text += words.Chars(20) + KeywordTag(words.Below(shape.keywordLibraries)) + "</p>\r\n";
    }
    WriteBytes(root / "模版" / (Name("t", t) + ".txt"), text);
  }

  std::string rules;
  for (std::size_t r = 0; r < shape.synonyms; ++r) {
    rules += words.Chars(2) + "=>" + words.Chars(1 + words.Below(3)) + "\r\n";
  }
  WriteBytes(root / "同义词库" / "1.txt", rules);
}

}  // namespace wordloom::bench
