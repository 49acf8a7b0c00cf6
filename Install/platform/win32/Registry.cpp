// Registry access through the 32-bit view (KEY_WOW64_32KEY), so that HKLM\SOFTWARE
// resolves the way a 32-bit program sees it on 64-bit Windows.
#include "platform/Registry.h"

#include <vector>

#include "platform/win32/Win32Util.h"

namespace platform {

using win32::Narrow;
using win32::WideName;

namespace {

HKEY RootKey(RegRoot root) { return root == RegRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }

// The part of `path` after its last backslash (trailing backslashes ignored), and
// the part before it.
bool SplitParent(std::string path, std::string& parent, std::string& child) {
  while (!path.empty() && path.back() == '\\') path.pop_back();
  const size_t cut = path.rfind('\\');
  parent = cut == std::string::npos ? std::string() : path.substr(0, cut);
  child = cut == std::string::npos ? path : path.substr(cut + 1);
  return !child.empty();
}

// Key paths may start or end with backslashes, as the program writes them
// ("\SOFTWARE\Borland\Delphi"); the API takes them without.
std::string KeyPath(const std::string& path) {
  size_t b = 0;
  size_t e = path.size();
  while (b < e && path[b] == '\\') ++b;
  while (e > b && path[e - 1] == '\\') --e;
  return path.substr(b, e - b);
}

}  // namespace

struct RegistryKey::Impl {
  explicit Impl(HKEY k) : key(k) {}
  ~Impl() { RegCloseKey(key); }
  Impl(const Impl&) = delete;
  Impl& operator=(const Impl&) = delete;
  HKEY key;
};

RegistryKey::RegistryKey() = default;
RegistryKey::~RegistryKey() = default;
RegistryKey::RegistryKey(RegistryKey&&) noexcept = default;
RegistryKey& RegistryKey::operator=(RegistryKey&&) noexcept = default;

bool RegistryKey::OpenRead(RegRoot root, const std::string& path) {
  Close();
  const auto wpath = WideName(KeyPath(path));
  if (!wpath) return false;
  HKEY key = nullptr;
  if (RegOpenKeyExW(RootKey(root), wpath->c_str(), 0, KEY_READ | KEY_WOW64_32KEY, &key) != ERROR_SUCCESS) return false;
  impl_ = std::make_unique<Impl>(key);
  return true;
}

bool RegistryKey::OpenWrite(RegRoot root, const std::string& path, bool create) {
  Close();
  const auto wpath = WideName(KeyPath(path));
  if (!wpath) return false;
  const REGSAM access = KEY_READ | KEY_WRITE | KEY_WOW64_32KEY;
  HKEY key = nullptr;
  const LONG rc = create ? RegCreateKeyExW(RootKey(root), wpath->c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                                           nullptr, &key, nullptr)
                         : RegOpenKeyExW(RootKey(root), wpath->c_str(), 0, access, &key);
  if (rc != ERROR_SUCCESS) return false;
  impl_ = std::make_unique<Impl>(key);
  return true;
}

void RegistryKey::Close() { impl_.reset(); }

bool RegistryKey::IsOpen() const { return impl_ != nullptr; }

bool RegistryKey::ValueExists(const std::string& name) const { return ValueType(name) != RegValueType::None; }

RegValueType RegistryKey::ValueType(const std::string& name) const {
  const auto wname = WideName(name);
  if (!impl_ || !wname) return RegValueType::None;
  DWORD type = 0;
  if (RegQueryValueExW(impl_->key, wname->c_str(), nullptr, &type, nullptr, nullptr) != ERROR_SUCCESS) {
    return RegValueType::None;
  }
  switch (type) {
    case REG_SZ:
      return RegValueType::String;
    case REG_EXPAND_SZ:
      return RegValueType::ExpandString;
    case REG_BINARY:
      return RegValueType::Binary;
    case REG_DWORD:
      return RegValueType::DWord;
    case REG_MULTI_SZ:
      return RegValueType::MultiString;
    default:
      return RegValueType::Other;
  }
}

std::optional<std::string> RegistryKey::ReadString(const std::string& name) const {
  const auto wname = WideName(name);
  if (!impl_ || !wname) return std::nullopt;
  // The value can grow between the size query and the read; try again then.
  for (int attempt = 0; attempt < 8; ++attempt) {
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(impl_->key, wname->c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
    if (type != REG_SZ && type != REG_EXPAND_SZ) break;
    // The text is taken by its length, so stored data without a terminating NUL
    // (or with an odd byte count) reads correctly too.
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
    DWORD bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    const LONG rc =
        RegQueryValueExW(impl_->key, wname->c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &bytes);
    if (rc == ERROR_MORE_DATA) continue;
    if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) break;
    std::wstring_view text(buffer.data(), bytes / sizeof(wchar_t));
    text = text.substr(0, text.find(L'\0'));  // the string ends at its first NUL
    return Narrow(text);
  }
  return std::nullopt;
}

std::optional<uint32_t> RegistryKey::ReadDWord(const std::string& name) const {
  const auto wname = WideName(name);
  if (!impl_ || !wname) return std::nullopt;
  DWORD type = 0;
  DWORD value = 0;
  DWORD size = sizeof(value);
  if (RegQueryValueExW(impl_->key, wname->c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
          ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof(value)) {
    return std::nullopt;
  }
  return value;
}

bool RegistryKey::WriteString(const std::string& name, const std::string& value) {
  const auto wname = WideName(name);
  const auto wvalue = WideName(value);  // a NUL inside would cut the stored text short
  if (!impl_ || !wname || !wvalue) return false;
  const DWORD bytes = static_cast<DWORD>((wvalue->size() + 1) * sizeof(wchar_t));
  return RegSetValueExW(impl_->key, wname->c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(wvalue->c_str()), bytes) ==
         ERROR_SUCCESS;
}

bool RegistryKey::WriteDWord(const std::string& name, uint32_t value) {
  const auto wname = WideName(name);
  if (!impl_ || !wname) return false;
  const DWORD data = value;
  return RegSetValueExW(impl_->key, wname->c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof(data)) ==
         ERROR_SUCCESS;
}

bool RegistryKey::DeleteValue(const std::string& name) {
  const auto wname = WideName(name);
  if (!impl_ || !wname) return false;
  return RegDeleteValueW(impl_->key, wname->c_str()) == ERROR_SUCCESS;
}

namespace {

// The names `enumerate(index, buffer, length)` gives for index 0, 1, ...,
// starting from a buffer of `maxLength` characters and growing it when a
// longer name was added meanwhile.
template <typename Enumerate>
std::vector<std::string> EnumerateNames(DWORD maxLength, Enumerate enumerate) {
  std::vector<std::string> names;
  std::vector<wchar_t> buffer(maxLength + 1);
  for (DWORD index = 0;;) {
    DWORD length = static_cast<DWORD>(buffer.size());
    const LONG rc = enumerate(index, buffer.data(), &length);
    if (rc == ERROR_MORE_DATA) {
      buffer.resize(buffer.size() * 2);
      continue;
    }
    if (rc != ERROR_SUCCESS) break;
    names.push_back(Narrow(std::wstring_view(buffer.data(), length)));
    ++index;
  }
  return names;
}

}  // namespace

std::vector<std::string> RegistryKey::SubKeyNames() const {
  DWORD maxLength = 0;
  if (!impl_ || RegQueryInfoKeyW(impl_->key, nullptr, nullptr, nullptr, nullptr, &maxLength, nullptr, nullptr, nullptr,
                                 nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
    return {};
  }
  return EnumerateNames(maxLength, [this](DWORD index, wchar_t* name, DWORD* length) {
    return RegEnumKeyExW(impl_->key, index, name, length, nullptr, nullptr, nullptr, nullptr);
  });
}

std::vector<std::string> RegistryKey::ValueNames() const {
  DWORD maxLength = 0;
  if (!impl_ || RegQueryInfoKeyW(impl_->key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &maxLength,
                                 nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
    return {};
  }
  return EnumerateNames(maxLength, [this](DWORD index, wchar_t* name, DWORD* length) {
    return RegEnumValueW(impl_->key, index, name, length, nullptr, nullptr, nullptr, nullptr);
  });
}

bool RegKeyExists(RegRoot root, const std::string& path) {
  RegistryKey key;
  return key.OpenRead(root, path);
}

bool RegDeleteKeyTree(RegRoot root, const std::string& path) {
  // An empty path would name the root itself and wipe everything under it.
  std::string parentPath;
  std::string childName;
  if (!SplitParent(KeyPath(path), parentPath, childName)) return false;
  const auto wparent = WideName(parentPath);
  const auto wchild = WideName(childName);
  if (!wparent || !wchild) return false;

  HKEY parent = nullptr;
  if (RegOpenKeyExW(RootKey(root), wparent->c_str(), 0, KEY_READ | KEY_WRITE | KEY_WOW64_32KEY, &parent) !=
      ERROR_SUCCESS) {
    return false;
  }
  bool deleted = false;
  HKEY child = nullptr;
  if (RegOpenKeyExW(parent, wchild->c_str(), 0, KEY_READ | KEY_WRITE | DELETE | KEY_WOW64_32KEY, &child) ==
      ERROR_SUCCESS) {
    // Empty the key first (sub-keys and values), then remove the key itself.
    const LONG rc = RegDeleteTreeW(child, nullptr);
    RegCloseKey(child);
    deleted = rc == ERROR_SUCCESS && RegDeleteKeyExW(parent, wchild->c_str(), KEY_WOW64_32KEY, 0) == ERROR_SUCCESS;
  }
  RegCloseKey(parent);
  return deleted;
}

}  // namespace platform
