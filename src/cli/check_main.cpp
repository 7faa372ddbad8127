// wordloom-check: what is wrong in a store, and how much variety each template has, on the
// same core as the windows. Reads the store and never writes it.
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "check/store_check.h"
#include "cli/command_line.h"
#include "services/encoding.h"
#include "services/environment.h"
#include "services/files.h"
#include "store/resource_store.h"
#include "store/store_names.h"

namespace wordloom::cli {
namespace {

constexpr char kProgram[] = "wordloom-check";

struct CheckCommandLine {
  std::optional<std::string> runDirectory;
  bool json = false;
  bool help = false;
  std::vector<std::string> templates;
};

std::string Usage() {
  return std::string(R"usage(Usage: wordloom-check [--dir RUN_DIR] [--json] [TEMPLATE...]

Reads the whole store (registries, libraries, templates, synonym files; nothing is written)
and prints one finding per line, KIND<TAB>WHERE<TAB>DETAIL, in UTF-8, then the summary line
"N findings: E errors, W warnings". WHERE is a path relative to the run directory, with
":LINE" where a line applies. Bytes that do not decode are shown as U+FFFD; in the lines
(not in JSON) so are tabs and line breaks inside a name or text.

TEMPLATE  a template's file name in the template folder (the ".txt" may be left off); with
          any, the findings in templates and the variety lines are limited to those.

Options:
  --dir RUN_DIR  the folder holding the store (default: the executable's folder)
  --json         prints instead one JSON array of objects
                 {"kind", "severity", "where", "line", "detail"} ("line" is null where
                 none applies; severity "error", "warning" or "info")
  --help         shows this text
  --version      shows the version

Errors: unsafe-name, missing-folder, no-tag, duplicate-tag, not-regular-file,
  oversized-file, runaway-expansion.
Warnings: unregistered-tag, empty-library, tag-overlap, unused-library,
  unregistered-folder, utf8-file, invalid-gbk, template-without-tags, synonym-undone.
Information (not counted): one "variety" line per template.

runaway-expansion bounds each template's article from above: every occurrence of a tag
may draw the library's longest line, holding the most occurrences of each later tag that
any one line holds (sentence tags expand only into libraries after their own in juzi.ini,
keyword tags into later keyword libraries), and every synonym rule that lengthens the text
may meet every occurrence of its find text that the lines and earlier rules can make. Above
the article limit, the detail names the chain that grows.

)usage") +
         check::VarietyMethod() +
         R"usage(

Exit status: 0 no errors, 1 errors found (or a missing run directory or template),
2 a wrong command line.
)usage";
}

std::optional<std::string> Parse(int argc, const char* const* argv, CheckCommandLine& options) {
  CommandLine line;
  line.AddValue("--dir", options.runDirectory, "a folder");
  line.AddFlag("--json", options.json);
  line.AddFlag("--help,-h", options.help);
  line.AddVersion(kProgram);
  line.AddArguments("TEMPLATE", options.templates);
  return line.Parse(argc, argv);
}

// The template's file name in the template folder, or nothing when there is none.
std::optional<Text> ResolveTemplate(const std::string& argument) {
  const Text name = FileSystemToText(argument);
  if (name.empty() || argument.find('/') != std::string::npos) return std::nullopt;
  for (const Text& candidate : {name, name + ".txt"}) {
    if (MatchesWildcard(candidate, names::TextFilePattern()) &&
        (PathExists(ResourceStore::TemplatePath(candidate)))) {
      return candidate;
    }
  }
  return std::nullopt;
}

// One field of a finding line: tabs and line breaks would cut the line.
std::string Field(std::string text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
      out += "\xEF\xBF\xBD";  // U+FFFD
    } else {
      out.push_back(c);
    }
  }
  return out;
}

void PrintLines(const check::CheckReport& report) {
  for (const check::Finding& finding : report.findings) {
    const std::string line = Field(check::KindName(finding.kind)) + "\t" +
                             Field(finding.WhereShown()) + "\t" + Field(finding.detail) + "\n";
    std::fputs(line.c_str(), stdout);
  }
  std::printf("%zu findings: %zu errors, %zu warnings\n", report.errors + report.warnings,
              report.errors, report.warnings);
}

void PrintJson(const check::CheckReport& report) {
  nlohmann::json array = nlohmann::json::array();
  for (const check::Finding& finding : report.findings) {
    nlohmann::json object;
    object["kind"] = check::KindName(finding.kind);
    object["severity"] = check::SeverityName(finding.severity());
    object["where"] = NameToReadableUtf8(finding.where);
    object["line"] = finding.line > 0 ? nlohmann::json(finding.line) : nlohmann::json(nullptr);
    object["detail"] = finding.detail;
    array.push_back(std::move(object));
  }
  const std::string text =
      array.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
  std::fputs(text.c_str(), stdout);
}

int Run(const CheckCommandLine& options) {
  if (options.runDirectory) {
    const Text folder = FileSystemToText(*options.runDirectory);
    if (KindOfPath(folder) != PathKind::kFolder) {
      Complain(kProgram, "run directory not found: " + *options.runDirectory);
      return kFailure;
    }
    OverrideRunDirectory(folder);
  } else if (KindOfPath(GetRunDirectory()) != PathKind::kFolder) {
    Complain(kProgram, "run directory not found: " + TextToFileSystem(GetRunDirectory()));
    return kFailure;
  }
  check::CheckOptions checkOptions;
  for (const std::string& argument : options.templates) {
    const std::optional<Text> name = ResolveTemplate(argument);
    if (!name) {
      Complain(kProgram, "template not found in " +
                             TextToFileSystem(ResourceStore::TemplateFolder()) + ": " + argument);
      return kFailure;
    }
    checkOptions.templates.push_back(*name);
  }
  const check::CheckReport report = check::CheckStore(checkOptions);
  if (options.json) {
    PrintJson(report);
  } else {
    PrintLines(report);
  }
  return report.errors > 0 ? kFailure : kDone;
}

}  // namespace
}  // namespace wordloom::cli

int main(int argc, char** argv) {
  using namespace wordloom::cli;
  CheckCommandLine options;
  if (const std::optional<std::string> error = Parse(argc, argv, options)) {
    Complain(kProgram, *error + " (see --help)");
    return kUsage;
  }
  if (options.help) {
    std::fputs(Usage().c_str(), stdout);
    return kDone;
  }
  return Run(options);
}
