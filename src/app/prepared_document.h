// Showing a long text in a plain-text box without freezing the window: the document is built
// on the worker thread (a line of text is a block, and a 200,000-line article takes most of a
// second to build), and the user-interface thread only swaps it in. The box's previous
// document goes back to the worker, which deletes it there.
#pragma once

#include <QFont>
#include <QString>

class QPlainTextEdit;
class QTextDocument;
class QThread;

namespace wordloom {

// On the worker: a document holding `text` in `font`, laid out for a plain-text box and
// handed over to the user-interface thread.
QTextDocument* PreparePlainDocument(const QString& text, const QFont& font);

// On the user-interface thread: makes `document` the box's content. Returns the box's
// previous document, handed over to `disposer` (the worker) to delete, or null.
QTextDocument* SwapInDocument(QPlainTextEdit* box, QTextDocument* document, QThread* disposer);

}  // namespace wordloom
