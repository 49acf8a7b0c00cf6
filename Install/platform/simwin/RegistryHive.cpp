#include "platform/simwin/RegistryHive.h"

#include <cstdio>
#include <utility>

namespace simwin {
namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view kHeader4 = "REGEDIT4";
constexpr std::string_view kLocalMachine = "HKEY_LOCAL_MACHINE";
constexpr std::string_view kCurrentUser = "HKEY_CURRENT_USER";
// A hex line is wrapped once it reaches this many characters, as regedit does
// (21 bytes after `"Path"=hex(2):`, 25 bytes on each continuation line).
constexpr size_t kHexWrapColumn = 77;

bool IsValidUtf8(std::string_view text) { return platform::Utf16ToUtf8(platform::Utf8ToUtf16(text)) == text; }

// Reasons a name can't be stored; empty if it is fine. Key names can't hold
// '\' (the path separator). Neither kind may hold a line break, so every name
// survives a trip through the file.
std::string KeyNameProblem(std::string_view name) {
  if (name.empty()) return "empty key name";
  for (char c : name) {
    if (c == '\\') return "key name contains '\\'";
    if (static_cast<unsigned char>(c) < 0x20) return "key name contains a control character";
  }
  if (!IsValidUtf8(name)) return "key name is not valid UTF-8";
  return {};
}

std::string ValueNameProblem(std::string_view name) {
  for (char c : name) {
    if (c == '\0' || c == '\r' || c == '\n') return "value name contains NUL or a line break";
  }
  if (!IsValidUtf8(name)) return "value name is not valid UTF-8";
  return {};
}

std::vector<std::string_view> SplitPath(std::string_view path) {
  std::vector<std::string_view> parts;
  if (path.empty()) return parts;
  size_t start = 0;
  for (;;) {
    const size_t slash = path.find('\\', start);
    if (slash == std::string_view::npos) {
      parts.push_back(path.substr(start));
      return parts;
    }
    parts.push_back(path.substr(start, slash - start));
    start = slash + 1;
  }
}

std::string PathProblem(const std::vector<std::string_view>& parts) {
  if (parts.size() > kMaxKeyDepth) return "key path is nested too deeply";
  for (std::string_view part : parts) {
    std::string problem = KeyNameProblem(part);
    if (!problem.empty()) return problem;
  }
  return {};
}

// A short, printable excerpt of `text` for error messages.
std::string Excerpt(std::string_view text) {
  std::string out;
  for (char c : text.substr(0, 24)) {
    const auto u = static_cast<unsigned char>(c);
    out.push_back(u < 0x20 || u >= 0x7F ? '?' : c);
  }
  if (text.size() > 24) out += "...";
  return out;
}

// ---- Reading ----

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && platform::SameTextAscii(s.substr(0, prefix.size()), prefix);
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Parses 1 to `maxDigits` hex digits making up all of `s`.
bool ParseHexNumber(std::string_view s, size_t maxDigits, uint32_t& value) {
  if (s.empty() || s.size() > maxDigits) return false;
  value = 0;
  for (char c : s) {
    const int d = HexDigit(c);
    if (d < 0) return false;
    value = (value << 4) | static_cast<uint32_t>(d);
  }
  return true;
}

// Converts the file to UTF-8: strips a UTF-8 BOM, or decodes UTF-16LE after
// an FF FE BOM. Broken UTF-16 is an error rather than silently replaced.
std::string FileTextToUtf8(std::string_view bytes) {
  if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") return std::string(bytes.substr(3));
  if (bytes.size() < 2 || bytes.substr(0, 2) != "\xFF\xFE") return std::string(bytes);
  std::u16string text;
  text.reserve(bytes.size() / 2);
  for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
    text.push_back(
        static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8)));
  }
  int line = 1;
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c == u'\n') ++line;
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      throw ParseError(line, "invalid UTF-16 (unpaired surrogate)");
    }
  }
  if (bytes.size() % 2 != 0) throw ParseError(line, "UTF-16 text ends in half a character");
  return platform::Utf16ToUtf8(text);
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    const size_t next = end == std::string_view::npos ? text.size() : end + 1;
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    start = next;
  }
  return lines;
}

