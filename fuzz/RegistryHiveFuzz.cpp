// The simulated registry's file (registry.reg, the registry editor's format).
// A hive read from any text is saved as text that reads back to the same
// hive; an import that fails changes nothing.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "platform/simwin/RegistryHive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  try {
    const std::string saved = simwin::RegistryHive::Parse(bytes).Serialize();
    FuzzCheck(simwin::RegistryHive::Parse(saved).Serialize() == saved, "a saved hive reads back to the same hive");
  } catch (const simwin::ParseError&) {
  }
  simwin::RegistryHive hive;
  const std::string before = hive.Serialize();
  try {
    hive.Import(bytes);
  } catch (const simwin::ParseError&) {
    FuzzCheck(hive.Serialize() == before, "an import that fails changes nothing");
  }
  return 0;
}
