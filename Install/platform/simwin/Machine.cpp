#include "platform/simwin/Machine.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/simwin/WinPath.h"

namespace simwin {

namespace fs = std::filesystem;

namespace {

const char* const kFolderKeys[] = {
    "program-files", "common-documents", "documents",    "roaming-app-data", "start-menu-programs",
    "system",        "windows",          "temp",         "profile",          "desktop",
    "system-x86",    "common-app-data",  "common-files", "common-files-x86", "local-app-data",
    "startup",       "common-startup"};

struct FaultName {
  FaultKind kind;
  const char* name;
};
const FaultName kFaultNames[] = {{FaultKind::RegistryOpen, "registry-deny-open"},
                                 {FaultKind::RegistryWrite, "registry-deny-write"},
                                 {FaultKind::FileCreate, "file-deny-create"},
                                 {FaultKind::FileDelete, "file-deny-delete"},
                                 {FaultKind::FileCopy, "file-deny-copy"},
                                 {FaultKind::ProcessPipe, "process-deny-pipe"},
                                 {FaultKind::ProcessResume, "process-deny-resume"},
                                 {FaultKind::ProcessWait, "process-deny-wait"},
                                 {FaultKind::ProcessTerminate, "process-deny-terminate"}};

// English texts of the system error codes the program can meet.
const std::map<uint32_t, std::string>& BuiltInErrors() {
  static const std::map<uint32_t, std::string> table = {
      {0, "The operation completed successfully."},
      {1, "Incorrect function."},
      {2, "The system cannot find the file specified."},
      {3, "The system cannot find the path specified."},
      {5, "Access is denied."},
      {6, "The handle is invalid."},
      {8, "Not enough memory resources are available to process this command."},
      {15, "The system cannot find the drive specified."},
      {17, "The system cannot move the file to a different disk drive."},
      {18, "There are no more files."},
      {31, "A device attached to the system is not functioning."},
      {32, "The process cannot access the file because it is being used by another process."},
      {53, "The network path was not found."},
      {80, "The file exists."},
      {87, "The parameter is incorrect."},
      {112, "There is not enough space on the disk."},
      {123, "The filename, directory name, or volume label syntax is incorrect."},
      {145, "The directory is not empty."},
      {183, "Cannot create a file when that file already exists."},
      {193, "%1 is not a valid Win32 application."},
      {267, "The directory name is invalid."},
      {1450, "Insufficient system resources exist to complete the requested service."},
  };
  return table;
}

std::string Trim(const std::string& s) {
  size_t b = 0;
  size_t e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t' || s[b] == '\r')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r')) --e;
  return s.substr(b, e - b);
}

bool ParseUint(const std::string& s, uint32_t& out) {
  if (s.empty() || s.size() > 10) return false;
  uint64_t v = 0;
  for (const char c : s) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + static_cast<uint64_t>(c - '0');
  }
  if (v > 0xFFFFFFFFull) return false;
  out = static_cast<uint32_t>(v);
  return true;
}

std::string ReadHostFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw MachineError("cannot read " + path + ": " + std::strerror(errno));
  std::ostringstream buffer;
  buffer << in.rdbuf();
  return buffer.str();
}

std::unique_ptr<Machine>& CurrentSlot() {
  static std::unique_ptr<Machine> machine;
  return machine;
}

// The 8.3 form of one name among its siblings: the name itself when it is a
// valid short name, otherwise the first six usable characters, "~N" and the
// first three of the extension, N counting the siblings with the same form.
bool IsShortName(const std::string& name) {
  const size_t dot = name.find('.');
  const std::string base = name.substr(0, dot);
  const std::string ext = dot == std::string::npos ? "" : name.substr(dot + 1);
  if (base.empty() || base.size() > 8 || ext.size() > 3 || ext.find('.') != std::string::npos) return false;
  for (const char c : name) {
    if (c == ' ' || c == '+' || c == ',' || c == ';' || c == '=' || c == '[' || c == ']' ||
        static_cast<unsigned char>(c) >= 0x80) {
      return false;
    }
  }
  return true;
}

