#include "cli/import_options.h"

#include "cli/command_line.h"

namespace wordloom::cli {

ParsedImportCommand ParseImportCommandLine(int argc, const char* const* argv) {
  ParsedImportCommand result;
  ImportCommand command;
  bool sentence = false, keyword = false;
  std::vector<std::string> arguments;
  CommandLine line;
  line.AddValue("--dir", command.runDirectory, "a folder");
  line.AddValue("--export", command.exportFile, "a file");
  line.AddValue("--tag", command.tag, "a tag");
  line.AddFlag("--sentence", sentence);
  line.AddFlag("--keyword", keyword);
  line.AddFlag("--dedupe", command.dedupe);
  line.AddFlag("--drop-unmappable", command.dropUnmappable);
  line.AddFlag("--help,-h", command.help);
  line.AddVersion("wordloom-import");
  line.AddArguments("ARGUMENTS", arguments);
  if (std::optional<std::string> error = line.Parse(argc, argv)) {
    result.error = std::move(*error);
    return result;
  }
  if (command.help) {
    result.command = std::move(command);
    return result;
  }

  if (sentence == keyword) {
    result.error =
        sentence ? "--sentence and --keyword exclude each other" : "give --sentence or --keyword";
    return result;
  }
  command.kind = sentence ? LibraryKind::kSentence : LibraryKind::kKeyword;
  if (arguments.empty()) {
    result.error = "no LIBRARY given";
    return result;
  }
  command.library = arguments.front();
  command.files.assign(arguments.begin() + 1, arguments.end());
  if (command.exportFile) {
    const char* importOnly = command.tag              ? "--tag"
                             : command.dedupe         ? "--dedupe"
                             : command.dropUnmappable ? "--drop-unmappable"
                                                      : nullptr;
    if (importOnly != nullptr) {
      result.error = std::string(importOnly) + " has no meaning with --export";
      return result;
    }
    if (!command.files.empty()) {
      result.error = "--export takes one LIBRARY and no FILE: " + command.files.front();
      return result;
    }
  } else if (command.files.empty()) {
    result.error = "no FILE given";
    return result;
  }
  result.command = std::move(command);
  return result;
}

std::string ImportUsage() {
  return R"usage(Usage: wordloom-import [--dir RUN_DIR] (--sentence | --keyword) LIBRARY [--tag TAG]
                       [--dedupe] [--drop-unmappable] FILE...
       wordloom-import [--dir RUN_DIR] --export OUT_FILE (--sentence | --keyword) LIBRARY

Imports text files into a sentence or keyword library, one new file in the library for
each FILE, named after it (" (2)" and so on when the name is taken; nothing is ever
overwritten). Each FILE's encoding is recognised: a byte order mark (UTF-8, UTF-16,
UTF-32), else valid UTF-8, else detection (GBK and the like); its lines (ended by CR LF,
LF or CR) are converted to GBK, and empty lines are dropped.

With --export, writes every line of the library (its files in the order the windows list
them) to OUT_FILE as UTF-8 without a byte order mark, one line per LF; bytes that do not
decode are written as U+FFFD and counted. OUT_FILE must not exist yet.

Options:
  --dir RUN_DIR       the folder holding the store (default: the executable's folder)
  --sentence          a sentence library
  --keyword           a keyword library
  --tag TAG           registers LIBRARY with this call tag when it is not registered yet
                      (refused when another library has the tag)
  --dedupe            drops lines the library holds already, and repeats within a FILE
  --drop-unmappable   imports lines holding characters GBK cannot hold without those
                      characters (by default such lines are skipped); either way they are
                      listed on standard error
  --help              shows this text
  --version           shows the version

One line per FILE on standard output:
  FILE: N lines imported, D duplicates, U unmappable skipped (ENCODING; where it went)

Exit status: 0 done, 1 a FILE that cannot be read or converted, an unsafe LIBRARY name, a
LIBRARY that is not registered (without --tag), a TAG of another library, or a failed
write; 2 a wrong command line. When any FILE cannot be read, nothing is written.
)usage";
}

}  // namespace wordloom::cli
