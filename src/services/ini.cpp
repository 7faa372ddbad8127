#include "services/ini.h"

#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "services/files.h"

namespace wordloom {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

struct IniLine {
  std::string_view raw;      // the line with its terminator, exactly as in the file
  std::string_view content;  // without LF or CR LF
  bool isSection = false;
  std::string_view name;   // section name, or key name (blanks around it dropped)
  std::string_view value;  // bytes after the first "=" of a key line
  bool isKey = false;
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

IniLine ParseLine(std::string_view raw) {
  IniLine line;
  line.raw = raw;
  std::string_view c = raw;
  if (!c.empty() && c.back() == '\n') c.remove_suffix(1);
  if (!c.empty() && c.back() == '\r') c.remove_suffix(1);
  line.content = c;

  std::string_view body = c;
  while (!body.empty() && IsBlank(body.front())) body.remove_prefix(1);
  if (!body.empty() && body.front() == '[') {
    // "]" can be the second byte of a character: the name runs to the last "]" that stands
    // at a character boundary.
    std::size_t close = std::string_view::npos;
    for (std::size_t i = 1; i < body.size(); i += CharLength(body, i)) {
      if (body[i] == ']') close = i;
    }
    if (close != std::string_view::npos) {
      line.isSection = true;
      line.name = body.substr(1, close - 1);
    }
    return line;
  }
  if (body.empty() || body.front() == ';') return line;
  std::size_t eq = c.find('=');  // "=" is below 0x40, never inside a character
  if (eq == std::string_view::npos) return line;
  std::string_view key = TrimBlanks(c.substr(0, eq));
  if (key.empty()) return line;
  line.isKey = true;
  line.name = key;
  line.value = c.substr(eq + 1);
  return line;
}

std::vector<IniLine> ParseFile(std::string_view bytes) {
  std::vector<IniLine> lines;
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    std::size_t lf = bytes.find('\n', pos);
    std::size_t end = lf == std::string_view::npos ? bytes.size() : lf + 1;
    lines.push_back(ParseLine(bytes.substr(pos, end - pos)));
    pos = end;
  }
  return lines;
}

std::string_view SkipLowBytes(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= 32) s.remove_prefix(1);
  return s;
}

bool Storable(std::string_view s) {
  return s.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

bool IsBlankName(std::string_view name) { return SkipLowBytes(name).empty(); }

// A section the readers find again under the very same name: its header line parses back
// to it (a last lead byte would take the "]" as its second byte).
bool SectionReadsBack(const Text& section) {
  if (section.empty() || IsBlankName(section) || !Storable(section)) return false;
  const Text header = "[" + section + "]";
  const IniLine line = ParseLine(header);
  return line.isSection && line.name == section;
}

// A key line the readers take as that key with that value.
bool KeyReadsBack(const Text& key, const std::optional<Text>& value) {
  if (key.empty() || IsBlankName(key) || !Storable(key) || key.find('=') != Text::npos) {
    return false;
  }
  if (value && !Storable(*value)) return false;
  const Text sample = key + "=" + (value ? *value : Text());
  const IniLine line = ParseLine(sample);
  return line.isKey && line.name == key && (!value || line.value == *value);
}

// Index of the line after the section that starts at `header` (the next header or the end).
std::size_t SectionEnd(const std::vector<IniLine>& lines, std::size_t header) {
  std::size_t i = header + 1;
  while (i < lines.size() && !lines[i].isSection) ++i;
  return i;
}

Text CutValue(std::string_view value) {
  if (value.size() <= kIniValueLimit) return Text(value);
  std::size_t end = 0;
  while (end < value.size()) {
    std::size_t next = end + CharLength(value, end);
    if (next > kIniValueLimit) break;
    end = next;
  }
  return Text(value.substr(0, end));
}

}  // namespace

namespace {

// The distinct section names in file order, as far as the names buffer reaches.
std::vector<std::string_view> SectionNames(const std::vector<IniLine>& lines) {
  std::vector<std::string_view> names;
  std::unordered_set<std::string_view> seen;
  std::size_t used = 1;  // the list's closing NUL
  for (const IniLine& line : lines) {
    if (!line.isSection || !seen.insert(line.name).second) continue;
    if (used + line.name.size() + 1 > kIniSectionNamesBuffer) break;
    used += line.name.size() + 1;
    names.push_back(line.name);
  }
  return names;
}

}  // namespace

TextArray ListIniSections(const Text& path) {
  const ByteArray bytes = ReadFileBytes(path);
  TextArray names;
  for (std::string_view name : SectionNames(ParseFile(bytes))) names.emplace_back(name);
  return names;
}

std::vector<IniSectionValue> ReadIniSectionValues(const Text& path, const Text& key) {
  return IniSectionValuesOf(ReadFileBytes(path), key);
}