std::string ShortStem(const std::string& name, std::string& ext) {
  const size_t dot = name.rfind('.');
  auto clean = [](const std::string& s) {
    std::string r;
    for (const char c : s) {
      if (c == ' ' || c == '.' || c == '+' || c == ',' || c == ';' || c == '=' || c == '[' || c == ']') continue;
      r.push_back(static_cast<unsigned char>(c) >= 0x80 ? '_' : platform::AsciiUpper(c));
    }
    return r;
  };
  std::string base = clean(dot == std::string::npos || dot == 0 ? name : name.substr(0, dot));
  ext = dot == std::string::npos || dot == 0 ? "" : clean(name.substr(dot + 1)).substr(0, 3);
  return base.substr(0, 6);
}

}  // namespace

std::string ShortNameIn(const std::string& hostDir, const std::string& name) {
  if (IsShortName(name)) return name;
  std::string ext;
  const std::string stem = ShortStem(name, ext);
  std::vector<std::string> same;
  if (DIR* dir = ::opendir(hostDir.c_str())) {
    while (dirent* entry = ::readdir(dir)) {
      const std::string other = entry->d_name;
      if (other == "." || other == ".." || IsShortName(other)) continue;
      std::string otherExt;
      if (ShortStem(other, otherExt) == stem && otherExt == ext) same.push_back(other);
    }
    ::closedir(dir);
  }
  std::sort(same.begin(), same.end(),
            [](const std::string& a, const std::string& b) { return platform::CompareTextAscii(a, b) < 0; });
  const auto it = std::find(same.begin(), same.end(), name);
  const size_t index = it == same.end() ? 1 : static_cast<size_t>(it - same.begin()) + 1;
  std::string out = stem + "~" + std::to_string(index);
  if (!ext.empty()) out += "." + ext;
  return out;
}

// ---- settings ----

MachineSettings MachineSettings::Defaults(const std::string& userName) {
  MachineSettings s;
  s.userName = userName;
  const std::string profile = "C:\\Users\\" + userName;
  s.folders = {{"program-files", "C:\\Program Files (x86)"},
               {"common-documents", "C:\\Users\\Public\\Documents"},
               {"documents", profile + "\\Documents"},
               {"roaming-app-data", profile + "\\AppData\\Roaming"},
               {"start-menu-programs", profile + "\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs"},
               {"system", "C:\\Windows\\system32"},
               {"windows", "C:\\Windows"},
               {"temp", profile + "\\AppData\\Local\\Temp"},
               {"profile", profile},
               {"desktop", profile + "\\Desktop"},
               {"system-x86", "C:\\Windows\\SysWOW64"},
               {"common-app-data", "C:\\ProgramData"},
               {"common-files", "C:\\Program Files (x86)\\Common Files"},
               {"common-files-x86", "C:\\Program Files (x86)\\Common Files"},
               {"local-app-data", profile + "\\AppData\\Local"},
               {"startup", profile + "\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Startup"},
               {"common-startup", "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Startup"}};
  s.environment = {{"ALLUSERSPROFILE", "C:\\ProgramData"},
                   {"APPDATA", profile + "\\AppData\\Roaming"},
                   {"COMPUTERNAME", s.computerName},
                   {"HOMEDRIVE", "C:"},
                   {"HOMEPATH", "\\Users\\" + userName},
                   {"LOCALAPPDATA", profile + "\\AppData\\Local"},
                   {"PATH", "C:\\Windows\\system32;C:\\Windows;C:\\Windows\\System32\\Wbem"},
                   {"ProgramData", "C:\\ProgramData"},
                   {"ProgramFiles", "C:\\Program Files (x86)"},
                   {"ProgramFiles(x86)", "C:\\Program Files (x86)"},
                   {"PUBLIC", "C:\\Users\\Public"},
                   {"SystemDrive", "C:"},
                   {"SystemRoot", "C:\\Windows"},
                   {"TEMP", profile + "\\AppData\\Local\\Temp"},
                   {"TMP", profile + "\\AppData\\Local\\Temp"},
                   {"USERNAME", userName},
                   {"USERPROFILE", profile},
                   {"windir", "C:\\Windows"}};
  return s;
}

