// The console on the simulated machine: the process's own standard handles.
#include "platform/Dialogs.h"

#include <cstdio>
#include <iostream>


namespace platform {

void AttachConsole() {}

void ConsoleWrite(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

std::string ConsoleReadLine() {
  std::string line;
  if (!std::getline(std::cin, line)) return {};
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

}  // namespace platform
