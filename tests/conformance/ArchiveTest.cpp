// Unpacking the sample package's archive into the demo folder, with the
// folders of absent IDE versions left out, its failures, and the maintenance
// copy in the installation folder.
#include <gtest/gtest.h>

#include <algorithm>

#include "Compile/Compiler.h"
#include "Compile/InstallData.h"
#include "EngineMachine.h"
#include "SysUtils.h"
#include "TestMachine.h"
#include "TestTools.h"
#include "Utils.h"
#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "platform/System.h"

namespace {

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

}  // namespace

class ArchiveTest : public ::testing::Test {
 protected:
  ArchiveTest() {
    const std::string dir = machine.Package().PackageDir();
    InstallProgram(ARCHIVER_PATH, dir + "\\7z.exe");
    if (std::string(ARCHIVER_DLL_PATH) != "") InstallProgram(ARCHIVER_DLL_PATH, dir + "\\7z.dll");
    InstallProgram(SAMPLE_PACKAGE_DIR "/data.arc", dir + "\\data.arc");
  }

  // The message of the exception the extraction raises; "" when it succeeds.
  // The extraction leaves the program's folder the current directory.
  std::string Extract(bool force) {
    ProgramInPackage program(machine.Package().PackageDir(), {"7z.exe", "7z.dll", "data.arc"});
    setupDir = ExtractFileDir(platform::ExecutablePath());
    std::string message;
    try {
      machine.compiler.ExtractArchive(force);
    } catch (const Exception& e) {
      message = e.Message();
    }
    if (!StrStartsWith(message, "File not exists", false) && !StrStartsWith(message, "ForceDirectories", false)) {
      EXPECT_EQ(platform::GetCurrentDir(), setupDir);
    }
    EXPECT_TRUE(platform::SetCurrentDir(machine.Package().PackageDir()));
    return message;
  }

  // The archiver's parameters of the first run logged from the line `first` on.
  std::string ParametersLogged(size_t first = 0) const {
    for (const auto& line : machine.LogSince(first)) {
      if (StrStartsWith(line, "Process params: ", false)) return line.substr(16);
    }
    return {};
  }

  EngineMachine machine;
  std::string setupDir;
};

TEST_F(ArchiveTest, LeavesOutTheFoldersOfAbsentIdeVersions) {
  machine.Install("delphi7");
  machine.Install("bcb6");
  machine.Install("bds23");
  machine.Load();
  ASSERT_EQ(Extract(false), "");
  EXPECT_TRUE(InstallData->Installed());

  const std::string& demo = machine.demoDir;
  for (const char* kept :
       {"Delphi7", "CBuilder6", "RadStudio12", "RadStudio12x64", "Packages\\Delphi7", "Packages_Tnt\\CBuilder6",
        "Packages_DevExpress\\RadStudio12", "Sources\\DevExpressForms", "Demos\\DemoApp", "Demos\\ThirdParty",
        // Presence is judged by the version number: C++Builder 6 keeps Delphi 6's folders.
        "Delphi6", "Packages_TMS\\Delphi6"}) {
    EXPECT_TRUE(platform::DirectoryExists(demo + "\\" + kept)) << kept;
  }
  for (const char* left : {"Delphi2007", "Delphi2012x64", "Packages\\Delphi2009", "Packages_TMS\\RadStudio11",
                           "CBuilder5", "Packages\\CBuilder5", "Delphi5", "RadStudio13", "RadStudio13x64",
                           "Packages_DevExpress\\RadStudio13", "Packages\\RadStudio13x64"}) {
    EXPECT_FALSE(platform::DirectoryExists(demo + "\\" + left)) << left;
  }
  EXPECT_TRUE(platform::FileExists(demo + "\\Packages\\Delphi7\\vxVexorinD7.dpk"));

  const auto log = machine.Log();
  const std::vector<std::string> info = {"Extracting component files...", "Creating target dir:" + demo,
                                         "Extracting completed...",       "Extracting Demo files...",
                                         "Creating target dir:" + demo,   "Extracting Demos completed..."};
  std::vector<std::string> infoLogged;
  for (const auto& message : machine.compiler.Logger().Messages()) {
    if (message.Severity == lsInfo) infoLogged.push_back(message.Message);
  }
  EXPECT_EQ(infoLogged, info);
  EXPECT_TRUE(Contains(log, "Change dir: " + demo));
  EXPECT_TRUE(Contains(log, "Process params: x -t7z -y -pNoPassword \"" + setupDir + "\\data.arc\" \"Demos\" "));
}

TEST_F(ArchiveTest, ExclusionSwitches) {
  machine.Install("delphi7");
  machine.Load();
  ASSERT_EQ(Extract(false), "");
  const std::string params = ParametersLogged();
  const std::string archive = "x -t7z -y -pNoPassword \"" + setupDir + "\\data.arc\" \"*\" ";
  ASSERT_TRUE(StrStartsWith(params, archive, false)) << params;
  // Version 1 first, Delphi 5 with its C++Builder counterpart, no switch for 7 or 13, Demos last.
  EXPECT_TRUE(StrStartsWith(params, archive + " -x!\"Delphi1\"  -x!\"Delphi1x64\"  -x!\"Packages\\Delphi1\" ", false));
  EXPECT_NE(params.find(" -x!\"Packages_Tnt\\Delphi5x64\"  -x!\"CBuilder5\"  -x!\"Packages\\CBuilder5\"  "
                        "-x!\"Packages\\CBuilder5x64\" "),
            std::string::npos);
  EXPECT_EQ(params.find("-x!\"CBuilder5x64\""), std::string::npos);
  EXPECT_EQ(params.find("Delphi7"), std::string::npos);
  EXPECT_TRUE(StrEndsWith(params, " -x!\"Packages_Tnt\\RadStudio13x64\"  -x!\"Demos\" ", false)) << params;
  // 28 absent versions with a folder name, ten switches each, nine more for
  // each of C++Builder 5 and 6, and Demos.
  size_t switches = 0;
  for (size_t at = params.find("-x!"); at != std::string::npos; at = params.find("-x!", at + 1)) ++switches;
  EXPECT_EQ(switches, 28u * 10 + 9 + 9 + 1);

  const size_t mark = machine.Log().size();
  ASSERT_EQ(Extract(true), "");
  EXPECT_EQ(ParametersLogged(mark), archive + " -x!\"Demos\" ");
}

