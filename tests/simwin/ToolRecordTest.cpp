// Each run of a stand-in tool leaves its record in the machine's tools.log.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "CapExec.h"
#include "TestMachine.h"
#include "TestTools.h"
#include "platform/FileSystem.h"
#include "platform/simwin/Machine.h"

TEST(ToolRecordTest, CompilerRunIsRecordedWithItsConfiguration) {
  TestMachine machine;
  const std::string dir = machine.Dir();
  InstallProgram(DCC32_PATH, dir + "\\dcc32.exe");
  WriteFile(dir + "\\dcc32.cfg", "-Q -B\r\n-LE\"C:\\Out Dir\"\r\n");
  WriteFile(dir + "\\vxEmpty.dpk", "package vxEmpty;\r\nend.\r\n");
  ASSERT_TRUE(platform::MakeDirectory("C:\\Out Dir"));
  const int32_t code =
      CaptureExecute("\"" + dir + "\\dcc32.exe\"", "\"vxEmpty.dpk\"", dir, [](const std::string&, bool&) {});
  EXPECT_EQ(code, 0);
  EXPECT_TRUE(platform::FileExists("C:\\Out Dir\\vxEmpty.bpl"));

  std::ifstream in(simwin::Machine::Current().Root() + "/tools.log", std::ios::binary);
  std::ostringstream log;
  log << in.rdbuf();
  EXPECT_EQ(log.str(),
            "tool: dcc32\n"
            "command-line: \"" +
                dir +
                "\\dcc32.exe\" \"vxEmpty.dpk\"\n"
                "working-folder: " +
                dir +
                "\n"
                "config-file: " +
                dir +
                "\\dcc32.cfg\n"
                "config: -Q -B\n"
                "config: -LE\"C:\\Out Dir\"\n"
                "exit-code: 0\n\n");
}
