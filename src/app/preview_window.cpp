#include "app/preview_window.h"

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QUrl>
#include <QVBoxLayout>

namespace wordloom {
namespace {

// What stands in for every image: a small grey box.
const QImage& ImagePlaceholder() {
  static const QImage box = [] {
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(QColor(0xdd, 0xdd, 0xdd));
    for (int i = 0; i < 16; ++i) {
      for (const QPoint& p : {QPoint(i, 0), QPoint(i, 15), QPoint(0, i), QPoint(15, i)}) {
        image.setPixelColor(p, QColor(0x99, 0x99, 0x99));
      }
    }
    return image;
  }();
  return box;
}

}  // namespace

SealedBrowser::SealedBrowser(QWidget* parent) : QTextBrowser(parent) {
  setOpenLinks(false);
  setOpenExternalLinks(false);
}

QVariant SealedBrowser::loadResource(int type, const QUrl&) {
  // Every answer must be a value: for a null one the document, and for anything but a real
  // image the image drawer, would open the name as a file. "data:" addresses too: one that
  // does not decode to an image is opened as a file name.
  if (type == QTextDocument::ImageResource) return ImagePlaceholder();
  return QVariant(QByteArray());
}

void SealedBrowser::doSetSource(const QUrl&, QTextDocument::ResourceType) {
  // Nothing is opened by address: the article is set as text.
}

ArticlePreviewWindow::ArticlePreviewWindow(const QString& articleHtml, QWidget* parent)
    : QDialog(parent) {
  setObjectName(QStringLiteral("ArticlePreviewWindow"));
  setWindowTitle(QStringLiteral("文章预览"));
  resize(760, 560);
  move(80, 80);
  auto* browser = new SealedBrowser(this);
  browser->setObjectName(QStringLiteral("超文本浏览框_预览"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(browser);
  browser->setHtml(articleHtml);
}

}  // namespace wordloom
