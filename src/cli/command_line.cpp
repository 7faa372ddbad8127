#include "cli/command_line.h"

#include <cstdio>
#include <cstdlib>

#include "services/version.h"

namespace wordloom::cli {

CommandLine::CommandLine() {
  app_.set_help_flag();  // each tool prints its own help text
  app_.allow_extras(true);
  app_.positionals_at_end(false);
}

void CommandLine::AddValue(const std::string& name, std::optional<std::string>& target,
                           const std::string& needs) {
  // A missing value is told apart from a wrong one: CLI11 gives an empty list for it.
  app_.add_option_function<std::vector<std::string>>(
          name,
          [&target](const std::vector<std::string>& given) {
            target = given.empty() ? std::string() : given.back();
          })
      ->expected(0, 1)
      ->allow_extra_args(false);
  needs_.emplace_back(name, needs);
  values_.push_back(&target);
}

void CommandLine::AddFlag(const std::string& name, bool& target) {
  app_.add_flag(name, target)->disable_flag_override();
}

void CommandLine::AddArguments(const std::string& name, std::vector<std::string>& target) {
  app_.add_option(name, target);
  arguments_ = &target;
}

void CommandLine::AddVersion(const std::string& program) { versionOf_ = program; }

std::optional<std::string> CommandLine::Parse(int argc, const char* const* argv) {
  // What follows "--" are plain arguments, also when they begin with "-".
  int optionsEnd = 1;
  while (optionsEnd < argc && std::string_view(argv[optionsEnd]) != "--") ++optionsEnd;
  if (!versionOf_.empty()) {
    for (int i = 1; i < optionsEnd; ++i) {
      if (std::string_view(argv[i]) == "--version") {
        std::printf("%s %s\n", versionOf_.c_str(), kVersion);
        std::exit(std::fflush(stdout) == 0 ? kDone : kFailure);
      }
    }
  }
  try {
    app_.parse(optionsEnd, argv);
  } catch (const CLI::ArgumentMismatch& e) {
    // The one mismatch left is a flag given a value; CLI11 names the flag first.
    const std::string what = e.what();
    return "option --" + what.substr(0, what.find(' ')) + " takes no value";
  } catch (const CLI::ParseError& e) {
    return std::string(e.what());
  }
  for (const std::string& extra : app_.remaining()) {
    if (extra.size() > 1 && extra[0] == '-') return "unknown option: " + extra;
  }
  if (arguments_ != nullptr) {
    for (int i = optionsEnd + 1; i < argc; ++i) arguments_->emplace_back(argv[i]);
  }
  for (std::size_t i = 0; i < needs_.size(); ++i) {
    const std::string& name = needs_[i].first;
    if (app_.get_option(name)->count() > 0 && values_[i]->has_value() && (*values_[i])->empty()) {
      return "option " + name + " needs " + needs_[i].second;
    }
  }
  return std::nullopt;
}

std::optional<std::uint64_t> ParseNumber(std::string_view text, std::uint64_t max) {
  if (text.empty() || text.size() > 20) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    const std::uint64_t digit = static_cast<std::uint64_t>(c - '0');
    if (value > (max - digit) / 10) return std::nullopt;
    value = value * 10 + digit;
  }
  return value;
}

void Complain(const std::string& program, const std::string& message) {
  std::fprintf(stderr, "%s: %s\n", program.c_str(), message.c_str());
}

}  // namespace wordloom::cli
