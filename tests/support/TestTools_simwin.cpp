#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "TestTools.h"
#include "platform/simwin/Machine.h"

void InstallProgram(const std::string& builtPath, const std::string& windowsPath) {
  uint32_t error = 0;
  const auto host = simwin::Machine::Current().HostPath(windowsPath, error);
  ASSERT_TRUE(host) << windowsPath << " error " << error;
  // A link is enough: the program learns its Windows path from the machine.
  ::unlink(host->c_str());
  ASSERT_EQ(::symlink(builtPath.c_str(), host->c_str()), 0) << *host;
}

std::string BuildPathAsWindowsPath(const std::string& builtPath) { return builtPath; }

struct RunningProcess::Impl {
  std::vector<std::vector<std::string>> before;
};

RunningProcess::RunningProcess(const std::string& windowsPath) : impl_(std::make_unique<Impl>()) {
  auto settings = simwin::Machine::Current().Settings();
  impl_->before = settings.processes;
  settings.processes.push_back({windowsPath});
  simwin::Machine::Current().UpdateSettings(settings);
}

RunningProcess::~RunningProcess() {
  auto settings = simwin::Machine::Current().Settings();
  settings.processes = impl_->before;
  simwin::Machine::Current().UpdateSettings(settings);
}

ProgramInPackage::ProgramInPackage(const std::string& dir, const std::vector<std::string>& /*files*/) {
  if (const char* exe = std::getenv("SIMWIN_EXE")) savedExe_ = exe;
  ::setenv("SIMWIN_EXE", (dir + "\\setup.exe").c_str(), 1);
}

ProgramInPackage::~ProgramInPackage() {
  if (savedExe_.empty()) {
    ::unsetenv("SIMWIN_EXE");
  } else {
    ::setenv("SIMWIN_EXE", savedExe_.c_str(), 1);
  }
}

std::string FolderThatCannotBeCreated(const std::string& dir) {
  const std::string folder = dir + "\\Denied";
  simwin::Machine::Current().AddFault(simwin::FaultKind::FileCreate, folder);
  return folder;
}

void SetRawRegistryValue(platform::RegRoot root, const std::string& key, const std::string& name, uint32_t type,
                         const std::string& bytes) {
  auto& machine = simwin::Machine::Current();
  auto& hive = machine.Hive();
  auto& node = hive.CreateKey(root == platform::RegRoot::LocalMachine ? hive.LocalMachine() : hive.CurrentUser(), key);
  node.SetValue(name, type, std::vector<uint8_t>(bytes.begin(), bytes.end()));
  ASSERT_TRUE(machine.SaveHive()) << key << " " << name;
}
