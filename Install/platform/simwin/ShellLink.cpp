#include "platform/simwin/ShellLink.h"

#include <algorithm>
#include <array>
#include <span>
#include <stdexcept>

#include "platform/Text.h"

namespace simwin {

namespace {

using Bytes = std::span<const uint8_t>;

constexpr uint32_t kHeaderSize = 0x4C;
// CLSID_ShellLink, 00021401-0000-0000-C000-000000000046, in its on-disk byte order.
constexpr std::array<uint8_t, 16> kShellLinkClsid = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                                     0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

// LinkFlags
constexpr uint32_t kHasLinkTargetIdList = 0x01;
constexpr uint32_t kHasLinkInfo = 0x02;
constexpr uint32_t kHasName = 0x04;
constexpr uint32_t kHasRelativePath = 0x08;
constexpr uint32_t kHasWorkingDir = 0x10;
constexpr uint32_t kHasArguments = 0x20;
constexpr uint32_t kHasIconLocation = 0x40;
constexpr uint32_t kIsUnicode = 0x80;

// LinkInfo
constexpr uint32_t kLinkInfoHeaderBasic = 0x1C;
constexpr uint32_t kLinkInfoHeaderUnicode = 0x24;
constexpr uint32_t kVolumeIdAndLocalBasePath = 0x01;
constexpr uint32_t kCommonNetworkRelativeLinkAndPathSuffix = 0x02;
constexpr uint32_t kVolumeIdHeaderSize = 0x10;
constexpr uint32_t kNetworkLinkHeaderSize = 0x14;
constexpr uint32_t kDriveFixed = 3;
constexpr uint32_t kShowNormal = 1;

// Windows-1252 characters 0x80..0x9F; the rest of the code page equals Latin-1.
constexpr std::array<char16_t, 32> kCp1252High = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                                  0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool Fits(Bytes b, size_t pos, size_t len) { return pos <= b.size() && len <= b.size() - pos; }
uint16_t Get16(Bytes b, size_t pos) { return static_cast<uint16_t>(b[pos] | (b[pos + 1] << 8)); }
uint32_t Get32(Bytes b, size_t pos) {
  return static_cast<uint32_t>(b[pos]) | (static_cast<uint32_t>(b[pos + 1]) << 8) |
         (static_cast<uint32_t>(b[pos + 2]) << 16) | (static_cast<uint32_t>(b[pos + 3]) << 24);
}

void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}
void Set32(std::vector<uint8_t>& out, size_t pos, size_t v) {
  for (int i = 0; i < 4; ++i) out[pos + i] = static_cast<uint8_t>(v >> (8 * i));
}
void PutUtf16(std::vector<uint8_t>& out, std::u16string_view text) {
  for (char16_t c : text) Put16(out, c);
}

std::string AnsiToUtf8(Bytes text) {
  std::u16string wide;
  for (uint8_t c : text) wide.push_back(c >= 0x80 && c < 0xA0 ? kCp1252High[c - 0x80] : char16_t{c});
  return platform::Utf16ToUtf8(wide);
}

std::string Utf16ToAnsi(std::u16string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
      out.push_back(static_cast<char>(c));
      continue;
    }
    const auto* hit = std::find(kCp1252High.begin(), kCp1252High.end(), c);
    out.push_back(hit != kCp1252High.end() ? static_cast<char>(0x80 + (hit - kCp1252High.begin())) : '?');
    // A surrogate pair is one character and so one '?'.
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) ++i;
  }
  return out;
}

std::u16string ToUtf16Checked(const std::string& text, const char* what, size_t maxUnits) {
  std::u16string wide = platform::Utf8ToUtf16(text);
  if (platform::Utf16ToUtf8(wide) != text)
    throw std::invalid_argument(std::string("shell link ") + what + " is not valid UTF-8");
  if (wide.find(u'\0') != std::u16string::npos)
    throw std::invalid_argument(std::string("shell link ") + what + " contains a NUL character");
  if (wide.size() > maxUnits) throw std::invalid_argument(std::string("shell link ") + what + " is too long");
  return wide;
}

// NUL-terminated ANSI string starting at pos inside b; nullopt if unterminated.
std::optional<std::string> CString8(Bytes b, size_t pos) {
  if (pos >= b.size()) return std::nullopt;
  const auto end = std::find(b.begin() + pos, b.end(), uint8_t{0});
  if (end == b.end()) return std::nullopt;
  return AnsiToUtf8(Bytes(b.begin() + pos, end));
}

// NUL-terminated UTF-16LE string starting at pos inside b; nullopt if unterminated.
std::optional<std::string> CString16(Bytes b, size_t pos) {
  std::u16string text;
  for (; Fits(b, pos, 2); pos += 2) {
    const char16_t c = Get16(b, pos);
    if (c == 0) return platform::Utf16ToUtf8(text);
    text.push_back(c);
  }
  return std::nullopt;
}

