// Wordloom: writes articles from templates, sentence and keyword libraries and synonyms.

#include <QApplication>
#include <QThread>

#include <csignal>

#include "app/main_window.h"
#include "batch/batch_window.h"
#include "services/environment.h"
#include "services/ui.h"
#include "store/resource_store.h"

int main(int argc, char* argv[]) {
  // A write beyond a file-size limit must fail like a full disk, not end the program.
  std::signal(SIGXFSZ, SIG_IGN);
  QApplication app(argc, argv);
  wordloom::ChangeToRunDirectory();
  wordloom::ResourceStore::SweepTemporaryFiles();
  wordloom::ui::InstallEventPump();

  int status = 0;
  {
    wordloom::MainWindow window;
    window.show();
    status = QApplication::exec();
    // A generation or a batch still running writes into a window: let it finish first (a
    // batch whose window closed has been told to stop).
    while (wordloom::RunningGenerations() > 0 || wordloom::RunningBatches() > 0) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
      QThread::msleep(5);
    }
  }
  return status;
}
