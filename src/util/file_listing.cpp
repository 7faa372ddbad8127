#include "util/file_listing.h"

#include <langinfo.h>
#include <locale.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <string>
#include <string_view>

#include "services/encoding.h"
#include "services/files.h"
#include "util/event_pump.h"

namespace wordloom {
namespace {

// The collation in force: a locale, and how texts are turned into its encoding.
class Collation {
 public:
  Collation() { Reset(""); }
  ~Collation() {
    if (locale_ != nullptr) freelocale(locale_);
  }

  bool Reset(const char* name) {
    locale_t fresh = newlocale(LC_COLLATE_MASK | LC_CTYPE_MASK, name, nullptr);
    if (fresh == nullptr) return false;
    std::lock_guard lock(mutex_);
    if (locale_ != nullptr) freelocale(locale_);
    locale_ = fresh;
    const char* collate = nullptr;
#ifdef _NL_LOCALE_NAME
    collate = nl_langinfo_l(_NL_LOCALE_NAME(LC_COLLATE), locale_);
#endif
    std::string_view collateName = collate != nullptr ? collate : "";
    std::string_view codeset = nl_langinfo_l(CODESET, locale_);
    if (collateName == "C" || collateName == "POSIX" || collateName.empty()) {
      mode_ = Mode::kBytes;  // no collation: plain byte order
    } else if (codeset == "UTF-8") {
      mode_ = Mode::kUtf8;
    } else if (codeset == "GBK" || codeset == "GB18030" || codeset == "GB2312") {
      mode_ = Mode::kNative;
    } else {
      mode_ = Mode::kBytes;
    }
    return true;
  }

  std::string Key(const Text& text) const { return mode_ == Mode::kUtf8 ? TextToUtf8(text) : text; }

  int Compare(const std::string& a, const std::string& b) const {
    int r = mode_ == Mode::kBytes ? std::memcmp(a.data(), b.data(), std::min(a.size(), b.size()))
                                  : strcoll_l(a.c_str(), b.c_str(), locale_);
    if (r == 0 && mode_ == Mode::kBytes && a.size() != b.size()) r = a.size() < b.size() ? -1 : 1;
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
  }

 private:
  enum class Mode { kBytes, kUtf8, kNative };
  std::mutex mutex_;
  locale_t locale_ = nullptr;
  Mode mode_ = Mode::kBytes;
};

Collation& TheCollation() {
  static Collation collation;
  return collation;
}

}  // namespace

int CompareTexts(const Text& a, const Text& b) {
  const Collation& c = TheCollation();
  return c.Compare(c.Key(a), c.Key(b));
}

bool SetCollationLocaleForTesting(const char* localeName) {
  return TheCollation().Reset(localeName);
}

void SortTextArray(TextArray& array, int order) {
  const Collation& collation = TheCollation();
  // Each text is turned into the locale's encoding once; R holds indices into the source.
  const TextArray source = std::move(array);
  std::vector<std::string> keys;
  keys.reserve(source.size());
  for (const Text& t : source) keys.push_back(collation.Key(t));
  auto cmp = [&](std::size_t x, std::size_t y) { return collation.Compare(keys[x], keys[y]); };

  std::vector<std::size_t> r;  // 0-based here; the bisection below works on 1-based bounds
  r.reserve(source.size());
  for (std::size_t x = 0; x < source.size(); ++x) {
    const std::size_t k = r.size();
    if (k == 0) {
      r.push_back(x);
      continue;
    }
    if (cmp(x, r[k - 1]) >= 0) {
      r.push_back(x);
      continue;
    }
    if (cmp(x, r[0]) <= 0) {
      r.insert(r.begin(), x);
      continue;
    }
    std::size_t hi = k, lo = 1, mid = (hi + lo) / 2;
    while (hi - lo > 1 && source[x] != source[r[mid - 1]]) {
      if (cmp(x, r[mid - 1]) < 0) {
        hi = mid;
      } else {
        lo = mid;
      }
      mid = (hi + lo) / 2;
    }
    const std::size_t at = cmp(x, r[mid - 1]) > 0 ? mid : mid - 1;  // after or before R[mid]
    r.insert(r.begin() + static_cast<std::ptrdiff_t>(at), x);
  }

  array.clear();
  array.reserve(r.size());
  for (std::size_t index : r) array.push_back(source[index]);
  if (order == 1) {
    std::reverse(array.begin(), array.end());
  }
}

int EnumerateFiles(const Text& directory, const Text& pattern, TextArray& names, bool fullPaths,
                   bool sorted) {
  names.clear();
  // No folder lists nothing (never the root, which "" + "/" would name).
  if (directory.empty()) return 0;
  Text folder = directory;
  if (folder.back() != '/') folder.push_back('/');
  FileSearch search;
  for (Text name = search.First(folder + pattern); !name.empty(); name = search.Next()) {
    names.push_back(fullPaths ? folder + name : name);
    PumpEvents();
  }
  if (sorted) SortTextArray(names, 0);
  return static_cast<int>(names.size());
}

}  // namespace wordloom
