// The lock is a named mutex in the Global namespace: one setup program at a
// time on the whole machine, not only in this session. The program writes
// machine-wide state (HKLM, Program Files, the system folder) as well as the
// user's IDE configuration, and a run in another session (another user, fast
// user switching, Remote Desktop) would write the machine-wide part at the
// same time. The Local namespace would only separate sessions; elevated and
// plain processes of one session share it anyway. The mutex is only named,
// never owned: its name lives while a handle is open, and the system closes
// the handle when the process ends. It is not inheritable, so no child process
// (a compiler, the archiver, a program the finish page opens) keeps it.
#include "platform/InstanceLock.h"

#include "platform/win32/Win32Util.h"

namespace platform {

InstanceLock::InstanceLock(const std::string& name) {
  const auto wname = win32::WideName("Global\\" + name);
  if (!wname) {
    failedCall_ = "CreateMutexW";
    errorCode_ = ERROR_INVALID_NAME;
    return;
  }
  HANDLE mutex = CreateMutexW(nullptr, FALSE, wname->c_str());
  const DWORD error = GetLastError();
  if (mutex == nullptr) {
    // A mutex of the name exists that this process may not open: one made by
    // a run of another user.
    if (error == ERROR_ACCESS_DENIED) {
      status_ = Status::HeldElsewhere;
      return;
    }
    failedCall_ = "CreateMutexW";
    errorCode_ = error;
    return;
  }
  if (error == ERROR_ALREADY_EXISTS) {
    CloseHandle(mutex);
    status_ = Status::HeldElsewhere;
    return;
  }
  handle_ = reinterpret_cast<intptr_t>(mutex);
  status_ = Status::Held;
}

InstanceLock::~InstanceLock() {
  if (status_ == Status::Held) CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

}  // namespace platform
