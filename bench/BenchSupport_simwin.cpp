#include <stdlib.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "BenchSupport.h"
#include "platform/FileSystem.h"
#include "platform/simwin/Machine.h"

std::string ScratchFolder() { return "C:\\Bench"; }

std::string PrepareTestChild() {
  static std::string child;
  if (!child.empty()) return child;
  char pattern[] = "/tmp/vexorin-bench-XXXXXX";
  const char* root = ::mkdtemp(pattern);
  if (root == nullptr) throw std::runtime_error("cannot make a machine folder");
  static std::string hostRoot;
  hostRoot = root;
  std::atexit([] { std::filesystem::remove_all(hostRoot); });
  const std::string machine = hostRoot + "/m";
  simwin::Machine::Create(machine, "Bench");
  ::setenv("SIMWIN_ROOT", machine.c_str(), 1);
  simwin::Machine::Reset();
  platform::MakeDirectory(ScratchFolder());
  child = ScratchFolder() + "\\testchild.exe";
  uint32_t error = 0;
  const auto host = simwin::Machine::Current().HostPath(child, error);
  if (!host || ::symlink(TESTCHILD_PATH, host->c_str()) != 0) throw std::runtime_error("cannot place the test child");
  return child;
}
