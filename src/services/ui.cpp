#include "services/ui.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QFileDialog>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <system_error>
#include <thread>

#include "services/encoding.h"
#include "services/files.h"
#include "util/event_pump.h"

namespace wordloom::ui {
namespace {

std::mutex gResponderMutex;
MessageResponder gResponder;
FileChooser gFileChooser;
std::atomic<bool> gFailThreadStarts{false};

FileChooser CurrentFileChooser() {
  std::lock_guard lock(gResponderMutex);
  return gFileChooser;
}

bool OnUiThread() { return qApp == nullptr || QThread::currentThread() == qApp->thread(); }

QString FromUtf16(const std::u16string& u) {
  return QString(reinterpret_cast<const QChar*>(u.data()), static_cast<qsizetype>(u.size()));
}

std::u16string ToUtf16(const QString& s) {
  return std::u16string(reinterpret_cast<const char16_t*>(s.utf16()),
                        static_cast<std::size_t>(s.size()));
}

int ShowBox(const Message& message) {
  QMessageBox box;
  box.setWindowTitle(message.title);
  box.setText(message.text);
  box.setIcon(message.flags == kWarning ? QMessageBox::Warning : QMessageBox::NoIcon);
  const bool three = message.flags == kYesNoCancel;
  QPushButton* ok = box.addButton(three ? QStringLiteral("保存") : QStringLiteral("确定"),
                                  QMessageBox::AcceptRole);
  QPushButton* no =
      three ? box.addButton(QStringLiteral("不保存"), QMessageBox::DestructiveRole) : nullptr;
  QPushButton* cancel = nullptr;
  if (message.flags == kOkCancel || three) {
    cancel = box.addButton(QStringLiteral("取消"), QMessageBox::RejectRole);
    box.setEscapeButton(cancel);
  } else {
    box.setEscapeButton(ok);
  }
  box.setDefaultButton(message.cancelIsDefault && cancel != nullptr ? cancel : ok);
  box.exec();
  // Closing the box counts as Cancel where there is one, else as OK.
  if (box.clickedButton() == ok || cancel == nullptr) return kAnswerOk;
  return no != nullptr && box.clickedButton() == no ? kAnswerNo : kAnswerCancel;
}

int Show(const Message& message) {
  int answer = kAnswerOk;
  // Scripted answers are given on the user-interface thread too, as a real box would be.
  RunOnUiThread([&] {
    MessageResponder responder;
    {
      std::lock_guard lock(gResponderMutex);
      responder = gResponder;
    }
    answer = responder ? responder(message) : ShowBox(message);
  });
  return answer;
}

}  // namespace

int ShowMessage(const QString& text, int flags, const QString& title) {
  return Show(Message{text, flags, title});
}

void Warn(const QString& text) { ShowMessage(text, kWarning, QStringLiteral("警告")); }

void Inform(const QString& text) { ShowMessage(text, kOk, QStringLiteral("提示")); }

bool Ask(const QString& question) {
  return ShowMessage(question, kOkCancel, QStringLiteral("警告")) == kAnswerOk;
}

bool AskDefaultCancel(const QString& question) {
  return Show(Message{question, kOkCancel, QStringLiteral("警告"), true}) == kAnswerOk;
}

UnsavedChoice AskAboutUnsavedChanges(const QString& question) {
  switch (ShowMessage(question, kYesNoCancel, QStringLiteral("警告"))) {
    case kAnswerOk:
      return UnsavedChoice::kSave;
    case kAnswerNo:
      return UnsavedChoice::kDiscard;
    default:
      return UnsavedChoice::kGoBack;
  }
}

QString FileErrorReason(int error) {
  switch (error) {
    case kNotRegularFile:
      return QStringLiteral("它不是普通文件（是管道、设备或套接字）");
    case kStoreBusy:
      return QStringLiteral("另一个正在运行的 Wordloom 正在写入资源库，请稍后再试");
    case kRefusedName:
      return QStringLiteral("名称或内容含有无法保存的字符");
    case kChangedOnDisk:
      return QStringLiteral("文件在打开之后已在别处被修改");
    case kFileTooLarge:
      return QStringLiteral("文件超过 %1 MB，程序不读取这么大的文件").arg(kMaxFileBytes >> 20);
    case ENOENT:
      return QStringLiteral("文件或文件夹不存在");
    case EACCES:
    case EPERM:
      return QStringLiteral("没有访问权限");
    case EISDIR:
      return QStringLiteral("已有同名的文件夹占用了这个位置");
    case ENOTDIR:
      return QStringLiteral("路径中有一级不是文件夹");
    case EEXIST:
      return QStringLiteral("这个位置已有一个同名的文件");
    case ENOSPC:
    case EDQUOT:
      return QStringLiteral("磁盘已满");
    case EFBIG:
      return QStringLiteral("文件过大，超出了系统允许的大小");
    case EROFS:
      return QStringLiteral("磁盘是只读的");
    case EIO:
      return QStringLiteral("读写磁盘时出错");
    case ENAMETOOLONG:
      return QStringLiteral("名称太长");
    case ELOOP:
      return QStringLiteral("符号链接太多或指向自身");
    default:
      return QStringLiteral("系统错误 %1：%2")
          .arg(error)
          .arg(QString::fromLocal8Bit(std::strerror(error)));
  }
}

void SetMessageResponder(MessageResponder responder) {
  std::lock_guard lock(gResponderMutex);
  gResponder = std::move(responder);
}

QStringList ChooseFilesToOpen(QWidget* parent, const QString& title) {
  if (const FileChooser chooser = CurrentFileChooser()) return chooser({title, false, {}});
  return QFileDialog::getOpenFileNames(parent, title, {},
                                       QStringLiteral("文本文件 (*.txt);;所有文件 (*)"));
}

QString ChooseFileToSave(QWidget* parent, const QString& title, const QString& suggestedName) {
  if (const FileChooser chooser = CurrentFileChooser()) {
    const QStringList chosen = chooser({title, true, suggestedName});
    return chosen.isEmpty() ? QString() : chosen.front();
  }
  return QFileDialog::getSaveFileName(parent, title, suggestedName,
                                      QStringLiteral("文本文件 (*.txt);;所有文件 (*)"), nullptr,
                                      QFileDialog::DontConfirmOverwrite);
}

void SetFileChooser(FileChooser chooser) {
  std::lock_guard lock(gResponderMutex);
  gFileChooser = std::move(chooser);
}

bool CopyTextToClipboard(const QString& text) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (clipboard == nullptr) return false;
  clipboard->clear();
  clipboard->setText(text);
  return true;
}

