// Registering the built packages and the suite's folders in an IDE's
// in-memory lists: known packages and the path lists, with folders found
// again in their other spellings.
#include <gtest/gtest.h>

#include "Compile/Compiler.h"
#include "Compile/InstallData.h"
#include "Compile/TargetOptions.h"
#include "EngineMachine.h"

namespace {

constexpr const char* kRs12Win32 = "Embarcadero RAD Studio 12 Win32";
constexpr const char* kRs12Win64 = "Embarcadero RAD Studio 12 Win64";

}  // namespace

class RegisterPackageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root = machine.Install("bds23").rootDir;
    root.pop_back();
    machine.Install("delphi7");
    machine.Load();
  }

  EngineMachine machine;
  std::string root;  // the IDE's folder, without the trailing backslash
};

TEST_F(RegisterPackageTest, AddPathToListFindsAFolderOnlyInItsListedForms) {
  const TCompileTarget& target = machine.Options(kRs12Win32).Target();
  const std::string demo = "C:\\Suite\\RadStudio12";
  struct Case {
    const char* name;
    std::string path;
    TStringList before;
    TStringList after;
  };
  const Case cases[] = {
      {"missing: appended", demo, {"C:\\A", "C:\\B"}, {"C:\\A", "C:\\B", demo}},
      {"with a trailing backslash: rewritten in place", demo, {demo + "\\", "C:\\B"}, {demo, "C:\\B"}},
      {"in other letter case: rewritten", demo, {"C:\\A", "c:\\SUITE\\radstudio12"}, {"C:\\A", demo}},
      {"its macro form listed: rewritten", root + "\\Imports", {"$(BDS)\\Imports\\"}, {root + "\\Imports"}},
      {"macro form against the expanded folder: a second entry",
       "$(BDS)\\Imports",
       {root + "\\Imports"},
       {root + "\\Imports", "$(BDS)\\Imports"}},
      {"part of an entry with several folders: appended", demo, {demo + ";C:\\B"}, {demo + ";C:\\B", demo}},
      {"in other letter case beyond ASCII: rewritten",
       "C:\\Users\\J\xC3\xBCrgen\\Suite",
       {"C:\\USERS\\J\xC3\x9CRGEN\\SUITE"},
       {"C:\\Users\\J\xC3\xBCrgen\\Suite"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TStringList list = c.before;
    machine.compiler.AddPathToList(target, list, c.path, "Search paths");
    EXPECT_EQ(list, c.after);
  }
}

TEST_F(RegisterPackageTest, AddPathToListLogsEachCandidateItTries) {
  const TCompileTarget& target = machine.Options(kRs12Win32).Target();
  TStringList list{"$(BDS)\\Imports\\"};
  machine.compiler.AddPathToList(target, list, root + "\\Imports", "Search paths");
  const std::string path = root + "\\Imports";
  EXPECT_EQ(machine.Log(), (std::vector<std::string>{
                               "Adding path to Search paths: " + path,
                               "  searching path in Search paths: " + path,
                               "    not found in Search paths: " + path,
                               "  searching path in Search paths: " + path + "\\",
                               "    not found in Search paths: " + path + "\\",
                               "  searching path in Search paths: $(BDS)\\Imports\\",
                               "    found in Search paths: $(BDS)\\Imports\\",
                               "Already in Search paths: $(BDS)\\Imports\\",
                               "Replacing in Search paths: \"$(BDS)\\Imports\\\" by \"" + path + "\"",
                           }));
}

TEST_F(RegisterPackageTest, InstallPackageRegistersDesignTimePackagesOnWin32Only) {
  TTargetOptions& win32 = machine.Options(kRs12Win32);
  TTargetOptions& win64 = machine.Options(kRs12Win64);
  const int known32 = win32.Target().KnownPackages().Count();
  const int known64 = win64.Target().KnownPackages().Count();

  machine.compiler.InstallPackage(win64, "vxVexorinDsgn", "Vexorin Component");
  EXPECT_EQ(win64.Target().KnownPackages().Count(), known64);
  EXPECT_TRUE(machine.Log().empty());

  machine.compiler.InstallPackage(win32, "vxVexorinDsgn", "Vexorin Component");
  ASSERT_EQ(win32.Target().KnownPackages().Count(), known32 + 1);
  const TDelphiPackage* added = win32.Target().KnownPackages().GetItems(known32);
  EXPECT_EQ(added->Filename(), machine.demoDir + "\\RadStudio12\\vxVexorinDsgnD29.bpl");
  EXPECT_EQ(added->Description(), "Vexorin Component");
  EXPECT_EQ(machine.Log(), std::vector<std::string>{"Installing package:vxVexorinDsgn"});
}

TEST_F(RegisterPackageTest, LibraryAndSourcePathsGoWhereTheIdeNeedsThem) {
  // The suite below the IDE's common folder: the lists get the macro form.
  const std::string common = machine.Options(kRs12Win32).Target().CommonProjectsDir();
  InstallData->SetDemoDir(common + "\\Suite\\");
  struct Case {
    const char* ide;
    std::string folder;
    bool cpp;  // the C++ lists too
    std::string sources;
  };
  const Case cases[] = {
      {kRs12Win32, "$(BDSCOMMONDIR)\\Suite\\RadStudio12", true, "$(BDSCOMMONDIR)\\Suite\\Sources"},
      {kRs12Win64, "$(BDSCOMMONDIR)\\Suite\\RadStudio12x64", true, "$(BDSCOMMONDIR)\\Suite\\Sources"},
      {"Delphi 7", common + "\\Suite\\Delphi7", false, common + "\\Suite\\Sources"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ide);
    TTargetOptions& options = machine.Options(c.ide);
    TCompileTarget& target = options.Target();
    const TStringList cppBrowsing = target.GlobalCppBrowsingPaths();
    const TStringList cppLibrary = target.GlobalCppLibraryPaths();
    const TStringList browsing = target.BrowsingPaths();
    machine.compiler.AddLibraryPaths(options);
    EXPECT_EQ(target.SearchPaths().back(), c.folder);
    if (c.cpp) {
      EXPECT_EQ(target.GlobalCppBrowsingPaths().back(), c.folder);
      EXPECT_EQ(target.GlobalCppLibraryPaths().back(), c.folder);
    } else {
      EXPECT_EQ(target.GlobalCppBrowsingPaths(), cppBrowsing);
      EXPECT_EQ(target.GlobalCppLibraryPaths(), cppLibrary);
    }

    options.SetAddSourceLocation(false);
    machine.compiler.AddSourcePath(options);
    EXPECT_EQ(target.BrowsingPaths(), browsing);
    options.SetAddSourceLocation(true);
    machine.compiler.AddSourcePath(options);
    EXPECT_EQ(target.BrowsingPaths().size(), browsing.size() + 1);
    EXPECT_EQ(target.BrowsingPaths().back(), c.sources);
  }
}
