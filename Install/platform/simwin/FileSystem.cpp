// Files of the simulated machine: Windows paths mapped into the drive folders,
// names matched without regard to case, Windows error codes and semantics.
#include "platform/FileSystem.h"

#include <dirent.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/simwin/Machine.h"
#include "platform/simwin/OperationFaults.h"
#include "platform/simwin/WinPath.h"

namespace platform {

namespace fs = std::filesystem;
using simwin::FaultKind;
using simwin::Machine;

namespace {

thread_local uint32_t lastError = 0;

uint32_t ErrnoToWindows(int err) {
  switch (err) {
    case ENOENT:
      return simwin::kErrFileNotFound;
    case ENOTDIR:
      return simwin::kErrPathNotFound;
    case EEXIST:
      return simwin::kErrAlreadyExists;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
      return simwin::kErrAccessDenied;
    case ENOTEMPTY:
      return simwin::kErrDirNotEmpty;
    case EXDEV:
      return simwin::kErrNotSameDevice;
    case ENOSPC:
      return simwin::kErrDiskFull;
    default:
      return simwin::kErrGenFailure;
  }
}

bool Fail(uint32_t code) {
  lastError = code;
  return false;
}

struct Resolved {
  std::string full;  // normal Windows path
  std::string host;  // host path
};

std::optional<Resolved> Resolve(const std::string& path) {
  uint32_t error = 0;
  const Machine& machine = Machine::Current();
  auto full = machine.FullPath(path, error);
  if (!full) {
    lastError = error;
    return std::nullopt;
  }
  auto host = machine.HostPathOfFull(*full, error);
  if (!host) {
    lastError = error;
    return std::nullopt;
  }
  return Resolved{*full, *host};
}

bool HostIsDir(const std::string& host) {
  struct stat st {};
  return ::stat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool HostIsFile(const std::string& host) {
  struct stat st {};
  return ::stat(host.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool ParentExists(const std::string& host) { return HostIsDir(fs::path(host).parent_path().string()); }

bool Faulted(FaultKind kind, const std::string& full) { return Machine::Current().IsFaulted(kind, full); }

// Counts a file operation of a whole run (OperationFaults.h); true, with the
// error set, when it is the one to fail.
bool CountedFails(const char* operation, const std::string& target) {
  const uint32_t code = simwin::CountOperation(simwin::OperationClass::File, operation, target);
  if (code == 0) return false;
  lastError = code;
  return true;
}

bool IsDriveRoot(const std::string& full) { return full.size() == 3; }

// NTFS lists names in the order of their upper-case forms.
bool NtfsLess(const DirEntry& a, const DirEntry& b) {
  const int c = CompareTextAscii(a.name, b.name);
  return c != 0 ? c < 0 : a.name < b.name;
}

std::string Convert(const std::string& text, const std::string& from, const std::string& to) {
  if (from == to) return text;
  iconv_t cd = ::iconv_open(to.c_str(), from.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) return text;
  std::string out;
  char buffer[4096];
  char* in = const_cast<char*>(text.data());
  size_t inLeft = text.size();
  while (inLeft > 0) {
    char* outPtr = buffer;
    size_t outLeft = sizeof(buffer);
    const size_t r = ::iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    out.append(buffer, static_cast<size_t>(outPtr - buffer));
    if (r == static_cast<size_t>(-1)) {
      if (errno == E2BIG) continue;
      // A character the target cannot hold (or a broken one): write '?' and
      // skip the whole source character.
      out.push_back('?');
      size_t skip = 1;
      if (from == "UTF-8") {
        while (skip < inLeft && (static_cast<unsigned char>(in[skip]) & 0xC0) == 0x80) ++skip;
      }
      in += skip;
      inLeft -= skip;
    }
  }
  ::iconv_close(cd);
  return out;
}

std::string CodePageName(uint32_t codePage) {
  if (codePage == 65001) return "UTF-8";
  if (codePage == 20127) return "ASCII";
  if (codePage >= 28591 && codePage <= 28605) return "ISO-8859-" + std::to_string(codePage - 28590);
  return "CP" + std::to_string(codePage);
}

}  // namespace

uint32_t LastErrorCode() { return lastError; }
void SetLastErrorCode(uint32_t code) { lastError = code; }

bool FileExists(const std::string& path) {
  auto r = Resolve(path);
  return r && HostIsFile(r->host);
}

bool DirectoryExists(const std::string& path) {
  auto r = Resolve(path);
  return r && HostIsDir(r->host);
}

bool FindEntries(const std::string& pattern, std::vector<DirEntry>& entries) {
  entries.clear();
  std::string normal = pattern;
  std::replace(normal.begin(), normal.end(), '/', '\\');
  const size_t slash = normal.rfind('\\');
  std::string folder = slash == std::string::npos ? std::string(".") : normal.substr(0, slash + 1);
  if (slash == std::string::npos && normal.size() >= 2 && normal[1] == ':') {
    folder = normal.substr(0, 2);
    normal = normal.substr(2);
  }
  const std::string mask = slash == std::string::npos ? normal : normal.substr(slash + 1);
  auto dir = Resolve(folder);
  if (!dir) return false;
  if (!HostIsDir(dir->host)) return Fail(simwin::kErrPathNotFound);
  if (mask.empty()) return Fail(simwin::kErrFileNotFound);

  std::vector<DirEntry> found;
  if (!IsDriveRoot(dir->full)) {
    for (const char* dots : {".", ".."}) {
      if (simwin::MatchesMask(dots, mask)) found.push_back({dots, true, 0, kAttrDirectory});
    }
  }
  std::vector<DirEntry> names;
  DIR* d = ::opendir(dir->host.c_str());
  if (d == nullptr) return Fail(ErrnoToWindows(errno));
  while (dirent* entry = ::readdir(d)) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    if (!simwin::MatchesMask(name, mask)) continue;
    struct stat st {};
    if (::stat((dir->host + "/" + name).c_str(), &st) != 0) continue;
    DirEntry e;
    e.name = name;
    e.isDirectory = S_ISDIR(st.st_mode);
    e.size = e.isDirectory ? 0 : static_cast<uint64_t>(st.st_size);
    e.attributes = e.isDirectory ? kAttrDirectory : kAttrArchive;
    if (IsDriveRoot(dir->full) && SameTextAscii(name, "$Recycle.Bin")) e.attributes |= kAttrHidden | kAttrSystem;
    names.push_back(e);
  }
  ::closedir(d);
  std::sort(names.begin(), names.end(), NtfsLess);
  found.insert(found.end(), names.begin(), names.end());
  if (found.empty()) return Fail(simwin::kErrFileNotFound);
  entries = std::move(found);
  return true;
}

bool MakeDirectory(const std::string& path) {
  auto r = Resolve(path);
  if (!r) return false;
  if (Faulted(FaultKind::FileCreate, r->full)) return Fail(simwin::kErrAccessDenied);
  if (CountedFails("make-folder", r->full)) return false;
  if (fs::exists(r->host)) return Fail(simwin::kErrAlreadyExists);
  if (!ParentExists(r->host)) return Fail(simwin::kErrPathNotFound);
  if (::mkdir(r->host.c_str(), 0755) != 0) return Fail(ErrnoToWindows(errno));
  return true;
}

bool RemoveEmptyDirectory(const std::string& path) {
  auto r = Resolve(path);
  if (!r) return false;
  if (!fs::exists(r->host)) return Fail(simwin::kErrFileNotFound);
  if (!HostIsDir(r->host)) return Fail(simwin::kErrDirectory);
  if (Faulted(FaultKind::FileDelete, r->full)) return Fail(simwin::kErrAccessDenied);
  if (CountedFails("remove-folder", r->full)) return false;
  if (::rmdir(r->host.c_str()) != 0) return Fail(ErrnoToWindows(errno));
  return true;
}

bool CopyFileTo(const std::string& from, const std::string& to, bool failIfExists) {
  auto src = Resolve(from);
  if (!src) return false;
  auto dst = Resolve(to);
  if (!dst) return false;
  if (!fs::exists(src->host)) return Fail(simwin::kErrFileNotFound);
  if (CountedFails("copy", src->full + " -> " + dst->full)) return false;
  if (HostIsDir(src->host) || HostIsDir(dst->host)) return Fail(simwin::kErrAccessDenied);
  if (Faulted(FaultKind::FileCopy, src->full) || Faulted(FaultKind::FileCopy, dst->full) ||
      Faulted(FaultKind::FileCreate, dst->full)) {
    return Fail(simwin::kErrAccessDenied);
  }
  if (fs::exists(dst->host)) {
    if (failIfExists) return Fail(simwin::kErrFileExists);
    if (Faulted(FaultKind::FileDelete, dst->full)) return Fail(simwin::kErrAccessDenied);
  }
  if (!ParentExists(dst->host)) return Fail(simwin::kErrPathNotFound);
  std::ifstream in(src->host, std::ios::binary);
  if (!in) return Fail(ErrnoToWindows(errno));
  std::ostringstream data;
  data << in.rdbuf();
  if (!simwin::WriteHostFileAtomic(dst->host, data.str())) return Fail(ErrnoToWindows(errno));
  // A copied program stays runnable, as on Windows.
  std::error_code ec;
  fs::permissions(dst->host, fs::status(src->host).permissions(), ec);
  return true;
}

bool RenamePath(const std::string& from, const std::string& to) {
  auto src = Resolve(from);
  if (!src) return false;
  auto dst = Resolve(to);
  if (!dst) return false;
  if (!fs::exists(src->host)) return Fail(simwin::kErrFileNotFound);
  if (Faulted(FaultKind::FileDelete, src->full) || Faulted(FaultKind::FileCreate, dst->full)) {
    return Fail(simwin::kErrAccessDenied);
  }
  if (CountedFails("move", src->full + " -> " + dst->full)) return false;
  // A different letter case of the same name is a rename of that one entry.
  const bool sameEntry = src->host != dst->host && SameTextAscii(src->full, dst->full);
  if (fs::exists(dst->host) && !sameEntry) return Fail(simwin::kErrAlreadyExists);
  if (!ParentExists(dst->host)) return Fail(simwin::kErrPathNotFound);
  if (simwin::IsSameOrBelow(dst->full, src->full) && !SameTextAscii(dst->full, src->full)) {
    return Fail(simwin::kErrAccessDenied);
  }
  const bool otherDrive = platform::AsciiUpper(src->full[0]) != platform::AsciiUpper(dst->full[0]);
  if (otherDrive && HostIsDir(src->host)) return Fail(simwin::kErrNotSameDevice);
  if (::rename(src->host.c_str(), dst->host.c_str()) == 0) return true;
  if (errno != EXDEV) return Fail(ErrnoToWindows(errno));
  std::error_code ec;
  fs::copy_file(src->host, dst->host, ec);
  if (ec) return Fail(ErrnoToWindows(ec.value()));
  fs::remove(src->host, ec);
  return true;
}

bool RemoveFile(const std::string& path) {
  auto r = Resolve(path);
  if (!r) return false;
  if (!fs::exists(r->host)) return Fail(simwin::kErrFileNotFound);
  if (HostIsDir(r->host)) return Fail(simwin::kErrAccessDenied);
  if (Faulted(FaultKind::FileDelete, r->full)) return Fail(simwin::kErrAccessDenied);
  if (CountedFails("delete", r->full)) return false;
  if (::unlink(r->host.c_str()) != 0) return Fail(ErrnoToWindows(errno));
  return true;
}

std::string ShortPathOf(const std::string& path) {
  auto r = Resolve(path);
  if (!r) return {};
  if (!fs::exists(r->host)) {
    Fail(simwin::kErrFileNotFound);
    return {};
  }
  const std::string& root = Machine::Current().Root();
  std::string host = root + "/drive_" + static_cast<char>(r->full[0] - 'A' + 'a');
  std::string out = r->full.substr(0, 3);
  std::string longPath = out;
  // Walk the resolved host path name by name below the drive folder; a name
  // without a short form stays as it is, as GetShortPathName leaves it.
  const std::string rest = r->host.size() > host.size() ? r->host.substr(host.size() + 1) : "";
  size_t pos = 0;
  bool first = true;
  while (pos < rest.size()) {
    size_t next = rest.find('/', pos);
    if (next == std::string::npos) next = rest.size();
    const std::string name = rest.substr(pos, next - pos);
    if (!first) {
      out += '\\';
      longPath += '\\';
    }
    longPath += name;
    out += Machine::Current().HasShortName(longPath) ? simwin::ShortNameIn(host, name) : name;
    host += "/" + name;
    first = false;
    pos = next + 1;
  }
  return out;
}

std::string SystemDirectory() {
  const auto& folders = Machine::Current().Settings().folders;
  auto it = folders.find("system");
  return it == folders.end() ? std::string("C:\\Windows\\system32") : it->second;
}

std::string TempDirectory() {
  const auto& folders = Machine::Current().Settings().folders;
  auto it = folders.find("temp");
  const std::string temp = it == folders.end() ? std::string("C:\\Windows\\Temp") : it->second;
  return temp.back() == '\\' ? temp : temp + "\\";
}

std::string FullPathOf(const std::string& path) {
  uint32_t error = 0;
  auto full = Machine::Current().FullPath(path, error);
  if (!full) {
    lastError = error;
    return {};
  }
  return *full;
}

std::optional<std::string> ReadFileBytes(const std::string& path) {
  auto r = Resolve(path);
  if (!r) return std::nullopt;
  if (!fs::exists(r->host)) {
    Fail(simwin::kErrFileNotFound);
    return std::nullopt;
  }
  if (HostIsDir(r->host)) {
    Fail(simwin::kErrAccessDenied);
    return std::nullopt;
  }
  if (CountedFails("read", r->full)) return std::nullopt;
  std::ifstream in(r->host, std::ios::binary);
  if (!in) {
    Fail(ErrnoToWindows(errno));
    return std::nullopt;
  }
  std::ostringstream data;
  data << in.rdbuf();
  return data.str();
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
  auto r = Resolve(path);
  if (!r) return false;
  if (Faulted(FaultKind::FileCreate, r->full)) return Fail(simwin::kErrAccessDenied);
  if (CountedFails("write", r->full)) return false;
  if (HostIsDir(r->host)) return Fail(simwin::kErrAccessDenied);
  if (!ParentExists(r->host)) return Fail(simwin::kErrPathNotFound);
  if (!simwin::WriteHostFileAtomic(r->host, bytes)) return Fail(ErrnoToWindows(errno));
  return true;
}

std::string Utf8ToAnsi(const std::string& text) {
  return Convert(text, "UTF-8", CodePageName(Machine::Current().Settings().ansiCodePage));
}

std::string AnsiToUtf8(const std::string& text) {
  return Convert(text, CodePageName(Machine::Current().Settings().ansiCodePage), "UTF-8");
}

std::string OemToUtf8(const std::string& text) {
  return Convert(text, CodePageName(Machine::Current().Settings().oemCodePage), "UTF-8");
}

std::optional<std::string> DecodeCodePage(uint32_t codePage, const std::string& text) {
  const std::string name = CodePageName(codePage);
  iconv_t cd = ::iconv_open("UTF-8", name.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    Fail(simwin::kErrInvalidParameter);
    return std::nullopt;
  }
  ::iconv_close(cd);
  return Convert(text, name, "UTF-8");
}

}  // namespace platform
