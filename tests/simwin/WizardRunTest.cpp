// The real program run from scripts on a simulated machine: the start-up
// paths, a new installation, an update, maintenance and an uninstallation
// one after the other, a failing compiler, a run cancelled while it works, a
// run the engine gives up, and the failures of the scripts themselves.
#include <gtest/gtest.h>

#include "ProgramRun.h"

namespace {

using namespace programrun;
using WizardRunTest = ProgramRunTest;

// A new installation from the welcome page to the configuration page, all as offered.
const char* const kToConfiguration = R"s(click "Next >"
check "Yes, I accept this agreement"
click "Next >"
click "Next >"
click "Next >"
click "Next >"
click "Next >"
expect "Configuration"
)s";

// The script of a new installation that leaves one IDE out.
const char* const kNewInstallationWithoutXe2Win64 = R"s(expect "Welcome to the Vexorin Installation Wizard"
click "Next >"
check "Yes, I accept this agreement"
click "Next >"
click "Next >"
click "Next >"
click "Next >"
expect "Choose IDE Targets"
uncheck "Embarcadero RAD Studio XE2 Win64 (Enterprise)"
click "Next >"
expect "Configuration"
click "Next >"
expect "Compiling and Installing Packages"
click "Next >"
expect "Installation completed"
uncheck "Open the Vexorin Knowledge Book"
click "Finish"
)s";

// The progress bar's lines of a transcript ("progress: 40%"), in order,
// without the leading change mark.
std::string ProgressLines(const std::string& output) {
  std::string lines;
  for (size_t at = output.find("progress: "); at != std::string::npos; at = output.find("progress: ", at + 1)) {
    lines += output.substr(at, output.find('\n', at) + 1 - at);
  }
  return lines;
}

}  // namespace

