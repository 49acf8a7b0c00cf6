// The module names of a library listing ("tlib LIBRARY /L"), from the tool's
// output cut into lines as the engine gets them.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "CapExecLines.h"
#include "Compile/Compiler.h"
#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> listing;
  TCaptureLineBuffer buffer;
  const bool abort = false;
  buffer.Append(reinterpret_cast<const char*>(data), size);
  buffer.DeliverLines([&](std::string_view line) { listing.emplace_back(line); }, abort, true);
  if (!buffer.Empty()) listing.push_back(buffer.TakeFragment());
  for (const std::string& name : TCompiler::LibraryModules(listing)) {
    FuzzCheck(name.find('\t') == std::string::npos, "a module name holds no TAB");
  }
  return 0;
}
