#include "Compile/TargetOptions.h"

#include <algorithm>
#include <array>

#include "Compile/InstallData.h"
#include "Compile/MetaProviders.h"
#include "Compile/VersionTables.h"
#include "SysUtils.h"
#include "Utils.h"
#include "WebAddresses.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "platform/System.h"
#include "platform/Text.h"
#include "uLogger.h"

using platform::RegistryKey;
using platform::RegRoot;

namespace {

// The number in the name of RAD Studio's core package, bin\coreideNNN.bpl,
// by IDE version (1 to 37); the IDE versions 24 to 36 were never released.
// clang-format off
const std::array<const char*, 38> kCoreIDEPackageNumbers = {
    "",    "71",  "71",  "90",  "100", "100", "120", "140", "150", "160", "170", "180",  // 0-11
    "190", "190", "200", "210", "220", "230", "240", "250", "260", "270", "280", "290",  // 12-23
    "",    "",    "",    "",    "",    "",    "",    "",    "",    "",    "",    "",     // 24-35
    "",    "370",                                                                        // 36-37
};
// clang-format on

// A Boolean kept as a REG_DWORD; any non-zero value is True. The value is read
// without a test for its presence, so a missing one is an error.
bool ReadBool(const RegistryKey& key, const std::string& name) {
  if (!key.ValueExists(name)) throw Exception("Failed to get data for '" + name + "'");
  const auto value = key.ReadDWord(name);
  if (!value) throw Exception("Invalid data type for '" + name + "'");
  return *value != 0;
}

void WriteBool(RegistryKey& key, const std::string& name, bool value) {
  if (!key.WriteDWord(name, value ? 1 : 0)) throw Exception("Failed to set data for '" + name + "'");
}

void WriteString(RegistryKey& key, const std::string& name, const std::string& value) {
  if (!key.WriteString(name, value)) throw Exception("Failed to set data for '" + name + "'");
}

bool Contains(const std::vector<TMetadataProvider*>& list, const TMetadataProvider& provider) {
  return std::find(list.begin(), list.end(), &provider) != list.end();
}

void AddOnce(std::vector<TMetadataProvider*>& list, TMetadataProvider& provider) {
  if (!Contains(list, provider)) list.push_back(&provider);
}

void Remove(std::vector<TMetadataProvider*>& list, const TMetadataProvider& provider) {
  list.erase(std::remove(list.begin(), list.end(), &provider), list.end());
}

void PrintPackageList(TLogBase& logger, const std::string& title, const TDelphiPackageList& list) {
  logger.Debug("=== Begin of " + title);
  for (int i = 0; i < list.Count(); ++i) logger.Debug(list.GetItems(i)->Filename());
  logger.Debug("=== End of " + title);
  logger.Debug("");
}

}  // namespace

TTargetOptions::TTargetOptions(TCompileTarget& ATarget, TInstallData& AInstallData)
    : fInstallData(&AInstallData), fTarget(&ATarget) {
  fAction = atDoNothing;
  fCompilePackages = AInstallData.WithSources();
  fExtractObjFromLib = ATarget.Version() >= 14;
  fLoadError = ATarget.LoadError();
  try {
    if (LoadFromRegistry()) return;
  } catch (const Exception& e) {
    if (fLoadError.empty()) fLoadError = e.Message();
    return;
  }
  // Never installed in this IDE: schedule what the IDE can take.
  fInstalled = false;
  fIDERegistration = true;
  const TMetadataProvidersList& providers = AInstallData.MetaProviders();
  for (int i = 0; i < providers.Count(); ++i) {
    TMetadataProvider& provider = *providers.Items(i);
    if (provider.IsDependLibInstalled(ATarget) && provider.IsDependLibHaveRightVersion(ATarget) &&
        (AInstallData.AskMetaProviders() || provider.Standard())) {
      SetMetaProviderSheduledForInstall(provider);
    }
  }
  fAddSourceLocation = AInstallData.WithSources();
}

std::string TTargetOptions::RegistryKey() const {
  return std::string(kProductRegistryKey) + "\\" + fTarget->DisplayName();
}

