// The command line of wordloom-generate.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace wordloom::cli {

struct GenerateOptions {
  std::optional<std::string> runDirectory;  // --dir, as the file system spells it
  std::uint64_t count = 1;
  std::optional<std::uint32_t> seed;
  std::optional<std::string> outFolder;  // --out
  bool utf8 = false;
  bool stats = false;
  bool noRepeat = false;     // no sentence twice in one article (until a library runs out)
  bool titleNames = false;   // --names title: files named after the articles' titles
  bool overwrite = false;    // numbered files may replace files of the same names
  bool report = false;       // the uniqueness line after the batch
  int nearPercent = 80;      // --near
  bool reportPairs = false;  // the near pairs after the uniqueness line
  bool help = false;
  std::string templateArgument;
};

struct ParsedCommandLine {
  std::optional<GenerateOptions> options;  // empty on a usage error
  std::string error;                       // one line, without the program name
};

ParsedCommandLine ParseGenerateCommandLine(int argc, const char* const* argv);

// The text --help prints.
std::string GenerateUsage();

}  // namespace wordloom::cli
