#include "app/main_window.h"

#include <QClipboard>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QImage>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

#include "support/gui_support.h"

namespace wordloom {
namespace {

using testing::G;

class MainWindowTest : public testing::WindowTest {
 protected:
  void Open() {
    window = std::make_unique<MainWindow>();
    window->show();
    output = testing::Find<QPlainTextEdit>(window.get(), "编辑框_生成的文章");
    combo = testing::Find<QComboBox>(window.get(), "组合框_模版列表");
    generate = testing::Find<QPushButton>(window.get(), "按钮_生成文章");
  }
  void TearDown() override {
    window.reset();
    WindowTest::TearDown();
  }
  QStringList Entries() const {
    QStringList entries;
    for (int i = 0; i < combo->count(); ++i) entries << combo->itemText(i);
    return entries;
  }
  void GenerateAndWait() {
    testing::Click(generate);
    ASSERT_TRUE(testing::WaitFor([&] { return generate->isEnabled(); }));
  }

  std::unique_ptr<MainWindow> window;
  QPlainTextEdit* output = nullptr;
  QComboBox* combo = nullptr;
  QPushButton* generate = nullptr;
};

TEST_F(MainWindowTest, StartsWithThePromptThenTheSortedTemplateNames) {
  store.WriteGbkFile("模版/b.txt", "B");
  store.WriteGbkFile("模版/a.txt", "A");
  store.WriteGbkFile("模版/新闻.txt", "N");
  store.WriteGbkFile("模版/notes.doc", "ignored");
  Open();
  EXPECT_EQ(window->windowTitle(), QStringLiteral("Wordloom V1.0"));
  EXPECT_EQ(Entries(), (QStringList{QStringLiteral("请选择模版"), QStringLiteral("a.txt"),
                                    QStringLiteral("b.txt"), QStringLiteral("新闻.txt")}));
  EXPECT_EQ(combo->currentIndex(), 0);
  EXPECT_EQ(ui::ItemNumber(combo, 2), 2);
}

TEST_F(MainWindowTest, WithoutATemplateFolderOnlyThePromptIsListed) {
  Open();
  EXPECT_EQ(Entries(), QStringList{QStringLiteral("请选择模版")});
}

TEST_F(MainWindowTest, GeneratingWithThePromptSelectedAsksForATemplate) {
  store.WriteGbkFile("模版/a.txt", "A");
  Open();
  output->setPlainText(QStringLiteral("上一篇"));
  GenerateAndWait();
  ASSERT_EQ(messages.Seen().size(), 1u);
  EXPECT_EQ(messages.Last().text, QStringLiteral("请选择文章模版"));
  EXPECT_EQ(messages.Last().flags, ui::kWarning);
  EXPECT_EQ(messages.Last().title, QStringLiteral("警告"));
  EXPECT_EQ(output->toPlainText(), QStringLiteral("上一篇"));
}

TEST_F(MainWindowTest, GeneratingFillsTheBoxBeforeTheButtonComesBack) {
  store.RegisterLibrary(LibraryKind::kSentence, "lib", "{S}");
  store.WriteLibraryFile(LibraryKind::kSentence, "lib", "a.txt", {"一句话"});
  store.WriteGbkFile("模版/文章.txt", "<p>{S}</p>\r\n<p>{S}</p>");
  Open();
  testing::ChooseComboEntry(combo, 1);
  EXPECT_EQ(window->SelectedTemplateName(), G("文章.txt"));
  // The moment the button is enabled again, the article must already be in the box.
  QString boxWhenEnabled;
  QObject::connect(generate, &QPushButton::clicked, generate, [&] {
    EXPECT_FALSE(generate->isEnabled());  // a second click is impossible meanwhile
  });
  auto watcher = std::make_unique<QTimer>();
  QObject::connect(watcher.get(), &QTimer::timeout, watcher.get(), [&] {
    if (generate->isEnabled() && boxWhenEnabled.isEmpty()) boxWhenEnabled = output->toPlainText();
  });
  watcher->start(0);
  GenerateAndWait();
  EXPECT_EQ(output->toPlainText(), QStringLiteral("<p>一句话</p>\n<p>一句话</p>"));
  EXPECT_EQ(boxWhenEnabled, output->toPlainText());
  EXPECT_TRUE(messages.Seen().empty());
}

TEST_F(MainWindowTest, ADeletedTemplateGeneratesAnEmptyArticle) {
  store.WriteGbkFile("模版/a.txt", "A");
  Open();
  testing::ChooseComboEntry(combo, 1);
  std::filesystem::remove(store.FsPath("模版/a.txt"));
  output->setPlainText(QStringLiteral("old"));
  GenerateAndWait();
  EXPECT_EQ(output->toPlainText(), QString());
}

TEST_F(MainWindowTest, ARunawayArticleIsReportedAndTheButtonComesBack) {
  // Two rounds of ten-thousandfold growth pass the size limit after 20 KB of real work.
  std::string tenThousandfold = "ab=>";
  for (int i = 0; i < 10000; ++i) tenThousandfold += "ab";
  store.WriteFile("同义词库/grow.txt", tenThousandfold + "\r\n" + tenThousandfold + "\r\n");
  store.WriteGbkFile("模版/a.txt", "ab");
  Open();
  output->setPlainText(QStringLiteral("earlier article"));
  testing::ChooseComboEntry(combo, 1);
  GenerateAndWait();
  EXPECT_EQ(messages.Last().flags, ui::kWarning);
  EXPECT_TRUE(messages.Last().text.contains(QStringLiteral("64 MB")))
      << messages.Last().text.toStdString();
  EXPECT_EQ(output->toPlainText(), QStringLiteral("earlier article"));
}

TEST_F(MainWindowTest, RefreshReturnsToThePromptAndKeepsTheChosenName) {
  store.WriteGbkFile("模版/a.txt", "A");
  Open();
  testing::ChooseComboEntry(combo, 1);
  store.WriteGbkFile("模版/0.txt", "new");
  window->RefreshTemplateList();
  EXPECT_EQ(Entries(), (QStringList{QStringLiteral("请选择模版"), QStringLiteral("0.txt"),
                                    QStringLiteral("a.txt")}));
  EXPECT_EQ(combo->currentIndex(), 0);
  EXPECT_EQ(window->SelectedTemplateName(), "a.txt");
  GenerateAndWait();  // the prompt is selected again: a template is asked for
  EXPECT_EQ(messages.Last().text, QStringLiteral("请选择文章模版"));
}

TEST_F(MainWindowTest, DoubleClickCopiesTheArticleEvenWhenEmpty) {
  Open();
  QGuiApplication::clipboard()->setText(QStringLiteral("stale"));
  testing::DoubleClick(output->viewport());
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QString());
  ASSERT_EQ(messages.Seen().size(), 1u);
  EXPECT_EQ(messages.Last().text, QStringLiteral("复制成功"));
  EXPECT_EQ(messages.Last().flags, ui::kOk);
  EXPECT_EQ(messages.Last().title, QStringLiteral("提示"));

