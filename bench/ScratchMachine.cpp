#include "ScratchMachine.h"

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <vector>

#include "platform/simwin/Machine.h"

std::string CreateScratchMachine(const std::string& hostBase) {
  static std::vector<std::string> made;
  if (made.empty()) {
    std::atexit([] {
      for (const auto& folder : made) std::filesystem::remove_all(folder);
    });
  }
  std::string pattern = hostBase + "/vexorin-bench-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make a machine folder");
  made.push_back(pattern);
  simwin::Machine::Create(pattern + "/m", "Bench");
  ::setenv("SIMWIN_ROOT", (pattern + "/m").c_str(), 1);
  simwin::Machine::Reset();
  return pattern;
}
