// The user's locale settings the program formats with: local time and the
// time separator.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace platform {

struct LocalDateTime {
  uint16_t year = 0;
  uint16_t month = 0;
  uint16_t day = 0;
  uint16_t hour = 0;
  uint16_t minute = 0;
  uint16_t second = 0;
  uint16_t millisecond = 0;
};

// The local wall-clock time of a point in time.
LocalDateTime ToLocalDateTime(std::chrono::system_clock::time_point time);
// The time separator of the user's locale (":" in most).
std::string TimeSeparator();

}  // namespace platform
