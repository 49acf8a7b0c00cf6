#include "platform/ToolLog.h"

#include <fcntl.h>
#include <unistd.h>

#include "platform/simwin/Machine.h"

namespace platform {

void AppendToolRecord(const std::string& record) {
  // One write in append mode, so records of tools run one after another never mix.
  const std::string path = simwin::Machine::Current().Root() + "/tools.log";
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) return;
  [[maybe_unused]] const ssize_t n = ::write(fd, record.data(), record.size());
  ::close(fd);
}

}  // namespace platform
