#include <stdlib.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>

#include "TestMachine.h"
#include "platform/FileSystem.h"
#include "platform/simwin/Machine.h"

TestMachine::TestMachine() {
  char pattern[] = "/tmp/vexorin-machine-XXXXXX";
  const char* made = ::mkdtemp(pattern);
  if (made == nullptr) throw std::runtime_error("cannot make a machine folder");
  hostRoot_ = made;
  simwin::Machine::Create(hostRoot_ + "/m", "Tester");
  ::setenv("SIMWIN_ROOT", (hostRoot_ + "/m").c_str(), 1);
  simwin::Machine::Reset();
  dir_ = "C:\\Scratch";
  platform::MakeDirectory(dir_);
  key_ = "Software\\VexorinTest\\Scratch";
}

TestMachine::~TestMachine() {
  simwin::Machine::Reset();
  ::unsetenv("SIMWIN_ROOT");
  std::error_code ec;
  std::filesystem::remove_all(hostRoot_, ec);
}
