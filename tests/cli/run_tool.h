// Runs a built program as a child process and collects what it wrote.
#pragma once

#include <string>
#include <vector>

namespace wordloom::testing {

struct ToolRun {
  int status = -1;  // the exit status, or 128 + the signal that ended it
  bool timedOut = false;
  std::string out;
  std::string err;
};

struct ToolRunOptions {
  std::string workingDirectory;   // empty: the test's own
  bool stderrOnTerminal = false;  // standard error on a pseudo-terminal instead of a pipe
  int timeoutSeconds = 60;        // then the tool is killed: a hang fails the test, not CI
};

ToolRun RunTool(const std::string& program, const std::vector<std::string>& args,
                const ToolRunOptions& options = {});

// The bytes of a file the tool wrote ("" when it cannot be read).
std::string Contents(const std::string& path);

}  // namespace wordloom::testing
