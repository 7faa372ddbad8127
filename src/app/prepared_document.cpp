#include "app/prepared_document.h"

#include <QCoreApplication>
#include <QPlainTextDocumentLayout>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextDocument>
#include <QThread>

namespace wordloom {

QTextDocument* PreparePlainDocument(const QString& text, const QFont& font) {
  auto* document = new QTextDocument;
  document->setDocumentLayout(new QPlainTextDocumentLayout(document));
  document->setDefaultFont(font);
  document->setPlainText(text);
  document->moveToThread(QCoreApplication::instance()->thread());
  return document;
}

QTextDocument* SwapInDocument(QPlainTextEdit* box, QTextDocument* document, QThread* disposer) {
  QPointer<QTextDocument> previous = box->document();
  document->setParent(box);
  box->setDocument(document);
  if (!previous) return nullptr;
  previous->setParent(nullptr);
  previous->moveToThread(disposer);
  return previous;
}

}  // namespace wordloom
