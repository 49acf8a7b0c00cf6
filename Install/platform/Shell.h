// Shell services: known folders, the sub-folders of a shell folder, shortcuts,
// the Recycle Bin and the "open" verb.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace platform {

enum class KnownFolder {
  ProgramFiles,       // Program Files as a 32-bit program sees it
  CommonDocuments,    // Public Documents
  Documents,          // the user's Documents
  RoamingAppData,     // the user's roaming application data
  StartMenuPrograms,  // the user's Start-menu "Programs" folder
  Windows,            // the Windows folder
  Profile,            // the user's profile folder
  Desktop,            // the user's Desktop
};

// The folder's path without a trailing backslash; "" when the shell cannot resolve it.
std::string KnownFolderPath(KnownFolder folder);
// Display names of the non-hidden sub-folders of a known folder, in the shell's
// order; empty when the folder cannot be enumerated.
std::vector<std::string> ShellSubfolderNames(KnownFolder folder);

struct ShortcutInfo {
  std::string targetPath;
  std::string workingDir;
};
// Writes a .lnk file with only the target and the working folder set.
bool CreateShortcut(const std::string& linkPath, const ShortcutInfo& info);
std::optional<ShortcutInfo> ReadShortcut(const std::string& linkPath);

// Moves a file or a folder with its content to the Recycle Bin, silently.
bool MoveToRecycleBin(const std::string& path);
// The shell's "open" verb on a file, folder or web address, with the
// parameters for a program when there are any.
bool ShellOpen(const std::string& target, const std::string& parameters = "");

}  // namespace platform
