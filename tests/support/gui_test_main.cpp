// One QApplication serves the whole GoogleTest run of the window tests.

#include <QApplication>

#include <gtest/gtest.h>

#include "app/advertisement.h"
#include "services/ui.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  wordloom::ui::InstallEventPump();
  wordloom::AdvertisementView::SetPageForTesting(QUrl());  // no network in tests
  return RUN_ALL_TESTS();
}
