#include <stdlib.h>
#include <unistd.h>

#include <stdexcept>

#include "BenchSupport.h"
#include "ScratchMachine.h"
#include "platform/FileSystem.h"
#include "platform/simwin/Machine.h"

std::string ScratchFolder() { return "C:\\Bench"; }

std::string PrepareTestChild() {
  static std::string child;
  if (!child.empty()) return child;
  CreateScratchMachine("/tmp");
  platform::MakeDirectory(ScratchFolder());
  child = ScratchFolder() + "\\testchild.exe";
  uint32_t error = 0;
  const auto host = simwin::Machine::Current().HostPath(child, error);
  if (!host || ::symlink(TESTCHILD_PATH, host->c_str()) != 0) throw std::runtime_error("cannot place the test child");
  return child;
}
