// System information: Windows version, error texts, file version resources,
// running processes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct WindowsVersionInfo {
  uint32_t major = 0;
  uint32_t minor = 0;
  uint32_t build = 0;
  std::string servicePack;  // e.g. "Service Pack 1"; empty when none
};
WindowsVersionInfo WindowsVersion();

// The system's message text for an error code in the user's default language,
// with the line break it ends with; "" when the system has none.
std::string SystemErrorText(uint32_t code);

struct FileVersionNumbers {
  uint16_t major = 0;
  uint16_t minor = 0;
  uint16_t release = 0;
  uint16_t build = 0;
};
// The file version from a file's version resource; nullopt when it has none.
std::optional<FileVersionNumbers> FileVersionOf(const std::string& path);

struct ProcessInfo {
  uint32_t pid = 0;
  std::string exeName;                   // the executable's file name
  std::vector<std::string> modulePaths;  // full paths of its modules, the executable first
};
// The running processes. Listing a process's modules costs far more than
// listing the process, so they are listed only for the processes whose
// executable's file name is `modulesOf` (compared without regard to ASCII
// case); an empty `modulesOf` lists them for every process.
std::vector<ProcessInfo> ProcessSnapshot(std::string_view modulesOf = {});

}  // namespace platform
