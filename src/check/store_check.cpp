#include "check/store_check.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <unordered_map>
#include <unordered_set>

#include "check/character_matches.h"
#include "check/expansion.h"
#include "generator/article_generator.h"
#include "generator/pattern_matcher.h"
#include "services/encoding.h"
#include "services/files.h"
#include "services/ini.h"
#include "store/line_rule.h"
#include "store/resource_store.h"
#include "store/store_names.h"
#include "util/file_listing.h"

namespace wordloom::check {
namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

// Where a finding stands and what it is about.
struct Place {
  Text where;
  Subject subject = Subject::kNone;
  LibraryKind kind = LibraryKind::kSentence;
  Text library;
  Text file;
};

struct Library {
  LibraryKind kind = LibraryKind::kSentence;
  Text name;
  Text tag;
  std::size_t headerLine = 0;
  std::size_t tagLine = 0;  // 0 when the key is missing
  bool hasFolder = false;   // a safe name whose folder is there
  std::int32_t pattern = -1;
  bool expands = false;  // the first library with its tag: the one the passes give it to
  std::size_t lines = 0;
  std::size_t maxLineBytes = 0;
  std::size_t distinctLines = 0;
  bool unreadableFile = false;
  PatternCounts maxPerLine;
  // The longest line holding no tag of a later library; and the longest line for each
  // combination of such tags (sorted) that a line holds.
  std::size_t plainLineBytes = 0;
  std::map<PatternCounts, std::size_t> tagLines;
};

struct Rule {
  Text find;
  Text replacement;
  Place place;
  std::size_t line = 0;
};

struct Template {
  Place place;
  std::size_t bytes = 0;
  PatternCounts occurrences;
};

// The opening and closing characters every registered tag shares ("{<_" and "_>}"), by
// which text that looks like a tag is recognised. Empty when the tags share none.
struct TagShape {
  std::string opening;
  std::string closing;
  bool Known() const { return !opening.empty() && !closing.empty(); }
};

bool IsAsciiPunctuation(char c) {
  const auto b = static_cast<unsigned char>(c);
  return b < 0x80 && std::ispunct(b) != 0;
}

TagShape ShapeOf(const std::vector<Text>& tags) {
  std::optional<std::string> opening, closing;
  for (const Text& tag : tags) {
    std::size_t lead = 0;
    while (lead < tag.size() && IsAsciiPunctuation(tag[lead])) ++lead;
    // The closing run counts whole characters only: "}" can be the second byte of one.
    std::size_t trailStart = tag.size();
    std::size_t lastNonPunctuationEnd = 0;
    for (std::size_t i = 0; i < tag.size(); i += CharLength(tag, i)) {
      if (CharLength(tag, i) == 2 || !IsAsciiPunctuation(tag[i])) {
        lastNonPunctuationEnd = i + CharLength(tag, i);
      }
    }
    trailStart = lastNonPunctuationEnd;
    const std::string head = tag.substr(0, lead);
    const std::string tail = tag.substr(trailStart);
    if (!opening) {
      opening = head;
      closing = tail;
      continue;
    }
    std::size_t p = 0;
    while (p < opening->size() && p < head.size() && (*opening)[p] == head[p]) ++p;
    opening->resize(p);
    std::size_t s = 0;
    while (s < closing->size() && s < tail.size() &&
           (*closing)[closing->size() - 1 - s] == tail[tail.size() - 1 - s]) {
      ++s;
    }
    *closing = closing->substr(closing->size() - s);
  }
  return {opening.value_or(""), closing.value_or("")};
}

// ASCII letters folded byte by byte, as the generator's counting compares them.
Text Fold(std::string_view text) {
  Text folded(text);
  for (char& c : folded) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return folded;
}

bool IsAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// In valid UTF-8: a character of U+0800 or above.
bool HasThreeByteSequence(std::string_view utf8) {
  return std::any_of(utf8.begin(), utf8.end(),
                     [](char c) { return static_cast<unsigned char>(c) >= 0xE0; });
}

// The 1-based line (line rule) that holds the byte at `offset`.
std::size_t LineOf(std::string_view text, std::size_t offset) {
  std::size_t line = 0;
  ForEachLineSpan(text, EmptyLastLine::kNoLine, [&](std::size_t begin, std::size_t) {
    if (begin <= offset) ++line;
  });
  return std::max<std::size_t>(line, 1);
}

// Counts per pattern, occurrences not overlapping one another (as the generator counts),
// over whatever was added since the last Take.
class Tally {
 public:
  explicit Tally(std::size_t patterns) : counts_(patterns, 0), ends_(patterns, 0) {}

  void Add(std::size_t pattern, std::size_t begin, std::size_t length) {
    if (counts_[pattern] == 0) {
      touched_.push_back(static_cast<std::uint32_t>(pattern));
    } else if (begin < ends_[pattern]) {
      return;
    }
    ++counts_[pattern];
    ends_[pattern] = begin + length;
  }

  // Calls use(pattern, count) for every pattern counted, and starts afresh.
  template <typename Use>
  void Take(Use&& use) {
    for (std::uint32_t pattern : touched_) {
      use(pattern, counts_[pattern]);
      counts_[pattern] = 0;
    }
    touched_.clear();
  }

