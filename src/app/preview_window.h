// The article as a web page, in a window of its own. The article is the user's own HTML,
// shown as written, and nothing else: no address is fetched, no local file is opened (an
// image at /dev/zero or a named pipe would hang the window or fill the memory), and
// scripts never run (the viewer has no script engine).
#pragma once

#include <QDialog>
#include <QTextBrowser>

namespace wordloom {

// A viewer that loads nothing: every style sheet or page an article names comes back
// empty and every image as a grey box, without a look at the network or the disk. Links
// are not followed.
class SealedBrowser : public QTextBrowser {
  Q_OBJECT

 public:
  explicit SealedBrowser(QWidget* parent = nullptr);

  QVariant loadResource(int type, const QUrl& name) override;

 protected:
  void doSetSource(const QUrl& name, QTextDocument::ResourceType type) override;
};

class ArticlePreviewWindow : public QDialog {
  Q_OBJECT

 public:
  ArticlePreviewWindow(const QString& articleHtml, QWidget* parent = nullptr);
};

}  // namespace wordloom
