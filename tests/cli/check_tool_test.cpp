// wordloom-check as scripts and users meet it: its lines and JSON, its exit statuses, the
// demo store as it really is, and stores of hostile files that must not hang it.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "run_tool.h"
#include "services/encoding.h"
#include "services/version.h"
#include "support/temp_store.h"

namespace wordloom {
namespace {

using testing::G;
using testing::RunTool;
using testing::TempStore;
using testing::ToolRun;

std::vector<std::string> Lines(const std::string& out) {
  std::vector<std::string> lines;
  std::istringstream in(out);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (std::size_t tab = line.find('\t'); tab != std::string::npos; tab = line.find('\t', start)) {
    fields.push_back(line.substr(start, tab - start));
    start = tab + 1;
  }
  fields.push_back(line.substr(start));
  return fields;
}

ToolRun Check(const TempStore& store, std::vector<std::string> args = {}, int timeout = 60) {
  args.insert(args.begin(), {"--dir", TextToFileSystem(store.Root())});
  testing::ToolRunOptions options;
  options.timeoutSeconds = timeout;
  return RunTool(WORDLOOM_CHECK_TOOL, args, options);
}

// A library registered without its folder (an error), a template without tags (a warning).
void SmallStore(const TempStore& store) {
  store.WriteGbkFile("juzi.ini", "[gone]\r\n标签={<_gone_>}\r\n");
  store.WriteGbkFile("模版/t.txt", "<p>纯文字</p>");
}

TEST(CheckTool, PrintsOneLinePerFindingThenTheSummaryAndExitsOneOnErrors) {
  TempStore store;
  SmallStore(store);
  const ToolRun run = Check(store);
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_EQ(run.err, "");
  const std::vector<std::string> lines = Lines(run.out);
  ASSERT_EQ(lines.size(), 4u) << run.out;
  std::vector<std::vector<std::string>> fields;
  for (std::size_t i = 0; i < 3; ++i) fields.push_back(Fields(lines[i]));
  for (const auto& f : fields) ASSERT_EQ(f.size(), 3u);
  EXPECT_EQ(fields[0][0], "missing-folder");
  EXPECT_EQ(fields[0][1], "juzi.ini:1");
  EXPECT_NE(fields[0][2].find("句子库/gone"), std::string::npos) << fields[0][2];
  EXPECT_EQ(fields[1][0], "template-without-tags");
  EXPECT_EQ(fields[1][1], "模版/t.txt");
  EXPECT_EQ(fields[2][0], "variety");
  EXPECT_EQ(fields[2][1], "模版/t.txt");
  EXPECT_EQ(lines[3], "2 findings: 1 errors, 1 warnings");

  // Without the error, the same store passes.
  store.MakeFolder("句子库/gone");
  store.WriteGbkFile("句子库/gone/a.txt", "一句\r\n");
  store.WriteGbkFile("模版/t.txt", "<p>{<_gone_>}</p>");
  const ToolRun clean = Check(store);
  EXPECT_EQ(clean.status, 0) << clean.out;
  EXPECT_EQ(Lines(clean.out).back(), "0 findings: 0 errors, 0 warnings");
}

TEST(CheckTool, JsonGivesOneArrayOfTheSameFindings) {
  TempStore store;
  SmallStore(store);
  const ToolRun run = Check(store, {"--json"});
  EXPECT_EQ(run.status, 1);
  const nlohmann::json report = nlohmann::json::parse(run.out);
  ASSERT_TRUE(report.is_array());
  ASSERT_EQ(report.size(), 3u);
  for (const auto& finding : report) {
    std::set<std::string> keys;
    for (const auto& [key, value] : finding.items()) keys.insert(key);
    EXPECT_EQ(keys, (std::set<std::string>{"kind", "severity", "where", "line", "detail"}));
  }
  EXPECT_EQ(report[0]["kind"], "missing-folder");
  EXPECT_EQ(report[0]["severity"], "error");
  EXPECT_EQ(report[0]["where"], "juzi.ini");
  EXPECT_EQ(report[0]["line"], 1);
  EXPECT_EQ(report[1]["severity"], "warning");
  EXPECT_TRUE(report[1]["line"].is_null());
  EXPECT_EQ(report[2]["kind"], "variety");
  EXPECT_EQ(report[2]["severity"], "info");
}

TEST(CheckTool, TheDemoStoreHasNothingWrongAndTwoTemplates) {
  TempStore store;
  const std::string root = TextToFileSystem(store.Root());
  std::filesystem::copy(WORDLOOM_DEMO_STORE, root, std::filesystem::copy_options::recursive);
  const ToolRun run = Check(store);
  EXPECT_EQ(run.status, 0) << run.out << run.err;
  const std::vector<std::string> lines = Lines(run.out);
  ASSERT_EQ(lines.size(), 3u) << run.out;
  EXPECT_EQ(Fields(lines[0])[1], "模版/科技资讯.txt");  // in GBK order, which follows pinyin
  EXPECT_EQ(Fields(lines[1])[1], "模版/旅游攻略.txt");
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(Fields(lines[i])[0], "variety");
    EXPECT_NE(Fields(lines[i])[2].find("about 10^"), std::string::npos) << lines[i];
  }
  EXPECT_EQ(lines[2], "0 findings: 0 errors, 0 warnings");