TEST_F(WizardRunTest, NewInstallationUpdateMaintenanceAndUninstallation) {
  MakeMachine();
  // A new installation into every IDE but XE2 Win64.
  auto run = Run(kNewInstallationWithoutXe2Win64);
  ASSERT_EQ(run.exitCode, 0) << run.output;
  EXPECT_TRUE(Has(run.output, "  | Installation completed\n")) << run.output;
  EXPECT_TRUE(Has(run.output, "  label: Vexorin component is installed successfully\n"));
  EXPECT_TRUE(Has(run.output,
                  "  label: Setup Log was saved at\n"
                  "  label: C:\\Program Files (x86)\\Orlentix\\Vexorin\\setup.log\n"));
  EXPECT_FALSE(Has(run.output, "  ! "));
  std::string product = Show(kProductKey);
  for (const char* ide :
       {"C++Builder 6.0 (Enterprise)", "CodeGear RAD Studio 2007 (Enterprise)", "Delphi 7.0 (Enterprise)",
        "Embarcadero RAD Studio 12 Win32 (Enterprise)", "Embarcadero RAD Studio 12 Win64 (Enterprise)",
        "Embarcadero RAD Studio XE2 Win32 (Enterprise)"}) {
    EXPECT_TRUE(Has(product, std::string("; sub-key: ") + ide + "\n")) << ide;
  }
  EXPECT_FALSE(Has(product, "XE2 Win64"));
  EXPECT_TRUE(Has(product, "\"InstalledVersion\"=\"5.12.3.811 Professional Edition With Sources\""));
  EXPECT_TRUE(Has(Show(kDelphi7Packages), "vxVexorinDsgnD7.bpl"));
  EXPECT_TRUE(Has(Show(kUninstallKey), "\"DisplayVersion\"=\"5.12.3.811 Professional Edition With Sources\""));
  EXPECT_TRUE(
      Exists("/drive_c/Users/Developer/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Orlentix/"
             "Vexorin VCL Edition/Uninstall Vexorin.lnk"));
  std::string log = SetupLog();
  EXPECT_EQ(log.rfind("[", 0), 0u);
  EXPECT_TRUE(Has(log, ", Info]Installation completed\r\n"));
  EXPECT_TRUE(Has(log, ", Debug]"));
  // The knowledge book was unchecked before Finish.
  EXPECT_FALSE(Has(ReadHost(machine + "/shell.log"), "/kb/"));

  // An update to 5.12.4: the same IDEs, the new version.
  WriteHost(machine + kPackage + "/version", "5.12.4.900 Professional With Sources\r\n");
  run = RunExample(kExamples + "/update.txt");
  ASSERT_EQ(run.exitCode, 0) << run.output;
  EXPECT_TRUE(Has(run.output,
                  "    This wizard will update the Vexorin component version 5.12.3.811 Professional "
                  "Edition With Sources currently installed on your computer with newer version "
                  "5.12.4.900 Professional Edition With Sources.\n"));
  EXPECT_TRUE(Has(run.output, "  [x] Delphi 7.0 (Enterprise)\n  label: Action: Update\n"));
  EXPECT_TRUE(Has(run.output, "  [ ] Embarcadero RAD Studio XE2 Win64 (Enterprise)\n  label: Action: Do nothing\n"));
  EXPECT_FALSE(Has(run.output, "  ! "));
  product = Show(kProductKey);
  EXPECT_TRUE(Has(product, "\"InstalledVersion\"=\"5.12.4.900 Professional Edition With Sources\""));
  EXPECT_FALSE(Has(product, "XE2 Win64"));
  EXPECT_TRUE(Has(Show(kUninstallKey), "\"DisplayVersion\"=\"5.12.4.900 Professional Edition With Sources\""));
  EXPECT_TRUE(Has(SetupLog(), "5.12.4.900"));

  // Maintenance: XE2 Win64 in, Delphi 7 out.
  run = RunExample(kExamples + "/maintenance.txt");
  ASSERT_EQ(run.exitCode, 0) << run.output;
  EXPECT_TRUE(Has(run.output, "  ~ [x] Delphi 7.0 (Enterprise)\n  ~ label: Action: Reinstall\n"));
  EXPECT_TRUE(Has(run.output, "  ~ [ ] Delphi 7.0 (Enterprise)\n  ~ label: Action: Uninstall\n"));
  EXPECT_FALSE(Has(run.output, "  ! "));
  product = Show(kProductKey);
  EXPECT_TRUE(Has(product, "; sub-key: Embarcadero RAD Studio XE2 Win64 (Enterprise)\n"));
  EXPECT_FALSE(Has(product, "Delphi 7.0"));
  EXPECT_TRUE(Has(product, "; sub-key: C++Builder 6.0 (Enterprise)\n"));
  EXPECT_FALSE(Has(Show(kDelphi7Packages), "vxVexorin"));

  // The full uninstallation: no log, the feedback question, nothing left.
  std::filesystem::remove(machine + kInstallDir + "/setup.log");
  const std::string uninstall = ReadHost(kExamples + "/uninstall.txt");
  ASSERT_TRUE(Has(uninstall, "answer \"No\"\n"));
  run = Run(uninstall.substr(0, uninstall.find("answer \"No\"")) + "answer \"Yes\"" +
            uninstall.substr(uninstall.find("answer \"No\"") + 11));
  ASSERT_EQ(run.exitCode, 0) << run.output;
  EXPECT_TRUE(Has(run.output, "  | Uninstall completed\n"));
  EXPECT_TRUE(Has(run.output,
                  "=== message box \"Vexorin Installer\"\n  Thank you for evaluation of Vexorin VCL "
                  "Edition!\n"));
  EXPECT_TRUE(Has(run.output, "  label: Vexorin component is now completely uninstalled from your computer\n"));
  EXPECT_FALSE(Has(run.output, "Setup Log was saved at"));
  EXPECT_FALSE(Has(run.output, "Open the Vexorin Knowledge Book"));
  EXPECT_FALSE(Exists(std::string(kInstallDir) + "/setup.log"));
  EXPECT_TRUE(Has(Show(kProductKey), "no key")) << Show(kProductKey);
  EXPECT_FALSE(Has(Show(kUninstallKey), "DisplayName"));
  EXPECT_FALSE(Has(Show("HKEY_CURRENT_USER\\Software\\Embarcadero\\BDS\\23.0\\Known Packages"), "vxVexorin"));
  // The feedback form was asked for; the hidden knowledge-book box opens nothing.
  const std::string opened = ReadHost(machine + "/shell.log");
  EXPECT_TRUE(Has(opened, "open\thttps://www.orlenta.com/uninstall.html?product=vxn&edition=vcl&version=5.12.4.900\n"))
      << opened;
  EXPECT_FALSE(Has(opened, "/kb/"));
}

