// How far a template can grow through the generator's passes, and how many different
// articles it can make, estimated from what the store check counted: line lengths, the
// tags each line holds, and the synonym rules that lengthen the text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace wordloom::check {

// Pattern i (a tag or a synonym find text) with a count.
using PatternCounts = std::vector<std::pair<std::uint32_t, std::uint32_t>>;

// A library as the passes meet it: sentence libraries in registry order, then keyword
// libraries in registry order, so a library's lines can only feed libraries after it.
struct PassLibrary {
  bool sentence = true;
  std::size_t tagBytes = 0;
  std::size_t maxLineBytes = 0;  // 0 when it has no lines (its tag then gives empty text)
  double log10Distinct = 0;      // log10 of its number of distinct lines
  // The lines as the bound needs them: the longest line that holds no tag of a later
  // library, and for each combination of such tags that a line holds, the longest line.
  std::size_t plainLineBytes = 0;
  std::vector<std::pair<PatternCounts, std::size_t>> tagLines;
  PatternCounts maxPerLine;  // pattern -> the most occurrences in one of its lines
  std::string shownEnglish;  // "sentence library 'x'"
  std::string shownChinese;  // 句子库“x”
};

// A synonym rule as the pass applies it, in file then line order.
struct PassRule {
  std::size_t findBytes = 0;
  std::size_t replacementBytes = 0;
  // The rule sees the occurrences of its find text in the text the tag passes made: true for
  // the first rule of each find text (it replaces them all, later ones see only new ones).
  bool seesText = false;
  std::int32_t findPattern = -1;  // its find text among the counted patterns (-1: not counted)
  // Later rules whose find text this rule's replacement holds: (rule, occurrences).
  std::vector<std::pair<std::size_t, std::uint32_t>> feeds;
  bool matters = false;      // lengthens the text, or feeds a rule that matters
  std::string shown;         // "'a=>b' (同义词库/x.txt:3)", UTF-8
  std::string shownChinese;  // "“a=>b”（同义词库/x.txt:3）"
};

struct PassModel {
  std::vector<PassLibrary> libraries;
  std::vector<std::int32_t> libraryOfPattern;  // the library that expands a tag, or -1
  std::vector<PassRule> rules;
  std::vector<std::int32_t> firstRuleOfPattern;  // for counted find texts, or -1
};

// For each library, the most bytes one occurrence of its tag can become through the tag
// passes (its worst line, with every later tag in it expanded at its worst), and the tag
// in that line that adds the most, for naming the chain. Computed once per store.
struct LibraryBounds {
  std::vector<double> bytes;
  std::vector<std::int32_t> child;  // the library whose tag adds the most, or -1
  std::vector<std::uint32_t> per;   // how often that tag stands in the line
};
LibraryBounds BoundLibraries(const PassModel& model);

struct Expansion {
  double maxBytes = 0;       // an upper bound of the article's size (synonyms included)
  bool runaway = false;      // the bound passes the article size limit
  std::string chainEnglish;  // when runaway: the chain that makes it grow
  std::string chainChinese;
  double log10Variety = 0;          // log10 of the estimated number of different articles
  std::uint64_t sentenceDraws = 0;  // the template's own sentence tags with lines to draw
  std::size_t sentenceLibraries = 0;
  std::size_t keywordLibraries = 0;
};

// `occurrences`: the patterns the template holds, with their counts (exact bytes).
Expansion EstimateExpansion(const PassModel& model, const LibraryBounds& bounds,
                            const PatternCounts& occurrences, std::size_t templateBytes,
                            std::size_t limitBytes);

}  // namespace wordloom::check