 private:
  std::vector<std::uint32_t> counts_;
  std::vector<std::size_t> ends_;
  std::vector<std::uint32_t> touched_;
};

// One value per pattern, kept sparse: which patterns were set, and to what.
class PatternValues {
 public:
  explicit PatternValues(std::size_t patterns) : values_(patterns, 0) {}
  void Max(std::uint32_t pattern, std::uint32_t value) {
    Set(pattern, std::max(Get(pattern), value));
  }
  void Sum(std::uint32_t pattern, std::uint32_t value) { Set(pattern, Get(pattern) + value); }
  PatternCounts Take() {
    PatternCounts out;
    out.reserve(touched_.size());
    for (std::uint32_t pattern : touched_) {
      out.emplace_back(pattern, values_[pattern]);
      values_[pattern] = 0;
    }
    touched_.clear();
    return out;
  }

 private:
  std::uint32_t Get(std::uint32_t pattern) const { return values_[pattern]; }
  void Set(std::uint32_t pattern, std::uint32_t value) {
    if (values_[pattern] == 0 && value != 0) touched_.push_back(pattern);
    values_[pattern] = value;
  }
  std::vector<std::uint32_t> values_;
  std::vector<std::uint32_t> touched_;
};

// A matcher over distinct, non-empty patterns, byte for byte.
PatternMatcher MatcherOf(const std::vector<Text>& patterns) {
  return PatternMatcher(std::vector<std::string_view>(patterns.begin(), patterns.end()), false);
}

std::string Quoted(std::string_view content) { return "'" + ContentToReadableUtf8(content) + "'"; }
std::string QuotedChinese(std::string_view content) {
  return "“" + ContentToReadableUtf8(content) + "”";
}

std::string LibraryShown(LibraryKind kind, const Text& name) {
  return (kind == LibraryKind::kSentence ? "sentence library '" : "keyword library '") +
         NameToReadableUtf8(name) + "'";
}
std::string LibraryShownChinese(LibraryKind kind, const Text& name) {
  return (kind == LibraryKind::kSentence ? "句子库“" : "关键词库“") + NameToReadableUtf8(name) +
         "”";
}

const Text& ParentFolderName(LibraryKind kind) {
  return kind == LibraryKind::kSentence ? names::SentenceFolder() : names::KeywordFolder();
}
const Text& RegistryName(LibraryKind kind) {
  return kind == LibraryKind::kSentence ? names::SentenceRegistryFile()
                                        : names::KeywordRegistryFile();
}

Text Join(const Text& folder, const Text& name) { return folder + names::Separator() + name; }

// "1 library", "2 libraries".
std::string Counted(std::uint64_t n, const std::string& one, const std::string& many = {}) {
  return std::to_string(n) + " " + (n == 1 ? one : many.empty() ? one + "s" : many);
}

std::string Decimal(double value, int digits) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*f", digits, value);
  return buffer;
}

class Checker {
 public:
  explicit Checker(const CheckOptions& options) : options_(options) {}

  CheckReport Run() {
    const std::vector<std::function<void()>> steps = {
        [this] { ReadRegistries(); }, [this] { CheckTags(); },
        [this] { ReadSynonyms(); },   [this] { PrepareScan(); },
        [this] { ReadLibraries(); },  [this] { CheckUnregisteredFolders(); },
        [this] { ReadTemplates(); },  [this] { CheckLibraryUse(); },
        [this] { CheckExpansion(); },
    };
    for (const auto& step : steps) {
      if (Cancelled()) break;
      step();
    }
    report_.cancelled = Cancelled();
    SortFindings(report_.findings);
    for (const Finding& finding : report_.findings) {
      if (finding.severity() == Severity::kError) ++report_.errors;
      if (finding.severity() == Severity::kWarning) ++report_.warnings;
    }
    return std::move(report_);
  }

 private:
  bool Cancelled() const { return options_.cancel != nullptr && options_.cancel->load(); }

  void Add(FindingKind kind, const Place& place, std::size_t line, std::string english,
           std::string chinese) {
    Finding finding;
    finding.kind = kind;
    finding.where = place.where;
    finding.line = line;
    finding.detail = std::move(english);
    finding.detailChinese = std::move(chinese);
    finding.subject = place.subject;
    finding.libraryKind = place.kind;
    finding.library = place.library;
    finding.file = place.file;
    report_.findings.push_back(std::move(finding));
  }

  // The file's bytes, read as the generator reads it; or nothing, with the reason reported
  // (when `report`), when it is not a regular file, too large or unreadable. Nothing but
  // a regular file of a bearable size is ever opened.
  std::optional<ByteArray> ReadStoreFile(const Text& path, const Place& place, bool report) {
    auto notRegular = [&](const std::string& english, const std::string& chinese) {
      if (report) Add(FindingKind::kNotRegularFile, place, 0, english, chinese);
      return std::nullopt;
    };
    const bool link = IsSymbolicLink(path);
    switch (KindOfPath(path)) {
      case PathKind::kMissing:
        // Listed a moment ago: a link that leads nowhere, or a file deleted since.
        if (!link) return std::nullopt;
        return notRegular("a symbolic link to nothing: it reads as empty",
                          "指向不存在的目标的符号链接，读出来是空的");
      case PathKind::kFolder:
        return notRegular("a folder where a file belongs", "这里应是文件，却是一个目录");
      case PathKind::kOther:
        return notRegular(
            std::string(link ? "a symbolic link to " : "") +
                "a pipe, a device or a socket: it is never read, as if empty",
            std::string(link ? "指向管道、设备或套接字的符号链接" : "管道、设备或套接字") +
                "，不会被读取，相当于空文件");
      case PathKind::kFile:
        break;
    }
    const std::string limit = std::to_string(kMaxFileBytes >> 20) + " MiB";
    // A file that grew past the limit while it was read has no size of its own to tell.
    auto oversized = [&](std::string size) {
      if (report) {
        Add(FindingKind::kOversizedFile, place, 0,
            (size.empty() ? "" : size + " bytes, ") + "over the " + limit +
                " read limit: it reads as empty",
            (size.empty() ? "" : size + " 字节，") + "超过 " + limit + " 的读取上限，读出来是空的");
      }
      return std::nullopt;
    };
    const FileIdentity identity = IdentifyFile(path);
    if (identity.size > kMaxFileBytes) return oversized(std::to_string(identity.size));
    FileContent content = ReadFile(path);
    if (content.status.error == kFileTooLarge) return oversized({});
    if (!content.status) {
      const std::string reason = DescribeFileError(content.status.error);
      return notRegular("cannot be read (" + reason + "): it reads as empty",
                        "无法读取（" + reason + "），读出来是空的");
    }
    return std::move(content.bytes);
  }