// Picks the UTF-16 copy of a LinkInfo string when it is there, else the ANSI one.
std::optional<std::string> InfoString(Bytes b, uint32_t headerSize, uint32_t ansiOffset, uint32_t unicodeOffset) {
  if (unicodeOffset != 0) {
    if (unicodeOffset < headerSize) return std::nullopt;
    return CString16(b, unicodeOffset);
  }
  if (ansiOffset < headerSize) return std::nullopt;
  return CString8(b, ansiOffset);
}

// "\\server\share" from a CommonNetworkRelativeLink structure at pos inside info.
std::optional<std::string> NetworkName(Bytes info, size_t pos) {
  if (!Fits(info, pos, kNetworkLinkHeaderSize)) return std::nullopt;
  const uint32_t size = Get32(info, pos);
  if (size < kNetworkLinkHeaderSize || !Fits(info, pos, size)) return std::nullopt;
  const Bytes link = info.subspan(pos, size);
  const uint32_t netNameOffset = Get32(link, 8);
  uint32_t netNameOffsetUnicode = 0;
  if (netNameOffset > kNetworkLinkHeaderSize) {
    if (size < kNetworkLinkHeaderSize + 8) return std::nullopt;
    netNameOffsetUnicode = Get32(link, 0x14);
  }
  const uint32_t headerSize =
      netNameOffset > kNetworkLinkHeaderSize ? kNetworkLinkHeaderSize + 8 : kNetworkLinkHeaderSize;
  return InfoString(link, headerSize, netNameOffset, netNameOffsetUnicode);
}

// The target path described by a LinkInfo block (info spans exactly LinkInfoSize bytes).
std::optional<std::string> LinkInfoTarget(Bytes info) {
  if (info.size() < kLinkInfoHeaderBasic) return std::nullopt;
  const uint32_t headerSize = Get32(info, 4);
  const uint32_t flags = Get32(info, 8);
  if (headerSize > info.size() || (headerSize != kLinkInfoHeaderBasic && headerSize < kLinkInfoHeaderUnicode))
    return std::nullopt;
  const bool hasUnicode = headerSize >= kLinkInfoHeaderUnicode;
  const uint32_t volumeIdOffset = Get32(info, 12);
  const uint32_t localBaseOffset = Get32(info, 16);
  const uint32_t networkOffset = Get32(info, 20);
  const uint32_t suffixOffset = Get32(info, 24);
  const uint32_t localBaseOffsetUnicode = hasUnicode ? Get32(info, 28) : 0;
  const uint32_t suffixOffsetUnicode = hasUnicode ? Get32(info, 32) : 0;

  const auto suffix = InfoString(info, headerSize, suffixOffset, suffixOffsetUnicode);
  if (!suffix) return std::nullopt;

  if (flags & kVolumeIdAndLocalBasePath) {
    if (volumeIdOffset < headerSize || !Fits(info, volumeIdOffset, kVolumeIdHeaderSize)) return std::nullopt;
    const uint32_t volumeIdSize = Get32(info, volumeIdOffset);
    if (volumeIdSize <= kVolumeIdHeaderSize || !Fits(info, volumeIdOffset, volumeIdSize)) return std::nullopt;
    const auto base = InfoString(info, headerSize, localBaseOffset, localBaseOffsetUnicode);
    if (!base) return std::nullopt;
    return *base + *suffix;
  }
  if (flags & kCommonNetworkRelativeLinkAndPathSuffix) {
    if (networkOffset < headerSize) return std::nullopt;
    const auto share = NetworkName(info, networkOffset);
    if (!share) return std::nullopt;
    if (suffix->empty() || share->ends_with('\\')) return *share + *suffix;
    return *share + "\\" + *suffix;
  }
  return std::string();
}

// One StringData entry: a 16-bit character count and that many characters.
// Some writers (Wine) count a terminating NUL too; the string ends there.
bool ReadCountedString(Bytes b, size_t& pos, bool unicode, std::string& out) {
  if (!Fits(b, pos, 2)) return false;
  const size_t count = Get16(b, pos);
  pos += 2;
  const size_t len = unicode ? count * 2 : count;
  if (!Fits(b, pos, len)) return false;
  if (unicode) {
    std::u16string text;
    for (size_t i = 0; i < count && Get16(b, pos + 2 * i) != 0; ++i) text.push_back(Get16(b, pos + 2 * i));
    out = platform::Utf16ToUtf8(text);
  } else {
    const Bytes text = b.subspan(pos, len);
    out = AnsiToUtf8(Bytes(text.begin(), std::find(text.begin(), text.end(), uint8_t{0})));
  }
  pos += len;
  return true;
}

// Walks the ExtraData blocks up to the terminal block, so a cut-off file is noticed.
bool SkipExtraData(Bytes b, size_t pos) {
  for (;;) {
    if (!Fits(b, pos, 4)) return false;
    const uint32_t size = Get32(b, pos);
    if (size < 4) return true;
    if (!Fits(b, pos, size)) return false;
    pos += size;
  }
}

