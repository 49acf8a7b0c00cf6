// The simulated machine itself: how it starts, how it fails, what it records,
// and the faults tests can inject.
#include "platform/simwin/Machine.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "HostCommands.h"
#include "TestMachine.h"
#include "Utils.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/System.h"

namespace fs = std::filesystem;
using namespace platform;

namespace {

std::string HostRoot() { return std::getenv("SIMWIN_ROOT"); }

}  // namespace

class MachineTest : public ::testing::Test {
 protected:
  TestMachine machine;
  std::string dir = machine.Dir();
};

TEST_F(MachineTest, EnumeratesAsNtfsDoesInCaseInsensitiveNameOrder) {
  for (const char* name : {"b.pas", "_u.pas", "A.pas", "c", "B2.pas", "a1.pas"}) WriteFile(dir + "\\" + name, "");
  ASSERT_TRUE(MakeDirectory(dir + "\\Sub"));
  std::vector<DirEntry> entries;
  ASSERT_TRUE(FindEntries(dir + "\\*", entries));
  std::vector<std::string> names;
  for (const auto& e : entries) names.push_back(e.name);
  EXPECT_EQ(names, (std::vector<std::string>{".", "..", "A.pas", "a1.pas", "b.pas", "B2.pas", "c", "Sub", "_u.pas"}));

  // FindFiles keeps that order, with a sub-folder's files where it is met.
  WriteFile(dir + "\\Sub\\z.pas", "");
  std::vector<FoundFile> found;
  FindFiles(dir, "*", true, {".pas"}, found);
  std::vector<std::string> paths;
  for (const auto& f : found) paths.push_back(f.path.substr(dir.size() + 1));
  EXPECT_EQ(paths, (std::vector<std::string>{"A.pas", "a1.pas", "b.pas", "B2.pas", "Sub\\z.pas", "_u.pas"}));
}

TEST_F(MachineTest, RegistryEnumeratesValuesInCreationOrderAndSurvivesAReload) {
  {
    RegistryKey key;
    ASSERT_TRUE(key.OpenWrite(RegRoot::CurrentUser, "Software\\Order", true));
    for (const char* name : {"Zeta", "alpha", "Mid"}) ASSERT_TRUE(key.WriteDWord(name, 7));
    RegistryKey sub;
    ASSERT_TRUE(sub.OpenWrite(RegRoot::CurrentUser, "Software\\Order\\_under", true));
    ASSERT_TRUE(sub.OpenWrite(RegRoot::CurrentUser, "Software\\Order\\Zulu", true));
  }
  simwin::Machine::Reset();  // a new process reads registry.reg afresh
  RegistryKey key;
  ASSERT_TRUE(key.OpenRead(RegRoot::CurrentUser, "software\\order"));
  EXPECT_EQ(key.ValueNames(), (std::vector<std::string>{"Zeta", "alpha", "Mid"}));
  EXPECT_EQ(key.SubKeyNames(), (std::vector<std::string>{"Zulu", "_under"}));
  EXPECT_EQ(key.ReadDWord("MID"), 7u);
}

TEST_F(MachineTest, ChangesByAnotherProcessAreSeen) {
  RegistryKey key;
  ASSERT_TRUE(key.OpenWrite(RegRoot::LocalMachine, "Software\\Shared", true));
  ASSERT_TRUE(key.WriteString("a", "1"));
  // Another process rewrites the hive (as the simwin command does).
  std::string hive = ReadHost(HostRoot() + "/registry.reg");
  const auto pos = hive.find("\"a\"=\"1\"");
  ASSERT_NE(pos, std::string::npos);
  hive.replace(pos, 7, "\"a\"=\"22\"");
  WriteHost(HostRoot() + "/registry.reg.new", hive);
  fs::rename(HostRoot() + "/registry.reg.new", HostRoot() + "/registry.reg");
  RegistryKey reopened;
  ASSERT_TRUE(reopened.OpenRead(RegRoot::LocalMachine, "Software\\Shared"));
  EXPECT_EQ(reopened.ReadString("a"), "22");
}

TEST_F(MachineTest, RegistryWritesAreAtomicAndLeaveNoTemporaryFile) {
  RegistryKey key;
  ASSERT_TRUE(key.OpenWrite(RegRoot::CurrentUser, "Software\\Atomic", true));
  for (int i = 0; i < 20; ++i) ASSERT_TRUE(key.WriteDWord("v" + std::to_string(i), static_cast<uint32_t>(i)));
  for (const auto& entry : fs::directory_iterator(HostRoot())) {
    EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << entry.path();
  }
  EXPECT_NE(ReadHost(HostRoot() + "/registry.reg").find("\"v19\"=dword:00000013"), std::string::npos);
}