  // Reports a text that is UTF-8 or holds bytes that do not decode. A UTF-8 text is then
  // read as it will be once saved as GBK: its one mistake would otherwise come back as every
  // tag in it unknown, every library it calls unused, or every entry of a registry without
  // a tag.
  void CheckEncoding(Text& text, const Place& place, bool report) {
    if (IsAscii(text)) return;
    // Chinese in UTF-8 takes three bytes a character. Short GBK texts can be valid UTF-8 by
    // chance ("小写" is D0 A1 D0 B4), but then only of two-byte sequences.
    if (IsValidUtf8(text) && HasThreeByteSequence(text)) {
      if (report) {
        Add(FindingKind::kUtf8File, place, 0,
            "UTF-8 text with non-ASCII characters: the program reads GBK, so they come out "
            "garbled; save the file as GBK",
            "这是含有非 ASCII 字符的 UTF-8 文本：本程序按 GBK 读取，这些字符会成为乱码；"
            "请把文件另存为 GBK 编码");
      }
      text = Utf8ToText(text);
      return;
    }
    const std::size_t bad = FirstUndecodableByte(text);
    if (bad != std::string_view::npos && report) {
      char byte[8];
      std::snprintf(byte, sizeof byte, "0x%02X", static_cast<unsigned char>(text[bad]));
      Add(FindingKind::kInvalidGbk, place, LineOf(text, bad),
          Format("byte {} does not decode as GBK (the first such byte of the file); the text "
                 "around it comes out garbled",
                 {byte}),
          Format("字节 {} 不是有效的 GBK 编码（文件中第一个这样的字节），它附近的文字会成为乱码",
                 {byte}));
    }
  }

  void ReadRegistries() {
    for (LibraryKind kind : {LibraryKind::kSentence, LibraryKind::kKeyword}) {
      const Text path = ResourceStore::RegistryPath(kind);
      if (!PathExists(path)) continue;  // no registry: no libraries of that kind
      const Place registry{RegistryName(kind), Subject::kRegistry, kind, {}, {}};
      std::optional<ByteArray> bytes = ReadStoreFile(path, registry, true);
      if (!bytes) continue;
      CheckEncoding(*bytes, registry, true);
      for (IniSectionValue& entry : IniSectionValuesOf(*bytes, names::TagKey())) {
        Library library;
        library.kind = kind;
        library.name = std::move(entry.section);
        library.tag = std::move(entry.value);
        library.headerLine = entry.sectionLine;
        library.tagLine = entry.valueLine;
        CheckRecord(library);
        libraries_.push_back(std::move(library));
      }
    }
  }

  Place RegistryPlace(const Library& library) const {
    return {RegistryName(library.kind), Subject::kLibrary, library.kind, library.name, {}};
  }
  std::size_t TagLine(const Library& library) const {
    return library.tagLine != 0 ? library.tagLine : library.headerLine;
  }
  std::string Shown(const Library& library) const {
    return LibraryShown(library.kind, library.name);
  }
  std::string ShownChinese(const Library& library) const {
    return LibraryShownChinese(library.kind, library.name);
  }
  std::string TagPlace(const Library& library) const {
    return NameToReadableUtf8(RegistryName(library.kind)) + ":" + std::to_string(TagLine(library));
  }

  void CheckRecord(Library& library) {
    const Place place = RegistryPlace(library);
    const std::string parent = NameToReadableUtf8(ParentFolderName(library.kind));
    const std::string name = NameToReadableUtf8(library.name);
    if (!ResourceStore::IsValidLibraryName(library.name)) {
      Add(FindingKind::kUnsafeName, place, library.headerLine,
          Format("the library name '{}' cannot name a folder in {} (empty, \".\", \"..\", or "
                 "holding \"/\" or \"\\\"): its tag gives empty text",
                 {name, parent}),
          Format("库名称“{}”不能用作{}中的目录名（空的、“.”、“..”，或含有“/”“\\”），"
                 "它的标签只会被替换为空",
                 {name, parent}));
    } else {
      const PathKind folder = KindOfPath(ResourceStore::LibraryFolder(library.kind, library.name));
      library.hasFolder = folder == PathKind::kFolder;
      if (!library.hasFolder) {
        const bool missing = folder == PathKind::kMissing;
        Add(FindingKind::kMissingFolder, place, library.headerLine,
            Format(missing ? "the folder {}/{} does not exist: the tag of {} gives empty text"
                           : "{}/{} is not a folder: the tag of {} gives empty text",
                   {parent, name, Shown(library)}),
            Format(missing ? "目录 {}/{} 不存在，{}的标签只会被替换为空"
                           : "{}/{} 不是目录，{}的标签只会被替换为空",
                   {parent, name, ShownChinese(library)}));
      }
    }
    if (library.tag.empty()) {
      const bool keyMissing = library.tagLine == 0;
      Add(FindingKind::kNoTag, place, TagLine(library),
          Format(keyMissing ? "{} has no tag (no key 标签): nothing can call it"
                            : "{} has an empty tag (标签=): nothing can call it",
                 {Shown(library)}),
          Format(keyMissing ? "{}没有调用标签（缺少“标签”项），无法调用"
                            : "{}的调用标签是空的（标签=），无法调用",
                 {ShownChinese(library)}));
    }
  }

