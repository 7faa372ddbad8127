// The uniqueness report over batches of generated articles of about 3 KB: a synthetic store
// of N sentences, a template of one keyword heading and 40 sentence paragraphs. The
// workload is in the name: the articles in the batch and the sentences they are drawn from
// (100,000: nearly unrelated articles; 40: each article holds most of the library, pairs
// around 50% alike; 4: near-copies, every pair near).
#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "generator/article_generator.h"
#include "report/uniqueness.h"
#include "services/encoding.h"
#include "services/environment.h"
#include "services/random.h"
#include "store_maker.h"

namespace wordloom::bench {
namespace {

const std::vector<std::string>& Articles(std::size_t count, std::size_t sentences) {
  static std::map<std::size_t, std::vector<std::string>> batches;
  static std::map<std::size_t, std::unique_ptr<TemporaryStore>> stores;
  std::vector<std::string>& articles = batches[sentences];
  if (articles.size() >= count) return articles;
  auto& store = stores[sentences];
  if (!store) {
    StoreShape shape;
    shape.sentences = sentences;
    shape.sentenceFiles = std::min<std::size_t>(10, sentences);
    store = std::make_unique<TemporaryStore>(shape);
  }
  OverrideRunDirectory(FileSystemToText(store->Folder()));
  std::string templateText = "<h1>" + Utf8ToText(kKeywordTag) + "</h1>\r\n";
  for (int i = 0; i < 40; ++i) templateText += "<p>" + Utf8ToText(kSentenceTag) + "</p>\r\n";
  ArticleGenerator generator;
  SeedRandom(static_cast<std::uint32_t>(articles.size() + 1));
  while (articles.size() < count) articles.push_back(generator.Generate(templateText));
  return articles;
}

// Adding the articles as they are written and finishing the report.
void BM_UniquenessReport(benchmark::State& state) {
  const auto count = static_cast<std::size_t>(state.range(0));
  const std::vector<std::string>& articles =
      Articles(count, static_cast<std::size_t>(state.range(1)));
  std::size_t bytes = 0;
  for (std::size_t i = 0; i < count; ++i) bytes += articles[i].size();
  std::uint64_t near = 0;
  for (auto _ : state) {
    report::UniquenessReport uniqueness(report::kDefaultNearPercent, count);
    for (std::size_t i = 0; i < count; ++i) uniqueness.Add(articles[i]);
    const auto figures = uniqueness.Finish([&](std::size_t i) { return articles[i]; });
    near = figures->nearPairs;
    benchmark::DoNotOptimize(near);
  }
  state.counters["article_bytes"] = static_cast<double>(bytes) / static_cast<double>(count);
  state.counters["near_pairs"] = static_cast<double>(near);
}
BENCHMARK(BM_UniquenessReport)
    ->ArgNames({"articles", "sentences"})
    ->ArgsProduct({{2000, 10000, 100000}, {100000, 40, 4}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

}  // namespace
}  // namespace wordloom::bench

BENCHMARK_MAIN();
