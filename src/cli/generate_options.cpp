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
  std::optional<std::string> count, seed, names, near;
  std::vector<std::string> templates;
  CommandLine line;
  line.AddValue("--dir", options.runDirectory, "a folder");
  line.AddValue("--out", options.outFolder, "a folder");
  line.AddValue("--count", count, "a number");
  line.AddValue("--seed", seed, "a number");
  line.AddValue("--names", names, "number or title");
  line.AddValue("--near", near, "a percentage");
  line.AddFlag("--utf8", options.utf8);
  line.AddFlag("--stats", options.stats);
  line.AddFlag("--no-repeat", options.noRepeat);
  line.AddFlag("--overwrite", options.overwrite);
  line.AddFlag("--report", options.report);
  line.AddFlag("--report-pairs", options.reportPairs);
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
  if (names) {
    if (*names != "number" && *names != "title") {
      result.error = "bad value for --names: '" + *names + "' (number or title)";
      return result;
    }
    options.titleNames = *names == "title";
  }
  if (near) {
    const std::optional<std::uint64_t> t = ParseNumber(*near, 100);
    if (!t) {
      result.error = "bad number for --near: '" + *near + "' (0 to 100)";
      return result;
    }
    options.nearPercent = static_cast<int>(*t);
  }
  // Options that only mean something beside another are refused without it, rather than
  // silently doing nothing.
  const std::pair<bool, const char*> needsOut[] = {{names.has_value(), "--names"},
                                                   {options.overwrite, "--overwrite"}};
  for (const auto& [given, name] : needsOut) {
    if (given && !options.outFolder) {
      result.error = std::string(name) + " needs --out";
      return result;
    }
  }
  if ((near || options.reportPairs) && !options.report) {
    result.error = std::string(near ? "--near" : "--report-pairs") + " needs --report";
    return result;
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
  --no-repeat    no sentence twice in one article: a sentence library gives each of its
                 distinct sentences once before any of them comes again (a library with
                 fewer sentences than the article's tags starts a new round); each draw is
                 uniform over the sentences not given yet. Keywords and synonyms are drawn
                 and applied as without it. The same seed gives the same articles.
  --names number|title
                 with --out: "number" (default) names the files 0001.txt, 0002.txt, ...;
                 "title" names each file after its article's first line with text, markup
                 removed, at most 40 characters, characters a file name cannot hold
                 replaced by "_"; a name already taken (in this batch or in the folder)
                 gets " (2)", " (3)", ..., so title names never replace a file
  --overwrite    with --out and numbered names: replaces files of the batch's names. Without
                 it, the run stops before writing anything when one of them exists
  --report       after the batch, one line on standard error (before the --stats line):
                 "uniqueness: N articles, mean X%, max Y% (articles A and B), K pairs at or
                 above T%". The similarity of two articles is the Jaccard similarity of
                 their sets of 4-character shingles (white space left out, markup kept);
                 A and B count from 1. Up to 2,000 articles every pair is compared; beyond,
                 the mean comes from sampled pairs and the maximum and K from hashing
                 (within 2 points, and 10% for K)
  --near T       with --report: the threshold T in percent, 0 to 100 (default 80)
  --report-pairs with --report: then the near pairs, one "A B S%" a line, most similar
                 first, at most 1,000
  --help         shows this text
  --version      shows the version

Without --out, the articles go to standard output one after another: each article,
then a line break if it does not end with one, then one empty line.

Each file in FOLDER is written under a temporary name (never ending in ".txt") and
renamed once complete, so a file is there whole or not at all, also after a failure or an
interrupt (Ctrl-C, SIGTERM). A failed write or an article beyond the size limit stops the
batch with one line naming the file and how many were written.

Exit status: 0 done, 1 a missing run directory or template or a failed write,
2 a wrong command line. Nothing is written when the run cannot start.
)usage";
}

}  // namespace wordloom::cli
