// Package patterns: ReplaceMacros with any delimiter, keys and case rule, and
// ExpandPackagePattern for IDEs on a simulated machine. The first byte chooses
// the IDE, the second the delimiter and the case rule; the rest is the text.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "Compile/PackagePatterns.h"
#include "DelphiData.h"
#include "FuzzSupport.h"
#include "common/IdeProfiles.h"

namespace {

std::unique_ptr<TCompileTargetList> targets;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
  CreateFuzzMachine();
  for (const char* profile : {"delphi7", "bcb6", "bds4", "bds9", "bds23"}) {
    ideprofiles::InstallIde(profile, {});
  }
  targets = std::make_unique<TCompileTargetList>();
  if (targets->Count() == 0) FuzzCheck(false, "the machine has its IDEs");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  TCompileTarget& target = *targets->GetItems(data[0] % targets->Count());
  const char delimiter = (data[1] & 1) != 0 ? '%' : static_cast<char>(data[1] >> 1);
  const bool caseSensitive = (data[1] & 0x80) != 0;
  const std::string text(reinterpret_cast<const char*>(data + 2), size - 2);
  const TMacroList macros = {{"e", "D"}, {"EE", "B"}, {"v", "290"}, {"", "empty key"}, {"%", "%%"}};
  const std::string replaced = ReplaceMacros(text, delimiter, macros, caseSensitive);
  if (text.find(delimiter) == std::string::npos) FuzzCheck(replaced == text, "a text without macros stays as it is");
  (void)ExpandPackagePattern(target, text);
  return 0;
}
