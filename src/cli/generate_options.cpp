#include "cli/generate_options.h"

#include <vector>

#include "cli/command_line.h"

namespace wordloom::cli {
namespace {

// Beyond this a batch is surely a typing mistake, and the file names stay short.
constexpr std::uint64_t kMaxCount = 1000000000;

}  // namespace

ParsedCommandLine ParseGenerateCommandLine(int argc, const char* const* argv) {
  ParsedCommandLine result;
  GenerateOptions options;
  std::optional<std::string> count, seed;
  std::vector<std::string> templates;
  CommandLine line;
  line.AddValue("--dir", options.runDirectory, "a folder");
  line.AddValue("--out", options.outFolder, "a folder");
  line.AddValue("--count", count, "a number");
  line.AddValue("--seed", seed, "a number");
  line.AddFlag("--utf8", options.utf8);
  line.AddFlag("--stats", options.stats);
  line.AddFlag("--help,-h", options.help);
  line.AddVersion("wordloom-generate");
  line.AddArguments("TEMPLATE", templates);
  if (std::optional<std::string> error = line.Parse(argc, argv)) {
    result.error = std::move(*error);
    return result;
  }

  if (count) {
    const std::optional<std::uint64_t> n = ParseNumber(*count, kMaxCount);
    if (!n || *n == 0) {
      result.error =
          "bad number for --count: '" + *count + "' (1 to " + std::to_string(kMaxCount) + ")";
      return result;
    }
    options.count = *n;
  }
  if (seed) {
    const std::optional<std::uint64_t> s = ParseNumber(*seed, UINT32_MAX);
    if (!s) {
      result.error = "bad number for --seed: '" + *seed + "' (0 to 4294967295)";
      return result;
    }
    options.seed = static_cast<std::uint32_t>(*s);
  }
  if (templates.size() > 1) {
    result.error = "more than one TEMPLATE given: " + templates[1];
    return result;
  }
  if (!options.help && templates.empty()) {
    result.error = "no TEMPLATE given";
    return result;
  }
  if (!templates.empty()) options.templateArgument = templates.front();
  result.options = std::move(options);
  return result;
}

std::string GenerateUsage() {
  return R"usage(Usage: wordloom-generate [OPTIONS] TEMPLATE

Expands an article template into articles, as the main window does, without a window.

TEMPLATE  a template's file name in the run directory's template folder (as the main
          window lists it; the ".txt" may be left off), or the path of a template file
          (any argument holding "/", or naming an existing file, is taken as a path).

Options:
  --dir RUN_DIR  the folder holding the store (default: the executable's folder)
  --count N      how many articles (default 1)
  --seed S       seeds the random sequence (0 to 4294967295): the same store, seed and
                 count give the same articles; without it, the clock seeds it
  --out FOLDER   writes the articles as the files 0001.txt, 0002.txt, ... in FOLDER
                 (created with its parents when missing; more digits when N > 9999),
                 each holding exactly the article
  --utf8         converts the articles from GBK to UTF-8 (for a terminal), on standard
                 output and in the --out files alike
  --stats        ends with "N articles in T s (R articles/s)" on standard error
  --help         shows this text
  --version      shows the version

Without --out, the articles go to standard output one after another: each article,
then a line break if it does not end with one, then one empty line.

Exit status: 0 done, 1 a missing run directory or template or a failed write,
2 a wrong command line. Nothing is written when the run cannot start.
)usage";
}

}  // namespace wordloom::cli
