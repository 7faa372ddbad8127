// Importing text files into a library and exporting a library from the sentence manager and
// its keyword twin: the file chooser, the choices of the import, the summary.
#include <QCheckBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include "app/window_openers.h"
#include "gui/libraries/library_test_kinds.h"
#include "services/encoding.h"
#include "support/gui_support.h"

namespace wordloom {
namespace {

using testing::G;
using namespace std::string_literals;

class LibraryTransferTest : public testing::WindowTest,
                            public ::testing::WithParamInterface<testing::KindCase> {
 protected:
  void SetUp() override {
    ui::SetFileChooser([this](const ui::FileChoice& choice) {
      chosenSave = choice.save;
      suggested = choice.suggestedName;
      return picked;
    });
  }
  void TearDown() override {
    if (QWidget* w = testing::OpenWindow("wordloom::ImportWindow")) w->close();
    if (window) window->close();
    ui::SetFileChooser(nullptr);
    WindowTest::TearDown();
  }
  const testing::KindCase& K() const { return GetParam(); }

  // Registers 旅游 (with the given files) and opens the window on it.
  void Open(std::initializer_list<std::pair<const char*, Text>> contents = {}) {
    store.RegisterLibrary(K().kind, "旅游", "{T}");
    for (const auto& [name, bytes] : contents) store.WriteFile(K().Lib("旅游/") + name, bytes);
    (K().kind == LibraryKind::kSentence ? OpenSentenceManagerWindow
                                        : OpenKeywordManagerWindow)(nullptr);
    window = testing::OpenWindow("wordloom::LineManagerWindow");
    ASSERT_NE(window, nullptr);
    combo = testing::Find<QComboBox>(window, K().Say("组合框_%1库").toUtf8().constData());
    files = testing::Find<QListWidget>(window, K().Say("列表框_%1文件").toUtf8().constData());
    testing::ChooseComboEntry(combo, 1);
  }
  // A file outside the store to import, or a path to export to.
  QString Outside(const char* name, std::optional<std::string> bytes = std::nullopt) {
    if (bytes) store.WriteFile(std::string("外面/") + name, *bytes);
    return ui::DisplayName(store.Path(std::string("外面/") + name));
  }
  std::string Library(const char* file) const { return store.ReadFile(K().Lib("旅游/") + file); }
  // Picks the files for the import and waits for its choices.
  QWidget* StartImport(const QStringList& paths) {
    picked = paths;
    testing::Click(testing::Find<QPushButton>(window, "按钮_导入文本"));
    testing::WaitFor([] { return testing::OpenWindow("wordloom::ImportWindow") != nullptr; });
    return testing::OpenWindow("wordloom::ImportWindow");
  }
  // Confirms the import and waits for the summary.
  void FinishImport(QWidget* choices) {
    const std::size_t seen = messages.Seen().size();
    testing::Click(testing::Find<QPushButton>(choices, "按钮_导入"));
    ASSERT_TRUE(testing::WaitFor([&] { return messages.Seen().size() > seen; }));
  }
  QString Listed(QWidget* choices, const char* box) {
    return testing::Find<QPlainTextEdit>(choices, box)->toPlainText();
  }
  QStringList Files() const {
    QStringList names;
    for (int i = 0; i < files->count(); ++i) names << files->item(i)->text();
    return names;
  }
  bool TransfersEnabled() const {
    return window->findChild<QPushButton*>(QStringLiteral("按钮_导入文本"))->isEnabled() &&
           window->findChild<QPushButton*>(QStringLiteral("按钮_导出"))->isEnabled();
  }

  QPointer<QWidget> window;
  QComboBox* combo = nullptr;
  QListWidget* files = nullptr;
  QStringList picked;
  bool chosenSave = false;
  QString suggested;
};

TEST_P(LibraryTransferTest, FilesOfAnyEncodingBecomeNewFilesWithoutDuplicates) {
  Open({{"城市.txt", G("上海\r\n")}});
  QWidget* choices = StartImport({Outside("城市.txt", "\xEF\xBB\xBF北京\n上海\n\n北京\n"s),
                                  Outside("gbk.txt", G("广州\r\n深圳\r\n广州"))});
  ASSERT_NE(choices, nullptr);
  EXPECT_FALSE(TransfersEnabled()) << "one import at a time";
  const QString described = Listed(choices, "编辑框_文件");
  EXPECT_TRUE(described.contains(QStringLiteral("城市.txt：UTF-8，带 BOM，3 行")))
      << described.toStdString();
  EXPECT_TRUE(described.contains(QStringLiteral("gbk.txt：GBK"))) << described.toStdString();
  EXPECT_EQ(choices->findChild<QRadioButton*>(), nullptr) << "nothing GBK cannot hold";
  testing::Find<QCheckBox>(choices, "选择框_去除重复")->setChecked(true);
  FinishImport(choices);

  // The name is taken in the library: the import gets " (2)", nothing is overwritten.
  EXPECT_EQ(Library("城市.txt"), G("上海\r\n"));
  EXPECT_EQ(Library("城市 (2).txt"), G("北京\r\n"));
  EXPECT_EQ(Library("gbk.txt"), G("广州\r\n深圳\r\n"));
  const ui::Message summary = messages.Last();
  EXPECT_EQ(summary.flags, ui::kOk);
  EXPECT_TRUE(
      summary.text.contains(QStringLiteral("城市.txt（UTF-8，带 BOM）：导入 1 行，重复 2 行")))
      << summary.text.toStdString();
  EXPECT_TRUE(summary.text.contains(QStringLiteral("存为“城市 (2).txt”")));
  EXPECT_TRUE(summary.text.contains(QStringLiteral("gbk.txt（GBK）：导入 2 行，重复 1 行")));
  EXPECT_TRUE(Files().contains(QStringLiteral("城市 (2).txt"))) << "the list shows the new files";
  EXPECT_TRUE(TransfersEnabled());
}

TEST_P(LibraryTransferTest, LinesGbkCannotHoldAreSkippedOrLoseThoseCharacters) {
  Open();
  const QString source = Outside("表情.txt", "好\n😀坏\n行😀ሴ\n😀\n");
  QWidget* choices = StartImport({source});
  ASSERT_NE(choices, nullptr);
  const QString listed = Listed(choices, "编辑框_无法保存的行");
  EXPECT_TRUE(listed.contains(QStringLiteral("表情.txt 第 2 行：😀坏（😀 U+1F600）")))
      << listed.toStdString();
  EXPECT_TRUE(listed.contains(QStringLiteral("第 3 行：行😀ሴ（😀 U+1F600，ሴ U+1234）")));
  EXPECT_TRUE(testing::Find<QRadioButton>(choices, "单选框_跳过整行")->isChecked());
  FinishImport(choices);
  EXPECT_EQ(Library("表情.txt"), G("好\r\n"));
  EXPECT_TRUE(messages.Last().text.contains(QStringLiteral("跳过 3 行")));
  EXPECT_FALSE(messages.Last().text.contains(QStringLiteral("重复"))) << "no duplicates asked";

  choices = StartImport({source});
  ASSERT_NE(choices, nullptr);
  testing::Find<QRadioButton>(choices, "单选框_去掉字符")->setChecked(true);
  FinishImport(choices);
  EXPECT_EQ(Library("表情 (2).txt"), G("好\r\n坏\r\n行\r\n"));
  EXPECT_TRUE(messages.Last().text.contains(QStringLiteral("去掉 3 个")))
      << messages.Last().text.toStdString();
  // A line of nothing but such characters is left out even when only they go.
  EXPECT_TRUE(messages.Last().text.contains(QStringLiteral("跳过 1 行（只有")));
}

TEST_P(LibraryTransferTest, WhatCannotBeImportedIsNamedAndCancelWritesNothing) {
  Open();
  picked = {Outside("bin.dat", "a\0b\0c"s), Outside("missing.txt")};
  testing::Click(testing::Find<QPushButton>(window, "按钮_导入文本"));
  ASSERT_TRUE(testing::WaitFor([&] { return !messages.Seen().empty(); }));
  EXPECT_EQ(messages.Last().flags, ui::kWarning);
  EXPECT_TRUE(messages.Last().text.contains(QStringLiteral("bin.dat：不是文本文件")));
  EXPECT_TRUE(
      messages.Last().text.contains(QStringLiteral("missing.txt：无法读取（文件或文件夹不存在）")));
  EXPECT_EQ(testing::OpenWindow("wordloom::ImportWindow"), nullptr);
  EXPECT_TRUE(TransfersEnabled());

  QWidget* choices = StartImport({Outside("ok.txt", "x\n"s)});
  ASSERT_NE(choices, nullptr);
  testing::Click(testing::Find<QPushButton>(choices, "按钮_取消"));
  EXPECT_TRUE(TransfersEnabled());
  EXPECT_FALSE(store.Exists(K().Lib("旅游/ok.txt")));
  // Nothing picked: nothing happens.
  picked.clear();
  testing::Click(testing::Find<QPushButton>(window, "按钮_导入文本"));
  EXPECT_EQ(testing::OpenWindow("wordloom::ImportWindow"), nullptr);
}

TEST_P(LibraryTransferTest, ALibraryIsExportedAsUtf8AndNoFileIsOverwritten) {
  Open({{"a.txt", G("一\r\n二\r\n")}, {"b.txt", "z\r\n\xFF"s}});
  const QString out = Outside("导出.txt");
  store.MakeFolder("外面");
  picked = {out};
  testing::Click(testing::Find<QPushButton>(window, "按钮_导出"));
  ASSERT_TRUE(testing::WaitFor([&] { return !messages.Seen().empty(); }));
  EXPECT_TRUE(chosenSave);
  EXPECT_EQ(suggested, QStringLiteral("旅游.txt"));
  EXPECT_EQ(store.ReadFile("外面/导出.txt"), "一\n二\nz\n\xEF\xBF\xBD\n");
  EXPECT_EQ(messages.Last().flags, ui::kOk);
  EXPECT_TRUE(messages.Last().text.contains(QStringLiteral("2 个文件的 4 行")))
      << messages.Last().text.toStdString();
  EXPECT_TRUE(messages.Last().text.contains(QStringLiteral("1 个字节")));

  testing::Click(testing::Find<QPushButton>(window, "按钮_导出"));
  ASSERT_TRUE(testing::WaitFor([&] { return messages.Seen().size() == 2; }));
  EXPECT_EQ(messages.Last().flags, ui::kWarning);
  EXPECT_TRUE(messages.Last().text.contains(QStringLiteral("已经存在")));
  EXPECT_EQ(store.ReadFile("外面/导出.txt"), "一\n二\nz\n\xEF\xBF\xBD\n");
  EXPECT_TRUE(TransfersEnabled());
}

TEST_P(LibraryTransferTest, BothNeedAChosenLibrary) {
  Open();
  testing::ChooseComboEntry(combo, 0);
  picked = {Outside("ok.txt", "x\n"s)};
  testing::Click(testing::Find<QPushButton>(window, "按钮_导入文本"));
  testing::Click(testing::Find<QPushButton>(window, "按钮_导出"));
  ASSERT_EQ(messages.Seen().size(), 2u);
  for (const ui::Message& m : messages.Seen()) EXPECT_EQ(m.flags, ui::kWarning);
  EXPECT_EQ(testing::OpenWindow("wordloom::ImportWindow"), nullptr);
}

INSTANTIATE_TEST_SUITE_P(BothKinds, LibraryTransferTest,
                         ::testing::Values(testing::kSentenceCase, testing::kKeywordCase),
                         testing::KindName);

}  // namespace
}  // namespace wordloom
