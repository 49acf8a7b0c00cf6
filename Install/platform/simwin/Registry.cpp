// Registry of the simulated machine: the hive in registry.reg, written back
// atomically after every change.
#include "platform/Registry.h"

#include <stdexcept>

#include "platform/FileSystem.h"
#include "platform/simwin/Machine.h"
#include "platform/simwin/OperationFaults.h"
#include "platform/simwin/WinPath.h"

namespace platform {

namespace {

constexpr uint32_t kErrKeyDeleted = 1018;
constexpr uint32_t kErrInvalidParameter = 87;
constexpr uint32_t kErrBadPathName = 161;

std::string NormalKeyPath(const std::string& path) {
  size_t b = 0;
  size_t e = path.size();
  while (b < e && path[b] == '\\') ++b;
  while (e > b && path[e - 1] == '\\') --e;
  return path.substr(b, e - b);
}

simwin::RegKeyNode& RootNode(simwin::RegistryHive& hive, RegRoot root) {
  return root == RegRoot::LocalMachine ? hive.LocalMachine() : hive.CurrentUser();
}

std::string FullKeyName(RegRoot root, const std::string& path) {
  std::string name = root == RegRoot::LocalMachine ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
  if (!path.empty()) name += "\\" + path;
  return name;
}

// Counts a registry write of a whole run (OperationFaults.h); false, with the
// error set, when it is the one to fail.
bool CountWrite(const char* operation, const std::string& target) {
  const uint32_t code = simwin::CountOperation(simwin::OperationClass::Registry, operation, target);
  if (code == 0) return true;
  SetLastErrorCode(code);
  return false;
}

simwin::RegKeyNode* FindNode(RegRoot root, const std::string& path) {
  auto& hive = simwin::Machine::Current().Hive();
  return hive.FindKey(RootNode(hive, root), path);
}

RegValueType TypeOf(uint32_t type) {
  switch (type) {
    case simwin::kRegSz:
      return RegValueType::String;
    case simwin::kRegExpandSz:
      return RegValueType::ExpandString;
    case simwin::kRegBinary:
      return RegValueType::Binary;
    case simwin::kRegDword:
      return RegValueType::DWord;
    case simwin::kRegMultiSz:
      return RegValueType::MultiString;
    default:
      return RegValueType::Other;
  }
}

}  // namespace

struct RegistryKey::Impl {
  RegRoot root = RegRoot::CurrentUser;
  std::string path;
  bool writable = false;
  // The key's node, valid while the hive's generation stays the same.
  mutable simwin::RegKeyNode* node = nullptr;
  mutable uint64_t generation = 0;

