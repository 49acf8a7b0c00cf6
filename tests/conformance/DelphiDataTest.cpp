// Discovery of the installed IDEs and their configuration.
#include "DelphiData.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "CmdLineUtils.h"
#include "IdeFixture.h"
#include "SysUtils.h"
#include "Utils.h"
#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "platform/Shell.h"
#include "platform/System.h"

using platform::RegRoot;

namespace {

// Parses a command line into the process-wide options, as start-up does.
void UseCommandLine(const std::vector<std::string>& args) {
  CmdOptions = std::make_unique<TCmdOptions>(args, TCmdOptions::HelpAction::RecordOnly);
}

std::vector<std::string> Names(const TCompileTargetList& list) {
  std::vector<std::string> names;
  for (int i = 0; i < list.Count(); ++i) names.push_back(list.GetItems(i)->DisplayName());
  return names;
}

}  // namespace

TEST(PathListTest, SplitAndJoin) {
  struct Case {
    const char* text;
    TStringList entries;
  };
  const Case cases[] = {
      {"a;;b", {"a", "", "b"}},
      {"a; b;", {"a", "b"}},
      {"\"C:\\x\\\"", {"C:\\x"}},
      {"$(BDSLIB)\\$(Platform)\\release;\"C:\\My Libs\\\";C:\\X\\",
       {"$(BDSLIB)\\$(Platform)\\release", "C:\\My Libs", "C:\\X"}},
      {"", {}},
      {"   ", {}},
      {";", {""}},
      {" \" spaced \" ", {"spaced"}},
      {"\"", {"\""}},
      // A drive root keeps its backslash; "C:" would be the drive's current folder.
      {"C:\\;\"D:\\\";E:;C:\\Tools\\", {"C:\\", "D:\\", "E:", "C:\\Tools"}},
  };
  for (const auto& c : cases) {
    TStringList list = {"left over"};
    SplitPaths(c.text, list);
    EXPECT_EQ(list, c.entries) << c.text;
  }
  EXPECT_EQ(JoinPaths({"C:\\a", "C:\\b", "C:\\c"}), "C:\\a;C:\\b;C:\\c");
  EXPECT_EQ(JoinPaths({}), "");
}

TEST(EnvVarStringsTest, SortedCaseInsensitiveSet) {
  TEnvVarStrings vars;
  vars.Add("Path", "one");
  vars.Add("BDSLIB", "lib");
  vars.Add("PATH", "two");  // already there: unchanged
  ASSERT_EQ(vars.Count(), 2);
  EXPECT_EQ(vars.GetName(0), "BDSLIB");
  EXPECT_EQ(vars.GetValue("path"), "one");
  vars.SetValue("path", "three");
  EXPECT_EQ(vars.GetValue("Path"), "three");
  vars.SetValue("Another", "x");
  EXPECT_EQ(vars.GetName(0), "Another");
  EXPECT_EQ(vars.GetValue("missing"), "");

  TEnvVarStrings copy;
  copy.Assign(&vars);
  EXPECT_TRUE(copy.Matches(&vars));
  copy.SetValue("PATH", "THREE");  // values compare exactly
  EXPECT_FALSE(copy.Matches(&vars));
  EXPECT_FALSE(vars.Matches(nullptr));
  copy.Assign(nullptr);
  EXPECT_EQ(copy.Count(), 0);
}

TEST(DelphiPackageListTest, AddRemoveFind) {
  TDelphiPackageList list;
  list.Add("$(BDS)\\bin\\dclDB290.bpl", "Embarcadero Database Components");
  list.Add("C:\\Pkg\\vxCore.bpl", "");
  list.Add("C:\\Pkg\\vxCore.bpl", "twice");
  EXPECT_EQ(list.GetItems(1)->Description(), "vxCore");
  EXPECT_EQ(list.GetItems(0)->Name(), "dclDB290.bpl");
  EXPECT_EQ(list.IndexOfFilename("c:\\pkg\\VXCORE.BPL"), 1);
  list.Remove("C:\\PKG\\vxcore.bpl");
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list.GetItems(1)->Description(), "twice");
  EXPECT_EQ(list.IndexOfFilename("vxCore.bpl"), -1);
}

