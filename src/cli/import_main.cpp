// wordloom-import: fills a library from text files made elsewhere (any common encoding),
// and writes a library out as one UTF-8 file, on the core the windows use.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/import_options.h"
#include "import/source_encoding.h"
#include "import/text_import.h"
#include "services/encoding.h"
#include "services/environment.h"
#include "services/files.h"
#include "store/resource_store.h"
#include "store/store_names.h"

namespace wordloom::cli {
namespace {

using import::ImportSource;

// Beyond this many, the unmappable lines of a file are only counted.
constexpr std::size_t kListedUnmappableLines = 20;

void Complain(const std::string& message) { cli::Complain("wordloom-import", message); }

std::string Shown(const Text& text) { return TextToFileSystem(text); }

// Where a library file lives, from the run directory on, for the summary.
std::string InStore(LibraryKind kind, const Text& library, const Text& file) {
  const Text& parent =
      kind == LibraryKind::kSentence ? names::SentenceFolder() : names::KeywordFolder();
  return Shown(parent + names::Separator() + library + names::Separator() + file);
}

bool UseRunDirectory(const ImportCommand& command) {
  if (command.runDirectory) {
    const Text folder = FileSystemToText(*command.runDirectory);
    if (KindOfPath(folder) != PathKind::kFolder) {
      Complain("run directory not found: " + *command.runDirectory);
      return false;
    }
    OverrideRunDirectory(folder);
  } else if (KindOfPath(GetRunDirectory()) != PathKind::kFolder) {
    Complain("run directory not found: " + Shown(GetRunDirectory()));
    return false;
  }
  return true;
}

// The tag as the registry holds it: GBK, as typed otherwise.
std::optional<Text> TagText(const std::string& utf8) {
  const import::DecodedSource decoded = import::DecodeSource(utf8, {std::string(import::kUtf8)});
  if (decoded.undecodableBytes > 0) return std::nullopt;
  GbkEncoding gbk = EncodeGbk(decoded.text);
  if (!gbk.ok) return std::nullopt;
  return std::move(gbk.bytes);
}

bool PrepareLibrary(const ImportCommand& command, const Text& library,
                    const std::optional<Text>& tag) {
  const import::LibraryCheckResult result = import::PrepareLibrary(command.kind, library, tag);
  const std::string kindWord = command.kind == LibraryKind::kSentence ? "sentence" : "keyword";
  switch (result.check) {
    case import::LibraryCheck::kReady:
    case import::LibraryCheck::kCreated:
      return true;
    case import::LibraryCheck::kUnsafeName:
      Complain("unsafe library name: " + command.library);
      return false;
    case import::LibraryCheck::kNotRegistered:
      Complain("no " + kindWord + " library " + command.library + " (give --tag TAG to create it)");
      return false;
    case import::LibraryCheck::kTagTaken:
      Complain("tag " + *command.tag + " belongs to library " + Shown(result.otherLibrary) +
               "; nothing written");
      return false;
    case import::LibraryCheck::kTagDiffers:
      Complain("library " + command.library + " is registered with tag " +
               Shown(result.registeredTag) + ", not " + *command.tag + "; nothing written");
      return false;
    case import::LibraryCheck::kFailed:
      Complain("cannot register library " + command.library + ": " +
               DescribeFileError(result.status.error));
      return false;
  }
  return false;
}

void ListUnmappable(const std::string& file, const ImportSource& source, bool dropped) {
  std::size_t listed = 0;
  for (const import::UnmappableLine& line : source.unmappable) {
    if (listed++ == kListedUnmappableLines) {
      std::fprintf(stderr, "%s: %zu more lines hold characters GBK cannot hold\n", file.c_str(),
                   source.unmappable.size() - kListedUnmappableLines);
      return;
    }
    std::fprintf(stderr, "%s:%zu: %s %s: %s\n", file.c_str(), line.sourceLine,
                 dropped ? "dropped" : "skipped, GBK cannot hold",
                 Utf16ToReadableUtf8(line.characters).c_str(),
                 Utf16ToReadableUtf8(line.text).c_str());
  }
}

int Import(const ImportCommand& command) {
  const Text library = FileSystemToText(command.library);
  if (!ResourceStore::IsValidLibraryName(library)) {
    Complain("unsafe library name: " + command.library);
    return kFailure;
  }
  std::optional<Text> tag;
  if (command.tag) {
    tag = TagText(*command.tag);
    if (!tag) {
      Complain("tag " + *command.tag + " holds characters GBK cannot hold");
      return kFailure;
    }
  }
  // Every file is read before anything is written: one that fails stops the whole run.
  std::vector<ImportSource> sources;
  bool allRead = true;
  for (const std::string& file : command.files) {
    sources.push_back(import::ReadImportSource(FileSystemToText(file)));
    if (!sources.back().ok()) {
      Complain(file + ": " + import::DescribeSourceProblem(sources.back()));
      allRead = false;
    }
  }
  if (!allRead) {
    Complain("nothing written");
    return kFailure;
  }
  if (!PrepareLibrary(command, library, tag)) return kFailure;

  const import::ImportOptions options{
      .dropDuplicates = command.dedupe,
      .unmappable = command.dropUnmappable ? import::UnmappablePolicy::kDropCharacters
                                           : import::UnmappablePolicy::kSkipLines,
  };
  for (std::size_t i = 0; i < sources.size(); ++i) {
    const std::string& file = command.files[i];
    ListUnmappable(file, sources[i], command.dropUnmappable);
    const import::ImportOutcome done =
        import::ImportIntoLibrary(command.kind, library, sources[i], options);
    if (!done.status) {
      Complain(file + ": cannot write into library " + command.library + ": " +
               DescribeFileError(done.status.error));
      return kFailure;
    }
    std::string line = file + ": " + std::to_string(done.imported) + " lines imported, " +
                       std::to_string(done.duplicates) + " duplicates, " +
                       std::to_string(done.unmappableSkipped) + " unmappable skipped";
    if (command.dropUnmappable) {
      line += ", " + std::to_string(done.charactersDropped) + " characters dropped";
    }
    line += " (" + sources[i].encoding + "; " +
            (done.fileName.empty() ? std::string("nothing to write")
                                   : InStore(command.kind, library, done.fileName)) +
            ")\n";
    std::fputs(line.c_str(), stdout);
  }
  return kDone;
}

int Export(const ImportCommand& command) {
  const Text library = FileSystemToText(command.library);
  if (!ResourceStore::IsValidLibraryName(library)) {
    Complain("unsafe library name: " + command.library);
    return kFailure;
  }
  const Text out = FileSystemToText(*command.exportFile);
  const import::ExportOutcome done = import::ExportLibrary(command.kind, library, out);
  if (!done.status) {
    if (done.status.error == EEXIST && done.failedPath == out) {
      Complain(*command.exportFile + " exists; it is not overwritten");
    } else if (done.status.error == ENOENT &&
               done.failedPath == ResourceStore::LibraryFolder(command.kind, library)) {
      Complain("library folder not found: " + Shown(done.failedPath));
    } else {
      Complain(Shown(done.failedPath) + ": " + DescribeFileError(done.status.error));
    }
    return kFailure;
  }
  std::printf(
      "%s: %zu lines from %zu files exported to %s, %zu undecodable bytes written as "
      "U+FFFD\n",
      command.library.c_str(), done.lines, done.files, command.exportFile->c_str(),
      done.replacedBytes);
  return kDone;
}

}  // namespace
}  // namespace wordloom::cli

int main(int argc, char** argv) {
  using namespace wordloom::cli;
  const ParsedImportCommand parsed = ParseImportCommandLine(argc, argv);
  if (!parsed.command) {
    Complain("wordloom-import", parsed.error + " (see --help)");
    return kUsage;
  }
  if (parsed.command->help) {
    std::fputs(ImportUsage().c_str(), stdout);
    return kDone;
  }
  if (!UseRunDirectory(*parsed.command)) return kFailure;
  return parsed.command->exportFile ? Export(*parsed.command) : Import(*parsed.command);
}
