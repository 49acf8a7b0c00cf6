// Process environment inside the simulated machine: the Windows-side variables
// of machine.ini, a Windows current folder, the program's Windows path.
#include "platform/Environment.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "platform/simwin/Machine.h"
#include "platform/simwin/WinPath.h"

namespace platform {

namespace {

std::vector<std::string>& Arguments() {
  static std::vector<std::string> args;
  return args;
}

auto FindVar(std::vector<std::pair<std::string, std::string>>& env, const std::string& name) {
  return std::find_if(env.begin(), env.end(), [&](const auto& v) { return SameTextAscii(v.first, name); });
}

}  // namespace

std::optional<std::string> GetEnv(const std::string& name) {
  auto& env = simwin::Machine::Current().Environment();
  auto it = FindVar(env, name);
  if (it == env.end()) return std::nullopt;
  return it->second;
}

bool SetEnv(const std::string& name, const std::string& value) {
  if (name.empty() || name.find('=') != std::string::npos) {
    SetLastErrorCode(87);
    return false;
  }
  auto& env = simwin::Machine::Current().Environment();
  auto it = FindVar(env, name);
  if (it == env.end()) {
    env.emplace_back(name, value);
  } else {
    it->second = value;
  }
  return true;
}

bool UnsetEnv(const std::string& name) {
  auto& env = simwin::Machine::Current().Environment();
  auto it = FindVar(env, name);
  if (it != env.end()) env.erase(it);
  return true;
}

std::vector<std::pair<std::string, std::string>> EnvironmentBlock() {
  auto env = simwin::Machine::Current().Environment();
  std::stable_sort(env.begin(), env.end(),
                   [](const auto& a, const auto& b) { return CompareTextAscii(a.first, b.first) < 0; });
  return env;
}

std::string GetCurrentDir() { return simwin::Machine::Current().CurrentDir(); }

bool SetCurrentDir(const std::string& path) {
  auto& machine = simwin::Machine::Current();
  uint32_t error = 0;
  auto full = machine.FullPath(path, error);
  if (!full) {
    SetLastErrorCode(error);
    return false;
  }
  if (!DirectoryExists(*full)) {
    SetLastErrorCode(FileExists(*full) ? simwin::kErrDirectory : simwin::kErrFileNotFound);
    return false;
  }
  machine.SetCurrentDir(*full);
  return true;
}

std::string ExecutablePath() {
  if (const char* exe = std::getenv("SIMWIN_EXE"); exe != nullptr && *exe != '\0') return exe;
  auto& machine = simwin::Machine::Current();
  std::error_code ec;
  const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (!ec) {
    if (auto windows = machine.WindowsPathOf(self.string())) return *windows;
  }
  if (!machine.Settings().executable.empty()) return machine.Settings().executable;
  return "C:\\setup.exe";
}

std::vector<std::string> CommandLineArguments() { return Arguments(); }

void SetProcessArguments(int argc, char** argv) { Arguments().assign(argv + (argc > 0 ? 1 : 0), argv + argc); }

}  // namespace platform
