// simwin only: whole runs of the real program (a new installation, an update,
// an uninstallation) on a small machine (Delphi 7 and RAD Studio 2007 with the
// stand-in tools), each on a fresh copy of a machine made once, with counted
// faults or a kill (platform/simwin/OperationFaults.h), and the run that
// follows to repair or remove what a faulted run left.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace wholeruns {

enum class RunType { NewInstallation, Update, Uninstallation };
const char* RunTypeName(RunType type);
// The run type as a test name ("NewInstallation"); the ctest entries select by it.
const char* RunTypeTestName(RunType type);

// A counted operation, from the operations log of a run.
struct Operation {
  uint64_t number = 0;   // among all operations of the run
  std::string cls;       // "registry" or "file"
  uint64_t inClass = 0;  // among the operations of its class
  std::string name;      // set-value, write, ...
  std::string target;
};

struct ProgramResult {
  int exitCode = -1;  // -1 when ended by a signal
  int signal = 0;
  std::string transcript;
};

// A machine ready for a run of the type, in a folder of its own.
class RunMachine {
 public:
  RunMachine(RunType type, const std::string& name);
  ~RunMachine();
  RunMachine(const RunMachine&) = delete;
  RunMachine& operator=(const RunMachine&) = delete;

  const std::string& Root() const { return root_; }
  // Runs the program with the extra environment ("NAME=value ...").
  ProgramResult Run(const std::string& environment = "");
  // The operations a run makes, counted in a run on this machine (which it changes).
  std::vector<Operation> CountOperations();
  // The run that follows a faulted or killed one: an uninstallation where the
  // suite is recorded, after an installation that records it where only
  // packages were left; then the machine is to be free of the suite. Returns
  // what is wrong, one line each.
  std::vector<std::string> RepairAndRemove();
  // The error lines of the transcript ("  ! ...") and its message boxes,
  // each after the log lines just before it, which tell what it was about
  // (the path a copy into the system folder failed on, say).
  static std::vector<std::string> ErrorLines(const std::string& transcript);

 private:
  ProgramResult RunWith(const std::string& environment, const std::string& invocation);
  RunType type_;
  std::string root_;
};

// Picks `count` operations, seeded: half file operations, half registry
// writes (the rest from the other class when one has fewer); all of them
// when there are no more.
std::vector<Operation> Sample(const std::vector<Operation>& operations, size_t count, uint32_t seed);

// A count from the environment, or the default.
size_t CountFromEnvironment(const char* name, size_t fallback);

}  // namespace wholeruns