// Reads a quoted string starting at s[pos] == '"', undoing the \\ and \"
// escapes. On success `pos` is just past the closing quote.
void ReadQuoted(std::string_view s, size_t& pos, std::string& out, int line) {
  out.clear();
  for (size_t i = pos + 1; i < s.size(); ++i) {
    const char c = s[i];
    if (c == '"') {
      pos = i + 1;
      return;
    }
    if (c == '\\') {
      if (i + 1 >= s.size()) break;
      const char e = s[++i];
      if (e != '\\' && e != '"')
        throw ParseError(line, std::string("unknown escape sequence '\\") + Excerpt(std::string_view(&e, 1)) + "'");
      out.push_back(e);
    } else {
      out.push_back(c);
    }
  }
  throw ParseError(line, "unterminated string");
}

void ParseHexBytes(std::string_view list, int line, std::vector<uint8_t>& out) {
  if (list.empty()) return;
  size_t start = 0;
  for (;;) {
    const size_t comma = list.find(',', start);
    const std::string_view token =
        Trim(list.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
    uint32_t byte = 0;
    if (!ParseHexNumber(token, 2, byte)) {
      throw ParseError(line, token.empty() ? "missing hex byte" : "bad hex byte '" + Excerpt(token) + "'");
    }
    out.push_back(static_cast<uint8_t>(byte));
    if (comma == std::string_view::npos) return;
    start = comma + 1;
  }
}

class Parser {
 public:
  Parser(RegistryHive& hive, std::string_view text) : hive_(hive), lines_(SplitLines(text)) {}

  void Run() {
    bool headerSeen = false;
    for (index_ = 0; index_ < lines_.size(); ++index_) {
      const std::string_view line = Trim(lines_[index_]);
      if (line.empty()) continue;
      if (!headerSeen) {
        if (line != kHeader && line != kHeader4) {
          throw ParseError(LineNumber(), "expected \"" + std::string(kHeader) + "\" as the first line");
        }
        headerSeen = true;
        continue;
      }
      if (line.front() == ';') continue;
      if (!IsValidUtf8(line)) throw ParseError(LineNumber(), "invalid UTF-8");
      if (line.front() == '[') {
        KeyLine(line);
      } else if (line.front() == '"' || line.front() == '@') {
        ValueLine(line);
      } else {
        throw ParseError(LineNumber(), "unrecognised line '" + Excerpt(line) + "'");
      }
    }
    if (!headerSeen) throw ParseError(1, "empty file (expected \"" + std::string(kHeader) + "\")");
  }

 private:
  int LineNumber() const { return static_cast<int>(index_ + 1); }

  void KeyLine(std::string_view line) {
    if (line.back() != ']' || line.size() < 2) throw ParseError(LineNumber(), "key line without closing ']'");
    std::string_view path = line.substr(1, line.size() - 2);
    const bool remove = !path.empty() && path.front() == '-';
    if (remove) path.remove_prefix(1);
    const size_t slash = path.find('\\');
    const std::string_view rootName = path.substr(0, slash);
    RegKeyNode* root = nullptr;
    if (platform::SameTextAscii(rootName, kLocalMachine)) {
      root = &hive_.LocalMachine();
    } else if (platform::SameTextAscii(rootName, kCurrentUser)) {
      root = &hive_.CurrentUser();
    } else {
      throw ParseError(LineNumber(), "unknown root key '" + Excerpt(rootName) + "'");
    }
    std::vector<std::string_view> parts;
    if (slash != std::string_view::npos) {
      const std::string_view rest = path.substr(slash + 1);
      parts = SplitPath(rest);
      if (parts.empty()) parts.push_back(rest);  // "ROOT\" names an empty key
      const std::string problem = PathProblem(parts);
      if (!problem.empty()) throw ParseError(LineNumber(), problem);
      path = rest;
    } else {
      path = {};
    }
    if (remove) {
      if (parts.empty()) throw ParseError(LineNumber(), "a root key can't be deleted");
      hive_.DeleteKeyTree(*root, path);
      current_ = nullptr;
    } else {
      current_ = &hive_.CreateKey(*root, path);
    }
  }

  void ValueLine(std::string_view line) {
    std::string name;
    size_t pos = 1;
    if (line.front() == '"') {
      pos = 0;
      ReadQuoted(line, pos, name, LineNumber());
    }
    if (pos >= line.size() || line[pos] != '=') throw ParseError(LineNumber(), "missing '=' after the value name");
    if (current_ == nullptr) throw ParseError(LineNumber(), "value line outside a key");
    const std::string problem = ValueNameProblem(name);
    if (!problem.empty()) throw ParseError(LineNumber(), problem);

    const std::string_view data = line.substr(pos + 1);
    if (data == "-") {
      current_->DeleteValue(name);
    } else if (!data.empty() && data.front() == '"') {
      std::string text;
      size_t end = 0;
      ReadQuoted(data, end, text, LineNumber());
      if (end != data.size()) throw ParseError(LineNumber(), "unexpected text after the string");
      current_->SetValue(name, kRegSz, EncodeString(text));
    } else if (StartsWithNoCase(data, "dword:")) {
      uint32_t value = 0;
      if (!ParseHexNumber(data.substr(6), 8, value)) throw ParseError(LineNumber(), "dword needs 1 to 8 hex digits");
      current_->SetValue(name, kRegDword, EncodeDword(value));
    } else if (StartsWithNoCase(data, "hex:")) {
      current_->SetValue(name, kRegBinary, HexList(data.substr(4)));
    } else if (StartsWithNoCase(data, "hex(")) {
      const size_t close = data.find(')');
      uint32_t type = 0;
      if (close == std::string_view::npos || !ParseHexNumber(data.substr(4, close - 4), 8, type)) {
        throw ParseError(LineNumber(), "bad value type in hex(...)");
      }
      if (close + 1 >= data.size() || data[close + 1] != ':')
        throw ParseError(LineNumber(), "missing ':' after hex(...)");
      current_->SetValue(name, type, HexList(data.substr(close + 2)));
    } else {
      throw ParseError(LineNumber(), "unrecognised value data '" + Excerpt(data) + "'");
    }
  }

  // Reads a comma-separated byte list that may continue on following lines
  // when a line ends with "\" (regedit writes ",\" and indents the rest).
  std::vector<uint8_t> HexList(std::string_view first) {
    std::vector<uint8_t> bytes;
    std::string_view segment = first;
    for (;;) {
      segment = Trim(segment);
      const bool continues = !segment.empty() && segment.back() == '\\';
      if (continues) {
        segment = Trim(segment.substr(0, segment.size() - 1));
        if (!segment.empty()) {
          if (segment.back() != ',') throw ParseError(LineNumber(), "expected ',' before the line continuation");
          segment.remove_suffix(1);
        }
      }
      ParseHexBytes(segment, LineNumber(), bytes);
      if (!continues) return bytes;
      if (index_ + 1 >= lines_.size()) throw ParseError(LineNumber(), "hex data continues past the end of the file");
      ++index_;
      segment = lines_[index_];
    }
  }

  RegistryHive& hive_;
  std::vector<std::string_view> lines_;
  size_t index_ = 0;
  RegKeyNode* current_ = nullptr;
};

// ---- Writing ----

void AppendEscaped(std::string& out, std::string_view text) {
  for (char c : text) {
    if (c == '\\' || c == '"') out.push_back('\\');
    out.push_back(c);
  }
}

// True if `data` is a string the quoted form reproduces byte for byte:
// even length, one NUL at the very end, no line breaks, valid UTF-16.
bool AsQuotableText(const std::vector<uint8_t>& data, std::string& utf8) {
  if (data.size() < 2 || data.size() % 2 != 0) return false;
  std::u16string text;
  for (size_t i = 0; i < data.size(); i += 2) {
    text.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
  }
  if (text.back() != 0) return false;
  text.pop_back();
  for (char16_t c : text) {
    if (c == 0 || c == u'\r' || c == u'\n') return false;
  }
  utf8 = platform::Utf16ToUtf8(text);
  return platform::Utf8ToUtf16(utf8) == text;
}

void AppendValueLine(std::string& out, const RegValue& value) {
  const size_t lineStart = out.size();
  if (value.name.empty()) {
    out += '@';
  } else {
    out += '"';
    AppendEscaped(out, value.name);
    out += '"';
  }
  out += '=';

  std::string text;
  if (value.type == kRegSz && AsQuotableText(value.data, text)) {
    out += '"';
    AppendEscaped(out, text);
    out += "\"\r\n";
    return;
  }
  if (value.type == kRegDword && value.data.size() == 4) {
    char buf[16];
    const uint32_t v = static_cast<uint32_t>(value.data[0]) | (static_cast<uint32_t>(value.data[1]) << 8) |
                       (static_cast<uint32_t>(value.data[2]) << 16) | (static_cast<uint32_t>(value.data[3]) << 24);
    std::snprintf(buf, sizeof buf, "dword:%08lx", static_cast<unsigned long>(v));
    out += buf;
    out += "\r\n";
    return;
  }
  if (value.type == kRegBinary) {
    out += "hex:";
  } else {
    char buf[24];
    std::snprintf(buf, sizeof buf, "hex(%lx):", static_cast<unsigned long>(value.type));
    out += buf;
  }
  static constexpr char kDigits[] = "0123456789abcdef";
  size_t lineLength = out.size() - lineStart;
  for (size_t i = 0; i < value.data.size(); ++i) {
    out += kDigits[value.data[i] >> 4];
    out += kDigits[value.data[i] & 0xF];
    if (i + 1 == value.data.size()) break;
    out += ',';
    lineLength += 3;
    if (lineLength >= kHexWrapColumn) {
      out += "\\\r\n  ";
      lineLength = 2;
    }
  }
  out += "\r\n";
}

// `path` is the key's full path; it grows by each sub-key's name and is
// given back as it came. A key's text is formatted again only after one of
// its values changed, so saving after each change stays cheap.
void AppendTree(std::string& out, std::string& path, const RegKeyNode& key, bool isRoot) {
  if (!isRoot || !key.values.empty()) {
    if (!key.textValid) {
      key.text = RegistryHive::FormatKey(path, key);
      key.textValid = true;
    }
    out += key.text;
    out += "\r\n";
  }
  const size_t length = path.size();
  for (const auto& entry : key.subkeys) {
    path += '\\';
    path += entry.second->name;
    AppendTree(out, path, *entry.second, false);
    path.resize(length);
  }
}

}  // namespace

