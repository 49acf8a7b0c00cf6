// Taking the suite out again: one package from one IDE, the whole suite from
// one IDE or from every IDE it is recorded in, and the suite's files, Start-menu
// group, uninstall entry and product key from Windows.
#include "Compile/Compiler.h"
#include "Compile/InstallData.h"
#include "Compile/MetaProviders.h"
#include "Compile/TargetOptions.h"
#include "Compile/VersionTables.h"
#include "ProtectedFolders.h"
#include "Utils.h"
#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "platform/Locale.h"
#include "platform/Shell.h"
#include "platform/Text.h"

namespace {

// The suite's own names below the installation folder, in the order they go.
std::vector<std::string> InstallSubfolders() {
  std::vector<std::string> names;
  for (int v = 1; v <= kLastProductVersion; ++v) {
    const std::string name = IDEFolderNames[static_cast<size_t>(v)];
    names.push_back(name);
    names.push_back(name + "x64");
  }
  for (const char* name : {"DemoApp", "Demos", "Help", "Packages", "Packages_Tnt", "Packages_TMS",
                           "Packages_DevExpress", "Languages", "Sources", "Int"}) {
    names.emplace_back(name);
  }
  return names;
}

const char* const kInstallFiles[] = {"vxVexorin.ver",       "Vexorin.url",          "EULA.txt",
                                     "History.txt",         "Readme.1st",           "setup.log",
                                     "CBuilder6.bmk",       "Uninstall\\version",   "Uninstall\\withsrcs",
                                     "Uninstall\\metapvds", "Uninstall\\unrar.exe", "Uninstall\\7z.exe",
                                     "Uninstall\\7z.dll",   "Uninstall\\data.arc",  "Uninstall\\marlin",
                                     "Uninstall\\quillon"};

void RemoveFromPackageList(TLogToList& logger, TDelphiPackageList& list, const std::string& file,
                           const char* listName) {
  for (int i = 0; i < list.Count(); ++i) {
    const TDelphiPackage& package = *list.GetItems(i);
    if (!platform::SameTextAscii(package.Name(), file)) continue;
    std::string line = "  removing from ";
    line += listName;
    line += ": ";
    line += package.Filename();
    logger.Debug(line);
    list.Remove(package.Filename());
    return;
  }
}

}  // namespace

void TCompiler::Uninstall() {
  FLogger->Info("Uninstall from IDEs...");
  const TTargetOptionsList& list = InstallData->TargetOptions();
  // The IDE's configuration reads well, only its record does not: a save of
  // the record (written value by value) that was cut short, after the
  // packages were registered. The suite is taken out of the IDE all the
  // same, or nothing would ever take it out.
  auto recordCutShort = [](const TTargetOptions& options) {
    return !options.LoadError().empty() && options.Target().LoadError().empty();
  };
  auto takenOut = [&](const TTargetOptions& options) {
    return recordCutShort(options) || (options.LoadError().empty() && options.Installed());
  };
  FProgress = {TEnginePhase::Uninstall, 0, 0, 0, 0, false};
  for (int i = 0; i < list.Count(); ++i) {
    if (takenOut(*list.Items(i))) ++FProgress.TargetCount;
  }
  for (int i = 0; i < list.Count(); ++i) {
    TTargetOptions& options = *list.Items(i);
    if (!takenOut(options)) {
      if (!options.LoadError().empty()) LogLoadError(options);
      continue;
    }
    if (recordCutShort(options)) {
      FLogger->Warning("The record of " + options.Target().DisplayName() + " cannot be read (" + options.LoadError() +
                       "); the suite is taken out of it all the same");
    }
    BeginProgressTarget(0);
    UninstallTarget(options);
    EndProgressTarget();
  }
}

