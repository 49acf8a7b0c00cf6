// One run of a program at a time on a machine: a lock on a name, held by the
// process while the object lives. The system releases it when the process
// ends, however it ends, so a killed run never blocks the next one; child
// processes do not inherit it.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

class InstanceLock {
 public:
  enum class Status {
    Held,           // this process holds the lock
    HeldElsewhere,  // another holder has it: another process, or another lock object
    Failed,         // the lock could not be made: FailedCall() and ErrorCode() say why
  };

  // Takes the machine-wide lock of the name (for every session and user),
  // unless it is held already.
  explicit InstanceLock(const std::string& name);
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  Status GetStatus() const { return status_; }
  // When Failed: the Windows function that failed and its error code.
  const std::string& FailedCall() const { return failedCall_; }
  uint32_t ErrorCode() const { return errorCode_; }

 private:
  Status status_ = Status::Failed;
  std::string failedCall_;
  uint32_t errorCode_ = 0;
  intptr_t handle_ = 0;  // while Held: the mutex's handle (win32), the lock file's descriptor (simwin)
};

}  // namespace platform