std::vector<IniSectionValue> IniSectionValuesOf(std::string_view bytes, const Text& key) {
  const std::vector<IniLine> lines = ParseFile(bytes);
  // The first header of each name, and the first value of the key in any section of that
  // name, as a lookup by name finds it; with their line indices.
  std::unordered_map<std::string_view, std::size_t> headers;
  std::unordered_map<std::string_view, std::size_t> values;
  std::string_view section;
  bool inSection = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const IniLine& line = lines[i];
    if (line.isSection) {
      section = line.name;
      inSection = true;
      headers.emplace(section, i);
    } else if (inSection && line.isKey && line.name == key) {
      values.emplace(section, i);
    }
  }
  std::vector<IniSectionValue> result;
  for (std::string_view name : SectionNames(lines)) {
    auto it = values.find(name);
    const bool found = !IsBlankName(name) && it != values.end();  // a blank name reads nothing
    IniSectionValue entry;
    entry.section = Text(name);
    entry.sectionLine = headers.at(name) + 1;
    if (found) {
      entry.value = CutValue(lines[it->second].value);
      entry.valueLine = it->second + 1;
    }
    result.push_back(std::move(entry));
  }
  return result;
}

Text ReadIniValue(const Text& path, const Text& section, const Text& key,
                  const Text& defaultValue) {
  std::string_view file = SkipLowBytes(path);
  // Only emptiness is judged after the blanks; a section is looked up exactly as named, so a
  // library whose name begins with a blank still finds its own record.
  if (file.empty() || IsBlankName(section) || IsBlankName(key)) return Text();
  ByteArray bytes = ReadFileBytes(Text(file));
  bool inSection = false;
  for (const IniLine& line : ParseFile(bytes)) {
    if (line.isSection) {
      inSection = line.name == section;
    } else if (inSection && line.isKey && line.name == key) {
      return CutValue(line.value);
    }
  }
  return defaultValue;
}

FileStatus WriteIniValue(const Text& path, const Text& section, const std::optional<Text>& key,
                         const std::optional<Text>& value) {
  if (path.empty()) return FileStatus::Failed(ENOENT);
  if ((value && !key) || !SectionReadsBack(section) || (key && !KeyReadsBack(*key, value))) {
    return FileStatus::Failed(kRefusedName);
  }
  const FileContent file = ReadFile(path);
  // Only a missing file is the same as an empty one: one that cannot be read would be
  // replaced by a file of one section.
  if (!file.status && !file.status.missing()) return file.status;
  const ByteArray& bytes = file.bytes;
  const std::vector<IniLine> lines = ParseFile(bytes);
  std::vector<std::size_t> headers;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].isSection && lines[i].name == section) headers.push_back(i);
  }

  Text out;
  out.reserve(bytes.size() + section.size() + (value ? value->size() : 0) + 16);
  auto appendLines = [&](std::size_t from, std::size_t to) {
    for (std::size_t i = from; i < to; ++i) out.append(lines[i].raw);
  };
  // Every line we add starts on a line of its own, also after a last line without LF. A
  // last line ending in a lone CR only needs the LF: CR CR LF would put a CR into its value.
  auto startLine = [&] {
    if (out.empty() || out.back() == '\n') return;
    out.append(out.back() == '\r' ? std::string_view("\n") : kLineEnd);
  };

  if (!key) {  // delete every section of that name
    if (headers.empty()) return FileStatus::Done();
    std::size_t pos = 0;
    for (std::size_t h : headers) {
      appendLines(pos, h);
      pos = SectionEnd(lines, h);
    }
    appendLines(pos, lines.size());
    return WriteFileBytes(path, out);
  }

  if (headers.empty()) {
    if (!value) return FileStatus::Done();  // no such key to delete
    out = bytes;
    startLine();
    out.append("[").append(section).append("]").append(kLineEnd);
    out.append(*key).append("=").append(*value).append(kLineEnd);
    return WriteFileBytes(path, out);
  }

  // The first section of that name holds the key.
  const std::size_t header = headers.front();
  const std::size_t end = SectionEnd(lines, header);
  std::size_t keyLine = end;
  for (std::size_t i = header + 1; i < end; ++i) {
    if (lines[i].isKey && lines[i].name == *key) {
      keyLine = i;
      break;
    }
  }
  if (keyLine != end) {
    appendLines(0, keyLine);
    if (value) {
      std::string_view terminator = lines[keyLine].raw.substr(lines[keyLine].content.size());
      out.append(*key).append("=").append(*value).append(terminator);
    }
    appendLines(keyLine + 1, lines.size());
    return WriteFileBytes(path, out);
  }
  if (!value) return FileStatus::Done();
  // A new key goes after the section's last non-empty line, before any blank separator.
  std::size_t insertAt = end;
  while (insertAt > header + 1 && TrimBlanks(lines[insertAt - 1].content).empty()) --insertAt;
  appendLines(0, insertAt);
  startLine();
  out.append(*key).append("=").append(*value).append(kLineEnd);
  appendLines(insertAt, lines.size());
  return WriteFileBytes(path, out);
}

}  // namespace wordloom
