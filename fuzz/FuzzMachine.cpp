#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "FuzzSupport.h"
#include "platform/simwin/Machine.h"

namespace {

std::string& MachineFolder() {
  static std::string folder;
  return folder;
}

}  // namespace

void CreateFuzzMachine() {
  std::string pattern = "/tmp/vexorin-fuzz-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make a machine folder");
  MachineFolder() = pattern;
  std::atexit([] {
    std::error_code ec;
    std::filesystem::remove_all(MachineFolder(), ec);
  });
  simwin::Machine::Create(pattern + "/m", "Fuzzer");
  ::setenv("SIMWIN_ROOT", (pattern + "/m").c_str(), 1);
  simwin::Machine::Reset();
}
