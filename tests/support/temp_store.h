// A resource store in a fresh temporary folder, made the run directory while it lives.
#pragma once

#include <string>
#include <string_view>

#include "services/text.h"
#include "store/resource_store.h"

namespace wordloom::testing {

// GBK text from a UTF-8 literal, so tests can be written in readable Chinese.
Text G(std::string_view utf8);

class TempStore {
 public:
  TempStore();
  ~TempStore();
  TempStore(const TempStore&) = delete;
  TempStore& operator=(const TempStore&) = delete;

  // The run directory as a text, and a path under it (relative part given as UTF-8).
  const Text& Root() const { return root_; }
  Text Path(std::string_view relativeUtf8) const;
  // The same path as the file system sees it.
  std::string FsPath(std::string_view relativeUtf8) const;

  // Writes raw bytes to a file under the root, creating folders on the way.
  void WriteFile(std::string_view relativeUtf8, std::string_view bytes) const;
  // Writes a UTF-8 literal as GBK bytes.
  void WriteGbkFile(std::string_view relativeUtf8, std::string_view utf8) const;
  std::string ReadFile(std::string_view relativeUtf8) const;
  bool Exists(std::string_view relativeUtf8) const;
  void MakeFolder(std::string_view relativeUtf8) const;

  // Hostile entries a store can hold, for root as for anyone: a named pipe, a symbolic link
  // (to a device, say), and a sparse file just over the read limit (no disk space used).
  void MakeFifo(std::string_view relativeUtf8) const;
  void MakeLink(std::string_view relativeUtf8, const std::string& target) const;
  void MakeOversizedFile(std::string_view relativeUtf8) const;

  // Registers a library (UTF-8 name and tag) and creates its folder.
  void RegisterLibrary(LibraryKind kind, std::string_view nameUtf8, std::string_view tagUtf8) const;
  // Writes the lines (UTF-8) as one GBK file of the library, each followed by CR LF.
  void WriteLibraryFile(LibraryKind kind, std::string_view nameUtf8, std::string_view fileUtf8,
                        std::initializer_list<std::string_view> linesUtf8) const;

 private:
  std::string fsRoot_;
  Text root_;
};

}  // namespace wordloom::testing