TEST_F(WizardRunTest, AFailingCompilerIsReportedOnTheFinishPage) {
  MakeMachine("delphi7 bds23");
  std::filesystem::copy_file("/bin/false", machine + "/drive_c/Program Files (x86)/Borland/Delphi7/Bin/dcc32.exe",
                             std::filesystem::copy_options::overwrite_existing);
  const auto run = RunExample(kExamples + "/new-installation.txt");
  ASSERT_EQ(run.exitCode, 0) << run.output;
  EXPECT_TRUE(Has(run.output, "  ! Error compiling package: vxVexorinD7.dpk\n")) << run.output;
  EXPECT_TRUE(Has(run.output,
                  "  picture: exclamation\n"
                  "  label: An error occurred during the installation of the component. (red) (bold)\n"
                  "  label: Setup Log was saved at\n"
                  "  label: C:\\Program Files (x86)\\Orlentix\\Vexorin\\setup.log\n"
                  "  label: You can review it for errors or send it to Orlenta Software for "
                  "investigation.\n"
                  "  button: Open the log file\n"
                  "  button: Open the containing folder\n"
                  "  button: Submit a request for assistance\n"))
      << run.output;
  EXPECT_FALSE(Has(run.output, "installed successfully"));
  EXPECT_TRUE(Has(SetupLog(), ", Error]Error compiling package: vxVexorinD7.dpk\r\n"));
  // RAD Studio 12 got the suite all the same.
  EXPECT_TRUE(Has(Show(kProductKey), "; sub-key: Embarcadero RAD Studio 12 Win32 (Enterprise)\n"));
}

// Under the output pane the bar fills IDE by IDE, package by package: the
// unpacking takes the first tenth, then Delphi 7 builds its two packages and
// registers them.
TEST_F(WizardRunTest, TheProgressBarFollowsTheRun) {
  MakeMachine("delphi7");
  auto run = Run(std::string(kToConfiguration) + R"s(click "Next >"
expect "Compiling and Installing Packages"
click "Next >"
expect "Installation completed"
click "Finish"
)s");
  ASSERT_EQ(run.exitCode, 0) << run.output;
  // Fourteen packages: seven run-time packages, each with its design-time package.
  EXPECT_EQ(ProgressLines(run.output),
            "progress: 0%\nprogress: 10%\nprogress: 16%\nprogress: 22%\nprogress: 28%\nprogress: 34%\n"
            "progress: 40%\nprogress: 46%\nprogress: 52%\nprogress: 58%\nprogress: 64%\nprogress: 70%\n"
            "progress: 76%\nprogress: 82%\nprogress: 88%\nprogress: 94%\nprogress: 100%\n")
      << run.output;
  // A failing compiler turns the bar red; the run still fills it.
  std::filesystem::copy_file("/bin/false", machine + "/drive_c/Program Files (x86)/Borland/Delphi7/Bin/dcc32.exe",
                             std::filesystem::copy_options::overwrite_existing);
  run = Run(R"s(expect "Vexorin maintenance"
click "Next >"
click "Next >"
expect "Choose IDE Targets"
click "Delphi 7.0 (Enterprise)"
click "Next >"
expect "Configuration"
click "Next >"
expect "Compiling and Installing Packages"
click "Next >"
expect "Installation completed"
click "Finish"
)s");
  ASSERT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(ProgressLines(run.output), "progress: 0%\nprogress: 0% (error)\nprogress: 100% (error)\n") << run.output;
}

TEST_F(WizardRunTest, CancelDuringTheRunLetsItCompleteAndEnds) {
  MakeMachine("delphi7");
  const auto run = Run(std::string(kToConfiguration) + R"s(click "Next >"
while-running click "Cancel"
)s");
  ASSERT_EQ(run.exitCode, 0) << run.output;
  EXPECT_TRUE(Has(run.output, "  | Installation completed\n"));
  EXPECT_FALSE(Has(run.output, "=== page \"Installation completed\""));
  EXPECT_TRUE(Has(SetupLog(), ", Info]Installation completed\r\n"));
  EXPECT_TRUE(Has(Show(kProductKey), "; sub-key: Delphi 7.0 (Enterprise)\n"));
}

TEST_F(WizardRunTest, ARunTheEngineGivesUpKeepsItsLog) {
  MakeMachine("delphi7");
  std::filesystem::remove(machine + kPackage + "/data.arc");
  const auto run = Run(std::string(kToConfiguration) + R"s(click "Next >"
expect "Compiling and Installing Packages"
click "Next >"
expect "Installation completed"
click "< Back"
expect "Compiling and Installing Packages"
click "Next >"
expect "Installation completed"
click "Finish"
)s");
  ASSERT_EQ(run.exitCode, 0) << run.output;
  // The run happens once, however often its page is shown.
  size_t runs = 0;
  for (size_t at = run.output.find("  ! The installation stopped"); at != std::string::npos;
       at = run.output.find("  ! The installation stopped", at + 1))
    ++runs;
  EXPECT_EQ(runs, 1u);
  EXPECT_TRUE(
      Has(run.output, "  ! The installation stopped: File not exists:\"data.arc\". Invalid installer package.\n"))
      << run.output;
  EXPECT_TRUE(Has(run.output, "  label: An error occurred during the installation of the component. (red) (bold)\n"));
  EXPECT_TRUE(Has(SetupLog(), ", Error]The installation stopped: File not exists:\"data.arc\"."));
  EXPECT_TRUE(Has(ReadHost(machine + "/shell.log"), "open\thttps://support.orlenta.com/kb/vexorin-vcl-quick-start"));
}

