#include "generator/article_generator.h"

#include <algorithm>

#include "generator/change_monitor.h"
#include "generator/distinct_draws.h"
#include "generator/draw_cache.h"
#include "generator/expanding_text.h"
#include "generator/library_plan.h"
#include "generator/line_draws.h"
#include "generator/rule_application.h"
#include "generator/synonym_rules.h"
#include "generator/tag_marks.h"
#include "services/random.h"
#include "store/resource_store.h"

namespace wordloom {
namespace {

// The draws of one library's tags, made a batch at a time as the replacements ask for
// them: a text of many tags must not hold every drawn line at once. `draw(n)` makes the
// next n draws and gives something with Line(i) and Count().
template <typename DrawBatch>
class BatchedDraws {
 public:
  BatchedDraws(DrawBatch draw, std::size_t total) : draw_(std::move(draw)), total_(total) {}

  // The i-th draw; asked for in order, 0, 1, 2, ...
  std::string_view Line(std::size_t i) {
    if (i >= batchStart_ + batch_.Count()) NextBatch();
    return batch_.Line(i - batchStart_);
  }

  // Makes the draws that no replacement asked for: the random sequence of the libraries
  // after this one must not depend on how many occurrences were really replaced.
  void Finish() {
    while (made_ < total_) NextBatch();
  }

 private:
  static constexpr std::size_t kBatch = 4096;

  void NextBatch() {
    batchStart_ = made_;
    const std::size_t n = std::min(kBatch, total_ - made_);
    batch_ = draw_(n);
    made_ += n;
  }

  DrawBatch draw_;
  std::size_t total_;
  std::size_t made_ = 0;
  std::size_t batchStart_ = 0;
  decltype(std::declval<DrawBatch&>()(std::size_t{})) batch_;
};

// Replaces the tag's n counted occurrences by the draws in order, and then makes the draws
// no replacement took.
template <typename DrawBatch>
bool ReplaceWithDraws(Text& text, std::string_view tag, std::size_t n,
                      const ReplacementWatch* watch, DrawBatch draw) {
  BatchedDraws<DrawBatch> draws(std::move(draw), n);
  if (!ReplaceFirstRepeatedly(
          text, tag, n, [&](std::size_t k) { return draws.Line(k); }, kMaxArticleBytes, watch)) {
    return false;
  }
  draws.Finish();
  return true;
}

}  // namespace

ArticleGenerator::ArticleGenerator() { SeedRandom(); }

std::size_t ArticleGenerator::CountOccurrences(std::string_view text, std::string_view tag,
                                               bool caseSensitive) {
  return textscan::Count(text, tag, !caseSensitive);
}

std::optional<Text> ArticleGenerator::TryGenerate(const Text& templateText) {
  if (templateText.size() > kMaxArticleBytes) return std::nullopt;
  // Changes made outside this program are taken in once per article; within it the
  // notifications keep arriving on the monitor's thread.
  ChangeMonitor::Instance().Drain();
  Text text = templateText;
  if (!ExpandSentences(text) || !ExpandKeywords(text) || !Synonyms(text)) return std::nullopt;
  return text;
}

Text ArticleGenerator::Generate(const Text& templateText) {
  return TryGenerate(templateText).value_or(Text());
}

Text ArticleGenerator::ExpandSentenceTags(Text text) {
  ChangeMonitor::Instance().Drain();
  ExpandSentences(text);
  return text;
}

Text ArticleGenerator::ExpandKeywordTags(Text text) {
  ChangeMonitor::Instance().Drain();
  ExpandKeywords(text);
  return text;
}

Text ArticleGenerator::PickRandomLine(const Text& folder) {
  ChangeMonitor::Instance().Drain();
  return Text(DrawLines(folder, 1).Line(0));
}

Text ArticleGenerator::ApplySynonyms(Text text) {
  ChangeMonitor::Instance().Drain();
  Synonyms(text);
  return text;
}

std::shared_ptr<const FolderLines> ArticleGenerator::LibraryLines(
    LibraryKind kind, const std::shared_ptr<const LibraryPlan>& plan, std::size_t i) {
  KnownFolders& known = known_[kind == LibraryKind::kSentence ? 0 : 1];
  if (known.plan != plan) {
    known.plan = plan;
    known.lines.assign(plan->Libraries().size(), nullptr);
  }
  std::shared_ptr<const FolderLines>& lines = known.lines[i];
  if (!lines || !lines->Current())
    lines = DrawCache::Instance().Folder(plan->Libraries()[i].folder);
  return lines;
}

bool ArticleGenerator::ExpandSentences(Text& text) {
  const std::shared_ptr<const LibraryPlan> plan = CurrentLibraryPlan(LibraryKind::kSentence);
  TagMarks marks(*plan, text);
  for (std::size_t i = 0; i < plan->Libraries().size(); ++i) {
    if (!marks.MayOccur(i)) continue;
    const PlannedLibrary& library = plan->Libraries()[i];
    const std::size_t n = CountOccurrences(text, library.tag, false);
    if (n == 0) continue;
    // Every counted occurrence costs a draw, also when letter case keeps it from being
    // replaced.
    const std::shared_ptr<const FolderLines> lines = LibraryLines(LibraryKind::kSentence, plan, i);
    const ReplacementWatch* watch = marks.WatchFor(i);
    bool replaced = false;
    if (noRepeatedSentences_) {
      // The replacements take a beginning of the round's draws, so no text comes twice while
      // others wait, also when letter case leaves some occurrences unreplaced.
      DistinctRound round(CurrentDistinctTexts(library.folder, *lines));
      replaced = ReplaceWithDraws(text, library.tag, n, watch,
                                  [&round](std::size_t k) { return round.Draw(k); });
    } else {
      replaced = ReplaceWithDraws(text, library.tag, n, watch,
                                  [&lines](std::size_t k) { return DrawLines(lines, k); });
    }
    if (!replaced) return false;
  }
  return true;
}

bool ArticleGenerator::ExpandKeywords(Text& text) {
  const std::shared_ptr<const LibraryPlan> plan = CurrentLibraryPlan(LibraryKind::kKeyword);
  TagMarks marks(*plan, text);
  for (std::size_t i = 0; i < plan->Libraries().size(); ++i) {
    // Drawn also when the tag does not occur: the next library's draw depends on it.
    const std::shared_ptr<const FolderLines> lines = LibraryLines(LibraryKind::kKeyword, plan, i);
    const std::string_view keyword = DrawLine(*lines);
    if (!marks.MayOccur(i)) continue;
    const PlannedLibrary& library = plan->Libraries()[i];
    const std::size_t n = CountOccurrences(text, library.tag, false);
    if (!ReplaceFirstRepeatedly(
            text, library.tag, n, [&](std::size_t) { return keyword; }, kMaxArticleBytes,
            marks.WatchFor(i))) {
      return false;
    }
  }
  return true;
}

bool ArticleGenerator::Synonyms(Text& text) {
  return ApplyRules(text, *CurrentSynonyms(), kMaxArticleBytes);
}

}  // namespace wordloom
