// Per-IDE options: the saved state under the product key, the IDE's folders
// and the questions the wizard asks about it, on IDEs installed from profiles.
#include "Compile/TargetOptions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "Compile/InstallData.h"
#include "Compile/MetaProviders.h"
#include "Compile/VersionTables.h"
#include "PackageMachine.h"
#include "SysUtils.h"
#include "TestTools.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "uLogger.h"

using platform::RegRoot;

namespace {

const std::string kRs12Key = std::string(kProductRegistryKey) + "\\Embarcadero RAD Studio 12 Win32 (Enterprise)";

// Installed and scheduled, as the per-IDE lists hold a provider.
std::pair<bool, bool> StateOf(const TTargetOptions& options, const TMetadataProvider& provider) {
  return {options.IsMetaProviderInstalled(provider), options.IsMetaProviderSheduledForInstall(provider)};
}

const std::pair<bool, bool> kInstalled{true, true};
const std::pair<bool, bool> kScheduled{false, true};
const std::pair<bool, bool> kNeither{false, false};

}  // namespace

TEST(VersionTablesTest, EntriesByProductVersion) {
  EXPECT_EQ(VersionTableEntry(IDEFolderNames, 21), "DelphiXe7");
  EXPECT_EQ(VersionTableEntry(IDEFolderNames, 29), "RadStudio12");
  EXPECT_EQ(VersionTableEntry(IDEFolderNames, 30), "RadStudio13");
  EXPECT_EQ(VersionTableEntry(CBuilderFolderNames, 5), "CBuilder5");
  EXPECT_EQ(VersionTableEntry(CBuilderFolderNames, 7), "");
  EXPECT_EQ(VersionTableEntry(VersionTokens, 12), "2009");
  EXPECT_EQ(VersionTableEntry(VersionTokens, 24), "RS10_1");
  EXPECT_EQ(VersionTableEntry(VersionTokens, 30), "RS13");
  EXPECT_EQ(VersionTableEntry(ProviderVersionTokens, 22), "XE8");
  EXPECT_EQ(VersionTableEntry(ProviderVersionTokens, 27), "rsdelphi%P104");
  EXPECT_EQ(VersionTableEntry(ProviderVersionTokens, 30), "rsdelphi%P13");
  // Version 13 was never released; versions outside the tables have no entry.
  for (const TVersionTable* table : {&IDEFolderNames, &CBuilderFolderNames, &VersionTokens, &ProviderVersionTokens}) {
    for (int version : {13, 0, -1, 31, 37, 60}) EXPECT_EQ(VersionTableEntry(*table, version), "") << version;
  }
}

class TargetOptionsTest : public ::testing::Test {
 protected:
  void SetDWord(const std::string& key, const std::string& name, uint32_t value) {
    machine.Fixture().SetDWord(RegRoot::LocalMachine, key, name, value);
  }
  void DeleteValue(const std::string& key, const std::string& name) {
    platform::RegistryKey k;
    ASSERT_TRUE(k.OpenWrite(RegRoot::LocalMachine, key, false)) << key;
    ASSERT_TRUE(k.DeleteValue(name)) << name;
  }

  PackageMachine machine;
};

