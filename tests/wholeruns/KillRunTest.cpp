// Whole runs killed (SIGKILL) at seeded random points: before the Nth
// registry write or file operation of the program (VEXORIN_KILL_SAMPLE points
// per run type, default 10; scripts/fault-runs.sh runs more). Afterwards the
// hive parses, no file outside the suite's own folders has changed but the
// IDE configuration the engine writes (whole), and the next run removes
// what was left.
#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <random>

#include "HostCommands.h"
#include "Parallel.h"
#include "SuiteState.h"
#include "WholeRuns.h"

namespace {

using namespace wholeruns;
namespace fs = std::filesystem;

constexpr uint32_t kSeed = 15;

// Files of the machine a run may change: the suite's own folders and files,
// the simulated machine's records, and the registry (checked on its own).
const char* const kSuiteFolders[] = {
    "drive_c/Program Files (x86)/Orlentix/",
    "drive_c/Users/Public/Documents/Orlentix/",
    "drive_c/Users/Developer/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Orlentix/",
    "drive_c/$Recycle.Bin/",
};
// The lock file of the running setup program is the machine's too: the lock
// goes with the process, the file stays.
const char* const kMachineRecords[] = {"registry.reg", "tools.log", "shell.log", "Orlenta.Vexorin.Setup.lock"};
// The IDE configuration file the engine writes, replaced whole.
const char* const kIdeConfiguration = "drive_c/Users/Developer/AppData/Roaming/Borland/BDS/5.0/EnvOptions.proj";
// The folders where the suite's files ("vx...") sit among others': the
// run-time packages in the system folder, the headers in the IDE's.
const char* const kSharedFolders[] = {"drive_c/Windows/system32/",
                                      "drive_c/Program Files (x86)/CodeGear/RAD Studio/5.0/Include/Vcl/"};

bool MayChange(const std::string& relative) {
  for (const char* folder : kSuiteFolders) {
    if (relative.rfind(folder, 0) == 0) return true;
  }
  for (const char* record : kMachineRecords) {
    if (relative == record) return true;
  }
  if (relative == kIdeConfiguration) return true;
  const std::string name = fs::path(relative).filename().string();
  const std::string folder = relative.substr(0, relative.size() - name.size());
  for (const char* shared : kSharedFolders) {
    if (folder == shared && name.size() > 2 && std::tolower(name[0]) == 'v' && std::tolower(name[1]) == 'x')
      return true;
  }
  return false;
}

// Every file of the machine that a run must leave as it is, with its content.
std::map<std::string, std::string> Snapshot(const std::string& root) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (!entry.is_regular_file()) continue;
    const std::string relative = fs::relative(entry.path(), root).string();
    if (!MayChange(relative)) files[relative] = ReadHost(entry.path().string());
  }
  return files;
}

std::vector<std::string> Changes(const std::map<std::string, std::string>& before,
                                 const std::map<std::string, std::string>& after) {
  std::vector<std::string> lines;
  for (const auto& [name, content] : before) {
    const auto it = after.find(name);
    if (it == after.end()) {
      lines.push_back(name + " is gone");
    } else if (it->second != content) {
      lines.push_back(name + " has changed");
    }
  }
  for (const auto& [name, content] : after) {
    if (before.count(name) == 0) lines.push_back(name + " is new");
  }
  return lines;
}

class KillRunTest : public ::testing::TestWithParam<RunType> {};

TEST_P(KillRunTest, AKilledRunLeavesWholeFilesAndIsRepaired) {
  const RunType type = GetParam();
  const auto started = std::chrono::steady_clock::now();
  size_t operations = 0;
  {
    RunMachine counting(type, "count");
    operations = counting.CountOperations().size();
  }
  const size_t kills = std::min(CountFromEnvironment("VEXORIN_KILL_SAMPLE", 10), operations);
  std::mt19937 random(kSeed + static_cast<uint32_t>(type));
  std::uniform_int_distribution<size_t> point(1, operations);
  std::vector<size_t> points;
  for (size_t i = 0; i < kills; ++i) points.push_back(point(random));
  const auto problems = RunCases(points.size(), CountFromEnvironment("VEXORIN_WHOLERUN_JOBS", 2), [&](size_t i) {
    const std::string what = std::string(RunTypeName(type)) + " killed before operation " + std::to_string(points[i]) +
                             " of " + std::to_string(operations) + ": ";
    std::vector<std::string> found;
    RunMachine machine(type, "kill");
    const auto before = Snapshot(machine.Root());
    const ProgramResult run = machine.Run("SIMWIN_KILL_AT_OPERATION=" + std::to_string(points[i]));
    if (run.signal != SIGKILL) {
      found.push_back(what + "the program was not killed (exit code " + std::to_string(run.exitCode) + ")");
    }
    const auto state = suitestate::ReadSuiteState(machine.Root());
    if (!state.hiveError.empty()) found.push_back(what + "registry.reg does not parse: " + state.hiveError);
    for (const std::string& line : Changes(before, Snapshot(machine.Root()))) found.push_back(what + line);
    const std::string configuration = ReadHost(machine.Root() + "/" + kIdeConfiguration);
    if (configuration.find("</Project>") == std::string::npos) {
      found.push_back(what + "EnvOptions.proj is not whole");
    }
    for (const std::string& line : machine.RepairAndRemove()) found.push_back(what + line);
    return found;
  });
  const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - started);
  std::printf("%s: %zu operations, killed at %zu points; %zu problems; %lld s\n", RunTypeName(type), operations,
              points.size(), problems.size(), static_cast<long long>(seconds.count()));
  for (size_t i = 0; i < problems.size() && i < 40; ++i) ADD_FAILURE() << problems[i];
}

INSTANTIATE_TEST_SUITE_P(WholeRuns, KillRunTest,
                         ::testing::Values(RunType::NewInstallation, RunType::Update, RunType::Uninstallation),
                         [](const auto& info) { return std::string(RunTypeTestName(info.param)); });

}  // namespace

namespace {

// A kill while an IDE's record is first written (it is written value by
// value) leaves a record the next start cannot read; the uninstallation
// still takes the suite out of that IDE.
TEST(KillRunTest, ARecordCutShortIsTakenOutByTheUninstallation) {
  std::vector<Operation> operations;
  {
    RunMachine counting(RunType::NewInstallation, "count");
    operations = counting.CountOperations();
  }
  const auto first = std::find_if(operations.begin(), operations.end(), [](const Operation& op) {
    return op.name == "set-value" &&
           op.target ==
               "HKEY_LOCAL_MACHINE\\Software\\Orlenta Software\\Vexorin\\Delphi 7.0 (Enterprise) \"IDE "
               "Registration\"";
  });
  ASSERT_NE(first, operations.end());
  RunMachine machine(RunType::NewInstallation, "kill");
  const ProgramResult run = machine.Run("SIMWIN_KILL_AT_OPERATION=" + std::to_string(first->number));
  EXPECT_EQ(run.signal, SIGKILL);
  EXPECT_EQ(suitestate::Disagreements(suitestate::ReadSuiteState(machine.Root())),
            (std::vector<std::string>{"Delphi 7.0 (Enterprise)'s record lacks \"IDE Registration\"",
                                      "Delphi 7.0 (Enterprise)'s record lacks \"Add Source Location\""}));
  EXPECT_EQ(machine.RepairAndRemove(), std::vector<std::string>{});
}

}  // namespace
