#include "app/store_check_window.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>
#include <QTreeWidget>

#include <memory>

#include "app/main_window.h"
#include "app/window_openers.h"
#include "support/gui_support.h"
#include "templates/template_manager_window.h"

namespace wordloom {
namespace {

using testing::G;

class StoreCheckWindowTest : public testing::WindowTest {
 protected:
  void SetUp() override {
    store.WriteGbkFile("juzi.ini", "[好]\r\n标签={<_好_>}\r\n[缺]\r\n标签={<_缺_>}\r\n");
    store.WriteFile("句子库/好/a.txt", G("一句话") + "\r\n");
    store.WriteFile("句子库/好/bad.txt", G("坏") + "\xFF!\r\n" + G("第二行") + "\r\n");
    store.WriteGbkFile("keyword.ini", "[词]\r\n标签={<_词_>}\r\n");
    store.WriteFile("关键词库/词/u.txt", "城市\r\n");  // UTF-8
    store.WriteGbkFile("模版/t.txt", "{<_好_>}{<_缺_>}{<_词_>}");
    store.WriteGbkFile("模版/plain.txt", "没有标签");
  }
  void TearDown() override {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (w != main.get() && w->isVisible()) w->close();
    }
    main.reset();
    ASSERT_TRUE(testing::WaitFor([] { return RunningStoreChecks() == 0; }));
    WindowTest::TearDown();
  }

  // Opens the window from the main window's tools column and waits for its first report.
  void Open() {
    main = std::make_unique<MainWindow>();
    main->show();
    testing::Click(testing::Find<QPushButton>(main.get(), "按钮_资源检查"));
    window = qobject_cast<StoreCheckWindow*>(testing::OpenWindow("wordloom::StoreCheckWindow"));
    ASSERT_NE(window, nullptr);
    findings = testing::Find<QTreeWidget>(window, "超级列表框_检查结果");
    variety = testing::Find<QTreeWidget>(window, "超级列表框_变化程度");
    rerun = testing::Find<QPushButton>(window, "按钮_重新检查");
    status = testing::Find<QLabel>(window, "标签_检查状态");
    ASSERT_TRUE(testing::WaitFor([&] { return rerun->isEnabled(); }));
  }

  QStringList Column(QTreeWidget* list, int column) const {
    QStringList cells;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
      cells << list->topLevelItem(i)->text(column);
    return cells;
  }

  // Double-clicks the first finding of that kind (its Chinese caption).
  void DoubleClickFinding(const char* caption) {
    for (int i = 0; i < findings->topLevelItemCount(); ++i) {
      QTreeWidgetItem* item = findings->topLevelItem(i);
      if (item->text(1) != QString::fromUtf8(caption)) continue;
      findings->scrollToItem(item);
      const QPoint at = findings->visualItemRect(item).center();
      QTest::mouseClick(findings->viewport(), Qt::LeftButton, Qt::NoModifier, at);
      QTest::mouseDClick(findings->viewport(), Qt::LeftButton, Qt::NoModifier, at);
      QCoreApplication::processEvents();
      return;
    }
    ADD_FAILURE() << "no finding " << caption;
  }