TEST_F(TargetOptionsTest, SavedProviderValuesDecideInstalledAndScheduled) {
  machine.Install("bds23");  // registers ADO, IBX, dbExpress and FireDAC packages
  machine.SetMarker("withsrcs", true);
  SetDWord(kRs12Key, "Installed", 1);
  SetDWord(kRs12Key, "IDE Registration", 0);
  SetDWord(kRs12Key, "Add Source Location", 1);
  SetDWord(kRs12Key, "FireDAC Connectivity", 0);
  {
    const TInstallData data;
    ASSERT_EQ(data.TargetOptions().Count(), data.Targets().Count());
    for (int i = 0; i < data.Targets().Count(); ++i) {
      EXPECT_EQ(&data.TargetOptions().Items(i)->Target(), data.Targets().GetItems(i));
      EXPECT_EQ(data.TargetOptions().Items(i)->Action(), atDoNothing);
    }
    const TTargetOptions& rs12 = OptionsOf(data, "Embarcadero RAD Studio 12 Win32");
    EXPECT_TRUE(rs12.Installed());
    EXPECT_FALSE(rs12.IDERegistration());
    EXPECT_TRUE(rs12.AddSourceLocation());
    EXPECT_TRUE(rs12.ExtractObjFromLib());  // absent: the default of version 14 and later
    EXPECT_TRUE(rs12.CompilePackages());    // from the package, never from the key
    EXPECT_EQ(StateOf(rs12, ProviderNamed(data, "FireDAC")), kNeither);
    EXPECT_EQ(StateOf(rs12, ProviderNamed(data, "ADO")), kInstalled);
    EXPECT_EQ(StateOf(rs12, ProviderNamed(data, "DbEx")), kInstalled);
    EXPECT_EQ(StateOf(rs12, ProviderNamed(data, "BDE")), kNeither);   // no BDE in RAD Studio 12
    EXPECT_EQ(StateOf(rs12, ProviderNamed(data, "ZEOS")), kNeither);  // library absent

    // The Win64 target has no key: the defaults; the package offers no
    // non-standard providers.
    const TTargetOptions& rs12x64 = OptionsOf(data, "Embarcadero RAD Studio 12 Win64");
    EXPECT_FALSE(rs12x64.Installed());
    EXPECT_TRUE(rs12x64.IDERegistration());
    EXPECT_TRUE(rs12x64.AddSourceLocation());
    EXPECT_EQ(StateOf(rs12x64, ProviderNamed(data, "ADO")), kScheduled);
    EXPECT_EQ(StateOf(rs12x64, ProviderNamed(data, "FireDAC")), kNeither);
  }
  // Without its value, a non-standard provider is scheduled, not installed,
  // even when the package does not offer non-standard providers.
  DeleteValue(kRs12Key, "FireDAC Connectivity");
  {
    const TInstallData data;
    EXPECT_EQ(StateOf(OptionsOf(data, "Embarcadero RAD Studio 12 Win32"), ProviderNamed(data, "FireDAC")), kScheduled);
  }
  machine.SetMarker("metapvds", true);
  const TInstallData data;
  EXPECT_EQ(StateOf(OptionsOf(data, "Embarcadero RAD Studio 12 Win64"), ProviderNamed(data, "FireDAC")), kScheduled);
}

// A key that lacks a value it must have makes that IDE's load error; the
// IDE cannot be given an action, and the other IDEs load as ever.
TEST_F(TargetOptionsTest, MissingSavedValueIsTheIdesLoadError) {
  machine.Install("delphi7");
  machine.Install("bds23");
  const std::string key = std::string(kProductRegistryKey) + "\\Delphi 7.0 (Enterprise)";
  struct Case {
    const char* missing;
    bool withSources;
    const char* error;  // nullptr: loads
  };
  const Case cases[] = {
      {"Installed", false, "Failed to get data for 'Installed'"},
      {"IDE Registration", false, "Failed to get data for 'IDE Registration'"},
      {"Add Source Location", true, "Failed to get data for 'Add Source Location'"},
      {"Add Source Location", false, nullptr},  // only read when the package has sources
      {"ExtractObjFromLib", true, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.missing);
    platform::RegDeleteKeyTree(RegRoot::LocalMachine, key);
    for (const char* name : {"Installed", "IDE Registration", "Add Source Location", "ExtractObjFromLib"}) {
      if (std::string(name) != c.missing) SetDWord(key, name, 1);
    }
    machine.SetMarker("withsrcs", c.withSources);
    const TInstallData data;
    TTargetOptions& delphi7 = OptionsOf(data, "Delphi 7.0");
    TTargetOptions& rs12 = OptionsOf(data, "Embarcadero RAD Studio 12 Win32");
    EXPECT_EQ(rs12.LoadError(), "");
    rs12.SetAction(atInstall);
    EXPECT_EQ(rs12.Action(), atInstall);
    delphi7.SetAction(atInstall);
    if (c.error != nullptr) {
      EXPECT_EQ(delphi7.LoadError(), c.error);
      EXPECT_EQ(delphi7.Action(), atDoNothing);
      continue;
    }
    EXPECT_EQ(delphi7.LoadError(), "");
    EXPECT_EQ(delphi7.Action(), atInstall);
    EXPECT_TRUE(delphi7.Installed());
    EXPECT_EQ(delphi7.AddSourceLocation(), c.withSources);
    EXPECT_EQ(delphi7.ExtractObjFromLib(), std::string(c.missing) != "ExtractObjFromLib");  // default: False
  }
}

