// Per-IDE choices and state: what the run does with an IDE, whether the suite
// and which connectivity providers are installed in it (kept in one registry
// key per IDE below the product key), the IDE's output folders, and the
// questions the wizard asks about the IDE.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "DelphiData.h"

class TInstallData;
class TLogBase;
class TMetadataProvider;

enum TActionType { atInstall, atDoNothing, atUninstall };

class TTargetOptions {
 public:
  // The options of one IDE, loaded from its registry key, or the defaults for
  // an IDE the suite has never been installed in. A key that lacks a value
  // it must have raises "Failed to get data for '<value>'".
  TTargetOptions(TCompileTarget& ATarget, TInstallData& AInstallData);
  TTargetOptions(const TTargetOptions&) = delete;
  TTargetOptions& operator=(const TTargetOptions&) = delete;

  TInstallData& InstallData() const { return *fInstallData; }
  TCompileTarget& Target() const { return *fTarget; }
  bool Installed() const { return fInstalled; }
  void SetInstalled(bool value) { fInstalled = value; }
  TActionType Action() const { return fAction; }
  // An IDE with a load error keeps atDoNothing.
  void SetAction(TActionType value) { fAction = fLoadError.empty() ? value : atDoNothing; }
  // Why the IDE cannot be served: the error that stopped reading its
  // configuration (TCompileTarget::LoadError) or its key below the product
  // key; "" when both were read. The IDE page shows such an IDE as a refused
  // row with this text; the engine logs it and leaves the IDE alone.
  const std::string& LoadError() const { return fLoadError; }
  bool IDERegistration() const { return fIDERegistration; }
  void SetIDERegistration(bool value) { fIDERegistration = value; }
  bool AddSourceLocation() const { return fAddSourceLocation; }
  void SetAddSourceLocation(bool value) { fAddSourceLocation = value; }
  bool CompilePackages() const { return fCompilePackages; }
  void SetCompilePackages(bool value) { fCompilePackages = value; }
  bool ExtractObjFromLib() const { return fExtractObjFromLib; }
  void SetExtractObjFromLib(bool value) { fExtractObjFromLib = value; }

  // The IDE's key below the product key: the product key, "\", the display name.
  std::string RegistryKey() const;
  // Writes the key of an IDE the suite is installed in; deletes it otherwise.
  // A key that cannot be opened or created is left alone; a value that cannot
  // be written raises "Failed to set data for '<value>'".
  void SaveToRegistry();

  bool CanInstallMetaProvider(TMetadataProvider& AMetaProvider) const;
  bool CanCompileMetaProvider(TMetadataProvider& AMetaProvider) const;
  bool IsMetaProviderInstalled(const TMetadataProvider& AMetaProvider) const;
  bool IsMetaProviderSheduledForInstall(const TMetadataProvider& AMetaProvider) const;
  void SetMetaProviderInstalled(TMetadataProvider& AMetaProvider);
  void SetMetaProviderSheduledForInstall(TMetadataProvider& AMetaProvider);
  void SetMetaProviderUninstalled(const TMetadataProvider& AMetaProvider);
  void SetMetaProviderSheduledForRemove(const TMetadataProvider& AMetaProvider);

  bool IsTurbo() const;
  bool IsSupportDB() const;
  bool IsSupportDesigner() const;
  bool IsSupportCompilationMode() const;
  bool IsOldDevExpressDetected() const;
  std::string GetBpr2Mak() const;
  std::string GetBpr2MakTemplate() const;
  // The file version "a.b.c.d" of a RAD Studio's core package; "" without one.
  std::string GetCoreIDEVersion() const;
  // The IDE's paths and package lists, as debug lines of the engine's log.
  void PrintTargetSettings(TLogBase& ALogger) const;
  // Makes the IDE read its environment options from the registry at its next start.
  void SetForceEnvOptionsUpdate() const;

  // The IDE's version has names in the folder-name tables. Without them the
  // output folder would be the demo folder itself and the packages folder
  // the one of every version, so the engine builds nothing for such an IDE.
  bool HasFolderNames() const;
  std::string BPLDir() const;
  std::string DCPDir() const { return BPLDir(); }
  std::string UnitOutDir() const { return BPLDir(); }
  std::string HppOutDir() const { return BPLDir(); }
  std::string ObjOutDir() const;
  std::string HppDir() const;
  std::string PackagesDir() const;
  bool IDERunning() const;
  bool HaveDCCCompiler() const;
  std::string HaveDCCCompilerLink() const;

 private:
  // False when the IDE has no key.
  bool LoadFromRegistry();
  // The known package whose name begins with the text, unless it is disabled.
  TDelphiPackage* FindEnabledPackage(const std::string& PackageNameStart) const;
  // C++Builder 5 or 6, before RAD Studio.
  bool IsClassicCBuilder() const;

  TInstallData* fInstallData;
  TCompileTarget* fTarget;
  bool fInstalled = false;
  bool fIDERegistration = false;
  std::vector<TMetadataProvider*> fInstalledMetaProviders;
  std::vector<TMetadataProvider*> fSheduledMetaProviders;
  bool fAddSourceLocation = false;
  bool fCompilePackages = false;
  TActionType fAction = atDoNothing;
  bool fExtractObjFromLib = false;
  std::string fLoadError;
};

// One TTargetOptions per discovered IDE, in discovery order; it owns them.
class TTargetOptionsList {
 public:
  TTargetOptionsList(TCompileTargetList& Targets, TInstallData& AInstallData);

  TTargetOptions* Items(int Index) const { return fItems.at(static_cast<size_t>(Index)).get(); }
  int Count() const { return static_cast<int>(fItems.size()); }
  // An update, or an IDE whose action is not atDoNothing.
  bool HaveChanges() const;
  // The number of IDEs whose action is atInstall.
  int InstallCount() const;

 private:
  TInstallData* fInstallData;
  std::vector<std::unique_ptr<TTargetOptions>> fItems;
};
