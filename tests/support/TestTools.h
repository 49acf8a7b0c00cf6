// Programs built with the tests (stand-in tools, test helpers), placed into
// the test's machine so that they run from a Windows path there.
#pragma once

#include <memory>
#include <string>

// Places the program built at `builtPath` (a path of the build) at `windowsPath`.
// Fails the test when it cannot.
void InstallProgram(const std::string& builtPath, const std::string& windowsPath);

// The Windows path of a file of the build, for the win32 backend under Wine
// (a Unix path is seen through drive Z:).
std::string BuildPathAsWindowsPath(const std::string& builtPath);

// A process of the program at `windowsPath` that the process snapshot lists
// while this object lives: on win32 the test helper program runs from there
// (it replaces the file); on simwin machine.ini lists it.
class RunningProcess {
 public:
  explicit RunningProcess(const std::string& windowsPath);
  ~RunningProcess();
  RunningProcess(const RunningProcess&) = delete;
  RunningProcess& operator=(const RunningProcess&) = delete;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};
