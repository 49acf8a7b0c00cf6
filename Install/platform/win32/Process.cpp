// Child processes through anonymous pipes and CreateProcessW.
#include "platform/Process.h"

#include <vector>

#include "platform/FileSystem.h"
#include "platform/win32/Win32Util.h"

namespace platform {

namespace {

void CloseHandleOnce(HANDLE& h) {
  if (h != nullptr && h != INVALID_HANDLE_VALUE) CloseHandle(h);
  h = nullptr;
}

}  // namespace

struct ChildProcess::Impl {
  HANDLE outRead = nullptr;
  HANDLE outWrite = nullptr;
  HANDLE inRead = nullptr;
  HANDLE inWrite = nullptr;
  PROCESS_INFORMATION pi = {};
  ProcessInformation info;
  std::string failedCall;

  // Records the failed call with the system's error code; always false.
  bool Fail(const char* call) {
    failedCall = call;
    return win32::FailWithLastError();
  }
};

// How long a terminated child may take to end.
constexpr DWORD kTerminateWait = 10000;

ChildProcess::ChildProcess() : impl_(std::make_unique<Impl>()) {}

ChildProcess::~ChildProcess() {
  CloseHandleOnce(impl_->outRead);
  CloseHandleOnce(impl_->outWrite);
  CloseHandleOnce(impl_->inRead);
  CloseHandleOnce(impl_->inWrite);
  CloseHandleOnce(impl_->pi.hThread);
  CloseHandleOnce(impl_->pi.hProcess);
}

bool ChildProcess::CreatePipes() {
  // Inheritable handles with the system's default buffer size.
  SECURITY_ATTRIBUTES sa = {};
  sa.nLength = sizeof(sa);
  sa.bInheritHandle = TRUE;
  Impl& p = *impl_;
  auto closeAll = [&p] {
    CloseHandleOnce(p.outRead);
    CloseHandleOnce(p.outWrite);
    CloseHandleOnce(p.inRead);
    CloseHandleOnce(p.inWrite);
    return false;
  };
  if (!CreatePipe(&p.outRead, &p.outWrite, &sa, 0) || !CreatePipe(&p.inRead, &p.inWrite, &sa, 0)) {
    p.Fail("CreatePipe");
    return closeAll();
  }
  // This process's ends stay out of the child: a child holding the write end
  // of its own input would never see that input end.
  if (!SetHandleInformation(p.outRead, HANDLE_FLAG_INHERIT, 0) ||
      !SetHandleInformation(p.inWrite, HANDLE_FLAG_INHERIT, 0)) {
    p.Fail("SetHandleInformation");
    return closeAll();
  }
  return true;
}

const std::string& ChildProcess::FailedCall() const { return impl_->failedCall; }

bool ChildProcess::Create(const std::string& commandLine, const std::string& currentDir) {
  Impl& p = *impl_;
  const auto wideLine = win32::WideName(commandLine);
  const auto wideDir = win32::WideName(currentDir);
  if (!wideLine || !wideDir) {
    p.failedCall = "CreateProcess";
    return false;
  }
  std::vector<wchar_t> line(wideLine->begin(), wideLine->end());
  line.push_back(L'\0');

  SECURITY_ATTRIBUTES sa = {};
  sa.nLength = sizeof(sa);
  sa.bInheritHandle = TRUE;
  STARTUPINFOW si = {};
  si.cb = sizeof(si);
  si.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
  si.wShowWindow = SW_HIDE;
  si.hStdInput = p.inRead;
  si.hStdOutput = p.outWrite;
  si.hStdError = p.outWrite;
  if (!CreateProcessW(nullptr, line.data(), &sa, nullptr, TRUE, CREATE_SUSPENDED, nullptr,
                      wideDir->empty() ? nullptr : wideDir->c_str(), &si, &p.pi)) {
    return p.Fail("CreateProcess");
  }
  // The child has its copies now. Closing the write end of its input lets a
  // child that reads its input see end-of-input at once.
  CloseHandleOnce(p.inRead);
  CloseHandleOnce(p.inWrite);
  CloseHandleOnce(p.outWrite);
  p.info.hProcess = reinterpret_cast<uintptr_t>(p.pi.hProcess);
  p.info.hThread = reinterpret_cast<uintptr_t>(p.pi.hThread);
  p.info.dwProcessId = p.pi.dwProcessId;
  p.info.dwThreadId = p.pi.dwThreadId;
  return true;
}

ProcessInformation& ChildProcess::Information() { return impl_->info; }

bool ChildProcess::Resume() {
  Impl& p = *impl_;
  if (p.pi.hThread == nullptr) return true;
  const bool resumed = ResumeThread(p.pi.hThread) != static_cast<DWORD>(-1) || p.Fail("ResumeThread");
  CloseHandleOnce(p.pi.hThread);
  return resumed;
}

WaitResult ChildProcess::Wait(uint32_t milliseconds) {
  Impl& p = *impl_;
  if (p.pi.hProcess == nullptr) {
    p.failedCall = "WaitForSingleObject";
    win32::FailWith(ERROR_INVALID_HANDLE);
    return WaitResult::Failed;
  }
  switch (WaitForSingleObject(p.pi.hProcess, milliseconds == kWaitInfinite ? INFINITE : milliseconds)) {
    case WAIT_OBJECT_0:
      return WaitResult::Ended;
    case WAIT_TIMEOUT:
      return WaitResult::TimedOut;
    default:
      p.Fail("WaitForSingleObject");
      return WaitResult::Failed;
  }
}

WaitResult ChildProcess::WaitForExitOrOutput(uint32_t milliseconds) {
  // Anonymous pipes cannot be waited for: look at the pipe every millisecond
  // (or the system's timer tick) between short waits for the child.
  const ULONGLONG start = GetTickCount64();
  for (;;) {
    if (BytesWaiting() > 0) return WaitResult::Output;
    const ULONGLONG waited = GetTickCount64() - start;
    if (milliseconds != kWaitInfinite && waited >= milliseconds) return WaitResult::TimedOut;
    const WaitResult result = Wait(1);
    if (result != WaitResult::TimedOut) return result;
  }
}

size_t ChildProcess::BytesWaiting() {
  DWORD available = 0;
  if (impl_->outRead == nullptr || !PeekNamedPipe(impl_->outRead, nullptr, 0, nullptr, &available, nullptr)) return 0;
  return available;
}

size_t ChildProcess::Read(char* buffer, size_t size) {
  DWORD got = 0;
  if (impl_->outRead == nullptr || !ReadFile(impl_->outRead, buffer, static_cast<DWORD>(size), &got, nullptr)) return 0;
  return got;
}

bool ChildProcess::SendCtrlC() {
  Impl& p = *impl_;
  if (p.pi.hProcess == nullptr) return true;
  return GenerateConsoleCtrlEvent(CTRL_C_EVENT, p.pi.dwProcessId) || p.Fail("GenerateConsoleCtrlEvent");
}

bool ChildProcess::Terminate(uint32_t exitCode) {
  Impl& p = *impl_;
  if (p.pi.hProcess == nullptr) return true;
  if (WaitForSingleObject(p.pi.hProcess, 0) == WAIT_OBJECT_0) return true;
  if (!TerminateProcess(p.pi.hProcess, exitCode)) {
    // It may have ended meanwhile: then nothing is left to do.
    if (WaitForSingleObject(p.pi.hProcess, 0) == WAIT_OBJECT_0) return true;
    return p.Fail("TerminateProcess");
  }
  // Termination completes asynchronously; until it has, the exit code reads
  // as still active.
  switch (WaitForSingleObject(p.pi.hProcess, kTerminateWait)) {
    case WAIT_OBJECT_0:
      return true;
    case WAIT_TIMEOUT:
      p.failedCall = "WaitForSingleObject";
      return win32::FailWith(WAIT_TIMEOUT);
    default:
      return p.Fail("WaitForSingleObject");
  }
}

std::optional<uint32_t> ChildProcess::ExitCode() {
  DWORD code = 0;
  if (impl_->pi.hProcess == nullptr || !GetExitCodeProcess(impl_->pi.hProcess, &code)) return std::nullopt;
  return code;
}

bool IsSuspended(const ProcessInformation& information) {
  // Suspending the thread tells its previous suspend count; the resume undoes it.
  const HANDLE thread = reinterpret_cast<HANDLE>(information.hThread);
  if (thread == nullptr) return false;
  const DWORD previous = SuspendThread(thread);
  if (previous == static_cast<DWORD>(-1)) return false;
  ResumeThread(thread);
  return previous > 0;
}

std::string OemLineToUtf8(std::string_view bytes) {
  std::string ansi(bytes);
  if (!ansi.empty() && !OemToCharBuffA(ansi.data(), ansi.data(), static_cast<DWORD>(ansi.size()))) ansi = bytes;
  return AnsiToUtf8(ansi);
}

}  // namespace platform