static std::atomic<int> gRunningThreads{0};

bool StartThread(std::function<void()> routine) {
  if (gFailThreadStarts.load()) return false;
  gRunningThreads.fetch_add(1);
  try {
    std::thread([routine = std::move(routine)] {
      routine();
      gRunningThreads.fetch_sub(1);
    }).detach();
    return true;
  } catch (const std::system_error&) {
    gRunningThreads.fetch_sub(1);
    return false;
  }
}

int RunningThreads() { return gRunningThreads.load(); }

void SetThreadStartFailureForTesting(bool fail) { gFailThreadStarts.store(fail); }

void RunOnUiThread(const std::function<void()>& work) {
  if (OnUiThread()) {
    work();
    return;
  }
  QMetaObject::invokeMethod(
      qApp, [&work] { work(); }, Qt::BlockingQueuedConnection);
}

void OpenWindowModal(QDialog* window) {
  window->setAttribute(Qt::WA_DeleteOnClose);
  window->setWindowModality(Qt::ApplicationModal);
  window->show();
}

void FocusControl(QWidget* control) {
  control->activateWindow();
  control->setFocus(Qt::OtherFocusReason);
}

void InstallEventPump() {
  SetPumpEventsHook([] {
    if (qApp != nullptr && QThread::currentThread() == qApp->thread()) {
      QCoreApplication::processEvents();
    }
  });
}

QString Display(const Text& text) { return FromUtf16(DecodeGbk(text)); }

QString DisplayName(const Text& name) { return FromUtf16(DecodeName(name)); }

std::optional<Text> ContentFromDisplay(const QString& shown) {
  GbkEncoding e = EncodeGbk(ToUtf16(shown));
  if (!e.ok) return std::nullopt;
  return std::move(e.bytes);
}

Text NameFromDisplay(const QString& shown) { return EncodeName(ToUtf16(shown)); }

QString FirstUnsupportedCharacter(const QString& shown) {
  GbkEncoding e = EncodeGbk(ToUtf16(shown));
  if (e.ok) return QString();
  qsizetype i = static_cast<qsizetype>(e.badIndex);
  bool pair = shown.at(i).isHighSurrogate() && i + 1 < shown.size();
  return shown.mid(i, pair ? 2 : 1);
}

int InsertItem(QComboBox* box, int position, const QString& text, int itemNumber) {
  if (position < 0) return -1;
  int at = std::min(position, box->count());
  box->insertItem(at, text, itemNumber);
  return at;
}

int InsertItem(QListWidget* box, int position, const QString& text, int itemNumber) {
  if (position < 0) return -1;
  int at = std::min(position, box->count());
  auto* item = new QListWidgetItem(text);
  item->setData(Qt::UserRole, itemNumber);
  box->insertItem(at, item);
  return at;
}

int ItemNumber(const QComboBox* box, int index) {
  if (index < 0 || index >= box->count()) return -1;
  return box->itemData(index, Qt::UserRole).toInt();
}

int ItemNumber(const QListWidget* box, int index) {
  if (index < 0 || index >= box->count()) return -1;
  return box->item(index)->data(Qt::UserRole).toInt();
}

bool DeleteItem(QListWidget* box, int index) {
  if (index < 0 || index >= box->count()) return false;
  delete box->takeItem(index);
  return true;
}

}  // namespace wordloom::ui
