// Taking the suite out of an IDE (one package, the whole suite) and out of
// Windows, including the guard that keeps a removal away from drive roots and
// the system's and the user's own folders.
#include <gtest/gtest.h>

#include <algorithm>

#include "Compile/Compiler.h"
#include "Compile/InstallData.h"
#include "Compile/TargetOptions.h"
#include "EngineMachine.h"
#include "ProtectedFolders.h"
#include "SysUtils.h"
#include "TestMachine.h"
#include "TestTools.h"
#include "Utils.h"
#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/Text.h"

namespace {

constexpr const char* kDelphi7 = "Delphi 7";
constexpr const char* kRs12Win32 = "Embarcadero RAD Studio 12 Win32";
constexpr const char* kRs12Win64 = "Embarcadero RAD Studio 12 Win64";

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

std::vector<std::string> Names(TDelphiPackageList& list) {
  std::vector<std::string> names;
  for (int i = 0; i < list.Count(); ++i) names.push_back(list.GetItems(i)->Filename());
  return names;
}

// Sets PATH for the test and puts the old value back afterwards.
class ScopedPath {
 public:
  explicit ScopedPath(const std::string& value) : saved_(platform::GetEnv("PATH").value_or("")) {
    platform::SetEnv("PATH", value);
  }
  ~ScopedPath() { platform::SetEnv("PATH", saved_); }

 private:
  std::string saved_;
};

}  // namespace

class UninstallTest : public ::testing::Test {
 protected:
  void Write(const std::string& path, const std::string& text = "x") {
    machine.Package().Fixture().WriteText(path, text);
  }
  bool Exists(const std::string& path) { return platform::FileExists(path); }

  EngineMachine machine;
};

TEST_F(UninstallTest, PackageLeavesListsPathAndOutputFolders) {
  machine.Install("delphi7");
  machine.Install("bds23");
  machine.Load();
  const std::string& dir = machine.Package().Dir();
  const std::string spaced = dir + "\\Program Files\\Shared Bpl";
  const std::string quoted = dir + "\\Quoted";
  const std::string search = dir + "\\SearchPath";
  for (const std::string& folder : {spaced, quoted, search}) Write(folder + "\\vxVexorinD7.bpl");
  Write(spaced + "\\vxVexorinD29.bpl");
  ScopedPath path(spaced + ";;\"" + quoted + "\";");

  TTargetOptions& d7 = machine.Options(kDelphi7);
  TCompileTarget& target = d7.Target();
  target.PackageSearchPathList().push_back(search);
  target.KnownPackages().Add("C:\\Elsewhere\\VXVEXORIND7.BPL", "");
  target.KnownPackages().Add("C:\\Elsewhere\\vxVexorinD6.bpl", "");
  target.KnownPackages().Add(d7.BPLDir() + "\\vxVexorinD7.bpl", "");
  target.DisabledPackages().Add(d7.BPLDir() + "\\vxVexorinD7.bpl", "");
  Write(target.BplDir() + "\\vxVexorinD7.bpl");
  Write(target.DcpDir() + "\\vxVexorinD7.dcp");
  Write(d7.PackagesDir() + "\\vxVexorinD7.mak");
  Write(d7.PackagesDir() + "\\vxVexorinD7.dpk");

  machine.compiler.UninstallPackage(d7, "vxVexorin");
  // Only the first entry of each list goes; another version's entry stays.
  const auto known = Names(target.KnownPackages());
  EXPECT_EQ(std::vector<std::string>(known.end() - 2, known.end()),
            (std::vector<std::string>{"C:\\Elsewhere\\vxVexorinD6.bpl", d7.BPLDir() + "\\vxVexorinD7.bpl"}));
  EXPECT_EQ(target.DisabledPackages().Count(), 0);
  for (const std::string& folder : {spaced, quoted, search})
    EXPECT_FALSE(Exists(folder + "\\vxVexorinD7.bpl")) << folder;
  EXPECT_TRUE(Exists(spaced + "\\vxVexorinD29.bpl"));
  EXPECT_FALSE(Exists(target.BplDir() + "\\vxVexorinD7.bpl"));
  EXPECT_FALSE(Exists(target.DcpDir() + "\\vxVexorinD7.dcp"));
  EXPECT_FALSE(Exists(d7.PackagesDir() + "\\vxVexorinD7.mak"));
  EXPECT_TRUE(Exists(d7.PackagesDir() + "\\vxVexorinD7.dpk"));
  const auto log = machine.Log();
  EXPECT_EQ(log.front(), "Uninstalling package: vxVexorinD7.bpl");
  EXPECT_EQ(log[1], "  removing from Disabled Packages: " + d7.BPLDir() + "\\vxVexorinD7.bpl");
  EXPECT_EQ(log[2], "  removing from Known Packages: C:\\Elsewhere\\VXVEXORIND7.BPL");
  EXPECT_EQ(log[3], " searching in PATH: vxVexorinD7.bpl");
  EXPECT_EQ(log[4], "  remove file: " + spaced + "\\vxVexorinD7.bpl");
  EXPECT_EQ(log[5], "  remove file: " + quoted + "\\vxVexorinD7.bpl");
  EXPECT_EQ(log[6], "  remove file: " + search + "\\vxVexorinD7.bpl");

  // Win64: no PATH search; the search folders and output folders are cleaned.
  TTargetOptions& win64 = machine.Options(kRs12Win64);
  win64.Target().PackageSearchPathList().push_back(search);
  Write(search + "\\vxVexorinD29.bpl");
  machine.compiler.UninstallPackage(win64, "vxVexorin");
  EXPECT_TRUE(Exists(spaced + "\\vxVexorinD29.bpl"));
  EXPECT_FALSE(Exists(search + "\\vxVexorinD29.bpl"));
}