TEST_F(WizardRunTest, StartUpPaths) {
  MakeMachine("");
  struct Case {
    const char* what;
    std::string script;
    bool wizard;         // the wizard's first page is shown
    const char* opened;  // what the shell was asked to open, if anything
  };
  const Case cases[] = {
      {"continue", "answer \"Continue with the installation\"\nclick \"Cancel\"\n", true, ""},
      {"Esc", "key Esc\nclick \"Cancel\"\n", true, ""},
      {"close box", "close\nclick \"Cancel\"\n", true, ""},
      {"download", "answer \"Download Skyvane Now\"\n", false, "open\thttps://www.orlenta.com/skyvane/download.html\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove(machine + "/shell.log");
    const auto run = Run(c.script);
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_TRUE(Has(run.output, "=== dialog \"Vexorin Trial Version\"\n")) << run.output;
    EXPECT_TRUE(Has(run.output, "  label: 5.12.3.811 Professional Edition With Sources (bold)\n"));
    EXPECT_EQ(Has(run.output, "=== page \"Welcome to the Vexorin Installation Wizard\""), c.wizard);
    EXPECT_EQ(ReadHost(machine + "/shell.log"), c.opened);
  }

  // A missing version file: two message boxes, no wizard.
  std::filesystem::remove(machine + kPackage + "/version");
  const auto run = Run("answer \"OK\"\nanswer \"OK\"\n");
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(run.output,
            "=== message box \"Vexorin Installer\"\n"
            "  File not exists:\"version\". Invalid installer package.\n"
            "  buttons: [OK]\n"
            "=== message box \"Vexorin Installer\"\n"
            "  File not exists:\"version\". Invalid installer package.\n"
            "  buttons: [OK]\n");
}

TEST_F(WizardRunTest, WithIdesTheNoIdeDialogIsNotShown) {
  MakeMachine("delphi7");
  const auto run = Run("expect \"Welcome to the Vexorin Installation Wizard\"\nclick \"Cancel\"\n");
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_FALSE(Has(run.output, "Vexorin Trial Version"));
}

TEST_F(WizardRunTest, ScriptsThatFail) {
  MakeMachine("delphi7");
  struct Case {
    const char* what;
    std::string script;
    int exitCode;
    std::string message;
  };
  const Case cases[] = {
      {"unknown step", "click \"Next >\"\nfrobnicate \"it\"\n", 2,
       "setup: the script " + root + "/script.txt: line 2: unknown step \"frobnicate\"\n"},
      {"caption not there", "click \"Next >\"\nclick \"Nothing like it\"\n", 3,
       "script error: line 2: click \"Nothing like it\": nothing to click is captioned \"Nothing like it\"\n"
       "=== page \"License agreement\"\n"},
      {"page does not come", "click \"Next >\"\nexpect \"Destination Folder\"\n", 3,
       "script error: line 2: expect \"Destination Folder\": expected \"Destination Folder\", but \"License "
       "agreement\" is shown\n=== page \"License agreement\"\n"},
      {"disabled button", "click \"Next >\"\nclick \"Next >\"\n", 3,
       "script error: line 2: click \"Next >\": the button \"Next >\" is disabled\n"},
      {"script ends with the window open", "click \"Next >\"\n", 3,
       "script error: the script ended while \"License agreement\" is shown\n"},
      {"no message box", "answer \"OK\"\n", 3,
       "script error: line 1: answer \"OK\": no message box or dialog is open\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const auto run = Run(c.script);
    EXPECT_EQ(run.exitCode, c.exitCode) << run.output;
    EXPECT_TRUE(Has(run.output, c.message)) << run.output;
  }

  // A message box nobody answers: the missing version file's.
  std::filesystem::remove(machine + kPackage + "/version");
  const auto unanswered = Run("");
  EXPECT_EQ(unanswered.exitCode, 3) << unanswered.output;
  EXPECT_TRUE(Has(unanswered.output,
                  "script error: a message box is open and the script has no answer: \"File not "
                  "exists:\"version\". Invalid installer package.\"\n"))
      << unanswered.output;
}
