// Whole runs of the engine on a machine with IDEs installed from profiles and
// the sample package: a new installation, an update, maintenance, a full
// uninstallation, the failures a run must survive, and the DevExpress mode.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>

#include "Compile/Compiler.h"
#include "Compile/InstallData.h"
#include "Compile/MetaProviders.h"
#include "Compile/TargetOptions.h"
#include "EngineMachine.h"
#include "SysUtils.h"
#include "TestMachine.h"
#include "TestTools.h"
#include "Utils.h"
#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "xml/XmlTree.h"

namespace {

constexpr const char* kDelphi7 = "Delphi 7";
constexpr const char* kCBuilder6 = "C++Builder 6";
constexpr const char* kRs2007 = "CodeGear RAD Studio 2007";
constexpr const char* kXe2Win32 = "Embarcadero RAD Studio XE2 Win32";
constexpr const char* kRs12Win32 = "Embarcadero RAD Studio 12 Win32";
constexpr const char* kRs12Win64 = "Embarcadero RAD Studio 12 Win64";
constexpr const char* kRs13Win32 = "Embarcadero RAD Studio 13 Win32";
constexpr const char* kRs13Win64 = "Embarcadero RAD Studio 13 Win64";

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// Every value below a key, by "sub\key\name", as text.
void DumpKey(platform::RegRoot root, const std::string& path, const std::string& prefix,
             std::map<std::string, std::string>& out) {
  platform::RegistryKey key;
  if (!key.OpenRead(root, path)) return;
  for (const auto& name : key.ValueNames()) {
    if (auto text = key.ReadString(name)) {
      out[prefix + name] = *text;
    } else if (auto number = key.ReadDWord(name)) {
      out[prefix + name] = std::to_string(*number);
    }
  }
  for (const auto& sub : key.SubKeyNames()) DumpKey(root, path + "\\" + sub, prefix + sub + "\\", out);
}

}  // namespace

class EngineRunTest : public ::testing::Test {
 protected:
  EngineRunTest() {
    pkg = machine.Package().PackageDir();
    InstallProgram(ARCHIVER_PATH, pkg + "\\7z.exe");
    if (std::string(ARCHIVER_DLL_PATH) != "") InstallProgram(ARCHIVER_DLL_PATH, pkg + "\\7z.dll");
    InstallProgram(SAMPLE_PACKAGE_DIR "/data.arc", pkg + "\\data.arc");
    WriteFile(pkg + "\\setup.exe", "MZ setup");
    for (const char* marker : {"withsrcs", "metapvds", "marlin", "quillon"}) machine.Package().SetMarker(marker, true);
  }

  void InstallIdes() {
    for (const char* profile : {"delphi7", "bcb6", "bds5", "bds9", "bds23"}) ides.push_back(&machine.Install(profile));
  }

  // The installation data for the IDEs with every IDE's action set.
  TInstallData& Load(TActionType action = atInstall) {
    TInstallData& data = machine.Load();
    for (int i = 0; i < data.TargetOptions().Count(); ++i) data.TargetOptions().Items(i)->SetAction(action);
    return data;
  }

  // The engine's calls by installation type; the error message, "" when none.
  // (C++Builder 6 builds without the suite's make-file template, which
  // nothing provides and an update's removal deletes.)
  std::string Run() {
    // The maintenance copy is taken from the program's folder too.
    ProgramInPackage program(
        pkg, {"7z.exe", "7z.dll", "data.arc", "setup.exe", "version", "withsrcs", "metapvds", "marlin", "quillon"});
    TCompiler& engine = machine.compiler;
    std::string message;
    try {
      switch (InstallData->InstallType()) {
        case itNew:
          engine.Extract(false);
          engine.Compile();
          break;
        case itUpdate:
          engine.Uninstall();
          engine.Remove();
          engine.Extract(false);
          engine.Compile();
          break;
        case itMainternance:
          engine.Compile();
          break;
        case itUninstall:
          engine.Uninstall();
          engine.Remove();
          break;
      }
    } catch (const Exception& e) {
      message = e.Message();
    }
    // The extraction leaves the program's folder the current directory;
    // on win32 that is the test program's, not the package's.
    EXPECT_TRUE(platform::SetCurrentDir(pkg));
    return message;
  }

  std::vector<std::string> Errors() const {
    std::vector<std::string> errors;
    for (const auto& message : machine.compiler.Logger().Messages()) {
      if (message.Severity >= lsError) errors.push_back(message.Message);
    }
    return errors;
  }

  std::vector<std::string> InfoLines() const {
    std::vector<std::string> lines;
    for (const auto& message : machine.compiler.Logger().Messages()) {
      if (message.Severity == lsInfo) lines.push_back(message.Message);
    }
    return lines;
  }

