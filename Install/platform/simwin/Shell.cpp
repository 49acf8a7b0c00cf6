// Shell services of the simulated machine. Shortcuts are real .lnk files, the
// Recycle Bin is the drive's $Recycle.Bin folder, and what the shell is asked
// to open is recorded in shell.log.
#include "platform/Shell.h"

#include <filesystem>

#include "platform/FileSystem.h"
#include "platform/simwin/Machine.h"
#include "platform/simwin/OperationFaults.h"
#include "platform/simwin/ShellLink.h"
#include "platform/simwin/WinPath.h"

namespace platform {

namespace {

const char* FolderKey(KnownFolder folder) {
  switch (folder) {
    case KnownFolder::ProgramFiles:
      return "program-files";
    case KnownFolder::CommonDocuments:
      return "common-documents";
    case KnownFolder::Documents:
      return "documents";
    case KnownFolder::RoamingAppData:
      return "roaming-app-data";
    case KnownFolder::StartMenuPrograms:
      return "start-menu-programs";
    case KnownFolder::Windows:
      return "windows";
    case KnownFolder::Profile:
      return "profile";
    case KnownFolder::Desktop:
      return "desktop";
    case KnownFolder::System:
      return "system";
    case KnownFolder::SystemX86:
      return "system-x86";
    case KnownFolder::CommonAppData:
      return "common-app-data";
    case KnownFolder::CommonFiles:
      return "common-files";
    case KnownFolder::CommonFilesX86:
      return "common-files-x86";
    case KnownFolder::LocalAppData:
      return "local-app-data";
    case KnownFolder::Startup:
      return "startup";
    case KnownFolder::CommonStartup:
      return "common-startup";
  }
  return "";
}

}  // namespace

std::string KnownFolderPath(KnownFolder folder) {
  const auto& folders = simwin::Machine::Current().Settings().folders;
  auto it = folders.find(FolderKey(folder));
  if (it == folders.end()) return {};
  std::string path = it->second;
  while (path.size() > 3 && path.back() == '\\') path.pop_back();
  return path;
}

std::vector<std::string> ShellSubfolderNames(KnownFolder folder) {
  std::vector<std::string> names;
  const std::string path = KnownFolderPath(folder);
  std::vector<DirEntry> entries;
  if (path.empty() || !FindEntries(path + "\\*", entries)) return names;
  for (const auto& e : entries) {
    if (e.isDirectory && e.name != "." && e.name != ".." && (e.attributes & kAttrHidden) == 0) names.push_back(e.name);
  }
  return names;
}

bool CreateShortcut(const std::string& linkPath, const ShortcutInfo& info) {
  simwin::ShellLinkData data;
  data.targetPath = info.targetPath;
  data.workingDir = info.workingDir;
  const auto bytes = simwin::WriteShellLink(data);
  return WriteFileBytes(linkPath, std::string(bytes.begin(), bytes.end()));
}

std::optional<ShortcutInfo> ReadShortcut(const std::string& linkPath) {
  auto bytes = ReadFileBytes(linkPath);
  if (!bytes) return std::nullopt;
  auto data = simwin::ReadShellLink(std::vector<uint8_t>(bytes->begin(), bytes->end()));
  if (!data) return std::nullopt;
  return ShortcutInfo{data->targetPath, data->workingDir};
}

bool MoveToRecycleBin(const std::string& path) {
  auto& machine = simwin::Machine::Current();
  uint32_t error = 0;
  auto full = machine.FullPath(path, error);
  if (!full) {
    SetLastErrorCode(error);
    return false;
  }
  if (full->size() <= 3) {  // a drive root cannot be recycled
    SetLastErrorCode(simwin::kErrAccessDenied);
    return false;
  }
  if (!FileExists(*full) && !DirectoryExists(*full)) {
    SetLastErrorCode(simwin::kErrFileNotFound);
    return false;
  }
  if (machine.IsFaultedWithin(simwin::FaultKind::FileDelete, *full)) {
    SetLastErrorCode(simwin::kErrAccessDenied);
    return false;
  }
  if (const uint32_t code = simwin::CountOperation(simwin::OperationClass::File, "recycle", *full)) {
    SetLastErrorCode(code);
    return false;
  }
  const std::string bin = full->substr(0, 3) + "$Recycle.Bin";
  if (!DirectoryExists(bin) && !MakeDirectory(bin)) return false;
  const std::string name = full->substr(full->rfind('\\') + 1);
  std::string target = bin + "\\" + name;
  for (int n = 2; FileExists(target) || DirectoryExists(target); ++n) {
    target = bin + "\\" + name + " (" + std::to_string(n) + ")";
  }
  // The bin is a place to keep things, not a place to create them: bypass
  // creation faults there, as the shell does with its own folder.
  auto src = machine.HostPathOfFull(*full, error);
  auto dst = machine.HostPath(target, error);
  if (!src || !dst) {
    SetLastErrorCode(error);
    return false;
  }
  std::error_code ec;
  std::filesystem::rename(*src, *dst, ec);
  if (ec) {
    SetLastErrorCode(simwin::kErrAccessDenied);
    return false;
  }
  return true;
}

bool ShellOpen(const std::string& target, const std::string& parameters) {
  simwin::Machine::Current().AppendShellLog("open\t" + target + (parameters.empty() ? "" : "\t" + parameters));
  return true;
}

}  // namespace platform