class DiscoveryTest : public ::testing::Test {
 protected:
  DiscoveryTest() { UseCommandLine({}); }
  ~DiscoveryTest() override { CmdOptions.reset(); }
  IdeFixture ide;
};

TEST_F(DiscoveryTest, OnlyVersionsWithAUserKeyBecomeTargetsOnBothPlatforms) {
  ide.AddBds("Embarcadero", "22.0", "Enterprise");
  ide.AddBds("Embarcadero", "23.0", "Architect");
  platform::RegDeleteKeyTree(RegRoot::CurrentUser, "Software\\Embarcadero\\BDS\\23.0");
  TCompileTargetList list;
  auto names = Names(list);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"Embarcadero RAD Studio 11 Win32 (Enterprise)",
                                             "Embarcadero RAD Studio 11 Win64 (Enterprise)"}));
  const TCompileTarget* t = list.GetItems(0);
  EXPECT_EQ(t->HKLMRegistryKey(), "\\SOFTWARE\\Embarcadero\\BDS\\22.0");
  EXPECT_EQ(t->Version(), 28);
  EXPECT_EQ(t->VersionStr(), "11");
  EXPECT_EQ(t->ProductVersion(), "28.0");
  EXPECT_TRUE(t->IsEvaluation());  // no bin\dcc32.exe
}

TEST_F(DiscoveryTest, AcceptedVersions) {
  ide.AddClassic("Delphi", "7.0", "Enterprise");
  ide.AddClassic("Delphi", "5.0", "Enterprise");
  ide.AddClassic("C++Builder", "6.0", "Professional");
  ide.AddBds("Embarcadero", "13.0", "Enterprise");  // never existed
  for (const char* never : {"24.0", "36.0", "38.0"}) ide.AddBds("Embarcadero", never, "Enterprise");
  ide.AddBds("Borland", "2.0", "Enterprise");  // Delphi 8 for .NET
  ide.AddBds("Borland", "5.0", "Enterprise");
  TCompileTargetList list;
  // Sorted by product version: C++Builder 6, Delphi 7, RAD Studio 2007 (11).
  EXPECT_EQ(Names(list), (std::vector<std::string>{"C++Builder 6.0 (Professional)", "Delphi 7.0 (Enterprise)",
                                                   "CodeGear RAD Studio 2007 (Enterprise)"}));
  EXPECT_TRUE(list.GetItems(1)->IsDelphi());
  EXPECT_EQ(list.GetItems(0)->TargetType(), "C");
  EXPECT_EQ(list.GetItems(1)->VersionedBPL("dcldb.bpl"), "dcldb70.bpl");
  EXPECT_EQ(list.GetItems(2)->VersionedIDEBPL("dcldb.bpl"), "dcldb100.bpl");
}