  std::int32_t PatternOf(const Text& text) {
    auto [it, fresh] = patternIndex_.emplace(text, static_cast<std::int32_t>(patterns_.size()));
    if (fresh) patterns_.push_back(text);
    return it->second;
  }

  void CheckTags() {
    for (std::size_t i = 0; i < libraries_.size(); ++i) {
      Library& library = libraries_[i];
      if (library.tag.empty()) continue;
      const bool first = patternIndex_.count(library.tag) == 0;
      library.pattern = PatternOf(library.tag);
      if (first) {
        library.expands = true;
        holderOfPattern_.push_back(i);
        continue;
      }
      const Library& holder =
          libraries_[holderOfPattern_[static_cast<std::size_t>(library.pattern)]];
      Add(FindingKind::kDuplicateTag, RegistryPlace(library), TagLine(library),
          Format("the tag {} is also the tag of {} ({}): that library takes every occurrence, "
                 "this one is never drawn",
                 {Quoted(library.tag), Shown(holder), TagPlace(holder)}),
          Format("标签{}也是{}（{}）的标签：出现处都由那个库替换，这个库永远不会被抽到",
                 {QuotedChinese(library.tag), ShownChinese(holder), TagPlace(holder)}));
    }
    tagPatterns_ = patterns_.size();
    if (tagPatterns_ == 0) return;
    shape_ = ShapeOf(patterns_);

    // Tags that differ only in letter case are counted together; one group per folded form.
    std::vector<std::size_t>& groupFirst = groupFirst_;
    std::vector<Text> groupFolded;
    for (std::size_t p = 0; p < tagPatterns_; ++p) {
      Text folded = Fold(patterns_[p]);
      auto [it, fresh] = foldedGroup_.emplace(folded, groupFirst.size());
      if (fresh) {
        groupFirst.push_back(p);
        groupFolded.push_back(std::move(folded));
        continue;
      }
      const Library& library = libraries_[holderOfPattern_[p]];
      const Library& other = libraries_[holderOfPattern_[groupFirst[it->second]]];
      Add(FindingKind::kTagOverlap, RegistryPlace(library), TagLine(library),
          Format("the tag {} and the tag {} of {} ({}) differ only in letter case: counting one "
                 "counts the other too",
                 {Quoted(library.tag), Quoted(other.tag), Shown(other), TagPlace(other)}),
          Format("标签{}与{}（{}）的标签{}只有字母大小写不同：计数时会把两者混在一起",
                 {QuotedChinese(library.tag), ShownChinese(other), TagPlace(other),
                  QuotedChinese(other.tag)}));
    }
    // A tag inside another: where the outer one stands, the library visited first takes
    // the text they share.
    const PatternMatcher folded = MatcherOf(groupFolded);
    std::set<std::pair<std::size_t, std::size_t>> reported;
    for (std::size_t outer = 0; outer < groupFolded.size(); ++outer) {
      ForEachMatchAtCharacterStart(
          folded, groupFolded[outer], [&](std::size_t inner, std::size_t begin) {
            if (inner == outer || !reported.emplace(inner, outer).second) return;
            const Library& in = libraries_[holderOfPattern_[groupFirst[inner]]];
            const Library& out = libraries_[holderOfPattern_[groupFirst[outer]]];
            const bool exact = out.tag.compare(begin, in.tag.size(), in.tag) == 0;
            Add(FindingKind::kTagOverlap, RegistryPlace(out), TagLine(out),
                Format("the tag {} of {} ({}) occurs inside this tag {}{}: where this tag stands, "
                       "the library visited first takes the text they share",
                       {Quoted(in.tag), Shown(in), TagPlace(in), Quoted(out.tag),
                        exact ? "" : " (ignoring letter case)"}),
                Format("{}（{}）的标签{}包含在这个标签{}之中{}：这个标签出现处，先处理的库会取走"
                       "两者共有的文字",
                       {ShownChinese(in), TagPlace(in), QuotedChinese(in.tag),
                        QuotedChinese(out.tag), exact ? "" : "（忽略大小写）"}));
          });
    }
    for (std::size_t p = 0; p < tagPatterns_; ++p)
      longestTag_ = std::max(longestTag_, patterns_[p].size());
  }

