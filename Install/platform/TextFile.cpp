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

std::string DecodeTextBytes(std::string_view data, TextEncoding& encoding) {
  if (data.starts_with("\xEF\xBB\xBF")) {
    encoding = TextEncoding::Utf8;
    // Re-encoded so that malformed sequences become U+FFFD rather than passing through.
    return Utf16ToUtf8(Utf8ToUtf16(data.substr(3)));
  }
  if (data.starts_with("\xFF\xFE")) {
    encoding = TextEncoding::Utf16LE;
    return Utf16BytesToUtf8(data.substr(2), false);
  }
  if (data.starts_with("\xFE\xFF")) {
    encoding = TextEncoding::Utf16BE;
    return Utf16BytesToUtf8(data.substr(2), true);
  }
  encoding = TextEncoding::Ansi;
  return AnsiToUtf8(std::string(data));
}

std::string EncodeTextBytes(const std::string& text, TextEncoding encoding) {
  switch (encoding) {
    case TextEncoding::Ansi:
      return Utf8ToAnsi(text);
    case TextEncoding::Utf8:
      return "\xEF\xBB\xBF" + text;
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE: {
      const bool bigEndian = encoding == TextEncoding::Utf16BE;
      std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
      for (const char16_t unit : Utf8ToUtf16(text)) {
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
      }
      return bytes;
    }
  }
  return text;
}

std::optional<std::string> ReadTextFile(const std::string& path, TextEncoding* encoding) {
  const std::optional<std::string> bytes = ReadFileBytes(path);
  if (!bytes) return std::nullopt;
  TextEncoding found = TextEncoding::Ansi;
  std::string text = DecodeTextBytes(*bytes, found);
  if (encoding != nullptr) *encoding = found;
  return text;
}

}  // namespace platform