TEST_F(DiscoveryTest, RadStudio12And13SideBySide) {
  const std::string root12 = ide.AddBds("Embarcadero", "23.0", "Enterprise");
  const std::string root13 = ide.AddBds("Embarcadero", "37.0", "Architect");
  const std::string appData = platform::KnownFolderPath(platform::KnownFolder::RoamingAppData);
  ide.WriteText(appData + "\\Embarcadero\\BDS\\37.0\\EnvOptions.proj",
                "<Project xmlns=\"http://schemas.microsoft.com/developer/msbuild/2003\">\n"
                "  <PropertyGroup Condition=\"'$(Platform)'=='Win64'\">\n"
                "    <DelphiLibraryPath>$(BDSLIB)\\$(Platform)\\release;C:\\Rs13Libs</DelphiLibraryPath>\n"
                "  </PropertyGroup>\n"
                "</Project>\n");
  struct Expected {
    const char* name;
    int version;
    const char* versionStr;
    std::string root;
    const char* key;
  };
  const std::vector<Expected> both = {
      {"Embarcadero RAD Studio 12 Win32 (Enterprise)", 29, "12", root12, "\\SOFTWARE\\Embarcadero\\BDS\\23.0"},
      {"Embarcadero RAD Studio 12 Win64 (Enterprise)", 29, "12", root12, "\\SOFTWARE\\Embarcadero\\BDS\\23.0"},
      {"Embarcadero RAD Studio 13 Win32 (Architect)", 30, "13", root13, "\\SOFTWARE\\Embarcadero\\BDS\\37.0"},
      {"Embarcadero RAD Studio 13 Win64 (Architect)", 30, "13", root13, "\\SOFTWARE\\Embarcadero\\BDS\\37.0"},
  };
  const auto check = [&](const std::vector<Expected>& expected) {
    TCompileTargetList list;
    ASSERT_EQ(list.Count(), static_cast<int>(expected.size()));
    for (int i = 0; i < list.Count(); ++i) {
      const TCompileTarget& t = *list.GetItems(i);
      const Expected& e = expected[static_cast<size_t>(i)];
      SCOPED_TRACE(e.name);
      EXPECT_EQ(t.DisplayName(), e.name);
      EXPECT_EQ(t.Version(), e.version);
      EXPECT_EQ(t.VersionStr(), e.versionStr);
      EXPECT_EQ(t.ProductVersion(), std::to_string(e.version) + ".0");
      EXPECT_EQ(t.RootDir(), e.root);
      EXPECT_EQ(t.Executable(), e.root + "\\bin\\bds.exe");
      EXPECT_EQ(t.HKLMRegistryKey(), e.key);
      EXPECT_EQ(t.RegistryKey(), e.key);
      const std::string versionKey = std::string(e.key).substr(std::string(e.key).rfind('\\') + 1);
      EXPECT_EQ(t.CommonProjectsDir(), ide.Dir() + "\\Public\\RAD Studio\\" + versionKey);
      EXPECT_EQ(t.EnvOptionsFileName(), appData + "\\Embarcadero\\BDS\\" + versionKey + "\\EnvOptions.proj");
      EXPECT_FALSE(t.IsPersonal());
    }
  };
  check(both);
  {
    TCompileTargetList list;
    ASSERT_EQ(list.Count(), 4);
    // RAD Studio 13 numbers its packages by its IDE version, and reads its EnvOptions.proj.
    EXPECT_EQ(list.GetItems(1)->VersionedBPL("dcldb.bpl"), "dcldb290.bpl");
    EXPECT_EQ(list.GetItems(2)->VersionedBPL("dcldb.bpl"), "dcldb370.bpl");
    EXPECT_EQ(list.GetItems(3)->VersionedIDEBPL("rtl.bpl"), "rtl370.bpl");
    EXPECT_EQ(list.GetItems(3)->SearchPaths(), (TStringList{"$(BDSLIB)\\$(Platform)\\release", "C:\\Rs13Libs"}));
    EXPECT_EQ(list.GetItems(3)->ExpandDirMacros("$(BDS)\\bin\\$(Platform)"), root13 + "\\bin\\Win64");
  }
  // A machine with RAD Studio 13 alone.
  platform::RegDeleteKeyTree(RegRoot::LocalMachine, "Software\\Embarcadero\\BDS\\23.0");
  check({both[2], both[3]});
}

TEST_F(DiscoveryTest, CommandLineChoosesRootsAndUserKeys) {
  ide.AddBds("Embarcadero", "23.0", "Professional", "Win32Only");
  ide.AddClassic("C++Builder", "6.0", "Professional");
  struct Case {
    std::vector<std::string> args;
    size_t targets;
  };
  const Case cases[] = {
      {{}, 1},                                      // the BDS user key is elsewhere
      {{"-rBDS=Win32Only"}, 3},                     // machine key under BDS, user key under Win32Only
      {{"-rBDS=Win32Only", "--ignore-delphi"}, 1},  // every BDS goes too
      {{"-rBDS=Win32Only", "--ignore-bcb"}, 2},
  };
  for (const auto& c : cases) {
    UseCommandLine(c.args);
    TCompileTargetList list;
    EXPECT_EQ(static_cast<size_t>(list.Count()), c.targets) << ::testing::PrintToString(c.args);
  }
  UseCommandLine({"-rBDS=Win32Only"});
  TCompileTargetList list;
  EXPECT_EQ(list.GetItems(1)->RegistryKey(), "\\SOFTWARE\\Embarcadero\\Win32Only\\23.0");
  EXPECT_EQ(list.GetItems(1)->HKLMRegistryKey(), "\\SOFTWARE\\Embarcadero\\BDS\\23.0");
}

