// Making the installed suite reachable from Windows: the Start-menu group with
// its shortcuts, and the entry in the list of installed programs.
#include "Compile/Compiler.h"
#include "Compile/InstallData.h"
#include "SysUtils.h"
#include "Utils.h"
#include "WebAddresses.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "platform/Shell.h"

namespace {

struct Shortcut {
  const char* linkName;
  const char* target;      // below the demo or the installation folder
  const char* workingDir;  // the same; nullptr for none
  bool inDemoDir;
  bool withProviders = false;  // only for packages that offer the connectivity providers
};

// In the order the group lists them.
const Shortcut kShortcuts[] = {
    {"Vexorin Demo Project.lnk", "Demos\\DemoApp\\VXNDemo.dpr", "Demos\\DemoApp", true},
    {"Non-Visual Demo Project.lnk", "Demos\\NonVisualDemo\\NonVisualDemo.dpr", "Demos\\NonVisualDemo", true},
    {"Query Modification Demo.lnk", "Demos\\QueryModificationDemo\\QueryModificationDemo.dpr",
     "Demos\\QueryModificationDemo", true},
    {"Virtual Objects and Fields Demo.lnk", "Demos\\VirtualObjectsAndFields\\VirtualObjectsAndFields.dpr",
     "Demos\\VirtualObjectsAndFields", true},
    {"Alternate Names Demo.lnk", "Demos\\AlternateNames\\AlternateNames.dpr", "Demos\\AlternateNames", true},
    {"Append Criteria String Demo.lnk", "Demos\\ReplaceWhereClause\\ReplaceWhereClause.dpr",
     "Demos\\ReplaceWhereClause", true},
    {"Preview Sub-Query Results Demo.lnk", "Demos\\SubqueryResultsPreview\\SubqueryResultsPreview.dpr",
     "Demos\\SubqueryResultsPreview", true},
    // These two open in a folder named after the project, beside it.
    {"BDE Simple Demo Project.lnk", "Demos\\Standard\\BDE\\BDEDemo.dpr", "Demos\\Standard\\BDE\\BDEDemo", true},
    {"ADO Simple Demo Project.lnk", "Demos\\Standard\\ADO\\ADODemo.dpr", "Demos\\Standard\\ADO\\ADODemo", true},
    {"Metadata Loading Demo Project.lnk", "Demos\\LoadMetadataDemo\\LoadMetadataDemo.dpr", "Demos\\LoadMetadataDemo",
     true},
    {"Events Demo Project.lnk", "Demos\\EventsDemo\\EventsDemo.dpr", "Demos\\EventsDemo", true},
    {"Simple Demo Projects for Third-party Connection Libraries.lnk", "Demos\\ThirdParty", "Demos\\ThirdParty", true,
     true},
    {"Vexorin Help.lnk", "Help\\VxnHelp.chm", nullptr, false},
    {"Vexorin User's Guide.lnk", "Help\\UsersGuide.chm", nullptr, false},
    {"Vexorin Web Site.lnk", "Vexorin.url", nullptr, false},
    {"Uninstall Vexorin.lnk", "Uninstall\\setup.exe", "Uninstall", false},
};

}  // namespace

void TCompiler::CreateShortcuts() {
  const TInstallData& data = *InstallData;
  // Each level of the group is created on its own, so that a level that
  // cannot be made is reported with the system's reason.
  std::string folder = data.StartProgramsFolder();
  const std::string& group = data.StartFolderSelected();
  for (size_t begin = 0;;) {
    const size_t end = group.find('\\', begin);
    folder = IncludeTrailingPathDelimiter(folder) + group.substr(begin, end - begin);
    if (!platform::DirectoryExists(folder) && !platform::MakeDirectory(folder)) RaiseFileError("create folder", folder);
    if (end == std::string::npos) break;
    begin = end + 1;
  }
  if (platform::DirectoryExists(folder)) platform::ShellOpen(folder);

  const std::string demoDir = IncludeTrailingPathDelimiter(data.DemoDir());
  const std::string installDir = IncludeTrailingPathDelimiter(data.InstallDir());
  for (const Shortcut& shortcut : kShortcuts) {
    if (shortcut.withProviders && !data.AskMetaProviders()) continue;
    const std::string& base = shortcut.inDemoDir ? demoDir : installDir;
    platform::ShortcutInfo info{base + shortcut.target, shortcut.workingDir ? base + shortcut.workingDir : ""};
    platform::CreateShortcut(IncludeTrailingPathDelimiter(folder) + shortcut.linkName, info);
  }
}

void TCompiler::WriteUninstallEntry() {
  const TInstallData& data = *InstallData;
  platform::RegistryKey key;
  if (!key.OpenWrite(platform::RegRoot::LocalMachine, kUninstallRegistryKey, true)) return;
  const std::string version = data.Version().Version();
  const std::string uninstaller = IncludeTrailingPathDelimiter(data.InstallDir()) + "Uninstall\\setup.exe";
  key.WriteString("DisplayName", "Vexorin VCL Component " + version);
  key.WriteString("DisplayVersion", version);
  key.WriteString("HelpLink", web::kVendorHomePage);
  key.WriteString("InstallLocation", data.InstallDir());
  key.WriteString("Publisher", "Orlenta Software");
  key.WriteString("URLInfoAbout", web::kVendorHomePage);
  key.WriteString("URLUpdateInfo", web::kVendorHomePage);
  key.WriteString("UninstallString", uninstaller);
  key.WriteString("DisplayIcon", uninstaller + ",0");
}

void TCompiler::DeleteUninstallEntry() {
  platform::RegDeleteKeyTree(platform::RegRoot::LocalMachine, kUninstallRegistryKey);
}

void TCompiler::DeleteStartMenu() {
  RemoveShortcuts(InstallData->StartFolderSelected());
  const std::string& installed = InstallData->InstalledStartFolder();
  if (!installed.empty()) RemoveShortcuts(installed);
}

void TCompiler::RemoveShortcuts(const std::string& AGroup) {
  const std::string programs = ExcludeTrailingPathDelimiter(InstallData->StartProgramsFolder());
  if (programs.empty()) return;
  // The group's levels; a group that is empty or leaves the Programs folder
  // is not touched.
  std::vector<std::string> levels;
  std::string folder = programs;
  for (size_t begin = 0;;) {
    const size_t end = AGroup.find('\\', begin);
    const std::string part = AGroup.substr(begin, end - begin);
    if (part.empty() || part == "." || part == ".." || part.find_first_of("/:") != std::string::npos) return;
    folder += "\\" + part;
    levels.push_back(folder);
    if (end == std::string::npos) break;
    begin = end + 1;
  }
  if (!platform::DirectoryExists(folder)) return;
  for (const Shortcut& shortcut : kShortcuts) {
    const std::string link = folder + "\\" + shortcut.linkName;
    if (platform::FileExists(link)) platform::MoveToRecycleBin(link);
  }
  for (auto level = levels.rbegin(); level != levels.rend(); ++level) {
    if (!IsFolderEmpty(*level) || !platform::RemoveEmptyDirectory(*level)) break;
  }
}
