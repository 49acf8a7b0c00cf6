#include "CapExec.h"

#include <optional>
#include <vector>

#include "CapExecLines.h"
#include "SysUtils.h"
#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "platform/System.h"

namespace {

constexpr uint32_t kPollInterval = 80;
constexpr uint32_t kCtrlCGrace = 500;

// Gives the child its own PATH through this process's environment, which the
// child inherits, and puts the old value back whatever way the call ends.
class TPathOverride {
 public:
  explicit TPathOverride(const std::string& value) {
    if (value.empty()) return;
    FSaved = platform::GetEnv("PATH");
    FChanged = platform::SetEnv("PATH", value);
  }
  ~TPathOverride() {
    if (!FChanged) return;
    if (FSaved) {
      platform::SetEnv("PATH", *FSaved);
    } else {
      platform::UnsetEnv("PATH");
    }
  }
  TPathOverride(const TPathOverride&) = delete;
  TPathOverride& operator=(const TPathOverride&) = delete;

 private:
  std::optional<std::string> FSaved;
  bool FChanged = false;
};

// One pass over the output pipe: reads what is waiting in one read and hands
// out the complete lines; the last pass (`endOfOutput`, the child has ended)
// also the line of a CR that ends the output. Returns whether anything was
// waiting.
bool DrainPipe(platform::ChildProcess& child, TCaptureLineBuffer& pending, std::vector<char>& buffer,
               const TCaptureLineEvent& onLine, bool& abort, bool endOfOutput = false) {
  const size_t waiting = child.BytesWaiting();
  if (waiting == 0 && !endOfOutput) return false;
  if (buffer.size() < waiting) buffer.resize(waiting);
  if (waiting > 0) pending.Append(buffer.data(), child.Read(buffer.data(), waiting));
  pending.DeliverLines([&](std::string_view line) { onLine(platform::OemLineToUtf8(line), abort); }, abort,
                       endOfOutput);
  return waiting > 0;
}

// "<call> fails: error code N[ Message: text]" for the system call that failed.
[[noreturn]] void RaiseCallFailure(const platform::ChildProcess& child) {
  const uint32_t code = platform::LastErrorCode();
  const std::string text = platform::SystemErrorText(code);
  std::string message = child.FailedCall() + " fails: error code " + std::to_string(code);
  if (!text.empty()) message += " Message: " + text;
  throw Exception(message);
}

}  // namespace

int32_t CaptureExecute(const std::string& ACommand, const std::string& AParameters, const std::string& ACurrentDir,
                       const TCaptureLineEvent& AOnLine, const TCaptureIdleEvent& AOnIdle, bool ACtrlCOnAbort,
                       const std::string& APathValue, TProcessStartedEvent AOnProcessStarted) {
  int32_t result = -2;
  if (!AOnLine) return result;
  platform::ChildProcess child;
  if (!child.CreatePipes()) RaiseCallFailure(child);
  TPathOverride path(APathValue);
  if (!child.Create(ACommand + " " + AParameters, ACurrentDir)) RaiseCallFailure(child);
  try {
    if (AOnProcessStarted) AOnProcessStarted(child.Information());
    if (!child.Resume()) RaiseCallFailure(child);

    bool abort = false;
    TCaptureLineBuffer pending;
    std::vector<char> buffer;
    // Passes run while the child runs: the first after 80 ms, so a child that
    // ends within them has all its output handed out by the final drain.
    // Then, for throughput, two changes to plain 80 ms polling: a pass that
    // found output is followed by the next one at once, and the 80 ms wait
    // after a pass that found the pipe empty ends early when output arrives.
    // A child writing much output is so never left blocked on a full pipe for
    // most of 80 ms; an idle one is still looked at every 80 ms.
    platform::WaitResult wait = child.Wait(kPollInterval);
    while ((wait == platform::WaitResult::TimedOut || wait == platform::WaitResult::Output) && !abort) {
      const bool found = DrainPipe(child, pending, buffer, AOnLine, abort);
      if (AOnIdle) AOnIdle(nullptr);
      wait = found ? child.Wait(0) : child.WaitForExitOrOutput(kPollInterval);
    }
    if (wait == platform::WaitResult::Failed) RaiseCallFailure(child);
    DrainPipe(child, pending, buffer, AOnLine, abort, true);
    // The last text without a line break comes as ANSI text, without the OEM
    // step. Lines an abort left undelivered are not handed out glued together.
    if (const std::string fragment = pending.TakeFragment(); !fragment.empty()) {
      AOnLine(platform::AnsiToUtf8(fragment), abort);
    }

    if (abort) {
      const bool ended = ACtrlCOnAbort && child.SendCtrlC() && child.Wait(kCtrlCGrace) == platform::WaitResult::Ended;
      if (!ended && !child.Terminate(1)) RaiseCallFailure(child);
    }
    if (const auto code = child.ExitCode()) result = static_cast<int32_t>(*code);
  } catch (...) {
    // A handler or a system call failed: nobody reads the child's output any
    // more, so it must not be left waiting, suspended or blocked on a full
    // pipe. (A failure to end it cannot replace the error on its way out.)
    child.Terminate(1);
    throw;
  }
  return result;
}
