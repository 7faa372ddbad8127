#include "services/ini.h"

#include <gtest/gtest.h>

#include <tuple>

#include <filesystem>
#include <fstream>

#include "support/temp_store.h"

namespace wordloom {
namespace {

using testing::G;
using testing::TempStore;

class IniTest : public ::testing::Test {
 protected:
  TempStore store;
  Text path = store.Path("reg.ini");
  const Text key = G("标签");
};

TEST_F(IniTest, MissingFileReadsAsNothingAndTheFirstWriteCreatesIt) {
  EXPECT_TRUE(ListIniSections(path).empty());
  EXPECT_EQ(ReadIniValue(path, "a", key, "dflt"), "dflt");
  ASSERT_TRUE(WriteIniValue(path, G("新闻"), key, G("{<_新闻句子_>}")));
  EXPECT_EQ(store.ReadFile("reg.ini"), G("[新闻]\r\n标签={<_新闻句子_>}\r\n"));
}

TEST_F(IniTest, OddValuesReadBackIdentical) {
  const Text values[] = {"  padded  ", "a=b=c",           "[x]", ";not a comment",
                         "",           G("誡誠{<_\\_>}"), "\t"};
  int i = 0;
  for (const Text& value : values) {
    Text section = "s" + std::to_string(i++);
    ASSERT_TRUE(WriteIniValue(path, section, key, value));
    EXPECT_EQ(ReadIniValue(path, section, key), value) << section;
  }
}

TEST_F(IniTest, SectionNamesEndAtTheLastBracketOnACharacterBoundary) {
  const Text jie = "\xD5\x5D";  // 誡 ends in the byte of "]"
  ASSERT_TRUE(WriteIniValue(path, jie, key, "1"));
  ASSERT_TRUE(WriteIniValue(path, "a]b", key, "2"));
  EXPECT_EQ(ListIniSections(path), (TextArray{jie, "a]b"}));
  EXPECT_EQ(ReadIniValue(path, jie, key), "1");
  EXPECT_EQ(ReadIniValue(path, "a]b", key), "2");
}

TEST_F(IniTest, NamesMatchByteForByte) {
  ASSERT_TRUE(WriteIniValue(path, "abc", key, "lower"));
  ASSERT_TRUE(WriteIniValue(path, "ABC", key, "upper"));
  ASSERT_TRUE(WriteIniValue(path, " abc", key, "blank"));
  EXPECT_EQ(ListIniSections(path), (TextArray{"abc", "ABC", " abc"}));
  EXPECT_EQ(ReadIniValue(path, "ABC", key), "upper");
  EXPECT_EQ(ReadIniValue(path, " abc", key), "blank");
  EXPECT_EQ(ReadIniValue(path, "abc", G("标 签")), "");
}

TEST_F(IniTest, BlankKeyOrPathGivesEmptyTextEvenWithADefault) {
  ASSERT_TRUE(WriteIniValue(path, "a", key, "v"));
  EXPECT_EQ(ReadIniValue(path, "a", "  ", "dflt"), "");
  EXPECT_EQ(ReadIniValue("  ", "a", key, "dflt"), "");
  EXPECT_EQ(ReadIniValue(path, "", key, "dflt"), "");
  EXPECT_EQ(ReadIniValue(path, "a", "other", "dflt"), "dflt");
}

TEST_F(IniTest, WritingOneSectionKeepsEveryOtherLineByteForByte) {
  const std::string before = "; hand-written\n[first]\r\n" + G("标签") +
                             " = one \nother=x\r\n\r\n[second]\n" + G("标签") +
                             "=two\n???\r\n[third]\r\n" + G("标签") + "=three";
  store.WriteFile("reg.ini", before);
  EXPECT_EQ(ReadIniValue(path, "first", key), " one ");  // blanks around the key tolerated
  ASSERT_TRUE(WriteIniValue(path, "second", key, "2"));
  EXPECT_EQ(store.ReadFile("reg.ini"), "; hand-written\n[first]\r\n" + G("标签") +
                                           " = one \nother=x\r\n\r\n[second]\n" + G("标签") +
                                           "=2\n???\r\n[third]\r\n" + G("标签") + "=three");

  ASSERT_TRUE(WriteIniValue(path, "fourth", key, "4"));  // appended after a last line without LF
  EXPECT_EQ(ListIniSections(path), (TextArray{"first", "second", "third", "fourth"}));
  EXPECT_EQ(ReadIniValue(path, "third", key), "three");
  EXPECT_EQ(ReadIniValue(path, "fourth", key), "4");
}

TEST_F(IniTest, DeletingASectionRemovesExactlyItsLines) {
  store.WriteFile("reg.ini", "[a]\r\nk=1\r\n; note\r\n[b]\nk=2\n\n[c]\r\nk=3\r\n");
  ASSERT_TRUE(WriteIniValue(path, "b"));
  EXPECT_EQ(store.ReadFile("reg.ini"), "[a]\r\nk=1\r\n; note\r\n[c]\r\nk=3\r\n");
  ASSERT_TRUE(WriteIniValue(path, "a", Text("k")));  // delete a key only
  EXPECT_EQ(store.ReadFile("reg.ini"), "[a]\r\n; note\r\n[c]\r\nk=3\r\n");
  EXPECT_TRUE(WriteIniValue(path, "missing"));  // nothing to delete is no failure
}

TEST_F(IniTest, NewKeyGoesIntoItsSectionBeforeTheBlankSeparator) {
  store.WriteFile("reg.ini", "[a]\r\nx=1\r\n\r\n[b]\r\n");
  ASSERT_TRUE(WriteIniValue(path, "a", key, "t"));
  EXPECT_EQ(store.ReadFile("reg.ini"), "[a]\r\nx=1\r\n" + key + "=t\r\n\r\n[b]\r\n");
}

TEST_F(IniTest, RefusesWhatTheFormatCannotHold) {
  EXPECT_FALSE(WriteIniValue(path, "a", key, "line\r\nbreak"));
  EXPECT_FALSE(WriteIniValue(path, "a\nb", key, "v"));
  EXPECT_FALSE(WriteIniValue(path, "a", Text("k=v"), "v"));
  EXPECT_FALSE(WriteIniValue(path, "", key, "v"));
  EXPECT_FALSE(store.Exists("reg.ini"));
  store.MakeFolder("dir.ini");
  EXPECT_FALSE(WriteIniValue(store.Path("dir.ini"), "a", key, "v"));
}

// Names the readers would not find again would pile up one copy per write.
TEST_F(IniTest, RefusesNamesThatWouldNotReadBack) {
  const Text loneLead = "lib\xFF";  // the header's "]" would pair with the last byte
  const Text refusedSections[] = {loneLead, " ", "\t \x01"};
  for (const Text& section : refusedSections) {
    EXPECT_EQ(WriteIniValue(path, section, key, "v").error, kRefusedName) << section;
  }
  const Text refusedKeys[] = {"\x01", " \x02 ", "[x]", ";note", " k", "k\t"};
  for (const Text& badKey : refusedKeys) {
    EXPECT_EQ(WriteIniValue(path, "a", badKey, "v").error, kRefusedName) << badKey;
  }
  EXPECT_FALSE(store.Exists("reg.ini"));
  ASSERT_TRUE(WriteIniValue(path, " a\x01", Text("\x01k"), "v"));  // inner low bytes are fine
  EXPECT_EQ(ReadIniValue(path, " a\x01", Text("\x01k")), "v");
}

TEST_F(IniTest, AKeyAddedAfterALastLineEndingInALoneCrLeavesThatValueAlone) {
  store.WriteFile("reg.ini", "[s]\r\nk=a\r");
  ASSERT_TRUE(WriteIniValue(path, "s", Text("n"), "b"));
  EXPECT_EQ(ReadIniValue(path, "s", Text("k")), "a");
  EXPECT_EQ(ReadIniValue(path, "s", Text("n")), "b");
}

TEST_F(IniTest, BlankSectionsReadAsNothing) {
  store.WriteFile("reg.ini", "[ ]\r\n" + key + "=blank\r\n[\t]\r\n" + key + "=tab\r\n");
  EXPECT_EQ(ReadIniValue(path, " ", key, "dflt"), "");
  EXPECT_EQ(ReadIniValue(path, "\t", key), "");
  for (const IniSectionValue& entry : ReadIniSectionValues(path, key)) {
    EXPECT_EQ(entry.value, "") << entry.section;
  }
}

// A registry that exists but cannot be read is never replaced by a file of one section.
TEST_F(IniTest, AnUnreadableFileIsNeverRewritten) {
  store.MakeOversizedFile("huge.ini");
  store.MakeFifo("pipe.ini");
  EXPECT_EQ(WriteIniValue(store.Path("huge.ini"), "new", key, "v").error, kFileTooLarge);
  EXPECT_EQ(WriteIniValue(store.Path("huge.ini"), "lib").error, kFileTooLarge);
  EXPECT_EQ(std::filesystem::file_size(store.FsPath("huge.ini")), kMaxFileBytes + 1);
  std::ifstream huge(store.FsPath("huge.ini"), std::ios::binary);
  std::string head(7, '\0');
  huge.read(head.data(), 7);
  EXPECT_EQ(head, "[lib]\r\n");
  EXPECT_EQ(WriteIniValue(store.Path("pipe.ini"), "new", key, "v").error, kNotRegularFile);
  EXPECT_EQ(std::filesystem::status(store.FsPath("pipe.ini")).type(),
            std::filesystem::file_type::fifo);
  EXPECT_TRUE(ListIniSections(store.Path("pipe.ini")).empty());  // read without waiting
}

TEST_F(IniTest, LongValuesAreCutAtTheBufferWithoutSplittingACharacter) {
  Text value(kIniValueLimit - 1, 'a');
  value += "\xD6\xD0";  // a character straddling the limit
  ASSERT_TRUE(WriteIniValue(path, "a", key, value));
  EXPECT_EQ(ReadIniValue(path, "a", key), Text(kIniValueLimit - 1, 'a'));
  Text exact(kIniValueLimit, 'b');
  ASSERT_TRUE(WriteIniValue(path, "b", key, exact + "cc"));
  EXPECT_EQ(ReadIniValue(path, "b", key), exact);
}

TEST_F(IniTest, OneReadingGivesWhatTheSeparateReadsGive) {
  store.WriteFile("reg.ini", "[a]\r\nother=1\r\n[b]\r\n" + key + "=B\r\n[a]\r\n" + key +
                                 "=late A\r\n[c]\r\n[]\r\n" + key + "=nameless\r\n[b]\r\n" + key +
                                 "=second B\r\n[" + std::string(20, 'x') + "]\r\n" + key + "=" +
                                 std::string(kIniValueLimit + 5, 'v') + "\r\n");
  std::vector<IniSectionValue> together = ReadIniSectionValues(path, key);
  TextArray names = ListIniSections(path);
  ASSERT_EQ(together.size(), names.size());
  for (std::size_t i = 0; i < names.size(); ++i) {
    EXPECT_EQ(together[i].section, names[i]);
    EXPECT_EQ(together[i].value, ReadIniValue(path, names[i], key)) << names[i];
  }
  EXPECT_EQ(together[0].value, "late A");  // found in the second section of that name
}

// The lines a reader finds each section and value on, as the store check reports them.
TEST_F(IniTest, SectionValuesCarryTheLinesTheyStandOn) {
  store.WriteFile("reg.ini", "; note\n[a]\r\nother=1\r\n[b]\r\n" + key + "=B\r\n\r\n[a]\r\n" + key +
                                 "=late A\r\n[c]\r\n[b]\r\n" + key + "=second B");
  std::vector<std::tuple<Text, std::size_t, std::size_t>> lines;
  for (const IniSectionValue& entry : ReadIniSectionValues(path, key)) {
    lines.emplace_back(entry.section, entry.sectionLine, entry.valueLine);
  }
  EXPECT_EQ(lines, (std::vector<std::tuple<Text, std::size_t, std::size_t>>{
                       {"a", 2, 8}, {"b", 4, 5}, {"c", 9, 0}}));
}

TEST_F(IniTest, SectionListStopsAtTheNameBuffer) {
  std::string content;
  const int count = 3000;  // 3000 names of 99 bytes (+1 each) overflow 204800 bytes
  for (int i = 0; i < count; ++i) {
    std::string name = std::to_string(100000 + i) + std::string(93, 'n');
    content += "[" + name + "]\r\nk=v\r\n";
  }
  store.WriteFile("reg.ini", content);
  EXPECT_EQ(ListIniSections(path).size(), (kIniSectionNamesBuffer - 1) / 100);
}

}  // namespace
}  // namespace wordloom