TEST_F(TargetOptionsTest, SavingWritesTheStateAndNotInstalledRemovesIt) {
  machine.Install("bds23");
  machine.SetMarker("withsrcs", true);
  machine.SetMarker("metapvds", true);
  std::string demoDir;
  {
    const TInstallData data;
    demoDir = data.DemoDir();
    TTargetOptions& rs12 = OptionsOf(data, "Embarcadero RAD Studio 12 Win32");
    EXPECT_EQ(rs12.RegistryKey(), kRs12Key);
    rs12.SaveToRegistry();  // not installed: no key
    EXPECT_FALSE(platform::RegKeyExists(RegRoot::LocalMachine, kRs12Key));
    rs12.SetInstalled(true);
    rs12.SetMetaProviderInstalled(ProviderNamed(data, "FireDAC"));
    rs12.SetMetaProviderInstalled(ProviderNamed(data, "FireDAC"));  // once only
    rs12.SetAddSourceLocation(false);
    rs12.SaveToRegistry();
  }
  platform::RegistryKey key;
  ASSERT_TRUE(key.OpenRead(RegRoot::LocalMachine, kRs12Key));
  EXPECT_EQ(key.ReadDWord("Installed"), 1u);
  EXPECT_EQ(key.ReadString("BPLDir"), demoDir + "\\RadStudio12");
  EXPECT_EQ(key.ReadString("DCPDir"), demoDir + "\\RadStudio12");
  EXPECT_EQ(key.ReadDWord("IDE Registration"), 1u);
  EXPECT_EQ(key.ReadDWord("ExtractObjFromLib"), 1u);
  EXPECT_EQ(key.ReadDWord("FireDAC Connectivity"), 1u);
  EXPECT_EQ(key.ReadDWord("ZEOS Connectivity"), 0u);
  EXPECT_FALSE(key.ValueExists("ADO Connectivity"));  // standard providers have no value
  EXPECT_EQ(key.ReadDWord("Add Source Location"), 0u);
  EXPECT_EQ(key.ReadDWord("Compile Packages"), 1u);
  EXPECT_EQ(key.ValueNames().size(), 5u + 36u + 2u);
  key.Close();
  {
    const TInstallData data;
    TTargetOptions& rs12 = OptionsOf(data, "Embarcadero RAD Studio 12 Win32");
    EXPECT_TRUE(rs12.Installed());
    EXPECT_FALSE(rs12.AddSourceLocation());
    EXPECT_EQ(StateOf(rs12, ProviderNamed(data, "FireDAC")), kInstalled);
    rs12.SetInstalled(false);
    rs12.SaveToRegistry();
  }
  EXPECT_FALSE(platform::RegKeyExists(RegRoot::LocalMachine, kRs12Key));
}

