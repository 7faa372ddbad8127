#include "batch/batch_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>

#include <filesystem>
#include <set>

#include "app/main_window.h"
#include "services/encoding.h"
#include "services/ini.h"
#include "support/gui_support.h"

namespace wordloom {
namespace {

namespace fs = std::filesystem;
using testing::G;

std::set<std::string> FolderNames(const std::string& folder) {
  std::set<std::string> names;
  if (!fs::exists(folder)) return names;
  for (const auto& entry : fs::directory_iterator(folder))
    names.insert(entry.path().filename().string());
  return names;
}

class BatchWindowTest : public testing::WindowTest {
 protected:
  BatchWindowTest() {
    store.RegisterLibrary(LibraryKind::kSentence, "句", "{S}");
    store.WriteLibraryFile(LibraryKind::kSentence, "句", "a.txt", {"一句话。"});
    store.WriteGbkFile("模版/短文.txt", "<h1>标题</h1>\r\n<p>{S}</p>");
  }

  void Open() {
    main = std::make_unique<MainWindow>();
    main->show();
    testing::Click(testing::Find<QPushButton>(main.get(), "按钮_批量生成"));
    window = qobject_cast<BatchWindow*>(testing::OpenWindow("wordloom::BatchWindow"));
    ASSERT_NE(window, nullptr);
    templates = testing::Find<QComboBox>(window, "组合框_模版列表");
    count = testing::Find<QLineEdit>(window, "编辑框_篇数");
    folder = testing::Find<QLineEdit>(window, "编辑框_输出文件夹");
    start = testing::Find<QPushButton>(window, "按钮_开始");
    cancel = testing::Find<QPushButton>(window, "按钮_取消");
    progress = testing::Find<QProgressBar>(window, "进度条_进度");
    progressText = testing::Find<QLabel>(window, "标签_进度");
    report = testing::Find<QLabel>(window, "标签_报告");
    pairs = testing::Find<QTreeWidget>(window, "超级列表框_相似文章");
  }

  void TearDown() override {
    if (window) window->close();
    ASSERT_TRUE(testing::WaitFor([] { return RunningBatches() == 0; }));
    QCoreApplication::processEvents();
    main.reset();
    WindowTest::TearDown();
  }

  // The template by its name ("" for the prompt entry).
  void Fill(const QString& templateName, const QString& articles,
            const std::string& relativeFolder) {
    testing::ChooseComboEntry(templates,
                              templateName.isEmpty() ? 0 : templates->findText(templateName));
    count->setText(articles);
    folder->setText(ui::DisplayName(store.Path(relativeFolder)));
  }

  void StartAndWait() {
    testing::Click(start);
    ASSERT_TRUE(testing::WaitFor([&] { return start->isEnabled(); }, 60000));
  }