TEST_F(UninstallTest, TargetTakesEverythingOutAndRecordsIt) {
  machine.Install("bds23");
  machine.Package().SetMarker("withsrcs", true);
  machine.Load();
  TTargetOptions& options = machine.Options(kRs12Win32);
  TCompileTarget& target = options.Target();
  const std::string bpl = options.BPLDir();
  Write(bpl + "\\vxVexorin.hpp");
  Write(bpl + "\\obj\\vxCore.obj");
  Write(bpl + "\\vxCore.DCU");
  Write(bpl + "\\vxVexorinD29.bpl");
  Write(options.HppDir() + "\\vxVexorin.hpp");
  target.KnownPackages().Add(bpl + "\\vxVexorinDsgnD29.bpl", "Vexorin Component");
  target.KnownPackages().Add(bpl + "\\VxVexorinDsgnADOD29.bpl", "Vexorin Component ADO Connectivity");
  const std::string macroBpl = target.InsertDirMacros(bpl);
  target.SearchPaths().push_back(bpl);
  target.SearchPaths().push_back(macroBpl + "\\");
  target.SearchPaths().push_back("C:\\Other");
  target.BrowsingPaths().push_back(target.InsertDirMacros(InstallData->SourcesDir()));
  target.GlobalCppLibraryPaths().push_back(macroBpl);
  options.SetInstalled(true);
  options.SaveToRegistry();
  ASSERT_TRUE(platform::RegKeyExists(platform::RegRoot::LocalMachine, options.RegistryKey()));

  machine.compiler.UninstallTarget(options);
  EXPECT_FALSE(Exists(options.HppDir() + "\\vxVexorin.hpp"));
  EXPECT_TRUE(Exists(bpl + "\\vxVexorin.hpp"));
  EXPECT_FALSE(Exists(bpl + "\\obj\\vxCore.obj"));
  EXPECT_FALSE(Exists(bpl + "\\vxCore.DCU"));
  EXPECT_EQ(target.KnownPackages().IndexOfFilename(bpl + "\\vxVexorinDsgnD29.bpl"), -1);
  EXPECT_EQ(target.KnownPackages().IndexOfFilename(bpl + "\\VxVexorinDsgnADOD29.bpl"), -1);
  EXPECT_EQ(target.SearchPaths().back(), "C:\\Other");
  for (const auto& entry : target.SearchPaths()) EXPECT_EQ(entry.find("Demo"), std::string::npos) << entry;
  for (const auto& entry : target.BrowsingPaths()) EXPECT_EQ(entry.find("Sources"), std::string::npos) << entry;
  // The C++ global paths stay as they are.
  EXPECT_EQ(target.GlobalCppLibraryPaths().back(), macroBpl);
  EXPECT_FALSE(options.Installed());
  EXPECT_FALSE(platform::RegKeyExists(platform::RegRoot::LocalMachine, options.RegistryKey()));

  const auto log = machine.Log();
  EXPECT_EQ(log.front(), "Uninstall from IDE:" + target.DisplayName());
  EXPECT_EQ(log[log.size() - 2], "Uninstall from IDE:" + target.DisplayName() + " completed");
  EXPECT_EQ(log.back(), "");
  EXPECT_TRUE(Contains(log, "Uninstalling Vexorin Component ODBCExpress Connectivity"));
  EXPECT_TRUE(Contains(log, "Removing path from Search paths: " + bpl));
  EXPECT_TRUE(Contains(log, "    found. removed from Search paths: " + bpl));
  EXPECT_TRUE(Contains(log, "    found. removed from Search paths: " + macroBpl + "\\"));

  // Uninstall passes over an IDE recorded as not installed.
  const size_t mark = machine.Log().size();
  machine.compiler.Uninstall();
  EXPECT_EQ(machine.LogSince(mark), std::vector<std::string>{"Uninstall from IDEs..."});
}

