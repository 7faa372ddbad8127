#include "cli/article_output.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "services/encoding.h"
#include "services/files.h"

namespace wordloom::cli {
namespace {

// The articles of a batch one after another in an unnamed temporary file, where only
// their places are kept in memory. A failure only costs the copies: Article() then has
// nothing to give.
class ArticleCopies {
 public:
  ArticleCopies() : file_(std::tmpfile()) {}
  ~ArticleCopies() {
    if (file_ != nullptr) std::fclose(file_);
  }
  ArticleCopies(const ArticleCopies&) = delete;
  ArticleCopies& operator=(const ArticleCopies&) = delete;

  void Add(std::string_view article) {
    if (file_ == nullptr) return;
    if (!WriteToDescriptor(::fileno(file_), article)) {
      std::fclose(file_);
      file_ = nullptr;
      return;
    }
    places_.push_back(end_);
    end_ += article.size();
  }

  std::optional<std::string> Get(std::size_t i) const {
    if (file_ == nullptr || i >= places_.size()) return std::nullopt;
    const std::uint64_t begin = places_[i];
    const std::uint64_t end = i + 1 < places_.size() ? places_[i + 1] : end_;
    std::string article(end - begin, '\0');
    std::size_t done = 0;
    while (done < article.size()) {
      const ssize_t n = ::pread(::fileno(file_), article.data() + done, article.size() - done,
                                static_cast<off_t>(begin + done));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return std::nullopt;
      done += static_cast<std::size_t>(n);
    }
    return article;
  }

 private:
  std::FILE* file_;
  std::vector<std::uint64_t> places_;
  std::uint64_t end_ = 0;
};

class StreamOutput : public ArticleOutput {
 public:
  StreamOutput(int fd, bool keepArticles) : fd_(fd) {
    buffer_.reserve(kFlushAt + 64 * 1024);
    if (keepArticles) copies_ = std::make_unique<ArticleCopies>();
  }

  bool Write(std::string_view bytes, std::string_view article) override {
    if (copies_) copies_->Add(article);
    buffer_.append(bytes);
    if (bytes.empty() || bytes.back() != '\n') buffer_.push_back('\n');
    buffer_.push_back('\n');
    return buffer_.size() < kFlushAt || Flush();
  }

  bool Finish() override { return Flush(); }

  std::optional<std::string> Article(std::size_t i) const override {
    return copies_ ? copies_->Get(i) : std::nullopt;
  }

 private:
  static constexpr std::size_t kFlushAt = 1 << 20;

  bool Flush() {
    const bool ok = WriteToDescriptor(fd_, buffer_);
    buffer_.clear();
    if (!ok) error_ = std::string("cannot write to standard output: ") + std::strerror(errno);
    return ok;
  }

  int fd_;
  std::string buffer_;
  std::unique_ptr<ArticleCopies> copies_;
};

}  // namespace

std::unique_ptr<ArticleOutput> MakeStreamOutput(int fd, bool keepArticles) {
  return std::make_unique<StreamOutput>(fd, keepArticles);
}

FolderOutput::FolderOutput(const std::string& fsFolder, std::uint64_t count, batch::FileNames names,
                           bool overwrite, bool utf8)
    : files_(fsFolder, names, count, overwrite), utf8_(utf8) {}

bool FolderOutput::Write(std::string_view bytes, std::string_view article) {
  if (!files_.Write(bytes, article)) {
    error_ = files_.Error();
    return false;
  }
  names_.push_back(files_.LastName());
  return true;
}

std::optional<std::string> FolderOutput::Article(std::size_t i) const {
  if (i >= names_.size()) return std::nullopt;
  FileContent file = ReadFile(FileSystemToText(files_.PathOf(names_[i])));
  if (!file.status) return std::nullopt;
  return utf8_ ? Utf8ToText(file.bytes) : std::move(file.bytes);
}

}  // namespace wordloom::cli
