#include "platform/simwin/OperationFaults.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "platform/simwin/WinPath.h"

namespace simwin {

namespace {

constexpr uint32_t kErrSharingViolation = 32;

const char* const kLogVariable = "SIMWIN_OPERATIONS_LOG";
const char* const kFailVariable = "SIMWIN_FAIL_OPERATION";
const char* const kKillVariable = "SIMWIN_KILL_AT_OPERATION";

struct Plan {
  std::string log;
  OperationClass failClass = OperationClass::Registry;
  uint64_t failAt = 0;  // 0: nothing fails
  uint64_t killAt = 0;  // 0: no kill
  uint64_t counted = 0;
  uint64_t countedRegistry = 0;
  uint64_t countedFile = 0;
};

uint64_t ParseCount(const char* text) {
  if (text == nullptr || *text == '\0') return 0;
  char* end = nullptr;
  const unsigned long long n = std::strtoull(text, &end, 10);
  return *end == '\0' ? n : 0;
}

Plan ReadPlan() {
  Plan plan;
  if (const char* log = std::getenv(kLogVariable)) plan.log = log;
  if (const char* fail = std::getenv(kFailVariable)) {
    const std::string spec = fail;
    const size_t colon = spec.find(':');
    const std::string cls = spec.substr(0, colon);
    if (colon != std::string::npos && (cls == "registry" || cls == "file")) {
      plan.failClass = cls == "registry" ? OperationClass::Registry : OperationClass::File;
      plan.failAt = ParseCount(spec.c_str() + colon + 1);
    }
  }
  plan.killAt = ParseCount(std::getenv(kKillVariable));
  return plan;
}

Plan& CurrentPlan() {
  static Plan plan = ReadPlan();
  return plan;
}

// The error a failing operation gives, as Windows gives it: a file being
// read is held open elsewhere, a file or folder being made finds the disk
// full, anything else (and every registry write) is refused.
uint32_t ErrorFor(OperationClass cls, const char* operation) {
  if (cls == OperationClass::Registry) return kErrAccessDenied;
  if (std::strcmp(operation, "read") == 0) return kErrSharingViolation;
  if (std::strcmp(operation, "write") == 0 || std::strcmp(operation, "copy") == 0 ||
      std::strcmp(operation, "make-folder") == 0) {
    return kErrDiskFull;
  }
  return kErrAccessDenied;
}

void AppendLine(const std::string& path, const std::string& line) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) return;
  // One write per line: O_APPEND keeps the lines whole.
  const ssize_t written = ::write(fd, line.data(), line.size());
  (void)written;
  ::close(fd);
}

}  // namespace

uint32_t CountOperation(OperationClass cls, const char* operation, const std::string& target) {
  Plan& plan = CurrentPlan();
  if (plan.log.empty() && plan.failAt == 0 && plan.killAt == 0) return 0;
  const uint64_t number = ++plan.counted;
  const uint64_t inClass = cls == OperationClass::Registry ? ++plan.countedRegistry : ++plan.countedFile;
  if (number == plan.killAt) ::kill(::getpid(), SIGKILL);
  const bool fails = plan.failAt != 0 && cls == plan.failClass && inClass == plan.failAt;
  if (!plan.log.empty()) {
    AppendLine(plan.log, std::to_string(number) + "\t" + (cls == OperationClass::Registry ? "registry " : "file ") +
                             std::to_string(inClass) + "\t" + operation + "\t" + target + (fails ? "\tfails" : "") +
                             "\n");
  }
  return fails ? ErrorFor(cls, operation) : 0;
}

bool IsOperationFaultVariable(const char* entry) {
  for (const char* name : {kLogVariable, kFailVariable, kKillVariable}) {
    const size_t length = std::strlen(name);
    if (std::strncmp(entry, name, length) == 0 && entry[length] == '=') return true;
  }
  return false;
}

}  // namespace simwin
