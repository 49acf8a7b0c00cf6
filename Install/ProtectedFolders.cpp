#include "ProtectedFolders.h"

#include <vector>

#include "Utils.h"
#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "platform/Shell.h"
#include "platform/Text.h"

namespace {

// The folder in a form fit for comparison: absolute, single backslashes,
// no trailing backslash.
std::string Normalised(const std::string& path) {
  std::string full = platform::FullPathOf(path);
  if (full.empty()) full = path;
  return ExcludeTrailingPathDelimiter(CollapseBackslashes(full));
}

bool IsDriveRoot(const std::string& path) {
  if (path.size() <= 2 && (path.empty() || path.back() == ':')) return true;
  // A share root, "\\server\share": no folder below the share.
  if (path.rfind("\\\\", 0) == 0) {
    const size_t server = path.find('\\', 2);
    return server == std::string::npos || path.find('\\', server + 1) == std::string::npos;
  }
  return false;
}

std::vector<std::string> SystemAndUserFolders() {
  std::vector<std::string> folders;
  for (platform::KnownFolder folder : platform::kAllKnownFolders) {
    const std::string path = platform::KnownFolderPath(folder);
    if (!path.empty()) folders.push_back(Normalised(path));
  }
  folders.push_back(Normalised(platform::SystemDirectory()));
  folders.push_back(Normalised(platform::TempDirectory()));
  // The native folders of a 64-bit Windows, which a 32-bit program is not
  // told of, and the variables that name system and user folders.
  for (const char* name : {"ProgramW6432", "ProgramFiles", "ProgramFiles(x86)", "CommonProgramW6432",
                           "CommonProgramFiles", "CommonProgramFiles(x86)", "ProgramData", "ALLUSERSPROFILE",
                           "SystemRoot", "USERPROFILE", "LOCALAPPDATA", "APPDATA", "TEMP", "TMP", "PUBLIC"}) {
    if (auto value = platform::GetEnv(name); value && !value->empty()) folders.push_back(Normalised(*value));
  }
  // The system folder of the native side, as the variables name it.
  if (auto root = platform::GetEnv("SystemRoot"); root && !root->empty()) {
    for (const char* name : {"\\System32", "\\SysWOW64", "\\Sysnative"}) folders.push_back(Normalised(*root + name));
  }
  return folders;
}

}  // namespace

std::string WhyFolderProtected(const std::string& path) {
  // "C:" alone is a drive's current folder to the system, but the removal
  // appends "\" and a name to it.
  const std::string folder = Normalised(path);
  if (IsDriveRoot(folder) || IsDriveRoot(ExcludeTrailingPathDelimiter(path))) return "it is a drive root";
  const std::string prefix = folder + "\\";
  for (const std::string& known : SystemAndUserFolders()) {
    if (platform::SameTextAscii(known, folder)) return "it is a system or user folder (" + known + ")";
    if (known.size() > prefix.size() && platform::SameTextAscii(known.substr(0, prefix.size()), prefix)) {
      return "it holds a system or user folder (" + known + ")";
    }
  }
  return {};
}
