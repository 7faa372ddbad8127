#include "check/expansion.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>

namespace wordloom::check {
namespace {

constexpr std::int32_t kFromText = -1;

// Where most of a rule's matches in made text come from, for naming the chain.
struct Source {
  std::int32_t from = kFromText;  // the earlier rule, or kFromText
  double amount = 0;
};

std::string Number(double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, value < 1e6 ? "%.0f" : "%.2g", value);
  return buffer;
}

// "about 61.2 GiB"; "more than 10^18 bytes" beyond any real size.
std::string Bytes(double bytes, bool chinese) {
  if (!std::isfinite(bytes) || bytes >= 1e18) {
    return chinese ? "超过 10^18 字节" : "more than 10^18 bytes";
  }
  const std::string about = chinese ? "约 " : "about ";
  if (bytes < 1024) return about + Number(bytes) + (chinese ? " 字节" : " bytes");
  static constexpr const char* kUnits[] = {"KiB", "MiB", "GiB", "TiB", "PiB"};
  double value = bytes / 1024;
  std::size_t unit = 0;
  while (value >= 1024 && unit + 1 < std::size(kUnits)) {
    value /= 1024;
    ++unit;
  }
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "%.1f %s", value, kUnits[unit]);
  return about + buffer;
}

std::string Limit(std::size_t bytes) { return std::to_string(bytes >> 20) + " MiB"; }

// The links of a chain, a long one cut in the middle.
template <typename Link>
std::string JoinChain(std::size_t length, Link&& link) {
  constexpr std::size_t kHead = 4, kTail = 3;
  std::string out;
  for (std::size_t i = 0; i < length; ++i) {
    if (length > kHead + kTail + 1 && i == kHead) {
      out += " → … (" + std::to_string(length - kHead - kTail) + ")";
      i = length - kTail - 1;
      continue;
    }
    if (i > 0) out += " → ";
    out += link(i);
  }
  return out;
}

// A text of `bytes` holding the tags at their worst: each tag of a library after `after`
// replaced by its library's longest expansion; and the tag that adds the most (above
// `topAbove`).
struct Growth {
  double bytes = 0;
  std::int32_t top = -1;
  std::uint32_t topCount = 0;
};

Growth WorstGrowth(const PassModel& model, const LibraryBounds& bounds, const PatternCounts& tags,
                   double bytes, std::int32_t after, double topAbove) {
  Growth growth{bytes};
  double topTerm = topAbove;
  for (const auto& [pattern, count] : tags) {
    const std::int32_t library = model.libraryOfPattern[pattern];
    if (library <= after) continue;
    const auto l = static_cast<std::size_t>(library);
    const double term =
        count * (bounds.bytes[l] - static_cast<double>(model.libraries[l].tagBytes));
    growth.bytes += term;
    if (term > topTerm) {
      topTerm = term;
      growth.top = library;
      growth.topCount = count;
    }
  }
  return growth;
}

}  // namespace

LibraryBounds BoundLibraries(const PassModel& model) {
  const std::vector<PassLibrary>& libraries = model.libraries;
  LibraryBounds bounds;
  bounds.bytes.assign(libraries.size(), 0);
  bounds.child.assign(libraries.size(), -1);
  bounds.per.assign(libraries.size(), 0);
  // From the last library back: a line only holds tags that expand after its own library,
  // whose bounds are known by then. A line's tags are drawn independently of one another,
  // so the worst line is the one whose own tags, each at its worst, add up the most.
  for (std::size_t l = libraries.size(); l-- > 0;) {
    const PassLibrary& library = libraries[l];
    if (library.maxLineBytes == 0) continue;  // no line: the tag becomes empty text
    double best = static_cast<double>(library.plainLineBytes);
    for (const auto& [tags, lineBytes] : library.tagLines) {
      // Even a tag that adds nothing can be the one the chain names for this line.
      const Growth growth = WorstGrowth(model, bounds, tags, static_cast<double>(lineBytes),
                                        static_cast<std::int32_t>(l), -1);
      if (growth.bytes > best) {
        best = growth.bytes;
        bounds.child[l] = growth.top;
        bounds.per[l] = growth.topCount;
      }
    }
    bounds.bytes[l] = std::max(best, 0.0);
  }
  return bounds;
}

