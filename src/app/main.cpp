// Wordloom: writes articles from templates, sentence and keyword libraries and synonyms.

#include <QApplication>
#include <QLibraryInfo>
#include <QThread>
#include <QTranslator>

#include <csignal>
#include <cstdio>
#include <string_view>

#include "app/main_window.h"
#include "services/environment.h"
#include "services/ui.h"
#include "services/version.h"
#include "store/resource_store.h"

int main(int argc, char* argv[]) {
  // Answered before any window or display is needed: the launcher asks it at every start.
  for (int i = 1; i < argc; ++i) {
    if (std::string_view(argv[i]) == "--version") {
      std::printf("wordloom %s\n", wordloom::kVersion);
      return std::fflush(stdout) == 0 ? 0 : 1;
    }
  }
  // A write beyond a file-size limit must fail like a full disk, not end the program.
  std::signal(SIGXFSZ, SIG_IGN);
  QApplication app(argc, argv);
  // Lets the desktop match the window to the menu entry and its icon (wordloom.desktop).
  QGuiApplication::setDesktopFileName(QStringLiteral("wordloom"));
  // Qt's own texts (the file dialogs, the standard buttons) in Chinese like the rest of the
  // interface, whatever the system's language; English stays when the translations are
  // not installed.
  QTranslator qtTexts;
  if (qtTexts.load(QStringLiteral("qtbase_zh_CN"),
                   QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QApplication::installTranslator(&qtTexts);
  }
  wordloom::ChangeToRunDirectory();
  wordloom::ResourceStore::SweepTemporaryFiles();
  wordloom::ui::InstallEventPump();

  int status = 0;
  {
    wordloom::MainWindow window;
    window.show();
    status = QApplication::exec();
    // A worker still running may write into a window (a batch whose window closed has been
    // told to stop), read the store (a store check) or write a library file (a change, an
    // import, an export): let them finish first.
    while (wordloom::ui::RunningThreads() > 0) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
      QThread::msleep(5);
    }
  }
  return status;
}