// The user's folder "Jürgen", listed in capitals: the removal finds the
// entry by the user's locale rules, as the IDE would.
TEST_F(UninstallTest, PathEntriesAreFoundByTheUsersLocale) {
  machine.Install("bds23");
  machine.Load();
  InstallData->SetDemoDir("C:\\Users\\J\xC3\xBCrgen\\Documents\\Orlentix");
  TTargetOptions& options = machine.Options(kRs12Win32);
  TCompileTarget& target = options.Target();
  target.SearchPaths() = {"C:\\USERS\\J\xC3\x9CRGEN\\DOCUMENTS\\ORLENTIX\\RADSTUDIO12", "C:\\Other"};
  machine.compiler.UninstallTarget(options);
  EXPECT_EQ(target.SearchPaths(), TStringList{"C:\\Other"});
}

TEST_F(UninstallTest, RemoveTakesTheInstallationFolderWhole) {
  machine.Install("delphi7");
  TInstallData& data = machine.Load();
  const std::string& install = machine.installDir;
  Write(install + "\\Delphi7\\vxVexorinD7.bpl");
  Write(install + "\\Help\\VxnHelp.chm");
  Write(install + "\\Uninstall\\setup.exe", "MZ");
  Write(install + "\\notes.txt");
  Write(machine.demoDir + "\\Demos\\DemoApp\\VXNDemo.dpr");
  machine.compiler.CreateShortcuts();
  machine.compiler.WriteUninstallEntry();
  data.SetInstalled(true);
  data.SaveToRegistry();

  machine.compiler.Remove();
  EXPECT_FALSE(platform::DirectoryExists(install));
  EXPECT_FALSE(platform::DirectoryExists(machine.demoDir + "\\Demos"));
  EXPECT_TRUE(platform::DirectoryExists(machine.demoDir + "\\Sources"));
  EXPECT_FALSE(platform::DirectoryExists(data.StartFolderSelectedFull()));
  EXPECT_FALSE(platform::RegKeyExists(platform::RegRoot::LocalMachine, kUninstallRegistryKey));
  EXPECT_FALSE(platform::RegKeyExists(platform::RegRoot::LocalMachine, kProductRegistryKey));
  EXPECT_FALSE(data.Installed());
  const auto log = machine.Log();
  EXPECT_EQ(log.front(), "Delete component files...");
  EXPECT_EQ(log[1], "Deleting Delphi7");
  EXPECT_EQ(log[2], "Deleting ");
  EXPECT_TRUE(Contains(log, "Delete start menu group..."));
  EXPECT_EQ(std::vector<std::string>(log.end() - 4, log.end()),
            (std::vector<std::string>{"Completed", "Delete Start menu Program Folder...", "Completed", ""}));
}

// A group may be shared with other programs: only this program's links go,
// then each level left empty. The removal also cleans the group the
// installation recorded when the group chosen now is another one.
TEST_F(UninstallTest, RemoveTakesOnlyItsOwnLinksOutOfTheGroups) {
  machine.Install("delphi7");
  TInstallData* data = &machine.Load();
  const std::string programs = data->StartProgramsFolder();
  const std::string top = programs + "\\VexorinTest";
  const ScopeExit cleanup([&] { RemoveTree(top); });
  const std::string shared = top + "\\Shared";
  Write(shared + "\\Other Program.lnk", "other");
  data->SetStartFolderSelected("VexorinTest\\Shared");
  machine.compiler.CreateShortcuts();
  ASSERT_TRUE(platform::FileExists(shared + "\\Uninstall Vexorin.lnk"));
  data->SetInstalled(true);
  data->SaveToRegistry();

  // The next run chose another group, of several levels, and made it.
  data = &machine.Load();
  EXPECT_EQ(data->InstalledStartFolder(), "VexorinTest\\Shared");
  data->SetStartFolderSelected("VexorinTest\\Mine\\Vexorin");
  machine.compiler.CreateShortcuts();
  machine.compiler.Remove();

  std::vector<platform::DirEntry> entries;
  std::vector<std::string> left;
  if (platform::FindEntries(shared + "\\*", entries)) {
    for (const auto& entry : entries) {
      if (entry.name != "." && entry.name != "..") left.push_back(entry.name);
    }
  }
  EXPECT_EQ(left, std::vector<std::string>{"Other Program.lnk"});
  EXPECT_FALSE(platform::DirectoryExists(top + "\\Mine"));
  EXPECT_TRUE(platform::DirectoryExists(top));
}