  // The IDEs' registry configuration and EnvOptions.proj files.
  std::map<std::string, std::string> IdeState() const {
    std::map<std::string, std::string> state;
    for (const auto* ide : ides) {
      DumpKey(platform::RegRoot::CurrentUser, ide->userKey, ide->userKey + "\\", state);
      if (!ide->envOptionsPath.empty())
        state[ide->envOptionsPath] = platform::ReadFileBytes(ide->envOptionsPath).value_or("");
    }
    return state;
  }

  EngineMachine machine;
  std::string pkg;
  std::vector<const ideprofiles::InstalledIde*> ides;
};

TEST_F(EngineRunTest, NewInstallation) {
  InstallIdes();
  TInstallData& data = Load();
  ASSERT_EQ(data.InstallType(), itNew);
  TTargetOptions& d7 = machine.Options(kDelphi7);
  TMetadataProvider& ado = ProviderNamed(data, "ADO");
  ASSERT_TRUE(d7.CanInstallMetaProvider(ado));
  d7.SetMetaProviderSheduledForInstall(ado);

  ASSERT_EQ(Run(), "");
  EXPECT_EQ(Errors(), std::vector<std::string>{});

  // The archive without the folders of absent IDE versions.
  EXPECT_TRUE(platform::DirectoryExists(machine.demoDir + "\\RadStudio12x64"));
  EXPECT_TRUE(platform::DirectoryExists(machine.demoDir + "\\Demos\\DemoApp"));
  EXPECT_FALSE(platform::DirectoryExists(machine.demoDir + "\\Delphi2009"));
  // The maintenance copy, the shortcuts, the uninstall entry, the product key.
  EXPECT_EQ(platform::ReadFileBytes(machine.installDir + "\\Uninstall\\setup.exe"), "MZ setup");
  const std::string group = data.StartFolderSelectedFull();
  const auto link = platform::ReadShortcut(group + "\\Vexorin Demo Project.lnk");
  ASSERT_TRUE(link);
  EXPECT_TRUE(platform::FileExists(link->targetPath)) << link->targetPath;
  EXPECT_TRUE(platform::RegKeyExists(platform::RegRoot::LocalMachine, kUninstallRegistryKey));
  EXPECT_TRUE(platform::RegKeyExists(platform::RegRoot::LocalMachine, kProductRegistryKey));
  EXPECT_TRUE(data.Installed());

  struct Case {
    const char* ide;
    const char* bpl;  // the design-time package in the known packages; "" for Win64
    bool cppPaths;
  };
  const Case cases[] = {
      {kDelphi7, "vxVexorinDsgnD7.bpl", false},   {kCBuilder6, "vxVexorinDsgnC6.bpl", false},
      {kRs2007, "vxVexorinDsgnD11.bpl", true},    {kXe2Win32, "vxVexorinDsgnD16.bpl", true},
      {kRs12Win32, "vxVexorinDsgnD29.bpl", true}, {kRs12Win64, "", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ide);
    TTargetOptions& options = machine.Options(c.ide);
    EXPECT_TRUE(options.Installed());
    EXPECT_TRUE(platform::RegKeyExists(platform::RegRoot::LocalMachine, options.RegistryKey()));
    TCompileTarget& target = options.Target();
    if (*c.bpl != '\0') {
      EXPECT_GE(target.KnownPackages().IndexOfFilename(options.BPLDir() + "\\" + c.bpl), 0);
      EXPECT_TRUE(platform::FileExists(options.BPLDir() + "\\" + c.bpl));
    }
    const std::string bplDir = target.InsertDirMacros(options.BPLDir());
    EXPECT_TRUE(Contains(target.SearchPaths(), bplDir));
    EXPECT_EQ(Contains(target.GlobalCppLibraryPaths(), bplDir), c.cppPaths);
    // Form files beside the built packages.
    EXPECT_TRUE(platform::FileExists(options.BPLDir() + "\\vxQueryForm.dfm"));
  }
  // Headers of the C++ builds in the IDE.
  TTargetOptions& rs12 = machine.Options(kRs12Win32);
  // (The providers' headers are built after the copy and stay where they are.)
  for (const char* header : {"vxCore.hpp", "vxQuery.hpp", "vxReg.hpp", "vxMarlinCore.hpp"}) {
    EXPECT_TRUE(platform::FileExists(rs12.BPLDir() + "\\" + header)) << header;
    EXPECT_TRUE(platform::FileExists(rs12.HppDir() + "\\" + header)) << header;
  }
  // The provider whose library is there: built and installed in Delphi 7.
  EXPECT_TRUE(d7.IsMetaProviderInstalled(ado));
  EXPECT_GE(d7.Target().KnownPackages().IndexOfFilename(d7.BPLDir() + "\\VxVexorinDsgnADOD7.bpl"), 0);

  // The log's lines in their order.
  const auto info = InfoLines();
  const std::vector<std::string> order = {"Installing Vexorin v. " + data.Version().Version(),
                                          "Extracting component files...",
                                          "Extracting Demos completed...",
                                          "Create Shortcuts in Start menu folder...",
                                          "Setting up Uninstall information...",
                                          "Completed",
                                          "Compiling for:" + machine.Options(kRs12Win64).Target().DisplayName(),
                                          "Compiling for:" + rs12.Target().DisplayName(),
                                          "Compiling for:" + d7.Target().DisplayName(),
                                          "Compiling core packages",
                                          "Installing core packages",
                                          "Compiling criteria builder packages",
                                          "Installing criteria builder packages",
                                          "Compiling text editor packages",
                                          "Installing text editor packages",
                                          "Adding component folders to IDE paths collections",
                                          "Compiling/Installing Vexorin Component ADO Connectivity"};
  auto at = info.begin();
  for (const auto& line : order) {
    at = std::find(at, info.end(), line);
    ASSERT_NE(at, info.end()) << line;
  }
}