TEST_F(TargetOptionsTest, FoldersFollowTheIdeAndTheCompilationMode) {
  machine.Install("delphi7");
  const auto& bcb6 = machine.Install("bcb6");
  machine.Install("bds5");
  machine.Install("bds15");
  machine.Install("bds23");
  machine.Install("bds37");
  TInstallData data;
  data.SetDemoDir("D:\\Demos");
  data.SetInstallDir("C:\\Vx");
  struct Case {
    const char* ide;
    TCompilationModeType mode;
    const char *bplDir, *objOutDir, *packagesDir;
  };
  const Case cases[] = {
      {"Delphi 7.0", cmVCL, "D:\\Demos\\Delphi7", "D:\\Demos\\Delphi7", "D:\\Demos\\Packages\\Delphi7"},
      {"C++Builder 6.0", cmVCL, "D:\\Demos\\CBuilder6", "D:\\Demos\\CBuilder6\\obj", "D:\\Demos\\Packages\\CBuilder6"},
      {"CodeGear RAD Studio 2007", cmTMS, "D:\\Demos\\Delphi2007", "D:\\Demos\\Delphi2007",
       "D:\\Demos\\Packages_TMS\\Delphi2007"},
      {"Embarcadero RAD Studio XE7 Win32", cmTnt, "D:\\Demos\\DelphiXe7", "D:\\Demos\\DelphiXe7",
       "D:\\Demos\\Packages_Tnt\\DelphiXe7"},
      {"Embarcadero RAD Studio 12 Win64", cmDevExpress, "D:\\Demos\\RadStudio12x64", "D:\\Demos\\RadStudio12x64",
       "D:\\Demos\\Packages_DevExpress\\RadStudio12"},
      {"Embarcadero RAD Studio 13 Win32", cmVCL, "D:\\Demos\\RadStudio13", "D:\\Demos\\RadStudio13",
       "D:\\Demos\\Packages\\RadStudio13"},
      {"Embarcadero RAD Studio 13 Win64", cmTMS, "D:\\Demos\\RadStudio13x64", "D:\\Demos\\RadStudio13x64",
       "D:\\Demos\\Packages_TMS\\RadStudio13"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.ide);
    data.SetCompilationMode(c.mode);
    const TTargetOptions& options = OptionsOf(data, c.ide);
    EXPECT_EQ(options.BPLDir(), c.bplDir);
    EXPECT_EQ(options.DCPDir(), c.bplDir);
    EXPECT_EQ(options.UnitOutDir(), c.bplDir);
    EXPECT_EQ(options.HppOutDir(), c.bplDir);
    EXPECT_EQ(options.ObjOutDir(), c.objOutDir);
    EXPECT_EQ(options.PackagesDir(), c.packagesDir);
    EXPECT_EQ(options.HppDir(), options.Target().RootDir() + "\\Include\\Vcl");
  }
  const TTargetOptions& cbuilder = OptionsOf(data, "C++Builder 6.0");
  EXPECT_EQ(cbuilder.GetBpr2Mak(), bcb6.rootDir + "Bin\\bpr2mak.exe");
  EXPECT_EQ(cbuilder.GetBpr2MakTemplate(), "C:\\Vx\\CBuilder6.bmk");
}

