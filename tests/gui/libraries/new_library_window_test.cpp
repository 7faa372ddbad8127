#include "libraries/new_library_window.h"

#include <QLineEdit>
#include <QPushButton>

#include <filesystem>

#include "app/main_window.h"
#include "app/window_openers.h"
#include "gui/libraries/library_test_kinds.h"
#include "support/gui_support.h"

namespace wordloom {
namespace {

namespace fs = std::filesystem;
using testing::G;

class NewLibraryWindowTest : public testing::WindowTest,
                             public ::testing::WithParamInterface<testing::KindCase> {
 protected:
  void TearDown() override {
    if (window) window->close();
    WindowTest::TearDown();
  }
  const testing::KindCase& K() const { return GetParam(); }
  void Open() {
    (K().kind == LibraryKind::kSentence ? OpenNewSentenceLibraryWindow
                                        : OpenNewKeywordLibraryWindow)(nullptr);
    window = testing::OpenWindow("wordloom::NewLibraryWindow");
    ASSERT_NE(window, nullptr);
    name = testing::Find<QLineEdit>(window, K().nameBox);
    tag = testing::Find<QLineEdit>(window, K().tagBox);
  }
  void Save(const QString& typedName, const QString& typedTag) {
    name->setText(typedName);
    tag->setText(typedTag);
    testing::Click(testing::Find<QPushButton>(window, "按钮_保存"));
  }
  bool Closed() const { return !window || !window->isVisible(); }
  std::string Registry() const { return store.ReadFile(K().registry); }

  QPointer<QWidget> window;
  QLineEdit* name = nullptr;
  QLineEdit* tag = nullptr;
};

TEST_P(NewLibraryWindowTest, FirstLibraryCreatesRegistryParentAndFolder) {
  Open();
  EXPECT_EQ(window->windowTitle(), K().Say("新建%1库"));
  EXPECT_EQ(tag->text(), K().Say("{<_XX%1_>}"));
  Save(QStringLiteral("新闻"), tag->text());  // the example tag is a valid first tag
  EXPECT_EQ(Registry(), G(std::string("[新闻]\r\n标签={<_XX") + K().word + "_>}\r\n"));
  EXPECT_TRUE(fs::is_directory(store.FsPath(K().Lib("新闻"))));
  ASSERT_EQ(messages.Seen().size(), 1u);
  EXPECT_EQ(messages.Last().text, QStringLiteral("保存成功，请到(") +
                                      ui::DisplayName(store.Path(K().Lib("新闻"))) +
                                      K().Say(")目录添加%1资源！"));
  EXPECT_EQ(messages.Last().title, QStringLiteral("提示"));
  EXPECT_TRUE(Closed());

  Open();  // a second library with the example tag repeats it
  Save(QStringLiteral("体育"), tag->text());
  EXPECT_EQ(messages.Last().text, QStringLiteral("标签名重复，请换个名字吧！"));
  EXPECT_FALSE(Closed());
}

TEST_P(NewLibraryWindowTest, EmptyInputsWarnAndChangeNothing) {
  Open();
  Save(QString(), QStringLiteral("{T}"));
  Save(QStringLiteral("名"), QString());
  testing::Click(testing::Find<QPushButton>(window, "按钮_清空"));
  EXPECT_EQ(name->text() + tag->text(), QString());
  ASSERT_EQ(messages.Seen().size(), 2u);
  for (const ui::Message& m : messages.Seen()) {
    EXPECT_EQ(m.text, K().Say("库名称，%1标签，不能为空。"));
    EXPECT_EQ(m.flags, ui::kWarning);
  }
  EXPECT_FALSE(Closed());
  EXPECT_FALSE(store.Exists(K().registry));
}

TEST_P(NewLibraryWindowTest, TagsMayNotRepeatWithinTheKind) {
  store.RegisterLibrary(K().kind, "甲", "{A}");
  store.RegisterLibrary(K().Other(), "乙", "{B}");
  const std::string before = Registry();
  Open();
  Save(QStringLiteral("丙"), QStringLiteral("{A}"));
  Save(QStringLiteral("甲"), QStringLiteral("{A}"));  // its own tag: refused, not overwritten
  ASSERT_EQ(messages.Seen().size(), 2u);
  EXPECT_EQ(messages.Last().text, QStringLiteral("标签名重复，请换个名字吧！"));
  EXPECT_EQ(Registry(), before);

  Save(QStringLiteral("丙"), QStringLiteral("{B}"));  // the other kind's tags do not count
  EXPECT_EQ(Registry(), before + G("[丙]\r\n标签={B}\r\n"));
}

TEST_P(NewLibraryWindowTest, AnExistingNameIsOverwrittenOnlyAfterOk) {
  store.WriteGbkFile(K().registry, "[甲]\r\n标签={A}\r\n备注=keep\r\n");
  store.WriteGbkFile(K().Lib("甲/a.txt"), "一句");
  const std::string before = Registry();
  Open();
  messages.Answer(ui::kAnswerCancel);
  Save(QStringLiteral("甲"), QStringLiteral("{New}"));
  EXPECT_EQ(messages.Last().text, K().Say("您要添加的%1库已经存在，是否需要覆盖。"));
  EXPECT_TRUE(Closed());
  EXPECT_EQ(Registry(), before);

  Open();
  Save(QStringLiteral("甲"), QStringLiteral("{New}"));  // answered OK
  EXPECT_EQ(Registry(), G("[甲]\r\n标签={New}\r\n备注=keep\r\n"));
  EXPECT_EQ(store.ReadFile(K().Lib("甲/a.txt")), G("一句"));
  EXPECT_EQ(messages.Last().title, QStringLiteral("提示"));
}

TEST_P(NewLibraryWindowTest, NamesAreTakenExactlyAsTyped) {
  store.RegisterLibrary(K().kind, "abc", "{abc}");
  int n = 0;
  for (const char* typed : {"ABC", " a b!誠", "\U00020000"}) {  // 誠 ends in the byte "\"
    Open();
    Save(QString::fromUtf8(typed), QStringLiteral(" {%1} ").arg(++n));
    EXPECT_EQ(messages.Last().title, QStringLiteral("提示")) << typed;  // no question, no refusal
    EXPECT_TRUE(fs::is_directory(store.FsPath(K().Lib(typed)))) << typed;
  }
  EXPECT_EQ(ResourceStore::ReadTag(K().kind, G(" a b!誠")), " {2} ");
}

TEST_P(NewLibraryWindowTest, UnsafeInputIsRefusedWithTheDiskUnchanged) {
  store.MakeFolder("victim");
  Open();
  for (const char* bad : {".", "..", "a/b", "a\\b", "../victim"}) {
    Save(QString::fromUtf8(bad), QStringLiteral("{T}"));
    EXPECT_TRUE(messages.Last().text.contains(QString::fromUtf8(bad))) << bad;
  }
  Save(QStringLiteral("名"), QStringLiteral("{\U0001F600}"));
  EXPECT_TRUE(messages.Last().text.contains(QStringLiteral("\U0001F600")));
  EXPECT_EQ(messages.Seen().size(), 6u);
  for (const ui::Message& m : messages.Seen()) EXPECT_EQ(m.flags, ui::kWarning);
  EXPECT_FALSE(store.Exists(K().registry));
  EXPECT_FALSE(store.Exists(K().parent));
  EXPECT_TRUE(fs::is_empty(store.FsPath("victim")));
}

TEST_P(NewLibraryWindowTest, FailedWritesAreReportedInsteadOfSuccess) {
  store.MakeFolder(K().registry);  // a folder where the registry belongs
  Open();
  Save(QStringLiteral("甲"), QStringLiteral("{A}"));
  EXPECT_EQ(messages.Last().flags, ui::kWarning);
  EXPECT_TRUE(messages.Last().text.contains(QString::fromUtf8(K().registry)));
  EXPECT_FALSE(Closed());  // nothing saved: the input stays for another try
  EXPECT_FALSE(store.Exists(K().parent));
  window->close();

  fs::remove(store.FsPath(K().registry));
  store.WriteFile(K().parent, "a file in the parent folder's place");
  Open();
  Save(QStringLiteral("甲"), QStringLiteral("{A}"));
  EXPECT_EQ(messages.Last().flags, ui::kWarning);
  EXPECT_TRUE(messages.Last().text.contains(ui::DisplayName(store.Path(K().Lib("甲")))));
  EXPECT_EQ(Registry(), G("[甲]\r\n标签={A}\r\n"));  // the record is in, and the user knows
  EXPECT_TRUE(Closed());
}

// A registry that exists but cannot be read (here: over the read limit, which fails for
// root too) is never replaced by a one-section file, and the warning says why.
TEST_P(NewLibraryWindowTest, AnUnreadableRegistryIsLeftAsItIsAndTheCauseNamed) {
  store.MakeOversizedFile(K().registry);
  Open();
  Save(QStringLiteral("甲"), QStringLiteral("{A}"));
  EXPECT_EQ(messages.Last().flags, ui::kWarning);
  EXPECT_TRUE(messages.Last().text.contains(QStringLiteral("超过 256 MB")))
      << messages.Last().text.toStdString();
  EXPECT_EQ(fs::file_size(store.FsPath(K().registry)), kMaxFileBytes + 1);
  EXPECT_FALSE(Closed());
}

INSTANTIATE_TEST_SUITE_P(BothKinds, NewLibraryWindowTest,
                         ::testing::Values(testing::kSentenceCase, testing::kKeywordCase),
                         testing::KindName);

class LibraryWindowOpeningTest : public testing::WindowTest {};

TEST_F(LibraryWindowOpeningTest, MainWindowButtonsOpenTheFourWindowsModally) {
  MainWindow main;
  main.show();
  const std::pair<const char*, const char*> cases[] = {
      {"按钮_新建句子库", "wordloom::NewSentenceLibraryWindow"},
      {"按钮_管理句子库", "wordloom::SentenceLibraryManagerWindow"},
      {"按钮_新建关键词库", "wordloom::NewKeywordLibraryWindow"},
      {"按钮_管理关键词库", "wordloom::KeywordLibraryManagerWindow"}};
  for (const auto& [button, windowClass] : cases) {
    testing::Click(testing::Find<QPushButton>(&main, button));
    QPointer<QWidget> opened = testing::OpenWindow(windowClass);
    ASSERT_NE(opened, nullptr) << windowClass;
    EXPECT_EQ(opened->windowModality(), Qt::ApplicationModal);
    EXPECT_EQ(opened->parentWidget(), &main);
    opened->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(opened.isNull()) << "deleted when closed";
  }
}

}  // namespace
}  // namespace wordloom
