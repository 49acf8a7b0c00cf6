// Reads the file version out of a PE image (.exe, .dll, .bpl) as plain bytes,
// so the simulated machine can tell which IDE build is installed without any
// Windows API. Callers do the file I/O.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace simwin {

struct FileVersion {
  uint16_t major;
  uint16_t minor;
  uint16_t release;
  uint16_t build;
};

// Returns the file version from the fixed part of the first RT_VERSION
// resource (first name, first language) of a PE32 or PE32+ image, or nullopt
// if the bytes are not such an image or hold no well-formed version resource.
std::optional<FileVersion> ReadPeFileVersion(const std::vector<uint8_t>& fileBytes);

}  // namespace simwin