// ---- RegKeyNode ----

RegValue* RegKeyNode::FindValue(std::string_view valueName) {
  for (RegValue& v : values) {
    if (platform::SameTextAscii(v.name, valueName)) return &v;
  }
  return nullptr;
}

const RegValue* RegKeyNode::FindValue(std::string_view valueName) const {
  return const_cast<RegKeyNode*>(this)->FindValue(valueName);
}

void RegKeyNode::SetValue(std::string_view valueName, uint32_t type, std::vector<uint8_t> data) {
  const std::string problem = ValueNameProblem(valueName);
  if (!problem.empty()) throw std::invalid_argument(problem);
  if (RegValue* existing = FindValue(valueName)) {
    existing->type = type;
    existing->data = std::move(data);
    textValid = false;
    return;
  }
  values.push_back(RegValue{std::string(valueName), type, std::move(data)});
  textValid = false;
}

bool RegKeyNode::DeleteValue(std::string_view valueName) {
  for (auto it = values.begin(); it != values.end(); ++it) {
    if (platform::SameTextAscii(it->name, valueName)) {
      values.erase(it);
      textValid = false;
      return true;
    }
  }
  return false;
}

RegKeyNode* RegKeyNode::FindSubKey(std::string_view keyName) {
  const auto it = subkeys.find(keyName);
  return it == subkeys.end() ? nullptr : it->second.get();
}

