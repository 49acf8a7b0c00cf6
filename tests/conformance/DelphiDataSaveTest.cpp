// Writing an IDE's configuration back to the registry and EnvOptions.proj.
#include <gtest/gtest.h>

#include "CmdLineUtils.h"
#include "DelphiData.h"
#include "IdeFixture.h"
#include "SysUtils.h"
#include "platform/FileSystem.h"
#include "platform/Shell.h"

using platform::RegRoot;

namespace {

std::string ReadValue(const std::string& key, const std::string& name) {
  platform::RegistryKey k;
  if (!k.OpenRead(RegRoot::CurrentUser, key)) return "<no key>";
  if (!k.ValueExists(name)) return "<no value>";
  return k.ReadString(name).value_or("<not a string>");
}

TCompileTarget* Find(TCompileTargetList& list, TCompileTargetPlatform platform) {
  for (int i = 0; i < list.Count(); ++i) {
    if (list.GetItems(i)->Platform() == platform) return list.GetItems(i);
  }
  return nullptr;
}

}  // namespace

class SaveConfigTest : public ::testing::Test {
 protected:
  SaveConfigTest() { CmdOptions = std::make_unique<TCmdOptions>(std::vector<std::string>{}); }
  ~SaveConfigTest() override { CmdOptions.reset(); }

  // RAD Studio 12 with both personalities, both platforms and an EnvOptions.proj.
  void AddStudio12() {
    ide.AddBds("Embarcadero", "23.0", "Enterprise");
    ide.SetString(RegRoot::CurrentUser, user + "\\Personalities", "Delphi.Win32", "Delphi");
    ide.SetString(RegRoot::CurrentUser, user + "\\Personalities", "BCB", "C++Builder");
    for (const char* platform : {"Win32", "Win64"}) {
      ide.SetString(RegRoot::CurrentUser, user + "\\Library\\" + platform, "Search Path", "$(BDSLIB)\\$(Platform)");
      ide.SetString(RegRoot::CurrentUser, user + "\\Library\\" + platform, "Browsing Path", "");
      ide.CreateKey(RegRoot::CurrentUser, user + "\\C++\\Paths\\" + platform);
    }
    ide.SetString(RegRoot::CurrentUser, user + "\\Known Packages", "C:\\Old\\vxCore290.bpl", "Old description");
    ide.SetString(RegRoot::CurrentUser, user + "\\Known Packages", "C:\\Gone\\gone.bpl", "Gone");
    ide.WriteText(envOptions, "<Project><PropertyGroup><Other>keep</Other></PropertyGroup></Project>");
  }

  IdeFixture ide;
  const std::string user = "Software\\Embarcadero\\BDS\\23.0";
  const std::string envOptions =
      platform::KnownFolderPath(platform::KnownFolder::RoamingAppData) + "\\Embarcadero\\BDS\\23.0\\EnvOptions.proj";
};

