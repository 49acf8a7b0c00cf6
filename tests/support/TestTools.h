// Programs built with the tests (stand-in tools, test helpers), placed into
// the test's machine so that they run from a Windows path there.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Registry.h"

// Places the program built at `builtPath` (a path of the build) at `windowsPath`.
// Fails the test when it cannot.
void InstallProgram(const std::string& builtPath, const std::string& windowsPath);

// The Windows path of a file of the build, for the win32 backend under Wine
// (a Unix path is seen through drive Z:).
std::string BuildPathAsWindowsPath(const std::string& builtPath);

// While it lives, the running program counts as started from the package
// folder `dir` (the program looks for the archiver and data.arc in its own
// folder): on simwin its path becomes dir\setup.exe; on win32, where the test
// program cannot move, the named files of `dir` are copied beside it and
// removed again at the end.
class ProgramInPackage {
 public:
  ProgramInPackage(const std::string& dir, const std::vector<std::string>& files);
  ~ProgramInPackage();
  ProgramInPackage(const ProgramInPackage&) = delete;
  ProgramInPackage& operator=(const ProgramInPackage&) = delete;

 private:
  std::vector<std::string> copies_;
  std::string savedExe_;
};

// A folder path below `dir` that the system refuses to create with "access
// denied" (5): on simwin an injected fault; on win32 under Wine a folder in
// the host's /sys, where even root may not make one.
std::string FolderThatCannotBeCreated(const std::string& dir);

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

// Writes a registry value of any type with its raw bytes (REG_BINARY,
// REG_MULTI_SZ, REG_QWORD, REG_NONE ...), which the program itself never
// writes; creates the key. Fails the test when it cannot.
void SetRawRegistryValue(platform::RegRoot root, const std::string& key, const std::string& name, uint32_t type,
                         const std::string& bytes);
