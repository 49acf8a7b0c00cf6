// Child processes on the simulated machine. The program named by the Windows
// command line is found as CreateProcess finds it, inside the machine; its
// file is a host executable, started with the Windows-side environment, the
// mapped working folder and SIMWIN_ROOT, so it can map paths itself. The child
// is forked at once but waits on a pipe until Resume(), and leads a process
// group of its own so Ctrl-C can be sent to it as SIGINT.
#include "platform/Process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "platform/simwin/CommandLine.h"
#include "platform/simwin/Machine.h"
#include "platform/simwin/OperationFaults.h"
#include "platform/simwin/WinPath.h"

extern char** environ;

namespace platform {

namespace {

constexpr uint32_t kErrBadExeFormat = 193;

void CloseFd(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

bool HasExtension(const std::string& path) {
  const size_t name = path.find_last_of("\\/:");
  const size_t dot = path.rfind('.');
  return dot != std::string::npos && (name == std::string::npos || dot > name);
}

// Where CreateProcess looks for a program given without a folder: the folder
// of this program, the current folder, the system and Windows folders, PATH.
std::vector<std::string> SearchFolders() {
  const auto& machine = simwin::Machine::Current();
  std::vector<std::string> folders;
  const std::string exe = ExecutablePath();
  folders.push_back(exe.substr(0, exe.find_last_of('\\')));
  folders.push_back(machine.CurrentDir());
  folders.push_back(SystemDirectory());
  const auto& known = machine.Settings().folders;
  if (auto it = known.find("windows"); it != known.end()) folders.push_back(it->second);
  const std::string path = GetEnv("PATH").value_or("");
  size_t pos = 0;
  while (pos <= path.size()) {
    size_t next = path.find(';', pos);
    if (next == std::string::npos) next = path.size();
    if (next > pos) folders.push_back(path.substr(pos, next - pos));
    pos = next + 1;
  }
  return folders;
}

// The full Windows path of a program name, searched as CreateProcess does;
// ".exe" is added to a name without an extension.
std::optional<std::string> FindProgram(std::string name) {
  if (name.empty()) return std::nullopt;
  if (!HasExtension(name)) name += ".exe";
  if (name.find_first_of("\\/:") != std::string::npos) {
    if (!FileExists(name)) return std::nullopt;
    return FullPathOf(name);
  }
  for (const auto& folder : SearchFolders()) {
    const std::string candidate = (folder.empty() || folder.back() == '\\' ? folder : folder + "\\") + name;
    if (FileExists(candidate)) return FullPathOf(candidate);
  }
  return std::nullopt;
}

struct ProgramAndArguments {
  std::string program;  // full Windows path
  std::string arguments;
};

// Takes the program out of a command line. A quoted name ends at the next
// quote; an unquoted one at a blank, trying longer names up to each following
// blank while no program of the shorter name exists ("C:\Program Files\x.exe").
std::optional<ProgramAndArguments> SplitProgram(const std::string& commandLine) {
  size_t start = 0;
  while (start < commandLine.size() && (commandLine[start] == ' ' || commandLine[start] == '\t')) ++start;
  if (start < commandLine.size() && commandLine[start] == '"') {
    const size_t close = commandLine.find('"', start + 1);
    const size_t end = close == std::string::npos ? commandLine.size() : close;
    auto program = FindProgram(commandLine.substr(start + 1, end - start - 1));
    if (!program) return std::nullopt;
    return ProgramAndArguments{*program, close == std::string::npos ? "" : commandLine.substr(close + 1)};
  }
  size_t end = start;
  for (;;) {
    end = commandLine.find_first_of(" \t", end);
    if (end == std::string::npos) end = commandLine.size();
    if (auto program = FindProgram(commandLine.substr(start, end - start))) {
      return ProgramAndArguments{*program, commandLine.substr(end)};
    }
    if (end >= commandLine.size()) return std::nullopt;
    ++end;
  }
}

// Only host executables run on the simulated machine: ELF files and scripts.
bool IsHostExecutable(const std::string& hostPath) {
  const int fd = ::open(hostPath.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  char head[4] = {};
  const ssize_t n = ::read(fd, head, sizeof head);
  ::close(fd);
  return (n == 4 && std::memcmp(head,
                                "\x7f"
                                "ELF",
                                4) == 0) ||
         (n >= 2 && head[0] == '#' && head[1] == '!');
}

bool IsSimwinVariable(const char* entry) {
  for (const char* name :
       {"SIMWIN_ROOT=", "SIMWIN_CWD=", "SIMWIN_EXE=", "SIMWIN_ENVIRONMENT=", "SIMWIN_COMMAND_LINE="}) {
    if (std::strncmp(entry, name, std::strlen(name)) == 0) return true;
  }
  // A program's counted faults are its own, not those of the tools it starts.
  return simwin::IsOperationFaultVariable(entry);
}

}  // namespace

struct ChildProcess::Impl {
  int outRead = -1;
  int outWrite = -1;
  int inRead = -1;
  int inWrite = -1;
  int goWrite = -1;  // the child starts running when a byte arrives here
  pid_t pid = -1;
  int pidfd = -1;
  bool reaped = false;
  int status = 0;
  std::optional<uint32_t> forcedExitCode;
  ProcessInformation info;
  std::string program;  // the Windows path of the child's program
  std::string failedCall;

  // Records a failed call with its error code; always false.
  bool Fail(const char* call, uint32_t code) {
    failedCall = call;
    SetLastErrorCode(code);
    return false;
  }
  bool Faulted(simwin::FaultKind kind) const {
    return !program.empty() && simwin::Machine::Current().IsFaulted(kind, program);
  }

  void Reap(int options) {
    if (pid < 0 || reaped) return;
    int st = 0;
    pid_t r;
    do {
      r = ::waitpid(pid, &st, options);
    } while (r < 0 && errno == EINTR);
    if (r == pid) {
      reaped = true;
      status = st;
      CloseFd(pidfd);
    }
  }
};

ChildProcess::ChildProcess() : impl_(std::make_unique<Impl>()) {}

ChildProcess::~ChildProcess() {
  CloseFd(impl_->goWrite);  // a child never resumed ends instead of running
  CloseFd(impl_->outRead);
  CloseFd(impl_->outWrite);
  CloseFd(impl_->inRead);
  CloseFd(impl_->inWrite);
  impl_->Reap(WNOHANG);
  CloseFd(impl_->pidfd);
}

const std::string& ChildProcess::FailedCall() const { return impl_->failedCall; }

bool ChildProcess::CreatePipes() {
  constexpr uint32_t kErrNoResources = 1450;
  if (simwin::Machine::Current().IsFaulted(simwin::FaultKind::ProcessPipe, simwin::Machine::Current().CurrentDir())) {
    return impl_->Fail("CreatePipe", kErrNoResources);
  }
  int out[2];
  if (::pipe2(out, O_CLOEXEC) != 0) return impl_->Fail("CreatePipe", kErrNoResources);
  int in[2];
  if (::pipe2(in, O_CLOEXEC) != 0) {
    ::close(out[0]);
    ::close(out[1]);
    return impl_->Fail("CreatePipe", kErrNoResources);
  }
  impl_->outRead = out[0];
  impl_->outWrite = out[1];
  impl_->inRead = in[0];
  impl_->inWrite = in[1];
  return true;
}

bool ChildProcess::Create(const std::string& commandLine, const std::string& currentDir) {
  auto& machine = simwin::Machine::Current();
  impl_->failedCall = "CreateProcess";
  const auto split = SplitProgram(commandLine);
  if (!split) {
    SetLastErrorCode(simwin::kErrFileNotFound);
    return false;
  }
  uint32_t error = 0;
  const auto hostProgram = machine.HostPath(split->program, error);
  if (!hostProgram) {
    SetLastErrorCode(error);
    return false;
  }
  if (!IsHostExecutable(*hostProgram)) {
    SetLastErrorCode(kErrBadExeFormat);
    return false;
  }
  std::string windowsDir = machine.CurrentDir();
  if (!currentDir.empty()) {
    const auto full = machine.FullPath(currentDir, error);
    if (!full || !DirectoryExists(*full)) {
      SetLastErrorCode(simwin::kErrDirectory);
      return false;
    }
    windowsDir = *full;
  }
  const auto hostDir = machine.HostPathOfFull(windowsDir, error);
  if (!hostDir) {
    SetLastErrorCode(error);
    return false;
  }

  // Everything the child needs is made before the fork: after it, the child
  // may only make async-signal-safe calls.
  std::vector<std::string> args{*hostProgram};
  for (auto& a : simwin::ParseWindowsArguments(split->arguments)) args.push_back(std::move(a));
  std::vector<std::string> env;
  for (char** e = environ; e != nullptr && *e != nullptr; ++e) {
    if (!IsSimwinVariable(*e)) env.emplace_back(*e);
  }
  env.push_back("SIMWIN_ROOT=" + machine.Root());
  env.push_back("SIMWIN_CWD=" + windowsDir);
  env.push_back("SIMWIN_EXE=" + split->program);
  env.push_back("SIMWIN_COMMAND_LINE=" + commandLine);
  env.push_back("SIMWIN_ENVIRONMENT=" + simwin::SerializeEnvironment(machine.Environment()));
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (auto& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  const std::string execFailed = "simwin: cannot run " + *hostProgram + "\n";

  int go[2];
  if (::pipe2(go, O_CLOEXEC) != 0) {
    SetLastErrorCode(simwin::kErrGenFailure);
    return false;
  }
  const pid_t pid = ::fork();
  if (pid < 0) {
    ::close(go[0]);
    ::close(go[1]);
    SetLastErrorCode(8);  // not enough memory
    return false;
  }
  if (pid == 0) {
    ::setpgid(0, 0);
    ::close(go[1]);
    ::dup2(impl_->inRead, 0);
    ::dup2(impl_->outWrite, 1);
    ::dup2(impl_->outWrite, 2);
    char c = 0;
    ssize_t n;
    do {
      n = ::read(go[0], &c, 1);
    } while (n < 0 && errno == EINTR);
    if (n != 1) ::_exit(1);
    if (::chdir(hostDir->c_str()) == 0) ::execve(argv[0], argv.data(), envp.data());
    [[maybe_unused]] const ssize_t w = ::write(2, execFailed.data(), execFailed.size());
    ::_exit(1);
  }
  ::setpgid(pid, pid);  // also here, so the group exists whoever runs first
  ::close(go[0]);
  impl_->goWrite = go[1];
  impl_->pid = pid;
  impl_->program = machine.FullPath(split->program, error).value_or(split->program);
  impl_->pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
  // The child's ends are the child's alone; the end of its input goes at once,
  // so a child that reads its input sees end-of-input instead of waiting.
  CloseFd(impl_->inRead);
  CloseFd(impl_->outWrite);
  CloseFd(impl_->inWrite);
  impl_->info.hProcess = static_cast<uintptr_t>(impl_->pidfd >= 0 ? impl_->pidfd : pid);
  impl_->info.hThread = static_cast<uintptr_t>(pid);
  impl_->info.dwProcessId = static_cast<uint32_t>(pid);
  impl_->info.dwThreadId = static_cast<uint32_t>(pid);
  return true;
}

ProcessInformation& ChildProcess::Information() { return impl_->info; }

bool ChildProcess::Resume() {
  Impl& p = *impl_;
  if (p.goWrite < 0) return true;
  if (p.Faulted(simwin::FaultKind::ProcessResume)) return p.Fail("ResumeThread", simwin::kErrAccessDenied);
  ssize_t n;
  do {
    n = ::write(p.goWrite, "r", 1);
  } while (n < 0 && errno == EINTR);
  CloseFd(p.goWrite);
  return n == 1 || p.Fail("ResumeThread", simwin::kErrGenFailure);
}

WaitResult ChildProcess::Wait(uint32_t milliseconds) {
  Impl& p = *impl_;
  constexpr uint32_t kErrInvalidHandle = 6;
  if (p.pid < 0 || p.Faulted(simwin::FaultKind::ProcessWait)) {
    p.Fail("WaitForSingleObject", kErrInvalidHandle);
    return WaitResult::Failed;
  }
  if (p.reaped) return WaitResult::Ended;
  if (p.pidfd < 0) {
    // Without a process descriptor: look every millisecond.
    for (uint32_t waited = 0;; ++waited) {
      p.Reap(WNOHANG);
      if (p.reaped) return WaitResult::Ended;
      if (milliseconds != kWaitInfinite && waited >= milliseconds) return WaitResult::TimedOut;
      ::usleep(1000);
    }
  }
  pollfd fd{p.pidfd, POLLIN, 0};
  const int timeout = milliseconds == kWaitInfinite ? -1 : static_cast<int>(milliseconds);
  int r;
  do {
    r = ::poll(&fd, 1, timeout);
  } while (r < 0 && errno == EINTR);
  if (r == 0) return WaitResult::TimedOut;
  if (r > 0) p.Reap(0);
  if (r > 0 && p.reaped) return WaitResult::Ended;
  p.Fail("WaitForSingleObject", kErrInvalidHandle);
  return WaitResult::Failed;
}

WaitResult ChildProcess::WaitForExitOrOutput(uint32_t milliseconds) {
  Impl& p = *impl_;
  if (p.pid < 0 || p.pidfd < 0 || p.outRead < 0 || p.reaped || p.Faulted(simwin::FaultKind::ProcessWait)) {
    return Wait(milliseconds);
  }
  if (BytesWaiting() > 0) return WaitResult::Output;
  pollfd fds[2] = {{p.pidfd, POLLIN, 0}, {p.outRead, POLLIN, 0}};
  const int timeout = milliseconds == kWaitInfinite ? -1 : static_cast<int>(milliseconds);
  int r;
  do {
    r = ::poll(fds, 2, timeout);
  } while (r < 0 && errno == EINTR);
  if (r < 0) {
    p.Fail("WaitForSingleObject", 6);
    return WaitResult::Failed;
  }
  if (r == 0) return WaitResult::TimedOut;
  if (fds[0].revents != 0) return Wait(kWaitInfinite);
  if ((fds[1].revents & POLLIN) != 0) return WaitResult::Output;
  // The output was closed while the child runs on: only the child is left to wait for.
  return Wait(milliseconds);
}

size_t ChildProcess::BytesWaiting() {
  int n = 0;
  if (impl_->outRead < 0 || ::ioctl(impl_->outRead, FIONREAD, &n) != 0 || n < 0) return 0;
  return static_cast<size_t>(n);
}

size_t ChildProcess::Read(char* buffer, size_t size) {
  if (impl_->outRead < 0) return 0;
  ssize_t n;
  do {
    n = ::read(impl_->outRead, buffer, size);
  } while (n < 0 && errno == EINTR);
  return n > 0 ? static_cast<size_t>(n) : 0;
}

bool ChildProcess::SendCtrlC() {
  Impl& p = *impl_;
  if (p.pid <= 0 || p.reaped) return true;
  return ::kill(-p.pid, SIGINT) == 0 || p.Fail("GenerateConsoleCtrlEvent", simwin::kErrAccessDenied);
}

bool ChildProcess::Terminate(uint32_t exitCode) {
  Impl& p = *impl_;
  if (p.pid < 0) return true;
  p.Reap(WNOHANG);
  if (p.reaped) return true;
  if (p.Faulted(simwin::FaultKind::ProcessTerminate)) return p.Fail("TerminateProcess", simwin::kErrAccessDenied);
  ::kill(p.pid, SIGKILL);
  p.Reap(0);
  p.forcedExitCode = exitCode;
  return true;
}

std::optional<uint32_t> ChildProcess::ExitCode() {
  Impl& p = *impl_;
  if (p.pid < 0) return std::nullopt;
  p.Reap(WNOHANG);
  if (!p.reaped) return kStillActive;
  if (p.forcedExitCode) return p.forcedExitCode;
  if (WIFEXITED(p.status)) return static_cast<uint32_t>(WEXITSTATUS(p.status));
  // Ended by a signal (Ctrl-C among them): reported as a process that was
  // terminated, with exit code 1.
  return 1u;
}

bool IsSuspended(const ProcessInformation& information) {
  // Until it is resumed the forked child waits in this program's image.
  char own[4096];
  char child[4096];
  const std::string link = "/proc/" + std::to_string(information.dwProcessId) + "/exe";
  const ssize_t ownLength = ::readlink("/proc/self/exe", own, sizeof own);
  const ssize_t childLength = ::readlink(link.c_str(), child, sizeof child);
  return ownLength > 0 && ownLength == childLength && std::memcmp(own, child, static_cast<size_t>(ownLength)) == 0;
}

std::string OemLineToUtf8(std::string_view bytes) {
  bool ascii = true;
  for (const char c : bytes) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  // ASCII is the same in every OEM and ANSI code page the machine can have.
  if (ascii) return std::string(bytes);
  return AnsiToUtf8(Utf8ToAnsi(OemToUtf8(std::string(bytes))));
}

}  // namespace platform
