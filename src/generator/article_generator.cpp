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
// them: a text of many tags must not hold every drawn line at once.
class BatchedDraws {
 public:
  BatchedDraws(std::shared_ptr<const FolderLines> folder, std::size_t total)
      : folder_(std::move(folder)), total_(total) {}

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
    batch_ = DrawLines(folder_, n);
    made_ += n;
  }

  std::shared_ptr<const FolderLines> folder_;
  std::size_t total_;
  std::size_t made_ = 0;
  std::size_t batchStart_ = 0;
  DrawnLines batch_;
};

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
    if (noRepeatedSentences_) {
      // Only the replacements made draw: a text counts as given once it is in the article.
      DistinctRound round(CurrentDistinctTexts(library.folder, *lines));
      if (!ReplaceFirstRepeatedly(
              text, library.tag, n, [&](std::size_t) { return round.Next(); }, kMaxArticleBytes,
              marks.WatchFor(i))) {
        return false;
      }
      continue;
    }
    BatchedDraws sentences(lines, n);
    if (!ReplaceFirstRepeatedly(
            text, library.tag, n, [&](std::size_t k) { return sentences.Line(k); },
            kMaxArticleBytes, marks.WatchFor(i))) {
      return false;
    }
    sentences.Finish();
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
