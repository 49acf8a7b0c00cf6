// The engine's run: the extraction frame of a new installation or an update,
// and the main loop that installs the suite into, or takes it out of, every IDE.
#include "CapExec.h"
#include "Compile/Compiler.h"
#include "Compile/InstallData.h"
#include "Compile/MetaProviders.h"
#include "Compile/TargetOptions.h"
#include "SysUtils.h"
#include "Utils.h"
#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "platform/System.h"
#include "platform/Text.h"

namespace {

// The system's name for a Windows NT version; "" for one without a name here.
std::string WindowsName(const platform::WindowsVersionInfo& version) {
  if (version.major == 4) return "Windows NT4";
  if (version.major == 5) {
    if (version.minor == 0) return "Windows 2000";
    if (version.minor == 1) return "Windows XP";
    if (version.minor == 2) return "Windows Server 2003";
  }
  if (version.major == 6) {
    if (version.minor == 0) return "Windows Vista";
    if (version.minor == 1) return "Windows 7";
  }
  return {};
}

// A value with its %NAME% references to other variables expanded; an
// unknown reference stays as it is.
std::string ExpandVariables(const std::string& value) {
  std::string result;
  size_t at = 0;
  while (at < value.size()) {
    const size_t open = value.find('%', at);
    const size_t close = open == std::string::npos ? std::string::npos : value.find('%', open + 1);
    if (close == std::string::npos) break;
    const std::string name = value.substr(open + 1, close - open - 1);
    const auto found = name.empty() ? std::nullopt : platform::GetEnv(name);
    result += value.substr(at, open - at);
    if (found) {
      result += *found;
      at = close + 1;
    } else {
      result += '%';
      at = open + 1;
    }
  }
  result += value.substr(at);
  return result;
}

// The optional package groups of the suite, built after the core packages.
struct PackageGroup {
  bool included;
  const char* runtime;
  const char* design;
  const char* compiling;
  const char* installing;
};

std::vector<PackageGroup> PackageGroups(const TInstallData& AData) {
  return {
      {AData.IncludeMarlin(), "vxMarlin", "vxMarlinDsgn", "Compiling criteria builder packages",
       "Installing criteria builder packages"},
      {AData.IncludeQuillon(), "vxQuillon", "vxQuillonDsgn", "Compiling text editor packages",
       "Installing text editor packages"},
  };
}

// A group is built when it is chosen and its package is in the IDE's package folder.
bool GroupToBuild(TTargetOptions& ATargetOptions, const PackageGroup& AGroup) {
  return AGroup.included && platform::FileExists(ATargetOptions.PackagesDir() + "\\" +
                                                 TCompiler::GetPackageName(ATargetOptions.Target(), AGroup.runtime));
}

// The files a package build needs beside its library: forms and resources.
const std::vector<std::string> kFormFileExtensions = {".dfm", ".xfm", ".res", ".dcr"};

}  // namespace

void TCompiler::Extract(bool AForceExtract) {
  FLogger->Info("Installing Vexorin v. " + InstallData->Version().Version());
  FAborted = false;
  FProgress = {TEnginePhase::Extract, 0, 1, 0, 0, false};
  BeginProgressTarget(0);
  const platform::WindowsVersionInfo windows = platform::WindowsVersion();
  std::string system = WindowsName(windows);
  system += ' ';
  system += windows.servicePack;
  system += " (" + std::to_string(windows.major) + "." + std::to_string(windows.minor) + ".";
  system += std::to_string(windows.build) + ")";
  FLogger->Info(system);
  FLogger->Info("");
  FLogger->Debug("Dump environment variables:");
  const auto environment = platform::EnvironmentBlock();
  if (environment.empty()) FLogger->Debug("Cannot load evirounment vars list");
  for (const auto& [name, value] : environment) FLogger->Debug(name + "=" + ExpandVariables(value));
  FLogger->Debug("");
  FLogger->Debug("Extracting files from installer package");
  const TInstallType type = InstallData->InstallType();
  if (type == itNew || type == itUpdate) ExtractArchive(AForceExtract);
  FLogger->Info("Create Shortcuts in Start menu folder...");
  CreateShortcuts();
  FLogger->Info("Setting up Uninstall information...");
  WriteUninstallEntry();
  CopyToUninstallFolder();
  FLogger->Info("Completed");
  InstallData->SetInstalled(true);
  InstallData->SaveToRegistry();
  EndProgressTarget();
}