TEST_F(EngineRunTest, UpdateMaintenanceAndUninstallation) {
  InstallIdes();
  auto before = IdeState();
  Load();
  ASSERT_EQ(Run(), "");
  ASSERT_EQ(Errors(), std::vector<std::string>{});

  // An update to a newer package.
  WriteFile(pkg + "\\version", "5.12.4 Professional With Sources\r\n");
  TInstallData* data = &Load();
  ASSERT_EQ(data->InstallType(), itUpdate);
  size_t mark = machine.Log().size();
  ASSERT_EQ(Run(), "");
  EXPECT_EQ(Errors(), std::vector<std::string>{});
  auto log = machine.LogSince(mark);
  EXPECT_EQ(log.front(), "Uninstall from IDEs...");
  EXPECT_TRUE(Contains(log, "Delete component files..."));
  EXPECT_TRUE(Contains(log, "Installing Vexorin v. " + data->Version().Version()));
  {
    platform::RegistryKey key;
    ASSERT_TRUE(key.OpenRead(platform::RegRoot::LocalMachine, kProductRegistryKey));
    EXPECT_TRUE(StrStartsWith(key.ReadString("InstalledVersion").value_or(""), "5.12.4 ", false));
  }
  EXPECT_TRUE(machine.Options(kDelphi7).Installed());
  EXPECT_TRUE(machine.Options(kRs12Win64).Installed());

  // Maintenance: Delphi 7 out, RAD Studio 12 Win32 anew, the rest left alone.
  data = &Load(atDoNothing);
  ASSERT_EQ(data->InstallType(), itMainternance);
  machine.Options(kDelphi7).SetAction(atUninstall);
  machine.Options(kRs12Win32).SetAction(atInstall);
  mark = machine.Log().size();
  ASSERT_EQ(Run(), "");
  EXPECT_EQ(Errors(), std::vector<std::string>{});
  log = machine.LogSince(mark);
  EXPECT_TRUE(Contains(log, "Uninstall from IDE:" + machine.Options(kDelphi7).Target().DisplayName()));
  EXPECT_TRUE(Contains(log, "Compiling for:" + machine.Options(kRs12Win32).Target().DisplayName()));
  EXPECT_FALSE(Contains(log, "Compiling for:" + machine.Options(kXe2Win32).Target().DisplayName()));
  EXPECT_FALSE(machine.Options(kDelphi7).Installed());
  EXPECT_TRUE(machine.Options(kRs12Win32).Installed());
  EXPECT_TRUE(machine.Options(kXe2Win32).Installed());

  // A full uninstallation.
  data = &Load(atUninstall);
  data->SetInstallType(itUninstall);
  ASSERT_EQ(Run(), "");
  EXPECT_EQ(Errors(), std::vector<std::string>{});
  EXPECT_FALSE(platform::RegKeyExists(platform::RegRoot::LocalMachine, kProductRegistryKey));
  EXPECT_FALSE(platform::RegKeyExists(platform::RegRoot::LocalMachine, kUninstallRegistryKey));
  EXPECT_FALSE(platform::DirectoryExists(data->StartFolderSelectedFull()));
  EXPECT_FALSE(platform::DirectoryExists(machine.installDir));
  EXPECT_FALSE(platform::DirectoryExists(machine.demoDir + "\\Demos"));

  // Every IDE's configuration as before, but for what the removal leaves on
  // purpose: the force-update flag set, the suite's output folder at the end
  // of the C++ browsing and library paths (the installation adds it there and
  // the removal leaves those lists alone), EnvOptions.proj rewritten.
  auto after = IdeState();
  std::map<std::string, std::string> expected = before;
  const std::string bds5 = "Software\\Borland\\BDS\\5.0";
  const std::string xe2 = "Software\\Embarcadero\\BDS\\9.0";
  const std::string rs12 = "Software\\Embarcadero\\BDS\\23.0";
  for (const std::string& key : {bds5, xe2, rs12}) expected[key + "\\Globals\\ForceEnvOptionsUpdate"] = "1";
  const std::string demo = machine.demoDir + "\\";
  for (const std::string value : {"\\BrowsingPath", "\\LibraryPath"}) {
    for (const auto& [name, folder] :
         std::vector<std::pair<std::string, std::string>>{{bds5 + "\\CppPaths" + value, "Delphi2007"},
                                                          {xe2 + "\\C++\\Paths\\Win32" + value, "Delphi2012"},
                                                          {rs12 + "\\C++\\Paths\\Win32" + value, "RadStudio12"},
                                                          {rs12 + "\\C++\\Paths\\Win64" + value, "RadStudio12x64"}}) {
      expected[name] = before[name] + ";" + demo + folder;
    }
  }
  for (const auto* ide : ides) {
    if (ide->envOptionsPath.empty()) continue;
    SCOPED_TRACE(ide->envOptionsPath);
    const std::string was = before[ide->envOptionsPath];
    const std::string is = after[ide->envOptionsPath];
    expected.erase(ide->envOptionsPath);
    after.erase(ide->envOptionsPath);
    // The platforms' own groups stay as they were (the file is written with
    // LF line ends).
    const auto conditioned = [](std::string text) {
      text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
      return text.substr(text.find("<PropertyGroup Condition"));
    };
    if (was.find("<PropertyGroup Condition") != std::string::npos) {
      EXPECT_EQ(conditioned(is), conditioned(was));
    }
    // In the first group only the C++ elements change.
    xml::TXmlDocument wasDocument;
    xml::TXmlDocument isDocument;
    wasDocument.LoadFromText(was, "before");
    isDocument.LoadFromText(is, "after");
    xml::TXmlElement isGroup = isDocument.Root().FindChild("PropertyGroup");
    for (const auto& element : wasDocument.Root().FindChild("PropertyGroup").ChildElements()) {
      if (StrStartsWith(element.Name(), "CBuilder", false)) continue;
      EXPECT_EQ(isGroup.FindChild(element.Name()).Text(), element.Text()) << element.Name();
    }
  }
  const std::string d2007 = ";" + demo + "Delphi2007";
  xml::TXmlDocument bds5Options;
  bds5Options.LoadFromFile(ides[2]->envOptionsPath);
  EXPECT_EQ(bds5Options.Root().FindChild("PropertyGroup").FindChild("CBuilderLibraryPath").Text(),
            "$(BDS)\\lib;$(BDS)\\lib\\obj;$(BDS)\\lib\\psdk" + d2007);
  EXPECT_EQ(after, expected);
}

