// The article generator on synthetic stores. The workload is in each name: the sentences
// in the library, the synonym rules, and (when not 0) the number of small sentence and
// keyword libraries that replace the two large ones. Every store has a 2 KB template calling
// sentence tags 50 times and keyword tags 20 times; the two-library stores have 10,000
// keywords, the many-library ones call ten libraries of each kind.
#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <tuple>
#include <utility>

#include "generator/article_generator.h"
#include "generator/draw_cache.h"
#include "services/encoding.h"
#include "services/environment.h"
#include "services/random.h"
#include "store/resource_store.h"
#include "store_maker.h"

namespace wordloom::bench {
namespace {

// Each store is made once per process and kept for every benchmark that needs it.
const TemporaryStore& StoreOf(std::size_t sentences, std::size_t synonyms, std::size_t libraries) {
  static std::map<std::tuple<std::size_t, std::size_t, std::size_t>,
                  std::unique_ptr<TemporaryStore>>
      stores;
  auto& store = stores[{sentences, synonyms, libraries}];
  if (!store) {
    StoreShape shape;
    shape.sentences = sentences;
    shape.synonyms = synonyms;
    shape.libraries = libraries;
    store = std::make_unique<TemporaryStore>(shape);
  }
  return *store;
}

// Makes the store the run directory and gives its template text.
Text UseStore(const benchmark::State& state) {
  const TemporaryStore& store =
      StoreOf(static_cast<std::size_t>(state.range(0)), static_cast<std::size_t>(state.range(1)),
              static_cast<std::size_t>(state.range(2)));
  OverrideRunDirectory(FileSystemToText(store.Folder()));
  return ResourceStore::ReadFileAsText(ResourceStore::TemplatePath(Utf8ToText(kTemplateName)));
}

void CountArticles(benchmark::State& state, std::size_t bytes) {
  state.counters["articles/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["article_bytes"] =
      static_cast<double>(bytes) /
      static_cast<double>(std::max<benchmark::IterationCount>(1, state.iterations()));
}

// Articles in a row from one generator, as a batch makes them: files read once, then drawn
// from memory.
void GenerateInARow(benchmark::State& state, bool noRepeatedSentences) {
  const Text templateText = UseStore(state);
  ArticleGenerator generator;
  generator.SetNoRepeatedSentences(noRepeatedSentences);
  SeedRandom(1);
  benchmark::DoNotOptimize(generator.Generate(templateText));  // reads the store
  std::size_t bytes = 0;
  for (auto _ : state) {
    Text article = generator.Generate(templateText);
    bytes += article.size();
    benchmark::DoNotOptimize(article);
  }
  CountArticles(state, bytes);
}

void BM_Generate(benchmark::State& state) { GenerateInARow(state, false); }
BENCHMARK(BM_Generate)
    ->ArgNames({"sentences", "synonyms", "libraries"})
    ->Args({100000, 0, 0})
    ->Args({100000, 200, 0})
    ->Args({100000, 2000, 0})
    ->Args({100000, 20000, 0})
    ->Args({100000, 100000, 0})
    ->Args({1000, 0, 0})
    ->Args({1000000, 0, 0})
    ->Args({0, 0, 10})
    ->Args({0, 0, 1000})
    ->Unit(benchmark::kMicrosecond);

// The same batch with no repeated sentences in an article: the cost of the option is the
// ratio of the two benchmarks on the same store.
void BM_GenerateNoRepeat(benchmark::State& state) { GenerateInARow(state, true); }
BENCHMARK(BM_GenerateNoRepeat)
    ->ArgNames({"sentences", "synonyms", "libraries"})
    ->Args({100000, 0, 0})
    ->Args({100000, 200, 0})
    ->Args({1000, 0, 0})
    ->Args({1000000, 0, 0})
    ->Args({0, 0, 10})
    ->Unit(benchmark::kMicrosecond);

// The first article after the cache was emptied: every file of the store read anew.
void BM_GenerateAfterCacheClear(benchmark::State& state) {
  const Text templateText = UseStore(state);
  ArticleGenerator generator;
  SeedRandom(1);
  std::size_t bytes = 0;
  for (auto _ : state) {
    DrawCache::Instance().Clear();
    Text article = generator.Generate(templateText);
    bytes += article.size();
    benchmark::DoNotOptimize(article);
  }
  CountArticles(state, bytes);
}
BENCHMARK(BM_GenerateAfterCacheClear)
    ->ArgNames({"sentences", "synonyms", "libraries"})
    ->Args({100000, 0, 0})
    ->Unit(benchmark::kMillisecond);

// The synonym pass alone over a finished article of the store.
void BM_ApplySynonyms(benchmark::State& state) {
  const Text templateText = UseStore(state);
  ArticleGenerator generator;
  SeedRandom(1);
  const Text article = generator.ExpandKeywordTags(generator.ExpandSentenceTags(templateText));
  for (auto _ : state) benchmark::DoNotOptimize(generator.ApplySynonyms(article));
  state.counters["articles/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ApplySynonyms)
    ->ArgNames({"sentences", "synonyms", "libraries"})
    ->Args({100000, 200, 0})
    ->Args({100000, 20000, 0})
    ->Args({100000, 100000, 0})
    ->Unit(benchmark::kMicrosecond);

// The sentence pass alone: 50 draws and replacements in the template.
void BM_ExpandSentenceTags(benchmark::State& state) {
  const Text templateText = UseStore(state);
  ArticleGenerator generator;
  SeedRandom(1);
  benchmark::DoNotOptimize(generator.ExpandSentenceTags(templateText));
  for (auto _ : state) benchmark::DoNotOptimize(generator.ExpandSentenceTags(templateText));
  state.counters["articles/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ExpandSentenceTags)
    ->ArgNames({"sentences", "synonyms", "libraries"})
    ->Args({1000, 0, 0})
    ->Args({100000, 0, 0})
    ->Args({1000000, 0, 0})
    ->Args({0, 0, 1000})
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace wordloom::bench

BENCHMARK_MAIN();
