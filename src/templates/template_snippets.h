// The texts the insertion buttons put into a template, byte for byte as they reach the file.
#pragma once

#include "services/text.h"

namespace wordloom::snippets {

const Text& Paragraph();      // <p></p>
const Text& Heading();        // <h2></h2>
const Text& OrderedList();    // six lines: <ol>, an item indented by TAB, a paragraph by two
const Text& UnorderedList();  // the same with <ul>
const Text& Tab();            // one TAB

}  // namespace wordloom::snippets
