// The programs on a simulated machine: the setup program refusing a machine it
// cannot use, and the simwin command.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include "HostCommands.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

namespace fs = std::filesystem;

namespace {

class CommandTest : public ::testing::Test {
 protected:
  CommandTest() {
    char pattern[] = "/tmp/vexorin-cmd-XXXXXX";
    root = ::mkdtemp(pattern);
  }
  ~CommandTest() override { fs::remove_all(root); }

  // A listing of every file below the folder with its content, to prove that
  // a failing run wrote nothing.
  std::string Snapshot() const {
    std::string out;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
      out += e.path().string() + "\n";
      if (e.is_regular_file()) out += ReadHost(e.path().string());
    }
    return out;
  }

  std::string root;
  const std::string simwin = SIMWIN_COMMAND;
  const std::string setup = SETUP_COMMAND;
};

}  // namespace

TEST_F(CommandTest, SetupRefusesAMachineItCannotUse) {
  const std::string m = root + "/m";
  ASSERT_EQ(RunCommand(simwin + " create " + m).exitCode, 0);
  const std::string goodIni = ReadHost(m + "/machine.ini");
  const std::string goodReg = ReadHost(m + "/registry.reg");

  struct Case {
    const char* what;
    std::string env;
    std::function<void()> damage;
    const char* message;
  };
  const Case cases[] = {
      {"no SIMWIN_ROOT", "env -u SIMWIN_ROOT", [] {}, "SIMWIN_ROOT is not set"},
      {"not a machine", "SIMWIN_ROOT=" + root, [] {}, "is not a simulated machine"},
      {"missing folder", "SIMWIN_ROOT=" + root + "/nothing", [] {}, "does not exist"},
      {"unknown key", "SIMWIN_ROOT=" + m, [&] { WriteHost(m + "/machine.ini", goodIni + "[machine]\ncolour=blue\n"); },
       "unknown key 'colour' in [machine]"},
      {"malformed registry line", "SIMWIN_ROOT=" + m,
       [&] {
         WriteHost(m + "/machine.ini", goodIni);
         WriteHost(m + "/registry.reg", goodReg + "[HKEY_CURRENT_USER\\Software]\r\n\"broken\"=what\r\n");
       },
       "registry.reg line 4"},
  };
  for (const auto& c : cases) {
    c.damage();
    const std::string before = Snapshot();
    const CommandResult run = RunCommand(c.env + " " + setup + " --ignore-bcb");
    EXPECT_EQ(run.exitCode, 2) << c.what;
    EXPECT_NE(run.output.find(c.message), std::string::npos) << c.what << ": " << run.output;
    EXPECT_EQ(Snapshot(), before) << c.what;
  }
}

TEST_F(CommandTest, CreateImportExportShow) {
  const std::string m = root + "/m";
  ASSERT_EQ(RunCommand(simwin + " create " + m + " --user Ada").exitCode, 0);
  EXPECT_TRUE(fs::is_directory(m + "/drive_c/Users/Ada/Documents"));
  EXPECT_TRUE(fs::is_directory(m + "/drive_c/$Recycle.Bin"));
  EXPECT_NE(RunCommand(simwin + " create " + m).exitCode, 0);  // never over an existing machine

  // A file exported from a real machine: UTF-16LE with a byte-order mark.
  const std::string text =
      "Windows Registry Editor Version 5.00\r\n\r\n"
      "[HKEY_CURRENT_USER\\Software\\Embarcadero\\BDS\\23.0\\Library]\r\n"
      "\"Search Path\"=\"$(BDSLIB)\\\\$(Platform)\\\\release\"\r\n"
      "\"Count\"=dword:0000002a\r\n";
  std::string utf16 = "\xFF\xFE";
  for (const char c : text) {
    utf16 += c;
    utf16 += '\0';
  }
  WriteHost(root + "/lib.reg", utf16);
  const CommandResult import = RunCommand(simwin + " import " + m + " " + root + "/lib.reg");
  ASSERT_EQ(import.exitCode, 0) << import.output;

  const CommandResult show = RunCommand(simwin + " show " + m + " 'HKCU\\Software\\Embarcadero\\BDS\\23.0\\library'");
  ASSERT_EQ(show.exitCode, 0) << show.output;
  EXPECT_EQ(show.output,
            "[HKEY_CURRENT_USER\\Software\\Embarcadero\\BDS\\23.0\\Library]\n"
            "\"Search Path\"=\"$(BDSLIB)\\\\$(Platform)\\\\release\"\n"
            "\"Count\"=dword:0000002a\n");
  const CommandResult parent = RunCommand(simwin + " show " + m + " 'HKEY_CURRENT_USER\\Software\\Embarcadero\\BDS'");
  EXPECT_NE(parent.output.find("; sub-key: 23.0"), std::string::npos) << parent.output;
  EXPECT_NE(RunCommand(simwin + " show " + m + " 'HKCU\\Software\\Nothing'").exitCode, 0);

  ASSERT_EQ(RunCommand(simwin + " export " + m + " " + root + "/out.reg").exitCode, 0);
  EXPECT_NE(ReadHost(root + "/out.reg").find("\"Count\"=dword:0000002a"), std::string::npos);

  // A bad import names its line and changes nothing.
  const std::string before = ReadHost(m + "/registry.reg");
  WriteHost(root + "/bad.reg",
            "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\A]\r\n\"x\"=dword:zz\r\n");
  const CommandResult bad = RunCommand(simwin + " import " + m + " " + root + "/bad.reg");
  EXPECT_NE(bad.exitCode, 0);
  EXPECT_NE(bad.output.find("line 4"), std::string::npos) << bad.output;
  EXPECT_EQ(ReadHost(m + "/registry.reg"), before);

  EXPECT_EQ(RunCommand(simwin).exitCode, 2);
  EXPECT_EQ(RunCommand(simwin + " frobnicate " + m).exitCode, 2);
}