TEST_F(DiscoveryTest, LibraryPathsAndMacros) {
  const std::string root = ide.AddBds("Embarcadero", "15.0", "Professional");  // XE7
  const std::string user = "Software\\Embarcadero\\BDS\\15.0";
  ide.SetString(RegRoot::CurrentUser, user + "\\Library\\Win64", "Search Path",
                "$(BDSLIB)\\$(Platform)\\release;\"C:\\My Libs\\\";C:\\X\\");
  ide.SetString(RegRoot::CurrentUser, user + "\\Library\\Win64", "Package DPL Output", "$(BDSCOMMONDIR)\\Bpl\\Win64\\");
  ide.SetString(RegRoot::CurrentUser, user + "\\Environment Variables", "MYLIBS", "C:\\\\Libs\\\\Mine");
  TCompileTargetList list;
  ASSERT_EQ(list.Count(), 2);
  TCompileTarget* win64 = list.GetItems(0)->Platform() == ctpWin64 ? list.GetItems(0) : list.GetItems(1);
  EXPECT_EQ(win64->SearchPaths(), (TStringList{"$(BDSLIB)\\$(Platform)\\release", "C:\\My Libs", "C:\\X"}));
  EXPECT_EQ(win64->BplDir(), ide.Dir() + "\\Public\\RAD Studio\\15.0\\Bpl\\Win64");

  struct Case {
    std::string dir, expanded;
  };
  const std::string projects = win64->BDSProjectsDir();
  const Case cases[] = {
      {"$(BDS)\\bin\\$(Platform)", root + "\\bin\\Win64"},
      {"$(BDS", root},
      {"$(bdslib)\\x", root + "\\lib\\x"},
      {"$(MYLIBS)\\a", "C:\\Libs\\Mine\\a"},
      {"$(NO_SUCH_VARIABLE_HERE)\\a", "\\a"},
      {"$(Delphi)$(BCB)", root + root},
      {"plain", "plain"},
  };
  for (const auto& c : cases) EXPECT_EQ(win64->ExpandDirMacros(c.dir), c.expanded) << c.dir;
  EXPECT_EQ(win64->InsertDirMacros(root + "\\lib"), "$(BDS)\\lib");
  EXPECT_EQ(win64->InsertDirMacros(root), root);
  EXPECT_EQ(win64->InsertDirMacros(projects + "\\Demo"), "$(BDSPROJECTSDIR)\\Demo");
  EXPECT_EQ(win64->InsertDirMacros(ide.Dir() + "\\Public\\RAD Studio\\15.0\\Bpl"), "$(BDSCOMMONDIR)\\Bpl");
  EXPECT_EQ(win64->InsertDirMacros("D:\\Elsewhere"), "D:\\Elsewhere");
  // Another letter case is the same folder; a spelling of another length (the
  // long s, U+017F, which folds to "s") is left whole, not cut in the wrong place.
  EXPECT_EQ(win64->InsertDirMacros(platform::AsciiUpperCase(root) + "\\lib"), "$(BDS)\\lib");
  std::string longS = root;
  const size_t s = longS.find_first_of("sS", 3);
  ASSERT_NE(s, std::string::npos);
  longS.replace(s, 1, "\xC5\xBF");
  EXPECT_EQ(win64->InsertDirMacros(longS + "\\lib"), longS + "\\lib");
}