TEST_F(SaveConfigTest, EachPlatformWritesItsOwnKeysAndTheFirstPropertyGroup) {
  AddStudio12();
  TCompileTargetList list;
  TCompileTarget* win32 = Find(list, ctpWin32);
  TCompileTarget* win64 = Find(list, ctpWin64);
  ASSERT_TRUE(win32 && win64);
  win32->SearchPaths() = {"C:\\a", "C:\\b", "C:\\c"};
  win32->GlobalIncludePaths() = {"C:\\inc"};
  win64->SearchPaths() = {"C:\\x64"};
  win64->BrowsingPaths().clear();
  win32->SavePaths();
  win64->SavePaths();

  EXPECT_EQ(ReadValue(user + "\\Library\\Win32", "Search Path"), "C:\\a;C:\\b;C:\\c");
  EXPECT_EQ(ReadValue(user + "\\Library\\Win64", "Search Path"), "C:\\x64");
  EXPECT_EQ(ReadValue(user + "\\Library\\Win64", "Browsing Path"), "");
  EXPECT_EQ(ReadValue(user + "\\Library\\Win32", "Debug DCU Path"), "<no value>");  // never created there
  EXPECT_EQ(ReadValue(user + "\\C++\\Paths\\Win32", "IncludePath"), "C:\\inc");
  EXPECT_EQ(ReadValue(user + "\\C++\\Paths\\Win64", "IncludePath"), "");
  EXPECT_EQ(ReadValue(user + "\\CppPaths", "IncludePath"), "<no key>");
  EXPECT_EQ(ReadValue(user + "\\Environment Variables", "PATH"), "<no key>");  // unchanged: untouched
  // Both platforms share the first property group: the last one saved wins.
  EXPECT_EQ(platform::ReadFileBytes(envOptions),
            "<Project>\n  <PropertyGroup>\n    <Other>keep</Other>\n"
            "    <DelphiBrowsingPath></DelphiBrowsingPath>\n    <DelphiLibraryPath>C:\\x64</DelphiLibraryPath>\n"
            "    <DelphiDebugDCUPath></DelphiDebugDCUPath>\n    <CBuilderIncludePath></CBuilderIncludePath>\n"
            "    <CBuilderBrowsingPath></CBuilderBrowsingPath>\n    <CBuilderLibraryPath></CBuilderLibraryPath>\n"
            "  </PropertyGroup>\n</Project>\n");
}

TEST_F(SaveConfigTest, PackageListsAndEnvironmentVariables) {
  AddStudio12();
  ide.SetString(RegRoot::CurrentUser, user + "\\Environment Variables", "OLD", "1");
  ide.SetString(RegRoot::CurrentUser, user + "\\Environment Variables", "KEEP", "same");
  TCompileTargetList list;
  TCompileTarget* t = Find(list, ctpWin32);
  t->KnownPackages().Remove("c:\\gone\\GONE.bpl");
  t->KnownPackages().Add("C:\\New\\dclvxCore290.bpl", "Vexorin design");
  t->KnownPackages().Remove("C:\\Old\\vxCore290.bpl");
  t->KnownPackages().Add("C:\\OLD\\vxcore290.bpl", "New description");
  t->EnvVars().SetValue("NEW", "2");
  t->EnvVars().SetValue("EMPTY", "");
  TEnvVarStrings changed;
  for (int i = 0; i < t->EnvVars().Count(); ++i) {
    if (t->EnvVars().GetName(i) != "OLD") changed.Add(t->EnvVars().GetName(i), t->EnvVars().GetValueByIndex(i));
  }
  t->EnvVars().Assign(&changed);
  t->SavePaths();
  t->SavePackagesLists();

  platform::RegistryKey known;
  ASSERT_TRUE(known.OpenRead(RegRoot::CurrentUser, user + "\\Known Packages"));
  auto names = known.ValueNames();
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"C:\\New\\dclvxCore290.bpl", "C:\\Old\\vxCore290.bpl"}));
  EXPECT_EQ(known.ReadString("C:\\Old\\vxCore290.bpl"), "Old description");  // existing entries stay as they are
  EXPECT_EQ(known.ReadString("C:\\New\\dclvxCore290.bpl"), "Vexorin design");
  EXPECT_EQ(ReadValue(user + "\\Environment Variables", "OLD"), "<no value>");
  EXPECT_EQ(ReadValue(user + "\\Environment Variables", "NEW"), "2");
  EXPECT_EQ(ReadValue(user + "\\Environment Variables", "KEEP"), "same");
  EXPECT_EQ(ReadValue(user + "\\Environment Variables", "EMPTY"), "<no value>");  // new and empty: not written
  EXPECT_EQ(ReadValue(user + "\\Disabled Packages", ""), "<no key>");             // never created
}

