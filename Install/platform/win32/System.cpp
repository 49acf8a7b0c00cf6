// System information: version, error texts, version resources, processes.
#include "platform/System.h"

#include <cwchar>
#include <vector>

#include "platform/Text.h"
#include "platform/win32/SystemLibrary.h"
#include "platform/win32/Win32Util.h"

namespace platform {

using win32::Narrow;
using win32::WideName;

namespace {

// A toolhelp snapshot handle, closed on scope exit.
class Snapshot {
 public:
  explicit Snapshot(HANDLE h) : h_(h) {}
  ~Snapshot() {
    if (valid()) CloseHandle(h_);
  }
  Snapshot(const Snapshot&) = delete;
  Snapshot& operator=(const Snapshot&) = delete;
  HANDLE get() const { return h_; }
  bool valid() const { return h_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE h_;
};

std::vector<std::string> ModulePathsOf(DWORD pid) {
  std::vector<std::string> paths;
  // Toolhelp treats process id 0 as "this process"; the idle process has no modules.
  if (pid == 0) return paths;
  HANDLE handle = INVALID_HANDLE_VALUE;
  // The snapshot fails with ERROR_BAD_LENGTH while the process is loading or
  // unloading modules; trying again is the documented remedy.
  for (int attempt = 0; attempt < 5; ++attempt) {
    handle = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE | TH32CS_SNAPMODULE32, pid);
    if (handle != INVALID_HANDLE_VALUE || GetLastError() != ERROR_BAD_LENGTH) break;
  }
  Snapshot snapshot(handle);
  if (!snapshot.valid()) return paths;
  MODULEENTRY32W module = {};
  module.dwSize = sizeof(module);
  for (BOOL more = Module32FirstW(snapshot.get(), &module); more; more = Module32NextW(snapshot.get(), &module)) {
    paths.push_back(Narrow(module.szExePath));
  }
  return paths;
}

}  // namespace

WindowsVersionInfo WindowsVersion() {
  // GetVersionExW reports the version the program is manifested for, not the
  // real one; RtlGetVersion does not have that limitation.
  using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
  OSVERSIONINFOW info = {};
  info.dwOSVersionInfoSize = sizeof(info);
  bool ok = false;
  if (HMODULE ntdll = GetModuleHandleW(L"ntdll.dll")) {
    FARPROC proc = GetProcAddress(ntdll, "RtlGetVersion");
    if (proc != nullptr) {
      // Cast through void(*)(), the generic function pointer type.
      auto rtlGetVersion = reinterpret_cast<RtlGetVersionFn>(reinterpret_cast<void (*)()>(proc));
      ok = rtlGetVersion(&info) == 0;
    }
  }
  if (!ok) ok = GetVersionExW(&info) != FALSE;
  WindowsVersionInfo version;
  if (!ok) return version;
  version.major = info.dwMajorVersion;
  version.minor = info.dwMinorVersion;
  version.build = info.dwBuildNumber;
  version.servicePack = Narrow(std::wstring_view(info.szCSDVersion, wcsnlen(info.szCSDVersion, 128)));
  return version;
}

std::string SystemErrorText(uint32_t code) {
  // Let the system size the buffer: some messages are longer than any fixed one.
  wchar_t* text = nullptr;
  const DWORD length =
      FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, code, LANG_USER_DEFAULT, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string message;
  if (length != 0 && text != nullptr) message = Narrow(std::wstring_view(text, length));
  LocalFree(text);
  return message;
}

std::optional<FileVersionNumbers> FileVersionOf(const std::string& path) {
  const auto wpath = WideName(path);
  if (!wpath) return std::nullopt;
  // version.dll is not a known DLL: loaded from the system folder.
  const auto getSize =
      win32::SystemFunction<decltype(&GetFileVersionInfoSizeW)>(L"version.dll", "GetFileVersionInfoSizeW");
  const auto getInfo = win32::SystemFunction<decltype(&GetFileVersionInfoW)>(L"version.dll", "GetFileVersionInfoW");
  const auto queryValue = win32::SystemFunction<decltype(&VerQueryValueW)>(L"version.dll", "VerQueryValueW");
  if (getSize == nullptr || getInfo == nullptr || queryValue == nullptr) {
    win32::FailWithLastError();
    return std::nullopt;
  }
  DWORD ignored = 0;
  const DWORD size = getSize(wpath->c_str(), &ignored);
  if (size == 0) {
    win32::FailWithLastError();
    return std::nullopt;
  }
  std::vector<BYTE> data(size);
  if (!getInfo(wpath->c_str(), 0, size, data.data())) {
    win32::FailWithLastError();
    return std::nullopt;
  }
  void* block = nullptr;
  UINT blockSize = 0;
  if (!queryValue(data.data(), L"\\", &block, &blockSize) || blockSize < sizeof(VS_FIXEDFILEINFO)) {
    return std::nullopt;
  }
  const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(block);
  if (fixed->dwSignature != 0xFEEF04BD) return std::nullopt;
  FileVersionNumbers version;
  version.major = HIWORD(fixed->dwFileVersionMS);
  version.minor = LOWORD(fixed->dwFileVersionMS);
  version.release = HIWORD(fixed->dwFileVersionLS);
  version.build = LOWORD(fixed->dwFileVersionLS);
  return version;
}

std::vector<ProcessInfo> ProcessSnapshot(std::string_view modulesOf) {
  std::vector<ProcessInfo> processes;
  Snapshot snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot.valid()) {
    win32::FailWithLastError();
    return processes;
  }
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
    ProcessInfo process;
    process.pid = entry.th32ProcessID;
    process.exeName = Narrow(entry.szExeFile);
    if (modulesOf.empty() || SameTextAscii(process.exeName, modulesOf))
      process.modulePaths = ModulePathsOf(entry.th32ProcessID);
    processes.push_back(std::move(process));
  }
  return processes;
}

}  // namespace platform