  std::unique_ptr<MainWindow> main;
  QPointer<BatchWindow> window;
  QComboBox* templates = nullptr;
  QLineEdit* count = nullptr;
  QLineEdit* folder = nullptr;
  QPushButton* start = nullptr;
  QPushButton* cancel = nullptr;
  QProgressBar* progress = nullptr;
  QLabel* progressText = nullptr;
  QLabel* report = nullptr;
  QTreeWidget* pairs = nullptr;
};

TEST_F(BatchWindowTest, WritesTheBatchAndReportsNearPairsByFileName) {
  Open();
  EXPECT_EQ(window->windowTitle(), QStringLiteral("批量生成"));
  EXPECT_FALSE(cancel->isEnabled());
  Fill(QStringLiteral("短文.txt"), QStringLiteral("30"), "输出/一批");
  StartAndWait();
  EXPECT_TRUE(messages.Seen().empty()) << messages.Last().text.toStdString();
  const std::string out = store.FsPath("输出/一批");
  EXPECT_EQ(FolderNames(out).size(), 30u);
  EXPECT_EQ(store.ReadFile("输出/一批/0030.txt"), G("<h1>标题</h1>\r\n<p>一句话。</p>"));
  EXPECT_EQ(progress->value(), progress->maximum());
  EXPECT_TRUE(progressText->text().startsWith(QStringLiteral("已生成 30 / 30 篇")))
      << progressText->text().toStdString();
  // Thirty identical articles: every pair is alike, listed by the files' names.
  EXPECT_TRUE(report->text().contains(QStringLiteral("共 30 篇")));
  EXPECT_TRUE(report->text().contains(QStringLiteral("最高 100.0%（0001.txt 与 0002.txt）")))
      << report->text().toStdString();
  EXPECT_TRUE(report->text().contains(QStringLiteral("有 435 对")));
  EXPECT_FALSE(report->text().contains(QStringLiteral("下表列出"))) << "every near pair is listed";
  ASSERT_EQ(pairs->topLevelItemCount(), 435);
  EXPECT_EQ(pairs->topLevelItem(0)->text(0), QStringLiteral("100.0%"));
  EXPECT_EQ(pairs->topLevelItem(0)->text(1), QStringLiteral("0001.txt"));
  EXPECT_EQ(pairs->topLevelItem(0)->text(2), QStringLiteral("0002.txt"));
  EXPECT_FALSE(cancel->isEnabled());
}

TEST_F(BatchWindowTest, AListCutAtItsLimitSaysSo) {
  // Fifty identical articles: 1,225 near pairs, of which the list holds the first 1,000.
  Open();
  Fill(QStringLiteral("短文.txt"), QStringLiteral("50"), "五十");
  StartAndWait();
  EXPECT_TRUE(report->text().contains(QStringLiteral("有 1225 对（下表列出最相似的 1000 对）")))
      << report->text().toStdString();
  EXPECT_EQ(pairs->topLevelItemCount(), 1000);
}

TEST_F(BatchWindowTest, CancelStopsSoonAndTheReportCoversTheFilesWritten) {
  // Articles of 2,000 sentences each: a batch of a million would run for hours, and one
  // article takes little enough, also with sanitizers on a loaded machine, that Cancel,
  // seen between articles, must act at once.
  Text tags;
  for (int i = 0; i < 2000; ++i) tags += "{S}";
  store.WriteFile("模版/长文.txt", tags);
  Open();
  Fill(QStringLiteral("长文.txt"), QStringLiteral("1000000"), "长");
  testing::Click(start);
  EXPECT_FALSE(start->isEnabled());
  EXPECT_TRUE(cancel->isEnabled());
  ASSERT_TRUE(testing::WaitFor([&] { return FolderNames(store.FsPath("长")).size() >= 3; }));
  ASSERT_TRUE(testing::WaitFor([&] {
    return progressText->text().contains(QStringLiteral("每秒"));
  })) << "progress shows the count and the rate";
  QElapsedTimer sinceCancel;
  sinceCancel.start();
  testing::Click(cancel);
  ASSERT_TRUE(testing::WaitFor([&] { return start->isEnabled(); }));
  EXPECT_LT(sinceCancel.elapsed(), 2000) << "Cancel must stop the batch at once";

  const std::set<std::string> names = FolderNames(store.FsPath("长"));
  std::string whole;
  for (int i = 0; i < 2000; ++i) whole += G("一句话。");
  for (const std::string& name : names) {
    EXPECT_EQ(store.ReadFile("长/" + name), whole) << name;
  }
  EXPECT_TRUE(report->text().startsWith(
      QStringLiteral("已取消，写出了 %1 篇。相似度报告：共 %1 篇").arg(names.size())))
      << report->text().toStdString();
}

TEST_F(BatchWindowTest, MistakesAreExplainedAndNothingIsWritten) {
  store.WriteFile("挡路", "a file where a folder should be");
  Open();
  struct Case {
    QString templateName;
    QString count;
    std::string folder;
    const char* message;
  };
  const Case cases[] = {
      {QString(), QStringLiteral("10"), "出", "请选择文章模版"},
      {QStringLiteral("短文.txt"), QStringLiteral("0"), "出",
       "生成篇数必须是 1 到 1000000 之间的整数。"},
      {QStringLiteral("短文.txt"), QStringLiteral("abc"), "出",
       "生成篇数必须是 1 到 1000000 之间的整数。"},
      {QStringLiteral("短文.txt"), QStringLiteral("1000001"), "出",
       "生成篇数必须是 1 到 1000000 之间的整数。"},
      {QStringLiteral("短文.txt"), QStringLiteral("-5"), "出",
       "生成篇数必须是 1 到 1000000 之间的整数。"},
      {QStringLiteral("短文.txt"), QStringLiteral("10"), "挡路/出", "无法创建输出文件夹"},
  };
  for (const Case& c : cases) {
    messages.Clear();
    Fill(c.templateName, c.count, c.folder);
    testing::Click(start);
    ASSERT_EQ(messages.Seen().size(), 1u) << c.message;
    EXPECT_TRUE(messages.Last().text.startsWith(QString::fromUtf8(c.message)))
        << messages.Last().text.toStdString();
    EXPECT_EQ(messages.Last().flags, ui::kWarning);
    EXPECT_TRUE(start->isEnabled());
  }
  EXPECT_TRUE(messages.Last().text.contains(QStringLiteral("路径中有一级不是文件夹")))
      << "the real cause is named";
  messages.Clear();
  folder->clear();
  testing::Click(start);
  EXPECT_EQ(messages.Last().text, QStringLiteral("请选择输出文件夹。"));

  // A template deleted after the window listed it.
  fs::remove(store.FsPath("模版/短文.txt"));
  Fill(QStringLiteral("短文.txt"), QStringLiteral("10"), "出");
  testing::Click(start);
  EXPECT_EQ(messages.Last().text, QStringLiteral("文章模版“短文.txt”已不存在，请重新选择。"));
  EXPECT_FALSE(fs::exists(store.FsPath("出")));
  EXPECT_FALSE(store.Exists("wordloom.ini")) << "settings are saved only for a batch that starts";
}

TEST_F(BatchWindowTest, AsksOnceBeforeReplacingFilesAndDefaultsToStopping) {
  store.WriteFile("出/0002.txt", "mine");
  store.WriteFile("出/0003.txt", "mine too");
  Open();
  Fill(QStringLiteral("短文.txt"), QStringLiteral("3"), "出");
  messages.Answer(ui::kAnswerCancel);
  testing::Click(start);
  ASSERT_EQ(messages.Seen().size(), 1u);
  EXPECT_EQ(messages.Last().flags, ui::kOkCancel);
  EXPECT_TRUE(messages.Last().cancelIsDefault) << "Enter must not replace the files";
  EXPECT_TRUE(messages.Last().text.contains(QStringLiteral("已有 2 个")));
  EXPECT_TRUE(messages.Last().text.contains(QStringLiteral("0002.txt")));
  EXPECT_EQ(FolderNames(store.FsPath("出")), (std::set<std::string>{"0002.txt", "0003.txt"}));
  EXPECT_EQ(store.ReadFile("出/0002.txt"), "mine");

  messages.Answer(ui::kAnswerOk);
  StartAndWait();
  EXPECT_EQ(messages.Seen().size(), 2u) << "asked once for the batch";
  EXPECT_EQ(store.ReadFile("出/0002.txt"), G("<h1>标题</h1>\r\n<p>一句话。</p>"));
}

TEST_F(BatchWindowTest, RemembersItsSettingsAndWritesTitlesInUtf8WithoutRepeats) {
  store.WriteLibraryFile(LibraryKind::kSentence, "句", "a.txt", {"甲", "乙", "丙"});
  store.WriteGbkFile("模版/诗.txt", "<h1>{S}</h1>\r\n{S}{S}");
  const std::string registry = store.ReadFile("juzi.ini");
  Open();
  Fill(QStringLiteral("诗.txt"), QStringLiteral("4"), "题");
  testing::Find<QComboBox>(window, "组合框_文件名")->setCurrentIndex(1);
  testing::Find<QComboBox>(window, "组合框_编码")->setCurrentIndex(1);
  testing::Find<QCheckBox>(window, "选择框_不重复句子")->setChecked(true);
  StartAndWait();
  // Every article gives each of the three sentences once; the titles collide.
  const std::set<std::string> names = FolderNames(store.FsPath("题"));
  ASSERT_EQ(names.size(), 4u);
  std::set<std::string> titles;
  for (const std::string& name : names) {
    const std::string text = store.ReadFile("题/" + name);  // UTF-8
    const std::string title = text.substr(4, 3);            // after "<h1>"
    titles.insert(title);
    EXPECT_EQ(name.substr(0, 3), title) << name;
    std::multiset<std::string> sentences = {title, text.substr(text.size() - 6, 3),
                                            text.substr(text.size() - 3)};
    EXPECT_EQ(sentences, (std::multiset<std::string>{"甲", "乙", "丙"})) << text;
  }
  window->close();
  ASSERT_TRUE(testing::WaitFor([] { return RunningBatches() == 0; }));

  Open();
  EXPECT_EQ(templates->currentText(), QStringLiteral("诗.txt"));
  EXPECT_EQ(count->text(), QStringLiteral("4"));
  EXPECT_EQ(folder->text(), ui::DisplayName(store.Path("题")));
  EXPECT_EQ(testing::Find<QComboBox>(window, "组合框_文件名")->currentIndex(), 1);
  EXPECT_EQ(testing::Find<QComboBox>(window, "组合框_编码")->currentIndex(), 1);
  EXPECT_TRUE(testing::Find<QCheckBox>(window, "选择框_不重复句子")->isChecked());
  EXPECT_EQ(ReadIniValue(store.Path("wordloom.ini"), G("批量生成"), G("篇数")), "4");
  EXPECT_EQ(store.ReadFile("juzi.ini"), registry) << "no file the generator reads is touched";
}

}  // namespace
}  // namespace wordloom
