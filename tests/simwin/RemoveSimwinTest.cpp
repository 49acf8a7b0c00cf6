// The removal when the installation folder cannot be moved to the Recycle
// Bin whole: a file in it that cannot be deleted (the running maintenance
// copy) keeps the folder; the removal then goes name by name.
#include <gtest/gtest.h>

#include "Compile/Compiler.h"
#include "Compile/InstallData.h"
#include "EngineMachine.h"
#include "TestMachine.h"
#include "Utils.h"
#include "platform/FileSystem.h"
#include "platform/simwin/Machine.h"

namespace {

void Write(const std::string& path, const std::string& text) {
  ASSERT_TRUE(SafeForceDirectories(ExtractFileDir(path))) << path;
  WriteFile(path, text);
}

}  // namespace

TEST(RemoveSimwinTest, AFolderThatCannotGoWholeIsEmptiedNameByName) {
  EngineMachine machine;
  machine.Install("delphi7");
  TInstallData& data = machine.Load();
  const std::string install = machine.installDir;
  for (const char* file : {"Delphi7\\vxVexorinD7.bpl", "Help\\VxnHelp.chm", "Vexorin.url", "Uninstall\\version",
                           "Uninstall\\7z.exe", "notes.txt"}) {
    Write(install + "\\" + file, "x");
  }
  const std::string setup = install + "\\Uninstall\\setup.exe";
  Write(setup, "MZ running");
  // The running program's file can be neither deleted nor moved.
  simwin::Machine::Current().AddFault(simwin::FaultKind::FileDelete, setup);
  const std::string temp = platform::TempDirectory() + "setup.exe";
  data.SetInstalled(true);
  data.SaveToRegistry();

  machine.compiler.Remove();
  // The names the suite installs went one by one; the user's file and the
  // running program stay, so the folder stays.
  for (const char* gone : {"Delphi7", "Help"}) EXPECT_FALSE(platform::DirectoryExists(install + "\\" + gone)) << gone;
  for (const char* gone : {"Vexorin.url", "Uninstall\\version", "Uninstall\\7z.exe"}) {
    EXPECT_FALSE(platform::FileExists(install + "\\" + gone)) << gone;
  }
  EXPECT_TRUE(platform::FileExists(install + "\\notes.txt"));
  EXPECT_TRUE(platform::FileExists(setup));
  EXPECT_TRUE(platform::DirectoryExists(install));
  // The program's file could not be moved: a copy went to the temporary folder.
  EXPECT_EQ(platform::ReadFileBytes(temp), "MZ running");
  const auto log = machine.Log();
  EXPECT_EQ(log[1], "Deleting Delphi7");
  EXPECT_EQ(log[2], "Deleting ");
  EXPECT_EQ(log[3], "Deleting Help");
  EXPECT_FALSE(data.Installed());

  // Without the fault the remaining files go, and the empty folder with them.
  auto settings = simwin::Machine::Current().Settings();
  settings.faults.clear();
  simwin::Machine::Current().UpdateSettings(settings);
  ASSERT_TRUE(platform::RemoveFile(install + "\\notes.txt"));
  machine.compiler.Remove();
  EXPECT_EQ(platform::ReadFileBytes(temp), "MZ running");
  EXPECT_FALSE(platform::DirectoryExists(install));
}