// The maintenance copy runs with its own folder, inside the installation
// folder, as the current folder, which would keep the folder from going.
TEST_F(UninstallTest, RemoveLeavesTheInstallationFolderFirst) {
  machine.Install("delphi7");
  TInstallData& data = machine.Load();
  const std::string uninstall = machine.installDir + "\\Uninstall";
  Write(uninstall + "\\setup.exe", "MZ");
  const std::string before = platform::GetCurrentDir();
  const ScopeExit restore([&] { platform::SetCurrentDir(before); });
  ASSERT_TRUE(platform::SetCurrentDir(uninstall));
  data.SetInstalled(true);
  data.SaveToRegistry();

  machine.compiler.Remove();
  EXPECT_TRUE(
      platform::SameTextAscii(IncludeTrailingPathDelimiter(platform::GetCurrentDir()), platform::TempDirectory()))
      << platform::GetCurrentDir();
  EXPECT_FALSE(platform::DirectoryExists(machine.installDir));
  EXPECT_EQ(machine.Log().front(), "Change dir: " + platform::TempDirectory());
}

TEST_F(UninstallTest, GuardKnowsTheProtectedFolders) {
  using platform::KnownFolder;
  const std::string documents = platform::KnownFolderPath(KnownFolder::Documents);
  struct Case {
    std::string path;
    bool isProtected;
  };
  const Case cases[] = {
      {"C:\\", true},
      {"c:", true},
      {"", true},
      {platform::KnownFolderPath(KnownFolder::ProgramFiles), true},
      {platform::KnownFolderPath(KnownFolder::ProgramFiles) + "\\", true},
      {platform::KnownFolderPath(KnownFolder::Windows), true},
      {platform::KnownFolderPath(KnownFolder::Profile), true},
      {ExtractFileDir(platform::KnownFolderPath(KnownFolder::Profile)), true},  // holds the profile
      {documents, true},
      {platform::KnownFolderPath(KnownFolder::Desktop), true},
      {platform::KnownFolderPath(KnownFolder::CommonDocuments), true},
      {platform::KnownFolderPath(KnownFolder::StartMenuPrograms), true},
      {ExtractFileDir(platform::KnownFolderPath(KnownFolder::StartMenuPrograms)), true},
      {platform::KnownFolderPath(KnownFolder::System), true},
      {platform::KnownFolderPath(KnownFolder::SystemX86), true},
      {platform::SystemDirectory(), true},
      {platform::KnownFolderPath(KnownFolder::CommonAppData), true},
      {platform::KnownFolderPath(KnownFolder::CommonFiles), true},
      {platform::KnownFolderPath(KnownFolder::CommonFilesX86), true},
      {platform::KnownFolderPath(KnownFolder::LocalAppData), true},
      {ExtractFileDir(platform::KnownFolderPath(KnownFolder::LocalAppData)), true},  // AppData
      {platform::TempDirectory(), true},
      {platform::KnownFolderPath(KnownFolder::Startup), true},
      {platform::KnownFolderPath(KnownFolder::CommonStartup), true},
      {platform::TempDirectory() + "Vexorin", false},
      {platform::KnownFolderPath(KnownFolder::ProgramFiles) + "\\Orlentix\\Vexorin", false},
      {documents + "\\Vexorin", false},
      {machine.Package().Dir(), false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WhyFolderProtected(c.path).empty(), !c.isProtected) << "\"" << c.path << "\"";
  }
  EXPECT_EQ(WhyFolderProtected("C:\\"), "it is a drive root");
}

TEST_F(UninstallTest, RemoveNeverRecyclesAProtectedFolder) {
  machine.Install("delphi7");
  TInstallData& data = machine.Load();
  // The user typed the Documents folder as the installation folder, and an
  // empty Start-menu group.
  const std::string documents = platform::KnownFolderPath(platform::KnownFolder::Documents);
  ASSERT_NE(WhyFolderProtected(documents), "");
  data.SetInstallDir(documents);
  data.SetStartFolderSelected("");
  const std::string mine =
      documents + "\\my-letter-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + ".txt";
  Write(mine, "keep me");
  Write(documents + "\\RadStudio12\\vxVexorinD29.bpl");
  const std::string programs = data.StartFolderSelectedFull();
  ASSERT_NE(WhyFolderProtected(programs), "");

  machine.compiler.Remove();
  EXPECT_EQ(platform::ReadFileBytes(mine), "keep me");
  EXPECT_TRUE(platform::DirectoryExists(documents));
  EXPECT_TRUE(platform::DirectoryExists(programs));
  EXPECT_FALSE(platform::DirectoryExists(documents + "\\RadStudio12"));
  std::vector<std::string> errors;
  for (const auto& message : machine.compiler.Logger().Messages()) {
    if (message.Severity == lsError) errors.push_back(message.Message);
  }
  ASSERT_EQ(errors.size(), 1u);  // the folder itself; an empty group is not touched
  EXPECT_TRUE(StrStartsWith(errors[0],
                            "Not moving \"" + IncludeTrailingPathDelimiter(documents) +
                                "\" to the Recycle Bin: it is a system or user folder",
                            false))
      << errors[0];
  platform::RemoveFile(mine);
}
