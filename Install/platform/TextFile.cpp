// Reading text files with byte-order-mark detection, the same on both backends.
#include "platform/FileSystem.h"
#include "platform/Text.h"

namespace platform {

std::optional<std::string> ReadTextFile(const std::string& path) {
  auto bytes = ReadFileBytes(path);
  if (!bytes) return std::nullopt;
  const std::string& b = *bytes;
  if (b.size() >= 3 && b.compare(0, 3, "\xEF\xBB\xBF") == 0) return b.substr(3);
  if (b.size() >= 2 && (b.compare(0, 2, "\xFF\xFE") == 0 || b.compare(0, 2, "\xFE\xFF") == 0)) {
    const bool bigEndian = b[0] == '\xFE';
    std::u16string wide;
    wide.reserve(b.size() / 2);
    for (size_t i = 2; i + 1 < b.size(); i += 2) {
      const auto lo = static_cast<unsigned char>(b[bigEndian ? i + 1 : i]);
      const auto hi = static_cast<unsigned char>(b[bigEndian ? i : i + 1]);
      wide.push_back(static_cast<char16_t>(lo | (hi << 8)));
    }
    return Utf16ToUtf8(wide);
  }
  return AnsiToUtf8(b);
}

}  // namespace platform
