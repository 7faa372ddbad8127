// The generator's two text passes against their plain definitions: the tag pass
// (ReplaceFirstRepeatedly) and the synonym pass (ApplyRules).
//
// Input: a count byte, a flags byte (bits 3-7: how far the size limit lies beyond the text),
// then the text, the tag, and the pieces, separated by 0xFF. The pieces are the
// tag's replacements, taken in turn, and also the rules, taken in pairs as find text and
// replacement.
#include <optional>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "generator/expanding_text.h"
#include "generator/rule_application.h"
#include "generator/synonym_rules.h"
#include "reference.h"

namespace wordloom::fuzz {
namespace {

constexpr std::size_t kMaxGrownText = std::size_t{1} << 16;

// Each time, the first exact occurrence in the text as it is then, inserted text included.
// Nothing when a replacement would make the text longer than `maxBytes`.
std::optional<std::string> ReplaceFirstTimes(std::string text, std::string_view tag,
                                             std::size_t count,
                                             const std::vector<std::string>& replacements,
                                             std::size_t maxBytes) {
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t p = ref::Find(text, tag, 0, false);
    if (p == ref::kNone) break;
    const std::string& with =
        replacements.empty() ? std::string() : replacements[i % replacements.size()];
    if (text.size() - tag.size() + with.size() > maxBytes) return std::nullopt;
    text.replace(p, tag.size(), with);
  }
  return text;
}

void Run(FuzzInput in) {
  const std::size_t count = in.Byte() % 32;
  const std::uint8_t flags = in.Byte();
  const Text text(in.Piece());
  const Text tag(in.Piece());
  std::vector<std::string> pieces;
  while (!in.Empty()) pieces.emplace_back(in.Piece());

  // A size limit the text sometimes reaches: the pass must stop exactly where the plain
  // definition would pass it.
  const std::size_t limit = text.size() + (flags >> 3) * 8;

  // The generator counts a tag's occurrences first, so an empty tag is never replaced.
  if (!tag.empty()) {
    Text expanded = text;
    const bool done = ReplaceFirstRepeatedly(
                          expanded, tag, count,
                          [&](std::size_t i) -> std::string_view {
                            return pieces.empty() ? std::string_view()
                                                  : std::string_view(pieces[i % pieces.size()]);
                          },
                          limit)
                          .has_value();
    const std::optional<std::string> expected = ReplaceFirstTimes(text, tag, count, pieces, limit);
    Check(done == expected.has_value(), "ReplaceFirstRepeatedly stops at the limit");
    Check(!done || expanded == *expected, "ReplaceFirstRepeatedly");
  }

  // The rules in file and line order; rule files never hold an empty find text.
  std::vector<SynonymRule> rules;
  for (std::size_t i = 0; i + 1 < pieces.size(); i += 2) {
    if (!pieces[i].empty()) rules.push_back({pieces[i], pieces[i + 1]});
  }
  Text expected = text;
  bool withinLimit = true;
  for (const SynonymRule& rule : rules) {
    expected = ref::Replace(expected, rule.find, rule.replacement, 0, -1, false);
    // Rules that keep multiplying the text only make runs slow.
    if (expected.size() > kMaxGrownText) return;
    withinLimit = withinLimit && expected.size() <= limit;
  }
  const SynonymSet set(std::move(rules));
  Text synonyms = text;
  Check(ApplyRules(synonyms, set, kMaxGrownText), "ApplyRules within a wide limit");
  Check(synonyms == expected, "ApplyRules");
  Text limited = text;
  Check(ApplyRules(limited, set, limit) == withinLimit, "ApplyRules stops at the limit");
}

}  // namespace
}  // namespace wordloom::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size <= wordloom::fuzz::kMaxInputSize) wordloom::fuzz::Run({data, size});
  return 0;
}
