// The simulated machine's settings (machine.ini): settings read from any text
// are saved as text that reads back to the same settings.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "platform/simwin/Machine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  try {
    const std::string saved = simwin::MachineSettings::Parse(text).Serialize();
    FuzzCheck(simwin::MachineSettings::Parse(saved).Serialize() == saved,
              "saved settings read back to the same settings");
  } catch (const simwin::MachineError&) {
  }
  return 0;
}
