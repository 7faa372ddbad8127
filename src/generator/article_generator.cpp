#include "generator/article_generator.h"

#include "generator/change_monitor.h"
#include "generator/draw_cache.h"
#include "services/random.h"
#include "store/resource_store.h"

namespace wordloom {
namespace {

// Replaces, `count` times, the first exact occurrence of `tag` in `text` by `next()`.
// Each replacement takes the first occurrence of the text as it is then, which may lie in
// what an earlier replacement inserted. The scan resumes a little before the last
// replacement instead of at the start: nothing before that point has changed, and a byte
// below 0x80 always ends a character, so the resume point is a character boundary.
template <typename NextReplacement>
void ReplaceFirstRepeatedly(Text& text, std::string_view tag, std::size_t count,
                            NextReplacement&& next) {
  std::size_t resume = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const Text replacement = next();
    const std::size_t p = textscan::Find(text, tag, resume, false);
    if (p == textscan::kNotFound) continue;
    text.replace(p, tag.size(), replacement);
    std::size_t r = p + 1 > tag.size() ? p + 1 - tag.size() : 0;
    while (r > 0 && static_cast<unsigned char>(text[r - 1]) >= 0x80) --r;
    resume = r;
  }
}

}  // namespace

ArticleGenerator::ArticleGenerator() { SeedRandom(); }

std::size_t ArticleGenerator::CountOccurrences(std::string_view text, std::string_view tag,
                                               bool caseSensitive) {
  return textscan::Count(text, tag, !caseSensitive);
}

Text ArticleGenerator::Generate(const Text& templateText) {
  // Changes made outside this program are taken in once per article; within it the
  // notifications keep arriving on the monitor's thread.
  ChangeMonitor::Instance().Drain();
  return Synonyms(ExpandKeywords(ExpandSentences(templateText)));
}

Text ArticleGenerator::ExpandSentenceTags(Text text) {
  ChangeMonitor::Instance().Drain();
  return ExpandSentences(std::move(text));
}

Text ArticleGenerator::ExpandKeywordTags(Text text) {
  ChangeMonitor::Instance().Drain();
  return ExpandKeywords(std::move(text));
}

Text ArticleGenerator::PickRandomLine(const Text& folder) {
  ChangeMonitor::Instance().Drain();
  return DrawLine(folder);
}

Text ArticleGenerator::ApplySynonyms(Text text) {
  ChangeMonitor::Instance().Drain();
  return Synonyms(std::move(text));
}

Text ArticleGenerator::DrawLine(const Text& folder) {
  std::shared_ptr<const TextArray> files = DrawCache::Instance().Files(folder);
  if (files->empty()) return Text();
  const Text& file = (*files)[RandomInRange(1, static_cast<long>(files->size())) - 1];
  std::shared_ptr<const LineIndex> lines = DrawCache::Instance().Lines(file);
  if (lines->Count() == 0) return Text();
  return Text(lines->Line(RandomInRange(1, static_cast<long>(lines->Count())) - 1));
}

Text ArticleGenerator::ExpandSentences(Text text) {
  for (const Text& name : ResourceStore::ListLibraries(LibraryKind::kSentence)) {
    const Text tag = ResourceStore::ReadTag(LibraryKind::kSentence, name);
    const Text folder = ResourceStore::LibraryFolder(LibraryKind::kSentence, name);
    const std::size_t n = CountOccurrences(text, tag, false);
    ReplaceFirstRepeatedly(text, tag, n, [&] { return DrawLine(folder); });
  }
  return text;
}

Text ArticleGenerator::ExpandKeywords(Text text) {
  for (const Text& name : ResourceStore::ListLibraries(LibraryKind::kKeyword)) {
    const Text tag = ResourceStore::ReadTag(LibraryKind::kKeyword, name);
    const Text folder = ResourceStore::LibraryFolder(LibraryKind::kKeyword, name);
    const Text keyword = DrawLine(folder);  // drawn also when the tag does not occur
    const std::size_t n = CountOccurrences(text, tag, false);
    ReplaceFirstRepeatedly(text, tag, n, [&] { return keyword; });
  }
  return text;
}

Text ArticleGenerator::Synonyms(Text text) {
  std::shared_ptr<const TextArray> files = DrawCache::Instance().Files(ResourceStore::SynonymFolder());
  for (const Text& file : *files) {
    std::shared_ptr<const LineIndex> lines = DrawCache::Instance().Lines(file);
    for (std::size_t i = 0; i < lines->Count(); ++i) {
      const TextArray pieces = SplitText(lines->Line(i), "=>");
      // A line without a replacement (no "=>", nothing after it) is no rule at all.
      if (pieces.size() < 2) continue;
      text = textscan::ReplaceAll(text, pieces[0], pieces[1]);
    }
  }
  return text;
}

}  // namespace wordloom
