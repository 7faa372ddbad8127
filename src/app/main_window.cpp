#include "app/main_window.h"

#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTextDocument>
#include <QThread>

#include "app/advertisement.h"
#include "app/prepared_document.h"
#include "app/preview_window.h"
#include "app/window_openers.h"
#include "generator/article_generator.h"
#include "services/random.h"
#include "services/ui.h"
#include "services/ui_controls.h"
#include "store/resource_store.h"
#include "store/store_names.h"
#include "util/file_listing.h"

namespace wordloom {
namespace {

const QString& TemplatePrompt() {
  static const QString prompt = QStringLiteral("请选择模版");
  return prompt;
}

}  // namespace

QPushButton* MainWindow::AddToolButton(ToolSlot slot, const char* designName,
                                       const QString& caption) {
  // The designed group's button size and spacing, below the group's title.
  const int y = 22 + 35 * static_cast<int>(slot);
  return ui::MakeButton(tools_, designName, caption, {8, y, 96, 32});
}

MainWindow::MainWindow(QWidget* parent) : QWidget(parent) {
  // The designed area, and one column of tools to its right.
  ui::DesignWindow(this, "MainWindow", QStringLiteral("Wordloom V1.0"),
                   {689 + kToolColumnWidth, 485}, QPoint(50, 50));

  output_ = new QPlainTextEdit(this);
  output_->setObjectName(QStringLiteral("编辑框_生成的文章"));
  output_->setGeometry(2, 6, 565, 357);
  output_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  output_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  output_->viewport()->installEventFilter(this);

  auto* group = new QGroupBox(this);
  group->setObjectName(QStringLiteral("分组框1"));
  group->setGeometry(572, 9, 114, 272);
  struct Opener {
    const char* name;
    const char* caption;
    int y;
    void (*open)(QWidget*);
  };
  const Opener openers[] = {
      {"按钮_新建句子库", "新建句子库", 18, &OpenNewSentenceLibraryWindow},
      {"按钮_管理句子库", "管理句子库", 54, &OpenSentenceLibraryManagerWindow},
      {"按钮_新建关键词库", "新建关键词库", 89, &OpenNewKeywordLibraryWindow},
      {"按钮_管理关键词库", "管理关键词库", 124, &OpenKeywordLibraryManagerWindow},
      {"按钮_句子管理", "句子管理", 160, &OpenSentenceManagerWindow},
      {"按钮_新建文章模版", "新建文章模版", 195, &OpenTemplateEditorWindow},
      {"按钮_管理文章模版", "管理文章模版", 231, &OpenTemplateManagerWindow},
  };
  for (const Opener& o : openers) {
    QPushButton* b = ui::MakeButton(group, o.name, QString::fromUtf8(o.caption), {8, o.y, 96, 32});
    connect(b, &QPushButton::clicked, this, [this, open = o.open] { open(this); });
  }

  templateList_ = new QComboBox(this);
  templateList_->setObjectName(QStringLiteral("组合框_模版列表"));
  templateList_->setGeometry(572, 288, 114, 20);
  connect(templateList_, &QComboBox::activated, this, &MainWindow::TemplateChosen);

  generateButton_ =
      ui::MakeButton(this, "按钮_生成文章", QStringLiteral("开始生成文章"), {571, 313, 114, 49});
  connect(generateButton_, &QPushButton::clicked, this, &MainWindow::StartGeneration);

  tools_ = new QGroupBox(QStringLiteral("工具"), this);
  tools_->setObjectName(QStringLiteral("分组框_工具"));
  tools_->setGeometry(691, 9, 114, 272);
  QPushButton* copy =
      AddToolButton(ToolSlot::kCopyArticle, "按钮_复制文章", QStringLiteral("复制文章"));
  connect(copy, &QPushButton::clicked, this, &MainWindow::CopyArticle);
  QPushButton* preview = AddToolButton(ToolSlot::kPreview, "按钮_预览", QStringLiteral("预览"));
  connect(preview, &QPushButton::clicked, this, &MainWindow::PreviewArticle);
  QPushButton* batch = AddToolButton(ToolSlot::kBatch, "按钮_批量生成", QStringLiteral("批量生成"));
  connect(batch, &QPushButton::clicked, this, [this] { OpenBatchWindow(this); });
  QPushButton* check =
      AddToolButton(ToolSlot::kStoreCheck, "按钮_资源检查", QStringLiteral("资源检查"));
  connect(check, &QPushButton::clicked, this, [this] { OpenStoreCheckWindow(this); });
  QPushButton* keywords =
      AddToolButton(ToolSlot::kKeywordManager, "按钮_关键词管理", QStringLiteral("关键词管理"));
  connect(keywords, &QPushButton::clicked, this, [this] { OpenKeywordManagerWindow(this); });

  advertisement_ = new AdvertisementView(this);
  advertisement_->setObjectName(QStringLiteral("超文本浏览框_阿里云"));
  advertisement_->setGeometry(3, 367, 685, 115);

  FillTemplateList();
}

void MainWindow::FillTemplateList() {
  EnumerateFiles(ResourceStore::TemplateFolder(), names::TextFilePattern(), templateFileList_,
                 false, true);
  ui::InsertItem(templateList_, 0, TemplatePrompt(), 0);
  templateList_->setCurrentIndex(0);
  for (std::size_t i = 0; i < templateFileList_.size(); ++i) {
    const int k = static_cast<int>(i) + 1;
    ui::InsertItem(templateList_, k, ui::DisplayName(templateFileList_[i]), k);
  }
}

void MainWindow::RefreshTemplateList() {
  templateList_->clear();
  FillTemplateList();
}

void MainWindow::TemplateChosen(int index) {
  if (index <= 0 || static_cast<std::size_t>(index) > templateFileList_.size()) return;
  selectedTemplateName_ = templateFileList_[static_cast<std::size_t>(index) - 1];
}

void MainWindow::StartGeneration() {
  generateButton_->setEnabled(false);
  if (!ui::StartThread([this] { GenerationWorker(); })) {
    generateButton_->setEnabled(true);
    ui::Warn(QStringLiteral("无法启动生成文章的线程，请稍后再试。"));
  }
}

void MainWindow::GenerationWorker() {
  ArticleGenerator generator;
  SeedRandom();
  QPointer<MainWindow> window(this);
  // The selection and the chosen name are read on the user-interface thread, where they live.
  int selected = 0;
  Text name;
  QFont font;
  ui::RunOnUiThread([&] {
    if (!window) return;
    selected = templateList_->currentIndex();
    name = selectedTemplateName_;
    font = output_->font();
  });
  if (selected <= 0) {
    ui::Warn(QStringLiteral("请选择文章模版"));
  } else {
    const std::optional<Text> article =
        generator.TryGenerate(ResourceStore::ReadFileAsText(ResourceStore::TemplatePath(name)));
    if (article) {
      QTextDocument* document = PreparePlainDocument(ui::Display(*article), font);
      QTextDocument* previous = nullptr;
      QThread* worker = QThread::currentThread();
      ui::RunOnUiThread([&] {
        if (window) {
          previous = SwapInDocument(output_, document, worker);
        } else {
          delete document;
        }
      });
      delete previous;
    } else {
      ui::Warn(QStringLiteral("文章超过了 %1 MB 的上限，已停止生成。请检查句子库和关键词库的"
                              "句子中是否含有后面的库的调用标签（层层展开会使文章成倍增长），"
                              "以及同义词规则是否会使文章不断变长。")
                   .arg(kMaxArticleBytes >> 20));
    }
  }
  ui::RunOnUiThread([&] {
    if (window) generateButton_->setEnabled(true);
  });
}

void MainWindow::CopyArticle() {
  ui::CopyTextToClipboard(output_->toPlainText());
  ui::Inform(QStringLiteral("复制成功"));
}

void MainWindow::PreviewArticle() {
  const QString article = output_->toPlainText();
  if (article.isEmpty()) {
    ui::Warn(QStringLiteral("还没有文章可以预览，请先生成文章。"));
    return;
  }
  ui::OpenWindowModal(new ArticlePreviewWindow(article, this));
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == output_->viewport() && event->type() == QEvent::MouseButtonDblClick) {
    CopyArticle();
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace wordloom
