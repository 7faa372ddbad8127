// INI files in the private-profile format: "[section]" lines open sections, "key=value"
// lines hold values. GBK bytes; CR LF written, LF alone accepted. Names match byte for byte.
#pragma once

#include <optional>
#include <vector>

#include "services/files.h"
#include "services/text.h"

namespace wordloom {

inline constexpr std::size_t kIniSectionNamesBuffer = 204800;
inline constexpr std::size_t kIniValueLimit = 10239;

// The section names in file order (each name once); empty when the file is missing.
TextArray ListIniSections(const Text& path);

// Every section name (as ListIniSections) with the value of `key` in it (as ReadIniValue
// gives it: "" when missing, and for a blank section name), from one reading of the file.
// The 1-based line numbers say where a reader of the file finds them (lines end at LF).
struct IniSectionValue {
  Text section;
  Text value;
  std::size_t sectionLine = 0;  // the section's first header
  std::size_t valueLine = 0;    // the key's line; 0 when the key is missing
};
std::vector<IniSectionValue> ReadIniSectionValues(const Text& path, const Text& key);
// The same for the bytes of an INI file that the caller has read.
std::vector<IniSectionValue> IniSectionValuesOf(std::string_view bytes, const Text& key);

// The key's value, or `defaultValue` when the section or key is missing. A path, section or
// key that is empty or blank (bytes of 0x20 and below only) gives "" without reading the
// file; otherwise names are looked up exactly as given.
Text ReadIniValue(const Text& path, const Text& section, const Text& key,
                  const Text& defaultValue = Text());

// With key and value: sets the key (creating file and section when missing). With the value
// omitted: deletes the key. With both omitted: deletes the whole section. Every other line
// of the file stays byte for byte; the write is atomic. Refused (kRefusedName) is whatever
// the readers would not find again: a blank section, a line break or NUL in a name or
// value, a key that is blank, holds "=" or would read as another kind of line, a section
// whose closing "]" would pair with its last byte. A file that exists but cannot be read
// is never rewritten: its read error is returned and it stays as it is.
FileStatus WriteIniValue(const Text& path, const Text& section, const std::optional<Text>& key = {},
                         const std::optional<Text>& value = {});

}  // namespace wordloom
