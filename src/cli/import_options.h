// The command line of wordloom-import.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "store/resource_store.h"

namespace wordloom::cli {

struct ImportCommand {
  std::optional<std::string> runDirectory;  // --dir, as the file system spells it
  std::optional<std::string> exportFile;    // --export OUT_FILE: export instead of import
  LibraryKind kind = LibraryKind::kSentence;
  std::string library;
  std::optional<std::string> tag;
  bool dedupe = false;
  bool dropUnmappable = false;
  bool help = false;
  std::vector<std::string> files;
};

struct ParsedImportCommand {
  std::optional<ImportCommand> command;  // empty on a usage error
  std::string error;                     // one line, without the program name
};

ParsedImportCommand ParseImportCommandLine(int argc, const char* const* argv);

// The text --help prints.
std::string ImportUsage();

}  // namespace wordloom::cli
