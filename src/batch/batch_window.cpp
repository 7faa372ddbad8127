#include "batch/batch_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>

#include <algorithm>
#include <cmath>

#include "batch/batch_run.h"
#include "generator/article_generator.h"
#include "services/encoding.h"
#include "services/files.h"
#include "services/ini.h"
#include "services/ui.h"
#include "services/ui_controls.h"
#include "store/resource_store.h"
#include "store/store_names.h"
#include "util/file_listing.h"

namespace wordloom {
namespace {

std::atomic<int> gRunningBatches{0};

const QString& TemplatePrompt() {
  static const QString prompt = QStringLiteral("请选择模版");
  return prompt;
}

Text SettingsPath() {
  return ResourceStore::RunDirectory() + names::Separator() + names::SettingsFile();
}

Text ReadSetting(const Text& key) {
  return ReadIniValue(SettingsPath(), names::BatchSection(), key);
}

QString Percent(double share) { return QString::number(share * 100.0, 'f', 1) + QLatin1Char('%'); }

// A file name of the batch as the user sees it.
QString Shown(const std::string& fsName) { return ui::DisplayName(FileSystemToText(fsName)); }

// The folder the user typed, as the file system spells it; a relative one is taken from
// the run directory, where the program works.
std::string FolderFromDisplay(const QString& shown) {
  std::string folder = TextToFileSystem(ui::NameFromDisplay(shown.trimmed()));
  if (!folder.empty() && folder.front() != '/')
    folder = TextToFileSystem(ResourceStore::RunDirectory()) + "/" + folder;
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

}  // namespace

int RunningBatches() { return gRunningBatches.load(); }

BatchWindow::BatchWindow(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("BatchWindow"));
  setWindowTitle(QStringLiteral("批量生成"));
  setFixedSize(560, 488);
  move(60, 60);

  ui::MakeLabel(this, "标签_模版", QStringLiteral("文章模版："), {12, 16, 84, 20});
  templateList_ = ui::Place(new QComboBox(this), "组合框_模版列表", {100, 14, 240, 24});

  ui::MakeLabel(this, "标签_篇数", QStringLiteral("生成篇数："), {12, 50, 84, 20});
  countBox_ =
      ui::Place(new QLineEdit(QStringLiteral("100"), this), "编辑框_篇数", {100, 48, 110, 24});
  ui::MakeLabel(this, "标签_篇数范围", QStringLiteral("篇（1 至 1000000）"), {218, 50, 160, 20});

  ui::MakeLabel(this, "标签_输出文件夹", QStringLiteral("输出文件夹："), {12, 84, 84, 20});
  folderBox_ = ui::Place(new QLineEdit(this), "编辑框_输出文件夹", {100, 82, 356, 24});
  chooseButton_ =
      ui::MakeButton(this, "按钮_选择文件夹", QStringLiteral("选择..."), {464, 80, 84, 28});
  connect(chooseButton_, &QPushButton::clicked, this, &BatchWindow::ChooseFolder);

  ui::MakeLabel(this, "标签_文件名", QStringLiteral("文件名："), {12, 118, 84, 20});
  namesList_ = ui::Place(new QComboBox(this), "组合框_文件名", {100, 116, 170, 24});
  ui::InsertItem(namesList_, 0, QStringLiteral("编号（0001.txt）"), 0);
  ui::InsertItem(namesList_, 1, QStringLiteral("文章首行"), 1);
  ui::MakeLabel(this, "标签_编码", QStringLiteral("文件编码："), {286, 118, 76, 20});
  encodingList_ = ui::Place(new QComboBox(this), "组合框_编码", {366, 116, 182, 24});
  ui::InsertItem(encodingList_, 0, QStringLiteral("GBK（与生成的相同）"), 0);
  ui::InsertItem(encodingList_, 1, QStringLiteral("UTF-8"), 1);

  noRepeatBox_ = ui::Place(new QCheckBox(QStringLiteral("同一篇文章中不重复使用句子"), this),
                           "选择框_不重复句子", {12, 150, 330, 24});

  startButton_ = ui::MakeButton(this, "按钮_开始", QStringLiteral("开始"), {364, 148, 88, 30});
  cancelButton_ = ui::MakeButton(this, "按钮_取消", QStringLiteral("取消"), {460, 148, 88, 30});
  connect(startButton_, &QPushButton::clicked, this, &BatchWindow::StartBatch);
  connect(cancelButton_, &QPushButton::clicked, this, &BatchWindow::CancelBatch);

