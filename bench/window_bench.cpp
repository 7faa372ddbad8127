// The windows on big stores: how long the user-interface thread is busy when a window opens
// on thousands of templates or libraries, and when a long article is shown. Offscreen, so it
// runs without a display; the store is written into a temporary folder first.
#include <QApplication>
#include <QPlainTextDocumentLayout>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QThread>
#include <QTreeWidget>

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

#include "app/main_window.h"
#include "app/prepared_document.h"
#include "libraries/library_manager_window.h"
#include "services/encoding.h"
#include "services/environment.h"
#include "store/resource_store.h"

namespace wordloom::bench {
namespace {

namespace fs = std::filesystem;

// A fresh run directory holding `templates` template files and `libraries` registered
// sentence libraries, made the run directory while it lives.
class WindowStore {
 public:
  WindowStore(int templates, int libraries) {
    std::string pattern = (fs::temp_directory_path() / "wordloom-window-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp");
    folder_ = pattern;
    fs::create_directories(folder_ + "/" + TextToFileSystem(Utf8ToText("模版")));
    for (int i = 0; i < templates; ++i) {
      std::ofstream(folder_ + "/" + TextToFileSystem(Utf8ToText("模版")) + "/t" +
                    std::to_string(i) + ".txt")
          << "x";
    }
    std::string registry;
    for (int i = 0; i < libraries; ++i) {
      registry += "[lib" + std::to_string(i) + "]\r\n" + Utf8ToText("标签") + "={<_L" +
                  std::to_string(i) + "_>}\r\n";
    }
    std::ofstream(folder_ + "/juzi.ini", std::ios::binary) << registry;
    OverrideRunDirectory(FileSystemToText(folder_));
  }
  ~WindowStore() {
    OverrideRunDirectory(Text());
    fs::remove_all(folder_);
  }

 private:
  std::string folder_;
};

void BM_MainWindowOpens(benchmark::State& state) {
  WindowStore store(static_cast<int>(state.range(0)), 0);
  for (auto _ : state) {
    MainWindow window;
    benchmark::DoNotOptimize(window.TemplateFileList().size());
  }
}
BENCHMARK(BM_MainWindowOpens)->ArgName("templates")->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_LibraryManagerOpens(benchmark::State& state) {
  WindowStore store(0, static_cast<int>(state.range(0)));
  for (auto _ : state) {
    SentenceLibraryManagerWindow window;
    benchmark::DoNotOptimize(&window);
  }
}
BENCHMARK(BM_LibraryManagerOpens)->ArgName("libraries")->Arg(5000)->Unit(benchmark::kMillisecond);

QString ArticleOfLines(int lines) {
  QString article;
  for (int i = 0; i < lines; ++i) {
    article += QStringLiteral("<p>第%1段，这是一行测试文字，用来衡量显示文章的时间。</p>\n").arg(i);
  }
  return article;
}

// The output box taking a long article in one call on the user-interface thread, as a
// plain setPlainText() would: the freeze the prepared document avoids.
void BM_ShowArticle(benchmark::State& state) {
  WindowStore store(0, 0);
  MainWindow window;
  window.show();
  auto* output = window.findChild<QPlainTextEdit*>(QStringLiteral("编辑框_生成的文章"));
  const QString article = ArticleOfLines(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    output->setPlainText(article);
    QCoreApplication::processEvents();
  }
}
BENCHMARK(BM_ShowArticle)->ArgName("lines")->Arg(200000)->Unit(benchmark::kMillisecond);

// The same article as the main window shows it: the document built on a worker, and only
// the swap on the user-interface thread, which is what is timed.
void BM_ShowPreparedDocument(benchmark::State& state) {
  WindowStore store(0, 0);
  MainWindow window;
  window.show();
  auto* output = window.findChild<QPlainTextEdit*>(QStringLiteral("编辑框_生成的文章"));
  const QString article = ArticleOfLines(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    state.PauseTiming();
    QTextDocument* document = nullptr;
    std::thread([&] { document = PreparePlainDocument(article, output->font()); }).join();
    state.ResumeTiming();
    QTextDocument* previous = SwapInDocument(output, document, QThread::currentThread());
    QCoreApplication::processEvents();
    state.PauseTiming();
    delete previous;
    state.ResumeTiming();
  }
}
BENCHMARK(BM_ShowPreparedDocument)->ArgName("lines")->Arg(200000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace wordloom::bench

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