  void ReadSynonyms() {
    const Text folder = ResourceStore::SynonymFolder();
    TextArray files;
    EnumerateFiles(folder, names::TextFilePattern(), files);  // the generator's order
    for (const Text& name : files) {
      if (Cancelled()) return;
      const Place place{Join(names::SynonymFolder(), name),
                        Subject::kSynonymFile,
                        LibraryKind::kSentence,
                        {},
                        name};
      const std::optional<ByteArray> bytes = ReadStoreFile(Join(folder, name), place, true);
      if (!bytes) continue;
      Text text = ToText(*bytes);
      CheckEncoding(text, place, true);
      std::size_t line = 0;
      ForEachLineSpan(text, EmptyLastLine::kNoLine, [&](std::size_t begin, std::size_t end) {
        ++line;
        TextArray pieces = SplitText(std::string_view(text).substr(begin, end - begin), "=>");
        // As the generator reads them: no replacement or no find text is no rule.
        if (pieces.size() < 2 || pieces[0].empty()) return;
        rules_.push_back({std::move(pieces[0]), std::move(pieces[1]), place, line});
      });
    }
    if (rules_.empty()) return;

    std::unordered_map<Text, std::uint32_t> findIds;
    std::vector<Text> finds;
    std::vector<std::vector<std::size_t>> rulesOfFind;
    std::vector<std::uint32_t> findOfRule;
    for (std::size_t r = 0; r < rules_.size(); ++r) {
      auto [it, fresh] = findIds.emplace(rules_[r].find, static_cast<std::uint32_t>(finds.size()));
      if (fresh) {
        finds.push_back(rules_[r].find);
        rulesOfFind.emplace_back();
      }
      rulesOfFind[it->second].push_back(r);
      findOfRule.push_back(it->second);
    }
    const PatternMatcher findMatcher = MatcherOf(finds);
    // The first rule at or after `from` with that find text.
    auto firstFrom = [&](std::size_t find, std::size_t from) {
      const std::vector<std::size_t>& list = rulesOfFind[find];
      auto it = std::lower_bound(list.begin(), list.end(), from);
      return it == list.end() ? kNone : *it;
    };

    model_.rules.resize(rules_.size());
    Tally tally(finds.size());
    for (std::size_t q = 0; q < rules_.size(); ++q) {
      const Rule& rule = rules_[q];
      PassRule& pass = model_.rules[q];
      pass.findBytes = rule.find.size();
      pass.replacementBytes = rule.replacement.size();
      pass.seesText = rulesOfFind[findOfRule[q]].front() == q;
      const std::string at = NameToReadableUtf8(rule.place.where) + ":" + std::to_string(rule.line);
      pass.shown = Quoted(rule.find + "=>" + rule.replacement) + " (" + at + ")";
      pass.shownChinese = QuotedChinese(rule.find + "=>" + rule.replacement) + "（" + at + "）";
      ForEachMatchAtCharacterStart(
          findMatcher, rule.replacement,
          [&](std::size_t find, std::size_t begin) { tally.Add(find, begin, finds[find].size()); });
      tally.Take([&](std::uint32_t find, std::uint32_t count) {
        const std::size_t later = firstFrom(find, q + 1);
        if (later != kNone) pass.feeds.emplace_back(later, count);
      });
    }
    for (std::size_t q = rules_.size(); q-- > 0;) {
      PassRule& pass = model_.rules[q];
      pass.matters = pass.replacementBytes > pass.findBytes ||
                     std::any_of(pass.feeds.begin(), pass.feeds.end(), [&](const auto& feed) {
                       return model_.rules[feed.first].matters;
                     });
    }
    for (std::size_t q = 0; q < rules_.size(); ++q) {
      if (Cancelled()) return;
      CheckUndone(q, findMatcher, firstFrom);
    }
  }

  // A rule whose replacement the later rules, applied in order to it alone, turn back into
  // its find text: its work never reaches an article.
  template <typename FirstFrom>
  void CheckUndone(std::size_t q, const PatternMatcher& findMatcher, const FirstFrom& firstFrom) {
    const Rule& rule = rules_[q];
    if (rule.replacement.empty() || rule.replacement == rule.find) return;
    constexpr std::size_t kSteps = 16, kLongest = 4096;
    Text text = rule.replacement;
    std::size_t next = q + 1;
    std::vector<std::size_t> applied;
    while (applied.size() < kSteps && text.size() <= kLongest) {
      std::size_t best = kNone;
      ForEachMatchAtCharacterStart(findMatcher, text, [&](std::size_t find, std::size_t) {
        best = std::min(best, firstFrom(find, next));
      });
      if (best == kNone) break;
      text = textscan::ReplaceAll(text, rules_[best].find, rules_[best].replacement);
      applied.push_back(best);
      next = best + 1;
    }
    if (applied.empty() || text != rule.find) return;
    std::string later, laterChinese;
    for (std::size_t r : applied) {
      if (!later.empty()) later += ", ";
      if (!laterChinese.empty()) laterChinese += "、";
      later += model_.rules[r].shown;
      laterChinese += model_.rules[r].shownChinese;
    }
    Add(FindingKind::kSynonymUndone, rule.place, rule.line,
        Format("the replacement {} is turned back into {} by the later rule{} {}",
               {Quoted(rule.replacement), Quoted(rule.find), applied.size() > 1 ? "s" : "", later}),
        Format("替换结果{}又被后面的规则{}还原成了{}",
               {QuotedChinese(rule.replacement), laterChinese, QuotedChinese(rule.find)}));
  }