MachineSettings MachineSettings::Parse(const std::string& text) {
  MachineSettings s;
  s.folders.clear();
  std::string section;
  std::istringstream in(text);
  std::string raw;
  int lineNo = 0;
  auto fail = [&](const std::string& why) -> void {
    throw MachineError("machine.ini line " + std::to_string(lineNo) + ": " + why);
  };
  while (std::getline(in, raw)) {
    ++lineNo;
    std::string line = Trim(raw);
    if (lineNo == 1 && line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    if (line[0] == '[') {
      if (line.back() != ']') fail("unterminated section name");
      section = line.substr(1, line.size() - 2);
      if (section != "machine" && section != "folders" && section != "environment" && section != "processes" &&
          section != "errors" && section != "faults" && section != "short-names") {
        fail("unknown section [" + section + "]");
      }
      continue;
    }
    const size_t eq = line.find('=');
    if (eq == std::string::npos) fail("expected key=value");
    if (section.empty()) fail("key outside of a section");
    const std::string key = Trim(line.substr(0, eq));
    const std::string value = Trim(line.substr(eq + 1));
    if (key.empty()) fail("empty key");
    auto number = [&](uint32_t& out) {
      if (!ParseUint(value, out)) fail("'" + key + "' needs a number, not '" + value + "'");
    };
    if (section == "machine") {
      if (key == "user-name") {
        s.userName = value;
      } else if (key == "computer-name") {
        s.computerName = value;
      } else if (key == "windows-version") {
        uint32_t parts[3] = {0, 0, 0};
        std::istringstream vs(value);
        std::string piece;
        int n = 0;
        while (std::getline(vs, piece, '.')) {
          if (n >= 3 || !ParseUint(piece, parts[n])) fail("windows-version must be major.minor.build");
          ++n;
        }
        if (n != 3) fail("windows-version must be major.minor.build");
        s.versionMajor = parts[0];
        s.versionMinor = parts[1];
        s.versionBuild = parts[2];
      } else if (key == "service-pack") {
        s.servicePack = value;
      } else if (key == "ansi-code-page") {
        number(s.ansiCodePage);
      } else if (key == "oem-code-page") {
        number(s.oemCodePage);
      } else if (key == "time-separator") {
        s.timeSeparator = value;
      } else if (key == "executable") {
        s.executable = value;
      } else {
        fail("unknown key '" + key + "' in [machine]");
      }
    } else if (section == "folders") {
      bool known = false;
      for (const char* k : kFolderKeys) known = known || key == k;
      if (!known) fail("unknown key '" + key + "' in [folders]");
      s.folders[key] = value;
    } else if (section == "environment") {
      s.environment.emplace_back(key, value);
    } else if (section == "processes") {
      if (key != "process") fail("unknown key '" + key + "' in [processes]");
      std::vector<std::string> paths;
      std::istringstream ps(value);
      std::string piece;
      while (std::getline(ps, piece, '|')) {
        if (!Trim(piece).empty()) paths.push_back(Trim(piece));
      }
      if (paths.empty()) fail("a process needs its executable's path");
      s.processes.push_back(paths);
    } else if (section == "errors") {
      uint32_t code = 0;
      if (!ParseUint(key, code)) fail("error codes are numbers, not '" + key + "'");
      s.errors[code] = value;
    } else if (section == "faults") {
      bool known = false;
      for (const auto& f : kFaultNames) {
        if (key == f.name) {
          s.faults.push_back({f.kind, value});
          known = true;
        }
      }
      if (!known) fail("unknown key '" + key + "' in [faults]");
    } else if (section == "short-names") {
      if (key != "none") fail("unknown key '" + key + "' in [short-names]");
      s.noShortNames.push_back(value);
    }
  }
  return s;
}

std::string MachineSettings::Serialize() const {
  std::ostringstream out;
  out << "[machine]\n"
      << "user-name=" << userName << "\n"
      << "computer-name=" << computerName << "\n"
      << "windows-version=" << versionMajor << "." << versionMinor << "." << versionBuild << "\n"
      << "service-pack=" << servicePack << "\n"
      << "ansi-code-page=" << ansiCodePage << "\n"
      << "oem-code-page=" << oemCodePage << "\n"
      << "time-separator=" << timeSeparator << "\n";
  if (!executable.empty()) out << "executable=" << executable << "\n";
  out << "\n[folders]\n";
  for (const char* k : kFolderKeys) {
    auto it = folders.find(k);
    if (it != folders.end()) out << k << "=" << it->second << "\n";
  }
  out << "\n[environment]\n";
  for (const auto& [name, value] : environment) out << name << "=" << value << "\n";
  out << "\n[processes]\n";
  for (const auto& p : processes) {
    out << "process=";
    for (size_t i = 0; i < p.size(); ++i) out << (i ? "|" : "") << p[i];
    out << "\n";
  }
  out << "\n[errors]\n";
  for (const auto& [code, text] : errors) out << code << "=" << text << "\n";
  out << "\n[faults]\n";
  for (const auto& f : faults) {
    for (const auto& n : kFaultNames) {
      if (n.kind == f.kind) out << n.name << "=" << f.path << "\n";
    }
  }
  if (!noShortNames.empty()) {
    out << "\n[short-names]\n";
    for (const auto& path : noShortNames) out << "none=" << path << "\n";
  }
  return out.str();
}

// ---- host files ----

bool WriteHostFileAtomic(const std::string& hostPath, const std::string& bytes) {
  const std::string temp = hostPath + ".tmp~" + std::to_string(::getpid());
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  size_t done = 0;
  bool ok = true;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      ok = false;
      break;
    }
    done += static_cast<size_t>(n);
  }
  // No fsync: the rename alone means no reader and no crash of a program
  // ever sees a half-written file, which is all a simulated machine needs;
  // flushing to the disk on every registry change would dominate its cost.
  ok = (::close(fd) == 0) && ok;
  if (ok && ::rename(temp.c_str(), hostPath.c_str()) == 0) return true;
  const int saved = errno;
  ::unlink(temp.c_str());
  errno = saved;
  return false;
}

