#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/simwin/ShellLink.h"

namespace {

using Bytes = std::vector<uint8_t>;

void Put16(Bytes& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(Bytes& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}
void Set32(Bytes& out, size_t pos, uint32_t v) {
  for (int i = 0; i < 4; ++i) out[pos + i] = static_cast<uint8_t>(v >> (8 * i));
}
void PutAnsi(Bytes& out, const std::string& text) {
  out.insert(out.end(), text.begin(), text.end());
  out.push_back(0);
}
void PutCounted16(Bytes& out, const std::u16string& text, bool countsNul) {
  Put16(out, static_cast<uint32_t>(text.size() + (countsNul ? 1 : 0)));
  for (char16_t c : text) Put16(out, c);
  if (countsNul) Put16(out, 0);
}

void ExpectSame(const simwin::ShellLinkData& want, const simwin::ShellLinkData& got) {
  EXPECT_EQ(want.targetPath, got.targetPath);
  EXPECT_EQ(want.workingDir, got.workingDir);
  EXPECT_EQ(want.arguments, got.arguments);
  EXPECT_EQ(want.description, got.description);
}

TEST(ShellLink, RoundTrip) {
  const simwin::ShellLinkData cases[] = {
      {"C:\\Program Files\\Embarcadero\\Studio\\23.0\\bin\\bds.exe", "C:\\Program Files\\Embarcadero",
       "-pDelphi \"C:\\My Projects\\a b.dproj\"", "Delphi 12 with spaces"},
      {"C:\\Users\\Zoë\\Démo.exe", "C:\\Users\\Zoë", "--name=Łódź", "Démo €"},
      {"D:\\日本語\\ツール.exe", "D:\\日本語", "", "絵文字 😀"},
      {"C:\\Tools\\setup.exe", "", "", ""},
      {"C:\\Tools\\setup.exe", "", "/silent", ""},
  };
  for (const auto& link : cases) {
    SCOPED_TRACE(link.targetPath);
    const auto read = simwin::ReadShellLink(simwin::WriteShellLink(link));
    ASSERT_TRUE(read.has_value());
    ExpectSame(link, *read);
  }
}

// Wine and older readers take the ANSI copy of the path; it must hold Windows-1252.
TEST(ShellLink, AnsiPathIsWindows1252) {
  const Bytes bytes = simwin::WriteShellLink({"C:\\Zoë\\€ 日.exe", "", "", ""});
  const std::string ansi = "C:\\Zo\xEB\\\x80 ?.exe";
  const Bytes needle(ansi.begin(), ansi.end());
  const auto hit = std::search(bytes.begin(), bytes.end(), needle.begin(), needle.end());
  ASSERT_NE(hit, bytes.end());
  EXPECT_EQ(0, *(hit + static_cast<long>(ansi.size())));
}

struct LinkFixture {
  bool idList = true;
  bool network = false;
  bool countsNul = false;  // as Wine writes StringData
};

// A link laid out the way Windows writes one: an ID list, a LinkInfo block with
// only ANSI strings, a relative path among the strings and an extra data block.
Bytes WindowsStyleLink(const LinkFixture& f) {
  Bytes out;
  Put32(out, 0x4C);
  const uint8_t clsid[] = {0x01, 0x14, 0x02, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46};
  out.insert(out.end(), std::begin(clsid), std::end(clsid));
  Put32(out, (f.idList ? 0x01 : 0) | 0x02 | 0x08 | 0x10 | 0x20 | 0x80);
  Put32(out, 0x20);
  out.resize(0x4C, 0);
  if (f.idList) {
    // One item, the "My Computer" root, then the terminating zero size.
    const uint8_t item[] = {0x14, 0x00, 0x1F, 0x50, 0xE0, 0x4F, 0xD0, 0x20, 0xEA, 0x3A,
                            0x69, 0x10, 0xA2, 0xD8, 0x08, 0x00, 0x2B, 0x30, 0x30, 0x9D};
    Put16(out, sizeof(item) + 2);
    out.insert(out.end(), std::begin(item), std::end(item));
    Put16(out, 0);
  }

  Bytes info(0x1C, 0);
  Set32(info, 4, 0x1C);
  if (f.network) {
    Set32(info, 8, 0x02);
    Set32(info, 20, static_cast<uint32_t>(info.size()));
    Put32(info, 0x14 + 16);  // CommonNetworkRelativeLink: size, flags, net name, device, provider
    Put32(info, 0);
    Put32(info, 0x14);
    Put32(info, 0);
    Put32(info, 0x00020000);
    PutAnsi(info, "\\\\BUILD\\Tools");
  } else {
    Set32(info, 8, 0x01);
    Set32(info, 12, static_cast<uint32_t>(info.size()));
    Put32(info, 0x11);  // VolumeID: size, fixed drive, serial, label offset, empty label
    Put32(info, 3);
    Put32(info, 0x1234ABCD);
    Put32(info, 0x10);
    info.push_back(0);
    Set32(info, 16, static_cast<uint32_t>(info.size()));
    PutAnsi(info, "C:\\Caf\xE9\\");
  }
  Set32(info, 24, static_cast<uint32_t>(info.size()));
  PutAnsi(info, "bin\\app.exe");
  Set32(info, 0, static_cast<uint32_t>(info.size()));
  out.insert(out.end(), info.begin(), info.end());

  PutCounted16(out, u"..\\bin\\app.exe", f.countsNul);
  PutCounted16(out, u"C:\\Work", f.countsNul);
  PutCounted16(out, u"-x", f.countsNul);
  Put32(out, 12);  // some extra data block
  Put32(out, 0xA0000099);
  Put32(out, 0);
  Put32(out, 0);  // terminal block
  return out;
}

TEST(ShellLink, ReadsWindowsStyleLinks) {
  struct Case {
    LinkFixture fixture;
    std::string target;
  } cases[] = {
      {{true, false, false}, "C:\\Café\\bin\\app.exe"},
      {{false, false, false}, "C:\\Café\\bin\\app.exe"},
      {{true, true, false}, "\\\\BUILD\\Tools\\bin\\app.exe"},
      {{true, false, true}, "C:\\Café\\bin\\app.exe"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.target);
    const auto link = simwin::ReadShellLink(WindowsStyleLink(c.fixture));
    ASSERT_TRUE(link.has_value());
    EXPECT_EQ(c.target, link->targetPath);
    EXPECT_EQ("C:\\Work", link->workingDir);
    EXPECT_EQ("-x", link->arguments);
    EXPECT_EQ("", link->description);
  }
}

TEST(ShellLink, EveryTruncationIsRejected) {
  const Bytes written = simwin::WriteShellLink({"C:\\Zoë\\app.exe", "C:\\Zoë", "-a", "App"});
  const Bytes windows = WindowsStyleLink({});
  for (const Bytes* full : {&written, &windows}) {
    for (size_t len = 0; len < full->size(); ++len) {
      const Bytes cut(full->begin(), full->begin() + static_cast<long>(len));
      EXPECT_FALSE(simwin::ReadShellLink(cut).has_value()) << "length " << len;
    }
  }
}

TEST(ShellLink, CorruptedFieldsAreRejected) {
  constexpr size_t kInfo = 0x4C;  // LinkInfo starts right after the header in written links
  const Bytes good = simwin::WriteShellLink({"C:\\Tools\\app.exe", "C:\\Tools", "-a", "App"});
  ASSERT_TRUE(simwin::ReadShellLink(good).has_value());
  struct Case {
    const char* name;
    std::function<void(Bytes&)> corrupt;
  } cases[] = {
      {"header size", [](Bytes& b) { b[0] = 0x4D; }},
      {"class id", [](Bytes& b) { b[19] ^= 1; }},
      {"id list past the end", [](Bytes& b) { b[20] |= 0x01; }},
      {"LinkInfo size past the end", [](Bytes& b) { Set32(b, kInfo, 0x7FFFFFF0); }},
      {"LinkInfo size below its header", [](Bytes& b) { Set32(b, kInfo, 8); }},
      {"LinkInfo header size 0x20", [](Bytes& b) { Set32(b, kInfo + 4, 0x20); }},
      {"LinkInfo header size past LinkInfo", [](Bytes& b) { Set32(b, kInfo + 4, 0x1000); }},
      {"VolumeID offset past LinkInfo", [](Bytes& b) { Set32(b, kInfo + 12, 0x1000); }},
      {"VolumeID size past LinkInfo", [](Bytes& b) { Set32(b, kInfo + 0x24, 0x1000); }},
      {"ANSI path offset into the header",
       [](Bytes& b) {
         Set32(b, kInfo + 16, 4);
         Set32(b, kInfo + 28, 0);
       }},
      {"unicode path offset past LinkInfo", [](Bytes& b) { Set32(b, kInfo + 28, 0xFFFFFFFF); }},
      {"unicode suffix offset past LinkInfo", [](Bytes& b) { Set32(b, kInfo + 32, 0x8000); }},
      {"unterminated unicode suffix",
       [](Bytes& b) {
         const size_t end = kInfo + (b[kInfo] | b[kInfo + 1] << 8);
         b[end - 2] = 'x';
       }},
      {"string count past the end",
       [](Bytes& b) {
         const size_t end = kInfo + (b[kInfo] | b[kInfo + 1] << 8);
         b[end] = 0xFF;
         b[end + 1] = 0x7F;
       }},
      {"extra data block past the end", [](Bytes& b) { Set32(b, b.size() - 4, 0x100); }},
  };
  for (const auto& c : cases) {
    Bytes bad = good;
    c.corrupt(bad);
    EXPECT_FALSE(simwin::ReadShellLink(bad).has_value()) << c.name;
  }
}

TEST(ShellLink, RandomDamageNeverCrashes) {
  const Bytes good = WindowsStyleLink({});
  std::mt19937 rng(12345);
  for (int round = 0; round < 20000; ++round) {
    Bytes bad = good;
    const int flips = 1 + static_cast<int>(rng() % 4);
    for (int i = 0; i < flips; ++i) bad[rng() % bad.size()] = static_cast<uint8_t>(rng());
    (void)simwin::ReadShellLink(bad);
  }
}

TEST(ShellLink, WriteRejectsBadInput) {
  const struct Case {
    const char* name;
    simwin::ShellLinkData link;
  } cases[] = {
      {"empty target", {"", "C:\\", "", ""}},
      {"invalid UTF-8", {"C:\\a\xFF.exe", "", "", ""}},
      {"NUL in target", {std::string("C:\\a\0b.exe", 10), "", "", ""}},
      {"NUL in arguments", {"C:\\a.exe", "", std::string("-a\0-b", 5), ""}},
      {"arguments too long", {"C:\\a.exe", "", std::string(0x10000, 'x'), ""}},
  };
  for (const auto& c : cases) {
    EXPECT_THROW(simwin::WriteShellLink(c.link), std::invalid_argument) << c.name;
  }
  EXPECT_NO_THROW(simwin::WriteShellLink({"C:\\a.exe", "", std::string(0xFFFF, 'x'), ""}));
}

}  // namespace
