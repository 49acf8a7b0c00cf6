// The program's exception classes: every error the program reports is an
// Exception with an English message; an operating-system error is an EOSError
// that also carries the system's error code.
#pragma once

#include <chrono>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "platform/FileSystem.h"
#include "platform/System.h"

class Exception : public std::runtime_error {
 public:
  explicit Exception(const std::string& message) : std::runtime_error(message) {}
  std::string Message() const { return what(); }
};

class EOSError : public Exception {
 public:
  EOSError(const std::string& message, uint32_t errorCode) : Exception(message), FErrorCode(errorCode) {}
  uint32_t ErrorCode() const { return FErrorCode; }

 private:
  uint32_t FErrorCode;
};

// Raises EOSError for a system error code with the run-time's message
// "System Error.  Code: N.\r\n" followed by the system's text for the code.
[[noreturn]] inline void RaiseOSError(uint32_t code) {
  std::string message = "System Error.  Code: ";
  message += std::to_string(code);
  message += ".\r\n";
  message += platform::SystemErrorText(code);
  throw EOSError(message, code);
}
// The same for the code the last failing platform call left.
[[noreturn]] inline void RaiseLastOSError() { RaiseOSError(platform::LastErrorCode()); }

// A point in local wall-clock time is kept as a system-clock reading and
// turned into local time where it is shown.
using TDateTime = std::chrono::system_clock::time_point;
inline TDateTime Now() { return std::chrono::system_clock::now(); }