std::string SerializeEnvironment(const std::vector<std::pair<std::string, std::string>>& environment) {
  std::string out;
  auto escaped = [&out](const std::string& text) {
    for (const char c : text) {
      if (c == '%') {
        out += "%25";
      } else if (c == '\n') {
        out += "%0A";
      } else if (c == '\r') {
        out += "%0D";
      } else {
        out.push_back(c);
      }
    }
  };
  for (const auto& [name, value] : environment) {
    escaped(name);
    out.push_back('=');
    escaped(value);
    out.push_back('\n');
  }
  return out;
}

std::vector<std::pair<std::string, std::string>> ParseEnvironment(const std::string& text) {
  std::vector<std::pair<std::string, std::string>> environment;
  auto unescaped = [](const std::string& piece) {
    std::string out;
    for (size_t i = 0; i < piece.size(); ++i) {
      const std::string code = piece.substr(i + 1, 2);
      if (piece[i] == '%' && (code == "25" || code == "0A" || code == "0D")) {
        out.push_back(code == "25" ? '%' : code == "0A" ? '\n' : '\r');
        i += 2;
      } else {
        out.push_back(piece[i]);
      }
    }
    return out;
  };
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    // The first '=' after the first character: names such as "=C:" start with one.
    const size_t eq = line.find('=', 1);
    if (line.empty() || eq == std::string::npos) continue;
    environment.emplace_back(unescaped(line.substr(0, eq)), unescaped(line.substr(eq + 1)));
  }
  return environment;
}

// ---- machine ----

Machine::Machine(std::string root) : root_(std::move(root)) {
  while (root_.size() > 1 && root_.back() == '/') root_.pop_back();
  if (!fs::is_directory(root_)) throw MachineError("the machine folder " + root_ + " does not exist");
  const std::string ini = root_ + "/machine.ini";
  if (!fs::is_regular_file(ini)) {
    throw MachineError(root_ + " is not a simulated machine: it has no machine.ini (create one with 'simwin create')");
  }
  settings_ = MachineSettings::Parse(ReadHostFile(ini));
  environment_ = settings_.environment;
  if (const char* passed = std::getenv("SIMWIN_ENVIRONMENT")) environment_ = ParseEnvironment(passed);
  LoadHiveIfChanged();
  if (!hive_) hive_ = std::make_unique<RegistryHive>();
  if (const char* cwd = std::getenv("SIMWIN_CWD"); cwd != nullptr && *cwd != '\0') {
    uint32_t error = 0;
    if (auto full = NormalizeWindowsPath(cwd, "C:\\", error)) currentDir_ = *full;
  }
}

Machine& Machine::Current() {
  auto& slot = CurrentSlot();
  if (!slot) {
    const char* root = std::getenv("SIMWIN_ROOT");
    if (root == nullptr || *root == '\0') {
      throw MachineError("SIMWIN_ROOT is not set: it must name the folder of a simulated Windows machine");
    }
    slot = std::make_unique<Machine>(root);
  }
  return *slot;
}

