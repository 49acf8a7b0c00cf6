#include "platform/simwin/PeVersion.h"

#include <span>
#include <string_view>

namespace simwin {

namespace {

using Bytes = std::span<const uint8_t>;

constexpr uint32_t kPeSignature = 0x00004550;  // "PE\0\0"
constexpr size_t kCoffHeaderSize = 20;
constexpr size_t kSectionHeaderSize = 40;
constexpr uint16_t kPe32Magic = 0x10B;
constexpr uint16_t kPe32PlusMagic = 0x20B;
constexpr size_t kResourceDirectoryIndex = 2;
constexpr uint32_t kRtVersion = 16;
constexpr uint32_t kSubdirectoryBit = 0x80000000;
constexpr size_t kResourceDirectorySize = 16;
constexpr size_t kResourceEntrySize = 8;
constexpr size_t kFixedFileInfoSize = 52;
constexpr uint32_t kFixedFileInfoSignature = 0xFEEF04BD;

bool Fits(Bytes b, size_t pos, size_t len) { return pos <= b.size() && len <= b.size() - pos; }
uint16_t Get16(Bytes b, size_t pos) { return static_cast<uint16_t>(b[pos] | (b[pos + 1] << 8)); }
uint32_t Get32(Bytes b, size_t pos) {
  return static_cast<uint32_t>(b[pos]) | (static_cast<uint32_t>(b[pos + 1]) << 8) |
         (static_cast<uint32_t>(b[pos + 2]) << 16) | (static_cast<uint32_t>(b[pos + 3]) << 24);
}

struct Section {
  uint32_t virtualAddress;
  uint32_t virtualSize;
  uint32_t rawSize;
  uint32_t rawOffset;
};

// The file bytes from rva up to the end of the section that holds it; nullopt
// if no section's raw data covers rva or the raw data lies past the end of the file.
std::optional<Bytes> FromRva(Bytes file, const std::vector<Section>& sections, uint32_t rva) {
  for (const Section& s : sections) {
    // Past SizeOfRawData the loader fills with zeros; the version data is never there.
    const uint32_t extent = s.virtualSize != 0 && s.virtualSize < s.rawSize ? s.virtualSize : s.rawSize;
    if (rva < s.virtualAddress || rva - s.virtualAddress >= extent) continue;
    if (!Fits(file, s.rawOffset, extent)) return std::nullopt;
    return file.subspan(s.rawOffset + (rva - s.virtualAddress), extent - (rva - s.virtualAddress));
  }
  return std::nullopt;
}

struct ResourceEntry {
  uint32_t name;
  uint32_t offset;
};

// The first entry of the resource directory at dirOffset, or the first one with
// the numeric id if given.
std::optional<ResourceEntry> FindResourceEntry(Bytes tree, uint32_t dirOffset, std::optional<uint32_t> id) {
  if (!Fits(tree, dirOffset, kResourceDirectorySize)) return std::nullopt;
  const size_t count = size_t{Get16(tree, dirOffset + 12)} + Get16(tree, dirOffset + 14);
  const size_t first = dirOffset + kResourceDirectorySize;
  if (!Fits(tree, first, count * kResourceEntrySize)) return std::nullopt;
  for (size_t i = 0; i < count; ++i) {
    const size_t at = first + i * kResourceEntrySize;
    const ResourceEntry entry{Get32(tree, at), Get32(tree, at + 4)};
    if (!id || entry.name == *id) return entry;  // a named entry has the top bit set, so never equals an id
  }
  return std::nullopt;
}

// The bytes of the first RT_VERSION resource, or nullopt.
std::optional<Bytes> VersionResource(Bytes file) {
  if (!Fits(file, 0, 64) || file[0] != 'M' || file[1] != 'Z') return std::nullopt;
  const uint32_t peOffset = Get32(file, 0x3C);
  if (!Fits(file, peOffset, 4 + kCoffHeaderSize) || Get32(file, peOffset) != kPeSignature) return std::nullopt;
  const size_t coff = size_t{peOffset} + 4;
  const size_t sectionCount = Get16(file, coff + 2);
  const size_t optionalSize = Get16(file, coff + 16);
  const size_t optional = coff + kCoffHeaderSize;
  if (optionalSize < 2 || !Fits(file, optional, optionalSize)) return std::nullopt;

  size_t dirCountAt = 0;
  size_t dirsAt = 0;
  switch (Get16(file, optional)) {
    case kPe32Magic:
      dirCountAt = 92;
      dirsAt = 96;
      break;
    case kPe32PlusMagic:
      dirCountAt = 108;
      dirsAt = 112;
      break;
    default:
      return std::nullopt;
  }
  const size_t resourceDirAt = dirsAt + kResourceDirectoryIndex * 8;
  if (optionalSize < resourceDirAt + 8 || Get32(file, optional + dirCountAt) <= kResourceDirectoryIndex)
    return std::nullopt;
  const uint32_t resourceRva = Get32(file, optional + resourceDirAt);
  const uint32_t resourceSize = Get32(file, optional + resourceDirAt + 4);
  if (resourceRva == 0 || resourceSize == 0) return std::nullopt;

  const size_t sectionTable = optional + optionalSize;
  if (!Fits(file, sectionTable, sectionCount * kSectionHeaderSize)) return std::nullopt;
  std::vector<Section> sections;
  for (size_t i = 0; i < sectionCount; ++i) {
    const size_t at = sectionTable + i * kSectionHeaderSize;
    sections.push_back({Get32(file, at + 12), Get32(file, at + 8), Get32(file, at + 16), Get32(file, at + 20)});
  }

  // The resource tree: type -> name -> language -> data entry. Offsets inside
  // the tree count from its start; the data entry holds an RVA.
  const auto tree = FromRva(file, sections, resourceRva);
  if (!tree) return std::nullopt;
  const auto type = FindResourceEntry(*tree, 0, kRtVersion);
  if (!type || !(type->offset & kSubdirectoryBit)) return std::nullopt;
  const auto name = FindResourceEntry(*tree, type->offset & ~kSubdirectoryBit, std::nullopt);
  if (!name || !(name->offset & kSubdirectoryBit)) return std::nullopt;
  const auto language = FindResourceEntry(*tree, name->offset & ~kSubdirectoryBit, std::nullopt);
  if (!language || (language->offset & kSubdirectoryBit) || !Fits(*tree, language->offset, 16)) return std::nullopt;
  const uint32_t dataRva = Get32(*tree, language->offset);
  const uint32_t dataSize = Get32(*tree, language->offset + 4);

  const auto data = FromRva(file, sections, dataRva);
  if (!data || !Fits(*data, 0, dataSize)) return std::nullopt;
  return data->first(dataSize);
}

}  // namespace

std::optional<FileVersion> ReadPeFileVersion(const std::vector<uint8_t>& fileBytes) {
  const auto resource = VersionResource(fileBytes);
  if (!resource) return std::nullopt;

  // VS_VERSIONINFO: wLength, wValueLength, wType, L"VS_VERSION_INFO", padding
  // to 32 bits, then VS_FIXEDFILEINFO as its value.
  static constexpr std::u16string_view kKey = u"VS_VERSION_INFO";
  constexpr size_t kKeyAt = 6;
  constexpr size_t kValueAt = (kKeyAt + (kKey.size() + 1) * 2 + 3) & ~size_t{3};
  const Bytes block = *resource;
  if (!Fits(block, 0, kValueAt + kFixedFileInfoSize)) return std::nullopt;
  const size_t length = Get16(block, 0);
  const size_t valueLength = Get16(block, 2);
  if (length < kValueAt + kFixedFileInfoSize || length > block.size() || valueLength < kFixedFileInfoSize)
    return std::nullopt;
  for (size_t i = 0; i <= kKey.size(); ++i) {
    const char16_t expected = i < kKey.size() ? kKey[i] : u'\0';
    if (Get16(block, kKeyAt + 2 * i) != expected) return std::nullopt;
  }
  if (Get32(block, kValueAt) != kFixedFileInfoSignature) return std::nullopt;
  const uint32_t ms = Get32(block, kValueAt + 8);
  const uint32_t ls = Get32(block, kValueAt + 12);
  return FileVersion{static_cast<uint16_t>(ms >> 16), static_cast<uint16_t>(ms), static_cast<uint16_t>(ls >> 16),
                     static_cast<uint16_t>(ls)};
}

}  // namespace simwin