TEST_F(MachineTest, ChangedValuesAreSavedWithTheirNewText) {
  RegistryKey key;
  ASSERT_TRUE(key.OpenWrite(RegRoot::CurrentUser, "Software\\Text", true));
  const std::string hive = HostRoot() + "/registry.reg";
  ASSERT_TRUE(key.WriteString("a", "1"));
  ASSERT_TRUE(key.WriteString("b", "x"));
  ASSERT_TRUE(key.WriteString("a", "2"));
  EXPECT_NE(ReadHost(hive).find("\"a\"=\"2\""), std::string::npos);
  EXPECT_EQ(ReadHost(hive).find("\"a\"=\"1\""), std::string::npos);
  ASSERT_TRUE(key.WriteDWord("a", 3));
  EXPECT_NE(ReadHost(hive).find("\"a\"=dword:00000003"), std::string::npos);
  ASSERT_TRUE(key.DeleteValue("a"));
  EXPECT_EQ(ReadHost(hive).find("\"a\"="), std::string::npos);
  EXPECT_NE(ReadHost(hive).find("\"b\"=\"x\""), std::string::npos);
  // Writing what is there leaves the file alone.
  struct stat before {};
  ASSERT_EQ(::stat(hive.c_str(), &before), 0);
  ASSERT_TRUE(key.WriteString("b", "x"));
  struct stat after {};
  ASSERT_EQ(::stat(hive.c_str(), &after), 0);
  EXPECT_EQ(before.st_ino, after.st_ino);
}

