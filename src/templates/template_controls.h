// Building the controls of the template windows from their design: name, caption, place.
#pragma once

#include <QRect>
#include <QString>

class QLabel;
class QListWidget;
class QPushButton;
class QWidget;

namespace wordloom {

QPushButton* MakeButton(QWidget* parent, const char* designName, const char* caption,
                        const QRect& place);

// The row of the selected item, -1 when none. Qt makes the first item current when a list
// takes the focus, without selecting it: that one is not what the user chose.
int SelectedRow(const QListWidget* list);
QLabel* MakeLabel(QWidget* parent, const char* designName, const char* caption, const QRect& place);

// The row of the selected item, -1 when none. Qt makes the first item current when a list
// takes the focus, without selecting it: that one is not what the user chose.
int SelectedRow(const QListWidget* list);

}  // namespace wordloom
