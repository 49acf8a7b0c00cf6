// Host-side helpers of the simwin-only tests: running a command line and
// reading or writing a file of the host directly.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

struct CommandResult {
  int exitCode;
  std::string output;
};

// Runs a shell command line with standard input closed, capturing standard
// output and error together.
inline CommandResult RunCommand(const std::string& command) {
  CommandResult run{-1, {}};
  FILE* pipe = ::popen((command + " </dev/null 2>&1").c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.output.append(buffer, n);
  const int status = ::pclose(pipe);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

inline std::string ReadHost(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void WriteHost(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}
