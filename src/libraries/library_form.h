// The part both library windows share: the naming hint, the name and tag boxes with their
// labels, and reading what the user typed there the way every library save checks it.
#pragma once

#include <QRect>
#include <QString>

#include <optional>

#include "services/text.h"
#include "store/resource_store.h"

class QDialog;
class QLineEdit;
class QPushButton;
class QWidget;

namespace wordloom::libraries {

struct LibraryForm {
  QLineEdit* nameBox = nullptr;
  QLineEdit* tagBox = nullptr;
};

// Lays out the hint, both labels and both boxes; the windows differ only in the boxes' width.
LibraryForm BuildLibraryForm(QDialog* window, LibraryKind kind, int boxWidth);

struct LibraryInput {
  Text name;
  Text tag;
};

// The typed name and tag, exactly as typed. Warns and gives nothing when a box is empty
// (`emptyWarning`), when the tag holds a character GBK cannot store, or when the name
// cannot name a folder of its own.
std::optional<LibraryInput> ReadLibraryInput(const LibraryForm& form, const QString& emptyWarning);

}  // namespace wordloom::libraries