std::vector<uint8_t> BuildLinkInfo(std::u16string_view target) {
  std::vector<uint8_t> info(kLinkInfoHeaderUnicode, 0);
  const size_t volumeIdOffset = info.size();
  Put32(info, kVolumeIdHeaderSize + 1);
  Put32(info, kDriveFixed);
  Put32(info, 0);                    // drive serial number
  Put32(info, kVolumeIdHeaderSize);  // volume label offset: an empty ANSI label follows
  info.push_back(0);

  const size_t localBaseOffset = info.size();
  for (char c : Utf16ToAnsi(target)) info.push_back(static_cast<uint8_t>(c));
  info.push_back(0);
  const size_t suffixOffset = info.size();
  info.push_back(0);
  if (info.size() % 2) info.push_back(0);
  const size_t localBaseOffsetUnicode = info.size();
  PutUtf16(info, target);
  Put16(info, 0);
  const size_t suffixOffsetUnicode = info.size();
  Put16(info, 0);

  Set32(info, 0, info.size());
  Set32(info, 4, kLinkInfoHeaderUnicode);
  Set32(info, 8, kVolumeIdAndLocalBasePath);
  Set32(info, 12, volumeIdOffset);
  Set32(info, 16, localBaseOffset);
  Set32(info, 20, 0);  // no network link
  Set32(info, 24, suffixOffset);
  Set32(info, 28, localBaseOffsetUnicode);
  Set32(info, 32, suffixOffsetUnicode);
  return info;
}

}  // namespace

std::vector<uint8_t> WriteShellLink(const ShellLinkData& link) {
  // LinkInfoSize is 32-bit, but Windows paths stop far below this anyway.
  const std::u16string target = ToUtf16Checked(link.targetPath, "target path", 0x7FFF);
  const std::u16string workingDir = ToUtf16Checked(link.workingDir, "working directory", 0xFFFF);
  const std::u16string arguments = ToUtf16Checked(link.arguments, "arguments", 0xFFFF);
  const std::u16string description = ToUtf16Checked(link.description, "description", 0xFFFF);
  if (target.empty()) throw std::invalid_argument("shell link target path is empty");

  uint32_t flags = kHasLinkInfo | kIsUnicode;
  if (!description.empty()) flags |= kHasName;
  if (!workingDir.empty()) flags |= kHasWorkingDir;
  if (!arguments.empty()) flags |= kHasArguments;

  std::vector<uint8_t> out;
  Put32(out, kHeaderSize);
  out.insert(out.end(), kShellLinkClsid.begin(), kShellLinkClsid.end());
  Put32(out, flags);
  Put32(out, 0);                        // file attributes
  out.insert(out.end(), 3 * 8 + 4, 0);  // creation, access, write times; file size
  Put32(out, 0);                        // icon index
  Put32(out, kShowNormal);
  out.insert(out.end(), 2 + 2 + 4 + 4, 0);  // hot key, reserved

  const std::vector<uint8_t> info = BuildLinkInfo(target);
  out.insert(out.end(), info.begin(), info.end());

  // StringData keeps this fixed order; each is a character count, then UTF-16 without NUL.
  for (const std::u16string* text : {&description, &workingDir, &arguments}) {
    if (text->empty()) continue;
    Put16(out, static_cast<uint32_t>(text->size()));
    PutUtf16(out, *text);
  }
  Put32(out, 0);  // terminal ExtraData block
  return out;
}

std::optional<ShellLinkData> ReadShellLink(const std::vector<uint8_t>& bytes) {
  const Bytes b(bytes);
  if (!Fits(b, 0, kHeaderSize) || Get32(b, 0) != kHeaderSize ||
      !std::equal(kShellLinkClsid.begin(), kShellLinkClsid.end(), b.begin() + 4))
    return std::nullopt;
  const uint32_t flags = Get32(b, 20);
  size_t pos = kHeaderSize;

  if (flags & kHasLinkTargetIdList) {
    if (!Fits(b, pos, 2)) return std::nullopt;
    const size_t idListSize = Get16(b, pos);
    pos += 2;
    if (!Fits(b, pos, idListSize)) return std::nullopt;
    pos += idListSize;
  }

  ShellLinkData link;
  if (flags & kHasLinkInfo) {
    if (!Fits(b, pos, 4)) return std::nullopt;
    const size_t size = Get32(b, pos);
    if (!Fits(b, pos, size)) return std::nullopt;
    const auto target = LinkInfoTarget(b.subspan(pos, size));
    if (!target) return std::nullopt;
    link.targetPath = *target;
    pos += size;
  }

  const bool unicode = (flags & kIsUnicode) != 0;
  std::string relativePath;
  std::string iconLocation;
  const std::pair<uint32_t, std::string*> strings[] = {{kHasName, &link.description},
                                                       {kHasRelativePath, &relativePath},
                                                       {kHasWorkingDir, &link.workingDir},
                                                       {kHasArguments, &link.arguments},
                                                       {kHasIconLocation, &iconLocation}};
  for (const auto& [flag, field] : strings) {
    if ((flags & flag) && !ReadCountedString(b, pos, unicode, *field)) return std::nullopt;
  }

  if (!SkipExtraData(b, pos)) return std::nullopt;
  return link;
}

}  // namespace simwin
