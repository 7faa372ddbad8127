// The synonym pass: the rules of the synonym files, applied one after another to the text.
#pragma once

#include <memory>
#include <vector>

#include "generator/draw_cache.h"
#include "services/text.h"

namespace wordloom {

struct SynonymRule {
  Text find;
  Text replacement;
};

// The rules of one synonym file, cut once per version of the file the draw cache holds.
// A line without a replacement (no "=>", nothing after it) or with an empty find text is
// no rule at all.
const std::vector<SynonymRule>& RulesOf(const Text& path,
                                        const std::shared_ptr<const LineIndex>& lines);

// Applies the rules in order to the whole text, each replacing every occurrence of its
// find text; a later rule sees what the earlier ones made, inserted text is not rescanned.
// False when a rule would make the text longer than `maxBytes`: the text then stays as it
// was before that rule.
bool ApplyRules(Text& text, const std::vector<const std::vector<SynonymRule>*>& ruleLists,
                std::size_t maxBytes);

}  // namespace wordloom
