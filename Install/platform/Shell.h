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
  System,             // the system folder (System32)
  SystemX86,          // the 32-bit system folder (SysWOW64 on a 64-bit Windows)
  CommonAppData,      // application data of all users (ProgramData)
  CommonFiles,        // Common Files below Program Files
  CommonFilesX86,     // Common Files below the 32-bit Program Files
  LocalAppData,       // the user's local application data
  Startup,            // the user's Start-menu Startup folder
  CommonStartup,      // the Startup folder of all users
};

// Every folder above, for those that must see them all (the removal guard).
inline constexpr KnownFolder kAllKnownFolders[] = {
    KnownFolder::ProgramFiles,   KnownFolder::CommonDocuments,   KnownFolder::Documents,
    KnownFolder::RoamingAppData, KnownFolder::StartMenuPrograms, KnownFolder::Windows,
    KnownFolder::Profile,        KnownFolder::Desktop,           KnownFolder::System,
    KnownFolder::SystemX86,      KnownFolder::CommonAppData,     KnownFolder::CommonFiles,
    KnownFolder::CommonFilesX86, KnownFolder::LocalAppData,      KnownFolder::Startup,
    KnownFolder::CommonStartup,
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