  output->setPlainText(QStringLiteral("第一段\n第二段"));
  testing::DoubleClick(output->viewport());
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("第一段\n第二段"));

  // The tools column's button copies the same text.
  QGuiApplication::clipboard()->setText(QStringLiteral("stale"));
  testing::Click(testing::Find<QPushButton>(window.get(), "按钮_复制文章"));
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("第一段\n第二段"));
  EXPECT_EQ(messages.Last().text, QStringLiteral("复制成功"));
}

TEST_F(MainWindowTest, AWorkerThatCannotStartGivesTheButtonBack) {
  Open();
  ui::SetThreadStartFailureForTesting(true);
  testing::Click(generate);
  ui::SetThreadStartFailureForTesting(false);
  EXPECT_TRUE(generate->isEnabled());
  ASSERT_EQ(messages.Seen().size(), 1u);
  EXPECT_EQ(messages.Last().flags, ui::kWarning);
  EXPECT_EQ(messages.Last().title, QStringLiteral("警告"));
}

TEST_F(MainWindowTest, TheSevenWindowButtonsCarryTheirCaptions) {
  Open();
  auto* group = testing::Find<QGroupBox>(window.get(), "分组框1");
  const std::pair<const char*, const char*> buttons[] = {
      {"按钮_新建句子库", "新建句子库"},     {"按钮_管理句子库", "管理句子库"},
      {"按钮_新建关键词库", "新建关键词库"}, {"按钮_管理关键词库", "管理关键词库"},
      {"按钮_句子管理", "句子管理"},         {"按钮_新建文章模版", "新建文章模版"},
      {"按钮_管理文章模版", "管理文章模版"}};
  for (const auto& [name, caption] : buttons) {
    auto* button = testing::Find<QPushButton>(group, name);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(), QString::fromUtf8(caption));
  }
  EXPECT_EQ(generate->text(), QStringLiteral("开始生成文章"));
}

