// Files and folders through the wide-character Windows API.
#include "platform/FileSystem.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "platform/Text.h"
#include "platform/win32/Win32Util.h"

namespace platform {

using win32::FailWith;
using win32::FailWithLastError;
using win32::Narrow;
using win32::Wide;
using win32::WideName;

namespace {

thread_local uint32_t lastErrorCode = 0;

// Calls `query(buffer, capacity)` for APIs that return the length written, or the
// size needed when the buffer is too small; "" (with the error recorded) on failure.
template <typename Query>
std::string QueryString(Query query) {
  std::vector<wchar_t> buffer(MAX_PATH + 1);
  for (;;) {
    const DWORD n = query(buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) {
      FailWithLastError();
      return {};
    }
    if (n < buffer.size()) return Narrow(std::wstring_view(buffer.data(), n));
    buffer.resize(n + 1);
  }
}

DWORD AttributesOf(const std::string& path) {
  const auto wpath = WideName(path);
  if (!wpath) return INVALID_FILE_ATTRIBUTES;
  const DWORD attributes = GetFileAttributesW(wpath->c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) FailWithLastError();
  return attributes;
}

class Handle {
 public:
  explicit Handle(HANDLE h) : h_(h) {}
  ~Handle() { Close(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return h_; }
  bool valid() const { return h_ != INVALID_HANDLE_VALUE; }
  bool Close() {
    const bool ok = !valid() || CloseHandle(h_);
    h_ = INVALID_HANDLE_VALUE;
    return ok;
  }

 private:
  HANDLE h_;
};

bool WriteAll(HANDLE file, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 20));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr)) return FailWithLastError();
    done += written;
  }
  return true;
}

std::string WideToCodePage(const std::wstring& text, UINT codePage) {
  if (text.empty()) return {};
  // UTF-8 as the code page accepts neither a default character nor these flags.
  const bool utf8 = (codePage == CP_ACP ? GetACP() : codePage) == CP_UTF8;
  const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
  const char* defaultChar = utf8 ? nullptr : "?";
  const int length = static_cast<int>(text.size());
  const int size = WideCharToMultiByte(codePage, flags, text.data(), length, nullptr, 0, defaultChar, nullptr);
  if (size <= 0) return {};
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(codePage, flags, text.data(), length, out.data(), size, defaultChar, nullptr);
  return out;
}

std::string CodePageToUtf8(std::string_view text, UINT codePage) {
  if (text.empty()) return {};
  const int length = static_cast<int>(text.size());
  const int size = MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
  if (size <= 0) return {};
  std::wstring wide(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), length, wide.data(), size);
  return Narrow(wide);
}

}  // namespace

uint32_t LastErrorCode() { return lastErrorCode; }

void SetLastErrorCode(uint32_t code) { lastErrorCode = code; }

