// The advertisement viewer: one web page, loaded in the background. Start-up never waits
// for it, and without a network it shows a quiet placeholder instead of an error.
#pragma once

#include <QTextBrowser>
#include <QUrl>

class QNetworkAccessManager;

namespace wordloom {

class AdvertisementView : public QTextBrowser {
  Q_OBJECT

 public:
  explicit AdvertisementView(QWidget* parent = nullptr);

  // The page every viewer loads; an empty address loads nothing (tests).
  static void SetPageForTesting(const QUrl& page);

 private:
  void Load(const QUrl& page);
  void ShowPlaceholder();

  QNetworkAccessManager* network_ = nullptr;
};

}  // namespace wordloom
