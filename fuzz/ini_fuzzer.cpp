// INI round trips on a real file: what WriteIniValue accepts must read back, list, replace
// and delete as written, and every write leaves the rest of the file byte for byte.
//
// Input: a flags byte (bit 0: start from the initial content, not from a missing file;
// bit 1: repeat the value beyond what a read returns), then the section, the key, the value
// and the initial content, separated by 0xFF.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "fuzz_support.h"
#include "reference.h"
#include "services/ini.h"

namespace wordloom::fuzz {
namespace {

// One folder per process, made on first use and removed when the process ends.
class ScratchFolder {
 public:
  ScratchFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern =
        std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/wordloom-ini-fuzz-XXXXXX";
    Check(mkdtemp(pattern.data()) != nullptr, "cannot make a scratch folder");
    path_ = pattern;
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  Check(out.good(), "cannot write the initial file");
}

// The longest start of the value that ends at a character boundary and fits the limit.
Text CutValue(std::string_view value) {
  std::size_t end = 0;
  while (end < value.size() && ref::CharEnd(value, end) <= kIniValueLimit) {
    end = ref::CharEnd(value, end);
  }
  return Text(value.substr(0, end));
}

bool Listed(const Text& path, const Text& section) {
  const TextArray names = ListIniSections(path);
  return std::find(names.begin(), names.end(), section) != names.end();
}

// Lines that are exactly "[section]", whatever ends them.
std::size_t HeaderLines(std::string_view file, std::string_view section) {
  const std::string header = "[" + std::string(section) + "]";
  std::size_t count = 0;
  for (std::size_t pos = 0; pos < file.size();) {
    std::size_t end = std::min(file.find('\n', pos), file.size());
    std::string_view line = file.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line == header) ++count;
    pos = end + 1;
  }
  return count;
}

// `after` is `before` with `line` put in at the start of one of its lines, or after its
// last line, which then gets the CR LF it lacked.
// What ends a last line without LF before a line is added after it: a lone CR only needs
// its LF.
std::string LineEndAfter(std::string_view text) { return text.back() == '\r' ? "\n" : "\r\n"; }

bool InsertedLine(std::string_view before, std::string_view after, std::string_view line) {
  if (!before.empty() && before.back() != '\n') {
    if (after == std::string(before) + LineEndAfter(before) + std::string(line)) return true;
  }
  if (after.size() != before.size() + line.size()) return false;
  std::size_t same = 0;  // where they first differ
  while (same < before.size() && before[same] == after[same]) ++same;
  for (std::size_t p = 0; p <= same; ++p) {
    if ((p == 0 || before[p - 1] == '\n') && after.substr(p, line.size()) == line &&
        after.substr(p + line.size()) == before.substr(p)) {
      return true;
    }
  }
  return false;
}

// `after` is `before` with the one byte `c` put in somewhere.
bool InsertedByte(std::string_view before, std::string_view after, char c) {
  if (after.size() != before.size() + 1) return false;
  std::size_t same = 0;
  while (same < before.size() && before[same] == after[same]) ++same;
  return after[same] == c && after.substr(same + 1) == before.substr(same);
}

// A name no rule could refuse: ASCII letters and digits, and whole GBK characters.
bool Plain(std::string_view name) {
  if (name.empty()) return false;
  for (std::size_t i = 0; i < name.size();) {
    const auto b = static_cast<unsigned char>(name[i]);
    if (b >= 0x81 && b <= 0xFE && i + 1 < name.size()) {
      const auto trail = static_cast<unsigned char>(name[i + 1]);
      if (trail < 0x40 || trail == 0x7F || trail == 0xFF) return false;
      i += 2;
    } else if ((b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z')) {
      ++i;
    } else {
      return false;
    }
  }
  return true;
}

void Run(FuzzInput in) {
  static const ScratchFolder folder;
  const Text path = folder.Path() + "/registry.ini";
  const std::uint8_t flags = in.Byte();
  const Text section(in.Piece());
  const Text key(in.Piece());
  Text value(in.Piece());
  const std::string_view initial = in.Piece();
  if ((flags & 2) != 0 && !value.empty()) {
    while (value.size() <= kIniValueLimit) value += value;
  }
  if ((flags & 1) != 0) {
    WriteAll(path, initial);
  } else {
    std::remove(path.c_str());
  }

  const std::string before = ReadAll(path);
  const bool ok = static_cast<bool>(WriteIniValue(path, section, key, value));
  const std::string written = ReadAll(path);
  // The one-pass read of a registry agrees with the lookups one section at a time.
  TextArray names;
  for (const IniSectionValue& entry : ReadIniSectionValues(path, key)) {
    Check(entry.value == ReadIniValue(path, entry.section, key),
          "ReadIniSectionValues differs from ReadIniValue");
    names.push_back(entry.section);
  }
  Check(names == ListIniSections(path), "ReadIniSectionValues differs from ListIniSections");
  if (!ok) {
    Check(written == before, "a refused write changed the file");
    const bool storable = value.find_first_of(std::string_view("\r\n\0", 3)) == Text::npos;
    Check(!(Plain(section) && Plain(key) && storable), "a plain name was refused");
    return;
  }
  const Text expected = CutValue(value);
  Check(ReadIniValue(path, section, key) == expected, "the value written does not read back");
  Check(Listed(path, section), "the section written is not listed");
  // A section whose name stands nowhere in the file is new: it is appended, nothing else.
  const bool fresh = before.find(section) == std::string::npos;
  const std::string separator =
      !before.empty() && before.back() != '\n' ? LineEndAfter(before) : "";
  if (fresh) {
    Check(written == before + separator + "[" + section + "]\r\n" + key + "=" + value + "\r\n",
          "a new section was not appended as written, or other bytes changed");
  }

  // A second key of the section goes into it as one line, and deleting it takes it away.
  Text other = key + "~";
  while (written.find(other) != std::string::npos) other += "~";
  Check(static_cast<bool>(WriteIniValue(path, section, other, value)), "a second key was refused");
  const std::string twoKeys = ReadAll(path);
  Check(HeaderLines(twoKeys, section) == HeaderLines(written, section),
        "a second key duplicated its section");
  Check(InsertedLine(written, twoKeys, other + "=" + value + "\r\n"),
        "a second key was not added as one line, or other bytes changed");
  Check(ReadIniValue(path, section, other) == expected, "the second key does not read back");
  Check(ReadIniValue(path, section, key) == expected, "the second key changed the first");
  Check(static_cast<bool>(WriteIniValue(path, section, other)), "deleting a key failed");
  const std::string oneKey = ReadAll(path);
  Check(oneKey == written || (!written.empty() && written.back() != '\n' &&
                              oneKey == written + LineEndAfter(written)),
        "deleting a key changed other bytes");
  Check(ReadIniValue(path, section, other, "none") == "none", "a deleted key still reads");

  // A new value replaces the old one in place.
  Check(static_cast<bool>(WriteIniValue(path, section, key, value + "2")),
        "a new value was refused");
  const std::string changed = ReadAll(path);
  Check(InsertedByte(oneKey, changed, '2'), "a new value changed other bytes");
  Check(ReadIniValue(path, section, key) == CutValue(value + "2"),
        "a new value does not read back");

  // Deleting the section takes all of it away and nothing else.
  Check(static_cast<bool>(WriteIniValue(path, section)), "deleting the section failed");
  const std::string deleted = ReadAll(path);
  Check(!Listed(path, section), "a deleted section is still listed");
  Check(HeaderLines(deleted, section) == 0, "a deleted section left a header line");
  Check(ReadIniValue(path, section, key, "none") == "none", "a deleted section still reads");
  if (fresh) Check(deleted == before + separator, "deleting a section changed other bytes");
}

}  // namespace
}  // namespace wordloom::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size <= wordloom::fuzz::kMaxInputSize) wordloom::fuzz::Run({data, size});
  return 0;
}
