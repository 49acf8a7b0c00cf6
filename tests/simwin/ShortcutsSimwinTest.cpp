// The Start-menu group with its shortcuts, read back from the .lnk files; the
// shell window that shows it; the group and the uninstall entry when the
// machine refuses them; and their removal.
#include <gtest/gtest.h>

#include <algorithm>

#include "Compile/Compiler.h"
#include "Compile/InstallData.h"
#include "EngineMachine.h"
#include "HostCommands.h"
#include "SysUtils.h"
#include "TestMachine.h"
#include "Utils.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/System.h"
#include "platform/simwin/Machine.h"

using platform::RegRoot;

namespace {

struct Link {
  std::string name;
  std::string target;
  std::string workingDir;
};

// Every shortcut of the group, in name order.
std::vector<Link> LinksIn(const std::string& folder) {
  std::vector<platform::DirEntry> entries;
  platform::FindEntries(folder + "\\*.lnk", entries);
  std::vector<Link> links;
  for (const auto& entry : entries) {
    const auto info = platform::ReadShortcut(folder + "\\" + entry.name);
    links.push_back({entry.name, info ? info->targetPath : "(unreadable)", info ? info->workingDir : ""});
  }
  std::sort(links.begin(), links.end(), [](const Link& a, const Link& b) { return a.name < b.name; });
  return links;
}

bool operator==(const Link& a, const Link& b) {
  return a.name == b.name && a.target == b.target && a.workingDir == b.workingDir;
}

void PrintTo(const Link& link, std::ostream* os) {
  *os << link.name << " -> " << link.target << " in [" << link.workingDir << "]";
}

}  // namespace

class ShortcutsSimwinTest : public ::testing::Test {
 protected:
  // The shortcuts the group must hold, in name order.
  std::vector<Link> Expected(bool withProviders) const {
    const std::string d = machine.demoDir + "\\Demos\\";
    const std::string i = machine.installDir + "\\";
    std::vector<Link> links{
        {"ADO Simple Demo Project.lnk", d + "Standard\\ADO\\ADODemo.dpr", d + "Standard\\ADO\\ADODemo"},
        {"Alternate Names Demo.lnk", d + "AlternateNames\\AlternateNames.dpr", d + "AlternateNames"},
        {"Append Criteria String Demo.lnk", d + "ReplaceWhereClause\\ReplaceWhereClause.dpr", d + "ReplaceWhereClause"},
        {"BDE Simple Demo Project.lnk", d + "Standard\\BDE\\BDEDemo.dpr", d + "Standard\\BDE\\BDEDemo"},
        {"Events Demo Project.lnk", d + "EventsDemo\\EventsDemo.dpr", d + "EventsDemo"},
        {"Metadata Loading Demo Project.lnk", d + "LoadMetadataDemo\\LoadMetadataDemo.dpr", d + "LoadMetadataDemo"},
        {"Non-Visual Demo Project.lnk", d + "NonVisualDemo\\NonVisualDemo.dpr", d + "NonVisualDemo"},
        {"Preview Sub-Query Results Demo.lnk", d + "SubqueryResultsPreview\\SubqueryResultsPreview.dpr",
         d + "SubqueryResultsPreview"},
        {"Query Modification Demo.lnk", d + "QueryModificationDemo\\QueryModificationDemo.dpr",
         d + "QueryModificationDemo"},
        {"Uninstall Vexorin.lnk", i + "Uninstall\\setup.exe", i + "Uninstall"},
        {"Vexorin Demo Project.lnk", d + "DemoApp\\VXNDemo.dpr", d + "DemoApp"},
        {"Vexorin Help.lnk", i + "Help\\VxnHelp.chm", ""},
        {"Vexorin User's Guide.lnk", i + "Help\\UsersGuide.chm", ""},
        {"Vexorin Web Site.lnk", i + "Vexorin.url", ""},
        {"Virtual Objects and Fields Demo.lnk", d + "VirtualObjectsAndFields\\VirtualObjectsAndFields.dpr",
         d + "VirtualObjectsAndFields"},
    };
    if (withProviders) {
      links.insert(links.begin() + 9, {"Simple Demo Projects for Third-party Connection Libraries.lnk",
                                       d + "ThirdParty", d + "ThirdParty"});
    }
    return links;
  }

  EngineMachine machine;
};

