// Locale settings of the simulated machine: the host's time zone, the time
// separator of machine.ini, and ICU's full Unicode case folding for
// comparisons.
#include "platform/Locale.h"

#include <unicode/stringoptions.h>
#include <unicode/ustring.h>

#include <ctime>

#include "platform/Text.h"
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

namespace {

// The text with full Unicode case folding ("ß" becomes "ss"), as UTF-16.
std::u16string Folded(std::string_view text) {
  const std::u16string wide = Utf8ToUtf16(text);
  UErrorCode status = U_ZERO_ERROR;
  const int32_t length =
      u_strFoldCase(nullptr, 0, wide.data(), static_cast<int32_t>(wide.size()), U_FOLD_CASE_DEFAULT, &status);
  if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status)) return wide;
  std::u16string folded(static_cast<size_t>(length), u'\0');
  status = U_ZERO_ERROR;
  u_strFoldCase(folded.data(), length, wide.data(), static_cast<int32_t>(wide.size()), U_FOLD_CASE_DEFAULT, &status);
  return U_FAILURE(status) ? wide : folded;
}

}  // namespace

bool SameTextLocale(std::string_view a, std::string_view b) { return Folded(a) == Folded(b); }

bool StartsTextLocale(std::string_view text, std::string_view prefix) {
  const std::u16string folded = Folded(text);
  const std::u16string start = Folded(prefix);
  return folded.compare(0, start.size(), start) == 0 && folded.size() >= start.size();
}

}  // namespace platform