TEST_F(EngineRunTest, RadStudio13NewInstallationUpdateAndUninstallation) {
  ides.push_back(&machine.Install("bds37"));
  const auto before = IdeState();
  TInstallData* data = &Load();
  ASSERT_EQ(data->InstallType(), itNew);
  ASSERT_EQ(Run(), "");
  EXPECT_EQ(Errors(), std::vector<std::string>{});

  // Its folders extracted, those of RAD Studio 12 left out.
  for (const char* folder : {"RadStudio13", "RadStudio13x64", "Packages\\RadStudio13", "Sources"}) {
    EXPECT_TRUE(platform::DirectoryExists(machine.demoDir + "\\" + folder)) << folder;
  }
  EXPECT_FALSE(platform::DirectoryExists(machine.demoDir + "\\RadStudio12"));

  // The data-access libraries the IDE ships, found by their 370 packages
  // (dclado370.bpl, dclFireDAC370.bpl...); the BDE is no longer among them.
  const std::vector<std::string> providers = {"ADO", "IBEx", "DbEx", "FireDAC"};
  // Win32: the suite's and the providers' design-time packages registered,
  // named for product version 30, and the providers recorded as installed.
  const auto checkRegistered = [&]() {
    TTargetOptions& options = machine.Options(kRs13Win32);
    EXPECT_TRUE(options.Installed());
    const TDelphiPackageList& known = options.Target().KnownPackages();
    EXPECT_GE(known.IndexOfFilename(options.BPLDir() + "\\vxVexorinDsgnD30.bpl"), 0);
    std::vector<std::string> installed;
    for (int i = 0; i < InstallData->MetaProviders().Count(); ++i) {
      TMetadataProvider& provider = *InstallData->MetaProviders().Items(i);
      if (options.IsMetaProviderInstalled(provider)) installed.push_back(provider.PackageSuffix());
    }
    EXPECT_EQ(installed, providers);
    for (const std::string& suffix : providers) {
      EXPECT_GE(known.IndexOfFilename(options.BPLDir() + "\\VxVexorinDsgn" + suffix + "D30.bpl"), 0) << suffix;
    }
    EXPECT_TRUE(machine.Options(kRs13Win64).Installed());
  };
  checkRegistered();
  for (const char* ide : {kRs13Win32, kRs13Win64}) {
    SCOPED_TRACE(ide);
    TTargetOptions& options = machine.Options(ide);
    const bool win32 = options.Target().Platform() == ctpWin32;
    EXPECT_TRUE(StrEndsWith(options.BPLDir(), win32 ? "\\RadStudio13" : "\\RadStudio13x64", false));
    EXPECT_TRUE(platform::FileExists(options.PackagesDir() + "\\vxVexorinD30.dpk"));
    EXPECT_TRUE(platform::FileExists(options.BPLDir() + "\\vxVexorinD30.bpl"));
    EXPECT_EQ(platform::FileExists(options.BPLDir() + "\\vxVexorinDsgnD30.bpl"), win32);
    for (const std::string& suffix : providers) {
      EXPECT_TRUE(platform::FileExists(options.BPLDir() + "\\VxVexorin" + suffix + "D30.bpl")) << suffix;
    }
    EXPECT_TRUE(platform::RegKeyExists(platform::RegRoot::LocalMachine, options.RegistryKey()));
    EXPECT_TRUE(Contains(options.Target().SearchPaths(), options.Target().InsertDirMacros(options.BPLDir())));
  }
  {
    platform::RegistryKey key;
    ASSERT_TRUE(key.OpenRead(platform::RegRoot::LocalMachine, machine.Options(kRs13Win32).RegistryKey()));
    EXPECT_EQ(key.ReadDWord("FireDAC Connectivity").value_or(0), 1u);
  }

  // An update to a newer package takes everything out and puts it back.
  WriteFile(pkg + "\\version", "5.12.4 Professional With Sources\r\n");
  data = &Load();
  ASSERT_EQ(data->InstallType(), itUpdate);
  const size_t mark = machine.Log().size();
  ASSERT_EQ(Run(), "");
  EXPECT_EQ(Errors(), std::vector<std::string>{});
  const auto log = machine.LogSince(mark);
  for (const char* ide : {kRs13Win32, kRs13Win64}) {
    EXPECT_TRUE(Contains(log, "Uninstall from IDE:" + machine.Options(ide).Target().DisplayName())) << ide;
    EXPECT_TRUE(Contains(log, "Compiling for:" + machine.Options(ide).Target().DisplayName())) << ide;
  }
  checkRegistered();

  // A full uninstallation leaves the IDE as it was.
  data = &Load(atUninstall);
  data->SetInstallType(itUninstall);
  ASSERT_EQ(Run(), "");
  EXPECT_EQ(Errors(), std::vector<std::string>{});
  EXPECT_FALSE(platform::RegKeyExists(platform::RegRoot::LocalMachine, kProductRegistryKey));
  EXPECT_FALSE(machine.Options(kRs13Win32).Installed());
  // Its configuration as before, but for what the removal leaves on purpose:
  // the force-update flag, the suite's output folders at the end of the C++
  // browsing and library paths, EnvOptions.proj rewritten.
  auto after = IdeState();
  std::map<std::string, std::string> expected = before;
  const std::string rs13 = "Software\\Embarcadero\\BDS\\37.0";
  expected[rs13 + "\\Globals\\ForceEnvOptionsUpdate"] = "1";
  for (const std::string value : {"\\BrowsingPath", "\\LibraryPath"}) {
    for (const auto& [platformKey, folder] : std::vector<std::pair<std::string, std::string>>{
             {"\\C++\\Paths\\Win32", "RadStudio13"}, {"\\C++\\Paths\\Win64", "RadStudio13x64"}}) {
      const std::string name = rs13 + platformKey + value;
      expected[name] = before.at(name) + ";" + machine.demoDir + "\\" + folder;
    }
  }
  expected.erase(ides.back()->envOptionsPath);
  after.erase(ides.back()->envOptionsPath);
  EXPECT_EQ(after, expected);
}

