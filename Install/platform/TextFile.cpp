// Reading text files with byte-order-mark detection, the same on both backends.
#include "platform/FileSystem.h"
#include "platform/Text.h"

namespace platform {

namespace {

std::string Utf16BytesToUtf8(std::string_view bytes, bool bigEndian) {
  std::u16string text;
  text.reserve(bytes.size() / 2 + 1);
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto a = static_cast<unsigned char>(bytes[i]);
    const auto b = static_cast<unsigned char>(bytes[i + 1]);
    text.push_back(static_cast<char16_t>(bigEndian ? (a << 8) | b : (b << 8) | a));
  }
  if (bytes.size() % 2 != 0) text.push_back(u'\uFFFD');  // a truncated last character
  return Utf16ToUtf8(text);
}

}  // namespace

std::optional<std::string> ReadTextFile(const std::string& path) {
  const std::optional<std::string> bytes = ReadFileBytes(path);
  if (!bytes) return std::nullopt;
  const std::string_view data(*bytes);
  if (data.starts_with("\xEF\xBB\xBF")) {
    // Re-encoded so that malformed sequences become U+FFFD rather than passing through.
    return Utf16ToUtf8(Utf8ToUtf16(data.substr(3)));
  }
  if (data.starts_with("\xFF\xFE")) return Utf16BytesToUtf8(data.substr(2), false);
  if (data.starts_with("\xFE\xFF")) return Utf16BytesToUtf8(data.substr(2), true);
  return AnsiToUtf8(*bytes);
}

}  // namespace platform
