// Unattended runs of the real program, as deployment tools start it: the
// options, the exit codes, the log, and a machine left unchanged when the
// run is refused or has nothing to do.
#include <gtest/gtest.h>

#include <fstream>

#include "ExitCodes.h"
#include "ProgramRun.h"

namespace {

using namespace programrun;
using UnattendedRunTest = ProgramRunTest;

const char* const kEveryTarget[] = {"C++Builder 6.0 (Enterprise)",
                                    "CodeGear RAD Studio 2007 (Enterprise)",
                                    "Delphi 7.0 (Enterprise)",
                                    "Embarcadero RAD Studio 12 Win32 (Enterprise)",
                                    "Embarcadero RAD Studio 12 Win64 (Enterprise)",
                                    "Embarcadero RAD Studio XE2 Win32 (Enterprise)",
                                    "Embarcadero RAD Studio XE2 Win64 (Enterprise)"};

// The IDE targets recorded under the product key, in the key's order.
std::vector<std::string> Recorded(const std::string& productKey) {
  std::vector<std::string> names;
  const std::string marker = "; sub-key: ";
  for (size_t at = productKey.find(marker); at != std::string::npos; at = productKey.find(marker, at + 1)) {
    const size_t start = at + marker.size();
    names.push_back(productKey.substr(start, productKey.find('\n', start) - start));
  }
  return names;
}

}  // namespace

TEST_F(UnattendedRunTest, AutoinstallInstallsIntoEveryIdeAndCloses) {
  MakeMachine();
  const auto run = RunWith("--autoinstall --autoclose");
  ASSERT_EQ(run.exitCode, kExitSuccess) << run.output;
  EXPECT_TRUE(Has(run.output, "The licence agreement is accepted by --autoinstall.\n"));
  EXPECT_TRUE(Has(run.output, "setup.log: C:\\Program Files (x86)\\Orlentix\\Vexorin\\setup.log\n"));
  // The pages pass by.
  EXPECT_TRUE(Has(run.output, "=== page \"Choose IDE Targets\""));
  EXPECT_TRUE(Has(run.output, "=== page \"Installation completed\""));
  EXPECT_EQ(Recorded(Show(kProductKey)), std::vector<std::string>(std::begin(kEveryTarget), std::end(kEveryTarget)));
  EXPECT_TRUE(Has(Show(kDelphi7Packages), "vxVexorinDsgnD7.bpl"));
  EXPECT_TRUE(Has(Show(kUninstallKey), "\"DisplayVersion\"=\"5.12.3.811 Professional Edition With Sources\""));
  EXPECT_TRUE(Has(SetupLog(), ", Info]The licence agreement is accepted by --autoinstall.\r\n"));
  // --autoclose opens no web page (the Start-menu group is opened, as every installation does).
  EXPECT_FALSE(Has(ReadHost(machine + "/shell.log"), "\thttp"));
}

TEST_F(UnattendedRunTest, AFailingCompilerEndsWithTheErrorsCode) {
  MakeMachine("delphi7 bds23");
  std::filesystem::copy_file("/bin/false", machine + "/drive_c/Program Files (x86)/Borland/Delphi7/Bin/dcc32.exe",
                             std::filesystem::copy_options::overwrite_existing);
  const auto run = RunWith("--autoinstall --autoclose");
  EXPECT_EQ(run.exitCode, kExitCompletedWithErrors) << run.output;
  EXPECT_TRUE(Has(SetupLog(), ", Error]Error compiling package: vxVexorinD7.dpk\r\n"));
  // Not a success: the finish page stays.
  EXPECT_TRUE(Has(run.output, "  label: An error occurred during the installation of the component. (red) (bold)\n"));
}

