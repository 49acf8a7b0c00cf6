// Helpers shared by the win32 backend: UTF-8 <-> UTF-16 at the API boundary and
// recording of the per-thread error code. Also includes the Windows headers the
// backend uses, in the order they need (windows.h first).
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
// clang-format off
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <tlhelp32.h>
// clang-format on

#include <optional>
#include <string>
#include <string_view>

namespace platform::win32 {

std::wstring Wide(std::string_view text);
std::string Narrow(std::wstring_view text);

// A name or path for the system. The system stops reading at the first NUL, so
// text holding one would silently name something else: nullopt in that case.
std::optional<std::wstring> WideName(std::string_view text);

// Records GetLastError() as the platform's last error code; returns false.
bool FailWithLastError();
// Records `code` as the platform's last error code; returns false.
bool FailWith(DWORD code);

}  // namespace platform::win32