// A provider built for a Win64 IDE (which registers no design-time package)
// is recorded as installed there, so the next run keeps and rebuilds it.
TEST_F(EngineRunTest, Win64ProviderChoiceSurvivesTheNextRun) {
  machine.Install("bds23");
  auto providerValue = [](const TTargetOptions& options) {
    platform::RegistryKey key;
    if (!key.OpenRead(platform::RegRoot::LocalMachine, options.RegistryKey())) return std::optional<uint32_t>();
    return key.ReadDWord("FireDAC Connectivity");
  };
  for (int run = 1; run <= 2; ++run) {
    SCOPED_TRACE(run);
    TInstallData& data = Load(atDoNothing);
    ASSERT_EQ(data.InstallType(), run == 1 ? itNew : itMainternance);
    TTargetOptions& x64 = machine.Options(kRs12Win64);
    TMetadataProvider& fireDac = ProviderNamed(data, "FireDAC");
    ASSERT_TRUE(x64.CanInstallMetaProvider(fireDac));
    // The first run schedules it by default; the second keeps the recorded choice.
    EXPECT_TRUE(x64.IsMetaProviderSheduledForInstall(fireDac));
    EXPECT_EQ(x64.IsMetaProviderInstalled(fireDac), run == 2);
    x64.SetAction(atInstall);
    const size_t mark = machine.Log().size();
    ASSERT_EQ(Run(), "");
    EXPECT_EQ(Errors(), std::vector<std::string>{});
    EXPECT_TRUE(Contains(machine.LogSince(mark), "Compiling/Installing Vexorin Component FireDAC Connectivity"));
    EXPECT_TRUE(platform::FileExists(x64.BPLDir() + "\\VxVexorinFireDACD29.bpl"));
    EXPECT_TRUE(x64.IsMetaProviderInstalled(fireDac));
    EXPECT_EQ(providerValue(x64), std::optional<uint32_t>(1));
  }
}

