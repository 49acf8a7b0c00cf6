// The user's locale settings the program formats and compares with: local
// time, the time separator, and text comparison without regard to case.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

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

// Equal without regard to letter case by the user's locale: the system's
// comparison on win32, full Unicode case folding on simwin ("C:\Users\Jürgen"
// equals "C:\USERS\JÜRGEN", which an ASCII comparison does not find).
bool SameTextLocale(std::string_view a, std::string_view b);
// Whether `text` begins with `prefix` under the same rules.
bool StartsTextLocale(std::string_view text, std::string_view prefix);

}  // namespace platform
