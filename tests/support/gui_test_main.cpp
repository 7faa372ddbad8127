// One QApplication serves the whole GoogleTest run of the window tests.

#include <QApplication>

#include <gtest/gtest.h>

#include "app/advertisement.h"
#include "services/ui.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // Without a display (listing the tests, a quick run on a server) the windows draw
  // offscreen; CI runs them on a virtual display.
  if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication app(argc, argv);
  wordloom::ui::InstallEventPump();
  wordloom::AdvertisementView::SetPageForTesting(QUrl());  // no network in tests
  return RUN_ALL_TESTS();
}
