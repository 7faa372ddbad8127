// Writing a batch of articles as files of one folder, for the headless tool and the batch
// window alike. A file is there whole or not at all: each is written under a temporary
// name that never ends in ".txt" and renamed once complete, and a failure removes it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>

namespace wordloom::batch {

enum class FileNames {
  kNumbers,  // 0001.txt, 0002.txt, ... (more digits for batches beyond 9999)
  kTitles,   // the article's title (title_names.h); a name taken gets " (2)", " (3)", ...
};

// The numbered name of the i-th article (1-based) of a batch of `count`.
std::string NumberedName(std::uint64_t i, std::uint64_t count);

// Creates the folder and any missing parents (names as the file system spells them). On
// failure the levels it created are removed again and `error` tells which level failed
// and why (an errno value in `code`).
bool CreateFolderWithParents(const std::string& fsFolder, std::string& failedLevel, int& code);

class ArticleFiles {
 public:
  // `replace`: numbered names replace files of those names; without it a numbered name that
  // is taken stops the batch. Title names never replace anything.
  ArticleFiles(std::string fsFolder, FileNames names, std::uint64_t count, bool replace);
  ~ArticleFiles();
  ArticleFiles(const ArticleFiles&) = delete;
  ArticleFiles& operator=(const ArticleFiles&) = delete;

  // Numbered names: how many of the batch's names the folder holds already, and the first
  // of them (by number). Title names: 0.
  std::uint64_t CountExisting(std::string* first = nullptr) const;

  // Whether a file can be made in the folder: creates and removes a temporary file. 0, or
  // the errno value that stopped it.
  int CheckWritable() const;

  // Writes the next article: `bytes` go into the file, the title comes from `gbkArticle`.
  // False when the file could not be written (nothing of it is left); Error() says why.
  bool Write(std::string_view bytes, std::string_view gbkArticle);

  std::uint64_t Written() const { return written_; }
  // The bare name of the file last written, and the path of a name in the folder.
  const std::string& LastName() const { return lastName_; }
  std::string PathOf(const std::string& name) const { return folder_ + name; }
  // The numbered name the next article takes (messages about an article not written).
  std::string NextNumberedName() const { return NumberedName(written_ + 1, count_); }

  // Why the last Write failed: the path and the system's reason, and the errno value.
  const std::string& Error() const { return error_; }
  int ErrorCode() const { return errorCode_; }
  const std::string& FailedPath() const { return failedPath_; }

 private:
  bool Place(const std::string& temp, const std::string& name, bool mayReplace, int& code);

  std::string folder_;  // with a trailing "/"
  FileNames names_;
  std::uint64_t count_;
  bool replace_;
  std::uint64_t written_ = 0;
  std::string lastName_;
  std::string error_;
  int errorCode_ = 0;
  std::string failedPath_;
  std::unordered_set<std::string> taken_;  // title names of this batch
};

// After SIGINT or SIGTERM, the file a batch is writing at that moment is removed, and the
// program then ends as the signal would have ended it. For the command-line tool.
void RemoveUnfinishedFileOnSignal();

}  // namespace wordloom::batch
