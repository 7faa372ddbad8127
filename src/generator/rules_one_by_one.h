// The synonym pass the plain way: each rule a scan of the whole text. It costs the rule count
// times the text, so the pass takes it only for what is left of a text whose occurrences are
// too many to keep track of one by one.
#pragma once

#include <cstddef>
#include <cstdint>

#include "generator/synonym_rules.h"
#include "services/text.h"

namespace wordloom {

// Applies the rules from `firstRule` on. False when a rule would make the text longer than
// `maxBytes`: the text then stays as it was before that rule.
bool ApplyRulesOneByOne(Text& text, const SynonymSet& rules, std::uint32_t firstRule,
                        std::size_t maxBytes);

}  // namespace wordloom