void TCompiler::Compile() {
  if (InstallData->InstallType() != itUninstall) PrepareCompilationMode();
  const TTargetOptionsList& list = InstallData->TargetOptions();
  auto acts = [](const TTargetOptions& options) {
    return options.LoadError().empty() && (options.Action() == atInstall || options.Action() == atUninstall);
  };
  FProgress = {TEnginePhase::Compile, 0, 0, 0, 0, false};
  for (int i = 0; i < list.Count(); ++i) {
    if (acts(*list.Items(i))) ++FProgress.TargetCount;
  }
  for (int i = list.Count() - 1; i >= 0; --i) {
    TTargetOptions& options = *list.Items(i);
    if (!options.LoadError().empty()) {
      LogLoadError(options);
      continue;
    }
    if (!acts(options)) continue;
    BeginProgressTarget(options.Action() == atInstall ? PlannedPackageCount(options) : 0);
    try {
      if (options.Action() == atInstall) {
        CompileTarget(options);
      } else {
        UninstallTarget(options);
      }
    } catch (const Exception& e) {
      FLogger->Error(e.Message());
    }
    EndProgressTarget();
  }
}

int TCompiler::PlannedPackageCount(TTargetOptions& TargetOptions) {
  int sets = 1;  // the core packages
  for (const PackageGroup& group : PackageGroups(TargetOptions.InstallData())) {
    if (GroupToBuild(TargetOptions, group)) ++sets;
  }
  const TMetadataProvidersList& providers = TargetOptions.InstallData().MetaProviders();
  for (int i = 0; i < providers.Count(); ++i) {
    TMetadataProvider& provider = *providers.Items(i);
    if (TargetOptions.CanInstallMetaProvider(provider) && TargetOptions.IsMetaProviderSheduledForInstall(provider))
      ++sets;
  }
  // Each set is a run-time package, and a design-time one where the IDE has a designer.
  return TargetOptions.IsSupportDesigner() ? 2 * sets : sets;
}

void TCompiler::CopySourceForms(const std::string& AFormsDir) {
  std::vector<FoundFile> files;
  FindFiles(AFormsDir, "*", true, {}, files);
  const std::string sources = InstallData->SourcesDir();
  for (const FoundFile& file : files)
    platform::CopyFileTo(file.path, JoinPath(sources, ExtractFileName(file.path)), false);
}

