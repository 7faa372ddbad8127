// Where wordloom-generate puts its articles: standard output or one file per article.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace wordloom::cli {

class ArticleOutput {
 public:
  virtual ~ArticleOutput() = default;
  // Takes the next article; false (with Error() set) when it could not be written.
  virtual bool Write(std::string_view article) = 0;
  // Writes whatever is still held back; false (with Error() set) on failure.
  virtual bool Finish() { return true; }
  const std::string& Error() const { return error_; }

 protected:
  std::string error_;
};

// Each article, then a line break unless it ends with one, then one empty line. Buffered,
// so a batch of small articles costs few system calls.
std::unique_ptr<ArticleOutput> MakeStreamOutput(int fd);

// The files 0001.txt, 0002.txt, ... (as many digits as `count` needs, at least four) in the
// existing folder `fsFolder`, each holding exactly the article.
std::unique_ptr<ArticleOutput> MakeFolderOutput(const std::string& fsFolder, std::uint64_t count);

// Creates the folder and any missing parents. On failure the levels it created are removed
// again and `error` tells why.
bool CreateFolderWithParents(const std::string& fsFolder, std::string& error);

}  // namespace wordloom::cli
