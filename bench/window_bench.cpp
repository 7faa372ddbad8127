// The windows on big stores: how long the user-interface thread is busy when a window opens
// on thousands of templates or libraries, when a long article is shown, and when the
// sentence manager opens a file of a million lines. Offscreen, so it runs without a display;
// the store is written into a temporary folder first.
#include <QApplication>
#include <QComboBox>
#include <QListWidget>
#include <QPlainTextDocumentLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextDocument>
#include <QThread>
#include <QTreeWidget>

#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

#include "app/main_window.h"
#include "app/prepared_document.h"
#include "libraries/library_manager_window.h"
#include "sentences/sentence_manager_window.h"
#include "services/encoding.h"
#include "services/environment.h"
#include "services/ui_grid.h"
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

// A fresh run directory with the sentence library 大库 of one file of `lines` lines of about
// 60 bytes, made the run directory while it lives.
class LineFileStore {
 public:
  explicit LineFileStore(std::size_t lines) {
    std::string pattern = (fs::temp_directory_path() / "wordloom-window-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp");
    folder_ = pattern;
    OverrideRunDirectory(FileSystemToText(folder_));
    ResourceStore::WriteTag(LibraryKind::kSentence, Utf8ToText("大库"), Utf8ToText("{<_大_>}"));
    const std::string library =
        TextToFileSystem(ResourceStore::LibraryFolder(LibraryKind::kSentence, Utf8ToText("大库")));
    fs::create_directories(library);
    std::ofstream out(library + "/a.txt", std::ios::binary);
    const Text body = Utf8ToText("这是一个用来测量句子管理窗口打开大文件所需时间的句子，编号");
    for (std::size_t i = 1; i <= lines; ++i) out << body << i << "\r\n";
  }
  ~LineFileStore() {
    OverrideRunDirectory(Text());
    fs::remove_all(folder_);
  }

 private:
  std::string folder_;
};

long ResidentBytes() {
  long pages = 0, resident = 0;
  if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return resident * sysconf(_SC_PAGESIZE);
}

// The sentence manager opening a file, from the double-click until the grid is painted,
// driven by its controls' names only. Counter: the resident memory the open file added.
void BM_OpenSentenceFile(benchmark::State& state) {
  LineFileStore store(static_cast<std::size_t>(state.range(0)));
  double added = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto* window = new SentenceManagerWindow;
    window->show();
    QCoreApplication::processEvents();
    auto* combo = window->findChild<QComboBox*>(QStringLiteral("组合框_句子库"));
    auto* files = window->findChild<QListWidget*>(QStringLiteral("列表框_句子文件"));
    combo->setCurrentIndex(1);
    emit combo->activated(1);
    files->setCurrentRow(0);
    const long before = ResidentBytes();
    state.ResumeTiming();
    emit files->itemDoubleClicked(files->item(0));
    window->repaint();
    QCoreApplication::processEvents();
    state.PauseTiming();
    added += static_cast<double>(ResidentBytes() - before);
    delete window;
    QCoreApplication::processEvents();
    state.ResumeTiming();
  }
  state.counters["added_MB"] = added / static_cast<double>(state.iterations()) / (1 << 20);
}
BENCHMARK(BM_OpenSentenceFile)
    ->ArgName("lines")
    ->Arg(1000000)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

// The sentence manager with the store's one file open, as the user leaves it after a
// double-click.
class OpenSentenceFile {
 public:
  OpenSentenceFile() {
    window_ = std::make_unique<SentenceManagerWindow>();
    window_->show();
    QCoreApplication::processEvents();
    auto* combo = window_->findChild<QComboBox*>(QStringLiteral("组合框_句子库"));
    auto* files = window_->findChild<QListWidget*>(QStringLiteral("列表框_句子文件"));
    combo->setCurrentIndex(1);
    emit combo->activated(1);
    files->setCurrentRow(0);
    emit files->itemDoubleClicked(files->item(0));
    QCoreApplication::processEvents();
    grid = window_->findChild<ui::Grid*>(QStringLiteral("高级表格_句子列表"));
    add = window_->findChild<QPushButton*>(QStringLiteral("按钮_添加句子"));
  }
  QWidget* Window() const { return window_.get(); }

  ui::Grid* grid = nullptr;
  QPushButton* add = nullptr;

 private:
  std::unique_ptr<SentenceManagerWindow> window_;
};

// From the jump (the scroll bar dragged to the end, or back to the top) until the grid is
// painted there.
void BM_ScrollSentenceFile(benchmark::State& state) {
  LineFileStore store(static_cast<std::size_t>(state.range(0)));
  OpenSentenceFile open;
  QScrollBar* bar = open.grid->verticalScrollBar();
  bool atEnd = false;
  for (auto _ : state) {
    atEnd = !atEnd;
    bar->setValue(atEnd ? bar->maximum() : 0);
    open.grid->repaint();
    QCoreApplication::processEvents();
  }
  state.counters["rows"] = open.grid->rowCount() - 1;
}
BENCHMARK(BM_ScrollSentenceFile)
    ->ArgName("lines")
    ->Arg(1000000)
    ->Iterations(20)
    ->Unit(benchmark::kMillisecond);

// One line added at the end of the file: how long the user-interface thread is busy from
// the confirming click until the grid shows the line. The file is read again under the store
// lock and compared, rewritten atomically and cut into lines anew; what of that runs on a
// worker does not count, only the click and the events handled until the add button is
// enabled again (the waits between them are idle time). "longest" is the longest single
// stretch the window could not answer.
void BM_AddLineAtEndOfSentenceFile(benchmark::State& state) {
  using Clock = std::chrono::steady_clock;
  LineFileStore store(static_cast<std::size_t>(state.range(0)));
  OpenSentenceFile open;
  Clock::duration longest{};
  for (auto _ : state) {
    open.grid->clearSelection();
    open.add->click();
    QCoreApplication::processEvents();
    QWidget* entry = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets()) {
      if (top->objectName() == QStringLiteral("TextEntryWindow") && top->isVisible()) entry = top;
    }
    if (entry == nullptr) {
      state.SkipWithError("no window to type the line into");
      break;
    }
    entry->findChild<QPlainTextEdit*>(QStringLiteral("编辑框_输入"))
        ->setPlainText(QStringLiteral("在文件末尾添加的一行"));
    auto* confirm = entry->findChild<QPushButton*>(QStringLiteral("按钮_确定"));
    Clock::duration busy{};
    const auto timed = [&](const auto& work) {
      const auto start = Clock::now();
      work();
      const auto spent = Clock::now() - start;
      busy += spent;
      longest = std::max(longest, spent);
    };
    timed([&] { confirm->click(); });
    timed([&] {
      open.grid->repaint();
      QCoreApplication::processEvents();
    });
    if (!open.add->isEnabled()) {
      while (!open.add->isEnabled()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        timed([] { QCoreApplication::processEvents(); });
      }
      timed([&] { open.grid->repaint(); });
    }
    state.SetIterationTime(std::chrono::duration<double>(busy).count());
  }
  state.counters["rows"] = open.grid->rowCount() - 1;
  state.counters["longest_ms"] = std::chrono::duration<double, std::milli>(longest).count();
}
BENCHMARK(BM_AddLineAtEndOfSentenceFile)
    ->ArgName("lines")
    ->Arg(1000000)
    ->Iterations(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

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