void TCompiler::CompileTarget(TTargetOptions& TargetOptions) {
  TInstallData& data = TargetOptions.InstallData();
  TCompileTarget& target = TargetOptions.Target();
  const std::string bplDir = TargetOptions.BPLDir();
  const bool designer = TargetOptions.IsSupportDesigner();
  if (!TargetOptions.HasFolderNames()) {
    throw Exception("No output folder is known for " + target.DisplayName() + " (product version " +
                    std::to_string(target.Version()) + "): nothing is built for it");
  }
  FLogger->Info("Compiling for:" + target.DisplayName());
  if (!platform::DirectoryExists(bplDir)) platform::MakeDirectory(bplDir);
  if (data.WithSources() && TargetOptions.CompilePackages()) {
    std::vector<FoundFile> objects;
    FindFiles(bplDir, "*", true, {".obj", ".dcu"}, objects);
    for (const FoundFile& file : objects) platform::RemoveFile(file.path);
    DeleteFormFiles(TargetOptions);
  }
  DeleteIDEHeaders(TargetOptions);
  TargetOptions.PrintTargetSettings(*FLogger);

  FLogger->Debug("Uninstalling packages before compilation");
  FLogger->Debug("Uninstalling third party connectivity packages");
  const TMetadataProvidersList& providers = data.MetaProviders();
  for (int i = providers.Count() - 1; i >= 0; --i) {
    FLogger->Debug("Uninstalling " + providers.Items(i)->LongDescription());
    providers.Items(i)->Uninstall(*this, TargetOptions);
  }
  FLogger->Debug("Uninstalling core packages");
  UninstallPackage(TargetOptions, "vxVexorinDsgn");
  UninstallPackage(TargetOptions, "vxVexorin");
  FLogger->Debug("Remove component folders from IDE paths collections");
  RemoveLibraryPath(TargetOptions);
  RemoveSourcePath(TargetOptions);
  TargetOptions.SetInstalled(false);
  TargetOptions.SaveToRegistry();
  SaveIDEPaths(target);
  if (designer) target.SavePackagesLists();
  TargetOptions.SetForceEnvOptionsUpdate();
  TargetOptions.PrintTargetSettings(*FLogger);

  FLogger->Info("");
  FLogger->Info("Compiling/Installing packages");
  FLogger->Info("");
  FLogger->Debug("Prepare directories:");
  for (const char* name : {"  UnitOutDir: ", "  DcpDir: ", "  BplDir: "}) {
    FLogger->Debug(name + bplDir);
    if (!platform::DirectoryExists(bplDir)) SafeForceDirectories(bplDir);
  }
  FLogger->Info("Compiling core packages");
  CompilePackage(TargetOptions, "vxVexorin", true, false);
  if (designer) CompilePackage(TargetOptions, "vxVexorinDsgn", true, true);
  FLogger->Info("Installing core packages");
  InstallPackage(TargetOptions, "vxVexorinDsgn", "Vexorin Component");
  for (const PackageGroup& group : PackageGroups(data)) {
    if (!GroupToBuild(TargetOptions, group)) continue;
    FLogger->Info(group.compiling);
    CompilePackage(TargetOptions, group.runtime, true, false);
    if (designer) CompilePackage(TargetOptions, group.design, true, true);
    FLogger->Info(group.installing);
    InstallPackage(TargetOptions, group.design, "Vexorin Component");
  }
  FLogger->Info("Adding component folders to IDE paths collections");
  AddSourcePath(TargetOptions);
  AddLibraryPaths(TargetOptions);
  SaveIDEPaths(target);
  if (designer) target.SavePackagesLists();
  TargetOptions.SetForceEnvOptionsUpdate();
  TargetOptions.SetInstalled(true);
  TargetOptions.SaveToRegistry();
  TargetOptions.PrintTargetSettings(*FLogger);
  CopyFormFiles(TargetOptions);
  if (target.SupportedPersonalities().count(persBCB) != 0) CopyHeadersToIDE(TargetOptions);

  for (int i = 0; i < providers.Count(); ++i) {
    TMetadataProvider& provider = *providers.Items(i);
    if (TargetOptions.CanInstallMetaProvider(provider) && TargetOptions.IsMetaProviderSheduledForInstall(provider)) {
      try {
        FLogger->Info("Compiling/Installing " + provider.LongDescription());
        FLogger->Debug("Compiling " + provider.LongDescription());
        provider.Compile(*this, TargetOptions);
        if (designer) FLogger->Debug("Installing " + provider.LongDescription());
        // A Win64 IDE registers no design-time package, but the provider is
        // installed there all the same and must be recorded so.
        provider.Install(*this, TargetOptions);
      } catch (const Exception& e) {
        TargetOptions.SetMetaProviderSheduledForRemove(provider);
        provider.Uninstall(*this, TargetOptions);
        TargetOptions.SetMetaProviderUninstalled(provider);
        FLogger->Error(e.Message());
      }
    } else {
      provider.Uninstall(*this, TargetOptions);
      TargetOptions.SetMetaProviderUninstalled(provider);
    }
  }
  if (designer) target.SavePackagesLists();
  TargetOptions.SetForceEnvOptionsUpdate();
  TargetOptions.SaveToRegistry();
  TargetOptions.PrintTargetSettings(*FLogger);
}

void TCompiler::LogLoadError(const TTargetOptions& TargetOptions) {
  FLogger->Warning("The configuration of " + TargetOptions.Target().DisplayName() +
                   " cannot be read; it is left as it is: " + TargetOptions.LoadError());
}

void TCompiler::SaveIDEPaths(TCompileTarget& ATarget) {
  if (ATarget.SavePaths()) return;
  FLogger->Info("No " + ATarget.EnvOptionsFileName() +
                " yet (the IDE has never been started): the paths are written to the registry, from which the IDE "
                "makes that file at its first start");
}

void TCompiler::DeleteFormFiles(TTargetOptions& TargetOptions) {
  std::vector<FoundFile> files;
  FindFiles(TargetOptions.BPLDir(), "*", false, kFormFileExtensions, files);
  for (const FoundFile& file : files) platform::RemoveFile(file.path);
}

void TCompiler::CopyFormFiles(TTargetOptions& TargetOptions) {
  const std::string bplDir = TargetOptions.BPLDir();
  std::vector<FoundFile> files;
  FindFiles(ExcludeTrailingPathDelimiter(TargetOptions.InstallData().SourcesDir()), "*", false, kFormFileExtensions,
            files);
  for (const FoundFile& file : files) {
    platform::CopyFileTo(file.path, bplDir + "\\" + ExtractFileName(file.path), false);
  }
}

void TCompiler::CopyHeadersToIDE(TTargetOptions& TargetOptions) {
  std::vector<FoundFile> headers;
  FindFiles(TargetOptions.BPLDir(), "*.hpp", false, {}, headers);
  for (const FoundFile& found : headers) {
    const std::string name = ExtractFileName(found.path);
    const std::string header = TargetOptions.HppDir() + "\\" + name;
    if (platform::FileExists(header)) platform::RemoveFile(header);
    platform::CopyFileTo(TargetOptions.HppOutDir() + "\\" + name, header, false);
  }
}
