#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/PeImage.h"
#include "platform/Text.h"
#include "platform/simwin/PeVersion.h"

namespace {

using Bytes = std::vector<uint8_t>;

uint16_t Get16(const Bytes& b, size_t pos) { return static_cast<uint16_t>(b.at(pos) | (b.at(pos + 1) << 8)); }
uint32_t Get32(const Bytes& b, size_t pos) { return Get16(b, pos) | (uint32_t{Get16(b, pos + 2)} << 16); }
void Set16(Bytes& b, size_t pos, uint32_t v) {
  b.at(pos) = static_cast<uint8_t>(v);
  b.at(pos + 1) = static_cast<uint8_t>(v >> 8);
}
void Set32(Bytes& b, size_t pos, uint32_t v) {
  Set16(b, pos, v & 0xFFFF);
  Set16(b, pos + 2, v >> 16);
}

// Where things are in an image, found through its headers.
struct Layout {
  size_t coff;
  size_t optional;
  size_t sections;
  size_t sectionCount;
  size_t rsrcHeader;
  size_t rsrc;
};

Layout LayoutOf(const Bytes& image) {
  Layout l{};
  l.coff = Get32(image, 0x3C) + 4;
  l.optional = l.coff + 20;
  l.sections = l.optional + Get16(image, l.coff + 16);
  l.sectionCount = Get16(image, l.coff + 2);
  l.rsrcHeader = l.sections + 40 * (l.sectionCount - 1);
  l.rsrc = Get32(image, l.rsrcHeader + 20);
  return l;
}

// Fixed offsets inside the .rsrc section that BuildPeImage lays out.
constexpr size_t kTypeEntryId = 16;
constexpr size_t kLanguageEntryTarget = 48 + 20;
constexpr size_t kDataEntry = 72;
constexpr size_t kVersionData = 88;

peimage::VersionInfo Delphi12() {
  return {{11, 0, 2709, 7128},
          {29, 0, 0, 0},
          {{"CompanyName", "Embarcadero Technologies, Inc."},
           {"FileDescription", "RTL package — Zoë"},
           {"FileVersion", "11.0.2709.7128"},
           {"ProductName", "Embarcadero Delphi"},
           {"Comments", ""}}};
}

void ExpectVersion(const std::optional<simwin::FileVersion>& v, uint16_t a, uint16_t b, uint16_t c, uint16_t d) {
  ASSERT_TRUE(v.has_value());
  EXPECT_EQ(a, v->major);
  EXPECT_EQ(b, v->minor);
  EXPECT_EQ(c, v->release);
  EXPECT_EQ(d, v->build);
}

// Walks a version resource block by block the way VerQueryValue does, checking
// that every wLength stays inside its parent and children start 32-bit aligned.
// Collects "path/key" -> text value for every text leaf.
void WalkBlock(const Bytes& b, size_t at, size_t end, const std::string& path,
               std::map<std::string, std::string>& texts) {
  ASSERT_EQ(0u, at % 4) << path;
  const size_t length = Get16(b, at);
  const size_t valueLength = Get16(b, at + 2);
  const uint16_t type = Get16(b, at + 4);
  ASSERT_LE(at + length, end) << path;
  std::u16string key;
  size_t pos = at + 6;
  for (; Get16(b, pos) != 0; pos += 2) key.push_back(Get16(b, pos));
  pos = (pos + 2 + 3) & ~size_t{3};
  const std::string name = path + "/" + platform::Utf16ToUtf8(key);
  const size_t valueBytes = type == 1 ? valueLength * 2 : valueLength;
  ASSERT_LE(pos + valueBytes, at + length) << name;
  if (type == 1 && valueLength > 0) {
    std::u16string text;
    for (size_t i = 0; i + 1 < valueLength; ++i) text.push_back(Get16(b, pos + 2 * i));
    EXPECT_EQ(0, Get16(b, pos + 2 * (valueLength - 1))) << name;
    texts[name] = platform::Utf16ToUtf8(text);
  } else if (type == 0 && valueLength > 0) {
    texts[name] = "#" + std::to_string(valueLength);
  }
  pos = (pos + valueBytes + 3) & ~size_t{3};
  while (pos < at + length) {
    WalkBlock(b, pos, at + length, name, texts);
    pos = (pos + Get16(b, pos) + 3) & ~size_t{3};
  }
}

TEST(PeVersion, BuildThenReadDllAndExe) {
  for (bool dll : {true, false}) {
    SCOPED_TRACE(dll ? "dll" : "exe");
    const Bytes image = peimage::BuildPeImage(Delphi12(), dll);
    ExpectVersion(simwin::ReadPeFileVersion(image), 11, 0, 2709, 7128);
    const Layout l = LayoutOf(image);
    EXPECT_EQ(dll, (Get16(image, l.coff + 18) & 0x2000) != 0);
  }
  peimage::VersionInfo edge = Delphi12();
  edge.file[0] = 0xFFFF;
  edge.file[3] = 0;
  ExpectVersion(simwin::ReadPeFileVersion(peimage::BuildPeImage(edge, true)), 0xFFFF, 0, 2709, 0);
}

// The loader rejects images whose headers disagree with the section layout.
TEST(PeVersion, BuiltImageHeadersAreConsistent) {
  const Bytes image = peimage::BuildPeImage(Delphi12(), true);
  const Layout l = LayoutOf(image);
  const uint32_t sectionAlign = Get32(image, l.optional + 32);
  const uint32_t fileAlign = Get32(image, l.optional + 36);
  const uint32_t imageSize = Get32(image, l.optional + 56);
  const uint32_t headersSize = Get32(image, l.optional + 60);
  EXPECT_EQ(0x1000u, sectionAlign);
  EXPECT_EQ(0x200u, fileAlign);
  EXPECT_EQ(0x10Bu, Get16(image, l.optional));
  EXPECT_EQ(0x14Cu, Get16(image, l.coff));
  EXPECT_GE(headersSize, l.sections + 40 * l.sectionCount);
  EXPECT_EQ(0u, headersSize % fileAlign);

  uint32_t nextRva = sectionAlign;
  size_t nextRaw = headersSize;
  for (size_t i = 0; i < l.sectionCount; ++i) {
    const size_t h = l.sections + 40 * i;
    const uint32_t vsize = Get32(image, h + 8);
    const uint32_t rva = Get32(image, h + 12);
    const uint32_t rawSize = Get32(image, h + 16);
    const uint32_t raw = Get32(image, h + 20);
    EXPECT_EQ(nextRva, rva) << i;
    EXPECT_EQ(nextRaw, raw) << i;
    EXPECT_EQ(0u, rawSize % fileAlign) << i;
    EXPECT_LE(vsize, rawSize) << i;
    nextRva = rva + (vsize + sectionAlign - 1) / sectionAlign * sectionAlign;
    nextRaw = raw + rawSize;
  }
  EXPECT_EQ(nextRva, imageSize);
  EXPECT_EQ(nextRaw, image.size());
  // The resource data directory covers the .rsrc section.
  EXPECT_EQ(Get32(image, l.rsrcHeader + 12), Get32(image, l.optional + 96 + 16));
  EXPECT_EQ(Get32(image, l.rsrcHeader + 8), Get32(image, l.optional + 96 + 20));
}

TEST(PeVersion, VersionResourceBlocksNestProperly) {
  const Bytes image = peimage::BuildPeImage(Delphi12(), true);
  const size_t at = LayoutOf(image).rsrc + kVersionData;
  std::map<std::string, std::string> texts;
  WalkBlock(image, at, at + Get16(image, at), "", texts);
  const std::map<std::string, std::string> want = {
      {"/VS_VERSION_INFO", "#52"},
      {"/VS_VERSION_INFO/StringFileInfo/040904E4/CompanyName", "Embarcadero Technologies, Inc."},
      {"/VS_VERSION_INFO/StringFileInfo/040904E4/FileDescription", "RTL package — Zoë"},
      {"/VS_VERSION_INFO/StringFileInfo/040904E4/FileVersion", "11.0.2709.7128"},
      {"/VS_VERSION_INFO/StringFileInfo/040904E4/ProductName", "Embarcadero Delphi"},
      {"/VS_VERSION_INFO/StringFileInfo/040904E4/Comments", ""},
      {"/VS_VERSION_INFO/VarFileInfo/Translation", "#4"},
  };
  EXPECT_EQ(want, texts);
  EXPECT_EQ(Get16(image, at), Get32(image, LayoutOf(image).rsrc + kDataEntry + 4));
}

// Rewrites a built PE32 image into the PE32+ header form (64-bit fields, data
// directories 16 bytes further on) to check that the reader handles both.
Bytes ToPe32Plus(Bytes image) {
  const Layout l = LayoutOf(image);
  const Bytes dirs(image.begin() + static_cast<long>(l.optional + 96), image.begin() + static_cast<long>(l.sections));
  const Bytes table(image.begin() + static_cast<long>(l.sections),
                    image.begin() + static_cast<long>(l.sections + 40 * l.sectionCount));
  Set16(image, l.coff + 16, 240);
  Set16(image, l.optional, 0x20B);
  Set32(image, l.optional + 108, 16);
  std::copy(dirs.begin(), dirs.end(), image.begin() + static_cast<long>(l.optional + 112));
  std::copy(table.begin(), table.end(), image.begin() + static_cast<long>(l.optional + 240));
  return image;
}

TEST(PeVersion, ReadsPe32Plus) {
  const Bytes image = ToPe32Plus(peimage::BuildPeImage(Delphi12(), true));
  ExpectVersion(simwin::ReadPeFileVersion(image), 11, 0, 2709, 7128);
}

TEST(PeVersion, EveryTruncationBeforeTheResourceEndIsRejected) {
  const Bytes image = peimage::BuildPeImage(Delphi12(), false);
  const Layout l = LayoutOf(image);
  const size_t needed = l.rsrc + Get32(image, l.rsrcHeader + 8);
  for (size_t len = 0; len < needed; ++len) {
    const Bytes cut(image.begin(), image.begin() + static_cast<long>(len));
    EXPECT_FALSE(simwin::ReadPeFileVersion(cut).has_value()) << "length " << len;
  }
  const Bytes cut(image.begin(), image.begin() + static_cast<long>(needed));
  EXPECT_TRUE(simwin::ReadPeFileVersion(cut).has_value());
}

TEST(PeVersion, CorruptedImagesAreRejected) {
  const Bytes good = peimage::BuildPeImage(Delphi12(), true);
  const Layout l = LayoutOf(good);
  const size_t resourceDir = l.optional + 96 + 16;
  const size_t version = l.rsrc + kVersionData;
  struct Case {
    const char* name;
    std::function<void(Bytes&)> corrupt;
  } cases[] = {
      {"MZ", [](Bytes& b) { b[1] = 'X'; }},
      {"PE signature", [&](Bytes& b) { b[l.coff - 2] = 'X'; }},
      {"e_lfanew past the end", [](Bytes& b) { Set32(b, 0x3C, 0xFFFFFFF0); }},
      {"optional header magic", [&](Bytes& b) { Set16(b, l.optional, 0x107); }},
      {"optional header size past the end", [&](Bytes& b) { Set16(b, l.coff + 16, 0xFFFF); }},
      {"optional header too small for directories", [&](Bytes& b) { Set16(b, l.coff + 16, 96); }},
      {"only two data directories", [&](Bytes& b) { Set32(b, l.optional + 92, 2); }},
      {"no resource directory", [&](Bytes& b) { Set32(b, resourceDir, 0); }},
      {"resource directory outside every section", [&](Bytes& b) { Set32(b, resourceDir, 0x9000); }},
      {"section count past the end", [&](Bytes& b) { Set16(b, l.coff + 2, 0xFFFF); }},
      {"section raw data past the end", [&](Bytes& b) { Set32(b, l.rsrcHeader + 20, 0x7FFFFE00); }},
      {"section raw size past the end",
       [&](Bytes& b) {
         Set32(b, l.rsrcHeader + 16, 0x7FFFFE00);
         Set32(b, l.rsrcHeader + 8, 0);
       }},
      {"no RT_VERSION", [&](Bytes& b) { Set32(b, l.rsrc + kTypeEntryId, 17); }},
      {"named type entry", [&](Bytes& b) { Set32(b, l.rsrc + kTypeEntryId, 0x80000010); }},
      {"entry count past the section", [&](Bytes& b) { Set16(b, l.rsrc + 14, 0xFFFF); }},
      {"language entry is a directory", [&](Bytes& b) { Set32(b, l.rsrc + kLanguageEntryTarget, 0x80000000 | 72); }},
      {"language entry past the section", [&](Bytes& b) { Set32(b, l.rsrc + kLanguageEntryTarget, 0x7FFFFFF0); }},
      {"data RVA outside every section", [&](Bytes& b) { Set32(b, l.rsrc + kDataEntry, 0x50000); }},
      {"data size past the section", [&](Bytes& b) { Set32(b, l.rsrc + kDataEntry + 4, 0x10000); }},
      {"block length past the data", [&](Bytes& b) { Set16(b, version, 0xFFFF); }},
      {"block length too small", [&](Bytes& b) { Set16(b, version, 40); }},
      {"value too small", [&](Bytes& b) { Set16(b, version + 2, 51); }},
      {"wrong key", [&](Bytes& b) { b[version + 6] = 'W'; }},
      {"fixed info signature", [&](Bytes& b) { b[version + 40] ^= 1; }},
  };
  for (const auto& c : cases) {
    Bytes bad = good;
    c.corrupt(bad);
    EXPECT_FALSE(simwin::ReadPeFileVersion(bad).has_value()) << c.name;
  }
  EXPECT_FALSE(simwin::ReadPeFileVersion({}).has_value());
  EXPECT_FALSE(simwin::ReadPeFileVersion(Bytes(4096, 0)).has_value());
}

TEST(PeVersion, RandomDamageNeverCrashes) {
  const Bytes good = peimage::BuildPeImage(Delphi12(), true);
  const Layout l = LayoutOf(good);
  // Aim the damage at the headers and the resource tree, where the offsets live.
  const size_t hot[] = {0, l.rsrc};
  std::mt19937 rng(4242);
  for (int round = 0; round < 20000; ++round) {
    Bytes bad = good;
    const int flips = 1 + static_cast<int>(rng() % 4);
    for (int i = 0; i < flips; ++i) {
      bad[hot[rng() % 2] + rng() % 0x200] = static_cast<uint8_t>(rng());
    }
    (void)simwin::ReadPeFileVersion(bad);
  }
}

TEST(PeVersion, BuildRejectsBadStrings) {
  peimage::VersionInfo bad = Delphi12();
  bad.strings.push_back({"Comments", "\xC3"});
  EXPECT_THROW(peimage::BuildPeImage(bad, true), std::invalid_argument);
  bad = Delphi12();
  bad.strings.push_back({"Comments", std::string(40000, 'x')});
  EXPECT_THROW(peimage::BuildPeImage(bad, true), std::invalid_argument);
  bad = Delphi12();
  bad.strings.push_back({std::string("A\0B", 3), "x"});
  EXPECT_THROW(peimage::BuildPeImage(bad, true), std::invalid_argument);
}

}  // namespace
