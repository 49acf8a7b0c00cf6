#include "platform/win32/Win32Util.h"

#include "platform/FileSystem.h"
#include "platform/Text.h"

namespace platform::win32 {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "the Windows API uses UTF-16 wchar_t");

std::wstring Wide(std::string_view text) {
  const std::u16string u = Utf8ToUtf16(text);
  return std::wstring(u.begin(), u.end());
}

std::string Narrow(std::wstring_view text) {
  return Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()));
}

std::optional<std::wstring> WideName(std::string_view text) {
  if (text.find('\0') != std::string_view::npos) {
    FailWith(ERROR_INVALID_NAME);
    return std::nullopt;
  }
  return Wide(text);
}

bool FailWithLastError() { return FailWith(GetLastError()); }

bool FailWith(DWORD code) {
  SetLastErrorCode(code);
  return false;
}

}  // namespace platform::win32
