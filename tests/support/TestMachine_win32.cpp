#include <atomic>
#include <chrono>
#include <string>

#include "TestMachine.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"

namespace {
std::atomic<int> counter{0};
}

TestMachine::TestMachine() {
  const std::string unique =
      std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) + "-" + std::to_string(counter++);
  dir_ = platform::TempDirectory() + "VexorinTest-" + unique;
  platform::MakeDirectory(dir_);
  key_ = "Software\\VexorinTest\\" + unique;
}

TestMachine::~TestMachine() {
  RemoveTree(dir_);
  platform::RegDeleteKeyTree(platform::RegRoot::CurrentUser, key_);
  platform::RegDeleteKeyTree(platform::RegRoot::LocalMachine, key_);
  platform::RegDeleteKeyTree(platform::RegRoot::CurrentUser, "Software\\VexorinTest");
  platform::RegDeleteKeyTree(platform::RegRoot::LocalMachine, "Software\\VexorinTest");
}