TEST_F(ArchiveTest, Failures) {
  machine.Install("delphi7");
  machine.Load();
  {
    // A corrupt archive: the archiver's fatal error, nothing recorded as installed.
    WriteFile(machine.Package().PackageDir() + "\\data.arc", "7z? not really");
    InstallData->SetInstalled(true);
    EXPECT_EQ(Extract(false), "Error extracting component files from archive.\rFatal error");
    EXPECT_FALSE(InstallData->Installed());
  }
  ASSERT_TRUE(platform::RemoveFile(machine.Package().PackageDir() + "\\data.arc"));
  EXPECT_EQ(Extract(false), "File not exists:\"data.arc\". Invalid installer package.");
}

// The archiver's exit codes, a demo folder that cannot be made and an
// archiver that cannot be started; the current folder is the program's
// folder again after each (Extract checks it).
TEST_F(ArchiveTest, ArchiverAndFolderFailures) {
  machine.Install("delphi7");
  machine.Load();
  const std::string dir = machine.Package().PackageDir();
  // An archiver that ends with the exit code it is told.
  InstallProgram(TESTCHILD_PATH, dir + "\\7z.exe");
  const ScopeExit unset([] { platform::UnsetEnv("TESTCHILD_EXIT_CODE"); });
  const std::string failed = "Error extracting component files from archive.\r";
  const std::pair<const char*, std::string> codes[] = {{"1", failed + "Warning (Non fatal error(s))"},
                                                       {"7", failed + "Command line error"},
                                                       {"8", failed + "Not enough memory for operation"},
                                                       {"255", failed + "User stopped the process"},
                                                       {"3", failed + "Unknown extract error. Error code: 3"}};
  for (const auto& [code, message] : codes) {
    SCOPED_TRACE(code);
    ASSERT_TRUE(platform::SetEnv("TESTCHILD_EXIT_CODE", code));
    InstallData->SetInstalled(true);
    EXPECT_EQ(Extract(false), message);
    EXPECT_FALSE(InstallData->Installed());
  }
  platform::UnsetEnv("TESTCHILD_EXIT_CODE");

  // A demo folder that cannot be made: the system's reason.
  const std::string demo = InstallData->DemoDir();
  InstallData->SetDemoDir(FolderThatCannotBeCreated(machine.Package().Dir()) + "\\Demo");
  EXPECT_EQ(Extract(false), "ForceDirectories fails: Error code: 5 Message: " + platform::SystemErrorText(5));
  InstallData->SetDemoDir(demo);

  // No archiver: the system's error for the process.
  ASSERT_TRUE(platform::RemoveFile(dir + "\\7z.exe"));
  EXPECT_EQ(Extract(false), "CreateProcess fails: error code 2 Message: " + platform::SystemErrorText(2));
}

TEST_F(ArchiveTest, MaintenanceCopy) {
  machine.Install("delphi7");
  machine.Load();
  const std::string pkg = machine.Package().PackageDir();
  WriteFile(pkg + "\\setup.exe", "MZ setup");
  machine.Package().SetMarker("marlin", true);
  machine.Package().SetMarker("metapvds", false);
  const std::string uninstall = machine.installDir + "\\Uninstall";
  machine.Package().Fixture().WriteText(uninstall + "\\metapvds", "");  // left by an earlier installation
  machine.compiler.CopyToUninstallFolder();
  EXPECT_EQ(platform::ReadFileBytes(uninstall + "\\setup.exe"), "MZ setup");
  for (const char* name : {"7z.exe", "version", "marlin"}) {
    EXPECT_TRUE(platform::FileExists(uninstall + "\\" + name)) << name;
  }
  EXPECT_FALSE(platform::FileExists(uninstall + "\\metapvds"));
  const auto log = machine.Log();
  EXPECT_EQ(log.front(), "  Uninstall dir exists: \"" + platform::FullPathOf(uninstall) + "\"");
  EXPECT_TRUE(Contains(log, "  Source file does not exists: \"" + platform::FullPathOf(pkg) +
                                "\\metapvds\", deleting \"" + platform::FullPathOf(uninstall) + "\\metapvds\""));

  // Started from the maintenance copy itself: eight warnings, nothing changes.
  const size_t mark = machine.compiler.Logger().Messages().size();
  ASSERT_TRUE(platform::SetCurrentDir(uninstall));
  machine.compiler.CopyToUninstallFolder();
  ASSERT_TRUE(platform::SetCurrentDir(pkg));
  size_t warnings = 0;
  const auto& messages = machine.compiler.Logger().Messages();
  for (size_t i = mark; i < messages.size(); ++i) {
    const TLogMessage& message = messages[i];
    if (message.Severity == lsWarning) {
      ++warnings;
      EXPECT_EQ(message.Message, "  Cannot copy file to the same dir: " + platform::FullPathOf(uninstall));
    }
  }
  EXPECT_EQ(warnings, 8u);
  EXPECT_EQ(platform::ReadFileBytes(uninstall + "\\setup.exe"), "MZ setup");
}