TEST_F(TargetOptionsTest, QuestionsAboutTheIde) {
  ideprofiles::IdeOptions turbo;
  turbo.edition = "Turbo Explorer";
  turbo.commandLineCompiler = false;
  machine.Install("bds4", turbo);
  ideprofiles::IdeOptions professional;
  professional.edition = "Professional";
  machine.Install("bds23", professional);
  ideprofiles::IdeOptions personal;
  personal.edition = "Personal";
  machine.Install("bds22", personal);
  machine.SetMarker("metapvds", true);
  TInstallData data;
  TTargetOptions& turboOptions = OptionsOf(data, "Borland Developer Studio 2006");
  TTargetOptions& rs12 = OptionsOf(data, "Embarcadero RAD Studio 12 Win32");
  const TTargetOptions& rs12x64 = OptionsOf(data, "Embarcadero RAD Studio 12 Win64");
  const TTargetOptions& rs11 = OptionsOf(data, "Embarcadero RAD Studio 11 Win32");

  EXPECT_TRUE(turboOptions.IsTurbo());
  EXPECT_FALSE(rs12.IsTurbo());
  EXPECT_FALSE(turboOptions.HaveDCCCompiler());
  EXPECT_TRUE(rs12.HaveDCCCompiler());
  EXPECT_FALSE(rs12.HaveDCCCompilerLink().empty());
  EXPECT_TRUE(turboOptions.IsSupportDB());
  EXPECT_FALSE(rs11.IsSupportDB());  // a personal edition has no database packages
  EXPECT_TRUE(rs12.IsSupportDesigner());
  EXPECT_FALSE(rs12x64.IsSupportDesigner());

  // Non-standard providers need the package's offer and the IDE's compiler;
  // compiling also needs the right version.
  TMetadataProvider& mydac = ProviderNamed(data, "DevArt MyDAC");
  TMetadataProvider& nexus3 = ProviderNamed(data, "NexusDB v3");
  turboOptions.Target().KnownPackages().Add("C:\\MyDAC\\dclmydac100.bpl", "");
  rs12.Target().KnownPackages().Add("C:\\MyDAC\\dclmydac290.bpl", "");
  rs12.Target().KnownPackages().Add("C:\\NexusDB\\nexusdb310dsg290.bpl", "");
  EXPECT_TRUE(turboOptions.CanInstallMetaProvider(ProviderNamed(data, "ADO")));
  EXPECT_FALSE(turboOptions.CanInstallMetaProvider(mydac));
  EXPECT_TRUE(rs12.CanInstallMetaProvider(mydac));
  EXPECT_TRUE(rs12.CanCompileMetaProvider(mydac));
  EXPECT_TRUE(rs12.CanInstallMetaProvider(nexus3));
  EXPECT_FALSE(rs12.CanCompileMetaProvider(nexus3));
  EXPECT_FALSE(rs11.CanInstallMetaProvider(ProviderNamed(data, "ADO")));

  // Compilation modes that need other control libraries.
  TDelphiPackageList& known = rs12.Target().KnownPackages();
  data.SetCompilationMode(cmDevExpress);
  known.Add("C:\\DevEx\\dclcxLibraryRS29.bpl", "");
  EXPECT_FALSE(rs12.IsSupportCompilationMode());
  known.Add("C:\\DevEx\\dclcxTreeListRS29.bpl", "");
  EXPECT_TRUE(rs12.IsSupportCompilationMode());
  data.SetCompilationMode(cmTMS);
  EXPECT_FALSE(rs12.IsSupportCompilationMode());
  known.Add("C:\\TMS\\TMSUnicodeRS12.bpl", "");
  EXPECT_TRUE(rs12.IsSupportCompilationMode());
  data.SetCompilationMode(cmVCL);
  EXPECT_TRUE(rs11.IsSupportCompilationMode());

  // An old DevExpress package counts unless it is disabled.
  EXPECT_FALSE(rs12.IsOldDevExpressDetected());
  known.Add("C:\\DevEx\\dclcxEditorsRS12.bpl", "");
  rs12.Target().DisabledPackages().Add("D:\\Elsewhere\\DCLCXEDITORSRS12.BPL", "");
  EXPECT_FALSE(rs12.IsOldDevExpressDetected());
  known.Add("C:\\DevEx\\dclcxExtEditorsRS12.bpl", "");
  EXPECT_TRUE(rs12.IsOldDevExpressDetected());
}

TEST_F(TargetOptionsTest, CoreIdeVersionFromTheVersionResource) {
  ideprofiles::IdeOptions options;
  options.coreVersion = "11.0.2709.7128";
  const auto& bds5 = machine.Install("bds5", options);
  machine.Install("delphi7");
  const auto& bds37 = machine.Install("bds37");
  const TInstallData data;
  const TTargetOptions& rs2007 = OptionsOf(data, "CodeGear RAD Studio 2007");
  EXPECT_EQ(bds5.corePackage, bds5.rootDir + "bin\\coreide100.bpl");
  EXPECT_EQ(rs2007.GetCoreIDEVersion(), "11.0.2709.7128");
  // RAD Studio 13's core package carries its IDE version: coreide370.bpl.
  EXPECT_EQ(bds37.corePackage, bds37.rootDir + "bin\\coreide370.bpl");
  EXPECT_EQ(OptionsOf(data, "Embarcadero RAD Studio 13 Win64").GetCoreIDEVersion(), "37.0.60952.8797");
  EXPECT_EQ(OptionsOf(data, "Delphi 7.0").GetCoreIDEVersion(), "");
  WriteFile(bds5.corePackage, "MZ");  // no version resource
  EXPECT_EQ(rs2007.GetCoreIDEVersion(), "");
  ASSERT_TRUE(platform::RemoveFile(bds5.corePackage));
  EXPECT_EQ(rs2007.GetCoreIDEVersion(), "");
}