std::string Machine::LoadCurrent() {
  try {
    Current();
    return {};
  } catch (const std::exception& e) {
    return e.what();
  }
}

void Machine::Reset() { CurrentSlot().reset(); }

void Machine::Create(const std::string& root, const std::string& userName) {
  std::error_code ec;
  fs::create_directories(root, ec);
  if (ec) throw MachineError("cannot create " + root + ": " + ec.message());
  if (fs::exists(root + "/machine.ini")) throw MachineError(root + " already holds a machine");
  const MachineSettings settings = MachineSettings::Defaults(userName);
  fs::create_directories(root + "/drive_c/$Recycle.Bin", ec);
  if (ec) throw MachineError("cannot create the drive folder: " + ec.message());
  const std::string host = root + "/drive_c/";
  for (const auto& [key, path] : settings.folders) {
    std::string rel = path.substr(3);
    for (char& c : rel) {
      if (c == '\\') c = '/';
    }
    fs::create_directories(host + rel, ec);
    if (ec) throw MachineError("cannot create " + host + rel + ": " + ec.message());
  }
  if (!WriteHostFileAtomic(root + "/registry.reg", RegistryHive().Serialize()) ||
      !WriteHostFileAtomic(root + "/machine.ini", settings.Serialize())) {
    throw MachineError("cannot write the machine's files in " + root + ": " + std::strerror(errno));
  }
}

void Machine::UpdateSettings(const MachineSettings& settings) {
  if (!WriteHostFileAtomic(root_ + "/machine.ini", settings.Serialize())) {
    throw MachineError("cannot write " + root_ + "/machine.ini: " + std::strerror(errno));
  }
  settings_ = settings;
}

void Machine::AddFault(FaultKind kind, const std::string& path) {
  MachineSettings s = settings_;
  s.faults.push_back({kind, path});
  UpdateSettings(s);
}

void Machine::ClearFaults() {
  MachineSettings s = settings_;
  s.faults.clear();
  UpdateSettings(s);
}

bool Machine::IsFaulted(FaultKind kind, const std::string& path) const {
  for (const auto& f : settings_.faults) {
    if (f.kind == kind && IsSameOrBelow(path, f.path)) return true;
  }
  return false;
}

bool Machine::IsFaultedWithin(FaultKind kind, const std::string& path) const {
  for (const auto& f : settings_.faults) {
    if (f.kind == kind && (IsSameOrBelow(path, f.path) || IsSameOrBelow(f.path, path))) return true;
  }
  return false;
}

bool Machine::HasShortName(const std::string& path) const {
  for (const auto& none : settings_.noShortNames) {
    if (IsSameOrBelow(path, none)) return false;
  }
  return true;
}

std::optional<std::string> Machine::FullPath(const std::string& path, uint32_t& error) const {
  return NormalizeWindowsPath(path, currentDir_, error);
}

namespace {

// The entry of the host folder that NTFS would find for `name`: the same name
// in another letter case, or a long name whose 8.3 form `name` is.
std::optional<std::string> FindNameIn(const std::string& folder, const std::string& name) {
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return std::nullopt;
  std::optional<std::string> found;
  while (dirent* entry = ::readdir(dir)) {
    if (platform::SameTextAscii(entry->d_name, name)) {
      found = entry->d_name;
      break;
    }
  }
  ::rewinddir(dir);
  while (!found && name.find('~') != std::string::npos) {
    dirent* entry = ::readdir(dir);
    if (entry == nullptr) break;
    const std::string other = entry->d_name;
    if (other != "." && other != ".." && platform::SameTextAscii(ShortNameIn(folder, other), name)) found = other;
  }
  ::closedir(dir);
  return found;
}

}  // namespace

std::optional<std::string> Machine::HostPath(const std::string& path, uint32_t& error) const {
  const auto full = FullPath(path, error);
  if (!full) return std::nullopt;
  return HostPathOfFull(*full, error);
}

