// Building a window's controls from its design: each control gets its design name as its
// objectName (tests find it by that name) and its place in the window. One set for every
// window, so the conventions (no auto-default buttons, captions that fit) hold everywhere.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <optional>

class QLabel;
class QListWidget;
class QPushButton;
class QTreeWidget;
class QWidget;

namespace wordloom::ui {

// Gives a window its design: its name, title and fixed client size, and the place where it
// opens when the design fixes one (otherwise the window system centres it over its parent).
void DesignWindow(QWidget* window, const char* designName, const QString& title, QSize size,
                  std::optional<QPoint> position = std::nullopt);

// Names and places a control made by the caller; returns it.
template <typename Control>
Control* Place(Control* control, const char* designName, const QRect& place) {
  control->setObjectName(QString::fromUtf8(designName));
  control->setGeometry(place);
  return control;
}

// A button that Enter in an edit box never presses, its caption shrunk to fit if needed.
QPushButton* MakeButton(QWidget* parent, const char* designName, const QString& caption,
                        const QRect& place);
// A label whose caption is shrunk to fit rather than cut off.
QLabel* MakeLabel(QWidget* parent, const char* designName, const QString& caption,
                  const QRect& place);

// The row of the selected item, -1 when none. Qt makes the first item current when a list
// takes the focus, without selecting it: that one is not what the user chose.
int SelectedRow(const QListWidget* list);

// Gives every row of the list the height of a row of Chinese text. The Chinese glyphs come
// from a fallback font that is taller than the Latin one, so a name in Latin letters alone
// would otherwise sit in a shorter row than its neighbours.
void KeepListRowsEven(QListWidget* list);

// Makes the tree a flat, read-only table: no branches, whole rows selected one at a time.
void MakeFlatTable(QTreeWidget* list);

}  // namespace wordloom::ui
