// The engine's logger, the build-log line and setup.log.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "SetupLog.h"
#include "SysUtils.h"
#include "TestMachine.h"
#include "platform/FileSystem.h"
#include "platform/Locale.h"
#include "platform/System.h"
#include "uLogger.h"

namespace {

struct Event {
  TDateTime time;
  TLogSeverity severity;
  std::string message;
  size_t storedWhenTold;  // how many records the logger held when the event came
};

// A subscriber as the wizard's: it sees every message and counts errors.
struct Subscriber {
  explicit Subscriber(TLogToList& logger) {
    logger.SetOnLogMessage(
        [this, &logger](TLogBase* sender, TDateTime time, TLogSeverity severity, const std::string& message) {
          EXPECT_EQ(sender, &logger);
          events.push_back({time, severity, message, logger.Messages().size()});
          if (severity >= lsError) ++errors;
        });
  }
  std::vector<Event> events;
  int errors = 0;
};

}  // namespace

TEST(LoggerTest, EachMessageIsStoredBeforeTheSubscriberHearsOfIt) {
  TLogToList logger;
  Subscriber subscriber(logger);
  using Shortcut = void (TLogBase::*)(const std::string&);
  const struct {
    Shortcut call;
    TLogSeverity severity;
    const char* name;
  } shortcuts[] = {{&TLogBase::Debug, lsDebug, "Debug"},       {&TLogBase::Info, lsInfo, "Info"},
                   {&TLogBase::Warning, lsWarning, "Warning"}, {&TLogBase::Error, lsError, "Error"},
                   {&TLogBase::Fatal, lsFatal, "Fatal"},       {&TLogBase::Unknown, lsUnknown, "Unknown"}};
  for (const auto& s : shortcuts) (logger.*s.call)(std::string("message at ") + s.name);

  ASSERT_EQ(logger.Messages().size(), 6u);
  ASSERT_EQ(subscriber.events.size(), 6u);
  for (size_t i = 0; i < 6; ++i) {
    const TLogMessage& stored = logger.Messages()[i];
    const Event& told = subscriber.events[i];
    EXPECT_EQ(stored.Severity, shortcuts[i].severity);
    EXPECT_STREQ(LogSeverityNames[stored.Severity], shortcuts[i].name);
    EXPECT_EQ(stored.Message, std::string("message at ") + shortcuts[i].name);
    EXPECT_EQ(told.storedWhenTold, i + 1);
    EXPECT_EQ(told.time, stored.Timestamp);  // one clock reading for both
    EXPECT_EQ(told.message, stored.Message);
  }
  // Error, Fatal and Unknown count as errors; Warning does not.
  EXPECT_EQ(subscriber.errors, 3);
}

TEST(LoggerTest, MessageStringsSharesOneTimestamp) {
  TLogToList logger;
  Subscriber subscriber(logger);
  logger.MessageStrings(lsDebug, {"C:\\one", "C:\\two", "C:\\three"});
  logger.MessageStrings(lsDebug, {});
  ASSERT_EQ(subscriber.events.size(), 3u);
  ASSERT_EQ(logger.Messages().size(), 3u);
  const char* expected[] = {"C:\\one", "C:\\two", "C:\\three"};
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(logger.Messages()[i].Message, expected[i]);
    EXPECT_EQ(subscriber.events[i].storedWhenTold, i + 1);
  }
  EXPECT_EQ(logger.Messages()[1].Timestamp, logger.Messages()[0].Timestamp);
  EXPECT_EQ(logger.Messages()[2].Timestamp, logger.Messages()[0].Timestamp);
}

TEST(LoggerTest, WithoutSubscriberMessagesAreOnlyStored) {
  TLogToList logger;
  logger.Info("kept");
  ASSERT_EQ(logger.Messages().size(), 1u);
  EXPECT_EQ(logger.Messages()[0].Message, "kept");
}

class SetupLogTest : public ::testing::Test {
 protected:
  TestMachine machine;
  std::string dir = machine.Dir();
};

TEST_F(SetupLogTest, LineFormat) {
  // 250 ms past a whole second: the milliseconds are written with three digits.
  const TDateTime time = std::chrono::system_clock::from_time_t(1715954587) + std::chrono::milliseconds(250);
  const std::string line = FormatLogLine(time, lsInfo, "Installation completed");
  std::smatch m;
  ASSERT_TRUE(std::regex_match(
      line, m, std::regex(R"(\[\d{4}-\d\d-\d\d \d\d(.+)\d\d(.+)\d\d\.250, Info\]Installation completed)")))
      << line;
  EXPECT_EQ(m[1].str(), platform::TimeSeparator());
  EXPECT_EQ(m[2].str(), platform::TimeSeparator());
  const std::string empty = FormatLogLine(time, lsUnknown, "");
  EXPECT_EQ(empty.substr(empty.size() - 10), ", Unknown]");
}

TEST_F(SetupLogTest, WritesEveryLineWithCrLfIntoANewFolder) {
  const std::string installDir = dir + "\\Orlentix\\Vexorin";
  const std::vector<std::string> lines = {"[first]one", "[second]two\r\ncontinued", ""};
  const std::string path = WriteSetupLog(installDir, lines);
  EXPECT_EQ(path, installDir + "\\setup.log");
  EXPECT_EQ(platform::ReadFileBytes(path), "[first]one\r\n[second]two\r\ncontinued\r\n\r\n");

  // A later run replaces the file whole; a trailing backslash changes nothing.
  EXPECT_EQ(WriteSetupLog(installDir + "\\", {"[later]x"}), path);
  EXPECT_EQ(platform::ReadFileBytes(path), "[later]x\r\n");
}

TEST_F(SetupLogTest, AFolderThatCannotBeMadeIsReportedWithPathAndReason) {
  WriteFile(dir + "\\blocker", "a file where a folder should go");
  const std::string installDir = dir + "\\blocker\\Vexorin";
  const std::vector<std::string> lines = {"[x]kept"};
  try {
    WriteSetupLog(installDir, lines);
    FAIL() << "no exception";
  } catch (const EOSError& e) {
    EXPECT_EQ(e.Message().rfind("Cannot create the folder \"" + installDir + "\" for the setup log: ", 0), 0u)
        << e.Message();
    EXPECT_NE(e.ErrorCode(), 0u);
    std::string reason = platform::SystemErrorText(e.ErrorCode());
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' '))
      reason.pop_back();
    EXPECT_NE(e.Message().find(reason), std::string::npos) << e.Message();
  }
  EXPECT_EQ(lines, std::vector<std::string>{"[x]kept"});
  EXPECT_EQ(platform::ReadFileBytes(dir + "\\blocker"), "a file where a folder should go");
}
