// Child processes on the simulated machine: what only simwin can show (its
// code pages, its timing, signals) and how it passes its state to a child.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "CapExec.h"
#include "SysUtils.h"
#include "TestMachine.h"
#include "TestTools.h"
#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "platform/System.h"
#include "platform/simwin/CommandLine.h"
#include "platform/simwin/Machine.h"

namespace {

struct Captured {
  int32_t exitCode = 0;
  std::vector<std::string> lines;
  int passes = 0;
};

}  // namespace

class ProcessTest : public ::testing::Test {
 protected:
  void SetUp() override { InstallProgram(TESTCHILD_PATH, child); }

  Captured Capture(const std::string& parameters, bool ctrlC = false, int abortAfter = 0) {
    Captured run;
    run.exitCode = CaptureExecute(
        "\"" + child + "\"", parameters, dir,
        [&](const std::string& text, bool& abort) {
          run.lines.push_back(text);
          if (abortAfter > 0 && static_cast<int>(run.lines.size()) >= abortAfter) abort = true;
        },
        [&](void*) { ++run.passes; }, ctrlC);
    return run;
  }

  TestMachine machine;
  std::string dir = machine.Dir();
  std::string child = dir + "\\testchild.exe";
};

TEST_F(ProcessTest, LinesGoFromOemToAnsiButTheLastFragmentIsTakenAsAnsi) {
  // OEM 850 0xFC is the superscript three; ANSI 1252 0xFC is u with umlaut.
  const Captured run = Capture("out:\\xFC\\n\\xFC");
  EXPECT_EQ(run.lines, (std::vector<std::string>{"\u00B3", "\u00FC"}));

  auto settings = simwin::Machine::Current().Settings();
  settings.oemCodePage = 437;  // 0xFC is the superscript n there, which 1252 lacks
  simwin::Machine::Current().UpdateSettings(settings);
  EXPECT_EQ(Capture("out:\\xFC\\n").lines, std::vector<std::string>{"?"});
}

TEST_F(ProcessTest, ChildThatEndsAtOnceGetsNoPollingPass) {
  const Captured run = Capture("out:a\\nb");
  EXPECT_EQ(run.lines, (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(run.passes, 0);
}

TEST_F(ProcessTest, CtrlCOnAbort) {
  // The Ctrl-C reaches the child, which ends on its own with its exit code...
  Captured run = Capture("ctrl-c-exit:3 forever", true, 2);
  EXPECT_EQ(run.exitCode, 3);
  // ...one that ignores it is terminated after the 500 ms grace time.
  const auto begin = std::chrono::steady_clock::now();
  run = Capture("ignore-ctrl-c forever", true, 2);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_GE(std::chrono::steady_clock::now() - begin, std::chrono::milliseconds(500));
}

TEST_F(ProcessTest, OnlyHostExecutablesRun) {
  WriteFile(dir + "\\windows.exe", "MZ\x90 not a host program");
  try {
    CaptureExecute("\"" + dir + "\\windows.exe\"", "", dir, [](const std::string&, bool&) {});
    FAIL() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "CreateProcess fails: error code 193 Message: %1 is not a valid Win32 application.\r\n");
  }
}

TEST_F(ProcessTest, ChildSeesTheMachineStateOfItsParent) {
  // The parent's in-process environment, not machine.ini's, reaches the child,
  // values with line breaks and percent signs included.
  platform::SetEnv("ODD", "50% a\nb");
  platform::UnsetEnv("TEMP");
  const Captured run = Capture("env:ODD env:TEMP cwd");
  EXPECT_EQ(run.lines, (std::vector<std::string>{"ODD=50% a", "b", "TEMP=(unset)", dir}));
}

// Every system call of captured execution that fails is reported with its
// name and the system's text, and the child does not run on behind it (it
// would write its marker 400 ms later). A failed termination is reported too.
TEST_F(ProcessTest, EveryFailingCallIsReportedByNameWithTheChildEnded) {
  using simwin::FaultKind;
  const std::string marker = dir + "\\late.txt";
  struct Case {
    FaultKind fault;
    std::string parameters;
    const char* message;
    bool markerWritten;
  };
  const Case cases[] = {
      {FaultKind::ProcessPipe, "touch:" + marker,
       "CreatePipe fails: error code 1450 Message: Insufficient system resources exist to complete the requested "
       "service.\r\n",
       false},
      {FaultKind::ProcessResume, "touch:" + marker, "ResumeThread fails: error code 5 Message: Access is denied.\r\n",
       false},
      {FaultKind::ProcessWait, "sleep:400 touch:" + marker,
       "WaitForSingleObject fails: error code 6 Message: The handle is invalid.\r\n", false},
      {FaultKind::ProcessTerminate, "out:first\\n sleep:400 touch:" + marker,
       "TerminateProcess fails: error code 5 Message: Access is denied.\r\n", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    auto& machine = simwin::Machine::Current();
    auto settings = machine.Settings();
    settings.faults.clear();
    machine.UpdateSettings(settings);
    machine.AddFault(c.fault, c.fault == FaultKind::ProcessPipe ? machine.CurrentDir() : child);
    platform::RemoveFile(marker);
    try {
      Capture(c.parameters, false, 1);
      ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), c.message);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(800));
    EXPECT_EQ(platform::FileExists(marker), c.markerWritten);
  }
}

TEST(WindowsCommandLineTest, ArgumentRules) {
  struct Case {
    const char* line;
    std::vector<std::string> args;
  };
  const Case cases[] = {
      {"", {}},
      {"  a\tb  ", {"a", "b"}},
      {"\"a b\" c", {"a b", "c"}},
      {"-t\"C:\\x y\\t.bmk\" \"C:\\p\\f.bpk\"", {"-tC:\\x y\\t.bmk", "C:\\p\\f.bpk"}},
      {"-x!\"Packages\\Delphi7\"", {"-x!Packages\\Delphi7"}},
      {"a\\\\\"b c\"", {"a\\b c"}},
      {"a\\\"b", {"a\"b"}},
      {"a\\\\b", {"a\\\\b"}},
      {"\"\"", {""}},
      {"\"a\"\"b\"", {"a\"b"}},
  };
  for (const auto& c : cases) EXPECT_EQ(simwin::ParseWindowsArguments(c.line), c.args) << c.line;
  for (const std::string arg : {"", "plain", "a b", "q\"uote", "tail\\", "sp ace\\", "x\\\"y"}) {
    EXPECT_EQ(simwin::ParseWindowsArguments(simwin::QuoteWindowsArgument(arg)), std::vector<std::string>{arg}) << arg;
  }
}

TEST(EnvironmentPassingTest, SerializedEnvironmentRoundTrips) {
  const std::vector<std::pair<std::string, std::string>> env = {
      {"PATH", "C:\\a;C:\\b"}, {"ODD", "100%25 \r\n%0A"}, {"EMPTY", ""}, {"=C:", "C:\\"}};
  EXPECT_EQ(simwin::ParseEnvironment(simwin::SerializeEnvironment(env)), env);
}