  void PrepareScan() {
    // The find texts whose occurrences in the lines bound how far the synonym pass can grow.
    model_.firstRuleOfPattern.assign(patterns_.size(), -1);
    for (std::size_t r = 0; r < rules_.size(); ++r) {
      if (!model_.rules[r].matters || !model_.rules[r].seesText) continue;
      const std::int32_t pattern = PatternOf(rules_[r].find);
      model_.rules[r].findPattern = pattern;
      model_.firstRuleOfPattern.resize(patterns_.size(), -1);
      model_.firstRuleOfPattern[static_cast<std::size_t>(pattern)] = static_cast<std::int32_t>(r);
    }
    matcher_ = std::make_unique<PatternMatcher>(MatcherOf(patterns_));
    tally_ = std::make_unique<Tally>(patterns_.size());
    values_ = std::make_unique<PatternValues>(patterns_.size());
    used_.assign(tagPatterns_, false);
    groupUsed_.assign(groupFirst_.size(), false);
  }

  // The text that looks like a tag but is registered in neither registry, in one file:
  // each distinct text once, at its first line.
  class Unregistered {
   public:
    void Add(std::string_view text, std::size_t line) {
      auto [it, fresh] = seen_.emplace(Text(text), std::make_pair(line, std::size_t{0}));
      if (fresh) order_.push_back(it->first);
      ++it->second.second;
    }
    template <typename Report>
    void ForEach(Report&& report) const {
      for (const Text& text : order_) {
        const auto& [line, count] = seen_.at(text);
        report(text, line, count);
      }
    }
    bool Empty() const { return order_.empty(); }

   private:
    std::unordered_map<Text, std::pair<std::size_t, std::size_t>> seen_;
    std::vector<Text> order_;
  };

  // Counts the patterns of one line into the tally, marks the tags used, and collects the
  // text of the tags' shape that no registry knows.
  void ScanLine(std::string_view line, std::size_t lineNumber, Unregistered* unregistered) {
    spans_.clear();
    ForEachMatchAtCharacterStart(*matcher_, line, [&](std::size_t pattern, std::size_t begin) {
      const std::size_t length = patterns_[pattern].size();
      tally_->Add(pattern, begin, length);
      if (pattern < tagPatterns_) {
        used_[pattern] = true;
        spans_.emplace_back(begin, begin + length);
      }
    });
    if (!shape_.Known()) return;
    const std::string& opening = shape_.opening;
    const std::string& closing = shape_.closing;
    std::size_t from = 0;
    for (;;) {
      std::size_t open = textscan::Find(line, opening, from, false);
      if (open == textscan::kNotFound) return;
      const std::size_t close = textscan::Find(line, closing, open + opening.size(), false);
      if (close == textscan::kNotFound) return;
      // The last opening before the closing begins the candidate.
      for (;;) {
        const std::size_t again = textscan::Find(line, opening, open + opening.size(), false);
        if (again == textscan::kNotFound || again + opening.size() > close) break;
        open = again;
      }
      const std::size_t end = close + closing.size();
      from = end;
      if (end - open > longestTag_ + 32) continue;  // prose between brackets, not a tag
      const std::string_view candidate = line.substr(open, end - open);
      if (auto it = patternIndex_.find(Text(candidate));
          it != patternIndex_.end() && static_cast<std::size_t>(it->second) < tagPatterns_) {
        continue;
      }
      const bool insideTag = std::any_of(spans_.begin(), spans_.end(), [&](const auto& span) {
        return span.first <= open && end <= span.second;
      });
      if (insideTag) continue;
      if (unregistered != nullptr) unregistered->Add(candidate, lineNumber);
      // A tag in another letter case is counted with the registered one, so its library is
      // drawn from: the mistyped tag is the finding, not an unused library.
      if (auto it = foldedGroup_.find(Fold(candidate)); it != foldedGroup_.end()) {
        groupUsed_[it->second] = true;
      }
    }
  }

  void ReportUnregistered(const Unregistered& unregistered, const Place& place) {
    unregistered.ForEach([&](const Text& text, std::size_t line, std::size_t count) {
      std::string hint, hintChinese;
      if (auto it = foldedGroup_.find(Fold(text)); it != foldedGroup_.end()) {
        const Text& registered = patterns_[groupFirst_[it->second]];
        hint = " (registered as " + Quoted(registered) +
               ": letter case differs, so it is counted but never replaced)";
        hintChinese =
            "（登记的是" + QuotedChinese(registered) + "：大小写不同，会被计数但不会被替换）";
      }
      Add(FindingKind::kUnregisteredTag, place, line,
          Format("{} looks like a tag but is registered in neither {} nor {}{}: it stays in the "
                 "article as written ({} in this file)",
                 {Quoted(text), NameToReadableUtf8(names::SentenceRegistryFile()),
                  NameToReadableUtf8(names::KeywordRegistryFile()), hint, Counted(count, "time")}),
          Format("{}看起来是标签，但 {} 和 {} 中都没有登记{}：它会原样留在文章里（本文件中出现 {} "
                 "次）",
                 {QuotedChinese(text), NameToReadableUtf8(names::SentenceRegistryFile()),
                  NameToReadableUtf8(names::KeywordRegistryFile()), hintChinese,
                  std::to_string(count)}));
    });
  }

  void ReadLibraries() {
    for (std::size_t i = 0; i < libraries_.size(); ++i) {
      if (Cancelled()) return;
      if (libraries_[i].hasFolder) ReadLibrary(i);
    }
  }

