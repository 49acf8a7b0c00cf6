// Standard handles of a program on the simulated machine: the host's.
#include "platform/ConsoleIO.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/Environment.h"
#include "platform/simwin/CommandLine.h"

namespace platform {

namespace {

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

}  // namespace

bool WriteStdOut(std::string_view bytes) { return WriteAll(1, bytes); }

bool WriteStdErr(std::string_view bytes) { return WriteAll(2, bytes); }

std::string ReadStdInToEnd() {
  std::string data;
  char buffer[4096];
  for (;;) {
    const ssize_t n = ::read(0, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    data.append(buffer, static_cast<size_t>(n));
  }
  return data;
}

std::string OwnCommandLine() {
  // A program started inside the machine is told its Windows command line;
  // one started from the host gets its arguments quoted back.
  if (const char* line = std::getenv("SIMWIN_COMMAND_LINE")) return line;
  std::string line = simwin::QuoteWindowsArgument(ExecutablePath());
  for (const auto& arg : CommandLineArguments()) {
    line.push_back(' ');
    line.append(simwin::QuoteWindowsArgument(arg));
  }
  return line;
}

}  // namespace platform
