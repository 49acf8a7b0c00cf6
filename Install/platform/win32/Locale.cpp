// Local time and the time separator from the user's locale settings.
#include "platform/Locale.h"

#include "platform/win32/Win32Util.h"

namespace platform {

LocalDateTime ToLocalDateTime(std::chrono::system_clock::time_point time) {
  // 100-nanosecond intervals since 1601-01-01, the FILETIME epoch.
  constexpr int64_t kEpochDifference = 116444736000000000LL;
  const int64_t ticks =
      std::chrono::duration_cast<std::chrono::microseconds>(time.time_since_epoch()).count() * 10 + kEpochDifference;
  FILETIME ft;
  ft.dwLowDateTime = static_cast<DWORD>(ticks & 0xFFFFFFFF);
  ft.dwHighDateTime = static_cast<DWORD>(static_cast<uint64_t>(ticks) >> 32);
  SYSTEMTIME utc = {};
  SYSTEMTIME local = {};
  LocalDateTime out;
  if (!FileTimeToSystemTime(&ft, &utc) || !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) return out;
  out.year = local.wYear;
  out.month = local.wMonth;
  out.day = local.wDay;
  out.hour = local.wHour;
  out.minute = local.wMinute;
  out.second = local.wSecond;
  out.millisecond = local.wMilliseconds;
  return out;
}

std::string TimeSeparator() {
  wchar_t buffer[8] = {};
  const int n = GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIME, buffer, 8);
  if (n <= 1) return ":";
  return win32::Narrow(std::wstring_view(buffer, static_cast<size_t>(n - 1)));
}

}  // namespace platform