  // A template named without its ".txt" limits the variety lines to it.
  const ToolRun one = Check(store, {"旅游攻略"});
  EXPECT_EQ(one.status, 0);
  ASSERT_EQ(Lines(one.out).size(), 2u) << one.out;
  EXPECT_EQ(Fields(Lines(one.out)[0])[1], "模版/旅游攻略.txt");

  // The launcher asks every tool its version; the answer reads no store.
  const ToolRun version = RunTool(WORDLOOM_CHECK_TOOL, {"--dir", "/nowhere", "--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, std::string("wordloom-check ") + kVersion + "\n");
}

TEST(CheckTool, HostileFilesAreReportedWithoutBeingRead) {
  TempStore store;
  store.WriteGbkFile("juzi.ini", "[odd]\r\n标签={<_odd_>}\r\n");
  store.MakeFolder("句子库/odd");
  store.MakeFifo("句子库/odd/pipe.txt");
  store.MakeLink("句子库/odd/zero.txt", "/dev/zero");
  store.MakeLink("句子库/odd/nowhere.txt", store.FsPath("missing"));
  store.MakeOversizedFile("句子库/odd/huge.txt");
  store.MakeFifo("模版/pipe.txt");
  store.MakeLink("模版/tty.txt", "/dev/tty");
  store.MakeFifo("同义词库/rules.txt");
  store.MakeFifo("keyword.ini");
  store.MakeLink("关键词库/loop", store.FsPath("关键词库/loop"));
  const auto start = std::chrono::steady_clock::now();
  const ToolRun run = Check(store, {"--json"}, 20);
  EXPECT_FALSE(run.timedOut);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  EXPECT_EQ(run.status, 1) << run.err;
  std::multiset<std::string> found;
  for (const auto& finding : nlohmann::json::parse(run.out)) {
    found.insert(finding["kind"].get<std::string>() + " " + finding["where"].get<std::string>());
  }
  EXPECT_EQ(found, (std::multiset<std::string>{
                       "not-regular-file keyword.ini",
                       "not-regular-file 句子库/odd/pipe.txt",
                       "not-regular-file 句子库/odd/zero.txt",
                       "not-regular-file 句子库/odd/nowhere.txt",
                       "oversized-file 句子库/odd/huge.txt",
                       "not-regular-file 模版/pipe.txt",
                       "not-regular-file 模版/tty.txt",
                       "not-regular-file 同义词库/rules.txt",
                       "unused-library juzi.ini",
                   }))
      << run.out;
}

TEST(CheckTool, NamesThatDoNotDecodeComeOutAsReplacementCharacters) {
  TempStore store;
  store.MakeFolder("句子库/bad\xFF");
  store.WriteFile("模版/\xC3.txt", "plain");
  const ToolRun lines = Check(store);
  EXPECT_TRUE(IsValidUtf8(lines.out)) << lines.out;
  EXPECT_NE(lines.out.find("unregistered-folder\t句子库/bad\uFFFD\t"), std::string::npos)
      << lines.out;
  EXPECT_NE(lines.out.find("template-without-tags\t模版/\uFFFD.txt\t"), std::string::npos);
  const ToolRun json = Check(store, {"--json"});
  std::set<std::string> places;
  for (const auto& finding : nlohmann::json::parse(json.out)) places.insert(finding["where"]);
  EXPECT_TRUE(places.count("句子库/bad\uFFFD"));
  EXPECT_TRUE(places.count("模版/\uFFFD.txt"));
}

TEST(CheckTool, CommandLineMistakesAndMissingPlaces) {
  TempStore store;
  SmallStore(store);
  const ToolRun missing = RunTool(WORDLOOM_CHECK_TOOL, {"--dir", store.FsPath("nowhere")});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.out, "");
  EXPECT_EQ(Lines(missing.err).size(), 1u) << missing.err;
  EXPECT_NE(missing.err.find("run directory not found"), std::string::npos);

  const ToolRun unknownTemplate = Check(store, {"t", "absent"});
  EXPECT_EQ(unknownTemplate.status, 1);
  EXPECT_EQ(unknownTemplate.out, "");
  EXPECT_NE(unknownTemplate.err.find("template not found"), std::string::npos);
  EXPECT_NE(unknownTemplate.err.find("absent"), std::string::npos);

  for (const std::vector<std::string>& wrong :
       std::vector<std::vector<std::string>>{{"--bogus"}, {"--dir"}, {"--json=yes"}}) {
    const ToolRun run = RunTool(WORDLOOM_CHECK_TOOL, wrong);
    EXPECT_EQ(run.status, 2) << wrong[0];
    EXPECT_EQ(Lines(run.err).size(), 1u) << run.err;
    EXPECT_EQ(run.out, "");
  }
  const ToolRun help = RunTool(WORDLOOM_CHECK_TOOL, {"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("distinct lines"), std::string::npos);  // the variety method
  EXPECT_NE(help.out.find("runaway-expansion"), std::string::npos);
}

}  // namespace
}  // namespace wordloom
