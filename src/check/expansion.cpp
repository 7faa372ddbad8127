#include "check/expansion.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>

namespace wordloom::check {
namespace {

constexpr std::int32_t kFromTemplate = -1;
constexpr std::int32_t kFromNothing = -2;

// Where most of a library's draws (or a rule's matches) come from, for naming the chain.
struct Source {
  std::int32_t from = kFromNothing;  // a library or rule, or kFromTemplate
  std::uint32_t per = 0;             // occurrences in the template, or in one line or rule
  double amount = 0;
};

std::string Number(double value) {
  char buffer[32];
  if (value < 1e6) {
    std::snprintf(buffer, sizeof buffer, "%.0f", value);
  } else {
    std::snprintf(buffer, sizeof buffer, "%.2g", value);
  }
  return buffer;
}

std::string Bytes(double bytes, bool chinese) {
  if (!std::isfinite(bytes) || bytes >= 1e18)
    return chinese ? "超过 10^18 字节" : "more than 10^18 bytes";
  static constexpr const char* kUnits[] = {"KiB", "MiB", "GiB", "TiB", "PiB"};
  if (bytes < 1024) return Number(bytes) + (chinese ? " 字节" : " bytes");
  double value = bytes / 1024;
  std::size_t unit = 0;
  while (value >= 1024 && unit + 1 < std::size(kUnits)) {
    value /= 1024;
    ++unit;
  }
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "%.1f %s", value, kUnits[unit]);
  return buffer;
}

// The links of a chain, long ones cut in the middle.
template <typename Link>
std::string JoinChain(const std::vector<std::size_t>& chain, Link&& link) {
  constexpr std::size_t kHead = 4, kTail = 3;
  std::string out;
  for (std::size_t i = 0; i < chain.size(); ++i) {
    if (chain.size() > kHead + kTail + 1 && i == kHead) {
      out += " → … (" + std::to_string(chain.size() - kHead - kTail) + ")";
      i = chain.size() - kTail - 1;
      continue;
    }
    if (i > 0) out += " → ";
    out += link(i);
  }
  return out;
}

// Follows the sources back from `last` to where they begin.
std::vector<std::size_t> Chain(const std::vector<Source>& sources, std::size_t last) {
  std::vector<std::size_t> chain{last};
  while (sources[chain.back()].from >= 0 && chain.size() <= sources.size()) {
    chain.push_back(static_cast<std::size_t>(sources[chain.back()].from));
  }
  std::reverse(chain.begin(), chain.end());
  return chain;
}

}  // namespace

std::string ShownBytes(double bytes) { return Bytes(bytes, false); }

