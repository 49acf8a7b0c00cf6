// The message box, and console input/output for the help screen. The program is
// a GUI program, so it has a console only when it inherits handles or makes one.
#include "platform/Dialogs.h"

#include <algorithm>

#include "platform/win32/Win32Util.h"

namespace platform {

using win32::Narrow;
using win32::Wide;

namespace {

HANDLE consoleOut = nullptr;
HANDLE consoleIn = nullptr;

bool Usable(HANDLE handle) {
  return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

bool IsConsole(HANDLE handle) {
  DWORD mode = 0;
  return GetConsoleMode(handle, &mode) != FALSE;
}

HANDLE OpenConsoleDevice(const wchar_t* name) {
  return CreateFileW(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                     nullptr);
}

HANDLE OutputHandle() { return consoleOut != nullptr ? consoleOut : GetStdHandle(STD_OUTPUT_HANDLE); }
HANDLE InputHandle() { return consoleIn != nullptr ? consoleIn : GetStdHandle(STD_INPUT_HANDLE); }

}  // namespace

void AttachConsole() {
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
  if (!Usable(out) || !Usable(in)) {
    AllocConsole();  // fails harmlessly when the process has a console already
    if (!Usable(out)) {
      out = OpenConsoleDevice(L"CONOUT$");
      if (Usable(out)) SetStdHandle(STD_OUTPUT_HANDLE, out);
    }
    if (!Usable(in)) {
      in = OpenConsoleDevice(L"CONIN$");
      if (Usable(in)) SetStdHandle(STD_INPUT_HANDLE, in);
    }
  }
  consoleOut = Usable(out) ? out : nullptr;
  consoleIn = Usable(in) ? in : nullptr;
}

void ConsoleWrite(const std::string& text) {
  HANDLE out = OutputHandle();
  if (out == nullptr || out == INVALID_HANDLE_VALUE || text.empty()) return;
  if (IsConsole(out)) {
    // In pieces: very large console writes fail on older Windows.
    const std::wstring wide = Wide(text);
    size_t done = 0;
    while (done < wide.size()) {
      size_t count = std::min<size_t>(wide.size() - done, 8192);
      const wchar_t last = wide[done + count - 1];
      if (done + count < wide.size() && last >= 0xD800 && last <= 0xDBFF) --count;  // keep surrogate pairs whole
      DWORD written = 0;
      if (!WriteConsoleW(out, wide.data() + done, static_cast<DWORD>(count), &written, nullptr) || written == 0) return;
      done += written;
    }
    return;
  }
  size_t done = 0;
  while (done < text.size()) {
    DWORD written = 0;
    const DWORD count = static_cast<DWORD>(std::min<size_t>(text.size() - done, 1 << 20));
    if (!WriteFile(out, text.data() + done, count, &written, nullptr) || written == 0) return;
    done += written;
  }
}

std::string ConsoleReadLine() {
  HANDLE in = InputHandle();
  if (in == nullptr || in == INVALID_HANDLE_VALUE) return {};
  std::string line;
  if (IsConsole(in)) {
    std::wstring wide;
    wchar_t buffer[256];
    DWORD got = 0;
    while (ReadConsoleW(in, buffer, 256, &got, nullptr) && got > 0) {
      wide.append(buffer, got);
      if (wide.back() == L'\n') break;
    }
    line = Narrow(wide);
  } else {
    // One byte at a time, so nothing past the line is taken from a shared pipe or file.
    char c = 0;
    DWORD got = 0;
    while (ReadFile(in, &c, 1, &got, nullptr) && got == 1) {
      line.push_back(c);
      if (c == '\n') break;
    }
  }
  if (!line.empty() && line.back() == '\n') line.pop_back();
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

}  // namespace platform