TEST_F(TargetOptionsTest, HaveChangesAndInstallCount) {
  machine.Install("delphi7");
  {
    const TInstallData data;
    TTargetOptionsList& list = data.TargetOptions();
    EXPECT_FALSE(list.HaveChanges());
    list.Items(0)->SetAction(atInstall);
    EXPECT_TRUE(list.HaveChanges());
    EXPECT_EQ(list.InstallCount(), 1);
    list.Items(0)->SetAction(atUninstall);
    EXPECT_TRUE(list.HaveChanges());
    EXPECT_EQ(list.InstallCount(), 0);
  }
  // An update changes the IDEs even when no action is chosen.
  machine.Fixture().SetString(RegRoot::LocalMachine, kProductRegistryKey, "InstallDir", "C:\\Vx");
  machine.Fixture().SetString(RegRoot::LocalMachine, kProductRegistryKey, "InstalledVersion", "5.11.0 Trial");
  const TInstallData data;
  ASSERT_EQ(data.InstallType(), itUpdate);
  EXPECT_TRUE(data.TargetOptions().HaveChanges());
}

TEST_F(TargetOptionsTest, RunningIdeIsSeenInTheProcessSnapshot) {
  const auto& ide = machine.Install("bds23");
  machine.Install("bds22");  // the same bds.exe name in another folder
  const TInstallData data;
  const TTargetOptions& rs12 = OptionsOf(data, "Embarcadero RAD Studio 12 Win32");
  const TTargetOptions& rs11 = OptionsOf(data, "Embarcadero RAD Studio 11 Win32");
  EXPECT_FALSE(rs12.IDERunning());
  {
    RunningProcess running(ide.executable);
    EXPECT_TRUE(rs12.IDERunning());
    EXPECT_TRUE(OptionsOf(data, "Embarcadero RAD Studio 12 Win64").IDERunning());
    EXPECT_FALSE(rs11.IDERunning());
  }
  EXPECT_FALSE(rs12.IDERunning());
}

TEST_F(TargetOptionsTest, ForceEnvOptionsUpdateKeepsTheValueType) {
  const auto& ide = machine.Install("bds23");  // Globals\ForceEnvOptionsUpdate = "0"
  machine.Install("delphi7");                  // no Globals key
  const TInstallData data;
  const TTargetOptions& rs12 = OptionsOf(data, "Embarcadero RAD Studio 12 Win32");
  const std::string globals = ide.userKey + "\\Globals";
  auto read = [&]() {
    platform::RegistryKey key;
    EXPECT_TRUE(key.OpenRead(RegRoot::CurrentUser, globals));
    return std::make_pair(key.ReadString("ForceEnvOptionsUpdate"), key.ReadDWord("ForceEnvOptionsUpdate"));
  };
  rs12.SetForceEnvOptionsUpdate();
  EXPECT_EQ(read(), std::make_pair(std::optional<std::string>("1"), std::optional<uint32_t>()));
  {
    platform::RegistryKey key;
    ASSERT_TRUE(key.OpenWrite(RegRoot::CurrentUser, globals, false));
    ASSERT_TRUE(key.DeleteValue("ForceEnvOptionsUpdate"));
  }
  rs12.SetForceEnvOptionsUpdate();
  EXPECT_EQ(read(), std::make_pair(std::optional<std::string>(), std::optional<uint32_t>(1)));
  ASSERT_TRUE(platform::RegDeleteKeyTree(RegRoot::CurrentUser, globals));
  rs12.SetForceEnvOptionsUpdate();
  EXPECT_FALSE(platform::RegKeyExists(RegRoot::CurrentUser, globals));
  const TTargetOptions& delphi7 = OptionsOf(data, "Delphi 7.0");
  delphi7.SetForceEnvOptionsUpdate();
  EXPECT_FALSE(platform::RegKeyExists(RegRoot::CurrentUser, delphi7.Target().RegistryKey() + "\\Globals"));
}

