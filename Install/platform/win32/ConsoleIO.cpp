// Standard handles as raw bytes through ReadFile and WriteFile.
#include "platform/ConsoleIO.h"

#include <algorithm>

#include "platform/win32/Win32Util.h"

namespace platform {

namespace {

bool WriteAll(DWORD which, std::string_view bytes) {
  HANDLE h = GetStdHandle(which);
  if (h == nullptr || h == INVALID_HANDLE_VALUE) return false;
  while (!bytes.empty()) {
    DWORD written = 0;
    const DWORD count = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1 << 20));
    if (!WriteFile(h, bytes.data(), count, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

}  // namespace

bool WriteStdOut(std::string_view bytes) { return WriteAll(STD_OUTPUT_HANDLE, bytes); }

bool WriteStdErr(std::string_view bytes) { return WriteAll(STD_ERROR_HANDLE, bytes); }

std::string ReadStdInToEnd() {
  std::string data;
  HANDLE h = GetStdHandle(STD_INPUT_HANDLE);
  if (h == nullptr || h == INVALID_HANDLE_VALUE) return data;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0) data.append(buffer, got);
  return data;
}

std::string OwnCommandLine() { return win32::Narrow(GetCommandLineW()); }

}  // namespace platform