TEST_F(UnattendedRunTest, ARunningIdeRefusesTheRunUnlessIgnored) {
  MakeMachine("delphi7 bds23");
  const std::string before = Export();
  {
    std::ofstream ini(machine + "/machine.ini", std::ios::app);
    ini << "\n[processes]\nprocess=C:\\Program Files (x86)\\Embarcadero\\Studio\\23.0\\bin\\bds.exe|"
           "C:\\Program Files (x86)\\Embarcadero\\Studio\\23.0\\bin\\bds.exe\n";
  }
  auto run = RunWith("--autoinstall --autoclose");
  EXPECT_EQ(run.exitCode, kExitRefused) << run.output;
  EXPECT_TRUE(Has(run.output,
                  "Embarcadero RAD Studio 12 Win32 (Enterprise) IDE is running. Please close it before "
                  "continue.\nNothing was changed.\n"));
  EXPECT_EQ(Export(), before);
  EXPECT_FALSE(Exists(kInstallDir));

  run = RunWith("--autoinstall --autoclose --ignore-ide");
  EXPECT_EQ(run.exitCode, kExitSuccess) << run.output;
  EXPECT_EQ(Recorded(Show(kProductKey)),
            (std::vector<std::string>{"Delphi 7.0 (Enterprise)", "Embarcadero RAD Studio 12 Win32 (Enterprise)",
                                      "Embarcadero RAD Studio 12 Win64 (Enterprise)"}));
}

TEST_F(UnattendedRunTest, AutoupdateUpdatesExactlyTheIdesWithTheSuite) {
  // 5.12.3 in Delphi 7 and C++Builder 6; then three more IDEs arrive.
  MakeMachine("delphi7 bcb6");
  ASSERT_EQ(RunWith("--autoinstall --autoclose").exitCode, kExitSuccess);
  for (const char* profile : {"bds5", "bds9", "bds23"}) InstallIde(profile);
  WriteHost(machine + kPackage + "/version", "5.12.4.900 Professional With Sources\r\n");

  const auto run = RunWith("--autoupdate --autoclose");
  ASSERT_EQ(run.exitCode, kExitSuccess) << run.output;
  EXPECT_TRUE(Has(run.output, "The licence agreement is accepted by --autoupdate.\n"));
  const std::string product = Show(kProductKey);
  EXPECT_EQ(Recorded(product), (std::vector<std::string>{"C++Builder 6.0 (Enterprise)", "Delphi 7.0 (Enterprise)"}));
  EXPECT_TRUE(Has(product, "\"InstalledVersion\"=\"5.12.4.900 Professional Edition With Sources\""));
  EXPECT_TRUE(Has(SetupLog(), "5.12.4.900"));
  EXPECT_FALSE(Has(Show("HKEY_CURRENT_USER\\Software\\Embarcadero\\BDS\\23.0\\Known Packages"), "vxVexorin"));
}

TEST_F(UnattendedRunTest, AutoupdateWithNothingToUpdateChangesNothing) {
  MakeMachine("delphi7");
  const std::string before = Export();
  auto run = RunWith("--autoupdate");
  EXPECT_EQ(run.exitCode, kExitNothingToDo) << run.output;
  EXPECT_EQ(run.output, "Nothing to update: Vexorin is not installed on this computer.\n");
  EXPECT_EQ(Export(), before);

  // The installed version is the package's own: nothing to update either.
  ASSERT_EQ(RunWith("--autoinstall --autoclose").exitCode, kExitSuccess);
  const std::string installed = Export();
  run = RunWith("--autoupdate --autoclose");
  EXPECT_EQ(run.exitCode, kExitNothingToDo) << run.output;
  EXPECT_EQ(run.output, "Nothing to update: the installed version is this package's version.\n");
  EXPECT_EQ(Export(), installed);
}

TEST_F(UnattendedRunTest, StartUpFailuresAndMachinesWithoutIdes) {
  MakeMachine("");
  // No IDE: --autoinstall installs the files for a later build by hand.
  auto run = RunWith("--autoinstall --autoclose");
  EXPECT_EQ(run.exitCode, kExitSuccess) << run.output;
  EXPECT_TRUE(Has(run.output, "No IDE was found: the installation goes on without one (--autoinstall).\n"));
  EXPECT_FALSE(Has(run.output, "Vexorin Trial Version"));
  EXPECT_TRUE(Exists(std::string(kInstallDir) + "/setup.log"));

  // A package without its version file.
  std::filesystem::remove(machine + kPackage + "/version");
  run = RunWith("--autoinstall");
  EXPECT_EQ(run.exitCode, kExitStartupFailed) << run.output;
  EXPECT_TRUE(Has(run.output,
                  "message box \"Vexorin Installer\": File not exists:\"version\". Invalid installer "
                  "package.\nanswered \"OK\" (unattended run)\n"));
}
