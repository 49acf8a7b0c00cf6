// The IDE's folder macros: ExpandDirMacros and InsertDirMacros of IDEs on a
// simulated machine. The first byte chooses the IDE, the rest is the folder.
// A folder without macros that gets one inserted expands back to itself
// (the part the macro stands for compared as the IDE compares folders).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "DelphiData.h"
#include "FuzzSupport.h"
#include "common/IdeProfiles.h"
#include "platform/Environment.h"
#include "platform/Locale.h"

namespace {

std::unique_ptr<TCompileTargetList> targets;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
  CreateFuzzMachine();
  for (const char* profile : {"delphi7", "bcb6", "bds4", "bds5", "bds23"}) {
    ideprofiles::InstallIde(profile, {});
  }
  platform::SetEnv("VXLIB", "C:\\Vexorin\\Lib");
  targets = std::make_unique<TCompileTargetList>();
  if (targets->Count() == 0) FuzzCheck(false, "the machine has its IDEs");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const TCompileTarget& target = *targets->GetItems(data[0] % targets->Count());
  const std::string dir(reinterpret_cast<const char*>(data + 1), size - 1);
  (void)target.ExpandDirMacros(dir);
  const std::string inserted = target.InsertDirMacros(dir);
  if (dir.find("$(") == std::string::npos) {
    const std::string back = target.ExpandDirMacros(inserted);
    FuzzCheck(back == dir || platform::SameTextLocale(back, dir), "an inserted macro expands back to the folder");
  }
  return 0;
}
