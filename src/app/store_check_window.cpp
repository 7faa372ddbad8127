#include "app/store_check_window.h"

#include <QApplication>
#include <QBrush>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTreeWidget>

#include "app/window_openers.h"
#include "services/ui.h"
#include "services/ui_controls.h"

namespace wordloom {
namespace {

std::atomic<int> gRunningChecks{0};

QString Utf8(const std::string& text) { return QString::fromStdString(text); }

QTreeWidget* MakeList(QWidget* parent, const char* designName, const QStringList& columns,
                      const std::vector<int>& widths, const QRect& place) {
  auto* list = ui::Place(new QTreeWidget(parent), designName, place);
  list->setHeaderLabels(columns);
  for (std::size_t c = 0; c < widths.size(); ++c) {
    list->setColumnWidth(static_cast<int>(c), widths[c]);
  }
  list->header()->setStretchLastSection(true);
  ui::MakeFlatTable(list);
  return list;
}

}  // namespace

int RunningStoreChecks() { return gRunningChecks.load(); }

std::function<void(QWidget*)> FixingWindow(const check::Finding& finding) {
  using check::Subject;
  const Text library = finding.library;
  const Text file = finding.file;
  const LibraryKind kind = finding.libraryKind;
  switch (finding.subject) {
    case Subject::kTemplate:
      return [file](QWidget* parent) { OpenTemplateManagerWindowOn(parent, file); };
    case Subject::kLibrary:
      return
          [kind, library](QWidget* parent) { OpenLibraryManagerWindowOn(parent, kind, library); };
    case Subject::kLibraryFile:
      return [kind, library, file](QWidget* parent) {
        OpenLineManagerWindowOn(parent, kind, library, file);
      };
    case Subject::kRegistry:  // edited by hand only
    case Subject::kSynonymFile:
    case Subject::kNone:
      break;
  }
  return {};
}

StoreCheckWindow::StoreCheckWindow(QWidget* parent) : QDialog(parent) {
  ui::DesignWindow(this, "StoreCheckWindow", QStringLiteral("资源检查"), {880, 560});

  status_ = ui::MakeLabel(this, "标签_检查状态", QString(), {8, 6, 864, 20});
  findingList_ = MakeList(this, "超级列表框_检查结果",
                          {QStringLiteral("级别"), QStringLiteral("类别"), QStringLiteral("位置"),
                           QStringLiteral("说明")},
                          {52, 128, 230}, {6, 30, 868, 296});
  // The chosen finding's whole detail, which the list cuts off: it is what the user acts on.
  detail_ = ui::Place(new QLabel(this), "标签_问题说明", {8, 330, 864, 44});
  detail_->setWordWrap(true);
  detail_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  detail_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  QLabel* varietyCaption = ui::MakeLabel(
      this, "标签_变化程度", QStringLiteral("各模版的变化程度（能生成多少种不同文章的估计）："),
      {8, 376, 600, 20});
  varietyCaption->setToolTip(QString::fromUtf8(check::VarietyMethodChinese()));
  varietyList_ =
      MakeList(this, "超级列表框_变化程度", {QStringLiteral("模版"), QStringLiteral("变化程度")},
               {230}, {6, 398, 868, 118});
  rerun_ = ui::MakeButton(this, "按钮_重新检查", QStringLiteral("重新检查"), {774, 522, 100, 32});

  connect(rerun_, &QPushButton::clicked, this, &StoreCheckWindow::StartCheck);
  connect(findingList_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
    detail_->setText(item != nullptr ? item->text(3) : QString());
  });
  connect(findingList_, &QTreeWidget::itemDoubleClicked, this, &StoreCheckWindow::OpenFixingWindow);
  connect(varietyList_, &QTreeWidget::itemDoubleClicked, this, &StoreCheckWindow::OpenFixingWindow);
  StartCheck();
}

StoreCheckWindow::~StoreCheckWindow() { cancel_->store(true); }

void StoreCheckWindow::StartCheck() {
  rerun_->setEnabled(false);
  status_->setText(QStringLiteral("正在检查……"));
  // The worker never touches the window: the report goes to the user-interface thread,
  // where the guard tells whether the window is still there.
  auto guard = std::make_shared<QPointer<StoreCheckWindow>>(this);
  std::shared_ptr<std::atomic<bool>> cancel = cancel_;
  ++gRunningChecks;
  const bool started = ui::StartThread([guard, cancel] {
    check::CheckOptions options;
    options.cancel = cancel.get();
    auto report = std::make_shared<check::CheckReport>(check::CheckStore(options));
    QMetaObject::invokeMethod(
        qApp,
        [guard, report] {
          if (*guard && !report->cancelled) (*guard)->ShowReport(std::move(*report));
        },
        Qt::QueuedConnection);
    --gRunningChecks;
  });
  if (!started) {
    --gRunningChecks;
    rerun_->setEnabled(true);
    status_->clear();
    ui::Warn(QStringLiteral("无法启动检查的线程，请稍后再试。"));
  }
}

void StoreCheckWindow::ShowReport(check::CheckReport report) {
  findings_ = std::move(report.findings);
  detail_->clear();
  findingList_->clear();
  varietyList_->clear();
  for (std::size_t i = 0; i < findings_.size(); ++i) {
    const check::Finding& finding = findings_[i];
    const QString detail = Utf8(finding.detailChinese);
    const QString where = Utf8(finding.WhereShown());
    QTreeWidgetItem* item = nullptr;
    if (finding.severity() == check::Severity::kInfo) {
      item = new QTreeWidgetItem(varietyList_, {where, detail});
    } else {
      item = new QTreeWidgetItem(
          findingList_, {QString::fromUtf8(check::SeverityCaption(finding.severity())),
                         QString::fromUtf8(check::KindCaption(finding.kind)), where, detail});
      item->setForeground(0, finding.severity() == check::Severity::kError
                                 ? QBrush(QColor(0xC0, 0x10, 0x10))
                                 : QBrush(QColor(0xA0, 0x60, 0x00)));
      item->setToolTip(1, QString::fromUtf8(check::KindName(finding.kind)));
    }
    item->setToolTip(item->columnCount() - 1, detail);
    item->setData(0, Qt::UserRole, static_cast<qulonglong>(i));
  }
  if (report.errors + report.warnings == 0) {
    status_->setText(QStringLiteral("没有发现问题。"));
  } else {
    status_->setText(
        QStringLiteral("共 %1 个问题：%2 个错误，%3 个警告。双击一行可打开修改它的窗口。")
            .arg(report.errors + report.warnings)
            .arg(report.errors)
            .arg(report.warnings));
  }
  rerun_->setEnabled(true);
  emit CheckFinished();
}

void StoreCheckWindow::OpenFixingWindow(QTreeWidgetItem* item) {
  if (item == nullptr) return;
  const auto index = item->data(0, Qt::UserRole).toULongLong();
  if (index >= findings_.size()) return;
  const check::Finding& finding = findings_[index];
  if (const std::function<void(QWidget*)> open = FixingWindow(finding)) {
    open(this);
    return;
  }
  status_->setText(QStringLiteral("“%1”没有可以修改它的窗口，请直接修改这个文件。")
                       .arg(Utf8(finding.WhereShown())));
}

}  // namespace wordloom