TEST_F(MachineTest, InjectedRegistryFaults) {
  auto& m = simwin::Machine::Current();
  m.AddFault(simwin::FaultKind::RegistryWrite, "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion");
  m.AddFault(simwin::FaultKind::RegistryOpen, "HKEY_CURRENT_USER\\Software\\Locked");
  RegistryKey key;
  EXPECT_FALSE(
      key.OpenWrite(RegRoot::LocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\X", true));
  EXPECT_EQ(LastErrorCode(), 5u);
  EXPECT_FALSE(RegKeyExists(RegRoot::LocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\X"));
  // Reading stays possible, and a neighbour is not affected.
  ASSERT_TRUE(key.OpenWrite(RegRoot::LocalMachine, "Software\\Microsoft\\Windows\\Other", true));
  EXPECT_FALSE(key.OpenWrite(RegRoot::CurrentUser, "Software\\Locked\\Deep", true));
  EXPECT_FALSE(key.OpenRead(RegRoot::CurrentUser, "Software\\Locked"));
  EXPECT_FALSE(RegDeleteKeyTree(RegRoot::LocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion"));
  // Faults live in machine.ini, so every process of the machine sees them.
  EXPECT_NE(ReadHost(HostRoot() + "/machine.ini").find("registry-deny-open=HKEY_CURRENT_USER\\Software\\Locked"),
            std::string::npos);
}

TEST_F(MachineTest, InjectedFileFaults) {
  auto& m = simwin::Machine::Current();
  ASSERT_TRUE(MakeDirectory(dir + "\\Keep"));
  WriteFile(dir + "\\Keep\\a.bpl", "a");
  WriteFile(dir + "\\src.bpl", "s");
  m.AddFault(simwin::FaultKind::FileDelete, dir + "\\keep");
  m.AddFault(simwin::FaultKind::FileCreate, dir + "\\ReadOnly");
  m.AddFault(simwin::FaultKind::FileCopy, SystemDirectory());

  EXPECT_FALSE(RemoveFile(dir + "\\Keep\\a.bpl"));
  EXPECT_EQ(LastErrorCode(), 5u);
  EXPECT_FALSE(RenamePath(dir + "\\Keep\\a.bpl", dir + "\\a.bpl"));
  EXPECT_FALSE(MoveToRecycleBin(dir + "\\Keep"));
  EXPECT_TRUE(FileExists(dir + "\\Keep\\a.bpl"));
  EXPECT_FALSE(CopyFileTo(dir + "\\src.bpl", dir + "\\Keep\\a.bpl", false));  // replacing deletes
  EXPECT_EQ(ReadFileBytes(dir + "\\Keep\\a.bpl"), "a");

  EXPECT_FALSE(MakeDirectory(dir + "\\ReadOnly"));
  EXPECT_FALSE(SafeForceDirectories(dir + "\\ReadOnly\\Sub"));
  EXPECT_FALSE(WriteFileBytes(dir + "\\readonly", "x"));
  EXPECT_FALSE(CreateShortcut(dir + "\\ReadOnly\\x.lnk", {"C:\\x.exe", "C:\\"}));

  EXPECT_FALSE(CopyFileTo(dir + "\\src.bpl", SystemDirectory() + "\\src.bpl", false));
  EXPECT_FALSE(FileExists(SystemDirectory() + "\\src.bpl"));
  m.ClearFaults();
  EXPECT_TRUE(CopyFileTo(dir + "\\src.bpl", SystemDirectory() + "\\src.bpl", false));
}

TEST_F(MachineTest, RecycleBinKeepsWhatIsMovedThereReadable) {
  ASSERT_TRUE(MakeDirectory(dir + "\\Vexorin"));
  WriteFile(dir + "\\Vexorin\\readme.txt", "first");
  ASSERT_TRUE(MoveToRecycleBin(dir + "\\Vexorin"));
  ASSERT_TRUE(MakeDirectory(dir + "\\Vexorin"));
  WriteFile(dir + "\\Vexorin\\readme.txt", "second");
  ASSERT_TRUE(MoveToRecycleBin(dir + "\\vexorin"));
  EXPECT_EQ(ReadFileBytes("C:\\$Recycle.Bin\\Vexorin\\readme.txt"), "first");
  EXPECT_EQ(ReadFileBytes("C:\\$Recycle.Bin\\vexorin (2)\\readme.txt"), "second");
  EXPECT_FALSE(MoveToRecycleBin("C:\\"));
}

TEST_F(MachineTest, ShellOpenIsRecorded) {
  EXPECT_TRUE(ShellOpen("C:\\Users\\Tester\\Start Menu\\Vexorin"));
  EXPECT_TRUE(ShellOpen("https://example.invalid/kb"));
  EXPECT_TRUE(ShellOpen("explorer.exe", "C:\\Program Files (x86)\\Orlentix\\Vexorin"));
  EXPECT_EQ(ReadHost(HostRoot() + "/shell.log"),
            "open\tC:\\Users\\Tester\\Start Menu\\Vexorin\nopen\thttps://example.invalid/kb\n"
            "open\texplorer.exe\tC:\\Program Files (x86)\\Orlentix\\Vexorin\n");
}

TEST_F(MachineTest, SettingsComeFromMachineIni) {
  auto& m = simwin::Machine::Current();
  auto s = m.Settings();
  s.versionMajor = 6;
  s.versionMinor = 1;
  s.versionBuild = 7601;
  s.servicePack = "Service Pack 1";
  s.processes = {{"C:\\Program Files (x86)\\Embarcadero\\Studio\\23.0\\bin\\bds.exe",
                  "C:\\Program Files (x86)\\Embarcadero\\Studio\\23.0\\bin\\rtl290.bpl"}};
  s.errors[5] = "Zugriff verweigert";
  m.UpdateSettings(s);
  simwin::Machine::Reset();

  const auto v = WindowsVersion();
  EXPECT_EQ(v.major, 6u);
  EXPECT_EQ(v.build, 7601u);
  EXPECT_EQ(v.servicePack, "Service Pack 1");
  const auto processes = ProcessSnapshot();
  ASSERT_EQ(processes.size(), 1u);
  EXPECT_EQ(processes[0].exeName, "bds.exe");
  EXPECT_EQ(processes[0].modulePaths.size(), 2u);
  // Modules are listed only for the processes asked about.
  EXPECT_EQ(ProcessSnapshot("BDS.EXE")[0].modulePaths.size(), 2u);
  EXPECT_EQ(ProcessSnapshot("bcb.exe")[0].modulePaths, std::vector<std::string>{});
  EXPECT_EQ(SystemErrorText(5), "Zugriff verweigert\r\n");
  EXPECT_EQ(KnownFolderPath(KnownFolder::Documents), "C:\\Users\\Tester\\Documents");
}

TEST_F(MachineTest, PathFormsResolveAsOnWindows) {
  auto& m = simwin::Machine::Current();
  uint32_t error = 0;
  struct Case {
    const char* path;
    const char* full;  // nullptr: fails
  };
  m.SetCurrentDir("C:\\Work\\Dir");
  const Case cases[] = {
      {"C:\\a\\.\\b\\..\\c", "C:\\a\\c"},
      {"c:/a/b", "C:\\a\\b"},
      {"\\x", "C:\\x"},
      {"C:rel", "C:\\Work\\Dir\\rel"},
      {"D:rel", "D:\\rel"},
      {"..\\..\\..\\up", "C:\\up"},
      {"name.  ", "C:\\Work\\Dir\\name"},
      {"\\\\server\\share", nullptr},
      {"C:\\a<b", nullptr},
      {"", nullptr},
  };
  for (const auto& c : cases) {
    const auto full = m.FullPath(c.path, error);
    if (c.full == nullptr) {
      EXPECT_FALSE(full.has_value()) << c.path;
    } else {
      EXPECT_EQ(full.value_or("<failed>"), c.full) << c.path;
    }
  }
  EXPECT_FALSE(DirectoryExists("Q:\\"));  // no such drive
}
