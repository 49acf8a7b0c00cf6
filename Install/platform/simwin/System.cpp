// System information of the simulated machine, from machine.ini and the files
// inside it.
#include "platform/System.h"

#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "platform/simwin/Machine.h"
#include "platform/simwin/PeVersion.h"

namespace platform {

WindowsVersionInfo WindowsVersion() {
  const auto& s = simwin::Machine::Current().Settings();
  return {s.versionMajor, s.versionMinor, s.versionBuild, s.servicePack};
}

std::string SystemErrorText(uint32_t code) { return simwin::Machine::Current().ErrorText(code); }

std::optional<FileVersionNumbers> FileVersionOf(const std::string& path) {
  auto bytes = ReadFileBytes(path);
  if (!bytes) return std::nullopt;
  auto version = simwin::ReadPeFileVersion(std::vector<uint8_t>(bytes->begin(), bytes->end()));
  if (!version) return std::nullopt;
  return FileVersionNumbers{version->major, version->minor, version->release, version->build};
}

std::vector<ProcessInfo> ProcessSnapshot(std::string_view modulesOf) {
  std::vector<ProcessInfo> list;
  uint32_t pid = 1000;
  for (const auto& paths : simwin::Machine::Current().Settings().processes) {
    ProcessInfo info;
    info.pid = pid;
    pid += 4;
    info.exeName = paths.front().substr(paths.front().find_last_of("\\/") + 1);
    if (modulesOf.empty() || SameTextAscii(info.exeName, modulesOf)) info.modulePaths = paths;
    list.push_back(info);
  }
  return list;
}

}  // namespace platform
