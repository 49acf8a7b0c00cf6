// Shortcut (.lnk) files as bytes: a shortcut read from any bytes and written
// again reads back with the same fields.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <vector>

#include "FuzzSupport.h"
#include "platform/simwin/ShellLink.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> bytes(data, data + size);
  const auto link = simwin::ReadShellLink(bytes);
  if (!link) return 0;
  std::vector<uint8_t> written;
  try {
    written = simwin::WriteShellLink(*link);
  } catch (const std::invalid_argument&) {
    return 0;  // no target, or a field a written shortcut cannot hold
  }
  const auto again = simwin::ReadShellLink(written);
  FuzzCheck(again.has_value(), "a written shortcut reads back");
  FuzzCheck(again->targetPath == link->targetPath && again->workingDir == link->workingDir &&
                again->arguments == link->arguments && again->description == link->description,
            "a written shortcut keeps its fields");
  return 0;
}
