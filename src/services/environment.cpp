#include "services/environment.h"

#include <limits.h>
#include <unistd.h>

#include <mutex>
#include <string>

#include "services/encoding.h"

namespace wordloom {
namespace {

std::mutex gMutex;
Text gOverride;

Text ExecutableFolder() {
  char buffer[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return Text(".");
  std::string path(buffer, static_cast<std::size_t>(n));
  std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return Text(".");
  return FileSystemToText(slash == 0 ? std::string("/") : path.substr(0, slash));
}

}  // namespace

Text GetRunDirectory() {
  {
    std::lock_guard lock(gMutex);
    if (!gOverride.empty()) return gOverride;
  }
  static const Text folder = ExecutableFolder();
  return folder;
}

void OverrideRunDirectory(const Text& folder) {
  std::lock_guard lock(gMutex);
  gOverride = folder;
  while (gOverride.size() > 1 && gOverride.back() == '/') gOverride.pop_back();
}

void SetRunDirectoryForTesting(const Text& folder) { OverrideRunDirectory(folder); }

bool ChangeToRunDirectory() { return chdir(TextToFileSystem(GetRunDirectory()).c_str()) == 0; }

}  // namespace wordloom