// The dump of a small configuration, line for line.
TEST_F(TargetOptionsTest, SettingsDumpListsPathsAndPackages) {
  machine.Install("delphi7");
  machine.Install("bds23");
  const TInstallData data;
  auto dump = [](const TTargetOptions& options) {
    TLogToList log;
    options.PrintTargetSettings(log);
    std::vector<std::string> lines;
    for (const auto& m : log.Messages()) {
      EXPECT_EQ(m.Severity, lsDebug) << m.Message;
      lines.push_back(m.Message);
    }
    return lines;
  };
  auto setUp = [](TCompileTarget& target) {
    target.SearchPaths() = {"$(DELPHI)\\Lib", "C:\\Libs"};
    target.BrowsingPaths() = {"C:\\Sources"};
    target.GlobalCppBrowsingPaths() = {"$(BDS)\\include", "C:\\Cpp"};
    target.KnownPackages().Clear();
    target.KnownPackages().Add("C:\\Bpl\\dclA.bpl", "A");
    target.KnownPackages().Add("C:\\Bpl\\dclB.bpl", "B");
    target.KnownIDEPackages().Clear();
    target.DisabledPackages().Clear();
    target.DisabledPackages().Add("C:\\Bpl\\dclOld.bpl", "Old");
  };
  const std::vector<std::string> packages = {"=== Begin of Known Packages",
                                             "C:\\Bpl\\dclA.bpl",
                                             "C:\\Bpl\\dclB.bpl",
                                             "=== End of Known Packages",
                                             "",
                                             "=== Begin of Known IDE Packages",
                                             "=== End of Known IDE Packages",
                                             "",
                                             "=== Begin of Disabled Packages",
                                             "C:\\Bpl\\dclOld.bpl",
                                             "=== End of Disabled Packages",
                                             ""};
  const TTargetOptions& delphi7 = OptionsOf(data, "Delphi 7.0");
  setUp(delphi7.Target());
  std::vector<std::string> expected = {"Begin of Settings of IDE: Delphi 7.0 (Enterprise)",
                                       "",
                                       "Search paths:",
                                       "$(DELPHI)\\Lib",
                                       "C:\\Libs",
                                       "",
                                       "Browsing paths:",
                                       "C:\\Sources"};
  expected.insert(expected.end(), packages.begin(), packages.end());
  expected.insert(expected.end(), {"End of Settings of IDE: Delphi 7.0 (Enterprise)", ""});
  EXPECT_EQ(dump(delphi7), expected);

  // RAD Studio with C++Builder adds its C++ browsing paths after the Delphi ones.
  const TTargetOptions& rs12 = OptionsOf(data, "Embarcadero RAD Studio 12 Win32");
  setUp(rs12.Target());
  expected = {"Begin of Settings of IDE: Embarcadero RAD Studio 12 Win32 (Enterprise)",
              "",
              "Search paths:",
              "$(DELPHI)\\Lib",
              "C:\\Libs",
              "",
              "Browsing paths:",
              "C:\\Sources",
              "",
              "Global Cpp Search paths:",
              "$(BDS)\\include",
              "C:\\Cpp"};
  expected.insert(expected.end(), packages.begin(), packages.end());
  expected.insert(expected.end(), {"End of Settings of IDE: Embarcadero RAD Studio 12 Win32 (Enterprise)", ""});
  EXPECT_EQ(dump(rs12), expected);
}
