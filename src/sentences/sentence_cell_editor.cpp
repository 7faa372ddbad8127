#include "sentences/sentence_cell_editor.h"

#include <QItemEditorFactory>
#include <QStyledItemDelegate>
#include <QValidator>

#include "services/ui_grid.h"

namespace wordloom {
namespace {

qsizetype CountLineBreaks(const QString& text) {
  return text.count(QLatin1Char('\r')) + text.count(QLatin1Char('\n'));
}

}  // namespace

// Refuses any text holding more line-break characters than the edit started with.
class LineBreakGuard : public QValidator {
 public:
  using QValidator::QValidator;

  void Allow(qsizetype lineBreaks) { allowed_ = lineBreaks; }

  State validate(QString& input, int&) const override {
    return CountLineBreaks(input) > allowed_ ? Invalid : Acceptable;
  }

 private:
  qsizetype allowed_ = 0;
};

namespace {

// Every cell of the sentence grid holds text, whatever its data type says.
class SentenceEditorFactory : public QItemEditorFactory {
 public:
  QWidget* createEditor(int, QWidget* parent) const override {
    return new SentenceCellEditor(parent);
  }
  QByteArray valuePropertyName(int) const override { return QByteArrayLiteral("text"); }
};

}  // namespace

SentenceCellEditor::SentenceCellEditor(QWidget* parent)
    : QLineEdit(parent), guard_(new LineBreakGuard(this)) {
  setFrame(false);
  setValidator(guard_);
}

void SentenceCellEditor::SetStartText(const QString& text) {
  guard_->Allow(CountLineBreaks(text));
  setText(text);
}

void UseSentenceCellEditors(ui::Grid* grid) {
  // The delegate does not own its factory; one factory serves every grid for the whole run.
  static SentenceEditorFactory factory;
  auto* delegate = qobject_cast<QStyledItemDelegate*>(grid->itemDelegate());
  if (delegate != nullptr) delegate->setItemEditorFactory(&factory);
}

}  // namespace wordloom
