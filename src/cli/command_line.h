// The command lines of the tools, on CLI11: "--name VALUE" and "--name=VALUE", flags that
// take no value, "--" before arguments that begin with "-", and every mistake reported as
// one line in the tools' own words, so each tool says the same thing the same way.
#pragma once

#include <CLI/CLI.hpp>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace wordloom::cli {

// Exit statuses every tool shares.
inline constexpr int kDone = 0;
inline constexpr int kFailure = 1;
inline constexpr int kUsage = 2;

class CommandLine {
 public:
  CommandLine();

  // An option with a value; `needs` says what is missing when none is given ("a number").
  void AddValue(const std::string& name, std::optional<std::string>& target,
                const std::string& needs);
  // An option without a value ("--name=x" is refused).
  void AddFlag(const std::string& name, bool& target);
  // The plain arguments, in order (any number; the tool checks how many it needs).
  void AddArguments(const std::string& name, std::vector<std::string>& target);
  // "--version": Parse then prints "PROGRAM VERSION" and ends the process with kDone,
  // whatever else the command line holds, as the launcher relies on.
  void AddVersion(const std::string& program);

  // Parses the arguments after the program name; the mistake as one line, or nothing.
  std::optional<std::string> Parse(int argc, const char* const* argv);

 private:
  CLI::App app_;
  std::vector<std::pair<std::string, std::string>> needs_;  // option name, what it needs
  std::vector<std::optional<std::string>*> values_;
  std::vector<std::string>* arguments_ = nullptr;
  std::string versionOf_;  // the program that answers --version; empty: no such option
};

// Plain decimal digits only, at most `max`: no sign, no blanks, nothing after them.
std::optional<std::uint64_t> ParseNumber(std::string_view text, std::uint64_t max);

// "PROGRAM: MESSAGE" on standard error.
void Complain(const std::string& program, const std::string& message);

}  // namespace wordloom::cli