// A freshly installed IDE, never started, has no EnvOptions.proj: the suite
// goes into its registry configuration, and the IDE makes the file from it.
TEST_F(EngineRunTest, AnIdeNeverStartedGetsItsPathsInTheRegistry) {
  const auto& ide = machine.Install("bds23");
  ASSERT_TRUE(platform::RemoveFile(ide.envOptionsPath));
  Load(atDoNothing);
  TTargetOptions& rs12 = machine.Options(kRs12Win32);
  rs12.SetAction(atInstall);
  ASSERT_EQ(Run(), "");
  EXPECT_EQ(Errors(), std::vector<std::string>{});
  EXPECT_TRUE(rs12.Installed());
  EXPECT_TRUE(Contains(InfoLines(), "No " + ide.envOptionsPath +
                                        " yet (the IDE has never been started): the paths are written to the "
                                        "registry, from which the IDE makes that file at its first start"));
  EXPECT_FALSE(platform::FileExists(ide.envOptionsPath));
  platform::RegistryKey library;
  ASSERT_TRUE(library.OpenRead(platform::RegRoot::CurrentUser, ide.userKey + "\\Library\\Win32"));
  const std::string search = library.ReadString("Search Path").value_or("");
  EXPECT_NE(search.find(rs12.Target().InsertDirMacros(rs12.BPLDir())), std::string::npos) << search;
  platform::RegistryKey globals;
  ASSERT_TRUE(globals.OpenRead(platform::RegRoot::CurrentUser, ide.userKey + "\\Globals"));
  const auto type = globals.ValueType("ForceEnvOptionsUpdate");
  EXPECT_EQ(type == platform::RegValueType::DWord
                ? std::to_string(globals.ReadDWord("ForceEnvOptionsUpdate").value_or(0))
                : globals.ReadString("ForceEnvOptionsUpdate").value_or(""),
            "1");
}

// A version the folder-name tables do not name (there was no C++Builder 7)
// would build into the demo folder itself and delete the object files there:
// such an IDE is refused, the others are served.
TEST_F(EngineRunTest, AnIdeVersionWithoutFolderNamesIsRefused) {
  machine.Install("delphi7");
  machine.Package().Fixture().AddClassic("C++Builder", "7.0", "Enterprise");
  Load(atInstall);
  TTargetOptions& unknown = machine.Options("C++Builder 7.0");
  EXPECT_FALSE(unknown.HasFolderNames());
  EXPECT_TRUE(machine.Options(kDelphi7).HasFolderNames());
  const std::vector<std::string> kept = {machine.demoDir + "\\Sources\\vxCore.dcu", machine.demoDir + "\\mine.obj"};
  for (const auto& file : kept) WriteFile(file, "the user's");
  ASSERT_EQ(Run(), "");
  EXPECT_EQ(Errors(), std::vector<std::string>{"No output folder is known for C++Builder 7.0 (Enterprise) (product "
                                               "version 7): nothing is built for it"});
  for (const auto& file : kept) EXPECT_EQ(platform::ReadFileBytes(file), "the user's") << file;
  EXPECT_FALSE(unknown.Installed());
  EXPECT_TRUE(machine.Options(kDelphi7).Installed());
}

// The wizard offers no IDE without the tree list in the DevExpress mode; a run
// that has one all the same ends with the program's own error, which the
// compile page reports, not with the end of the program.
TEST_F(EngineRunTest, DevExpressModeWithoutTheTreeListEndsWithAnError) {
  machine.Install("delphi7");
  TInstallData& data = Load(atInstall);
  data.SetCompilationMode(cmDevExpress);
  try {
    machine.compiler.Compile();
    ADD_FAILURE() << "no error";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(),
              "The DevExpress mode needs the DevExpress tree list (dclcxTreeList), which Delphi 7.0 (Enterprise) does "
              "not have");
  }
  EXPECT_FALSE(machine.Options(kDelphi7).Installed());
}