  void ReadLibrary(std::size_t index) {
    Library& library = libraries_[index];
    PatternCounts laterTags;
    const Text folder = ResourceStore::LibraryFolder(library.kind, library.name);
    const Text shownFolder = Join(ParentFolderName(library.kind), library.name);
    TextArray files;
    EnumerateFiles(folder, names::TextFilePattern(), files);
    std::vector<std::size_t> hashes;
    for (const Text& name : files) {
      if (Cancelled()) return;
      const Place place{Join(shownFolder, name), Subject::kLibraryFile, library.kind, library.name,
                        name};
      std::optional<ByteArray> bytes = ReadStoreFile(Join(folder, name), place, true);
      if (!bytes) {
        library.unreadableFile = true;
        continue;
      }
      Text text = ToText(*bytes);
      bytes.reset();
      CheckEncoding(text, place, true);
      Unregistered unregistered;
      std::size_t lineNumber = 0;
      ForEachLineSpan(text, EmptyLastLine::kNoLine, [&](std::size_t begin, std::size_t end) {
        const std::string_view line = std::string_view(text).substr(begin, end - begin);
        ++lineNumber;
        ++library.lines;
        library.maxLineBytes = std::max(library.maxLineBytes, line.size());
        hashes.push_back(std::hash<std::string_view>{}(line));
        ScanLine(line, lineNumber, &unregistered);
        laterTags.clear();
        tally_->Take([&](std::uint32_t pattern, std::uint32_t count) {
          values_->Max(pattern, count);
          // The tags of libraries after this one are the ones its line brings to expansion.
          if (pattern < tagPatterns_ && holderOfPattern_[pattern] > index) {
            laterTags.emplace_back(pattern, count);
          }
        });
        if (laterTags.empty()) {
          library.plainLineBytes = std::max(library.plainLineBytes, line.size());
        } else {
          std::sort(laterTags.begin(), laterTags.end());
          std::size_t& longest = library.tagLines[laterTags];
          longest = std::max(longest, line.size());
        }
      });
      ReportUnregistered(unregistered, place);
    }
    std::sort(hashes.begin(), hashes.end());
    library.distinctLines =
        static_cast<std::size_t>(std::unique(hashes.begin(), hashes.end()) - hashes.begin());
    library.maxPerLine = values_->Take();
  }

  void CheckUnregisteredFolders() {
    for (LibraryKind kind : {LibraryKind::kSentence, LibraryKind::kKeyword}) {
      std::unordered_set<Text> registered;
      for (const Library& library : libraries_) {
        if (library.kind == kind) registered.insert(library.name);
      }
      for (const Text& name : ListSubfolders(ResourceStore::LibraryParentFolder(kind))) {
        if (registered.count(name) != 0) continue;
        const std::string registry = NameToReadableUtf8(RegistryName(kind));
        Add(FindingKind::kUnregisteredFolder,
            {Join(ParentFolderName(kind), name), Subject::kLibrary, kind, name, {}}, 0,
            Format("no library of this name is registered in {}: its files are never drawn",
                   {registry}),
            Format("{} 中没有登记这个名称的库，这个目录中的文件永远不会被用到", {registry}));
      }
    }
  }

  void ReadTemplates() {
    const Text folder = ResourceStore::TemplateFolder();
    TextArray files;
    EnumerateFiles(folder, names::TextFilePattern(), files, false, true);
    for (const Text& name : files) {
      if (Cancelled()) return;
      const bool selected = options_.templates.empty() ||
                            std::find(options_.templates.begin(), options_.templates.end(), name) !=
                                options_.templates.end();
      Template found;
      found.place = {Join(names::TemplateFolder(), name),
                     Subject::kTemplate,
                     LibraryKind::kSentence,
                     {},
                     name};
      // Every template counts as a use of the tags it holds, reported on or not.
      std::optional<ByteArray> bytes = ReadStoreFile(Join(folder, name), found.place, selected);
      if (!bytes) continue;
      Text text = ToText(*bytes);
      bytes.reset();
      CheckEncoding(text, found.place, selected);
      Unregistered unregistered;
      std::size_t lineNumber = 0;
      ForEachLineSpan(text, EmptyLastLine::kNoLine, [&](std::size_t begin, std::size_t end) {
        ScanLine(std::string_view(text).substr(begin, end - begin), ++lineNumber,
                 selected ? &unregistered : nullptr);
        tally_->Take(
            [&](std::uint32_t pattern, std::uint32_t count) { values_->Sum(pattern, count); });
      });
      if (!selected) {
        values_->Take();
        continue;
      }
      found.bytes = text.size();
      found.occurrences = values_->Take();
      ReportUnregistered(unregistered, found.place);
      const bool holdsTag = std::any_of(found.occurrences.begin(), found.occurrences.end(),
                                        [&](const auto& o) { return o.first < tagPatterns_; });
      if (!holdsTag && unregistered.Empty()) {
        Add(FindingKind::kTemplateWithoutTags, found.place, 0,
            text.empty() ? "the template is empty"
                         : "no registered tag: every article from it is this text as it stands "
                           "(apart from the synonym rules)",
            text.empty()
                ? "模版是空的"
                : "模版中没有任何已登记的标签：生成的每篇文章都与模版相同（同义词替换除外）");
      }
      templates_.push_back(std::move(found));
    }
  }

