#include "SuiteState.h"

#include <filesystem>

#include "HostCommands.h"
#include "platform/Text.h"
#include "platform/simwin/RegistryHive.h"

namespace suitestate {

const std::vector<Ide> kIdes = {
    {"Delphi 7.0 (Enterprise)", "SOFTWARE\\Borland\\Delphi\\7.0", "vxVexorinDsgnD7.bpl"},
    {"CodeGear RAD Studio 2007 (Enterprise)", "SOFTWARE\\Borland\\BDS\\5.0", "vxVexorinDsgnD11.bpl"},
};

namespace {

const char* const kProductKey = "Software\\Orlenta Software\\Vexorin";
const char* const kUninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VxVexorinVCL";
// The values a record is read with, which a start-up cannot do without.
const char* const kRecordValues[] = {"Installed", "IDE Registration", "Add Source Location"};
const char* const kSuitePrefixes[] = {"vxVexorin", "vxMarlin", "vxQuillon"};

std::string FileNameOf(const std::string& path) {
  const size_t slash = path.find_last_of('\\');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsSuitePackage(const std::string& fileName) {
  for (const char* prefix : kSuitePrefixes) {
    const std::string_view start = std::string_view(prefix);
    if (fileName.size() >= start.size() && platform::SameTextAscii(fileName.substr(0, start.size()), start)) {
      return true;
    }
  }
  return false;
}

uint32_t DwordOf(const simwin::RegValue& value) {
  if (value.type != simwin::kRegDword || value.data.size() != 4) return 0;
  return value.data[0] | (value.data[1] << 8) | (value.data[2] << 16) | (static_cast<uint32_t>(value.data[3]) << 24);
}

}  // namespace

SuiteState ReadSuiteState(const std::string& machineRoot) {
  SuiteState state;
  simwin::RegistryHive hive;
  try {
    hive = simwin::RegistryHive::Parse(ReadHost(machineRoot + "/registry.reg"));
  } catch (const simwin::ParseError& e) {
    state.hiveError = e.what();
    return state;
  }
  const simwin::RegKeyNode* product = hive.FindKey(hive.LocalMachine(), kProductKey);
  state.productKey = product != nullptr;
  state.uninstallEntry = hive.FindKey(hive.LocalMachine(), kUninstallKey) != nullptr;
  for (const Ide& ide : kIdes) {
    IdeState s{ide, false, {}, false, 0};
    const simwin::RegKeyNode* record = product == nullptr ? nullptr : product->FindSubKey(ide.displayName);
    if (record != nullptr) {
      for (const char* name : kRecordValues) {
        if (record->FindValue(name) == nullptr) s.lacks.push_back(name);
      }
      const simwin::RegValue* installed = record->FindValue("Installed");
      s.recorded = installed != nullptr && DwordOf(*installed) != 0;
    }
    if (const simwin::RegKeyNode* known = hive.FindKey(hive.CurrentUser(), ide.userKey + "\\Known Packages")) {
      for (const simwin::RegValue& value : known->values) {
        const std::string name = FileNameOf(value.name);
        if (platform::SameTextAscii(name, ide.designPackage)) s.registered = true;
        if (IsSuitePackage(name)) ++s.suitePackages;
      }
    }
    state.ides.push_back(s);
  }
  const std::string system = machineRoot + "/drive_c/Windows/system32";
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(system, ec)) {
    const std::string name = entry.path().filename().string();
    if (IsSuitePackage(name)) state.suiteFilesInSystem.push_back(name);
  }
  return state;
}

std::vector<std::string> Disagreements(const SuiteState& state) {
  std::vector<std::string> lines;
  if (!state.hiveError.empty()) return {"registry.reg does not parse: " + state.hiveError};
  for (const IdeState& ide : state.ides) {
    const std::string& name = ide.ide.displayName;
    if (ide.recorded && !ide.registered) {
      lines.push_back(name + " is recorded as having the suite, but its packages are not registered");
    }
    if (!ide.recorded && ide.suitePackages > 0) {
      lines.push_back(name + " has " + std::to_string(ide.suitePackages) +
                      " packages of the suite registered, but is not recorded as having it");
    }
    for (const std::string& value : ide.lacks) lines.push_back(name + "'s record lacks \"" + value + "\"");
  }
  return lines;
}

std::vector<std::string> Leftovers(const SuiteState& state) {
  std::vector<std::string> lines = Disagreements(state);
  if (state.productKey) lines.push_back("the product key is still there");
  if (state.uninstallEntry) lines.push_back("the uninstall entry is still there");
  for (const IdeState& ide : state.ides) {
    if (ide.suitePackages > 0) lines.push_back(ide.ide.displayName + " still has packages of the suite registered");
  }
  return lines;
}

}  // namespace suitestate