void TCompiler::UninstallTarget(TTargetOptions& TargetOptions) {
  TCompileTarget& target = TargetOptions.Target();
  FLogger->Info("Uninstall from IDE:" + target.DisplayName());
  // Without folder names the output folder would be the demo folder itself.
  const bool ownFolder = TargetOptions.HasFolderNames();
  if (InstallData->WithSources() && ownFolder) {
    std::vector<FoundFile> objects;
    FindFiles(TargetOptions.BPLDir(), "*", true, {".obj", ".dcu"}, objects);
    for (const FoundFile& file : objects) platform::RemoveFile(file.path);
  }
  const TMetadataProvidersList& providers = InstallData->MetaProviders();
  for (int i = providers.Count() - 1; i >= 0; --i) {
    FLogger->Info("Uninstalling " + providers.Items(i)->LongDescription());
    providers.Items(i)->Uninstall(*this, TargetOptions);
  }
  for (const char* package : {"vxQuillonDsgn", "vxQuillon", "vxMarlinDsgn", "vxMarlin", "vxVexorinDsgn", "vxVexorin"}) {
    UninstallPackage(TargetOptions, package);
  }
  if (ownFolder) DeleteIDEHeaders(TargetOptions);
  RemoveLibraryPath(TargetOptions);
  RemoveSourcePath(TargetOptions);
  SaveIDEPaths(target);
  if (TargetOptions.IsSupportDesigner()) target.SavePackagesLists();
  TargetOptions.SetForceEnvOptionsUpdate();
  TargetOptions.SetInstalled(false);
  TargetOptions.SaveToRegistry();
  FLogger->Info("Uninstall from IDE:" + target.DisplayName() + " completed");
  FLogger->Info("");
}

void TCompiler::UninstallPackage(TTargetOptions& TargetOptions, const std::string& PackageName) {
  TCompileTarget& target = TargetOptions.Target();
  const std::string file = ChangeFileExt(GetPackageName(target, PackageName), ".bpl");
  FLogger->Debug("Uninstalling package: " + file);
  RemoveFromPackageList(*FLogger, target.DisabledPackages(), file, "Disabled Packages");
  RemoveFromPackageList(*FLogger, target.KnownPackages(), file, "Known Packages");
  RemoveFromPackageList(*FLogger, target.KnownIDEPackages(), file, "Known IDE Packages");
  FLogger->Debug(" searching in PATH: " + file);
  if (TargetOptions.IsSupportDesigner()) {
    TStringList folders;
    SplitPaths(platform::GetEnv("PATH").value_or(""), folders);
    for (std::string folder : folders) {
      if (folder.empty()) continue;
      if (folder.size() >= 3 && folder.front() == '"') folder = folder.substr(1, folder.size() - 2);
      RemovePackageFromFolder(folder, file);
    }
  }
  for (const std::string& folder : target.PackageSearchPathList()) RemovePackageFromFolder(folder, file);

  auto removeFile = [this](const std::string& path) {
    if (!platform::FileExists(path)) return;
    FLogger->Debug("  remove file: " + path);
    platform::RemoveFile(path);
  };
  removeFile(target.BplDir() + "\\" + file);
  for (const char* ext : {".dcp", ".bpi", ".lib"}) removeFile(target.DcpDir() + "\\" + ChangeFileExt(file, ext));
  removeFile(TargetOptions.PackagesDir() + "\\" + ChangeFileExt(file, ".mak"));
}

void TCompiler::RemovePackageFromFolder(const std::string& AFolder, const std::string& AFile) {
  const std::string path = IncludeTrailingPathDelimiter(AFolder) + AFile;
  if (!platform::FileExists(path)) return;
  FLogger->Debug("  remove file: " + path);
  platform::MoveToRecycleBin(path);
}

void TCompiler::DeleteIDEHeaders(TTargetOptions& TargetOptions) {
  std::vector<FoundFile> headers;
  FindFiles(TargetOptions.BPLDir(), "*.hpp", false, {}, headers);
  for (const FoundFile& found : headers) {
    const std::string header = TargetOptions.HppDir() + "\\" + ExtractFileName(found.path);
    if (platform::FileExists(header)) platform::RemoveFile(header);
  }
}

void TCompiler::RemoveLibraryPath(TTargetOptions& TargetOptions) {
  TCompileTarget& target = TargetOptions.Target();
  RemovePathFromList(target, target.SearchPaths(), "Search paths", TargetOptions.BPLDir());
}

void TCompiler::RemoveSourcePath(TTargetOptions& TargetOptions) {
  TCompileTarget& target = TargetOptions.Target();
  const std::string sources = target.InsertDirMacros(ExcludeTrailingPathDelimiter(InstallData->SourcesDir()));
  RemovePathFromList(target, target.BrowsingPaths(), "Browsing paths", sources);
}

