#include "Compile/InstallData.h"

#include "Compile/MetaProviders.h"
#include "Compile/TargetOptions.h"
#include "SysUtils.h"
#include "Utils.h"
#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/gui/Widgets.h"

using platform::RegistryKey;
using platform::RegRoot;

std::unique_ptr<TInstallData> InstallData;

namespace {

// A text file's lines joined with CR LF, as a text list would give them.
std::string JoinedLines(const std::string& text) {
  std::string out;
  const std::vector<std::string> lines = SplitLines(text);
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) out += "\r\n";
    out += lines[i];
  }
  return out;
}

std::string ReadString(const RegistryKey& key, const std::string& name) {
  const auto type = key.ValueType(name);
  if (type == platform::RegValueType::None) return {};
  if (type != platform::RegValueType::String && type != platform::RegValueType::ExpandString) {
    throw Exception("Invalid data type for '" + name + "'");
  }
  return key.ReadString(name).value_or("");
}

uint32_t ReadInteger(const RegistryKey& key, const std::string& name) {
  const auto value = key.ReadDWord(name);
  if (!value) throw Exception("Invalid data type for '" + name + "'");
  return *value;
}

bool IsMarker(const std::string& name) { return platform::FileExists(name); }

}  // namespace

TInstallData::TInstallData() {
  // 1-2. The Start-menu Programs folder and its sub-folders.
  fStartProgramsFolder = platform::KnownFolderPath(platform::KnownFolder::StartMenuPrograms);
  if (!fStartProgramsFolder.empty()) {
    fProgramFolders = platform::ShellSubfolderNames(platform::KnownFolder::StartMenuPrograms);
  }
  // 3-4. Defaults, then the saved settings; a failure keeps what was read so far.
  fCompilationMode = cmVCL;
  fVisitWeb = true;
  try {
    LoadFromRegistry();
  } catch (const Exception&) {
  }
  // 5. The Start-menu group is never read back.
  if (fStartFolderSelected.empty()) fStartFolderSelected = "Orlentix\\Vexorin VCL Edition";
  // 6. Markers.
  fWithSources = IsMarker("withsrcs");
  fAskMetaProviders = IsMarker("metapvds");
  fIncludeMarlin = IsMarker("marlin");
  fIncludeQuillon = IsMarker("quillon");
  // 7-8. The package's version.
  if (!platform::FileExists("version")) {
    const std::string text = "File not exists:\"version\". Invalid installer package.";
    gui::MessageBox(text, "Vexorin Installer");
    throw Exception(text);
  }
  const auto versionText = platform::ReadTextFile("version");
  if (!versionText) {
    throw Exception("Cannot read the file \"version\" of the installer package.");
  }
  fVersion = std::make_unique<TVersion>(Trim(JoinedLines(*versionText)));
  // 9-10. Default folders.
  if (fInstallDir.empty()) {
    std::string programFiles = platform::KnownFolderPath(platform::KnownFolder::ProgramFiles);
    if (programFiles.empty()) programFiles = "C:\\Program files";
    fInstallDir = IncludeTrailingPathDelimiter(programFiles) + "Orlentix\\Vexorin";
  }
  if (fDemoDir.empty()) {
    std::string documents = platform::KnownFolderPath(platform::KnownFolder::CommonDocuments);
    if (documents.empty()) documents = "C:\\Users\\Public\\Documents";
    fDemoDir = IncludeTrailingPathDelimiter(documents) + "Orlentix";
  }
  // 11-12. A command-line parse of its own, then the IDEs.
  fCmdOptions = std::make_unique<TCmdOptions>(platform::CommandLineArguments(), TCmdOptions::HelpAction::RecordOnly);
  fTargets = std::make_unique<TCompileTargetList>();
  // 13-14. The providers first: each IDE's options refer to them.
  fRegisteredMetaProviders = std::make_unique<TMetadataProvidersList>(*this);
  RegisterMetaProviders();
  fTargetOptions = std::make_unique<TTargetOptionsList>(*fTargets, *this);
  // 15. The installation type.
  if (!fInstalled) {
    fInstallType = itNew;
  } else if (fInstalledVersion && fVersion->Version() == fInstalledVersion->Version()) {
    fInstallType = itMainternance;
  } else {
    fInstallType = itUpdate;
  }
  // 16. Compilation modes other than the VCL need the sources.
  if (!fWithSources) fCompilationMode = cmVCL;
}

TInstallData::~TInstallData() {
  // The options refer to the IDEs and the providers.
  fTargetOptions.reset();
  fRegisteredMetaProviders.reset();
  fTargets.reset();
}

void TInstallData::RegisterMetaProviders() { ::RegisterMetaProviders(*fRegisteredMetaProviders); }

std::string TInstallData::PackagesDir() const { return IncludeTrailingPathDelimiter(fDemoDir) + "Packages"; }

std::string TInstallData::SourcesDir() const { return IncludeTrailingPathDelimiter(fDemoDir) + "Sources"; }

std::string TInstallData::StartFolderSelectedFull() const {
  return IncludeTrailingPathDelimiter(fStartProgramsFolder) + fStartFolderSelected;
}

void TInstallData::LoadFromRegistry() {
  RegistryKey key;
  if (!key.OpenRead(RegRoot::LocalMachine, kProductRegistryKey)) {
    fInstalled = false;
    return;
  }
  fInstallDir = ReadString(key, "InstallDir");
  fDemoDir = ReadString(key, "DemoDir");
  fInstalledStartFolder = ReadString(key, "StartFolder");
  fInstalledVersion = std::make_unique<TVersion>(Trim(ReadString(key, "InstalledVersion")));
  fInstalled = !fInstallDir.empty();
  fVisitWeb = key.ValueExists("Visit Web") ? ReadInteger(key, "Visit Web") != 0 : true;
  if (key.ValueExists("CompilationMode")) {
    const uint32_t mode = ReadInteger(key, "CompilationMode");
    if (mode > cmDevExpress) throw Exception("Invalid value for 'CompilationMode'");
    fCompilationMode = static_cast<TCompilationModeType>(mode);
  }
  if (!fInstalled) {
    fInstallDir.clear();
    fInstalledVersion.reset();
    fInstalledStartFolder.clear();
  }
}

void TInstallData::SaveToRegistry() {
  if (!fInstalled) {
    platform::RegDeleteKeyTree(RegRoot::LocalMachine, kProductRegistryKey);
    return;
  }
  RegistryKey key;
  if (!key.OpenWrite(RegRoot::LocalMachine, kProductRegistryKey, true)) return;
  key.WriteString("InstallDir", fInstallDir);
  key.WriteString("DemoDir", fDemoDir);
  key.WriteString("StartFolder", fStartFolderSelected);
  key.WriteString("InstalledVersion", fVersion->Version());
  key.WriteDWord("CompilationMode", static_cast<uint32_t>(fCompilationMode));
  key.WriteDWord("Visit Web", fVisitWeb ? 1 : 0);
}