TEST_F(DiscoveryTest, ClassicIdeMacrosAndDefaults) {
  const std::string root = ide.AddClassic("Delphi", "7.0", "Enterprise");
  ide.SetString(RegRoot::CurrentUser, "Software\\Borland\\Delphi\\7.0\\Library", "Search Path", "$(DELPHI)\\Lib");
  TCompileTargetList list;
  ASSERT_EQ(list.Count(), 1);
  TCompileTarget* d7 = list.GetItems(0);
  EXPECT_EQ(d7->ExpandDirMacros("$(DELPHI)\\bin\\$(Platform)"), root + "\\bin\\");
  EXPECT_EQ(d7->BplDir(), root + "\\Projects\\BPL");  // the default of a classic IDE
  EXPECT_EQ(d7->DcpDir(), root + "\\Projects\\BPL");
  EXPECT_EQ(d7->InsertDirMacros(root + "\\Lib"), "$(DELPHI)\\Lib");
  EXPECT_EQ(d7->PlatformName(), "");
  EXPECT_EQ(d7->BDSProjectsDir(), root + "\\Projects");
}

TEST_F(DiscoveryTest, EnvOptionsProjWinsUnlessItsConditionDiffers) {
  const std::string user = "Software\\Embarcadero\\BDS\\23.0";
  ide.AddBds("Embarcadero", "23.0", "Enterprise");
  ide.SetString(RegRoot::CurrentUser, user + "\\Library\\Win32", "Search Path", "C:\\FromRegistry");
  ide.SetString(RegRoot::CurrentUser, user + "\\Library\\Win64", "Search Path", "C:\\FromRegistry64");
  const std::string envOptions =
      platform::KnownFolderPath(platform::KnownFolder::RoamingAppData) + "\\Embarcadero\\BDS\\23.0\\EnvOptions.proj";
  ide.WriteText(envOptions,
                "<Project xmlns=\"http://schemas.microsoft.com/developer/msbuild/2003\">\n"
                "  <PropertyGroup><DelphiLibraryPath>C:\\First</DelphiLibraryPath></PropertyGroup>\n"
                "  <PropertyGroup condition=\"'$(Platform)'=='Win32'\">\n"
                "    <delphilibrarypath>C:\\FromFile;C:\\Two\\</delphilibrarypath>\n"
                "  </PropertyGroup>\n"
                "  <PropertyGroup Condition=\"'$(Platform)' == 'Win64'\">\n"
                "    <DelphiLibraryPath>C:\\NotRead</DelphiLibraryPath>\n"
                "  </PropertyGroup>\n"
                "</Project>\n");
  {
    TCompileTargetList list;
    ASSERT_EQ(list.Count(), 2);
    for (int i = 0; i < 2; ++i) {
      TCompileTarget* t = list.GetItems(i);
      const TStringList expected =
          t->Platform() == ctpWin32 ? TStringList{"C:\\FromFile", "C:\\Two"} : TStringList{"C:\\FromRegistry64"};
      EXPECT_EQ(t->SearchPaths(), expected);
    }
  }
  // The IDE was told to take its paths from the registry.
  ide.SetDWord(RegRoot::CurrentUser, user + "\\Globals", "ForceEnvOptionsUpdate", 1);
  TCompileTargetList list;
  TCompileTarget* win32 = list.GetItems(0)->Platform() == ctpWin32 ? list.GetItems(0) : list.GetItems(1);
  EXPECT_EQ(win32->SearchPaths(), TStringList{"C:\\FromRegistry"});
}

TEST_F(DiscoveryTest, RadStudio2007NamesItsOnlyPersonality) {
  const std::string user = "Software\\Borland\\BDS\\5.0";
  ide.AddBds("Borland", "5.0", "Professional");
  ide.SetString(RegRoot::CurrentUser, user + "\\Personalities", "Delphi.Win32", "Delphi for Win32");
  {
    TCompileTargetList list;
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.GetItems(0)->DisplayName(), "CodeGear Delphi for Win32 2007 (Professional)");
  }
  ide.SetString(RegRoot::CurrentUser, user + "\\Personalities", "BCB", "C++Builder");
  TCompileTargetList list;
  EXPECT_EQ(list.GetItems(0)->DisplayName(), "CodeGear RAD Studio 2007 (Professional)");
  EXPECT_TRUE(list.GetItems(0)->SupportsPersonalities({persDelphi, persBCB}, true));
}

