// The simwin command's run and tools: stand-ins put into a machine and a
// program run inside it with its output captured.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include "HostCommands.h"

#include <cstdio>
#include <filesystem>
#include <string>

TEST(RunCommandTest, ToolsAndRun) {
  char pattern[] = "/tmp/vexorin-run-XXXXXX";
  const std::string root = ::mkdtemp(pattern);
  const std::string m = root + "/m";
  const std::string simwin = SIMWIN_COMMAND;
  ASSERT_EQ(RunCommand(simwin + " create " + m).exitCode, 0);
  const std::string bin = "'C:\\Program Files (x86)\\Borland\\Delphi7\\Bin'";
  ASSERT_EQ(RunCommand(simwin + " tools " + m + " " + bin + " dcc32 tlib").exitCode, 0);
  EXPECT_TRUE(std::filesystem::is_regular_file(m + "/drive_c/Program Files (x86)/Borland/Delphi7/Bin/dcc32.exe"));
  EXPECT_NE(RunCommand(simwin + " tools " + m + " " + bin + " cl").exitCode, 0);

  // Several arguments are quoted into one command line; the tool's exit code passes through.
  CommandResult run = RunCommand(simwin + " run " + m + " --cwd 'C:\\Users' -- " +
                                 "'C:\\Program Files (x86)\\Borland\\Delphi7\\Bin\\dcc32.exe' 'my package.dpk'");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.output.find("Fatal: F1026 File not found: 'my package.dpk'\n"), std::string::npos) << run.output;

  run = RunCommand(simwin + " run " + m + " -- 'C:\\nowhere.exe'");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.output.find("CreateProcess fails: error code 2 Message: The system cannot find the file specified."),
            std::string::npos)
      << run.output;
  EXPECT_EQ(RunCommand(simwin + " run " + m + " 'C:\\nowhere.exe'").exitCode, 2);
  std::filesystem::remove_all(root);
}