bool TTargetOptions::LoadFromRegistry() {
  platform::RegistryKey key;
  if (!key.OpenRead(RegRoot::LocalMachine, RegistryKey())) return false;
  fInstalled = ReadBool(key, "Installed");
  fIDERegistration = ReadBool(key, "IDE Registration");
  if (key.ValueExists("ExtractObjFromLib")) fExtractObjFromLib = ReadBool(key, "ExtractObjFromLib");
  const TMetadataProvidersList& providers = fInstallData->MetaProviders();
  for (int i = 0; i < providers.Count(); ++i) {
    TMetadataProvider& provider = *providers.Items(i);
    if (!provider.IsDependLibInstalled(*fTarget) || !provider.IsDependLibHaveRightVersion(*fTarget)) continue;
    if (!provider.Standard() && !key.ValueExists(provider.RegKey())) {
      SetMetaProviderSheduledForInstall(provider);
    } else if (!provider.Standard() && !ReadBool(key, provider.RegKey())) {
      SetMetaProviderUninstalled(provider);
      SetMetaProviderSheduledForRemove(provider);
    } else {
      SetMetaProviderInstalled(provider);
      SetMetaProviderSheduledForInstall(provider);
    }
  }
  fAddSourceLocation = fInstallData->WithSources() && ReadBool(key, "Add Source Location");
  return true;
}

void TTargetOptions::SaveToRegistry() {
  if (!fInstalled) {
    platform::RegDeleteKeyTree(RegRoot::LocalMachine, RegistryKey());
    return;
  }
  platform::RegistryKey key;
  if (!key.OpenWrite(RegRoot::LocalMachine, RegistryKey(), true)) return;
  WriteBool(key, "Installed", fInstalled);
  WriteString(key, "BPLDir", BPLDir());
  WriteString(key, "DCPDir", DCPDir());
  WriteBool(key, "IDE Registration", fIDERegistration);
  WriteBool(key, "ExtractObjFromLib", fExtractObjFromLib);
  const TMetadataProvidersList& providers = fInstallData->MetaProviders();
  for (int i = 0; i < providers.Count(); ++i) {
    const TMetadataProvider& provider = *providers.Items(i);
    if (!provider.Standard()) WriteBool(key, provider.RegKey(), IsMetaProviderInstalled(provider));
  }
  WriteBool(key, "Add Source Location", fAddSourceLocation);
  WriteBool(key, "Compile Packages", fCompilePackages);
}

bool TTargetOptions::CanInstallMetaProvider(TMetadataProvider& AMetaProvider) const {
  return AMetaProvider.IsDependLibInstalled(*fTarget) &&
         (AMetaProvider.Standard() || (fInstallData->AskMetaProviders() && HaveDCCCompiler()));
}

bool TTargetOptions::CanCompileMetaProvider(TMetadataProvider& AMetaProvider) const {
  return CanInstallMetaProvider(AMetaProvider) && AMetaProvider.IsDependLibHaveRightVersion(*fTarget);
}

bool TTargetOptions::IsMetaProviderInstalled(const TMetadataProvider& AMetaProvider) const {
  return Contains(fInstalledMetaProviders, AMetaProvider);
}

bool TTargetOptions::IsMetaProviderSheduledForInstall(const TMetadataProvider& AMetaProvider) const {
  return Contains(fSheduledMetaProviders, AMetaProvider);
}

void TTargetOptions::SetMetaProviderInstalled(TMetadataProvider& AMetaProvider) {
  AddOnce(fInstalledMetaProviders, AMetaProvider);
}

void TTargetOptions::SetMetaProviderSheduledForInstall(TMetadataProvider& AMetaProvider) {
  AddOnce(fSheduledMetaProviders, AMetaProvider);
}

void TTargetOptions::SetMetaProviderUninstalled(const TMetadataProvider& AMetaProvider) {
  Remove(fInstalledMetaProviders, AMetaProvider);
}

void TTargetOptions::SetMetaProviderSheduledForRemove(const TMetadataProvider& AMetaProvider) {
  Remove(fSheduledMetaProviders, AMetaProvider);
}