TEST_F(ShortcutsSimwinTest, TheGroupGetsSixteenShortcutsWithProvidersAndFifteenWithout) {
  for (const bool withProviders : {true, false}) {
    SCOPED_TRACE(withProviders ? "metapvds" : "no metapvds");
    machine.Package().SetMarker("metapvds", withProviders);
    TInstallData& data = machine.Load();
    data.SetStartFolderSelected("VexorinTest\\Shared\\Vexorin");
    const std::string group = data.StartFolderSelectedFull();
    // A folder other programs use too: what is there stays.
    ASSERT_TRUE(SafeForceDirectories(group));
    WriteFile(group + "\\Other Program.txt", "kept");

    // A second run replaces the shortcuts with the same ones.
    for (int run = 0; run < 2; ++run) ASSERT_NO_THROW(machine.compiler.CreateShortcuts());
    const std::vector<Link> links = LinksIn(group);
    EXPECT_EQ(links.size(), withProviders ? 16u : 15u);
    EXPECT_EQ(links, Expected(withProviders));
    EXPECT_TRUE(platform::FileExists(group + "\\Other Program.txt"));
    RemoveTree(data.StartProgramsFolder() + "\\VexorinTest");
  }
}

TEST_F(ShortcutsSimwinTest, TheDefaultGroupIsMadeOneLevelAtATime) {
  TInstallData& data = machine.Load();
  ASSERT_EQ(data.StartFolderSelected(), "Orlentix\\Vexorin VCL Edition");
  const std::string top = data.StartProgramsFolder() + "\\Orlentix";
  ASSERT_FALSE(platform::DirectoryExists(top)) << "the machine has a Start-menu group of its own";
  machine.compiler.CreateShortcuts();
  EXPECT_TRUE(platform::DirectoryExists(top + "\\Vexorin VCL Edition"));
  EXPECT_EQ(LinksIn(top + "\\Vexorin VCL Edition").size(), 15u);
  // The group is shown in a shell window.
  EXPECT_EQ(ReadHost(simwin::Machine::Current().Root() + "/shell.log"), "open\t" + top + "\\Vexorin VCL Edition\n");

  // Removal moves the links to the Recycle Bin and takes the levels left
  // empty; with no group, nothing happens.
  machine.compiler.DeleteStartMenu();
  EXPECT_FALSE(platform::DirectoryExists(top));
  EXPECT_TRUE(platform::FileExists("C:\\$Recycle.Bin\\Vexorin Help.lnk"));
  machine.compiler.DeleteStartMenu();
  EXPECT_FALSE(platform::FileExists("C:\\$Recycle.Bin\\Vexorin Help.lnk (2)"));
}

TEST_F(ShortcutsSimwinTest, AGroupLevelThatCannotBeMadeRaisesTheSystemError) {
  TInstallData& data = machine.Load();
  const std::string top = data.StartProgramsFolder() + "\\Orlentix";
  simwin::Machine::Current().AddFault(simwin::FaultKind::FileCreate, top + "\\Vexorin VCL Edition");
  try {
    machine.compiler.CreateShortcuts();
    ADD_FAILURE() << "no error";
  } catch (const EOSError& e) {
    EXPECT_EQ(e.ErrorCode(), 5u);
    EXPECT_EQ(e.Message(), "System Error.  Code: 5.\r\n" + platform::SystemErrorText(5));
  }
  EXPECT_TRUE(platform::DirectoryExists(top));  // the level above was made
  EXPECT_FALSE(platform::DirectoryExists(top + "\\Vexorin VCL Edition"));
  EXPECT_EQ(ReadHost(simwin::Machine::Current().Root() + "/shell.log"), "");
  simwin::Machine::Current().ClearFaults();
}

TEST_F(ShortcutsSimwinTest, TheUninstallEntryKeepsItsOrderAndIsLeftOutWithoutTheRight) {
  machine.Load();
  machine.compiler.WriteUninstallEntry();
  platform::RegistryKey key;
  ASSERT_TRUE(key.OpenRead(RegRoot::LocalMachine, kUninstallRegistryKey));
  EXPECT_EQ(key.ValueNames(),
            (std::vector<std::string>{"DisplayName", "DisplayVersion", "HelpLink", "InstallLocation", "Publisher",
                                      "URLInfoAbout", "URLUpdateInfo", "UninstallString", "DisplayIcon"}));
  key.Close();
  machine.compiler.DeleteUninstallEntry();

  simwin::Machine::Current().AddFault(simwin::FaultKind::RegistryWrite,
                                      "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall");
  EXPECT_NO_THROW(machine.compiler.WriteUninstallEntry());
  EXPECT_FALSE(platform::RegKeyExists(RegRoot::LocalMachine, kUninstallRegistryKey));
  simwin::Machine::Current().ClearFaults();
}
