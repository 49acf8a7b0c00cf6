// Shell, system and environment services, the same on simwin and win32.
#include <gtest/gtest.h>

#include <algorithm>

#include "TestMachine.h"
#include "common/PeImage.h"
#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "platform/Shell.h"
#include "platform/System.h"
#include "platform/Text.h"

using namespace platform;

class ShellSystemTest : public ::testing::Test {
 protected:
  TestMachine machine;
  std::string dir = machine.Dir();
};

TEST_F(ShellSystemTest, ShortcutIsWrittenAndReadBack) {
  ASSERT_TRUE(MakeDirectory(dir + "\\Demos"));
  WriteFile(dir + "\\Demos\\Basic Demo.exe", "MZ");
  const std::string link = dir + "\\Basic Demo.lnk";
  ASSERT_TRUE(CreateShortcut(link, {dir + "\\Demos\\Basic Demo.exe", dir + "\\Demos"}));
  const auto read = ReadShortcut(link);
  ASSERT_TRUE(read.has_value());
  EXPECT_TRUE(SameTextAscii(read->targetPath, dir + "\\Demos\\Basic Demo.exe")) << read->targetPath;
  EXPECT_TRUE(SameTextAscii(read->workingDir, dir + "\\Demos")) << read->workingDir;
  EXPECT_EQ(ReadShortcut(dir + "\\missing.lnk"), std::nullopt);
  WriteFile(dir + "\\broken.lnk", "not a shortcut");
  EXPECT_EQ(ReadShortcut(dir + "\\broken.lnk"), std::nullopt);
}

TEST_F(ShellSystemTest, FileVersionComesFromTheVersionResource) {
  peimage::VersionInfo info{{11, 0, 2709, 7128}, {11, 0, 0, 0}, {{"FileVersion", "11.0.2709.7128"}}};
  const auto image = peimage::BuildPeImage(info, true);
  WriteFile(dir + "\\rtl100.bpl", std::string(image.begin(), image.end()));
  const auto version = FileVersionOf(dir + "\\RTL100.BPL");
  ASSERT_TRUE(version.has_value());
  EXPECT_EQ(version->major, 11);
  EXPECT_EQ(version->minor, 0);
  EXPECT_EQ(version->release, 2709);
  EXPECT_EQ(version->build, 7128);
  WriteFile(dir + "\\plain.bpl", "no resource here");
  EXPECT_EQ(FileVersionOf(dir + "\\plain.bpl"), std::nullopt);
  EXPECT_EQ(FileVersionOf(dir + "\\missing.bpl"), std::nullopt);
}

TEST_F(ShellSystemTest, RecycleBinTakesFilesAndFolders) {
  ASSERT_TRUE(MakeDirectory(dir + "\\Install"));
  WriteFile(dir + "\\Install\\a.txt", "a");
  WriteFile(dir + "\\single.txt", "s");
  EXPECT_TRUE(MoveToRecycleBin(dir + "\\single.txt"));
  EXPECT_FALSE(FileExists(dir + "\\single.txt"));
  EXPECT_TRUE(MoveToRecycleBin(dir + "\\INSTALL"));
  EXPECT_FALSE(DirectoryExists(dir + "\\Install"));
  EXPECT_FALSE(MoveToRecycleBin(dir + "\\never-there"));
}

TEST_F(ShellSystemTest, EnvironmentNamesIgnoreCase) {
  ASSERT_TRUE(SetEnv("Vexorin_Test_Var", "C:\\one;C:\\two"));
  EXPECT_EQ(GetEnv("VEXORIN_TEST_VAR"), "C:\\one;C:\\two");
  bool inBlock = false;
  for (const auto& [name, value] : EnvironmentBlock()) {
    inBlock = inBlock || (SameTextAscii(name, "vexorin_test_var") && value == "C:\\one;C:\\two");
  }
  EXPECT_TRUE(inBlock);
  ASSERT_TRUE(UnsetEnv("vexorin_test_var"));
  EXPECT_EQ(GetEnv("Vexorin_Test_Var"), std::nullopt);
  EXPECT_TRUE(GetEnv("path").has_value());
}

TEST_F(ShellSystemTest, KnownFoldersExistAndListTheirSubfolders) {
  for (auto folder : {KnownFolder::ProgramFiles, KnownFolder::CommonDocuments, KnownFolder::Documents,
                      KnownFolder::RoamingAppData, KnownFolder::StartMenuPrograms}) {
    const std::string path = KnownFolderPath(folder);
    ASSERT_FALSE(path.empty());
    EXPECT_NE(path.back(), '\\') << path;
    EXPECT_TRUE(DirectoryExists(path)) << path;
  }
  const std::string programs = KnownFolderPath(KnownFolder::StartMenuPrograms);
  const std::string group = programs + "\\Vexorin Test Group";
  ASSERT_TRUE(MakeDirectory(group));
  WriteFile(programs + "\\Vexorin Test File.txt", "x");
  const auto names = ShellSubfolderNames(KnownFolder::StartMenuPrograms);
  RemoveEmptyDirectory(group);
  RemoveFile(programs + "\\Vexorin Test File.txt");
  EXPECT_NE(std::find(names.begin(), names.end(), "Vexorin Test Group"), names.end());
  EXPECT_EQ(std::find(names.begin(), names.end(), "Vexorin Test File.txt"), names.end());
}

TEST_F(ShellSystemTest, SystemFacts) {
  const std::string text = SystemErrorText(5);
  ASSERT_GE(text.size(), 2u);
  EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
  EXPECT_EQ(SystemErrorText(0x7FFFFFF0u), "");
  const auto version = WindowsVersion();
  EXPECT_GE(version.major, 5u);
  EXPECT_FALSE(ExecutablePath().empty());
  EXPECT_EQ(ExecutablePath().find('/'), std::string::npos) << ExecutablePath();
}