Expansion EstimateExpansion(const PassModel& model, const PatternCounts& occurrences,
                            std::size_t templateBytes, std::size_t limitBytes) {
  Expansion result;
  const std::vector<PassLibrary>& libraries = model.libraries;
  // How many occurrences of each library's tag its visit can meet, at most: the template's,
  // and those the lines of earlier libraries bring in. A library's lines only feed the
  // libraries after it (a sentence tag of an earlier library stays literal text).
  std::vector<double> draws(libraries.size(), 0);
  std::vector<double> ownDraws(libraries.size(), 0);
  std::vector<Source> sources(libraries.size());
  auto feed = [&](std::size_t target, double amount, std::int32_t from, std::uint32_t per) {
    draws[target] += amount;
    if (amount > sources[target].amount) sources[target] = {from, per, amount};
  };
  for (const auto& [pattern, count] : occurrences) {
    const std::int32_t library = model.libraryOfPattern[pattern];
    if (library < 0) continue;
    ownDraws[static_cast<std::size_t>(library)] += count;
    feed(static_cast<std::size_t>(library), count, kFromTemplate, count);
  }
  double bytes = static_cast<double>(templateBytes);
  std::size_t topLibrary = libraries.size();
  double topGrowth = 0;
  for (std::size_t l = 0; l < libraries.size(); ++l) {
    if (draws[l] == 0) continue;
    const PassLibrary& library = libraries[l];
    for (const auto& [pattern, most] : library.maxPerLine) {
      const std::int32_t target = model.libraryOfPattern[pattern];
      if (target <= static_cast<std::int32_t>(l)) continue;
      feed(static_cast<std::size_t>(target), draws[l] * most, static_cast<std::int32_t>(l), most);
    }
    const double growth =
        draws[l] * static_cast<double>(library.maxLineBytes > library.tagBytes
                                           ? library.maxLineBytes - library.tagBytes
                                           : 0);
    bytes += growth;
    if (growth > topGrowth) {
      topGrowth = growth;
      topLibrary = l;
    }
    if (library.maxLineBytes == 0) continue;
    if (library.sentence) {
      result.sentenceDraws += static_cast<std::uint64_t>(ownDraws[l]);
      result.log10Variety += ownDraws[l] * library.log10Distinct;
      if (ownDraws[l] > 0) ++result.sentenceLibraries;
    } else {
      // One keyword serves every occurrence of its tag.
      result.log10Variety += library.log10Distinct;
      ++result.keywordLibraries;
    }
  }

  if (bytes > static_cast<double>(limitBytes)) {
    result.maxBytes = bytes;
    result.runaway = true;
    if (topLibrary == libraries.size()) {
      result.chainEnglish = "the template alone is " + Bytes(bytes, false) + ", over the " +
                            Bytes(static_cast<double>(limitBytes), false) + " article limit";
      result.chainChinese = "模版本身就有 " + Bytes(bytes, true) + "，超过 " +
                            Bytes(static_cast<double>(limitBytes), true) + " 的文章上限";
      return result;
    }
    const std::vector<std::size_t> chain = Chain(sources, topLibrary);
    const PassLibrary& last = libraries[chain.back()];
    result.chainEnglish = JoinChain(chain,
                                    [&](std::size_t i) {
                                      const Source& s = sources[chain[i]];
                                      return Number(s.per) + (i == 0 ? "× " : "× per line: ") +
                                             libraries[chain[i]].shownEnglish;
                                    }) +
                          " (lines up to " + Number(static_cast<double>(last.maxLineBytes)) +
                          " bytes, up to " + Number(draws[chain.back()]) + " draws): up to about " +
                          Bytes(bytes, false) + " before the synonym rules, over the " +
                          Bytes(static_cast<double>(limitBytes), false) + " article limit";
    result.chainChinese =
        JoinChain(chain,
                  [&](std::size_t i) {
                    const Source& s = sources[chain[i]];
                    return (i == 0 ? "模版含 " : "其每行最多含 ") + Number(s.per) + " 个" +
                           libraries[chain[i]].shownChinese + "的标签";
                  }) +
        "（行长最多 " + Number(static_cast<double>(last.maxLineBytes)) + " 字节，最多抽取 " +
        Number(draws[chain.back()]) + " 次）：同义词替换之前文章就可达约 " + Bytes(bytes, true) +
        "，超过 " + Bytes(static_cast<double>(limitBytes), true) + " 的文章上限";
    return result;
  }

  // The synonym pass on a text of at most `bytes`: each rule meets at most the occurrences
  // of its find text that the tag passes brought (only the first rule of a find text sees
  // those) and those earlier rules' replacements made, and never more than fit in the text.
  const std::vector<PassRule>& rules = model.rules;
  std::vector<double> meets(rules.size(), 0);
  std::vector<Source> ruleSources(rules.size());
  auto seeText = [&](std::uint32_t pattern, double amount) {
    const std::int32_t rule = model.firstRuleOfPattern[pattern];
    if (rule < 0) return;
    meets[static_cast<std::size_t>(rule)] += amount;
    Source& s = ruleSources[static_cast<std::size_t>(rule)];
    if (amount > s.amount) s = {kFromTemplate, 0, amount};
  };
  for (const auto& [pattern, count] : occurrences) seeText(pattern, count);
  for (std::size_t l = 0; l < libraries.size(); ++l) {
    if (draws[l] == 0) continue;
    for (const auto& [pattern, most] : libraries[l].maxPerLine) seeText(pattern, draws[l] * most);
  }
  std::size_t topRule = rules.size();
  topGrowth = 0;
  for (std::size_t r = 0; r < rules.size(); ++r) {
    const PassRule& rule = rules[r];
    if (!rule.matters || meets[r] == 0) continue;
    const double matches = std::min(meets[r], bytes / static_cast<double>(rule.findBytes));
    if (rule.replacementBytes > rule.findBytes) {
      const double growth = matches * static_cast<double>(rule.replacementBytes - rule.findBytes);
      bytes += growth;
      if (growth > topGrowth) {
        topGrowth = growth;
        topRule = r;
      }
    }
    for (const auto& [later, count] : rule.feeds) {
      const double amount = matches * count;
      meets[later] += amount;
      if (amount > ruleSources[later].amount) {
        ruleSources[later] = {static_cast<std::int32_t>(r), count, amount};
      }
    }
  }
  result.maxBytes = bytes;
  if (bytes <= static_cast<double>(limitBytes) || topRule == rules.size()) return result;

  result.runaway = true;
  const std::vector<std::size_t> chain = Chain(ruleSources, topRule);
  auto link = [&](std::size_t i) { return rules[chain[i]].shown; };
  result.chainEnglish = "synonym rules " + JoinChain(chain, link) + ": up to about " +
                        Bytes(bytes, false) + " after the synonym rules, over the " +
                        Bytes(static_cast<double>(limitBytes), false) + " article limit";
  result.chainChinese = "同义词规则 " + JoinChain(chain, link) + "：替换后文章可达约 " +
                        Bytes(bytes, true) + "，超过 " +
                        Bytes(static_cast<double>(limitBytes), true) + " 的文章上限";
  return result;
}

}  // namespace wordloom::check
