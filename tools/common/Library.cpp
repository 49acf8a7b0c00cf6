#include "common/Library.h"

#include <sstream>

namespace standin {

namespace {
constexpr const char* kMagic = "VXLIB\r\n";
}

std::string WriteLibrary(const std::vector<LibModule>& modules) {
  std::string out = kMagic;
  for (const auto& m : modules) {
    out += "MODULE " + m.name + " " + std::to_string(m.bytes.size()) + " " + m.publicSymbol + "\r\n" + m.bytes;
  }
  return out;
}

std::optional<std::vector<LibModule>> ReadLibrary(const std::string& bytes) {
  const std::string magic = kMagic;
  if (bytes.compare(0, magic.size(), magic) != 0) return std::nullopt;
  std::vector<LibModule> modules;
  size_t pos = magic.size();
  while (pos < bytes.size()) {
    const size_t eol = bytes.find("\r\n", pos);
    if (eol == std::string::npos) return std::nullopt;
    std::istringstream header(bytes.substr(pos, eol - pos));
    std::string word;
    LibModule m;
    size_t size = 0;
    if (!(header >> word >> m.name >> size >> m.publicSymbol) || word != "MODULE") return std::nullopt;
    pos = eol + 2;
    if (size > bytes.size() - pos) return std::nullopt;
    m.bytes = bytes.substr(pos, size);
    pos += size;
    modules.push_back(std::move(m));
  }
  return modules;
}

LibModule ObjectModule(const std::string& unit) {
  return {unit, "@" + unit + "@initialization$qqrv", "stand-in object module " + unit + "\r\n"};
}

}  // namespace standin
