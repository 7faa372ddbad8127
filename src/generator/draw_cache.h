// What the generator draws from, kept between draws while nothing on disk changed: the
// "*.txt" listing of a folder and the lines of a file. Validity is the change epoch (moved
// by this program's own writes and by file-system notifications); where no notification
// can be had (a file that is a symbolic link, a folder that cannot be watched) the file's
// identity is checked at every use instead.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "services/files.h"
#include "services/text.h"

namespace wordloom {

// A file read as text and cut by the line rule, without copying the lines.
struct LineIndex {
  Text content;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> lines;  // offset, length
  std::size_t Count() const { return lines.size(); }
  std::string_view Line(std::size_t i) const {
    return std::string_view(content).substr(lines[i].first, lines[i].second);
  }
};

// The lines of every "*.txt" file of a folder, in directory order, as a draw sees them; good
// while Current() says so.
struct FolderLines {
  std::vector<std::shared_ptr<const LineIndex>> files;
  std::uint64_t epoch = 0;
  bool fixed = false;  // no folder at all: never changes
  // Files and folders that no notification covers, and their identities when read.
  std::vector<std::pair<Text, FileIdentity>> identities;

  // True while nothing it came from has changed. Asks the file system only about what no
  // notification covers.
  bool Current() const;
};

class DrawCache {
 public:
  static DrawCache& Instance();

  // The "*.txt" files directly in the folder, as full paths in directory order.
  std::shared_ptr<const TextArray> Files(const Text& folder);
  // The lines of the file read as text (up to its first NUL byte).
  std::shared_ptr<const LineIndex> Lines(const Text& path);

  // The folder's files and their lines at once, for drawing many times from one library
  // without looking each file up at every draw. An empty folder text has no files.
  std::shared_ptr<const FolderLines> Folder(const Text& folder);

  // Forgets everything (benchmarks measure the first reads with it).
  void Clear();

 private:
  template <typename T>
  struct Entry {
    std::uint64_t epoch = 0;
    bool checkIdentity = false;
    FileIdentity identity;
    std::shared_ptr<const T> value;
  };

  // The entry, read anew unless nothing it came from has changed.
  Entry<TextArray> ListingEntry(const Text& folder);
  Entry<LineIndex> LinesEntry(const Text& path);

  std::mutex mutex_;
  std::unordered_map<Text, Entry<TextArray>> listings_;
  std::unordered_map<Text, Entry<LineIndex>> files_;
  std::unordered_map<Text, std::shared_ptr<const FolderLines>> folders_;
  std::size_t cachedBytes_ = 0;
};

}  // namespace wordloom
