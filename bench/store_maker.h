// Synthetic resource stores of a stated size, for benchmarks and for trying the programs on
// a large store: one sentence library over several files and one keyword library in one
// file (or many small libraries of each kind), optionally one synonym file, and one template
// that calls the libraries.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace wordloom::bench {

struct StoreShape {
  std::size_t sentences = 100000;  // about 60 bytes each
  std::size_t sentenceFiles = 10;
  std::size_t keywords = 10000;
  // Synonym rules. The first ones find words that the sentences hold, as many as there are
  // such words; the rest find words of the same kind that occur nowhere, as most rules of a
  // large store do in any one article.
  std::size_t synonyms = 0;
  // With a number here, that many sentence libraries of 50 sentences and as many keyword
  // libraries of 20 keywords replace the two large ones, and the template calls ten of each
  // (or all, when fewer), spread over the registries. `sentences` and `keywords` then do not
  // count.
  std::size_t libraries = 0;
  std::uint32_t seed = 1;  // the same shape and seed give the same store
};

// The template's file name in the made store, and the tags it calls (UTF-8).
inline constexpr char kTemplateName[] = "基准模版.txt";
inline constexpr char kSentenceTag[] = "{<_基准句子_>}";
inline constexpr char kKeywordTag[] = "{<_基准关键词_>}";
// How often the template calls the tags of each kind, over all libraries it calls.
inline constexpr std::size_t kTemplateSentenceTags = 50;
inline constexpr std::size_t kTemplateKeywordTags = 20;
// The libraries of a store of many: lines in each, and how many of each kind the template
// calls.
inline constexpr std::size_t kLibrarySentences = 50;
inline constexpr std::size_t kLibraryKeywords = 20;
inline constexpr std::size_t kCalledLibraries = 10;

// The tag of the i-th (0-based) library of a store of many (UTF-8).
std::string ManyLibrariesTag(bool sentences, std::size_t i);

// True when the folder holds any part of a store (a registry or one of the four folders).
bool HoldsStore(const std::string& fsFolder);

// Writes the store into the folder, creating it when missing. The folder must not hold a
// store already (nothing of a user's is ever overwritten). Throws std::runtime_error.
void MakeStore(const std::string& fsFolder, const StoreShape& shape);

// A made store in a fresh temporary folder, deleted with the object.
class TemporaryStore {
 public:
  explicit TemporaryStore(const StoreShape& shape);
  ~TemporaryStore();
  TemporaryStore(const TemporaryStore&) = delete;
  TemporaryStore& operator=(const TemporaryStore&) = delete;

  const std::string& Folder() const { return folder_; }

 private:
  std::string folder_;
};

}  // namespace wordloom::bench
