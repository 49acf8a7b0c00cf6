// In-memory registry of the simulated machine: the HKEY_LOCAL_MACHINE and
// HKEY_CURRENT_USER hives, loaded from and saved to one registry.reg file in
// the registry editor's export format ("Windows Registry Editor Version 5.00").
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/Text.h"

namespace simwin {

enum RegType : uint32_t {
  kRegNone = 0,
  kRegSz = 1,
  kRegExpandSz = 2,
  kRegBinary = 3,
  kRegDword = 4,
  kRegMultiSz = 7,
  kRegQword = 11
};

// Windows refuses keys nested deeper than this; the limit also keeps a
// hostile file from building a tree too deep to walk or free recursively.
inline constexpr size_t kMaxKeyDepth = 512;

// One value. `data` holds the bytes as Windows stores them: strings are
// UTF-16LE with a terminating NUL, DWORDs little-endian.
struct RegValue {
  std::string name;
  uint32_t type = kRegNone;
  std::vector<uint8_t> data;
};

class RegKeyNode {
 public:
  RegKeyNode() = default;
  explicit RegKeyNode(std::string keyName) : name(std::move(keyName)) {}

  std::string name;  // keeps the case it was created with
  // Creation order, as Windows enumerates them. Change them through SetValue
  // and DeleteValue, which keep the saved text below in step.
  std::vector<RegValue> values;
  std::map<std::string, std::unique_ptr<RegKeyNode>, platform::AsciiCaseLess> subkeys;

  // Case-insensitive; "" is the default value.
  RegValue* FindValue(std::string_view valueName);
  const RegValue* FindValue(std::string_view valueName) const;
  // Replaces an existing value in place (keeping its position and the case of
  // its name) or appends a new one. Throws std::invalid_argument for a name
  // containing NUL, CR, LF or invalid UTF-8.
  void SetValue(std::string_view valueName, uint32_t type, std::vector<uint8_t> data);
  bool DeleteValue(std::string_view valueName);

  RegKeyNode* FindSubKey(std::string_view keyName);
  const RegKeyNode* FindSubKey(std::string_view keyName) const;
  // Returns the existing sub-key of that name (any case) or creates it.
  // Throws std::invalid_argument for an empty name or one containing '\',
  // control characters or invalid UTF-8.
  RegKeyNode& CreateSubKey(std::string_view keyName);

  // The key's text in the file as last saved, while textValid.
  mutable std::string text;
  mutable bool textValid = false;
};

class ParseError : public std::runtime_error {
 public:
  ParseError(int line, const std::string& msg);
  int line() const { return line_; }

 private:
  int line_;
};

class RegistryHive {
 public:
  RegistryHive();  // both roots present and empty

  RegKeyNode& LocalMachine() { return localMachine_; }
  RegKeyNode& CurrentUser() { return currentUser_; }
  const RegKeyNode& LocalMachine() const { return localMachine_; }
  const RegKeyNode& CurrentUser() const { return currentUser_; }
  // HKEY_LOCAL_MACHINE/HKLM or HKEY_CURRENT_USER/HKCU, any case; else nullptr.
  RegKeyNode* Root(std::string_view rootName);
  const RegKeyNode* Root(std::string_view rootName) const;

  // Paths below `root`, separated by '\'; the empty path is the root itself.
  // A path with an empty component ("a\\b", "a\") names no key.
  RegKeyNode* FindKey(RegKeyNode& root, std::string_view path);
  const RegKeyNode* FindKey(const RegKeyNode& root, std::string_view path) const;
  // Creates the key and its missing parents. Throws std::invalid_argument for
  // an invalid path or one deeper than kMaxKeyDepth.
  RegKeyNode& CreateKey(RegKeyNode& root, std::string_view path);
  // False if the key is missing or the path is empty (a root can't be deleted).
  bool DeleteKeyTree(RegKeyNode& root, std::string_view path);

  // Reads UTF-8 (with or without BOM) or UTF-16LE with BOM. Throws ParseError.
  static RegistryHive Parse(std::string_view fileBytes);
  // Applies a file in the same format to this hive (keys and values added,
  // "[-key]" and "name"=- deleted), as the registry editor imports it.
  // Throws ParseError and then changes nothing.
  void Import(std::string_view fileBytes);
  // UTF-8 without BOM, CR LF line ends.
  std::string Serialize() const;
  // "[fullPath]" and the key's value lines, in the file's format and line ends.
  static std::string FormatKey(const std::string& fullPath, const RegKeyNode& key);

 private:
  mutable size_t lastSize_ = 0;  // of the last Serialize, to reserve
  RegKeyNode localMachine_;
  RegKeyNode currentUser_;
};

// UTF-16LE with a NUL terminator.
std::vector<uint8_t> EncodeString(std::string_view utf8);
// Stops at the first NUL; tolerates an odd length or a missing terminator.
std::string DecodeString(const std::vector<uint8_t>& data);
std::vector<uint8_t> EncodeDword(uint32_t v);

}  // namespace simwin
