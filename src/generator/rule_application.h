// The synonym pass: the rules applied one after another to the text, each replacing every
// occurrence of its find text in the text the rules before it left (at character boundaries,
// left to right, its own insertions not searched again). The work follows the occurrences:
// one scan finds which rules occur at all, and after each replacement only the stretch around
// it is searched again, for the rules still to come.
#pragma once

#include <cstddef>

#include "generator/synonym_rules.h"
#include "services/text.h"

namespace wordloom {

// False when a rule would make the text longer than `maxBytes`: the text then stays as it
// was before that rule.
bool ApplyRules(Text& text, const SynonymSet& rules, std::size_t maxBytes);

}  // namespace wordloom
