// The IDE's bin\rsvars.bat: the variables its "set" lines give.
#include <cstddef>
#include <cstdint>
#include <string>

#include "DelphiData.h"
#include "FuzzSupport.h"
#include "SysUtils.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  try {
    for (const auto& [name, value] : ReadBatchVariables(text, "rsvars.bat")) {
      FuzzCheck(!name.empty() && name.find('=') == std::string::npos, "a variable's name is not empty and has no '='");
      FuzzCheck(value.size() <= 32767, "a value is no longer than an environment variable holds");
    }
  } catch (const Exception&) {
    // A value growing beyond what a variable holds: the error names the file.
  }
  return 0;
}
