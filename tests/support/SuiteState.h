// simwin only: what a machine records about the suite, read from its files,
// and the ways that record disagrees with itself. Whole-run tests check a
// machine with it after every run, faulted, killed or not.
#pragma once

#include <string>
#include <vector>

namespace suitestate {

// An IDE of the machines of these tests, with where it keeps its known packages.
struct Ide {
  std::string displayName;    // the name of its record under the product key
  std::string userKey;        // below HKEY_CURRENT_USER
  std::string designPackage;  // the suite's core design-time package there
};
extern const std::vector<Ide> kIdes;  // Delphi 7, RAD Studio 2007

struct IdeState {
  Ide ide;
  bool recorded = false;           // its record says "Installed"
  std::vector<std::string> lacks;  // values a record must hold that it lacks
  bool registered = false;         // the core design-time package is a known package
  int suitePackages = 0;           // known packages of the suite (vxVexorin*, vxMarlin*, vxQuillon*)
};

struct SuiteState {
  std::string hiveError;  // registry.reg does not parse: the reader's message
  bool productKey = false;
  bool uninstallEntry = false;
  std::vector<IdeState> ides;
  std::vector<std::string> suiteFilesInSystem;  // vx*.bpl in the system folder
};

SuiteState ReadSuiteState(const std::string& machineRoot);

// One line per disagreement: a hive that does not parse, an IDE recorded as
// having the suite whose packages are not registered, an IDE whose packages
// are registered but which is not recorded (no uninstallation would find
// them), a record that lacks a value (the next start cannot read it).
std::vector<std::string> Disagreements(const SuiteState& state);

// One line per trace of the suite an uninstallation must have removed. The
// run-time packages in the system folder are not among them: an IDE whose
// installation failed after its build keeps its copy there, unrecorded, and
// a copy that cannot be moved to the Recycle Bin stays without a word.
std::vector<std::string> Leftovers(const SuiteState& state);

}  // namespace suitestate