  void CheckLibraryUse() {
    for (const Library& library : libraries_) {
      if (!library.hasFolder) continue;  // its registry entry has the finding
      const Text folder = Join(ParentFolderName(library.kind), library.name);
      if (library.lines == 0 && !library.unreadableFile) {
        Add(FindingKind::kEmptyLibrary, {folder, Subject::kLibrary, library.kind, library.name, {}},
            0,
            Format("{} has no line in any of its \"*.txt\" files: its tag gives empty text",
                   {Shown(library)}),
            Format("{}的“*.txt”文件中没有任何一行，它的标签只会被替换为空",
                   {ShownChinese(library)}));
      }
      if (library.expands && !used_[static_cast<std::size_t>(library.pattern)] &&
          !groupUsed_[foldedGroup_.at(Fold(library.tag))]) {
        Add(FindingKind::kUnusedLibrary, RegistryPlace(library), TagLine(library),
            Format("no template and no library line holds the tag {} of {}",
                   {Quoted(library.tag), Shown(library)}),
            Format("没有任何模版或库中的句子使用{}的标签{}",
                   {ShownChinese(library), QuotedChinese(library.tag)}));
      }
    }
  }

  void CheckExpansion() {
    model_.libraryOfPattern.assign(patterns_.size(), -1);
    model_.firstRuleOfPattern.resize(patterns_.size(), -1);
    for (const Library& library : libraries_) {
      if (!library.expands) continue;
      PassLibrary pass;
      pass.sentence = library.kind == LibraryKind::kSentence;
      pass.tagBytes = library.tag.size();
      pass.maxLineBytes = library.maxLineBytes;
      pass.log10Distinct =
          library.distinctLines > 0 ? std::log10(static_cast<double>(library.distinctLines)) : 0;
      pass.maxPerLine = library.maxPerLine;
      pass.plainLineBytes = library.plainLineBytes;
      pass.tagLines.assign(library.tagLines.begin(), library.tagLines.end());
      pass.shownEnglish = Shown(library);
      pass.shownChinese = ShownChinese(library);
      model_.libraryOfPattern[static_cast<std::size_t>(library.pattern)] =
          static_cast<std::int32_t>(model_.libraries.size());
      model_.libraries.push_back(std::move(pass));
    }
    const LibraryBounds bounds = BoundLibraries(model_);
    for (const Template& found : templates_) {
      if (Cancelled()) return;
      const Expansion e =
          EstimateExpansion(model_, bounds, found.occurrences, found.bytes, kMaxArticleBytes);
      if (e.runaway) {
        Add(FindingKind::kRunawayExpansion, found.place, 0, "chain: " + e.chainEnglish,
            "展开链：" + e.chainChinese);
      }
      const std::string power = "10^" + Decimal(e.log10Variety, 1);
      Add(FindingKind::kVariety, found.place, 0,
          Format("about {} different articles ({} from {}, {})",
                 {power, Counted(e.sentenceDraws, "sentence draw"),
                  Counted(e.sentenceLibraries, "library", "libraries"),
                  Counted(e.keywordLibraries, "keyword library", "keyword libraries")}),
          Format("约 {} 种不同的文章（从 {} 个句子库抽取 {} 次，{} 个关键词库）",
                 {power, std::to_string(e.sentenceLibraries), std::to_string(e.sentenceDraws),
                  std::to_string(e.keywordLibraries)}));
    }
  }

  const CheckOptions& options_;
  CheckReport report_;

  std::vector<Library> libraries_;   // sentence registry order, then keyword registry order
  std::vector<Rule> rules_;          // synonym files in directory order, lines in order
  std::vector<Template> templates_;  // the templates reported on

  // What is counted in every line: the distinct registered tags first, then the find texts
  // of the synonym rules that can lengthen the text.
  std::vector<Text> patterns_;
  std::unordered_map<Text, std::int32_t> patternIndex_;
  std::size_t tagPatterns_ = 0;
  std::vector<std::size_t> holderOfPattern_;           // tag pattern -> the first library with it
  std::unordered_map<Text, std::size_t> foldedGroup_;  // folded tag -> its group
  std::vector<std::size_t> groupFirst_;                // group -> its first tag (pattern)
  std::size_t longestTag_ = 0;
  TagShape shape_;

  std::unique_ptr<PatternMatcher> matcher_;
  std::unique_ptr<Tally> tally_;
  std::unique_ptr<PatternValues> values_;
  std::vector<std::pair<std::size_t, std::size_t>> spans_;  // tag matches in the current line
  std::vector<bool> used_;       // tag pattern -> some template or line holds it
  std::vector<bool> groupUsed_;  // folded tag group -> held in another letter case

  PassModel model_;
};

}  // namespace

CheckReport CheckStore(const CheckOptions& options) { return Checker(options).Run(); }

const char* VarietyMethod() {
  return "variety estimates how many different articles a template can make, as a power of\n"
         "ten: the product, over the occurrences of sentence tags in the template, of the\n"
         "number of distinct lines of that tag's library, times, once for each keyword\n"
         "library the template reaches (its tag in the template or in the lines of the\n"
         "libraries it draws from), that library's number of distinct lines. The sentences\n"
         "that sentence tags in lines bring in and the synonym rules are not counted, so for\n"
         "nested sentence libraries it is a lower bound.";
}

const char* VarietyMethodChinese() {
  return "变化程度估计一个模版能生成多少种不同的文章（以 10 的幂表示）：\n"
         "模版中每出现一次句子标签，就乘以该句子库中不同句子的数目；\n"
         "模版用到的每个关键词库（其标签出现在模版中，或出现在所抽取的库的句子中），\n"
         "再乘一次其中不同关键词的数目。\n"
         "句子中再引出的句子和同义词替换不计在内，因此对嵌套的句子库而言这是一个下限。";
}

}  // namespace wordloom::check
