#include "support/temp_store.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "services/encoding.h"
#include "services/environment.h"
#include "services/files.h"

namespace wordloom::testing {

namespace fs = std::filesystem;

Text G(std::string_view utf8) {
  GbkEncoding e = EncodeGbk(DecodeName(Utf8ToText(utf8)));
  if (!e.ok) throw std::invalid_argument("not GBK: " + std::string(utf8));
  return e.bytes;
}

TempStore::TempStore() {
  std::string pattern = (fs::temp_directory_path() / "wordloom-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  fsRoot_ = pattern;
  root_ = FileSystemToText(fsRoot_);
  SetRunDirectoryForTesting(root_);
}

TempStore::~TempStore() {
  SetRunDirectoryForTesting(Text());
  std::error_code ignored;
  fs::remove_all(fsRoot_, ignored);
}

Text TempStore::Path(std::string_view relativeUtf8) const {
  return root_ + "/" + Utf8ToText(relativeUtf8);
}

std::string TempStore::FsPath(std::string_view relativeUtf8) const {
  return fsRoot_ + "/" + std::string(relativeUtf8);
}

void TempStore::WriteFile(std::string_view relativeUtf8, std::string_view bytes) const {
  fs::path path = FsPath(relativeUtf8);
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

void TempStore::WriteGbkFile(std::string_view relativeUtf8, std::string_view utf8) const {
  WriteFile(relativeUtf8, G(utf8));
}

std::string TempStore::ReadFile(std::string_view relativeUtf8) const {
  std::ifstream in(FsPath(relativeUtf8), std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

bool TempStore::Exists(std::string_view relativeUtf8) const {
  std::error_code ec;
  return fs::symlink_status(FsPath(relativeUtf8), ec).type() != fs::file_type::not_found;
}

void TempStore::MakeFolder(std::string_view relativeUtf8) const {
  fs::create_directories(FsPath(relativeUtf8));
}

void TempStore::MakeFifo(std::string_view relativeUtf8) const {
  const fs::path path = FsPath(relativeUtf8);
  fs::create_directories(path.parent_path());
  if (mkfifo(path.c_str(), 0666) != 0) throw std::runtime_error("mkfifo " + path.string());
}

void TempStore::MakeLink(std::string_view relativeUtf8, const std::string& target) const {
  const fs::path path = FsPath(relativeUtf8);
  fs::create_directories(path.parent_path());
  fs::create_symlink(target, path);
}

void TempStore::MakeOversizedFile(std::string_view relativeUtf8) const {
  WriteFile(relativeUtf8, "[lib]\r\n");
  if (truncate(FsPath(relativeUtf8).c_str(), static_cast<off_t>(kMaxFileBytes + 1)) != 0) {
    throw std::runtime_error("truncate " + FsPath(relativeUtf8));
  }
}

void TempStore::RegisterLibrary(LibraryKind kind, std::string_view nameUtf8,
                                std::string_view tagUtf8) const {
  if (!ResourceStore::WriteTag(kind, G(nameUtf8), G(tagUtf8))) {
    throw std::runtime_error("cannot register " + std::string(nameUtf8));
  }
  fs::create_directories(TextToFileSystem(ResourceStore::LibraryFolder(kind, G(nameUtf8))));
}

void TempStore::WriteLibraryFile(LibraryKind kind, std::string_view nameUtf8,
                                 std::string_view fileUtf8,
                                 std::initializer_list<std::string_view> linesUtf8) const {
  std::string content;
  for (std::string_view line : linesUtf8) content += G(line) + "\r\n";
  std::string folder = TextToFileSystem(ResourceStore::LibraryFolder(kind, G(nameUtf8)));
  fs::create_directories(folder);
  std::ofstream out(folder + "/" + std::string(fileUtf8), std::ios::binary | std::ios::trunc);
  out << content;
}

}  // namespace wordloom::testing
