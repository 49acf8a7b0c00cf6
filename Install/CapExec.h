// Runs a console program as a hidden child process and hands every line it
// writes to standard output or standard error to a callback while it runs.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/Process.h"

// Receives one output line (UTF-8, without its line break). Setting Abort asks
// CaptureExecute to stop the child.
using TCaptureLineEvent = std::function<void(const std::string& Text, bool& Abort)>;
// Called once per polling pass; the sender is always null.
using TCaptureIdleEvent = std::function<void(void* Sender)>;
// Called once with the new child's process information while it is still suspended.
using TProcessStartedEvent = void (*)(platform::ProcessInformation& ProcessInformation);

// Runs "ACommand AParameters" (the system takes the program from that command
// line) in ACurrentDir and returns the child's exit code: -2 when nothing was
// started (no line handler) or the exit code cannot be read, 1 for a child
// stopped because a handler set Abort. With ACtrlCOnAbort the child is first
// sent Ctrl-C and given 500 ms. A non-empty APathValue is the child's PATH;
// this process's PATH is the old one again when the call returns. A failing
// system call (CreatePipe, SetHandleInformation, CreateProcess, ResumeThread,
// the waits, TerminateProcess) raises Exception "<call> fails: error code N[
// Message: text]", with the child ended first; no child is left running
// behind a return.
int32_t CaptureExecute(const std::string& ACommand, const std::string& AParameters, const std::string& ACurrentDir,
                       const TCaptureLineEvent& AOnLine, const TCaptureIdleEvent& AOnIdle = nullptr,
                       bool ACtrlCOnAbort = false, const std::string& APathValue = "",
                       TProcessStartedEvent AOnProcessStarted = nullptr);