  std::unique_ptr<MainWindow> main;
  StoreCheckWindow* window = nullptr;
  QTreeWidget* findings = nullptr;
  QTreeWidget* variety = nullptr;
  QPushButton* rerun = nullptr;
  QLabel* status = nullptr;
};

TEST_F(StoreCheckWindowTest, ListsErrorsFirstAndTheVarietyOfEachTemplate) {
  Open();
  EXPECT_EQ(Column(findings, 0), (QStringList{QStringLiteral("错误"), QStringLiteral("警告"),
                                              QStringLiteral("警告"), QStringLiteral("警告")}));
  // Within a severity by place, in the store's own (GBK) order.
  EXPECT_EQ(Column(findings, 1),
            (QStringList{QStringLiteral("缺少库目录"), QStringLiteral("UTF-8 文件"),
                         QStringLiteral("无效的 GBK 字节"), QStringLiteral("模版中没有标签")}));
  EXPECT_EQ(Column(findings, 2),
            (QStringList{QStringLiteral("juzi.ini:3"), QStringLiteral("关键词库/词/u.txt"),
                         QStringLiteral("句子库/好/bad.txt:1"), QStringLiteral("模版/plain.txt")}));
  EXPECT_TRUE(Column(findings, 3)[0].contains(QStringLiteral("句子库/缺")));
  // The chosen finding's detail is shown whole below the list.
  findings->setCurrentItem(findings->topLevelItem(3));
  EXPECT_EQ(testing::Find<QLabel>(window, "标签_问题说明")->text(), Column(findings, 3)[3]);
  EXPECT_EQ(Column(variety, 0),
            (QStringList{QStringLiteral("模版/plain.txt"), QStringLiteral("模版/t.txt")}));
  // t.txt draws one of the three distinct lines of 好; its keyword library has one line.
  EXPECT_TRUE(Column(variety, 1)[1].startsWith(QStringLiteral("约 10^0.5 种")))
      << Column(variety, 1)[1].toStdString();
  EXPECT_TRUE(status->text().contains(QStringLiteral("1 个错误，3 个警告")));
}

TEST_F(StoreCheckWindowTest, ADoubleClickOpensTheWindowWhereTheFindingIsFixed) {
  Open();
  DoubleClickFinding("模版中没有标签");
  auto* manager =
      qobject_cast<TemplateManagerWindow*>(testing::OpenWindow("wordloom::TemplateManagerWindow"));
  ASSERT_NE(manager, nullptr);
  EXPECT_EQ(manager->CurrentTemplatePath(), store.Path("模版/plain.txt"));
  manager->close();

  DoubleClickFinding("无效的 GBK 字节");
  QWidget* sentences = testing::OpenWindow("wordloom::SentenceManagerWindow");
  ASSERT_NE(sentences, nullptr);
  auto* files = testing::Find<QListWidget>(sentences, "列表框_句子文件");
  ASSERT_NE(files->currentItem(), nullptr);
  EXPECT_EQ(files->currentItem()->text(), QStringLiteral("bad.txt"));
  auto* grid = testing::Find<QTableView>(sentences, "高级表格_句子列表");
  EXPECT_EQ(grid->model()->rowCount(), 3);  // the header row and the file's two lines
  sentences->close();

  DoubleClickFinding("缺少库目录");
  QWidget* libraries = testing::OpenWindow("wordloom::LibraryManagerWindow");
  ASSERT_NE(libraries, nullptr);
  EXPECT_EQ(testing::Find<QLineEdit>(libraries, "编辑框_句子库名称")->text(), QStringLiteral("缺"));
  EXPECT_EQ(testing::Find<QLineEdit>(libraries, "编辑框_句子库标签")->text(),
            QStringLiteral("{<_缺_>}"));
  libraries->close();

  // No window edits a keyword file's lines yet: the window says where to look instead.
  DoubleClickFinding("UTF-8 文件");
  EXPECT_EQ(testing::OpenWindow("wordloom::TemplateManagerWindow"), nullptr);
  EXPECT_TRUE(status->text().contains(QStringLiteral("关键词库/词/u.txt")));
}

TEST_F(StoreCheckWindowTest, RunningAgainShowsTheStoreAsItIsNow) {
  Open();
  store.WriteFile("句子库/缺/a.txt", G("补上了") + "\r\n");
  store.WriteGbkFile("模版/plain.txt", "{<_好_>}");
  testing::Click(rerun);
  ASSERT_TRUE(testing::WaitFor([&] { return rerun->isEnabled(); }));
  EXPECT_EQ(Column(findings, 1),
            (QStringList{QStringLiteral("UTF-8 文件"), QStringLiteral("无效的 GBK 字节")}));
  EXPECT_TRUE(status->text().contains(QStringLiteral("0 个错误，2 个警告")));
}

TEST_F(StoreCheckWindowTest, ClosingDuringTheCheckLeavesNothingBehind) {
  main = std::make_unique<MainWindow>();
  OpenStoreCheckWindow(main.get());
  QWidget* opened = testing::OpenWindow("wordloom::StoreCheckWindow");
  ASSERT_NE(opened, nullptr);
  opened->close();
  ASSERT_TRUE(testing::WaitFor([] { return RunningStoreChecks() == 0; }));
  QCoreApplication::processEvents();  // the report, if one came, finds no window
}

}  // namespace
}  // namespace wordloom
