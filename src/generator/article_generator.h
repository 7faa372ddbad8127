// Expands an article template into an article: the sentence pass, the keyword pass and the
// synonym pass, in that order, over the libraries and synonym files on disk.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "services/text.h"

namespace wordloom {

class LibraryPlan;
struct FolderLines;
enum class LibraryKind;

// No article grows beyond this. Libraries whose lines hold the tags of later libraries,
// or rules that lengthen the text, can multiply an article without end; real articles
// stay thousands of times smaller.
inline constexpr std::size_t kMaxArticleBytes = std::size_t{64} << 20;  // 64 MiB

class ArticleGenerator {
 public:
  // Seeds the calling thread's random sequence from the clock.
  ArticleGenerator();

  // With it on, a sentence library gives no text twice in one article until every
  // distinct text of it has been given once (then a new round begins); each draw is
  // uniform over the texts not yet given. Off, the draws are the designed ones: a file,
  // then a line of it, with replacement.
  void SetNoRepeatedSentences(bool on) { noRepeatedSentences_ = on; }

  // The article, or nothing when it would grow beyond kMaxArticleBytes (the template
  // included); the passes stop as soon as that is known.
  std::optional<Text> TryGenerate(const Text& templateText);
  // The same, with an empty text for an article that would be too large.
  Text Generate(const Text& templateText);

  // Every occurrence of a sentence library's tag gets a sentence of its own.
  Text ExpandSentenceTags(Text text);
  // One keyword per keyword library replaces every occurrence of its tag.
  Text ExpandKeywordTags(Text text);
  // One line of one "*.txt" file of the folder: the file is drawn first, then the line.
  Text PickRandomLine(const Text& folder);
  // Every rule of every synonym file replaces all occurrences of its find text.
  Text ApplySynonyms(Text text);

 private:
  static std::size_t CountOccurrences(std::string_view text, std::string_view tag,
                                      bool caseSensitive);
  // Each pass stops where the next step would pass the size limit and then says false; the
  // text is left as it was before that step.
  bool ExpandSentences(Text& text);
  bool ExpandKeywords(Text& text);
  bool Synonyms(Text& text);

  // The lines of the i-th library of the plan, kept from article to article while they are
  // current, so that a draw does not look its folder up by name.
  std::shared_ptr<const FolderLines> LibraryLines(LibraryKind kind,
                                                  const std::shared_ptr<const LibraryPlan>& plan,
                                                  std::size_t i);
  struct KnownFolders {
    std::shared_ptr<const LibraryPlan> plan;
    std::vector<std::shared_ptr<const FolderLines>> lines;  // by library
  };
  KnownFolders known_[2];  // sentence libraries, keyword libraries
  bool noRepeatedSentences_ = false;
};

}  // namespace wordloom
