// setup.log on the simulated machine: its locale settings, its code page and
// a file that cannot be written.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <ctime>

#include "SetupLog.h"
#include "TestMachine.h"
#include "platform/FileSystem.h"
#include "platform/simwin/Machine.h"

class SetupLogSimwinTest : public ::testing::Test {
 protected:
  TestMachine machine;
  std::string dir = machine.Dir();
};

TEST_F(SetupLogSimwinTest, LineUsesLocalTimeAndTheMachinesTimeSeparator) {
  const char* oldTz = std::getenv("TZ");
  const std::string savedTz = oldTz == nullptr ? "" : oldTz;
  ::setenv("TZ", "UTC", 1);
  ::tzset();
  // 17 May 2024, 14:03:07.250 UTC.
  const TDateTime time = std::chrono::system_clock::from_time_t(1715954587) + std::chrono::milliseconds(250);
  EXPECT_EQ(FormatLogLine(time, lsInfo, "Installation completed"),
            "[2024-05-17 14:03:07.250, Info]Installation completed");
  auto settings = simwin::Machine::Current().Settings();
  settings.timeSeparator = ".";
  simwin::Machine::Current().UpdateSettings(settings);
  EXPECT_EQ(FormatLogLine(time, lsError, "x"), "[2024-05-17 14.03.07.250, Error]x");
  if (oldTz == nullptr) {
    ::unsetenv("TZ");
  } else {
    ::setenv("TZ", savedTz.c_str(), 1);
  }
  ::tzset();
}

TEST_F(SetupLogSimwinTest, WrittenInTheAnsiCodePage) {
  const std::string path = WriteSetupLog(dir, {"Gr\u00F6\u00DFe \u20AC", "\u65E5\u672C"});
  // Code page 1252 has o umlaut, sharp s and the euro sign, but no Japanese:
  // those are written as their code points, readable, not as question marks.
  EXPECT_EQ(platform::ReadFileBytes(path),
            "Gr\xF6\xDF"
            "e \x80\r\n<U+65E5><U+672C>\r\n");
}

TEST_F(SetupLogSimwinTest, AFileThatCannotBeWrittenKeepsTheOldOneAndSaysWhy) {
  const std::string path = WriteSetupLog(dir, {"old run"});
  simwin::Machine::Current().AddFault(simwin::FaultKind::FileCreate, path);
  try {
    WriteSetupLog(dir, {"new run"});
    FAIL() << "no exception";
  } catch (const EOSError& e) {
    EXPECT_EQ(e.Message(), "Cannot write the setup log \"" + path + "\": Access is denied.");
    EXPECT_EQ(e.ErrorCode(), 5u);
  }
  EXPECT_EQ(platform::ReadFileBytes(path), "old run\r\n");
}
