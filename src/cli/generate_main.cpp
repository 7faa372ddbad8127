// wordloom-generate: expands a template into articles without a window, for batches,
// scripts and measurements on the same core the main window uses.
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>

#include "batch/article_files.h"
#include "cli/article_output.h"
#include "cli/command_line.h"
#include "cli/generate_options.h"
#include "generator/article_generator.h"
#include "report/uniqueness.h"
#include "services/encoding.h"
#include "services/environment.h"
#include "services/files.h"
#include "services/random.h"
#include "store/resource_store.h"

namespace wordloom::cli {
namespace {

using Clock = std::chrono::steady_clock;

void Complain(const std::string& message) { cli::Complain("wordloom-generate", message); }

bool EndsWith(const Text& text, std::string_view end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// A path when the argument holds "/" or names something that exists from here; otherwise a
// name in the template folder, where a missing ".txt" is added.
Text ResolveTemplate(const std::string& argument) {
  const Text text = FileSystemToText(argument);
  if (argument.find('/') != std::string::npos || KindOfPath(text) != PathKind::kMissing)
    return text;
  const Text path = ResourceStore::TemplatePath(text);
  if (KindOfPath(path) == PathKind::kMissing && !EndsWith(text, ".txt")) {
    const Text withExtension = ResourceStore::TemplatePath(text + ".txt");
    if (KindOfPath(withExtension) != PathKind::kMissing) return withExtension;
  }
  return path;
}

// "\r1234/20000" on a terminal once the batch has run for a second, redrawn at most ten
// times a second, and wiped at the end so the terminal is left as it was.
class Progress {
 public:
  Progress(std::uint64_t total, Clock::time_point start)
      : enabled_(::isatty(STDERR_FILENO) == 1), total_(total), start_(start) {}

  void Update(std::uint64_t done) {
    if (!enabled_) return;
    const Clock::time_point now = Clock::now();
    if (now - start_ < std::chrono::seconds(1) ||
        now - lastDrawn_ < std::chrono::milliseconds(100)) {
      return;
    }
    lastDrawn_ = now;
    std::string line(1, '\r');
    line.append(std::to_string(done)).append(1, '/').append(std::to_string(total_));
    width_ = std::max(width_, line.size() - 1);
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
  }

  void Clear() {
    if (width_ == 0) return;
    std::fputs(("\r" + std::string(width_, ' ') + "\r").c_str(), stderr);
    std::fflush(stderr);
    width_ = 0;
  }

 private:
  bool enabled_;
  std::uint64_t total_;
  Clock::time_point start_;
  Clock::time_point lastDrawn_{};
  std::size_t width_ = 0;
};

int Run(const GenerateOptions& options) {
  // Everything that can stop the run is checked before anything is written.
  if (options.runDirectory) {
    const Text folder = FileSystemToText(*options.runDirectory);
    if (KindOfPath(folder) != PathKind::kFolder) {
      Complain("run directory not found: " + *options.runDirectory);
      return kFailure;
    }
    OverrideRunDirectory(folder);
  } else if (KindOfPath(GetRunDirectory()) != PathKind::kFolder) {
    Complain("run directory not found: " + TextToFileSystem(GetRunDirectory()));
    return kFailure;
  }

  const Text templatePath = ResolveTemplate(options.templateArgument);
  const std::string templateShown = TextToFileSystem(templatePath);
  switch (KindOfPath(templatePath)) {
    case PathKind::kFile:
      break;
    case PathKind::kMissing:
      Complain("template not found: " + templateShown);
      return kFailure;
    default:
      Complain("template is not a file: " + templateShown);
      return kFailure;
  }
  const FileContent templateFile = ReadFile(templatePath);
  if (!templateFile.status) {
    Complain("template cannot be read: " + templateShown + ": " +
             DescribeFileError(templateFile.status.error));
    return kFailure;
  }
  if (options.outFolder) {
    const PathKind kind = KindOfPath(FileSystemToText(*options.outFolder));
    if (kind != PathKind::kMissing && kind != PathKind::kFolder) {
      Complain("output folder is not a folder: " + *options.outFolder);
      return kFailure;
    }
  }

  const Text templateText = ToText(templateFile.bytes);
  std::unique_ptr<ArticleOutput> output;
  FolderOutput* folder = nullptr;
  if (options.outFolder) {
    std::string level;
    int code = 0;
    if (!batch::CreateFolderWithParents(*options.outFolder, level, code)) {
      Complain("cannot create the folder " + level + ": " + DescribeFileError(code));
      return kFailure;
    }
    auto files = std::make_unique<FolderOutput>(
        *options.outFolder, options.count,
        options.titleNames ? batch::FileNames::kTitles : batch::FileNames::kNumbers,
        options.overwrite, options.utf8);
    if (const int code = files->Files().CheckWritable(); code != 0) {
      Complain("cannot write into the folder " + *options.outFolder + ": " +
               DescribeFileError(code));
      return kFailure;
    }
    std::string first;
    if (!options.overwrite && files->Files().CountExisting(&first) > 0) {
      Complain("file exists: " + files->Files().PathOf(first) +
               " (--overwrite replaces the batch's files; nothing was written)");
      return kFailure;
    }
    batch::RemoveUnfinishedFileOnSignal();
    folder = files.get();
    output = std::move(files);
  } else {
    output = MakeStreamOutput(STDOUT_FILENO, options.report);
  }
  std::optional<report::UniquenessReport> uniqueness;
  if (options.report) uniqueness.emplace(options.nearPercent, options.count);

  const Clock::time_point start = Clock::now();
  Progress progress(options.count, start);
  // One generator for the whole batch, seeded after its construction (which seeds from the
  // clock), so a seed fixes every draw of every article.
  ArticleGenerator generator;
  generator.SetNoRepeatedSentences(options.noRepeat);
  if (options.seed) SeedRandom(*options.seed);
  for (std::uint64_t i = 1; i <= options.count; ++i) {
    const std::optional<Text> article = generator.TryGenerate(templateText);
    if (!article) {
      progress.Clear();
      output->Finish();  // the articles before it are complete; they stay
      const std::string file =
          folder != nullptr && !options.titleNames
              ? " (" + folder->Files().PathOf(folder->Files().NextNumberedName()) + ")"
              : std::string();
      Complain("article " + std::to_string(i) + file + " would exceed " +
               std::to_string(kMaxArticleBytes >> 20) +
               " MiB (tags that expand into more tags, or rules that lengthen the text); " +
               std::to_string(i - 1) + " written");
      return kFailure;
    }
    if (!output->Write(options.utf8 ? TextToUtf8(*article) : *article, *article)) {
      progress.Clear();
      Complain(output->Error() + "; " + std::to_string(i - 1) + " written");
      return kFailure;
    }
    if (uniqueness) uniqueness->Add(*article);
    progress.Update(i);
  }
  const bool finished = output->Finish();
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  progress.Clear();
  if (!finished) {
    Complain(output->Error());
    return kFailure;
  }

  if (uniqueness) {
    const std::optional<report::UniquenessFigures> figures =
        uniqueness->Finish([&](std::size_t i) { return output->Article(i); });
    std::fprintf(stderr, "%s\n", report::UniquenessLine(*figures).c_str());
    if (options.reportPairs) {
      for (const report::SimilarPair& pair : figures->listed) {
        std::fprintf(stderr, "%zu %zu %.1f%%\n", pair.a + 1, pair.b + 1, pair.similarity * 100);
      }
    }
  }
  if (options.stats) {
    const double rate = static_cast<double>(options.count) / std::max(seconds, 1e-9);
    std::fprintf(stderr, "%llu articles in %.3f s (%.0f articles/s)\n",
                 static_cast<unsigned long long>(options.count), seconds, std::round(rate));
  }
  return 0;
}

}  // namespace
}  // namespace wordloom::cli

int main(int argc, char** argv) {
  using namespace wordloom::cli;
  const ParsedCommandLine parsed = ParseGenerateCommandLine(argc, argv);
  if (!parsed.options) {
    Complain(parsed.error + " (see --help)");
    return kUsage;
  }
  if (parsed.options->help) {
    std::fputs(GenerateUsage().c_str(), stdout);
    return 0;
  }
  return Run(*parsed.options);
}