void TCompiler::RemovePathFromList(const TCompileTarget& ATarget, TStringList& AList, const std::string& AListName,
                                   const std::string& APath) {
  FLogger->Debug("Removing path from " + AListName + ": " + APath);
  for (const std::string& candidate : PathForms(ATarget, APath)) DeletePathFromList(AList, AListName, candidate);
}

void TCompiler::DeletePathFromList(TStringList& AList, const std::string& AListName, const std::string& ACandidate) {
  FLogger->Debug("  searching path in " + AListName + ": " + ACandidate);
  for (auto it = AList.begin(); it != AList.end();) {
    if (!platform::SameTextLocale(*it, ACandidate)) {
      ++it;
      continue;
    }
    FLogger->Debug("    found. removed from " + AListName + ": " + ACandidate);
    it = AList.erase(it);
  }
}

void TCompiler::LeaveInstallDir() {
  const std::string current = ExcludeTrailingPathDelimiter(platform::FullPathOf(platform::GetCurrentDir()));
  const std::string installDir = ExcludeTrailingPathDelimiter(platform::FullPathOf(InstallData->InstallDir()));
  if (installDir.empty() || current.empty()) return;
  if (!platform::SameTextAscii(current, installDir) && !StrStartsWith(current, installDir + "\\", true)) return;
  const std::string temp = platform::TempDirectory();
  FLogger->Debug("Change dir: " + temp);
  platform::SetCurrentDir(temp);
}

bool TCompiler::MayRecycleFolder(const std::string& APath) {
  const std::string why = WhyFolderProtected(APath);
  if (why.empty()) return true;
  std::string line = "Not moving \"";
  line += APath;
  line += "\" to the Recycle Bin: ";
  line += why;
  FLogger->Error(line);
  return false;
}

void TCompiler::DeleteInstallSubfolder(const std::string& AName) {
  const std::string path = IncludeTrailingPathDelimiter(InstallData->InstallDir()) + AName;
  if (!platform::DirectoryExists(path)) return;
  FLogger->Info("Deleting " + AName);
  if (MayRecycleFolder(path)) platform::MoveToRecycleBin(path);
}

void TCompiler::DeleteInstallFile(const std::string& AName) {
  const std::string path = IncludeTrailingPathDelimiter(InstallData->InstallDir()) + AName;
  if (!platform::FileExists(path)) return;
  FLogger->Info("Deleting " + path);
  platform::MoveToRecycleBin(path);
}

void TCompiler::Remove() {
  TInstallData& data = *InstallData;
  LeaveInstallDir();
  FLogger->Info("Delete component files...");
  for (const std::string& name : InstallSubfolders()) DeleteInstallSubfolder(name);
  for (const char* name : kInstallFiles) DeleteInstallFile(name);
  const std::string demos = IncludeTrailingPathDelimiter(data.DemoDir()) + "Demos";
  if (platform::DirectoryExists(demos) && MayRecycleFolder(demos)) platform::MoveToRecycleBin(demos);

  FLogger->Info("Delete start menu group...");
  DeleteStartMenu();
  DeleteUninstallEntry();

  DeleteInstallFile("Uninstall\\setup.exe");
  const std::string installDir = IncludeTrailingPathDelimiter(data.InstallDir());
  const std::string setupCopy = installDir + "Uninstall\\setup.exe";
  if (platform::FileExists(setupCopy)) {
    // The running program can be this file: it goes to the temporary folder instead.
    const std::string temp = platform::TempDirectory() + "setup.exe";
    if (platform::FileExists(temp)) platform::RemoveFile(temp);
    if (!platform::RenamePath(setupCopy, temp)) {
      platform::CopyFileTo(setupCopy, temp, false);
      platform::RemoveFile(setupCopy);
    }
  }
  if (IsFolderEmpty(installDir) && WhyFolderProtected(data.InstallDir()).empty()) {
    platform::RemoveEmptyDirectory(data.InstallDir());
  }
  FLogger->Info("Completed");

  FLogger->Info("Delete Start menu Program Folder...");
  DeleteStartMenu();
  FLogger->Info("Completed");
  FLogger->Info("");
  data.SetInstalled(false);
  data.SaveToRegistry();
}
