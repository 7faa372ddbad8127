// A synthetic store of the size the store check must get through quickly: many libraries,
// a million lines and a hundred templates, with the tags calling one another the way real
// stores do (sentences holding keyword tags, a few holding the tag of a later library).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace wordloom::bench {

struct CheckStoreShape {
  std::size_t sentenceLibraries = 700;
  std::size_t keywordLibraries = 300;
  std::size_t lines = 1000000;  // over all libraries; keyword libraries hold 2% of them
  std::size_t templates = 100;
  std::size_t synonyms = 1000;
  std::uint32_t seed = 1;  // the same shape and seed give the same store
};

// Writes the store into the folder, which must not hold a store yet. Throws
// std::runtime_error.
void MakeCheckStore(const std::string& fsFolder, const CheckStoreShape& shape);

}  // namespace wordloom::bench
