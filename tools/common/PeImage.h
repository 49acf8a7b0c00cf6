// Fabricates small PE images that carry a version resource, for tests and for
// the simwin command that lays out fake IDE binaries (rtl290.bpl, bds.exe...).
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace peimage {

struct VersionInfo {
  uint16_t file[4];
  uint16_t product[4];
  // Name/value pairs (UTF-8) for the "040904E4" string table, e.g. FileVersion, ProductName.
  std::vector<std::pair<std::string, std::string>> strings;
};

// Returns a PE32 i386 image (DLL or EXE) with a .text section holding a stub
// entry point and a .rsrc section holding the version resource, laid out so
// that LoadLibraryEx(LOAD_LIBRARY_AS_DATAFILE) and GetFileVersionInfoW accept it.
// Throws std::invalid_argument if a string is not valid UTF-8, has a NUL
// character, or the resource would not fit its 16-bit length fields.
std::vector<uint8_t> BuildPeImage(const VersionInfo& version, bool dll);

}  // namespace peimage
