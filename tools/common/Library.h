// The import-library format the stand-in compilers write and the stand-in
// library manager reads: "VXLIB" on the first line, then per module a line
// "MODULE <name> <size> <public symbol>" and the module's bytes.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace standin {

struct LibModule {
  std::string name;
  std::string publicSymbol;
  std::string bytes;
};

std::string WriteLibrary(const std::vector<LibModule>& modules);
// nullopt when the bytes are no library of this format.
std::optional<std::vector<LibModule>> ReadLibrary(const std::string& bytes);
// The object module a stand-in writes for a unit.
LibModule ObjectModule(const std::string& unit);

}  // namespace standin