TEST_F(SaveConfigTest, CppPathsGoWhereTheVersionKeepsThem) {
  struct Case {
    const char *vendor, *version;
    bool cppPathsKey;
    const char* written;
  };
  const Case cases[] = {
      {"Borland", "4.0", true, "CppPaths"},
      {"Borland", "5.0", true, "C++\\Paths"},
      {"Borland", "5.0", false, "CppPaths"},
      {"Embarcadero", "8.0", true, "C++\\Paths"},
  };
  for (const auto& c : cases) {
    ide.Reset();
    const std::string key = std::string("Software\\") + c.vendor + "\\BDS\\" + c.version;
    ide.AddBds(c.vendor, c.version, "Enterprise");
    ide.SetString(RegRoot::CurrentUser, key + "\\Personalities", "BCB", "C++Builder");
    ide.CreateKey(RegRoot::CurrentUser, key + "\\CppPaths");
    if (c.cppPathsKey) ide.CreateKey(RegRoot::CurrentUser, key + "\\C++\\Paths");
    const std::string appData = platform::KnownFolderPath(platform::KnownFolder::RoamingAppData);
    ide.WriteText(appData + "\\" + (std::string(c.vendor) == "Embarcadero" ? "Embarcadero" : "Borland") + "\\BDS\\" +
                      c.version + "\\EnvOptions.proj",
                  "<Project/>");
    TCompileTargetList list;
    ASSERT_EQ(list.Count(), 1) << c.version;
    list.GetItems(0)->GlobalIncludePaths() = {"C:\\inc"};
    list.GetItems(0)->SavePaths();
    EXPECT_EQ(ReadValue(key + "\\" + c.written, "IncludePath"), "C:\\inc") << c.version << " " << c.written;
    EXPECT_EQ(ReadValue(key + "\\" + c.written, "LibraryPath"), "") << c.version;
  }
}

// An IDE never started has no EnvOptions.proj: the registry is written, the
// file is left for the IDE to make, and the caller is told.
// RAD Studio 2007 without a C++\Paths key keeps its C++ paths in CppPaths,
// LibraryPath among them: what the save writes back there was read first.
TEST_F(SaveConfigTest, CppPathsLibraryPathIsReadBeforeItIsWritten) {
  const std::string key = "Software\\Borland\\BDS\\5.0";
  ide.AddBds("Borland", "5.0", "Enterprise");
  ide.SetString(RegRoot::CurrentUser, key + "\\Personalities", "BCB", "C++Builder");
  ide.SetString(RegRoot::CurrentUser, key + "\\CppPaths", "LibraryPath", "$(BDS)\\lib;$(BDS)\\lib\\psdk");
  ide.WriteText(
      platform::KnownFolderPath(platform::KnownFolder::RoamingAppData) + "\\Borland\\BDS\\5.0\\EnvOptions.proj",
      "<Project/>");
  TCompileTargetList list;
  ASSERT_EQ(list.Count(), 1);
  TCompileTarget& t = *list.GetItems(0);
  EXPECT_EQ(t.GlobalCppLibraryPaths(), (TStringList{"$(BDS)\\lib", "$(BDS)\\lib\\psdk"}));
  t.GlobalCppLibraryPaths().push_back("C:\\Vexorin");
  t.SavePaths();
  EXPECT_EQ(ReadValue(key + "\\CppPaths", "LibraryPath"), "$(BDS)\\lib;$(BDS)\\lib\\psdk;C:\\Vexorin");
}

TEST_F(SaveConfigTest, MissingEnvOptionsLeavesTheFileToTheIde) {
  AddStudio12();
  TCompileTargetList list;
  TCompileTarget* t = Find(list, ctpWin32);
  ASSERT_TRUE(platform::RemoveFile(envOptions));
  t->SearchPaths() = {"C:\\changed"};
  EXPECT_FALSE(t->SavePaths());
  EXPECT_EQ(ReadValue(user + "\\Library\\Win32", "Search Path"), "C:\\changed");
  EXPECT_FALSE(platform::FileExists(envOptions));
  // With the file, or for an IDE that keeps none, the result is true.
  ide.WriteText(envOptions, "<Project/>");
  EXPECT_TRUE(t->SavePaths());
}