bool TTargetOptions::IsTurbo() const { return StrStartsWith(fTarget->Edition(), "TURBO", true); }

bool TTargetOptions::IsSupportDB() const { return fTarget->FindPackageEx("dcldb") != nullptr; }

bool TTargetOptions::IsSupportDesigner() const { return fTarget->Platform() == ctpWin32; }

bool TTargetOptions::IsSupportCompilationMode() const {
  switch (fInstallData->CompilationMode()) {
    case cmVCL:
      return true;
    case cmTnt:
      return fTarget->FindPackageEx("TntUnicodeVcl") != nullptr;
    case cmTMS:
      return fTarget->FindPackageEx("TMSUnicode") != nullptr;
    case cmDevExpress:
      return fTarget->FindPackageEx("dclcxLibrary") != nullptr && fTarget->FindPackageEx("dclcxTreeList") != nullptr;
  }
  return false;
}

TDelphiPackage* TTargetOptions::FindEnabledPackage(const std::string& PackageNameStart) const {
  TDelphiPackage* package = fTarget->FindPackageEx(PackageNameStart);
  if (package == nullptr) return nullptr;
  const TDelphiPackageList& disabled = fTarget->DisabledPackages();
  for (int i = 0; i < disabled.Count(); ++i) {
    if (platform::SameTextAscii(disabled.GetItems(i)->Name(), package->Name())) return nullptr;
  }
  return package;
}

bool TTargetOptions::IsOldDevExpressDetected() const {
  for (const char* name : {"dclcxPageControl", "dclcxEditors", "dclcxExtEditors"}) {
    if (FindEnabledPackage(name) != nullptr) return true;
  }
  return false;
}

std::string TTargetOptions::GetBpr2Mak() const { return fTarget->RootDir() + "\\Bin\\bpr2mak.exe"; }

std::string TTargetOptions::GetBpr2MakTemplate() const {
  return fInstallData->InstallDir() + "\\CBuilder" + VersionTableEntry(VersionTokens, fTarget->Version()) + ".bmk";
}

std::string TTargetOptions::GetCoreIDEVersion() const {
  const int ideVersion = fTarget->IDEVersion();
  if (!fTarget->IsBDS() || ideVersion < 1 || ideVersion >= static_cast<int>(kCoreIDEPackageNumbers.size())) {
    return {};
  }
  const std::string number = kCoreIDEPackageNumbers[static_cast<size_t>(ideVersion)];
  if (number.empty()) return {};
  const std::string file = IncludeTrailingPathDelimiter(fTarget->RootDir()) + "bin\\coreide" + number + ".bpl";
  if (!platform::FileExists(file)) return {};
  const auto version = platform::FileVersionOf(file);
  if (!version) return {};
  std::string text = std::to_string(version->major);
  for (const uint16_t part : {version->minor, version->release, version->build}) {
    text += ".";
    text += std::to_string(part);
  }
  return text;
}

void TTargetOptions::PrintTargetSettings(TLogBase& ALogger) const {
  const std::string name = fTarget->DisplayName();
  ALogger.Debug("Begin of Settings of IDE: " + name);
  ALogger.Debug("");
  ALogger.Debug("Search paths:");
  for (const auto& path : fTarget->SearchPaths()) ALogger.Debug(path);
  ALogger.Debug("");
  ALogger.Debug("Browsing paths:");
  for (const auto& path : fTarget->BrowsingPaths()) ALogger.Debug(path);
  if (fTarget->IsBDS() && fTarget->SupportsPersonalities({persBCB})) {
    ALogger.Debug("");
    ALogger.Debug("Global Cpp Search paths:");
    for (const auto& path : fTarget->GlobalCppBrowsingPaths()) ALogger.Debug(path);
  }
  PrintPackageList(ALogger, "Known Packages", fTarget->KnownPackages());
  PrintPackageList(ALogger, "Known IDE Packages", fTarget->KnownIDEPackages());
  PrintPackageList(ALogger, "Disabled Packages", fTarget->DisabledPackages());
  ALogger.Debug("End of Settings of IDE: " + name);
  ALogger.Debug("");
}

