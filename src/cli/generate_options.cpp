#include "cli/generate_options.h"

#include <string_view>

namespace wordloom::cli {
namespace {

// Beyond this a batch is surely a typing mistake, and the file names stay short.
constexpr std::uint64_t kMaxCount = 1000000000;

// Plain decimal digits only: no sign, no blanks, no hexadecimal, nothing after them.
std::optional<std::uint64_t> ParseNumber(std::string_view s, std::uint64_t max) {
  if (s.empty() || s.size() > 20) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return std::nullopt;
    const std::uint64_t digit = static_cast<std::uint64_t>(c - '0');
    if (value > (max - digit) / 10) return std::nullopt;
    value = value * 10 + digit;
  }
  return value;
}

}  // namespace

ParsedCommandLine ParseGenerateCommandLine(int argc, const char* const* argv) {
  ParsedCommandLine result;
  GenerateOptions options;
  bool haveTemplate = false;
  bool optionsEnded = false;
  auto fail = [&](std::string message) {
    result.error = std::move(message);
    return result;
  };

  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      if (haveTemplate) return fail("more than one TEMPLATE given: " + std::string(arg));
      options.templateArgument = std::string(arg);
      haveTemplate = true;
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }

    // "--name value" and "--name=value" both work for options that take a value.
    std::string_view name = arg;
    std::optional<std::string_view> inlineValue;
    if (const std::size_t eq = arg.find('=');
        arg.starts_with("--") && eq != std::string_view::npos) {
      name = arg.substr(0, eq);
      inlineValue = arg.substr(eq + 1);
    }
    auto value = [&]() -> std::optional<std::string_view> {
      if (inlineValue) return inlineValue;
      if (i + 1 >= argc) return std::nullopt;
      return std::string_view(argv[++i]);
    };
    auto flag = [&](bool& target) -> bool {
      if (inlineValue) return false;
      target = true;
      return true;
    };

    if (name == "--dir" || name == "--out") {
      const std::optional<std::string_view> v = value();
      if (!v || v->empty()) return fail("option " + std::string(name) + " needs a folder");
      (name == "--dir" ? options.runDirectory : options.outFolder) = std::string(*v);
    } else if (name == "--count") {
      const std::optional<std::string_view> v = value();
      if (!v) return fail("option --count needs a number");
      const std::optional<std::uint64_t> n = ParseNumber(*v, kMaxCount);
      if (!n || *n == 0) {
        return fail("bad number for --count: '" + std::string(*v) + "' (1 to " +
                    std::to_string(kMaxCount) + ")");
      }
      options.count = *n;
    } else if (name == "--seed") {
      const std::optional<std::string_view> v = value();
      if (!v) return fail("option --seed needs a number");
      const std::optional<std::uint64_t> s = ParseNumber(*v, UINT32_MAX);
      if (!s) return fail("bad number for --seed: '" + std::string(*v) + "' (0 to 4294967295)");
      options.seed = static_cast<std::uint32_t>(*s);
    } else if (name == "--utf8") {
      if (!flag(options.utf8)) return fail("option --utf8 takes no value");
    } else if (name == "--stats") {
      if (!flag(options.stats)) return fail("option --stats takes no value");
    } else if (name == "--help" || name == "-h") {
      if (!flag(options.help)) return fail("option --help takes no value");
    } else {
      return fail("unknown option: " + std::string(arg));
    }
  }

  if (!options.help && !haveTemplate) return fail("no TEMPLATE given");
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

Without --out, the articles go to standard output one after another: each article,
then a line break if it does not end with one, then one empty line.

Exit status: 0 done, 1 a missing run directory or template or a failed write,
2 a wrong command line. Nothing is written when the run cannot start.
)usage";
}

}  // namespace wordloom::cli