TEST_F(DiscoveryTest, EditionFromTheCatalogAndPersonalEditions) {
  const std::string root = ide.AddBds("Embarcadero", "20.0", "Enterprise");
  const std::string elements = "Software\\Embarcadero\\BDS\\20.0\\CatalogRepository\\Elements";
  ide.CreateKey(RegRoot::LocalMachine, elements + "\\Core_Common_Files_Help_Other-x");
  ide.CreateKey(RegRoot::LocalMachine, elements + "\\Core_Common_Files_Architect-26-0");
  ide.CreateKey(RegRoot::LocalMachine, elements + "\\Core_Common_Files_Zeta-26");
  {
    TCompileTargetList list;
    EXPECT_EQ(list.GetItems(0)->Edition(), "Architect");
  }
  ASSERT_TRUE(platform::RemoveFile(root + "\\bin\\dcldb260.bpl"));
  TCompileTargetList list;
  EXPECT_TRUE(list.GetItems(0)->IsPersonal());
  EXPECT_EQ(list.GetItems(0)->Edition(), "Personal");
}

TEST_F(DiscoveryTest, PackageListsAndPersonalitySupport) {
  const std::string user = "Software\\Embarcadero\\BDS\\9.0";
  ide.AddBds("Embarcadero", "9.0", "Enterprise");
  ide.SetString(RegRoot::CurrentUser, user + "\\Personalities", "BCB", "C++Builder");
  ide.SetString(RegRoot::CurrentUser, user + "\\Known IDE Packages", "$(BDS)\\bin\\dcldb160.bpl", "Database");
  ide.SetString(RegRoot::CurrentUser, user + "\\Known Packages", "$(BDS)\\bin\\dclIndyCore160.bpl", "");
  ide.SetString(RegRoot::CurrentUser, user + "\\Disabled Packages", "$(BDS)\\bin\\dclbde160.bpl", "BDE");
  TCompileTargetList list;
  ASSERT_EQ(list.Count(), 2);
  for (int i = 0; i < 2; ++i) {
    TCompileTarget* t = list.GetItems(i);
    EXPECT_EQ(t->FindPackage("DCLDB160.bpl"), t->KnownIDEPackages().GetItems(0));
    EXPECT_EQ(t->FindPackageEx("dclindy"), t->KnownPackages().GetItems(0));
    EXPECT_EQ(t->KnownPackages().GetItems(0)->Description(), "dclIndyCore160");
    EXPECT_EQ(t->FindPackage("dclbde160.bpl"), nullptr);
    EXPECT_EQ(t->DisabledPackages().Count(), 1);
    // C++Builder XE2 has no 64-bit compiler.
    EXPECT_EQ(t->SupportsPersonalities({persBCB}), t->Platform() == ctpWin32);
    EXPECT_EQ(t->TargetType(), "D");
    EXPECT_EQ(t->HasBDE(), t->Platform() == ctpWin32);
  }
}

