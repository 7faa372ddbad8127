#include "batch/batch_run.h"

#include <chrono>

#include "generator/article_generator.h"
#include "services/encoding.h"
#include "services/files.h"
#include "services/random.h"

namespace wordloom::batch {

BatchOutcome RunBatch(const BatchRequest& request, BatchControl& control,
                      const BatchProgress& progress) {
  using Clock = std::chrono::steady_clock;
  BatchOutcome outcome;
  ArticleGenerator generator;  // seeds from the clock
  generator.SetNoRepeatedSentences(request.noRepeat);
  if (request.seed) SeedRandom(*request.seed);
  ArticleFiles files(request.fsFolder, request.names, request.count, request.replace);
  report::UniquenessReport uniqueness(request.nearPercent, request.count);

  const Clock::time_point start = Clock::now();
  Clock::time_point shown = start;
  const auto elapsed = [&start] {
    return std::chrono::duration<double>(Clock::now() - start).count();
  };
  for (std::uint64_t i = 1; i <= request.count; ++i) {
    if (control.stopWriting.load()) {
      outcome.end = BatchOutcome::End::kCancelled;
      break;
    }
    const std::optional<Text> article = generator.TryGenerate(request.templateText);
    if (!article) {
      outcome.end = BatchOutcome::End::kTooLarge;
      if (request.names == FileNames::kNumbers)
        outcome.failedFile = files.PathOf(files.NextNumberedName());
      break;
    }
    if (!files.Write(request.utf8 ? TextToUtf8(*article) : *article, *article)) {
      outcome.end = BatchOutcome::End::kWriteFailed;
      outcome.errorCode = files.ErrorCode();
      outcome.failedFile = files.FailedPath();
      break;
    }
    outcome.names.push_back(files.LastName());
    uniqueness.Add(*article);
    if (Clock::now() - shown >= std::chrono::milliseconds(100)) {
      shown = Clock::now();
      progress(i, elapsed());
    }
  }
  outcome.written = files.Written();
  outcome.seconds = elapsed();
  // The report covers the files written, also after Cancel or a failure.
  control.measuring.store(true);
  progress(outcome.written, outcome.seconds);
  outcome.figures = uniqueness.Finish(
      [&](std::size_t i) -> std::optional<std::string> {
        FileContent file = ReadFile(FileSystemToText(files.PathOf(outcome.names[i])));
        if (!file.status) return std::nullopt;
        return request.utf8 ? Utf8ToText(file.bytes) : std::move(file.bytes);
      },
      &control.stopMeasuring);
  return outcome;
}

}  // namespace wordloom::batch
