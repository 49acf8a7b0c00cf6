// Simulated IDEs on simwin only: the simwin command's install-ide and
// list-profiles, and an installation that fails half-way.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "HostCommands.h"
#include "TestMachine.h"
#include "common/IdeProfiles.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "platform/System.h"
#include "platform/simwin/Machine.h"

namespace fs = std::filesystem;
using platform::RegRoot;

namespace {

std::string ReadValue(RegRoot root, const std::string& key, const std::string& name) {
  platform::RegistryKey k;
  if (!k.OpenRead(root, key)) return "<no key>";
  return k.ReadString(name).value_or("<no value>");
}

class InstallIdeCommandTest : public ::testing::Test {
 protected:
  InstallIdeCommandTest() {
    char pattern[] = "/tmp/vexorin-ide-XXXXXX";
    root = ::mkdtemp(pattern);
    machine = root + "/m";
  }
  ~InstallIdeCommandTest() override {
    simwin::Machine::Reset();
    ::unsetenv("SIMWIN_ROOT");
    fs::remove_all(root);
  }

  // Reads the machine through the platform layer from here on.
  void LookInside() {
    ::setenv("SIMWIN_ROOT", machine.c_str(), 1);
    simwin::Machine::Reset();
  }

  // Every file below the machine with its content.
  std::string Snapshot() const {
    std::string out;
    for (const auto& e : fs::recursive_directory_iterator(machine)) {
      out += e.path().string() + "\n";
      if (e.is_regular_file()) out += ReadHost(e.path().string());
    }
    return out;
  }

  std::string root;
  std::string machine;
  const std::string simwin = SIMWIN_COMMAND;
};

}  // namespace

TEST_F(InstallIdeCommandTest, InstallsAProfileWithItsOptions) {
  ASSERT_EQ(RunCommand(simwin + " create " + machine).exitCode, 0);
  fs::create_directory(machine + "/drive_d");
  // A folder holding one stand-in, under its native name.
  fs::create_directory(root + "/tools");
  fs::copy_file(DCC32_PATH, root + "/tools/dcc32");

  const CommandResult run =
      RunCommand(simwin + " install-ide " + machine +
                 " bds9 --edition Professional --personalities Delphi.Win32 --force-env-options --user-key Win32Only"
                 " --update 4 --core-version 16.0.4504.48758 --root 'D:\\RAD Studio\\XE2' --tools " +
                 root + "/tools");
  ASSERT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(run.output, "bds9 installed in D:\\RAD Studio\\XE2\\\n");

  LookInside();
  const std::string hklm = "Software\\Embarcadero\\BDS\\9.0";
  const std::string user = "Software\\Embarcadero\\Win32Only\\9.0";
  EXPECT_EQ(ReadValue(RegRoot::LocalMachine, hklm, "RootDir"), "D:\\RAD Studio\\XE2\\");
  EXPECT_EQ(ReadValue(RegRoot::LocalMachine, hklm, "Edition"), "Professional");
  EXPECT_EQ(ReadValue(RegRoot::LocalMachine, hklm, "UpdatePackInstalled"), "4");
  EXPECT_EQ(ReadValue(RegRoot::CurrentUser, user + "\\Globals", "ForceEnvOptionsUpdate"), "1");
  platform::RegistryKey personalities;
  ASSERT_TRUE(personalities.OpenRead(RegRoot::CurrentUser, user + "\\Personalities"));
  EXPECT_EQ(personalities.ValueNames(), std::vector<std::string>{"Delphi.Win32"});
  const auto core = platform::FileVersionOf("D:\\RAD Studio\\XE2\\bin\\coreide160.bpl");
  ASSERT_TRUE(core.has_value());
  EXPECT_EQ(core->build, 48758);

  // The stand-in from the folder runs inside the machine; dcc64, missing there, is a placeholder.
  EXPECT_EQ(ReadHost(machine + "/drive_d/RAD Studio/XE2/bin/dcc32.exe"), ReadHost(DCC32_PATH));
  EXPECT_TRUE(platform::FileVersionOf("D:\\RAD Studio\\XE2\\bin\\dcc64.exe").has_value());
  const CommandResult dcc =
      RunCommand(simwin + " run " + machine + " -- 'D:\\RAD Studio\\XE2\\bin\\dcc32.exe' Missing.dpk");
  EXPECT_NE(dcc.output.find("Stand-in Delphi command-line compiler dcc32"), std::string::npos) << dcc.output;

  const CommandResult list = RunCommand(simwin + " list-profiles");
  ASSERT_EQ(list.exitCode, 0);
  EXPECT_EQ(list.output.substr(0, 23), "delphi6\ndelphi7\nbcb5\nbc");
  EXPECT_NE(list.output.find("\nbds12\nbds14\n"), std::string::npos) << list.output;
  EXPECT_EQ(list.output.substr(list.output.size() - 12), "bds23\nbds37\n");
}

TEST_F(InstallIdeCommandTest, BadRequestsLeaveTheMachineAsItWas) {
  ASSERT_EQ(RunCommand(simwin + " create " + machine).exitCode, 0);
  ASSERT_EQ(RunCommand(simwin + " install-ide " + machine + " delphi7").exitCode, 0);
  struct Case {
    std::string arguments;
    int exitCode;
    const char* message;
  };
  const Case cases[] = {
      {"bds13", 1, "unknown IDE profile \"bds13\""},
      {"delphi7", 1, "delphi7 is already installed"},
      {"bds23 --update many", 1, "--update needs a number"},
      {"bds23 --personalities Delphi.Win32,,BCB", 1, "--personalities needs names"},
      {"bds23 --tools " + root + "/nothing", 1, "no folder"},
      {"bds23 --edition", 1, "--edition needs a value"},
      {"bds23 --colour blue", 2, "usage:"},
  };
  for (const auto& c : cases) {
    const std::string before = Snapshot();
    const CommandResult run = RunCommand(simwin + " install-ide " + machine + " " + c.arguments);
    EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments;
    EXPECT_NE(run.output.find(c.message), std::string::npos) << c.arguments << ": " << run.output;
    EXPECT_EQ(Snapshot(), before) << c.arguments;
  }
}

// A write that fails half-way takes back everything written before it.
TEST(IdeProfilesSimwinTest, AFailedInstallationIsTakenBack) {
  TestMachine machine;
  const std::string root = "C:\\Program Files (x86)\\Embarcadero\\Studio\\23.0";
  simwin::Machine::Current().AddFault(simwin::FaultKind::FileCreate, root + "\\lib\\win64");
  try {
    ideprofiles::InstallIde("bds23", {});
    FAIL() << "no exception";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()), "cannot create the folder " + root + "\\lib\\win64: Access is denied.");
  }
  EXPECT_FALSE(platform::RegKeyExists(RegRoot::LocalMachine, "Software\\Embarcadero"));
  EXPECT_FALSE(platform::RegKeyExists(RegRoot::CurrentUser, "Software\\Embarcadero"));
  EXPECT_FALSE(platform::DirectoryExists("C:\\Program Files (x86)\\Embarcadero"));
  EXPECT_TRUE(platform::DirectoryExists("C:\\Program Files (x86)"));
}
