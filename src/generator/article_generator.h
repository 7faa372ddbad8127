// Expands an article template into an article: the sentence pass, the keyword pass and the
// synonym pass, in that order, over the libraries and synonym files on disk.
#pragma once

#include <cstddef>
#include <string_view>

#include "services/text.h"

namespace wordloom {

class ArticleGenerator {
 public:
  // Seeds the calling thread's random sequence from the clock.
  ArticleGenerator();

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
  Text ExpandSentences(Text text);
  Text ExpandKeywords(Text text);
  Text Synonyms(Text text);
};

}  // namespace wordloom
