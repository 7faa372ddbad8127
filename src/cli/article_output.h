// Where wordloom-generate puts its articles: standard output or one file per article.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "batch/article_files.h"

namespace wordloom::cli {

class ArticleOutput {
 public:
  virtual ~ArticleOutput() = default;
  // Takes the next article: `bytes` as they are written, `article` as generated (GBK).
  // False (with Error() set) when it could not be written.
  virtual bool Write(std::string_view bytes, std::string_view article) = 0;
  // Writes whatever is still held back; false (with Error() set) on failure.
  virtual bool Finish() { return true; }
  // The i-th article (0-based) as generated, again: the uniqueness report measures a few
  // pairs on the articles themselves. Nothing when it cannot be had.
  virtual std::optional<std::string> Article(std::size_t i) const = 0;
  const std::string& Error() const { return error_; }

 protected:
  std::string error_;
};

// Each article, then a line break unless it ends with one, then one empty line. Buffered,
// so a batch of small articles costs few system calls. With `keepArticles`, the articles
// are also kept in an unnamed temporary file (the disk's space, not the memory's), for
// Article().
std::unique_ptr<ArticleOutput> MakeStreamOutput(int fd, bool keepArticles);

// One file per article in an existing folder (batch/article_files.h: whole files only).
class FolderOutput : public ArticleOutput {
 public:
  // `utf8`: the files hold the articles converted to UTF-8, and are read back converted.
  FolderOutput(const std::string& fsFolder, std::uint64_t count, batch::FileNames names,
               bool overwrite, bool utf8);

  batch::ArticleFiles& Files() { return files_; }
  bool Write(std::string_view bytes, std::string_view article) override;
  std::optional<std::string> Article(std::size_t i) const override;

 private:
  batch::ArticleFiles files_;
  bool utf8_;
  std::vector<std::string> names_;  // of the files written, in batch order
};

}  // namespace wordloom::cli