void TTargetOptions::SetForceEnvOptionsUpdate() const {
  platform::RegistryKey key;
  if (!key.OpenWrite(RegRoot::CurrentUser, fTarget->RegistryKey() + "\\Globals", false)) return;
  const std::string name = "ForceEnvOptionsUpdate";
  const auto type = key.ValueType(name);
  if (type == platform::RegValueType::String || type == platform::RegValueType::ExpandString) {
    WriteString(key, name, "1");
  } else if (!key.WriteDWord(name, 1)) {
    throw Exception("Failed to set data for '" + name + "'");
  }
}

bool TTargetOptions::IsClassicCBuilder() const { return fTarget->IsBCB() && !fTarget->IsBDS(); }

bool TTargetOptions::HasFolderNames() const {
  const int version = fTarget->Version();
  const bool cbuilderPackages = version < 10 && fTarget->IsBCB();
  return !VersionTableEntry(IsClassicCBuilder() ? CBuilderFolderNames : IDEFolderNames, version).empty() &&
         !VersionTableEntry(cbuilderPackages ? CBuilderFolderNames : IDEFolderNames, version).empty();
}

std::string TTargetOptions::BPLDir() const {
  const int version = fTarget->Version();
  std::string dir = JoinPath(fInstallData->DemoDir(),
                             VersionTableEntry(IsClassicCBuilder() ? CBuilderFolderNames : IDEFolderNames, version));
  if (fTarget->Platform() == ctpWin64) dir += "x64";
  return dir;
}

std::string TTargetOptions::ObjOutDir() const { return IsClassicCBuilder() ? BPLDir() + "\\obj" : BPLDir(); }

std::string TTargetOptions::HppDir() const { return fTarget->RootDir() + "\\Include\\Vcl"; }

std::string TTargetOptions::PackagesDir() const {
  std::string dir = fInstallData->PackagesDir();
  switch (fInstallData->CompilationMode()) {
    case cmVCL:
      break;
    case cmTnt:
      dir += "_Tnt";
      break;
    case cmTMS:
      dir += "_TMS";
      break;
    case cmDevExpress:
      dir += "_DevExpress";
      break;
  }
  const int version = fTarget->Version();
  const bool cbuilderFolder = version < 10 && fTarget->IsBCB();
  return IncludeTrailingPathDelimiter(dir) +
         VersionTableEntry(cbuilderFolder ? CBuilderFolderNames : IDEFolderNames, version);
}

bool TTargetOptions::IDERunning() const {
  const std::string& executable = fTarget->Executable();
  const std::string exeName = ExtractFileName(executable);
  for (const auto& process : platform::ProcessSnapshot(exeName)) {
    if (!platform::SameTextAscii(ExtractFileName(process.exeName), exeName)) continue;
    for (const auto& module : process.modulePaths) {
      if (platform::SameTextAscii(module, executable)) return true;
    }
  }
  return false;
}

bool TTargetOptions::HaveDCCCompiler() const { return platform::FileExists(fTarget->Dcc32()); }

std::string TTargetOptions::HaveDCCCompilerLink() const { return web::kCommandLineCompilerDownload; }

TTargetOptionsList::TTargetOptionsList(TCompileTargetList& Targets, TInstallData& AInstallData)
    : fInstallData(&AInstallData) {
  for (int i = 0; i < Targets.Count(); ++i) {
    fItems.push_back(std::make_unique<TTargetOptions>(*Targets.GetItems(i), AInstallData));
  }
}

bool TTargetOptionsList::HaveChanges() const {
  if (fInstallData->InstallType() == itUpdate) return true;
  return std::any_of(fItems.begin(), fItems.end(), [](const auto& item) { return item->Action() != atDoNothing; });
}

int TTargetOptionsList::InstallCount() const {
  return static_cast<int>(
      std::count_if(fItems.begin(), fItems.end(), [](const auto& item) { return item->Action() == atInstall; }));
}
