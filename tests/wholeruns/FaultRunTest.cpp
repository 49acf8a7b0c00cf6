// Whole runs in which one registry write or one file operation fails: a
// seeded sample of them per run type (VEXORIN_FAULT_SAMPLE, default 12;
// scripts/fault-runs.sh runs 300 and more). Each run ends without a crash,
// names what failed when it fails, leaves the suite's record in agreement
// with the IDEs and the hive whole, and the next run removes the suite.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>

#include "ExitCodes.h"
#include "Parallel.h"
#include "SuiteState.h"
#include "WholeRuns.h"

namespace {

using namespace wholeruns;

constexpr uint32_t kSeed = 15;

bool IsExitCode(int code) { return code >= kExitSuccess && code <= kExitStartupFailed; }

// The name a message about the operation would hold: the value, the file or
// the key it was made on.
std::string NameOf(const Operation& op) {
  std::string target = op.target;
  if (const size_t quote = target.find(" \""); quote != std::string::npos) {
    return target.substr(quote + 2, target.size() - quote - 3);
  }
  if (const size_t arrow = target.find(" -> "); arrow != std::string::npos) target = target.substr(0, arrow);
  return target.substr(target.find_last_of('\\') + 1);
}

bool Names(const std::vector<std::string>& lines, const std::string& name) {
  for (const std::string& line : lines) {
    if (line.find(name) != std::string::npos) return true;
  }
  return false;
}

class FaultRunTest : public ::testing::TestWithParam<RunType> {};

TEST_P(FaultRunTest, EachFaultIsReportedAndRepaired) {
  const RunType type = GetParam();
  const auto started = std::chrono::steady_clock::now();
  std::vector<Operation> operations;
  {
    RunMachine counting(type, "count");
    operations = counting.CountOperations();
  }
  const size_t sampleSize = CountFromEnvironment("VEXORIN_FAULT_SAMPLE", 12);
  const std::vector<Operation> sample = Sample(operations, sampleSize, kSeed);
  std::atomic<size_t> failedRuns{0}, silentRuns{0};
  const auto problems = RunCases(sample.size(), CountFromEnvironment("VEXORIN_WHOLERUN_JOBS", 2), [&](size_t i) {
    const Operation& op = sample[i];
    const std::string what = std::string(RunTypeName(type)) + ", " + op.cls + " " + std::to_string(op.inClass) + " (" +
                             op.name + " " + op.target + ") fails: ";
    std::vector<std::string> found;
    RunMachine machine(type, "fault");
    const ProgramResult run = machine.Run("SIMWIN_FAIL_OPERATION=" + op.cls + ":" + std::to_string(op.inClass));
    if (run.signal != 0 || !IsExitCode(run.exitCode)) {
      found.push_back(what + "the program ended with signal " + std::to_string(run.signal) + ", exit code " +
                      std::to_string(run.exitCode));
      return found;
    }
    const auto errors = RunMachine::ErrorLines(run.transcript);
    if (run.exitCode != kExitSuccess || !errors.empty()) {
      ++failedRuns;
      if (!Names(errors, NameOf(op))) {
        found.push_back(what + "no error line names " + NameOf(op) +
                        "; the first: " + (errors.empty() ? std::string("(none)") : errors.front()));
      }
    } else {
      ++silentRuns;
    }
    for (const std::string& line : suitestate::Disagreements(suitestate::ReadSuiteState(machine.Root()))) {
      found.push_back(what + line);
    }
    for (const std::string& line : machine.RepairAndRemove()) found.push_back(what + line);
    return found;
  });
  const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - started);
  std::printf(
      "%s: %zu operations (registry writes and file operations), %zu faults injected: %zu runs reported "
      "errors, %zu went through; %zu problems; %lld s\n",
      RunTypeName(type), operations.size(), sample.size(), failedRuns.load(), silentRuns.load(), problems.size(),
      static_cast<long long>(seconds.count()));
  for (size_t i = 0; i < problems.size() && i < 40; ++i) ADD_FAILURE() << problems[i];
}

INSTANTIATE_TEST_SUITE_P(WholeRuns, FaultRunTest,
                         ::testing::Values(RunType::NewInstallation, RunType::Update, RunType::Uninstallation),
                         [](const auto& info) { return std::string(RunTypeTestName(info.param)); });

}  // namespace
