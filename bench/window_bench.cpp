// The sentence manager on a big file: opening a file of a stated number of lines (about 60
// bytes each) in the grid, until the grid has been painted. The window is driven by its
// controls' names only. Counters: the resident memory the open file added, and the lines.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QListWidget>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "sentences/sentence_manager_window.h"
#include "services/encoding.h"
#include "services/environment.h"
#include "services/text.h"
#include "store/resource_store.h"

namespace wordloom::bench {
namespace {

namespace fs = std::filesystem;

// A store in a fresh temporary folder with the sentence library 大库 of one file.
class LineFileStore {
 public:
  explicit LineFileStore(std::size_t lines) {
    char pattern[] = "/tmp/wordloom-window-bench-XXXXXX";
    folder_ = ::mkdtemp(pattern);
    OverrideRunDirectory(FileSystemToText(folder_));
    ResourceStore::WriteTag(LibraryKind::kSentence, Utf8ToText("大库"), Utf8ToText("{<_大_>}"));
    fs::create_directories(folder_ + "/句子库/大库");
    std::ofstream out(folder_ + "/句子库/大库/a.txt", std::ios::binary);
    const Text body = Utf8ToText("这是一个用来测量句子管理窗口打开大文件所需时间的句子，编号");
    for (std::size_t i = 1; i <= lines; ++i) out << body << i << "\r\n";
  }
  ~LineFileStore() { fs::remove_all(folder_); }

 private:
  std::string folder_;
};

long ResidentBytes() {
  long pages = 0, resident = 0;
  if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return resident * ::sysconf(_SC_PAGESIZE);
}

void BM_OpenSentenceFile(benchmark::State& state) {
  const auto lines = static_cast<std::size_t>(state.range(0));
  LineFileStore store(lines);
  double added = 0;
  for (auto _ : state) {
    const long before = ResidentBytes();
    auto* window = new SentenceManagerWindow;
    window->show();
    QCoreApplication::processEvents();
    auto* combo = window->findChild<QComboBox*>(QStringLiteral("组合框_句子库"));
    auto* files = window->findChild<QListWidget*>(QStringLiteral("列表框_句子文件"));
    combo->setCurrentIndex(1);
    emit combo->activated(1);
    files->setCurrentRow(0);
    emit files->itemDoubleClicked(files->item(0));
    window->repaint();
    QCoreApplication::processEvents();
    added += static_cast<double>(ResidentBytes() - before);
    state.PauseTiming();
    delete window;
    QCoreApplication::processEvents();
    state.ResumeTiming();
  }
  state.counters["lines"] = static_cast<double>(lines);
  state.counters["added_MB"] = added / static_cast<double>(state.iterations()) / (1024.0 * 1024.0);
}
BENCHMARK(BM_OpenSentenceFile)
    ->Name("BM_OpenSentenceFile/lines")
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace
}  // namespace wordloom::bench

int main(int argc, char** argv) {
  // No display needed: the offscreen platform paints into memory.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