Expansion EstimateExpansion(const PassModel& model, const LibraryBounds& bounds,
                            const PatternCounts& occurrences, std::size_t templateBytes,
                            std::size_t limitBytes) {
  Expansion result;
  const std::vector<PassLibrary>& libraries = model.libraries;
  const double limit = static_cast<double>(limitBytes);

  // The article after the tag passes: every tag of the template at its worst.
  // Only a tag that lengthens the text leads a chain.
  const Growth tagGrowth =
      WorstGrowth(model, bounds, occurrences, static_cast<double>(templateBytes), -1, 0);
  const std::int32_t topLibrary = tagGrowth.top;
  const std::uint32_t topCount = tagGrowth.topCount;
  double bytes = std::max(tagGrowth.bytes, 0.0);

  // How many occurrences of each library's tag its visit can meet, at most: the template's,
  // and those the lines of earlier libraries bring in. It tells which libraries the template
  // reaches, and bounds the find texts of the synonym rules that the tag passes leave.
  std::vector<double> draws(libraries.size(), 0);
  std::vector<double> ownDraws(libraries.size(), 0);
  for (const auto& [pattern, count] : occurrences) {
    const std::int32_t library = model.libraryOfPattern[pattern];
    if (library < 0) continue;
    ownDraws[static_cast<std::size_t>(library)] += count;
    draws[static_cast<std::size_t>(library)] += count;
  }
  for (std::size_t l = 0; l < libraries.size(); ++l) {
    const PassLibrary& library = libraries[l];
    if (draws[l] == 0 || library.maxLineBytes == 0) continue;
    for (const auto& [pattern, most] : library.maxPerLine) {
      const std::int32_t target = model.libraryOfPattern[pattern];
      if (target > static_cast<std::int32_t>(l)) {
        draws[static_cast<std::size_t>(target)] += draws[l] * most;
      }
    }
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

  if (bytes > limit) {
    result.maxBytes = bytes;
    result.runaway = true;
    if (topLibrary < 0) {
      result.chainEnglish = "the template alone is " + Bytes(bytes, false) + ", over the " +
                            Limit(limitBytes) + " article limit";
      result.chainChinese =
          "模版本身就有" + Bytes(bytes, true) + "，超过 " + Limit(limitBytes) + " 的文章上限";
      return result;
    }
    std::vector<std::pair<std::size_t, std::uint32_t>> chain{
        {static_cast<std::size_t>(topLibrary), topCount}};
    double product = topCount;
    while (bounds.child[chain.back().first] >= 0 && chain.size() <= libraries.size()) {
      const std::size_t l = chain.back().first;
      chain.emplace_back(static_cast<std::size_t>(bounds.child[l]), bounds.per[l]);
      product *= bounds.per[l];
    }
    const PassLibrary& last = libraries[chain.back().first];
    const std::string lines = Number(static_cast<double>(last.maxLineBytes));
    result.chainEnglish =
        JoinChain(chain.size(),
                  [&](std::size_t i) {
                    return Number(chain[i].second) + "× " + libraries[chain[i].first].shownEnglish +
                           (i == 0 ? " in the template" : " in a line");
                  }) +
        " (lines up to " + lines + " bytes, up to " + Number(product) + " draws of it): up to " +
        Bytes(bytes, false) + " before the synonym rules, over the " + Limit(limitBytes) +
        " article limit";
    result.chainChinese = JoinChain(chain.size(),
                                    [&](std::size_t i) {
                                      return (i == 0 ? "模版中有 " : "其一行中有 ") +
                                             Number(chain[i].second) + " 个" +
                                             libraries[chain[i].first].shownChinese + "的标签";
                                    }) +
                          "（行长最多 " + lines + " 字节，最多抽取 " + Number(product) +
                          " 次）：同义词替换之前文章就可达" + Bytes(bytes, true) + "，超过 " +
                          Limit(limitBytes) + " 的文章上限";
    return result;
  }

  // The synonym pass. Each rule meets the occurrences of its find text in the text the tag
  // passes made (only the first rule of a find text: it replaces them all) and those that
  // earlier rules' replacements made. The first kind share one budget: the text's bytes,
  // each used by one match at most, so together they grow the text by no more than the best
  // rules could with all of it. The second kind follow the chain of replacements.
  const std::vector<PassRule>& rules = model.rules;
  std::vector<double> inText(rules.size(), 0);
  auto seeText = [&](std::uint32_t pattern, double amount) {
    const std::int32_t rule = model.firstRuleOfPattern[pattern];
    if (rule >= 0) inText[static_cast<std::size_t>(rule)] += amount;
  };
  for (const auto& [pattern, count] : occurrences) seeText(pattern, count);
  for (std::size_t l = 0; l < libraries.size(); ++l) {
    if (draws[l] == 0) continue;
    for (const auto& [pattern, most] : libraries[l].maxPerLine) seeText(pattern, draws[l] * most);
  }
  std::vector<std::size_t> lengthening;
  for (std::size_t r = 0; r < rules.size(); ++r) {
    inText[r] = std::min(inText[r], bytes / static_cast<double>(rules[r].findBytes));
    if (rules[r].replacementBytes > rules[r].findBytes && inText[r] > 0) lengthening.push_back(r);
  }
  auto gain = [&](std::size_t r) {
    return static_cast<double>(rules[r].replacementBytes - rules[r].findBytes);
  };
  std::sort(lengthening.begin(), lengthening.end(), [&](std::size_t a, std::size_t b) {
    return gain(a) / static_cast<double>(rules[a].findBytes) >
           gain(b) / static_cast<double>(rules[b].findBytes);
  });
  std::vector<double> growth(rules.size(), 0);
  double budget = bytes;
  double size = bytes;
  for (std::size_t r : lengthening) {
    if (budget <= 0) break;
    const double matches = std::min(inText[r], budget / static_cast<double>(rules[r].findBytes));
    budget -= matches * static_cast<double>(rules[r].findBytes);
    growth[r] = matches * gain(r);
    size += growth[r];
  }
  std::vector<double> made(rules.size(), 0);
  std::vector<Source> sources(rules.size());
  for (std::size_t r = 0; r < rules.size(); ++r) {
    const PassRule& rule = rules[r];
    if (!rule.matters) continue;
    const double fit = size / static_cast<double>(rule.findBytes);
    if (rule.replacementBytes > rule.findBytes && made[r] > 0) {
      const double more = std::min(made[r], fit) * gain(r);
      growth[r] += more;
      size += more;
    }
    const double matches = std::min(inText[r] + made[r], fit);
    for (const auto& [later, count] : rule.feeds) {
      const double amount = matches * count;
      made[later] += amount;
      if (amount > sources[later].amount) sources[later] = {static_cast<std::int32_t>(r), amount};
    }
  }
  result.maxBytes = size;
  if (size <= limit) return result;

  result.runaway = true;
  const std::size_t top =
      static_cast<std::size_t>(std::max_element(growth.begin(), growth.end()) - growth.begin());
  std::vector<std::size_t> chain{top};
  while (made[chain.back()] > 0 && sources[chain.back()].from >= 0 &&
         chain.size() <= rules.size()) {
    chain.push_back(static_cast<std::size_t>(sources[chain.back()].from));
  }
  std::reverse(chain.begin(), chain.end());
  auto link = [&](std::size_t i) { return rules[chain[i]].shown; };
  auto linkChinese = [&](std::size_t i) { return rules[chain[i]].shownChinese; };
  result.chainEnglish = "synonym rules " + JoinChain(chain.size(), link) + ": up to " +
                        Bytes(size, false) + " after the synonym rules, over the " +
                        Limit(limitBytes) + " article limit";
  result.chainChinese = "同义词规则 " + JoinChain(chain.size(), linkChinese) + "：替换后文章可达" +
                        Bytes(size, true) + "，超过 " + Limit(limitBytes) + " 的文章上限";
  return result;
}

}  // namespace wordloom::check
