#include "generator/article_generator.h"

#include "generator/change_monitor.h"
#include "generator/draw_cache.h"
#include "generator/expanding_text.h"
#include "generator/line_draws.h"
#include "generator/synonym_rules.h"
#include "services/random.h"
#include "store/resource_store.h"

namespace wordloom {

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
  return Text(DrawLines(folder, 1).Line(0));
}

Text ArticleGenerator::ApplySynonyms(Text text) {
  ChangeMonitor::Instance().Drain();
  return Synonyms(std::move(text));
}

Text ArticleGenerator::ExpandSentences(Text text) {
  for (const LibraryRecord& library : ResourceStore::ListLibrariesWithTags(LibraryKind::kSentence)) {
    const std::size_t n = CountOccurrences(text, library.tag, false);
    if (n == 0) continue;
    // Every counted occurrence costs a draw, also when letter case keeps it from being
    // replaced.
    const DrawnLines sentences =
        DrawLines(ResourceStore::LibraryFolder(LibraryKind::kSentence, library.name), n);
    ReplaceFirstRepeatedly(text, library.tag, n, [&](std::size_t i) { return sentences.Line(i); });
  }
  return text;
}

Text ArticleGenerator::ExpandKeywords(Text text) {
  for (const LibraryRecord& library : ResourceStore::ListLibrariesWithTags(LibraryKind::kKeyword)) {
    // Drawn also when the tag does not occur: the next library's draw depends on it.
    const DrawnLines keyword =
        DrawLines(ResourceStore::LibraryFolder(LibraryKind::kKeyword, library.name), 1);
    const std::size_t n = CountOccurrences(text, library.tag, false);
    ReplaceFirstRepeatedly(text, library.tag, n, [&](std::size_t) { return keyword.Line(0); });
  }
  return text;
}

Text ArticleGenerator::Synonyms(Text text) {
  std::shared_ptr<const TextArray> files =
      DrawCache::Instance().Files(ResourceStore::SynonymFolder());
  std::vector<const std::vector<SynonymRule>*> ruleLists;
  for (const Text& file : *files) ruleLists.push_back(&RulesOf(file, DrawCache::Instance().Lines(file)));
  ApplyRules(text, ruleLists);
  return text;
}

}  // namespace wordloom
