#include "platform/simwin/WinPath.h"

#include <vector>

#include "platform/Text.h"

namespace simwin {

namespace {

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool HasInvalidChar(const std::string& name) {
  for (const char c : name) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 32 || c == '<' || c == '>' || c == ':' || c == '"' || c == '|' || c == '?' || c == '*') return true;
  }
  return false;
}

}  // namespace

std::optional<std::string> NormalizeWindowsPath(const std::string& input, const std::string& cwd, uint32_t& error) {
  std::string path = input;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  if (path.rfind("\\\\?\\", 0) == 0) path.erase(0, 4);
  if (path.empty()) {
    error = kErrPathNotFound;
    return std::nullopt;
  }
  if (path.rfind("\\\\", 0) == 0) {
    error = kErrBadNetPath;
    return std::nullopt;
  }

  char drive = 0;
  std::string rest;
  if (path.size() >= 2 && path[1] == ':' && IsDriveLetter(path[0])) {
    drive = platform::AsciiUpper(path[0]);
    rest = path.substr(2);
    if (rest.empty() || rest[0] != '\\') {
      // Drive-relative: relative to the current folder when it is on that drive.
      if (!cwd.empty() && platform::AsciiUpper(cwd[0]) == drive) {
        rest = cwd.substr(2) + "\\" + rest;
      } else {
        rest = "\\" + rest;
      }
    }
  } else if (path[0] == '\\') {
    if (cwd.size() < 2) {
      error = kErrPathNotFound;
      return std::nullopt;
    }
    drive = platform::AsciiUpper(cwd[0]);
    rest = path;
  } else {
    if (cwd.size() < 2) {
      error = kErrPathNotFound;
      return std::nullopt;
    }
    drive = platform::AsciiUpper(cwd[0]);
    rest = cwd.substr(2) + "\\" + path;
  }

  std::vector<std::string> parts;
  size_t pos = 0;
  while (pos <= rest.size()) {
    size_t next = rest.find('\\', pos);
    if (next == std::string::npos) next = rest.size();
    std::string part = rest.substr(pos, next - pos);
    pos = next + 1;
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
      continue;
    }
    while (!part.empty() && (part.back() == '.' || part.back() == ' ')) part.pop_back();
    if (part.empty()) continue;
    if (HasInvalidChar(part)) {
      error = kErrInvalidName;
      return std::nullopt;
    }
    parts.push_back(part);
  }
  std::string out(1, drive);
  out += ":\\";
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) out += '\\';
    out += parts[i];
  }
  return out;
}

namespace {

bool Match(const char* name, const char* mask) {
  // Iterative wildcard match with backtracking on the last '*'.
  const char* starMask = nullptr;
  const char* starName = nullptr;
  while (*name != '\0') {
    if (*mask == '*') {
      starMask = ++mask;
      starName = name;
    } else if (*mask == '?' || (*mask != '\0' && platform::AsciiUpper(*mask) == platform::AsciiUpper(*name))) {
      ++mask;
      ++name;
    } else if (starMask != nullptr) {
      mask = starMask;
      name = ++starName;
    } else {
      return false;
    }
  }
  while (*mask == '*') ++mask;
  return *mask == '\0';
}

}  // namespace

bool MatchesMask(const std::string& name, const std::string& mask) {
  if (mask == "*" || mask == "*.*") return true;
  if (!mask.empty() && mask.back() == '.') {
    // "name." style masks match names without an extension.
    if (name.find('.') != std::string::npos) return false;
    return Match(name.c_str(), mask.substr(0, mask.size() - 1).c_str());
  }
  return Match(name.c_str(), mask.c_str());
}

bool IsSameOrBelow(const std::string& path, const std::string& prefix) {
  std::string p = prefix;
  while (!p.empty() && p.back() == '\\') p.pop_back();
  if (path.size() < p.size()) return false;
  if (!platform::SameTextAscii(std::string_view(path).substr(0, p.size()), p)) return false;
  return path.size() == p.size() || path[p.size()] == '\\';
}

}  // namespace simwin
