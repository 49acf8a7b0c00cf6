// The installation-wide state: the package being installed, the saved product
// settings, the folders, the discovered IDEs with their per-IDE options, the
// connectivity providers and the installation type.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "CmdLineUtils.h"
#include "Compile/Version.h"
#include "DelphiData.h"

class TMetadataProvidersList;
class TTargetOptionsList;

enum TInstallType { itNew, itUpdate, itMainternance, itUninstall };
enum TCompilationModeType { cmVCL, cmTnt, cmTMS, cmDevExpress };

// The product's key below HKEY_LOCAL_MACHINE.
inline constexpr const char* kProductRegistryKey = "Software\\Orlenta Software\\Vexorin";

class TInstallData {
 public:
  // Reads the package folder (the current directory) and the saved settings,
  // discovers the IDEs, registers the providers, loads each IDE's options and
  // decides the installation type. Raises Exception when the package is not
  // usable or an IDE's saved state cannot be read.
  TInstallData();
  ~TInstallData();
  TInstallData(const TInstallData&) = delete;
  TInstallData& operator=(const TInstallData&) = delete;

  TInstallType InstallType() const { return fInstallType; }
  void SetInstallType(TInstallType value) { fInstallType = value; }
  bool Installed() const { return fInstalled; }
  void SetInstalled(bool value) { fInstalled = value; }
  const TVersion* InstalledVersion() const { return fInstalledVersion.get(); }
  const TVersion& Version() const { return *fVersion; }
  const std::string& InstallDir() const { return fInstallDir; }
  void SetInstallDir(const std::string& value) { fInstallDir = value; }
  const std::string& DemoDir() const { return fDemoDir; }
  void SetDemoDir(const std::string& value) { fDemoDir = value; }
  TCompileTargetList& Targets() const { return *fTargets; }
  TTargetOptionsList& TargetOptions() const { return *fTargetOptions; }
  TMetadataProvidersList& MetaProviders() const { return *fRegisteredMetaProviders; }
  bool WithSources() const { return fWithSources; }
  bool AskMetaProviders() const { return fAskMetaProviders; }
  bool IncludeMarlin() const { return fIncludeMarlin; }
  bool IncludeQuillon() const { return fIncludeQuillon; }
  const std::vector<std::string>& StartProgramFoldersList() const { return fProgramFolders; }
  const std::string& StartProgramsFolder() const { return fStartProgramsFolder; }
  const std::string& StartFolderSelected() const { return fStartFolderSelected; }
  void SetStartFolderSelected(const std::string& value) { fStartFolderSelected = value; }
  // The group the recorded installation saved ("StartFolder" of the product
  // key as found at start-up); "" without one. A removal cleans it as well as
  // the group selected now.
  const std::string& InstalledStartFolder() const { return fInstalledStartFolder; }
  bool VisitWeb() const { return fVisitWeb; }
  void SetVisitWeb(bool value) { fVisitWeb = value; }
  TCompilationModeType CompilationMode() const { return fCompilationMode; }
  void SetCompilationMode(TCompilationModeType value) { fCompilationMode = value; }

  std::string PackagesDir() const;
  std::string SourcesDir() const;
  std::string StartFolderSelectedFull() const;

  void SaveToRegistry();
  // Creates the forty connectivity providers, in their fixed order.
  void RegisterMetaProviders();

 private:
  void LoadFromRegistry();

  TInstallType fInstallType = itNew;
  bool fInstalled = false;
  std::unique_ptr<TVersion> fInstalledVersion;
  std::unique_ptr<TVersion> fVersion;
  std::string fInstallDir;
  std::string fDemoDir;
  std::unique_ptr<TCmdOptions> fCmdOptions;
  std::unique_ptr<TCompileTargetList> fTargets;
  std::unique_ptr<TTargetOptionsList> fTargetOptions;
  std::unique_ptr<TMetadataProvidersList> fRegisteredMetaProviders;
  bool fWithSources = false;
  bool fAskMetaProviders = false;
  bool fIncludeMarlin = false;
  bool fIncludeQuillon = false;
  std::vector<std::string> fProgramFolders;
  std::string fStartProgramsFolder;
  std::string fStartFolderSelected;
  std::string fInstalledStartFolder;
  bool fVisitWeb = true;
  TCompilationModeType fCompilationMode = cmVCL;
};

// The process-wide installation data, created by the start-up sequence.
extern std::unique_ptr<TInstallData> InstallData;