std::optional<std::string> Machine::HostPathOfFull(const std::string& full, uint32_t& error) const {
  std::string host = root_ + "/drive_";
  host += static_cast<char>(full[0] - 'A' + 'a');
  struct stat st {};
  // Most paths name existing files in their own letter case: one look decides.
  std::string direct = host + full.substr(2);
  std::replace(direct.begin(), direct.end(), '\\', '/');
  if (direct.back() == '/') direct.pop_back();
  if (::lstat(direct.c_str(), &st) == 0) return direct;
  // A missing name in a folder that exists as written: only that folder
  // needs a look for the name in another letter case.
  const size_t slash = direct.rfind('/');
  if (slash > host.size() && ::stat(direct.substr(0, slash).c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
    const std::string folder = direct.substr(0, slash);
    const auto other = FindNameIn(folder, direct.substr(slash + 1));
    return other ? folder + "/" + *other : direct;
  }
  if (::stat(host.c_str(), &st) != 0) {
    error = kErrPathNotFound;
    return std::nullopt;
  }
  bool exists = true;  // whether every name so far exists on the host
  size_t pos = 3;
  while (pos < full.size()) {
    size_t next = full.find('\\', pos);
    if (next == std::string::npos) next = full.size();
    const std::string name = full.substr(pos, next - pos);
    pos = next + 1;
    std::string candidate = host + "/" + name;
    if (exists && ::lstat(candidate.c_str(), &st) != 0) {
      const auto other = FindNameIn(host, name);
      if (other) candidate = host + "/" + *other;
      exists = other.has_value();
    }
    host = candidate;
  }
  return host;
}

std::optional<std::string> Machine::WindowsPathOf(const std::string& hostPath) const {
  std::error_code ec;
  std::string canonical = fs::weakly_canonical(hostPath, ec).string();
  std::string rootCanonical = fs::weakly_canonical(root_, ec).string();
  const std::string prefix = rootCanonical + "/drive_";
  if (canonical.rfind(prefix, 0) != 0 || canonical.size() < prefix.size() + 1) return std::nullopt;
  const char drive = canonical[prefix.size()];
  if (drive < 'a' || drive > 'z') return std::nullopt;
  std::string rest = canonical.substr(prefix.size() + 1);
  if (!rest.empty() && rest[0] != '/') return std::nullopt;
  for (char& c : rest) {
    if (c == '/') c = '\\';
  }
  std::string out(1, static_cast<char>(drive - 'a' + 'A'));
  out += ":";
  out += rest.empty() ? "\\" : rest;
  return out;
}

void Machine::LoadHiveIfChanged() {
  const std::string path = root_ + "/registry.reg";
  struct stat st {};
  FileStamp stamp;
  if (::stat(path.c_str(), &st) == 0) {
    stamp.mtimeNs = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    stamp.size = st.st_size;
    stamp.inode = st.st_ino;
  }
  if (hive_ && stamp == hiveStamp_) return;
  if (stamp.size < 0) {
    hive_ = std::make_unique<RegistryHive>();
  } else {
    try {
      hive_ = std::make_unique<RegistryHive>(RegistryHive::Parse(ReadHostFile(path)));
    } catch (const ParseError& e) {
      throw MachineError(root_ + "/" + e.what());
    }
  }
  hiveStamp_ = stamp;
  NoteKeysDeleted();
}

void Machine::NoteKeysDeleted() {
  // One counter for every machine of the process, so a key opened on a
  // machine that was since dropped never matches a new one.
  static uint64_t counter = 0;
  hiveGeneration_ = ++counter;
}

RegistryHive& Machine::Hive() {
  try {
    LoadHiveIfChanged();
  } catch (const MachineError&) {
    // A hive changed behind our back into something unreadable: keep the one we have.
  }
  return *hive_;
}

bool Machine::SaveHive() {
  const std::string path = root_ + "/registry.reg";
  if (!WriteHostFileAtomic(path, hive_->Serialize())) {
    // Forget the unsaved change: the next use reloads what is on disk.
    hiveStamp_ = FileStamp{};
    return false;
  }
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) {
    hiveStamp_.mtimeNs = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    hiveStamp_.size = st.st_size;
    hiveStamp_.inode = st.st_ino;
  }
  return true;
}

void Machine::AppendShellLog(const std::string& line) {
  std::ofstream out(root_ + "/shell.log", std::ios::app | std::ios::binary);
  out << line << "\n";
}

std::string Machine::ErrorText(uint32_t code) const {
  auto it = settings_.errors.find(code);
  if (it != settings_.errors.end()) return it->second + "\r\n";
  auto built = BuiltInErrors().find(code);
  if (built != BuiltInErrors().end()) return built->second + "\r\n";
  return {};
}

}  // namespace simwin