// An IDE whose configuration cannot be read stays in the list with its error,
// which names what is wrong and where; the other IDEs are read as ever.
TEST_F(DiscoveryTest, AnIdeThatCannotBeReadKeepsItsErrorAndTheOthersGoOn) {
  struct Case {
    const char* what;
    std::function<void()> damage;
    std::string message;
    bool prefixOnly;  // the parser's own words follow
  };
  const std::string user = "Software\\Embarcadero\\BDS\\23.0";
  const std::string rsvars = ide.Dir() + "\\Embarcadero\\23.0\\bin\\rsvars.bat";
  const std::string envOptions =
      platform::KnownFolderPath(platform::KnownFolder::RoamingAppData) + "\\Embarcadero\\BDS\\23.0\\EnvOptions.proj";
  const Case cases[] = {
      {"a non-string environment variable",
       [&] { ide.SetDWord(RegRoot::CurrentUser, user + "\\Environment Variables", "BDSLIB", 7); },
       "Invalid data type for 'BDSLIB' in HKEY_CURRENT_USER\\SOFTWARE\\Embarcadero\\BDS\\23.0\\Environment Variables",
       false},
      {"no rsvars.bat", [&] { ASSERT_TRUE(platform::RemoveFile(rsvars)); },
       "Cannot read " + rsvars + ": " + Trim(platform::SystemErrorText(2)), false},
      {"a broken EnvOptions.proj", [&] { ide.WriteText(envOptions, "<Project><PropertyGroup>"); },
       "Cannot read the XML file " + envOptions + ": ", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ide.Reset();  // start from a clean registry each time
    ide.AddBds("Embarcadero", "23.0", "Enterprise");
    ide.AddBds("Embarcadero", "22.0", "Enterprise");
    c.damage();
    TCompileTargetList list;
    ASSERT_EQ(list.Count(), 4);
    for (int i = 0; i < list.Count(); ++i) {
      const TCompileTarget& t = *list.GetItems(i);
      SCOPED_TRACE(t.DisplayName());
      if (t.IDEVersion() == 22) {
        EXPECT_EQ(t.LoadError(), "");
        EXPECT_TRUE(t.IsValid());
      } else if (c.prefixOnly) {
        EXPECT_TRUE(StrStartsWith(t.LoadError(), c.message, false)) << t.LoadError();
      } else {
        EXPECT_EQ(t.LoadError(), c.message);
      }
    }
  }
}

// BDSCOMMONDIR from rsvars.bat: references to variables set before it are
// expanded, an unset one is empty (as in a batch file), and without the
// variable the folder is the default below the public documents.
TEST_F(DiscoveryTest, CommonFolderFromRsvarsBat) {
  struct Case {
    const char* batch;
    std::string common;
  };
  const Case cases[] = {
      {"@SET BDS=C:\\RS\r\n", platform::KnownFolderPath(platform::KnownFolder::CommonDocuments) + "\\RAD Studio\\23.0"},
      {"@SET ROOT=D:\\Shared\r\n@SET BDSCOMMONDIR=%ROOT%\\Studio\\%VER%\r\n@SET VER=23.0\r\n", "D:\\Shared\\Studio\\"},
      {"@SET VER=23.0\r\n@SET BDSCOMMONDIR=D:\\%NOPE%Studio\\%ver%\r\n", "D:\\Studio\\23.0"},
      {"  set bdscommondir=C:\\Lower\r\nrem SET BDSCOMMONDIR=C:\\Not\r\n", "C:\\Lower"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.batch);
    ide.Reset();
    ide.AddBds("Embarcadero", "23.0", "Enterprise");
    ide.WriteText(ide.Dir() + "\\Embarcadero\\23.0\\bin\\rsvars.bat", c.batch);
    TCompileTargetList list;
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.GetItems(0)->LoadError(), "");
    EXPECT_EQ(list.GetItems(0)->CommonProjectsDir(), c.common);
  }
}

