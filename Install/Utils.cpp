#include "Utils.h"

#include "platform/FileSystem.h"
#include "platform/Text.h"

namespace {

bool IsDelimiter(char c) { return c == '\\' || c == '/'; }

size_t NamePosition(const std::string& path) {
  const size_t pos = path.find_last_of("\\/:");
  return pos == std::string::npos ? 0 : pos + 1;
}

}  // namespace

std::string IncludeTrailingPathDelimiter(const std::string& path) {
  if (!path.empty() && path.back() == '\\') return path;
  return path + '\\';
}

std::string ExcludeTrailingPathDelimiter(const std::string& path) {
  if (!path.empty() && path.back() == '\\') return path.substr(0, path.size() - 1);
  return path;
}

std::string ExtractFileDir(const std::string& path) {
  size_t pos = NamePosition(path);
  // Drop the backslash before the name unless it follows a drive ("C:\") or
  // another backslash ("\\server").
  if (pos > 1 && IsDelimiter(path[pos - 1]) && !IsDelimiter(path[pos - 2]) && path[pos - 2] != ':') --pos;
  return path.substr(0, pos);
}

std::string ExtractFileName(const std::string& path) { return path.substr(NamePosition(path)); }

std::string ExtractFileExt(const std::string& path) {
  const size_t start = NamePosition(path);
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot < start) return {};
  return path.substr(dot);
}

std::string ChangeFileExt(const std::string& path, const std::string& ext) {
  return path.substr(0, path.size() - ExtractFileExt(path).size()) + ext;
}

bool SafeForceDirectories(const std::string& dir) {
  if (dir.empty()) return true;
  const std::string path = ExcludeTrailingPathDelimiter(dir);
  if (platform::DirectoryExists(path)) return true;
  const std::string parent = ExtractFileDir(path);
  // Stop at a drive root or where the path has no parent left to create. A
  // parent that cannot be made leaves its own error code, the real cause.
  if (!parent.empty() && parent != path && !platform::DirectoryExists(parent) && !SafeForceDirectories(parent)) {
    return false;
  }
  if (platform::MakeDirectory(path)) return true;
  // Another process may have made it meanwhile; the check must not replace
  // the creation's error code.
  const uint32_t error = platform::LastErrorCode();
  if (platform::DirectoryExists(path)) return true;
  platform::SetLastErrorCode(error);
  return false;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (name.empty()) return ExcludeTrailingPathDelimiter(folder);
  return IncludeTrailingPathDelimiter(folder) + name;
}

std::string CollapseBackslashes(const std::string& path) {
  std::string s = path;
  // Scan from the second-to-last character down to the second, removing the
  // first backslash of each pair; the first character is never removed, so a
  // leading "\\" survives.
  for (size_t i = s.size() >= 2 ? s.size() - 2 : 0; i >= 1 && i + 1 < s.size(); --i) {
    if (s[i] == '\\' && s[i + 1] == '\\') s.erase(i, 1);
  }
  return s;
}

bool StrStartsWith(const std::string& text, const std::string& prefix, bool ignoreCase) {
  if (prefix.size() > text.size()) return false;
  const std::string_view head(text.data(), prefix.size());
  return ignoreCase ? platform::SameTextAscii(head, prefix) : head == prefix;
}

bool StrEndsWith(const std::string& text, const std::string& suffix, bool ignoreCase) {
  if (suffix.size() > text.size()) return false;
  const std::string_view tail(text.data() + text.size() - suffix.size(), suffix.size());
  return ignoreCase ? platform::SameTextAscii(tail, suffix) : tail == suffix;
}

std::string Trim(const std::string& text) {
  size_t b = 0;
  size_t e = text.size();
  while (b < e && static_cast<unsigned char>(text[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(text[e - 1]) <= ' ') --e;
  return text.substr(b, e - b);
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find_first_of("\r\n", at);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(at, end - at));
    if (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n') ++end;
    at = end + 1;
  }
  return lines;
}

int IndexOfText(const std::string& text, const std::vector<std::string>& items) {
  for (size_t i = 0; i < items.size(); ++i) {
    if (platform::SameTextAscii(text, items[i])) return static_cast<int>(i);
  }
  return -1;
}

bool IsFolderEmpty(const std::string& folder) {
  std::vector<platform::DirEntry> entries;
  if (!platform::FindEntries(IncludeTrailingPathDelimiter(folder) + "*", entries)) return true;
  for (const platform::DirEntry& entry : entries) {
    if (entry.name != "." && entry.name != "..") return false;
  }
  return true;
}

void FindFiles(const std::string& folder, const std::string& mask, bool recursive,
               const std::vector<std::string>& extensions, std::vector<FoundFile>& list) {
  const std::string dir = folder.empty() ? std::string(".") : folder;
  std::vector<platform::DirEntry> entries;
  if (!platform::FindEntries(dir + "\\" + mask, entries)) return;
  for (const auto& entry : entries) {
    if (!entry.isDirectory) {
      if (!extensions.empty() && IndexOfText(ExtractFileExt(entry.name), extensions) < 0) continue;
      list.push_back({dir + "\\" + entry.name, static_cast<uint32_t>(entry.size & 0xFFFFFFFFu)});
    } else if (recursive && entry.name != "." && entry.name != "..") {
      FindFiles(dir + "\\" + entry.name, mask, recursive, extensions, list);
    }
  }
}

std::string Format(const std::string& format, const std::vector<std::string>& args) {
  std::string out;
  size_t next = 0;
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%' || i + 1 >= format.size()) {
      out += format[i];
      continue;
    }
    if (format[i + 1] == '%') {
      out += '%';
      ++i;
      continue;
    }
    if (format[i + 1] == 's' && next < args.size()) {
      out += args[next++];
      ++i;
      continue;
    }
    size_t j = i + 1;
    size_t index = 0;
    while (j < format.size() && format[j] >= '0' && format[j] <= '9') index = index * 10 + (format[j++] - '0');
    if (j > i + 1 && j + 1 < format.size() && format[j] == ':' && format[j + 1] == 's' && index < args.size()) {
      out += args[index];
      next = index + 1;
      i = j + 1;
      continue;
    }
    out += format[i];
  }
  return out;
}

std::string ExtractRelativePath(const std::string& baseDir, const std::string& path) {
  auto split = [](const std::string& text) {
    std::vector<std::string> parts;
    std::string part;
    for (const char c : text) {
      if (c == '\\') {
        parts.push_back(part);
        part.clear();
      } else {
        part += c;
      }
    }
    parts.push_back(part);
    return parts;
  };
  const auto base = split(ExtractFileDir(IncludeTrailingPathDelimiter(baseDir)));
  const auto target = split(path);
  if (base.empty() || target.empty() || !platform::SameTextAscii(base[0], target[0])) return path;
  size_t common = 0;
  while (common < base.size() && common < target.size() && platform::SameTextAscii(base[common], target[common]))
    ++common;
  std::string out;
  for (size_t i = common; i < base.size(); ++i) out += "..\\";
  for (size_t i = common; i < target.size(); ++i) {
    out += target[i];
    if (i + 1 < target.size()) out += '\\';
  }
  return out;
}
