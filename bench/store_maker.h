// Synthetic resource stores of a stated size, for benchmarks and for trying the programs on
// a large store: one sentence library over several files, one keyword library in one file,
// optionally one synonym file, and one template that calls both libraries.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace wordloom::bench {

struct StoreShape {
  std::size_t sentences = 100000;  // about 60 bytes each
  std::size_t sentenceFiles = 10;
  std::size_t keywords = 10000;
  std::size_t synonyms = 0;  // rules whose find texts occur in the sentences
  std::uint32_t seed = 1;    // the same shape and seed give the same store
};

// The template's file name in the made store, and the tags it calls (UTF-8).
inline constexpr char kTemplateName[] = "基准模版.txt";
inline constexpr char kSentenceTag[] = "{<_基准句子_>}";
inline constexpr char kKeywordTag[] = "{<_基准关键词_>}";
// How often the template calls each tag.
inline constexpr std::size_t kTemplateSentenceTags = 50;
inline constexpr std::size_t kTemplateKeywordTags = 20;

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
