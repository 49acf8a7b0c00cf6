// The IDE's bin\rsvars.bat: the variables its "set" lines give.
#include <cstddef>
#include <cstdint>
#include <string>

#include "DelphiData.h"
#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  for (const auto& [name, value] : ReadBatchVariables(text)) {
    FuzzCheck(!name.empty() && name.find('=') == std::string::npos, "a variable's name is not empty and has no '='");
  }
  return 0;
}