bool FileExists(const std::string& path) {
  const DWORD attributes = AttributesOf(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool DirectoryExists(const std::string& path) {
  const DWORD attributes = AttributesOf(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool FindEntries(const std::string& pattern, std::vector<DirEntry>& entries) {
  entries.clear();
  const auto wpattern = WideName(pattern);
  if (!wpattern) return false;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(wpattern->c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return FailWithLastError();
  do {
    DirEntry entry;
    entry.name = Narrow(data.cFileName);
    entry.isDirectory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    entry.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    entry.attributes = data.dwFileAttributes;
    entries.push_back(std::move(entry));
  } while (FindNextFileW(find, &data));
  const DWORD error = GetLastError();
  FindClose(find);
  return error == ERROR_NO_MORE_FILES || FailWith(error);
}

bool MakeDirectory(const std::string& path) {
  const auto wpath = WideName(path);
  return wpath && (CreateDirectoryW(wpath->c_str(), nullptr) || FailWithLastError());
}

bool RemoveEmptyDirectory(const std::string& path) {
  const auto wpath = WideName(path);
  return wpath && (RemoveDirectoryW(wpath->c_str()) || FailWithLastError());
}

bool CopyFileTo(const std::string& from, const std::string& to, bool failIfExists) {
  const auto wfrom = WideName(from);
  const auto wto = WideName(to);
  return wfrom && wto && (CopyFileW(wfrom->c_str(), wto->c_str(), failIfExists) || FailWithLastError());
}

bool RenamePath(const std::string& from, const std::string& to) {
  const auto wfrom = WideName(from);
  const auto wto = WideName(to);
  return wfrom && wto && (MoveFileExW(wfrom->c_str(), wto->c_str(), 0) || FailWithLastError());
}

bool RemoveFile(const std::string& path) {
  const auto wpath = WideName(path);
  return wpath && (DeleteFileW(wpath->c_str()) || FailWithLastError());
}

std::string ShortPathOf(const std::string& path) {
  const auto wpath = WideName(path);
  if (!wpath) return {};
  return QueryString([&](wchar_t* buffer, DWORD size) { return GetShortPathNameW(wpath->c_str(), buffer, size); });
}

std::string SystemDirectory() {
  return QueryString([](wchar_t* buffer, DWORD size) { return GetSystemDirectoryW(buffer, size); });
}

std::string TempDirectory() {
  return QueryString([](wchar_t* buffer, DWORD size) { return GetTempPathW(size, buffer); });
}

std::string FullPathOf(const std::string& path) {
  const auto wpath = WideName(path);
  if (!wpath) return {};
  return QueryString(
      [&](wchar_t* buffer, DWORD size) { return GetFullPathNameW(wpath->c_str(), size, buffer, nullptr); });
}

std::optional<std::string> ReadFileBytes(const std::string& path) {
  const auto wpath = WideName(path);
  if (!wpath) return std::nullopt;
  Handle file(CreateFileW(wpath->c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) {
    FailWithLastError();
    return std::nullopt;
  }
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.get(), &size)) {
    FailWithLastError();
    return std::nullopt;
  }
  if (static_cast<uint64_t>(size.QuadPart) > static_cast<uint64_t>(std::numeric_limits<int32_t>::max())) {
    FailWith(ERROR_FILE_TOO_LARGE);
    return std::nullopt;
  }
  std::string bytes;
  bytes.reserve(static_cast<size_t>(size.QuadPart));
  // Read to the end rather than to the size seen above, in case the file changes.
  std::vector<char> chunk(1 << 16);
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file.get(), chunk.data(), static_cast<DWORD>(chunk.size()), &got, nullptr)) {
      FailWithLastError();
      return std::nullopt;
    }
    if (got == 0) break;
    bytes.append(chunk.data(), got);
  }
  return bytes;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
  const auto wpath = WideName(path);
  if (!wpath) return false;
  // Windows refuses to replace a read-only file, but not every implementation of
  // the rename does; check first so the file is never overwritten.
  const DWORD attributes = GetFileAttributesW(wpath->c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    return FailWith(ERROR_ACCESS_DENIED);
  }
  // A fresh temporary beside the target: "<path>.tmp~", or "<path>.tmp~N" when taken.
  std::wstring temp;
  HANDLE created = INVALID_HANDLE_VALUE;
  for (int n = 0; n < 100 && created == INVALID_HANDLE_VALUE; ++n) {
    temp = *wpath + L".tmp~" + (n == 0 ? std::wstring() : std::to_wstring(n));
    created = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (created == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) return FailWithLastError();
  }
  if (created == INVALID_HANDLE_VALUE) return FailWithLastError();

  Handle file(created);
  bool ok = WriteAll(file.get(), bytes) && (FlushFileBuffers(file.get()) || FailWithLastError());
  if (!file.Close() && ok) ok = FailWithLastError();
  ok = ok && (MoveFileExW(temp.c_str(), wpath->c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) ||
              FailWithLastError());
  if (!ok) DeleteFileW(temp.c_str());  // the error of the failing step stays recorded
  return ok;
}

std::string Utf8ToAnsi(const std::string& text) { return WideToCodePage(Wide(text), CP_ACP); }

std::string AnsiToUtf8(const std::string& text) { return CodePageToUtf8(text, CP_ACP); }

std::string OemToUtf8(const std::string& text) { return CodePageToUtf8(text, CP_OEMCP); }

std::optional<std::string> DecodeCodePage(uint32_t codePage, const std::string& text) {
  if (!IsValidCodePage(codePage)) {
    FailWith(ERROR_INVALID_PARAMETER);
    return std::nullopt;
  }
  return CodePageToUtf8(text, codePage);
}

}  // namespace platform