TEST_F(EngineRunTest, FailuresStayInTheirIde) {
  InstallIdes();
  TInstallData& data = Load();
  TTargetOptions& d7 = machine.Options(kDelphi7);
  TMetadataProvider& ado = ProviderNamed(data, "ADO");
  d7.SetMetaProviderSheduledForInstall(ado);
  // Extract first, then spoil XE2's core package and Delphi 7's ADO package.
  {
    ProgramInPackage program(pkg, {"7z.exe", "7z.dll", "data.arc"});
    ASSERT_NO_THROW(machine.compiler.Extract(false));
    ASSERT_TRUE(platform::SetCurrentDir(pkg));
  }
  TTargetOptions& xe2 = machine.Options(kXe2Win32);
  const std::string broken = "package vxVexorinD16;\r\nrequires\r\n  nosuchpackage;\r\nend.\r\n";
  WriteFile(xe2.PackagesDir() + "\\vxVexorinD16.dpk", broken);
  WriteFile(d7.PackagesDir() + "\\VxVexorinADOD7.dpk",
            "package VxVexorinADOD7;\r\nrequires\r\n  nosuchpackage;\r\nend.\r\n");
  machine.compiler.Compile();

  const auto errors = Errors();
  // XE2 fails for both platforms, which share the package sources.
  ASSERT_EQ(errors.size(), 3u) << ::testing::PrintToString(errors);
  EXPECT_EQ(errors[0], "Error compiling package: vxVexorinD16.dpk");
  EXPECT_EQ(errors[1], "Error compiling package: vxVexorinD16.dpk");
  EXPECT_EQ(errors[2], "Error compiling package: VxVexorinADOD7.dpk");
  EXPECT_FALSE(xe2.Installed());
  EXPECT_FALSE(platform::RegKeyExists(platform::RegRoot::LocalMachine, xe2.RegistryKey()));
  EXPECT_TRUE(machine.Options(kRs12Win32).Installed());
  EXPECT_TRUE(d7.Installed());
  EXPECT_FALSE(d7.IsMetaProviderInstalled(ado));
  EXPECT_FALSE(d7.IsMetaProviderSheduledForInstall(ado));
  EXPECT_EQ(d7.Target().KnownPackages().IndexOfFilename(d7.BPLDir() + "\\VxVexorinDsgnADOD7.bpl"), -1);
}

TEST_F(EngineRunTest, MissingAndCorruptArchive) {
  machine.Install("delphi7");
  Load();
  WriteFile(pkg + "\\data.arc", "not an archive");
  EXPECT_EQ(Run(), "Error extracting component files from archive.\rFatal error");
  EXPECT_FALSE(InstallData->Installed());
  EXPECT_FALSE(platform::RegKeyExists(platform::RegRoot::LocalMachine, kProductRegistryKey));
  EXPECT_FALSE(machine.Options(kDelphi7).Installed());

  ASSERT_TRUE(platform::RemoveFile(pkg + "\\data.arc"));
  EXPECT_EQ(Run(), "File not exists:\"data.arc\". Invalid installer package.");
  EXPECT_FALSE(platform::RegKeyExists(platform::RegRoot::LocalMachine, kProductRegistryKey));
}

// The package files are rewritten in the encoding they have, with their
// byte-order mark: UTF-16LE and UTF-8 here.
TEST_F(EngineRunTest, DevExpressPackageFilesKeepTheirEncoding) {
  machine.Install("delphi7");
  TInstallData& data = Load(atDoNothing);
  data.SetCompilationMode(cmDevExpress);
  {
    ProgramInPackage program(pkg, {"7z.exe", "7z.dll", "data.arc"});
    ASSERT_NO_THROW(machine.compiler.ExtractArchive(false));
    ASSERT_TRUE(platform::SetCurrentDir(pkg));
  }
  // ASCII text as UTF-16LE with its mark.
  const auto utf16 = [](const std::string& ascii) {
    std::string bytes = "\xFF\xFE";
    for (const char c : ascii) bytes += std::string{c, '\0'};
    return bytes;
  };
  TTargetOptions& d7 = machine.Options(kDelphi7);
  const std::string dpk = d7.PackagesDir() + "\\vxVexorinDsgnD7.dpk";
  const std::string bpk = d7.PackagesDir() + "\\vxVexorinDsgnD7.bpk";
  WriteFile(dpk, utf16("package vxVexorinDsgnD7;\r\nrequires\r\n  cxTreeListVCLD7;\r\nend.\r\n"));
  WriteFile(bpk, "\xEF\xBB\xBF<PACKAGES value=\"cxTreeListVCLC7.bpi\"/>\n");
  // No IDE to install: tree list 5, whose names have no "VCL".
  machine.compiler.Compile();
  EXPECT_EQ(platform::ReadFileBytes(dpk), utf16("package vxVexorinDsgnD7;\r\nrequires\r\n  cxTreeListD7;\r\nend.\r\n"));
  EXPECT_EQ(platform::ReadFileBytes(bpk), "\xEF\xBB\xBF<PACKAGES value=\"cxTreeListC7.bpi\"/>\r\n");
}

