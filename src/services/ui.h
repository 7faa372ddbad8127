// User-interface services: message boxes, clipboard, worker thread, modal windows, focus,
// the texts of controls and the item numbers of combo and list boxes. A thin layer over Qt
// that the windows are written against.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

#include "services/text.h"

class QComboBox;
class QDialog;
class QListWidget;
class QWidget;

namespace wordloom::ui {

// ShowMessage flags and the button codes it returns.
inline constexpr int kOk = 0;            // flag: an OK button
inline constexpr int kOkCancel = 1;      // flag: OK and Cancel
inline constexpr int kWarning = 48;      // flag: OK with an exclamation icon
inline constexpr int kYesNoCancel = 3;   // flag: 保存, 不保存 and 取消 (unsaved changes)
inline constexpr int kAnswerOk = 0;      // also 保存 of kYesNoCancel
inline constexpr int kAnswerCancel = 1;  // also 取消 of kYesNoCancel, and closing any box
inline constexpr int kAnswerNo = 2;      // 不保存 of kYesNoCancel

// Shows a modal message box and returns the button code. Safe from any thread: the box is
// shown on the user-interface thread and a worker waits for the answer.
int ShowMessage(const QString& text, int flags, const QString& title);

// The three kinds of message every window shows, with their flags and titles.
void Warn(const QString& text);     // OK with a warning icon, title "警告"
void Inform(const QString& text);   // OK, title "提示"
bool Ask(const QString& question);  // OK and Cancel, title "警告"; true for OK
// The same, with Cancel as the default button: for questions where a hasty Enter must not
// destroy anything (replacing files).
bool AskDefaultCancel(const QString& question);

// What to do with unsaved changes: the question has 保存, 不保存 and 取消 (title "警告");
// closing the box goes back, so nothing is lost by a stray Escape.
enum class UnsavedChoice { kSave, kDiscard, kGoBack };
UnsavedChoice AskAboutUnsavedChanges(const QString& question);

// Why a file operation failed, in the user's words (the system's reason for an errno value).
QString FileErrorReason(int error);

// Tests answer message boxes without showing them: the responder gets every message.
struct Message {
  QString text;
  int flags = 0;
  QString title;
  bool cancelIsDefault = false;  // Enter answers Cancel
};
using MessageResponder = std::function<int(const Message&)>;
void SetMessageResponder(MessageResponder responder);

// File dialogs: the files to read (empty when the user cancels), or the file to write (empty
// when cancelled; the dialog does not ask about a name that is taken: the writer refuses
// it). Tests answer them without a dialog on screen.
QStringList ChooseFilesToOpen(QWidget* parent, const QString& title);
QString ChooseFileToSave(QWidget* parent, const QString& title, const QString& suggestedName);
struct FileChoice {
  QString title;
  bool save = false;
  QString suggestedName;  // when saving
};
using FileChooser = std::function<QStringList(const FileChoice&)>;
void SetFileChooser(FileChooser chooser);

bool CopyTextToClipboard(const QString& text);

// Runs the routine on a new thread that nobody waits for; false when it could not start.
bool StartThread(std::function<void()> routine);
// How many of those threads are still running: the program waits for them at exit, since
// they may be writing a store file.
int RunningThreads();
// Tests make the next thread starts fail.
void SetThreadStartFailureForTesting(bool fail);

// Runs `work` on the user-interface thread and waits for it (directly when already there).
void RunOnUiThread(const std::function<void()>& work);

// Shows a freshly created window modally over its parent: the other windows take no input
// until it closes, and it is deleted when closed. Returns at once.
void OpenWindowModal(QDialog* window);

void FocusControl(QWidget* control);

// Lets waiting user-interface events run when called on the user-interface thread.
void InstallEventPump();

// Texts of controls. Contents (templates, sentences, tags) use code page 936, and a
// character it cannot hold is reported instead of being saved as "?". Names of files and
// libraries may hold any character (GB18030 four-byte sequences inside the program).
QString Display(const Text& text);
QString DisplayName(const Text& name);
std::optional<Text> ContentFromDisplay(const QString& shown);
Text NameFromDisplay(const QString& shown);
// The first character of `shown` that code page 936 cannot hold, for messages.
QString FirstUnsupportedCharacter(const QString& shown);

// Combo and list box items carry an item number beside their text.
int InsertItem(QComboBox* box, int position, const QString& text, int itemNumber = 0);
int InsertItem(QListWidget* box, int position, const QString& text, int itemNumber = 0);
// The item's number, or -1 when the index is negative or not below the item count.
int ItemNumber(const QComboBox* box, int index);
int ItemNumber(const QListWidget* box, int index);
bool DeleteItem(QListWidget* box, int index);

}  // namespace wordloom::ui
