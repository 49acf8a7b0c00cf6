// Locale settings of the simulated machine: the host's time zone, the time
// separator of machine.ini.
#include "platform/Locale.h"

#include <ctime>

#include "platform/simwin/Machine.h"

namespace platform {

LocalDateTime ToLocalDateTime(std::chrono::system_clock::time_point time) {
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count();
  const time_t seconds = static_cast<time_t>(ms >= 0 ? ms / 1000 : (ms - 999) / 1000);
  std::tm tm{};
  ::localtime_r(&seconds, &tm);
  LocalDateTime local;
  local.year = static_cast<uint16_t>(tm.tm_year + 1900);
  local.month = static_cast<uint16_t>(tm.tm_mon + 1);
  local.day = static_cast<uint16_t>(tm.tm_mday);
  local.hour = static_cast<uint16_t>(tm.tm_hour);
  local.minute = static_cast<uint16_t>(tm.tm_min);
  local.second = static_cast<uint16_t>(tm.tm_sec);
  local.millisecond = static_cast<uint16_t>(ms - static_cast<int64_t>(seconds) * 1000);
  return local;
}

std::string TimeSeparator() { return simwin::Machine::Current().Settings().timeSeparator; }

}  // namespace platform