TEST_F(MainWindowTest, StaysResponsiveWhileALongGenerationRuns) {
  // A template of 20,000 sentence tags over a library of 20,000 lines.
  store.RegisterLibrary(LibraryKind::kSentence, "big", "{S}");
  std::string lines;
  for (int i = 0; i < 20000; ++i)
    lines += G("第") + std::to_string(i) + G("句话，内容足够长一些。") + "\r\n";
  store.WriteFile("句子库/big/a.txt", lines);
  std::string text;
  for (int i = 0; i < 20000; ++i) text += "<p>{S}</p>\r\n";
  store.WriteFile("模版/big.txt", text);
  Open();
  testing::ChooseComboEntry(combo, 1);

  QElapsedTimer sinceLastTick;
  qint64 longestGap = 0;
  int ticks = 0;
  QTimer ticker;
  QObject::connect(&ticker, &QTimer::timeout, &ticker, [&] {
    if (ticks++ > 0) longestGap = std::max(longestGap, sinceLastTick.elapsed());
    sinceLastTick.restart();
  });
  ticker.start(10);
  sinceLastTick.start();
  GenerateAndWait();
  ticker.stop();
  EXPECT_TRUE(output->toPlainText().startsWith(QStringLiteral("<p>第")));
  EXPECT_LT(longestGap, 500) << "the user-interface thread was blocked";
}

TEST_F(MainWindowTest, PreviewShowsTheArticleRenderedAndLoadsNothing) {
  // Images and a style sheet where reading would never end: a device of endless zeros and
  // a pipe nobody writes to. Neither may be opened.
  store.MakeFifo("pipe.png");
  const QString pipe = QString::fromStdString(store.FsPath("pipe.png"));
  Open();
  output->setPlainText(QStringLiteral("<h2>标题</h2><p>正文<b>粗体</b></p>"
                                      "<img src=\"/dev/zero\"><img src=\"%1\">"
                                      "<img src=\"file://%1\">"
                                      "<link rel=\"stylesheet\" href=\"/dev/zero\">"
                                      "<p><a href=\"/dev/zero\">链接</a></p>")
                           .arg(pipe));
  testing::Click(testing::Find<QPushButton>(window.get(), "按钮_预览"));
  QWidget* preview = testing::OpenWindow("wordloom::ArticlePreviewWindow");
  ASSERT_NE(preview, nullptr);
  auto* browser = testing::Find<QTextBrowser>(preview, "超文本浏览框_预览");
  ASSERT_NE(browser, nullptr);
  const QString shown = browser->toPlainText();
  EXPECT_TRUE(shown.startsWith(QStringLiteral("标题\n正文粗体"))) << shown.toStdString();
  EXPECT_EQ(shown.indexOf(QStringLiteral("<h2>")), -1);
  QTextCursor bold = browser->document()->find(QStringLiteral("粗体"));
  EXPECT_EQ(bold.charFormat().fontWeight(), QFont::Bold);
  // The images are there, empty: nothing came from the disk.
  EXPECT_TRUE(
      browser->loadResource(QTextDocument::ImageResource, QUrl(pipe)).toByteArray().isEmpty());
  // A link click does not navigate.
  const QPoint link =
      browser->cursorRect(browser->document()->find(QStringLiteral("链接"))).center();
  QTest::mouseClick(browser->viewport(), Qt::LeftButton, Qt::NoModifier, link);
  EXPECT_TRUE(browser->toPlainText().startsWith(QStringLiteral("标题")));
  EXPECT_TRUE(messages.Seen().empty());
  preview->close();
}

TEST_F(MainWindowTest, PreviewOfNoArticleSaysSo) {
  Open();
  testing::Click(testing::Find<QPushButton>(window.get(), "按钮_预览"));
  EXPECT_EQ(testing::OpenWindow("wordloom::ArticlePreviewWindow"), nullptr);
  EXPECT_EQ(messages.Last().text, QStringLiteral("还没有文章可以预览，请先生成文章。"));
  EXPECT_EQ(messages.Last().flags, ui::kWarning);
}

}  // namespace
}  // namespace wordloom
