// simwin only: a machine made by scripts/demo-machine.sh (IDEs with the
// stand-in tools, the sample package with the program in
// C:\Users\Developer\Downloads\Vexorin) in a folder of its own, and runs of
// the real program on it.
#pragma once

#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <string>

#include "HostCommands.h"

namespace programrun {

inline const std::string kSimwin = SIMWIN_COMMAND;
inline const std::string kDemoMachine = DEMO_MACHINE_SCRIPT;
inline const std::string kBuildDir = BUILD_DIR;
inline const std::string kExamples = EXAMPLES_DIR;
inline constexpr const char* kPackage = "/drive_c/Users/Developer/Downloads/Vexorin";
inline constexpr const char* kInstallDir = "/drive_c/Program Files (x86)/Orlentix/Vexorin";
inline constexpr const char* kProductKey = "HKEY_LOCAL_MACHINE\\Software\\Orlenta Software\\Vexorin";
inline constexpr const char* kUninstallKey =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VxVexorinVCL";
inline constexpr const char* kDelphi7Packages = "HKEY_CURRENT_USER\\Software\\Borland\\Delphi\\7.0\\Known Packages";

inline bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class ProgramRunTest : public ::testing::Test {
 protected:
  ProgramRunTest() {
    char pattern[] = "/tmp/vexorin-run-XXXXXX";
    const char* made = ::mkdtemp(pattern);
    if (made == nullptr) throw std::runtime_error("cannot make a folder");
    root = made;
    machine = root + "/m";
  }
  ~ProgramRunTest() override {
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
  }

  void MakeMachine(const std::string& ides = "delphi7 bcb6 bds5 bds9 bds23") {
    const auto made = RunCommand(kDemoMachine + " " + machine + " --build " + kBuildDir + " --ides '" + ides + "'");
    ASSERT_EQ(made.exitCode, 0) << made.output;
  }
  void InstallIde(const std::string& profile) {
    const auto made =
        RunCommand(kSimwin + " install-ide " + machine + " " + profile + " --tools " + kBuildDir + "/tools");
    ASSERT_EQ(made.exitCode, 0) << made.output;
  }

  // Runs setup.exe of the package folder with the script; its output and exit code.
  CommandResult Run(const std::string& script) {
    const std::string file = root + "/script.txt";
    WriteHost(file, script);
    return RunExample(file);
  }
  CommandResult RunExample(const std::string& file) {
    return RunCommand("SIMWIN_ROOT=" + machine + " VEXORIN_SETUP_SCRIPT=" + file + " '" + machine + kPackage +
                      "/setup.exe'");
  }
  // Runs setup.exe with the arguments, without a script.
  CommandResult RunWith(const std::string& arguments) {
    return RunCommand("SIMWIN_ROOT=" + machine + " '" + machine + kPackage + "/setup.exe' " + arguments);
  }

  std::string Show(const std::string& key) {
    return RunCommand(kSimwin + " show " + machine + " '" + key + "'").output;
  }
  std::string Export() { return RunCommand(kSimwin + " export " + machine).output; }
  std::string SetupLog() { return ReadHost(machine + kInstallDir + "/setup.log"); }
  bool Exists(const std::string& path) { return std::filesystem::exists(machine + path); }

  std::string root;
  std::string machine;
};

}  // namespace programrun