TEST_F(EngineRunTest, DevExpressMode) {
  machine.Install("delphi7");
  TInstallData& data = Load();
  data.SetCompilationMode(cmDevExpress);
  TTargetOptions& d7 = machine.Options(kDelphi7);
  d7.Target().KnownPackages().Add("C:\\DevExpress\\dclcxTreeListD7.bpl",
                                  "ExpressQuantumTreeList 4 by Developer Express");
  d7.Target().KnownPackages().Add("C:\\DevExpress\\dcldxSkinsCoreD7.bpl", "ExpressSkins Library");
  {
    ProgramInPackage program(pkg, {"7z.exe", "7z.dll", "data.arc"});
    ASSERT_NO_THROW(machine.compiler.ExtractArchive(false));
    ASSERT_TRUE(platform::SetCurrentDir(pkg));
  }
  const std::string include = data.SourcesDir() + "\\DevExpressForms\\vxn.inc";
  const std::string dpk = d7.PackagesDir() + "\\vxVexorinD7.dpk";
  WriteFile(d7.PackagesDir() + "\\vxVexorinDsgnD7.dpk",
            "package vxVexorinDsgnD7;\nrequires\n  cxTreeListD7,\n  CXTREELISTDDD;\nend.");
  // Only the configuration: no IDE is built.
  d7.SetAction(atDoNothing);
  machine.compiler.Compile();
  // With no IDE to install, tree list 5 and no skins.
  EXPECT_EQ(platform::ReadFileBytes(include),
            "{-$define VXN_TREEVIEW_DEVEXPRESS_V4}\r\n{-$define VXN_DEVEXPRESS_SKINS}\r\n");
  const auto offDpk = platform::ReadFileBytes(dpk);
  ASSERT_TRUE(offDpk);
  EXPECT_NE(offDpk->find("  {dxSkinsCoreD7,}vcl;"), std::string::npos) << *offDpk;  // already off, still valid
  // The copy of the edited include file over the sources.
  EXPECT_EQ(platform::ReadFileBytes(data.SourcesDir() + "\\vxn.inc"), platform::ReadFileBytes(include));

  // Delphi 7 to be installed, with tree list 4 and the skins: both switches
  // on, the tree-list names of version 4, the skins entry on. (The build
  // itself fails for want of the DevExpress packages; that is not the point.)
  d7.SetAction(atInstall);
  machine.compiler.Compile();
  EXPECT_EQ(platform::ReadFileBytes(include),
            "{$define VXN_TREEVIEW_DEVEXPRESS_V4}\r\n{$define VXN_DEVEXPRESS_SKINS}\r\n");
  const std::string dsgn = d7.PackagesDir() + "\\vxVexorinDsgnD7.dpk";
  EXPECT_EQ(platform::ReadFileBytes(dsgn),
            "package vxVexorinDsgnD7;\r\nrequires\r\n  cxTreeListVCLD7,\r\n  cxTreeListVCLDDD;\r\nend.\r\n");
  const auto onDpk = platform::ReadFileBytes(dpk);
  ASSERT_TRUE(onDpk);
  EXPECT_NE(onDpk->find("  dxSkinsCoreD7,vcl;"), std::string::npos) << *onDpk;
  // A second run with the same result changes nothing.
  const auto includeBefore = platform::ReadFileBytes(include);
  machine.compiler.Compile();
  EXPECT_EQ(platform::ReadFileBytes(include), includeBefore);
  EXPECT_EQ(platform::ReadFileBytes(dpk), onDpk);
  EXPECT_EQ(platform::ReadFileBytes(dsgn),
            "package vxVexorinDsgnD7;\r\nrequires\r\n  cxTreeListVCLD7,\r\n  cxTreeListVCLDDD;\r\nend.\r\n");

  // Without the skins library twice: the entry goes off once and stays valid.
  d7.Target().KnownPackages().Remove("C:\\DevExpress\\dcldxSkinsCoreD7.bpl");
  machine.compiler.Compile();
  machine.compiler.Compile();
  EXPECT_EQ(platform::ReadFileBytes(dpk), offDpk);
  EXPECT_EQ(platform::ReadFileBytes(include),
            "{$define VXN_TREEVIEW_DEVEXPRESS_V4}\r\n{-$define VXN_DEVEXPRESS_SKINS}\r\n");
}
