// The lock of a name is an exclusive flock on the file "<name>.lock" in the
// machine folder. The host's kernel drops it when the process ends, however it
// ends; the descriptor is closed when a child process starts a program, so
// the stand-in tools do not hold it. The file stays: removing it could let a
// second process lock a new file while the first still holds the old one.
#include "platform/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "platform/simwin/Machine.h"
#include "platform/simwin/WinPath.h"

namespace platform {

InstanceLock::InstanceLock(const std::string& name) {
  const std::string path = simwin::Machine::Current().Root() + "/" + name + ".lock";
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) {
    failedCall_ = "CreateMutexW";
    errorCode_ = errno == EACCES ? simwin::kErrAccessDenied : simwin::kErrGenFailure;
    return;
  }
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    ::close(fd);
    if (error == EWOULDBLOCK) {
      status_ = Status::HeldElsewhere;
      return;
    }
    failedCall_ = "CreateMutexW";
    errorCode_ = simwin::kErrGenFailure;
    return;
  }
  handle_ = fd;
  status_ = Status::Held;
}

InstanceLock::~InstanceLock() {
  if (status_ == Status::Held) ::close(static_cast<int>(handle_));
}

}  // namespace platform
