#include "app/advertisement.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace wordloom {
namespace {

// The page the viewer shows. Its host is ours to choose; the path is fixed.
const QUrl& DefaultPage() {
  static const QUrl page(QStringLiteral("http://ad.wordloom.cn/ali/index.html"));
  return page;
}

QUrl& CurrentPage() {
  static QUrl page = DefaultPage();
  return page;
}

constexpr int kTimeoutMs = 8000;
constexpr qint64 kMaxPageBytes = 512 * 1024;

}  // namespace

AdvertisementView::AdvertisementView(QWidget* parent) : QTextBrowser(parent) {
  setOpenExternalLinks(true);
  ShowPlaceholder();
  if (!CurrentPage().isEmpty()) Load(CurrentPage());
}

void AdvertisementView::SetPageForTesting(const QUrl& page) { CurrentPage() = page; }

void AdvertisementView::Load(const QUrl& page) {
  network_ = new QNetworkAccessManager(this);
  QNetworkRequest request(page);
  request.setTransferTimeout(kTimeoutMs);
  QNetworkReply* reply = network_->get(request);
  connect(reply, &QNetworkReply::finished, this, [this, reply] {
    reply->deleteLater();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply->error() != QNetworkReply::NoError || status != 200) return;  // keep the placeholder
    const QByteArray body = reply->read(kMaxPageBytes);
    setHtml(QString::fromUtf8(body));
  });
}

void AdvertisementView::ShowPlaceholder() {
  setHtml(QStringLiteral("<p style=\"color:#888888\">Wordloom V1.0</p>"));
}

}  // namespace wordloom
