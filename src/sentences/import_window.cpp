#include "sentences/import_window.h"

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include "services/ui_controls.h"

namespace wordloom {
namespace {

constexpr int kWidth = 600;
constexpr int kInner = kWidth - 16;

QPlainTextEdit* MakeList(QWidget* parent, const char* designName, const QStringList& lines,
                         const QRect& place) {
  auto* box = ui::Place(new QPlainTextEdit(parent), designName, place);
  box->setReadOnly(true);
  box->setLineWrapMode(QPlainTextEdit::NoWrap);
  box->setPlainText(lines.join(QLatin1Char('\n')));
  return box;
}

}  // namespace

ImportWindow::ImportWindow(QWidget* parent, const QString& intro, const QStringList& files,
                           const QStringList& unmappable, Decide decide)
    : QDialog(parent), decide_(std::move(decide)) {
  const bool askUnmappable = !unmappable.isEmpty();
  const int buttonsTop = askUnmappable ? 408 : 168;
  ui::DesignWindow(this, "ImportWindow", QStringLiteral("导入文本"), {kWidth, buttonsTop + 40});
  ui::MakeLabel(this, "标签_说明", intro, {8, 8, kInner, 20});
  MakeList(this, "编辑框_文件", files, {8, 32, kInner, 100});
  dropDuplicates_ =
      ui::Place(new QCheckBox(QStringLiteral("去除重复的行（文件中重复的，以及库中已有的）"), this),
                "选择框_去除重复", {8, 138, kInner, 22});
  if (askUnmappable) {
    ui::MakeLabel(this, "标签_无法保存",
                  QStringLiteral("以下 %1 行含有 GBK 无法保存的字符：").arg(unmappable.size()),
                  {8, 168, kInner, 20});
    MakeList(this, "编辑框_无法保存的行", unmappable, {8, 192, kInner, 150});
    auto* skip = ui::Place(new QRadioButton(QStringLiteral("跳过这些行"), this), "单选框_跳过整行",
                           {8, 348, kInner, 22});
    skip->setChecked(true);
    dropCharacters_ =
        ui::Place(new QRadioButton(QStringLiteral("去掉这些字符，导入每行其余的部分"), this),
                  "单选框_去掉字符", {8, 372, kInner, 22});
  }
  QPushButton* import =
      ui::MakeButton(this, "按钮_导入", QStringLiteral("导入"), {kWidth - 184, buttonsTop, 84, 32});
  connect(import, &QPushButton::clicked, this, &ImportWindow::Import);
  QPushButton* cancel =
      ui::MakeButton(this, "按钮_取消", QStringLiteral("取消"), {kWidth - 92, buttonsTop, 84, 32});
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(this, &QDialog::finished, this, [this] {
    if (decided_) return;
    decided_ = true;
    decide_(std::nullopt);
  });
}

void ImportWindow::Import() {
  if (decided_) return;
  decided_ = true;
  decide_(import::ImportOptions{
      .dropDuplicates = dropDuplicates_->isChecked(),
      .unmappable = dropCharacters_ != nullptr && dropCharacters_->isChecked()
                        ? import::UnmappablePolicy::kDropCharacters
                        : import::UnmappablePolicy::kSkipLines,
  });
  accept();
}

}  // namespace wordloom
