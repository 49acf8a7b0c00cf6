// The process environment through the wide-character Windows API.
#include "platform/Environment.h"

#include <vector>

#include "platform/win32/Win32Util.h"

namespace platform {

using win32::Narrow;
using win32::WideName;

namespace {

constexpr size_t kMaxValueLength = 32767;

// Variable names may not be empty or hold '=' (which separates name and value).
std::optional<std::wstring> VariableName(const std::string& name) {
  if (name.empty() || name.find('=') != std::string::npos) {
    win32::FailWith(ERROR_INVALID_PARAMETER);
    return std::nullopt;
  }
  return WideName(name);
}

}  // namespace

std::optional<std::string> GetEnv(const std::string& name) {
  const auto wname = VariableName(name);
  if (!wname) return std::nullopt;
  std::vector<wchar_t> buffer(256);
  for (;;) {
    SetLastError(ERROR_SUCCESS);
    const DWORD n = GetEnvironmentVariableW(wname->c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) {
      // 0 is also the length of a variable that is set but empty.
      if (GetLastError() == ERROR_SUCCESS) return std::string();
      return std::nullopt;
    }
    if (n < buffer.size()) return Narrow(std::wstring_view(buffer.data(), n));
    buffer.resize(n + 1);
  }
}

bool SetEnv(const std::string& name, const std::string& value) {
  const auto wname = VariableName(name);
  const auto wvalue = WideName(value);
  if (!wname || !wvalue) return false;
  // Values are limited to 32767 characters with the NUL; some systems accept a
  // longer one and then return it cut short.
  if (wvalue->size() >= kMaxValueLength) return win32::FailWith(ERROR_INVALID_PARAMETER);
  return SetEnvironmentVariableW(wname->c_str(), wvalue->c_str()) || win32::FailWithLastError();
}

bool UnsetEnv(const std::string& name) {
  const auto wname = VariableName(name);
  return wname && (SetEnvironmentVariableW(wname->c_str(), nullptr) || win32::FailWithLastError());
}

std::vector<std::pair<std::string, std::string>> EnvironmentBlock() {
  std::vector<std::pair<std::string, std::string>> variables;
  wchar_t* block = GetEnvironmentStringsW();
  if (block == nullptr) return variables;
  for (const wchar_t* entry = block; *entry != L'\0';) {
    const std::wstring_view text(entry);
    entry += text.size() + 1;
    if (text.front() == L'=') continue;  // per-drive current folders such as "=C:=C:\x"
    const size_t eq = text.find(L'=');
    if (eq == std::wstring_view::npos) continue;
    variables.emplace_back(Narrow(text.substr(0, eq)), Narrow(text.substr(eq + 1)));
  }
  FreeEnvironmentStringsW(block);
  return variables;
}

std::string GetCurrentDir() {
  std::vector<wchar_t> buffer(MAX_PATH + 1);
  for (;;) {
    const DWORD n = GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
    if (n == 0) {
      win32::FailWithLastError();
      return {};
    }
    if (n < buffer.size()) return Narrow(std::wstring_view(buffer.data(), n));
    buffer.resize(n + 1);
  }
}

bool SetCurrentDir(const std::string& path) {
  const auto wpath = WideName(path);
  return wpath && (SetCurrentDirectoryW(wpath->c_str()) || win32::FailWithLastError());
}

std::string ExecutablePath() {
  std::vector<wchar_t> buffer(MAX_PATH + 1);
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) {
      win32::FailWithLastError();
      return {};
    }
    // A result filling the whole buffer may have been cut short.
    if (n < buffer.size()) return Narrow(std::wstring_view(buffer.data(), n));
    if (buffer.size() >= 65536) return {};
    buffer.resize(buffer.size() * 2);
  }
}

std::vector<std::string> CommandLineArguments() {
  std::vector<std::string> arguments;
  int count = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &count);
  if (argv == nullptr) return arguments;
  for (int i = 1; i < count; ++i) arguments.push_back(Narrow(argv[i]));
  LocalFree(argv);
  return arguments;
}

void SetProcessArguments(int, char**) {}

}  // namespace platform