// The C++Builder elements of EnvOptions.proj follow the installed
// personalities, also for a Win64 target of XE2, whose C++Builder has no
// 64-bit compiler.
TEST_F(SaveConfigTest, CBuilderElementsOfAnXe2Win64Target) {
  const std::string xe2 = "Software\\Embarcadero\\BDS\\9.0";
  const std::string file =
      platform::KnownFolderPath(platform::KnownFolder::RoamingAppData) + "\\Embarcadero\\BDS\\9.0\\EnvOptions.proj";
  ide.AddBds("Embarcadero", "9.0", "Enterprise");
  ide.SetString(RegRoot::CurrentUser, xe2 + "\\Personalities", "Delphi.Win32", "Delphi");
  ide.SetString(RegRoot::CurrentUser, xe2 + "\\Personalities", "BCB", "C++Builder");
  ide.WriteText(file,
                "<Project><PropertyGroup Condition=\"'$(Platform)'=='Win64'\">"
                "<CBuilderIncludePath>C:\\inc64</CBuilderIncludePath>"
                "<CBuilderBrowsingPath>C:\\browse64</CBuilderBrowsingPath>"
                "<CBuilderLibraryPath>C:\\lib64</CBuilderLibraryPath></PropertyGroup></Project>");
  TCompileTargetList list;
  TCompileTarget* win64 = Find(list, ctpWin64);
  ASSERT_NE(win64, nullptr);
  EXPECT_EQ(win64->GlobalIncludePaths(), TStringList{"C:\\inc64"});
  EXPECT_EQ(win64->GlobalCppBrowsingPaths(), TStringList{"C:\\browse64"});
  EXPECT_EQ(win64->GlobalCppLibraryPaths(), TStringList{"C:\\lib64"});
  win64->GlobalCppLibraryPaths().push_back("C:\\Vexorin64");
  EXPECT_TRUE(win64->SavePaths());
  EXPECT_EQ(platform::ReadFileBytes(file),
            "<Project>\n  <PropertyGroup Condition=\"'$(Platform)'=='Win64'\">\n"
            "    <CBuilderIncludePath>C:\\inc64</CBuilderIncludePath>\n"
            "    <CBuilderBrowsingPath>C:\\browse64</CBuilderBrowsingPath>\n"
            "    <CBuilderLibraryPath>C:\\lib64;C:\\Vexorin64</CBuilderLibraryPath>\n"
            "    <DelphiBrowsingPath></DelphiBrowsingPath>\n    <DelphiLibraryPath></DelphiLibraryPath>\n"
            "    <DelphiDebugDCUPath></DelphiDebugDCUPath>\n  </PropertyGroup>\n</Project>\n");
}

TEST_F(SaveConfigTest, DebugDcusPathAndEnvironmentPath) {
  const std::string root = ide.AddClassic("Delphi", "7.0", "Enterprise");
  const std::string d7 = "Software\\Borland\\Delphi\\7.0";
  ide.CreateKey(RegRoot::CurrentUser, d7 + "\\Debugging");
  ide.CreateKey(RegRoot::CurrentUser, d7 + "\\Library");
  TCompileTargetList list;
  TCompileTarget* t = list.GetItems(0);
  t->DebugDcuPaths() = {"$(DELPHI)\\Lib\\Debug"};
  t->SetEnvPath("$(DELPHI)\\Bin;C:\\Windows");
  EXPECT_EQ(t->EnvPath(), root + "\\Bin;C:\\Windows");
  EXPECT_TRUE(t->IsInEnvPath(root + "\\BIN"));
  EXPECT_TRUE(t->IsInEnvPath("c:\\windows"));
  EXPECT_FALSE(t->IsInEnvPath(root));
  EXPECT_FALSE(t->IsInEnvPath(""));
  EXPECT_TRUE(t->SavePaths());  // no EnvOptions.proj to write
  EXPECT_EQ(ReadValue(d7 + "\\Debugging", "Debug DCUs Path"), "$(DELPHI)\\Lib\\Debug");
  EXPECT_EQ(ReadValue(d7 + "\\Library", "Debug DCU Path"), "<no value>");
  EXPECT_EQ(ReadValue(d7 + "\\Environment Variables", "PATH"), root + "\\Bin;C:\\Windows");
}
