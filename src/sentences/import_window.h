// The choices of an import, shown once the picked files have been read: what each file was
// recognised as, whether duplicates go, and, when lines hold characters GBK cannot hold,
// whether those lines are skipped or only those characters dropped.
#pragma once

#include <QDialog>
#include <QStringList>

#include <functional>
#include <optional>

#include "import/text_import.h"

class QCheckBox;
class QRadioButton;

namespace wordloom {

class ImportWindow : public QDialog {
  Q_OBJECT

 public:
  // Told once: the options when the user imports, nothing when the window closes otherwise.
  using Decide = std::function<void(const std::optional<import::ImportOptions>&)>;

  // `files` describes each picked file; `unmappable` lists the lines that hold characters
  // GBK cannot hold (empty: no such choice is offered).
  ImportWindow(QWidget* parent, const QString& intro, const QStringList& files,
               const QStringList& unmappable, Decide decide);

 private:
  void Import();

  QCheckBox* dropDuplicates_ = nullptr;
  QRadioButton* dropCharacters_ = nullptr;
  Decide decide_;
  bool decided_ = false;
};

}  // namespace wordloom
