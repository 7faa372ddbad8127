// Drawing sentences without repeats inside one article: each library's distinct texts are
// dealt out in rounds, every text once per round, each draw uniform over the texts the
// round has not used yet.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "generator/draw_cache.h"
#include "services/text.h"

namespace wordloom {

// The distinct line texts of every "*.txt" file of one library folder, in the order they
// first occur (files in directory order, lines in file order). A line that several files or
// lines hold is one text. The views point into the files' lines, which the object keeps.
class DistinctTexts {
 public:
  std::size_t Count() const { return texts_.size(); }
  std::string_view Get(std::size_t i) const { return texts_[i]; }
  void Prefetch(std::size_t i) const { __builtin_prefetch(&texts_[i]); }

 private:
  friend std::shared_ptr<const DistinctTexts> CurrentDistinctTexts(const Text& folder,
                                                                   const FolderLines& lines);
  std::vector<std::string_view> texts_;
  std::vector<std::shared_ptr<const LineIndex>> files_;  // the versions the texts come from
};

// The distinct texts of the folder's lines as the draw cache gave them. Built once for each
// version of the folder's files and shared by every thread: an article only looks up
// whether the files are still the ones the texts were built from.
std::shared_ptr<const DistinctTexts> CurrentDistinctTexts(const Text& folder,
                                                          const FolderLines& lines);

// The texts of several draws in a row; they stay valid while the round's texts live.
class DrawnTexts {
 public:
  std::string_view Line(std::size_t i) const { return texts_[i]; }
  std::size_t Count() const { return texts_.size(); }

 private:
  friend class DistinctRound;
  std::vector<std::string_view> texts_;
};

// One article's rounds over one library. Draws are a Fisher-Yates shuffle made one step at
// a time: the unused texts are the first `unused_` slots of a virtual permutation, and only
// the slots a draw has moved are stored, so an article costs what it draws, not what the
// library holds.
class DistinctRound {
 public:
  explicit DistinctRound(std::shared_ptr<const DistinctTexts> texts);

  // The texts of `count` draws in a row. Each draw is a text this round has not given yet,
  // each equally likely (EvenRandomBelow over the unused count, which reaches every text of
  // any library); when every text has been given, a new round begins. Empty texts, without
  // a draw, when the library has no text. All draws are made first and the texts fetched
  // afterwards, so that the memory reads of a large library overlap.
  DrawnTexts Draw(std::size_t count);

 private:
  // The index of the next draw's text (the library has texts).
  std::uint32_t NextIndex();
  // The text index now in `slot`.
  std::uint32_t At(std::uint32_t slot) const;
  void Put(std::uint32_t slot, std::uint32_t text);

  std::shared_ptr<const DistinctTexts> texts_;
  std::size_t unused_ = 0;
  // The slots draws have moved: slot -> text index now there, an open-addressing table
  // (an article draws tens of times; a node per draw would cost more than the draw). A slot
  // beyond the unused ones is never asked for again, so nothing is ever removed.
  std::vector<std::pair<std::uint32_t, std::uint32_t>> moved_;
  std::size_t movedCount_ = 0;
};

}  // namespace wordloom
