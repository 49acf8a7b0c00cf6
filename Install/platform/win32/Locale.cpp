// Local time and the time separator from the user's locale settings.
#include "platform/Locale.h"

#include <optional>

#include "platform/Text.h"
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

namespace {

// CompareStringW of the user's locale, ignoring case; nullopt when it fails.
std::optional<bool> SameUtf16(const std::u16string& a, size_t aLength, const std::u16string& b) {
  const int result =
      CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, reinterpret_cast<const wchar_t*>(a.data()),
                     static_cast<int>(aLength), reinterpret_cast<const wchar_t*>(b.data()), static_cast<int>(b.size()));
  if (result == 0) return std::nullopt;
  return result == CSTR_EQUAL;
}

}  // namespace

bool SameTextLocale(std::string_view a, std::string_view b) {
  const std::u16string wa = Utf8ToUtf16(a);
  return SameUtf16(wa, wa.size(), Utf8ToUtf16(b)).value_or(SameTextAscii(a, b));
}

bool StartsTextLocale(std::string_view text, std::string_view prefix) {
  const std::u16string wt = Utf8ToUtf16(text);
  const std::u16string wp = Utf8ToUtf16(prefix);
  if (wp.size() > wt.size()) return false;
  const auto same = SameUtf16(wt, wp.size(), wp);
  if (same) return *same;
  return text.size() >= prefix.size() && SameTextAscii(text.substr(0, prefix.size()), prefix);
}

}  // namespace platform