const RegKeyNode* RegKeyNode::FindSubKey(std::string_view keyName) const {
  const auto it = subkeys.find(keyName);
  return it == subkeys.end() ? nullptr : it->second.get();
}

RegKeyNode& RegKeyNode::CreateSubKey(std::string_view keyName) {
  if (RegKeyNode* existing = FindSubKey(keyName)) return *existing;
  const std::string problem = KeyNameProblem(keyName);
  if (!problem.empty()) throw std::invalid_argument(problem);
  auto node = std::make_unique<RegKeyNode>(std::string(keyName));
  RegKeyNode& result = *node;
  subkeys.emplace(std::string(keyName), std::move(node));
  return result;
}

// ---- ParseError ----

ParseError::ParseError(int line, const std::string& msg)
    : std::runtime_error("registry.reg line " + std::to_string(line) + ": " + msg), line_(line) {}

// ---- RegistryHive ----

RegistryHive::RegistryHive() : localMachine_(std::string(kLocalMachine)), currentUser_(std::string(kCurrentUser)) {}

RegKeyNode* RegistryHive::Root(std::string_view rootName) {
  if (platform::SameTextAscii(rootName, kLocalMachine) || platform::SameTextAscii(rootName, "HKLM")) {
    return &localMachine_;
  }
  if (platform::SameTextAscii(rootName, kCurrentUser) || platform::SameTextAscii(rootName, "HKCU")) {
    return &currentUser_;
  }
  return nullptr;
}