  simwin::RegKeyNode* Node() const {
    const auto& machine = simwin::Machine::Current();
    if (node != nullptr && generation == machine.HiveGeneration()) return node;
    node = FindNode(root, path);
    generation = machine.HiveGeneration();
    if (node == nullptr) SetLastErrorCode(kErrKeyDeleted);
    return node;
  }
  // Writes the hive after a change; the change is lost from disk otherwise.
  bool Save() const {
    if (simwin::Machine::Current().SaveHive()) return true;
    SetLastErrorCode(simwin::kErrAccessDenied);
    return false;
  }
};

RegistryKey::RegistryKey() = default;
RegistryKey::~RegistryKey() = default;
RegistryKey::RegistryKey(RegistryKey&&) noexcept = default;
RegistryKey& RegistryKey::operator=(RegistryKey&&) noexcept = default;

bool RegistryKey::OpenRead(RegRoot root, const std::string& path) {
  Close();
  const std::string key = NormalKeyPath(path);
  auto& machine = simwin::Machine::Current();
  if (machine.IsFaulted(simwin::FaultKind::RegistryOpen, FullKeyName(root, key))) {
    SetLastErrorCode(simwin::kErrAccessDenied);
    return false;
  }
  if (FindNode(root, key) == nullptr) {
    SetLastErrorCode(simwin::kErrFileNotFound);
    return false;
  }
  impl_ = std::make_unique<Impl>(Impl{root, key, false, nullptr, 0});
  return true;
}

bool RegistryKey::OpenWrite(RegRoot root, const std::string& path, bool create) {
  Close();
  const std::string key = NormalKeyPath(path);
  auto& machine = simwin::Machine::Current();
  const std::string full = FullKeyName(root, key);
  if (machine.IsFaulted(simwin::FaultKind::RegistryOpen, full) ||
      machine.IsFaulted(simwin::FaultKind::RegistryWrite, full)) {
    SetLastErrorCode(simwin::kErrAccessDenied);
    return false;
  }
  if (!CountWrite(create ? "open-create" : "open-write", full)) return false;
  if (FindNode(root, key) == nullptr) {
    if (!create) {
      SetLastErrorCode(simwin::kErrFileNotFound);
      return false;
    }
    auto& hive = machine.Hive();
    try {
      hive.CreateKey(RootNode(hive, root), key);
    } catch (const std::invalid_argument&) {
      SetLastErrorCode(kErrBadPathName);
      return false;
    }
    if (!machine.SaveHive()) {
      hive.DeleteKeyTree(RootNode(hive, root), key);
      machine.NoteKeysDeleted();
      SetLastErrorCode(simwin::kErrAccessDenied);
      return false;
    }
  }
  impl_ = std::make_unique<Impl>(Impl{root, key, true, nullptr, 0});
  return true;
}

void RegistryKey::Close() { impl_.reset(); }

bool RegistryKey::IsOpen() const { return impl_ != nullptr; }

bool RegistryKey::ValueExists(const std::string& name) const { return ValueType(name) != RegValueType::None; }

RegValueType RegistryKey::ValueType(const std::string& name) const {
  if (!impl_) return RegValueType::None;
  simwin::RegKeyNode* node = impl_->Node();
  if (node == nullptr) return RegValueType::None;
  const simwin::RegValue* value = node->FindValue(name);
  return value == nullptr ? RegValueType::None : TypeOf(value->type);
}

std::optional<std::string> RegistryKey::ReadString(const std::string& name) const {
  if (!impl_) return std::nullopt;
  simwin::RegKeyNode* node = impl_->Node();
  const simwin::RegValue* value = node == nullptr ? nullptr : node->FindValue(name);
  if (value == nullptr || (value->type != simwin::kRegSz && value->type != simwin::kRegExpandSz)) {
    return std::nullopt;
  }
  return simwin::DecodeString(value->data);
}

std::optional<uint32_t> RegistryKey::ReadDWord(const std::string& name) const {
  if (!impl_) return std::nullopt;
  simwin::RegKeyNode* node = impl_->Node();
  const simwin::RegValue* value = node == nullptr ? nullptr : node->FindValue(name);
  if (value == nullptr || value->type != simwin::kRegDword || value->data.size() != 4) return std::nullopt;
  return static_cast<uint32_t>(value->data[0]) | (static_cast<uint32_t>(value->data[1]) << 8) |
         (static_cast<uint32_t>(value->data[2]) << 16) | (static_cast<uint32_t>(value->data[3]) << 24);
}

namespace {

bool WriteValue(const RegistryKey::Impl* impl, const std::string& name, uint32_t type, std::vector<uint8_t> data) {
  if (impl == nullptr) return false;
  if (!impl->writable) {
    SetLastErrorCode(simwin::kErrAccessDenied);
    return false;
  }
  if (!CountWrite("set-value", FullKeyName(impl->root, impl->path) + " \"" + name + "\"")) return false;
  simwin::RegKeyNode* node = impl->Node();
  if (node == nullptr) return false;
  // Writing what is there already leaves the hive as it is: no need to save.
  if (const simwin::RegValue* old = node->FindValue(name); old != nullptr && old->type == type && old->data == data) {
    return true;
  }
  try {
    node->SetValue(name, type, std::move(data));
  } catch (const std::invalid_argument&) {
    SetLastErrorCode(kErrInvalidParameter);
    return false;
  }
  return impl->Save();
}

}  // namespace

bool RegistryKey::WriteString(const std::string& name, const std::string& value) {
  return WriteValue(impl_.get(), name, simwin::kRegSz, simwin::EncodeString(value));
}

bool RegistryKey::WriteDWord(const std::string& name, uint32_t value) {
  return WriteValue(impl_.get(), name, simwin::kRegDword, simwin::EncodeDword(value));
}

bool RegistryKey::DeleteValue(const std::string& name) {
  if (!impl_) return false;
  if (!impl_->writable) {
    SetLastErrorCode(simwin::kErrAccessDenied);
    return false;
  }
  if (!CountWrite("delete-value", FullKeyName(impl_->root, impl_->path) + " \"" + name + "\"")) return false;
  simwin::RegKeyNode* node = impl_->Node();
  if (node == nullptr) return false;
  if (!node->DeleteValue(name)) {
    SetLastErrorCode(simwin::kErrFileNotFound);
    return false;
  }
  return impl_->Save();
}

std::vector<std::string> RegistryKey::SubKeyNames() const {
  std::vector<std::string> names;
  simwin::RegKeyNode* node = impl_ ? impl_->Node() : nullptr;
  if (node != nullptr) {
    for (const auto& [key, child] : node->subkeys) names.push_back(child->name);
  }
  return names;
}

std::vector<std::string> RegistryKey::ValueNames() const {
  std::vector<std::string> names;
  simwin::RegKeyNode* node = impl_ ? impl_->Node() : nullptr;
  if (node != nullptr) {
    for (const auto& value : node->values) names.push_back(value.name);
  }
  return names;
}

bool RegKeyExists(RegRoot root, const std::string& path) {
  RegistryKey key;
  return key.OpenRead(root, path);
}

bool RegDeleteKeyTree(RegRoot root, const std::string& path) {
  const std::string key = NormalKeyPath(path);
  auto& machine = simwin::Machine::Current();
  const std::string full = FullKeyName(root, key);
  if (key.empty() || machine.IsFaulted(simwin::FaultKind::RegistryOpen, full) ||
      machine.IsFaulted(simwin::FaultKind::RegistryWrite, full)) {
    SetLastErrorCode(simwin::kErrAccessDenied);
    return false;
  }
  if (!CountWrite("delete-key", full)) return false;
  auto& hive = machine.Hive();
  if (!hive.DeleteKeyTree(RootNode(hive, root), key)) {
    SetLastErrorCode(simwin::kErrFileNotFound);
    return false;
  }
  machine.NoteKeysDeleted();
  if (!machine.SaveHive()) {
    SetLastErrorCode(simwin::kErrAccessDenied);
    return false;
  }
  return true;
}

}  // namespace platform
