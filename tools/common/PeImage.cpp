#include "common/PeImage.h"

#include <stdexcept>
#include <string_view>

#include "platform/Text.h"

namespace peimage {

namespace {

using Block = std::vector<uint8_t>;

constexpr uint32_t kFileAlignment = 0x200;
constexpr uint32_t kSectionAlignment = 0x1000;
constexpr uint32_t kHeadersSize = 0x200;
constexpr uint32_t kPeOffset = 0x80;
constexpr uint32_t kOptionalHeaderSize = 0xE0;  // PE32 with all 16 data directories
constexpr uint32_t kTextRva = 0x1000;
constexpr uint32_t kRsrcRva = 0x2000;
constexpr uint32_t kRtVersion = 16;
constexpr uint32_t kLangEnUs = 0x0409;
constexpr uint32_t kCodePage1252 = 1252;
constexpr uint32_t kSubdirectoryBit = 0x80000000;

// Real-mode stub that prints the usual message and exits.
constexpr char kDosStubText[] =
    "\x0E\x1F\xBA\x0E\x00\xB4\x09\xCD\x21\xB8\x01\x4C\xCD\x21"
    "This program cannot be run in DOS mode.\r\r\n$";
constexpr std::string_view kDosStub(kDosStubText, sizeof(kDosStubText) - 1);
// Entry points: DllMain returns TRUE and pops its three arguments; the EXE returns 0.
constexpr uint8_t kDllEntry[] = {0xB8, 0x01, 0x00, 0x00, 0x00, 0xC2, 0x0C, 0x00};  // mov eax,1; ret 12
constexpr uint8_t kExeEntry[] = {0x31, 0xC0, 0xC3};                                // xor eax,eax; ret

uint32_t AlignUp(uint32_t value, uint32_t alignment) { return (value + alignment - 1) / alignment * alignment; }

void Put16(Block& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(Block& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}
void Set16(Block& out, size_t pos, uint32_t v) {
  out[pos] = static_cast<uint8_t>(v);
  out[pos + 1] = static_cast<uint8_t>(v >> 8);
}
void Set32(Block& out, size_t pos, uint32_t v) {
  Set16(out, pos, v & 0xFFFF);
  Set16(out, pos + 2, v >> 16);
}
void PutSz(Block& out, std::u16string_view text) {
  for (char16_t c : text) Put16(out, c);
  Put16(out, 0);
}
void Align4(Block& out) { out.resize(AlignUp(static_cast<uint32_t>(out.size()), 4), 0); }

std::u16string ToUtf16Checked(const std::string& text) {
  std::u16string wide = platform::Utf8ToUtf16(text);
  if (platform::Utf16ToUtf8(wide) != text) throw std::invalid_argument("version string is not valid UTF-8: " + text);
  if (wide.find(u'\0') != std::u16string::npos) throw std::invalid_argument("version string contains a NUL character");
  return wide;
}

// One version-resource block: wLength, wValueLength, wType, key, padding,
// value, then each child on a 32-bit boundary. wLength covers the children.
Block VersionBlock(std::u16string_view key, uint16_t valueLength, uint16_t type, const Block& value,
                   const std::vector<Block>& children) {
  Block out;
  Put16(out, 0);
  Put16(out, valueLength);
  Put16(out, type);
  PutSz(out, key);
  Align4(out);
  out.insert(out.end(), value.begin(), value.end());
  for (const Block& child : children) {
    Align4(out);
    out.insert(out.end(), child.begin(), child.end());
  }
  if (out.size() > 0xFFFF) throw std::invalid_argument("version resource is too large");
  Set16(out, 0, static_cast<uint32_t>(out.size()));
  return out;
}

Block VersionResource(const VersionInfo& version, bool dll) {
  constexpr uint16_t kBinary = 0;
  constexpr uint16_t kText = 1;

  Block fixed;
  Put32(fixed, 0xFEEF04BD);  // signature
  Put32(fixed, 0x00010000);  // structure version 1.0
  Put32(fixed, uint32_t{version.file[0]} << 16 | version.file[1]);
  Put32(fixed, uint32_t{version.file[2]} << 16 | version.file[3]);
  Put32(fixed, uint32_t{version.product[0]} << 16 | version.product[1]);
  Put32(fixed, uint32_t{version.product[2]} << 16 | version.product[3]);
  Put32(fixed, 0x3F);         // file flags mask
  Put32(fixed, 0);            // file flags
  Put32(fixed, 0x00040004);   // VOS_NT_WINDOWS32
  Put32(fixed, dll ? 2 : 1);  // VFT_DLL or VFT_APP
  Put32(fixed, 0);            // subtype
  Put32(fixed, 0);            // file date
  Put32(fixed, 0);

  std::vector<Block> strings;
  for (const auto& [name, text] : version.strings) {
    const std::u16string value = ToUtf16Checked(text);
    if (value.size() >= 0xFFFF) throw std::invalid_argument("version string is too long: " + name);
    Block sz;
    PutSz(sz, value);
    // For text values wValueLength counts characters, including the NUL.
    strings.push_back(VersionBlock(ToUtf16Checked(name), static_cast<uint16_t>(value.size() + 1), kText, sz, {}));
  }
  const Block stringTable = VersionBlock(u"040904E4", 0, kText, {}, strings);
  const Block stringFileInfo = VersionBlock(u"StringFileInfo", 0, kText, {}, {stringTable});

  Block translation;
  Put16(translation, kLangEnUs);
  Put16(translation, kCodePage1252);
  const Block var = VersionBlock(u"Translation", 4, kBinary, translation, {});
  const Block varFileInfo = VersionBlock(u"VarFileInfo", 0, kText, {}, {var});

  return VersionBlock(u"VS_VERSION_INFO", static_cast<uint16_t>(fixed.size()), kBinary, fixed,
                      {stringFileInfo, varFileInfo});
}

void PutResourceDirectory(Block& out, uint32_t id, uint32_t target) {
  out.insert(out.end(), 12, 0);  // characteristics, time stamp, version
  Put16(out, 0);                 // named entries
  Put16(out, 1);                 // id entries
  Put32(out, id);
  Put32(out, target);
}

// The .rsrc section contents, to be mapped at rva: a three-level tree
// (RT_VERSION -> id 1 -> en-US) leading to the version resource.
Block ResourceSection(const Block& version, uint32_t rva) {
  Block out;
  PutResourceDirectory(out, kRtVersion, kSubdirectoryBit | 24);
  PutResourceDirectory(out, 1, kSubdirectoryBit | 48);
  PutResourceDirectory(out, kLangEnUs, 72);
  Put32(out, rva + 88);  // data entry: RVA, size, code page, reserved
  Put32(out, static_cast<uint32_t>(version.size()));
  Put32(out, 0);
  Put32(out, 0);
  out.insert(out.end(), version.begin(), version.end());
  return out;
}

void PutSectionHeader(Block& out, std::string_view name, uint32_t virtualSize, uint32_t rva, uint32_t rawSize,
                      uint32_t rawOffset, uint32_t characteristics) {
  for (size_t i = 0; i < 8; ++i) out.push_back(i < name.size() ? static_cast<uint8_t>(name[i]) : 0);
  Put32(out, virtualSize);
  Put32(out, rva);
  Put32(out, rawSize);
  Put32(out, rawOffset);
  out.insert(out.end(), 12, 0);  // relocations, line numbers and their counts
  Put32(out, characteristics);
}

}  // namespace

std::vector<uint8_t> BuildPeImage(const VersionInfo& version, bool dll) {
  const Block rsrc = ResourceSection(VersionResource(version, dll), kRsrcRva);
  const Block code =
      dll ? Block(std::begin(kDllEntry), std::end(kDllEntry)) : Block(std::begin(kExeEntry), std::end(kExeEntry));
  const uint32_t rsrcSize = static_cast<uint32_t>(rsrc.size());
  const uint32_t codeSize = static_cast<uint32_t>(code.size());
  const uint32_t textRaw = AlignUp(codeSize, kFileAlignment);
  const uint32_t rsrcRaw = AlignUp(rsrcSize, kFileAlignment);
  const uint32_t textOffset = kHeadersSize;
  const uint32_t rsrcOffset = textOffset + textRaw;
  const uint32_t imageSize = kRsrcRva + AlignUp(rsrcSize, kSectionAlignment);

  Block out(kPeOffset, 0);
  // DOS header: only e_magic and e_lfanew matter to Windows; the rest is the usual stub layout.
  out[0] = 'M';
  out[1] = 'Z';
  Set16(out, 0x02, 0x90);    // bytes on last page
  Set16(out, 0x04, 3);       // pages
  Set16(out, 0x08, 4);       // header paragraphs
  Set16(out, 0x0C, 0xFFFF);  // max alloc
  Set16(out, 0x10, 0xB8);    // initial SP
  Set16(out, 0x18, 0x40);    // relocation table offset
  Set32(out, 0x3C, kPeOffset);
  for (size_t i = 0; i < kDosStub.size(); ++i) out[0x40 + i] = static_cast<uint8_t>(kDosStub[i]);

  Put32(out, 0x00004550);  // "PE\0\0"
  // COFF header
  Put16(out, 0x014C);  // i386
  Put16(out, 2);       // sections
  Put32(out, 0);       // time stamp: 0 keeps the output reproducible
  Put32(out, 0);       // symbol table
  Put32(out, 0);
  Put16(out, kOptionalHeaderSize);
  // EXECUTABLE_IMAGE | LINE_NUMS_STRIPPED | LOCAL_SYMS_STRIPPED | 32BIT_MACHINE, plus
  // DLL for a library; the EXE has no relocations, so RELOCS_STRIPPED.
  Put16(out, dll ? 0x210E : 0x010F);

  // Optional header (PE32)
  Put16(out, 0x010B);
  out.push_back(2);  // linker version
  out.push_back(40);
  Put32(out, textRaw);  // size of code
  Put32(out, rsrcRaw);  // size of initialized data
  Put32(out, 0);
  Put32(out, kTextRva);  // entry point
  Put32(out, kTextRva);  // base of code
  Put32(out, kRsrcRva);  // base of data
  Put32(out, dll ? 0x10000000 : 0x00400000);
  Put32(out, kSectionAlignment);
  Put32(out, kFileAlignment);
  Put16(out, 5);  // operating system version 5.1
  Put16(out, 1);
  Put16(out, 0);  // image version
  Put16(out, 0);
  Put16(out, 5);  // subsystem version 5.1
  Put16(out, 1);
  Put32(out, 0);  // Win32VersionValue
  Put32(out, imageSize);
  Put32(out, kHeadersSize);
  Put32(out, 0);         // checksum
  Put16(out, 2);         // Windows GUI subsystem
  Put16(out, 0);         // DLL characteristics
  Put32(out, 0x100000);  // stack reserve, commit; heap reserve, commit
  Put32(out, 0x1000);
  Put32(out, 0x100000);
  Put32(out, 0x1000);
  Put32(out, 0);   // loader flags
  Put32(out, 16);  // data directories
  for (uint32_t i = 0; i < 16; ++i) {
    Put32(out, i == 2 ? kRsrcRva : 0);  // only the resource directory is used
    Put32(out, i == 2 ? rsrcSize : 0);
  }

  PutSectionHeader(out, ".text", codeSize, kTextRva, textRaw, textOffset, 0x60000020);  // code, execute, read
  PutSectionHeader(out, ".rsrc", rsrcSize, kRsrcRva, rsrcRaw, rsrcOffset, 0x40000040);  // initialized data, read

  out.resize(textOffset, 0);
  out.insert(out.end(), code.begin(), code.end());
  out.resize(rsrcOffset, 0);
  out.insert(out.end(), rsrc.begin(), rsrc.end());
  out.resize(rsrcOffset + rsrcRaw, 0);
  return out;
}

}  // namespace peimage