// BDS 5 to 8 read the first property group of EnvOptions.proj, by the
// element names of their version; the file's values win over the
// registry's, which differ, so a wrong name would show the registry's.
TEST_F(DiscoveryTest, EnvOptionsOfBds5To8WinOverTheRegistry) {
  struct Case {
    const char* vendor;
    const char* version;
    const char* prefix;  // "Win32" or "Delphi"
  };
  const Case cases[] = {{"Borland", "5.0", "Win32"},
                        {"CodeGear", "6.0", "Win32"},
                        {"CodeGear", "7.0", "Win32"},
                        {"Embarcadero", "8.0", "Delphi"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.version);
    ide.Reset();
    ide.AddBds(c.vendor, c.version, "Enterprise");
    const std::string user = std::string("Software\\") + c.vendor + "\\BDS\\" + c.version;
    for (const char* name : {"Search Path", "Browsing Path", "Package DPL Output", "Package DCP Output",
                             "Debug DCU Path", "Package Search Path"}) {
      ide.SetString(RegRoot::CurrentUser, user + "\\Library", name, "C:\\Registry");
    }
    const std::string p = c.prefix;
    ide.WriteText(platform::KnownFolderPath(platform::KnownFolder::RoamingAppData) + "\\" + c.vendor + "\\BDS\\" +
                      c.version + "\\EnvOptions.proj",
                  "<Project><PropertyGroup><" + p + "LibraryPath>C:\\Lib;C:\\Lib2</" + p + "LibraryPath><" + p +
                      "BrowsingPath>C:\\Browse</" + p + "BrowsingPath><" + p + "DLLOutputPath>C:\\Bpl\\</" + p +
                      "DLLOutputPath><" + p + "DCPOutput>C:\\Dcp\\</" + p + "DCPOutput><" + p +
                      "DebugDCUPath>C:\\Debug</" + p +
                      "DebugDCUPath></PropertyGroup>"
                      "<PropertyGroup><" +
                      p + "LibraryPath>C:\\Second</" + p + "LibraryPath></PropertyGroup></Project>");
    TCompileTargetList list;
    ASSERT_EQ(list.Count(), 1);
    TCompileTarget& t = *list.GetItems(0);
    EXPECT_EQ(t.SearchPaths(), (TStringList{"C:\\Lib", "C:\\Lib2"}));
    EXPECT_EQ(t.BrowsingPaths(), TStringList{"C:\\Browse"});
    EXPECT_EQ(t.PackageSearchPathList(), TStringList{"C:\\Bpl"});
    EXPECT_EQ(t.BplDir(), "C:\\Bpl");
    EXPECT_EQ(t.DcpDir(), "C:\\Dcp");
    EXPECT_EQ(t.DebugDcuPaths(), TStringList{"C:\\Debug"});
  }
  // BDS 5 to 7: the C++ output folder, when given, is the package output folder.
  ide.Reset();
  ide.AddBds("Borland", "5.0", "Enterprise");
  ide.WriteText(
      platform::KnownFolderPath(platform::KnownFolder::RoamingAppData) + "\\Borland\\BDS\\5.0\\EnvOptions.proj",
      "<Project><PropertyGroup><Win32DLLOutputPath>C:\\Bpl</Win32DLLOutputPath>"
      "<CBuilderBPLOutputPath>C:\\CppBpl</CBuilderBPLOutputPath></PropertyGroup></Project>");
  TCompileTargetList list;
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(list.GetItems(0)->BplDir(), "C:\\CppBpl");
  EXPECT_EQ(list.GetItems(0)->PackageSearchPathList(), TStringList{"C:\\Bpl"});
}

TEST_F(DiscoveryTest, AVersionKeyThatIsNoNumberStopsDiscovery) {
  ide.AddBds("Embarcadero", "23.0", "Enterprise");
  ide.CreateKey(RegRoot::LocalMachine, "Software\\Embarcadero\\BDS\\2x.0");
  try {
    TCompileTargetList list;
    ADD_FAILURE() << "no error";
  } catch (const Exception& e) {
    EXPECT_EQ(std::string(e.what()),
              "The version key '2x.0' under HKEY_LOCAL_MACHINE\\SOFTWARE\\Embarcadero\\BDS is not a number");
  }
}

TEST_F(DiscoveryTest, ProjectsFolderThatRefersToItselfEnds) {
  const std::string user = "Software\\Embarcadero\\BDS\\23.0";
  ide.AddBds("Embarcadero", "23.0", "Enterprise");
  ide.SetString(RegRoot::CurrentUser, user + "\\Environment Variables", "BDSPROJECTSDIR", "$(BDSPROJECTSDIR)\\More");
  TCompileTargetList list;
  const std::string documents = platform::KnownFolderPath(platform::KnownFolder::Documents);
  EXPECT_EQ(list.GetItems(0)->BDSProjectsDir(), documents + "\\RAD Studio\\Projects\\More");
  EXPECT_EQ(list.GetItems(0)->CommonProjectsDir(), ide.Dir() + "\\Public\\RAD Studio\\23.0");
}