const RegKeyNode* RegistryHive::Root(std::string_view rootName) const {
  return const_cast<RegistryHive*>(this)->Root(rootName);
}

RegKeyNode* RegistryHive::FindKey(RegKeyNode& root, std::string_view path) {
  RegKeyNode* key = &root;
  for (std::string_view part : SplitPath(path)) {
    key = key->FindSubKey(part);
    if (key == nullptr) return nullptr;
  }
  return key;
}

const RegKeyNode* RegistryHive::FindKey(const RegKeyNode& root, std::string_view path) const {
  return const_cast<RegistryHive*>(this)->FindKey(const_cast<RegKeyNode&>(root), path);
}

RegKeyNode& RegistryHive::CreateKey(RegKeyNode& root, std::string_view path) {
  const std::vector<std::string_view> parts = SplitPath(path);
  const std::string problem = PathProblem(parts);
  if (!problem.empty()) throw std::invalid_argument(problem + ": " + std::string(path));
  RegKeyNode* key = &root;
  for (std::string_view part : parts) key = &key->CreateSubKey(part);
  return *key;
}

bool RegistryHive::DeleteKeyTree(RegKeyNode& root, std::string_view path) {
  const size_t slash = path.rfind('\\');
  const std::string_view parentPath = slash == std::string_view::npos ? std::string_view() : path.substr(0, slash);
  const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  if (name.empty()) return false;
  if (slash != std::string_view::npos && parentPath.empty()) return false;  // "\name" is not a path
  RegKeyNode* parent = FindKey(root, parentPath);
  if (parent == nullptr) return false;
  const auto it = parent->subkeys.find(name);
  if (it == parent->subkeys.end()) return false;
  parent->subkeys.erase(it);
  return true;
}

RegistryHive RegistryHive::Parse(std::string_view fileBytes) {
  const std::string text = FileTextToUtf8(fileBytes);
  RegistryHive hive;
  Parser(hive, text).Run();
  return hive;
}

void RegistryHive::Import(std::string_view fileBytes) {
  // Check the whole file first, so a bad line leaves this hive untouched.
  Parse(fileBytes);
  Parser(*this, FileTextToUtf8(fileBytes)).Run();
}

std::string RegistryHive::Serialize() const {
  std::string out(kHeader);
  out.reserve(lastSize_);
  out += "\r\n\r\n";
  std::string path = localMachine_.name;
  AppendTree(out, path, localMachine_, true);
  path = currentUser_.name;
  AppendTree(out, path, currentUser_, true);
  lastSize_ = out.size();
  return out;
}

std::string RegistryHive::FormatKey(const std::string& fullPath, const RegKeyNode& key) {
  std::string out = "[" + fullPath + "]\r\n";
  for (const RegValue& value : key.values) AppendValueLine(out, value);
  return out;
}

// ---- Conversions ----

std::vector<uint8_t> EncodeString(std::string_view utf8) {
  const std::u16string text = platform::Utf8ToUtf16(utf8);
  std::vector<uint8_t> data;
  data.reserve(text.size() * 2 + 2);
  for (char16_t c : text) {
    data.push_back(static_cast<uint8_t>(c & 0xFF));
    data.push_back(static_cast<uint8_t>(c >> 8));
  }
  data.push_back(0);
  data.push_back(0);
  return data;
}

std::string DecodeString(const std::vector<uint8_t>& data) {
  std::u16string text;
  for (size_t i = 0; i + 1 < data.size(); i += 2) {
    const auto c = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    if (c == 0) break;
    text.push_back(c);
  }
  return platform::Utf16ToUtf8(text);
}

std::vector<uint8_t> EncodeDword(uint32_t v) {
  return {static_cast<uint8_t>(v & 0xFF), static_cast<uint8_t>((v >> 8) & 0xFF), static_cast<uint8_t>((v >> 16) & 0xFF),
          static_cast<uint8_t>((v >> 24) & 0xFF)};
}

}  // namespace simwin
