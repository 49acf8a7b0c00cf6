// Child processes of console programs: started hidden and suspended, standard
// output and standard error merged into one pipe, standard input an empty
// pipe. These are the pieces captured execution is built from: start, resume,
// wait, peek and read the output, Ctrl-C, termination and the exit code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The Windows PROCESS_INFORMATION record of a new child. On simwin the handles
// are the host's process id (and a descriptor for the process).
struct ProcessInformation {
  uintptr_t hProcess = 0;
  uintptr_t hThread = 0;
  uint32_t dwProcessId = 0;
  uint32_t dwThreadId = 0;
};

enum class WaitResult { Ended, TimedOut, Output, Failed };

constexpr uint32_t kWaitInfinite = 0xFFFFFFFF;
constexpr uint32_t kStillActive = 259;

class ChildProcess {
 public:
  ChildProcess();
  // Closes what is still open. A child still running is left running.
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Every call below that fails leaves the Windows error code in
  // LastErrorCode() and the name of the Windows function that failed here.
  const std::string& FailedCall() const;

  // Creates the output pipe, then the input pipe, and keeps this process's
  // ends out of the child. False when any of it fails; nothing is left open then.
  bool CreatePipes();
  // Creates the child from a Windows command line, from which the system takes
  // the program, with the given working folder (empty: this process's). The
  // child inherits this process's environment and does not run before
  // Resume(). Its standard input sees end-of-input at once. False when it
  // cannot be created, with the Windows error code in LastErrorCode().
  bool Create(const std::string& commandLine, const std::string& currentDir);
  ProcessInformation& Information();
  // Lets the child run and closes the thread handle. False when it cannot.
  bool Resume();

  // Waits for the child to end, at most `milliseconds`; Failed when the wait
  // itself fails.
  WaitResult Wait(uint32_t milliseconds);
  // The same, but also ends, with Output, as soon as output is waiting.
  WaitResult WaitForExitOrOutput(uint32_t milliseconds);
  // The number of bytes waiting in the output pipe; 0 also when it cannot be told.
  size_t BytesWaiting();
  // Reads up to `size` bytes, waiting for some if none are there. 0 at the end
  // of the output or when the read fails.
  size_t Read(char* buffer, size_t size);

  // Sends a Ctrl-C event to the process group whose id is the child's id.
  bool SendCtrlC();
  // Ends the child with the exit code and waits until it has ended. True also
  // for a child that had ended already.
  bool Terminate(uint32_t exitCode);
  // The exit code, kStillActive while it runs; nullopt when it cannot be read.
  std::optional<uint32_t> ExitCode();

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

// Whether a child created suspended has not been resumed yet, so that its
// program has not started: on win32 by its main thread's suspend count, on
// simwin by the image the forked child still runs (this program's).
bool IsSuspended(const ProcessInformation& information);

// A complete line of console output as a console program writes it, in the
// OEM code page, converted to the ANSI code page (the raw bytes when that
// fails) and then to UTF-8.
std::string OemLineToUtf8(std::string_view bytes);

}  // namespace platform
