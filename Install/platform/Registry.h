// The Windows registry as the program uses it: the two roots HKEY_LOCAL_MACHINE
// (32-bit view) and HKEY_CURRENT_USER, keys opened for reading or writing,
// string and DWORD values, enumeration and deletion.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {

enum class RegRoot { LocalMachine, CurrentUser };

enum class RegValueType { None, String, ExpandString, Binary, DWord, MultiString, Other };

// Key paths are relative to the root; leading and trailing backslashes are
// ignored ("\SOFTWARE\Borland\" names the same key as "SOFTWARE\Borland").
//
// An open registry key. Every method on a closed key fails quietly (false,
// nullopt or an empty list), so callers can chain calls without a check each.
class RegistryKey {
 public:
  RegistryKey();
  ~RegistryKey();
  RegistryKey(RegistryKey&&) noexcept;
  RegistryKey& operator=(RegistryKey&&) noexcept;
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;

  // Opens an existing key read-only. False when it is missing or cannot be opened.
  bool OpenRead(RegRoot root, const std::string& path);
  // Opens a key for reading and writing; with `create`, missing keys on the path
  // are created. False when it cannot be opened or created.
  bool OpenWrite(RegRoot root, const std::string& path, bool create);
  void Close();
  bool IsOpen() const;

  bool ValueExists(const std::string& name) const;
  // The type of a value; None when the value does not exist.
  RegValueType ValueType(const std::string& name) const;
  // A REG_SZ or REG_EXPAND_SZ value (unexpanded); nullopt when missing or of another type.
  std::optional<std::string> ReadString(const std::string& name) const;
  // A REG_DWORD value; nullopt when missing or of another type.
  std::optional<uint32_t> ReadDWord(const std::string& name) const;
  bool WriteString(const std::string& name, const std::string& value);
  bool WriteDWord(const std::string& name, uint32_t value);
  bool DeleteValue(const std::string& name);

  // Sub-key names in the registry's order (case-insensitive name order).
  std::vector<std::string> SubKeyNames() const;
  // Value names in the registry's enumeration order.
  std::vector<std::string> ValueNames() const;

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

bool RegKeyExists(RegRoot root, const std::string& path);
// Deletes a key with all its sub-keys and values. False when it is missing or
// cannot be deleted.
bool RegDeleteKeyTree(RegRoot root, const std::string& path);

}  // namespace platform
