// The store check: reads the whole resource store under the run directory (never writes)
// and says what is wrong and where, before it spoils articles: registry entries that name
// no usable library, files that cannot be read or are in the wrong encoding, tags that no
// registry knows or that mix with one another, expansions that can outgrow the article
// limit; and how much variety each template has.
#pragma once

#include <atomic>
#include <cstddef>
#include <vector>

#include "check/finding.h"
#include "services/text.h"

namespace wordloom::check {

struct CheckOptions {
  // Template file names (with ".txt"); when given, the findings in templates and the
  // variety lines are limited to these. Every template still counts as a use of a tag.
  std::vector<Text> templates;
  // When it becomes true the check stops soon, with what it has found so far.
  const std::atomic<bool>* cancel = nullptr;
};

struct CheckReport {
  std::vector<Finding> findings;  // sorted: errors, warnings, then the variety lines
  std::size_t errors = 0;
  std::size_t warnings = 0;
  bool cancelled = false;
};

CheckReport CheckStore(const CheckOptions& options = {});

// How the variety lines are estimated, in a few sentences (UTF-8), for the help texts.
const char* VarietyMethod();
const char* VarietyMethodChinese();

}  // namespace wordloom::check