  progressBar_ = ui::Place(new QProgressBar(this), "进度条_进度", {12, 192, 536, 22});
  progressBar_->setRange(0, 1000);
  progressBar_->setValue(0);
  progressBar_->setTextVisible(false);
  progressLabel_ = ui::Place(new QLabel(this), "标签_进度", {12, 218, 536, 20});

  reportLabel_ = ui::Place(new QLabel(this), "标签_报告", {12, 244, 536, 96});
  reportLabel_->setWordWrap(true);
  reportLabel_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  reportLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  pairsList_ = ui::Place(new QTreeWidget(this), "超级列表框_相似文章", {12, 344, 536, 132});
  pairsList_->setRootIsDecorated(false);
  pairsList_->setHeaderLabels(
      {QStringLiteral("相似度"), QStringLiteral("文章一"), QStringLiteral("文章二")});
  pairsList_->setColumnWidth(0, 72);
  pairsList_->setColumnWidth(1, 228);

  FillTemplateList();
  RestoreSettings();
  SetRunning(false);
}

BatchWindow::~BatchWindow() {
  if (control_) control_->stopWriting = control_->stopMeasuring = true;
}

void BatchWindow::FillTemplateList() {
  EnumerateFiles(ResourceStore::TemplateFolder(), names::TextFilePattern(), templateFileList_,
                 false, true);
  ui::InsertItem(templateList_, 0, TemplatePrompt(), 0);
  for (std::size_t i = 0; i < templateFileList_.size(); ++i) {
    const int k = static_cast<int>(i) + 1;
    ui::InsertItem(templateList_, k, ui::DisplayName(templateFileList_[i]), k);
  }
  templateList_->setCurrentIndex(0);
}

void BatchWindow::RestoreSettings() {
  const Text chosen = ReadSetting(names::BatchTemplateKey());
  for (std::size_t i = 0; i < templateFileList_.size(); ++i) {
    if (!chosen.empty() && templateFileList_[i] == chosen)
      templateList_->setCurrentIndex(static_cast<int>(i) + 1);
  }
  if (const Text count = ReadSetting(names::BatchCountKey()); !count.empty())
    countBox_->setText(ui::Display(count));
  const Text folder = ReadSetting(names::BatchFolderKey());
  folderBox_->setText(ui::DisplayName(
      folder.empty() ? ResourceStore::RunDirectory() + names::Separator() + Utf8ToText("批量文章")
                     : folder));
  namesList_->setCurrentIndex(ReadSetting(names::BatchNamesKey()) == Utf8ToText("首行") ? 1 : 0);
  encodingList_->setCurrentIndex(ReadSetting(names::BatchEncodingKey()) == "UTF-8" ? 1 : 0);
  noRepeatBox_->setChecked(ReadSetting(names::BatchNoRepeatKey()) == "1");
}

void BatchWindow::SaveSettings() {
  const int chosen = templateList_->currentIndex();
  const std::pair<const Text&, Text> values[] = {
      {names::BatchTemplateKey(),
       chosen > 0 ? templateFileList_[static_cast<std::size_t>(chosen) - 1] : Text()},
      {names::BatchCountKey(), ui::ContentFromDisplay(countBox_->text().trimmed()).value_or("")},
      {names::BatchFolderKey(), ui::NameFromDisplay(folderBox_->text().trimmed())},
      {names::BatchNamesKey(), Utf8ToText(namesList_->currentIndex() == 1 ? "首行" : "编号")},
      {names::BatchEncodingKey(), encodingList_->currentIndex() == 1 ? "UTF-8" : "GBK"},
      {names::BatchNoRepeatKey(), noRepeatBox_->isChecked() ? "1" : "0"},
  };
  const FileStatus saved = ResourceStore::UnderStoreLock([&] {
    for (const auto& [key, value] : values) {
      if (FileStatus s = WriteIniValue(SettingsPath(), names::BatchSection(), key, value); !s)
        return s;
    }
    return FileStatus::Done();
  });
  if (!saved) {
    ui::Warn(QStringLiteral("本次的设置没有保存到 wordloom.ini：%1。批量生成照常进行。")
                 .arg(ui::FileErrorReason(saved.error)));
  }
}

void BatchWindow::ChooseFolder() {
  const QString folder =
      QFileDialog::getExistingDirectory(this, QStringLiteral("选择输出文件夹"), folderBox_->text());
  if (!folder.isEmpty()) folderBox_->setText(folder);
}

void BatchWindow::SetRunning(bool running) {
  startButton_->setEnabled(!running);
  cancelButton_->setEnabled(running);
  for (QWidget* input :
       std::initializer_list<QWidget*>{templateList_, countBox_, folderBox_, chooseButton_,
                                       namesList_, encodingList_, noRepeatBox_}) {
    input->setEnabled(!running);
  }
}

void BatchWindow::StartBatch() {
  // Everything that can stop the batch is checked before anything is written.
  const int chosen = templateList_->currentIndex();
  if (chosen <= 0) {
    ui::Warn(QStringLiteral("请选择文章模版"));
    return;
  }
  bool isNumber = false;
  const QString countText = countBox_->text().trimmed();
  const qlonglong count = countText.toLongLong(&isNumber);
  const bool digitsOnly = !countText.isEmpty() && std::all_of(countText.begin(), countText.end(),
                                                              [](QChar c) { return c.isDigit(); });
  if (!isNumber || !digitsOnly || count < 1 || count > kMaxCount) {
    ui::Warn(QStringLiteral("生成篇数必须是 1 到 %1 之间的整数。").arg(kMaxCount));
    return;
  }
  if (folderBox_->text().trimmed().isEmpty()) {
    ui::Warn(QStringLiteral("请选择输出文件夹。"));
    return;
  }
  const Text name = templateFileList_[static_cast<std::size_t>(chosen) - 1];
  const FileContent templateFile = ReadFile(ResourceStore::TemplatePath(name));
  if (!templateFile.status) {
    ui::Warn(templateFile.status.missing()
                 ? QStringLiteral("文章模版“%1”已不存在，请重新选择。").arg(ui::DisplayName(name))
                 : QStringLiteral("无法读取文章模版“%1”：%2。")
                       .arg(ui::DisplayName(name), ui::FileErrorReason(templateFile.status.error)));
    return;
  }

  batch::BatchRequest request;
  request.templateText = ToText(templateFile.bytes);
  request.count = static_cast<std::uint64_t>(count);
  request.fsFolder = FolderFromDisplay(folderBox_->text());
  request.names =
      namesList_->currentIndex() == 1 ? batch::FileNames::kTitles : batch::FileNames::kNumbers;
  request.utf8 = encodingList_->currentIndex() == 1;
  request.noRepeat = noRepeatBox_->isChecked();

  std::string level;
  int code = 0;
  if (!batch::CreateFolderWithParents(request.fsFolder, level, code)) {
    ui::Warn(QStringLiteral("无法创建输出文件夹“%1”：%2。")
                 .arg(Shown(level), ui::FileErrorReason(code)));
    return;
  }
  batch::ArticleFiles probe(request.fsFolder, request.names, request.count, false);
  if (const int failure = probe.CheckWritable(); failure != 0) {
    ui::Warn(QStringLiteral("无法在输出文件夹“%1”中写入文件：%2。")
                 .arg(Shown(request.fsFolder), ui::FileErrorReason(failure)));
    return;
  }
  std::string first;
  if (const std::uint64_t existing = probe.CountExisting(&first); existing > 0) {
    if (!ui::AskDefaultCancel(QStringLiteral("输出文件夹中已有 %1 个本批要用的文件名（如 %2）。\n"
                                             "确定：用新文章替换这些文件；取消：不生成。")
                                  .arg(QString::number(existing), Shown(first)))) {
      return;
    }
    request.replace = true;
  }
  SaveSettings();

  control_ = std::make_shared<batch::BatchControl>();
  pairsList_->clear();
  reportLabel_->clear();
  progressBar_->setValue(0);
  progressLabel_->setText(QStringLiteral("已生成 0 / %1 篇").arg(request.count));
  SetRunning(true);
  ++gRunningBatches;
  QPointer<BatchWindow> window(this);
  const bool started = ui::StartThread([window, request, control = control_] {
    const auto post = [](std::function<void()> work) {
      QMetaObject::invokeMethod(qApp, std::move(work), Qt::QueuedConnection);
    };
    batch::BatchOutcome outcome =
        batch::RunBatch(request, *control, [&](std::uint64_t written, double seconds) {
          post([window, written, total = request.count, seconds] {
            if (window) window->ShowProgress(written, total, seconds);
          });
          if (control->measuring.load()) {
            post([window] {
              if (window) window->ShowMeasuring();
            });
          }
        });
    auto shared = std::make_shared<batch::BatchOutcome>(std::move(outcome));
    post([window, shared] {
      if (window) window->ShowOutcome(*shared);
      --gRunningBatches;
    });
  });
  if (!started) {
    --gRunningBatches;
    control_.reset();
    SetRunning(false);
    ui::Warn(QStringLiteral("无法启动批量生成的线程，请稍后再试。"));
  }
}

void BatchWindow::CancelBatch() {
  if (!control_) return;
  if (control_->measuring.load()) {
    control_->stopMeasuring = true;
  } else {
    control_->stopWriting = true;
  }
  cancelButton_->setEnabled(false);
  progressLabel_->setText(progressLabel_->text() + QStringLiteral("（正在取消…）"));
}

void BatchWindow::ShowProgress(std::uint64_t written, std::uint64_t total, double seconds) {
  progressBar_->setValue(static_cast<int>(total == 0 ? 0 : written * 1000 / total));
  QString text = QStringLiteral("已生成 %1 / %2 篇").arg(written).arg(total);
  if (written > 0 && seconds > 0) {
    text +=
        QStringLiteral("，每秒 %1 篇").arg(std::llround(static_cast<double>(written) / seconds));
  }
  progressLabel_->setText(text);
}

void BatchWindow::ShowMeasuring() {
  if (control_ && !control_->stopMeasuring.load()) cancelButton_->setEnabled(true);
  reportLabel_->setText(QStringLiteral("正在计算相似度…"));
}

void BatchWindow::ShowOutcome(const batch::BatchOutcome& outcome) {
  control_.reset();
  SetRunning(false);
  using End = batch::BatchOutcome::End;
  QString report;
  if (!outcome.figures) {
    report = QStringLiteral("相似度报告已取消。");
  } else if (outcome.figures->articles < 2) {
    report =
        QStringLiteral("相似度报告：共 %1 篇，不足两篇，无从比较。").arg(outcome.figures->articles);
  } else {
    const report::UniquenessFigures& f = *outcome.figures;
    // One arg() for all: a file name holding "%1" must not be taken for a place holder.
    report = QStringLiteral(
                 "相似度报告：共 %1 篇，平均相似度 %2\n"
                 "最高 %3（%4 与 %5）\n"
                 "相似度不低于 %6% 的有 %7 对")
                 .arg(QString::number(f.articles), Percent(f.mean), Percent(f.max),
                      Shown(outcome.names[f.maxA]), Shown(outcome.names[f.maxB]),
                      QString::number(f.nearPercent), QString::number(f.nearPairs));
    if (f.nearPairs > f.listed.size()) {
      report += QStringLiteral("（下表列出最相似的 %1 对）").arg(f.listed.size());
    }
    if (f.estimated) {
      report += QStringLiteral("（超过 %1 篇：平均值由抽样估计，相似的文章由散列查找。）")
                    .arg(report::kExactLimit);
    }
    for (const report::SimilarPair& pair : f.listed) {
      auto* item = new QTreeWidgetItem(pairsList_);
      item->setText(0, Percent(pair.similarity));
      item->setText(1, Shown(outcome.names[pair.a]));
      item->setText(2, Shown(outcome.names[pair.b]));
    }
  }
  if (outcome.end == End::kCancelled) {
    report = QStringLiteral("已取消，写出了 %1 篇。").arg(outcome.written) + report;
  }
  reportLabel_->setText(report);
  switch (outcome.end) {
    case End::kWriteFailed:
      ui::Warn(QStringLiteral("写入文件“%1”失败：%2。已写出 %3 篇，批量生成已停止。")
                   .arg(Shown(outcome.failedFile), ui::FileErrorReason(outcome.errorCode),
                        QString::number(outcome.written)));
      break;
    case End::kTooLarge:
      ui::Warn(QStringLiteral("第 %1 篇文章超过了 %2 MB 的上限，已停止生成（已写出 %3 篇）。"
                              "请检查句子库和关键词库的句子中是否含有后面的库的调用标签，"
                              "以及同义词规则是否会使文章不断变长。")
                   .arg(outcome.written + 1)
                   .arg(kMaxArticleBytes >> 20)
                   .arg(outcome.written));
      break;
    default:
      break;
  }
}

void BatchWindow::closeEvent(QCloseEvent* event) {
  // Closing stops the batch as Cancel does; the files written stay, whole.
  if (control_) control_->stopWriting = control_->stopMeasuring = true;
  QDialog::closeEvent(event);
}

}  // namespace wordloom
