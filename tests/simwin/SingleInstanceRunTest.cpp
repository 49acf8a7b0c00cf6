// One setup program at a time: a second one, started while the first runs,
// says so and ends with exit code 2, leaving the machine as it was; once the
// first is gone (killed, too) the next one runs.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/types.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <thread>

#include "ExitCodes.h"
#include "ProgramRun.h"

namespace {

using namespace programrun;
using SingleInstanceRunTest = ProgramRunTest;
namespace fs = std::filesystem;

// Every file of the machine folder with its bytes.
std::map<std::string, std::string> Files(const std::string& dir) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(dir)) {
    if (entry.is_regular_file()) files[entry.path().string()] = ReadHost(entry.path().string());
  }
  return files;
}

// Waits up to a minute for the test.
bool WaitFor(const std::function<bool()>& done) {
  for (int i = 0; i < 600; ++i) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return false;
}

// Whether the process has ended (gone, or a zombie nobody reaps).
bool Ended(pid_t pid) {
  const std::string stat = ReadHost("/proc/" + std::to_string(pid) + "/stat");
  const size_t state = stat.rfind(") ");
  return stat.empty() || (state != std::string::npos && stat.substr(state + 2, 1) == "Z");
}

const char* const kAlreadyRunning =
    "Vexorin Setup is already running. Finish or close it before you start Setup again.";

}  // namespace

TEST_F(SingleInstanceRunTest, ASecondRunEndsWithoutTouchingTheMachine) {
  MakeMachine("delphi7");
  // Delphi 7's compiler holds the first run that calls it until the test lets
  // it go (or its folder is removed); a later call fails at once.
  const std::string dcc32 = machine + "/drive_c/Program Files (x86)/Borland/Delphi7/Bin/dcc32.exe";
  WriteHost(dcc32, "#!/bin/sh\nmkdir '" + root + "/compiling' 2>/dev/null || exit 1\nwhile [ -d '" + root +
                       "' ] && [ ! -e '" + root + "/release' ]; do sleep 0.1; done\nexit 1\n");
  fs::permissions(dcc32, fs::perms::owner_all);
  struct Release {
    std::string file;
    ~Release() { WriteHost(file, ""); }
  } release{root + "/release"};

  ASSERT_EQ(std::system(("SIMWIN_ROOT='" + machine + "' '" + machine + kPackage + "/setup.exe' --autoinstall " +
                         "--autoclose >'" + root + "/first.out' 2>&1 </dev/null & echo $! >'" + root + "/first.pid'")
                            .c_str()),
            0);
  ASSERT_TRUE(WaitFor([&] { return fs::exists(root + "/compiling"); })) << ReadHost(root + "/first.out");
  const pid_t first = std::stoi(ReadHost(root + "/first.pid"));
  const auto before = Files(machine);

  // With a person at the screen: the message box, then the end.
  auto run = Run("answer \"OK\"\n");
  EXPECT_EQ(run.exitCode, kExitCannotStart) << run.output;
  EXPECT_EQ(run.output,
            "=== message box \"Vexorin Installer\"\n  " + std::string(kAlreadyRunning) + "\n  buttons: [OK]\n");
  // Unattended: the box answers itself, the exit code tells it.
  run = RunWith("--autoinstall --autoclose");
  EXPECT_EQ(run.exitCode, kExitCannotStart) << run.output;
  EXPECT_EQ(run.output, "message box \"Vexorin Installer\": " + std::string(kAlreadyRunning) +
                            "\nanswered \"OK\" (unattended run)\n");
  EXPECT_TRUE(Files(machine) == before) << "the second runs changed the machine";

  // A killed run does not block the next one, which finds the product the
  // first one recorded before it compiled.
  ASSERT_EQ(::kill(first, SIGKILL), 0);
  ASSERT_TRUE(WaitFor([&] { return Ended(first); }));
  run = RunWith("--autoupdate --autoclose");
  EXPECT_EQ(run.exitCode, kExitNothingToDo) << run.output;
  EXPECT_FALSE(Has(run.output, kAlreadyRunning)) << run.output;
}
