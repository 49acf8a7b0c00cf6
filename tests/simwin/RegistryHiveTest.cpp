#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "platform/Text.h"
#include "platform/simwin/RegistryHive.h"

namespace simwin {
namespace {

using Bytes = std::vector<uint8_t>;

const std::string kHead = "Windows Registry Editor Version 5.00\r\n\r\n";

// Compares two trees completely: names with their case, value order, types,
// bytes, and sub-key order.
void ExpectSameTree(const RegKeyNode& a, const RegKeyNode& b, const std::string& path) {
  SCOPED_TRACE(path);
  EXPECT_EQ(a.name, b.name);
  ASSERT_EQ(a.values.size(), b.values.size());
  for (size_t i = 0; i < a.values.size(); ++i) {
    EXPECT_EQ(a.values[i].name, b.values[i].name);
    EXPECT_EQ(a.values[i].type, b.values[i].type) << a.values[i].name;
    EXPECT_EQ(a.values[i].data, b.values[i].data) << a.values[i].name;
  }
  ASSERT_EQ(a.subkeys.size(), b.subkeys.size());
  auto ia = a.subkeys.begin();
  auto ib = b.subkeys.begin();
  for (; ia != a.subkeys.end(); ++ia, ++ib) {
    EXPECT_EQ(ia->first, ib->first);
    ExpectSameTree(*ia->second, *ib->second, path + "\\" + ia->second->name);
  }
}

void ExpectSameHive(const RegistryHive& a, const RegistryHive& b) {
  ExpectSameTree(a.LocalMachine(), b.LocalMachine(), "HKLM");
  ExpectSameTree(a.CurrentUser(), b.CurrentUser(), "HKCU");
}

Bytes Utf16Bytes(std::u16string_view text) {
  Bytes out;
  for (char16_t c : text) {
    out.push_back(static_cast<uint8_t>(c & 0xFF));
    out.push_back(static_cast<uint8_t>(c >> 8));
  }
  return out;
}

Bytes Range(size_t n) {
  Bytes out(n);
  for (size_t i = 0; i < n; ++i) out[i] = static_cast<uint8_t>(i * 7 + 3);
  return out;
}

RegistryHive MakeRichHive() {
  RegistryHive h;
  RegKeyNode& app = h.CreateKey(h.LocalMachine(), "SOFTWARE\\Vendor \"Q\"\\App\\1.0");
  app.SetValue("", kRegSz, EncodeString("default text"));
  app.SetValue("@", kRegSz, EncodeString("a value really named @"));
  app.SetValue("RootDir", kRegSz, EncodeString("C:\\Program Files\\App\\"));
  app.SetValue("Quote \"and\" back\\slash", kRegSz, EncodeString("say \"hi\" \\\\server\\share"));
  app.SetValue("Empty", kRegSz, EncodeString(""));
  app.SetValue("Path", kRegExpandSz, EncodeString("%SystemRoot%\\system32;%ProgramFiles%\\Vendor\\App\\bin;C:\\x"));
  app.SetValue("Blob", kRegBinary, Range(200));
  app.SetValue("EmptyBlob", kRegBinary, {});
  app.SetValue("Count", kRegDword, EncodeDword(0xDEADBEEF));
  app.SetValue("List", kRegMultiSz, Utf16Bytes(std::u16string_view(u"one\0two\0\0", 10)));
  app.SetValue("Big", kRegQword, {1, 2, 3, 4, 5, 6, 7, 8});
  app.SetValue("None", kRegNone, {});
  app.SetValue("Odd type", 0x12345u, {0xFF});
  // Data that the quoted/dword forms can't reproduce exactly must still survive.
  app.SetValue("SzOddLength", kRegSz, {'a', 0, 'b'});
  app.SetValue("SzNoTerminator", kRegSz, {'a', 0, 'b', 0});
  app.SetValue("SzEmbeddedNul", kRegSz, {'a', 0, 0, 0, 'b', 0, 0, 0});
  app.SetValue("SzTwoLines", kRegSz, EncodeString("line1\r\nline2"));
  app.SetValue("SzLoneSurrogate", kRegSz, {0x00, 0xD8, 'x', 0, 0, 0});
  app.SetValue("SzEmptyData", kRegSz, {});
  app.SetValue("DwordShort", kRegDword, {1, 2, 3});
  app.SetValue("Tab\tand spaces ", kRegSz, EncodeString(" padded\t"));

  RegKeyNode& intl = h.CreateKey(h.CurrentUser(), "Software\\Ünïcødé 日本\\Ключ");
  intl.SetValue("名前", kRegSz, EncodeString("значение 😀 ẞ"));
  h.CreateKey(h.CurrentUser(), "Software\\Empty key");
  h.CreateKey(h.CurrentUser(), "Software\\ brackets] [and spaces ");
  h.CreateKey(h.CurrentUser(), "Software\\-dash");
  h.CurrentUser().SetValue("RootValue", kRegDword, EncodeDword(1));
  return h;
}

TEST(RegistryHiveTest, RoundTripKeepsEverything) {
  const RegistryHive original = MakeRichHive();
  const std::string text = original.Serialize();
  const RegistryHive parsed = RegistryHive::Parse(text);
  ExpectSameHive(original, parsed);
  EXPECT_EQ(parsed.Serialize(), text);

  // The file is plain UTF-8 without BOM, CR LF only, hex lines wrapped.
  EXPECT_EQ(text.rfind(kHead, 0), 0u);
  EXPECT_NE(text.find("Ünïcødé 日本"), std::string::npos);
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find("\r\n", start);
    ASSERT_NE(end, std::string::npos) << "line without CR LF at " << start;
    const std::string line = text.substr(start, end - start);
    EXPECT_EQ(line.find('\n'), std::string::npos);
    if (line.find("hex") != std::string::npos || line.rfind("  ", 0) == 0) {
      EXPECT_LE(line.size(), 80u) << line;
    }
    start = end + 2;
  }
}

TEST(RegistryHiveTest, SerializeWritesRegeditLayout) {
  RegistryHive h;
  RegKeyNode& k = h.CreateKey(h.LocalMachine(), "Software\\Co");
  k.SetValue("", kRegSz, EncodeString("dflt"));
  k.SetValue("Dir", kRegSz, EncodeString("C:\\A \"B\""));
  k.SetValue("N", kRegDword, EncodeDword(10));
  k.SetValue("B", kRegBinary, {0x00, 0xAB, 0x10});
  k.SetValue("Q", kRegQword, {1, 0, 0, 0, 0, 0, 0, 0});
  k.SetValue("Bad", kRegSz, {'x'});
  h.CreateKey(h.LocalMachine(), "Software\\Co\\Empty");
  h.CreateKey(h.CurrentUser(), "Env");

  EXPECT_EQ(h.Serialize(), kHead +
                               "[HKEY_LOCAL_MACHINE\\Software]\r\n\r\n"
                               "[HKEY_LOCAL_MACHINE\\Software\\Co]\r\n"
                               "@=\"dflt\"\r\n"
                               "\"Dir\"=\"C:\\\\A \\\"B\\\"\"\r\n"
                               "\"N\"=dword:0000000a\r\n"
                               "\"B\"=hex:00,ab,10\r\n"
                               "\"Q\"=hex(b):01,00,00,00,00,00,00,00\r\n"
                               "\"Bad\"=hex(1):78\r\n"
                               "\r\n"
                               "[HKEY_LOCAL_MACHINE\\Software\\Co\\Empty]\r\n\r\n"
                               "[HKEY_CURRENT_USER\\Env]\r\n\r\n");
  EXPECT_EQ(RegistryHive().Serialize(), kHead);

  h.LocalMachine().SetValue("Top", kRegSz, EncodeString("t"));
  EXPECT_EQ(h.Serialize().substr(kHead.size(), 40), "[HKEY_LOCAL_MACHINE]\r\n\"Top\"=\"t\"\r\n\r\n[HKEY");
  EXPECT_EQ(RegistryHive::FormatKey("HKEY_CURRENT_USER\\Env", *h.FindKey(h.CurrentUser(), "env")),
            "[HKEY_CURRENT_USER\\Env]\r\n");
}

// regedit wraps after 21 bytes of `"Path"=hex(2):` and 25 bytes per
// continuation line; reading such text and writing it back must match.
TEST(RegistryHiveTest, RegeditWrappedExpandString) {
  const std::string text = kHead +
                           "[HKEY_LOCAL_MACHINE\\SYSTEM]\r\n\r\n"
                           "[HKEY_LOCAL_MACHINE\\SYSTEM\\Env]\r\n"
                           "\"Path\"=hex(2):25,00,53,00,79,00,73,00,74,00,65,00,6d,00,52,00,6f,00,6f,00,74,\\\r\n"
                           "  00,25,00,5c,00,73,00,79,00,73,00,74,00,65,00,6d,00,33,00,32,00,3b,00,25,00,\\\r\n"
                           "  53,00,79,00,73,00,74,00,65,00,6d,00,52,00,6f,00,6f,00,74,00,25,00,00,00\r\n"
                           "\r\n";
  const RegistryHive h = RegistryHive::Parse(text);
  const RegValue* v = h.FindKey(h.LocalMachine(), "system\\ENV")->FindValue("path");
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->type, kRegExpandSz);
  EXPECT_EQ(DecodeString(v->data), "%SystemRoot%\\system32;%SystemRoot%");
  EXPECT_EQ(v->data, EncodeString("%SystemRoot%\\system32;%SystemRoot%"));
  EXPECT_EQ(h.Serialize(), text);
}

TEST(RegistryHiveTest, LookupIgnoresCaseAndKeepsCreatedCase) {
  RegistryHive h;
  EXPECT_EQ(h.Root("hklm"), &h.LocalMachine());
  EXPECT_EQ(h.Root("HKEY_LOCAL_MACHINE"), &h.LocalMachine());
  EXPECT_EQ(h.Root("Hkey_Current_User"), &h.CurrentUser());
  EXPECT_EQ(h.Root("HKCU"), &h.CurrentUser());
  EXPECT_EQ(h.Root("HKEY_CLASSES_ROOT"), nullptr);
  EXPECT_EQ(h.Root("HKLMX"), nullptr);
  EXPECT_EQ(h.LocalMachine().name, "HKEY_LOCAL_MACHINE");
  EXPECT_EQ(h.CurrentUser().name, "HKEY_CURRENT_USER");

  RegKeyNode& co = h.CreateKey(h.LocalMachine(), "Software\\MyCo");
  EXPECT_EQ(&h.CreateKey(h.LocalMachine(), "SOFTWARE\\myco"), &co);
  EXPECT_EQ(h.FindKey(h.LocalMachine(), "software\\MYCO"), &co);
  EXPECT_EQ(h.FindKey(h.LocalMachine(), ""), &h.LocalMachine());
  EXPECT_EQ(co.name, "MyCo");
  EXPECT_EQ(h.FindKey(h.LocalMachine(), "Software")->name, "Software");
  EXPECT_EQ(h.FindKey(h.CurrentUser(), "Software"), nullptr);
  for (const char* bad : {"Software\\", "\\Software", "Software\\\\MyCo", "Software\\MyCo\\x"}) {
    EXPECT_EQ(h.FindKey(h.LocalMachine(), bad), nullptr) << bad;
  }

  co.SetValue("InstallDir", kRegSz, EncodeString("a"));
  co.SetValue("INSTALLDIR", kRegExpandSz, EncodeString("b"));
  ASSERT_EQ(co.values.size(), 1u);
  EXPECT_EQ(co.values[0].name, "InstallDir");
  EXPECT_EQ(co.values[0].type, kRegExpandSz);
  EXPECT_EQ(co.FindValue("installdir"), &co.values[0]);
  EXPECT_EQ(co.FindValue(""), nullptr);
  EXPECT_TRUE(co.DeleteValue("installDIR"));
  EXPECT_FALSE(co.DeleteValue("InstallDir"));

  // Case-insensitive on ASCII only, as the shared helpers fold only A-Z.
  co.CreateSubKey("Ä");
  EXPECT_EQ(co.FindSubKey("ä"), nullptr);
  EXPECT_NE(co.FindSubKey("Ä"), nullptr);
}

TEST(RegistryHiveTest, ValuesKeepCreationOrder) {
  RegKeyNode k("K");
  for (const char* n : {"zeta", "Alpha", "", "mid"}) k.SetValue(n, kRegDword, EncodeDword(1));
  k.SetValue("ALPHA", kRegDword, EncodeDword(2));  // replaced in place
  k.DeleteValue("zeta");
  k.SetValue("Zeta", kRegDword, EncodeDword(3));  // re-added at the end
  std::vector<std::string> names;
  for (const RegValue& v : k.values) names.push_back(v.name);
  EXPECT_EQ(names, (std::vector<std::string>{"Alpha", "", "mid", "Zeta"}));
  EXPECT_EQ(k.FindValue("alpha")->data, EncodeDword(2));

  // The file's order is kept too, not sorted.
  const RegistryHive h = RegistryHive::Parse(kHead +
                                             "[HKEY_CURRENT_USER\\K]\n\"b\"=dword:1\n\"a\"=dword:2\n@=\"d\"\n"
                                             "\"B\"=dword:3\n");
  const RegKeyNode* parsed = h.FindKey(h.CurrentUser(), "K");
  ASSERT_EQ(parsed->values.size(), 3u);
  EXPECT_EQ(parsed->values[0].name, "b");
  EXPECT_EQ(parsed->values[0].data, EncodeDword(3));
  EXPECT_EQ(parsed->values[1].name, "a");
  EXPECT_EQ(parsed->values[2].name, "");
}

TEST(RegistryHiveTest, SubKeysSortIgnoringCase) {
  RegistryHive h;
  for (const char* n : {"beta", "Gamma", "alpha2", "Alpha", "_under", "Zulu", "10"}) h.CreateKey(h.CurrentUser(), n);
  std::vector<std::string> names;
  for (const auto& entry : h.CurrentUser().subkeys) names.push_back(entry.second->name);
  EXPECT_EQ(names, (std::vector<std::string>{"10", "Alpha", "alpha2", "beta", "Gamma", "Zulu", "_under"}));
  const std::string text = h.Serialize();
  EXPECT_LT(text.find("\\Alpha]"), text.find("\\alpha2]"));
  EXPECT_LT(text.find("\\alpha2]"), text.find("\\beta]"));
  EXPECT_LT(text.find("\\Zulu]"), text.find("\\_under]"));
}

TEST(RegistryHiveTest, ReadsUtf16WithBom) {
  const std::string utf8 = kHead + "[HKEY_CURRENT_USER\\Software\\Ünï]\r\n\"名前\"=\"😀 x\"\r\n\"n\"=dword:00000007\r\n";
  std::string bytes = "\xFF\xFE";
  for (uint8_t b : Utf16Bytes(platform::Utf8ToUtf16(utf8))) bytes.push_back(static_cast<char>(b));
  const RegistryHive h = RegistryHive::Parse(bytes);
  const RegKeyNode* k = h.FindKey(h.CurrentUser(), "Software\\Ünï");
  ASSERT_NE(k, nullptr);
  EXPECT_EQ(k->name, "Ünï");
  ASSERT_NE(k->FindValue("名前"), nullptr);
  EXPECT_EQ(DecodeString(k->FindValue("名前")->data), "😀 x");
  EXPECT_EQ(k->FindValue("n")->data, EncodeDword(7));

  // Broken UTF-16 is reported, not replaced.
  try {
    RegistryHive::Parse(bytes + "x");
    FAIL() << "odd byte count accepted";
  } catch (const ParseError& e) {
    EXPECT_EQ(e.line(), 6);
  }
  std::string lone = "\xFF\xFE";
  for (uint8_t b : Utf16Bytes(u"REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\\xD800]\r\n")) lone.push_back(static_cast<char>(b));
  try {
    RegistryHive::Parse(lone);
    FAIL() << "unpaired surrogate accepted";
  } catch (const ParseError& e) {
    EXPECT_EQ(e.line(), 3);
  }
}

TEST(RegistryHiveTest, ReadsLenientVariants) {
  const RegistryHive h = RegistryHive::Parse(
      "\xEF\xBB\xBF\n\nREGEDIT4  \n; comment\n  ;indented comment\n"
      "[hkey_local_machine\\A]  \n"
      "\"d\"=DWORD:1f\n"
      "\"q\"=hex(b):01,02,03,04,05,06,07,08\n"
      "\"e\"=hex:\n"
      "\"s\"=hex:\\\n"
      "  a,B\n"
      "\"n\"=hex(0):\n"
      "\"\"=\"default via empty name\"\n"
      "[HKEY_LOCAL_MACHINE\\a\\B]");
  const RegKeyNode* a = h.FindKey(h.LocalMachine(), "A");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->FindValue("d")->data, EncodeDword(0x1f));
  EXPECT_EQ(a->FindValue("q")->type, kRegQword);
  EXPECT_EQ(a->FindValue("e")->type, kRegBinary);
  EXPECT_TRUE(a->FindValue("e")->data.empty());
  EXPECT_EQ(a->FindValue("s")->data, (Bytes{0x0a, 0x0b}));
  EXPECT_EQ(a->FindValue("n")->type, kRegNone);
  EXPECT_EQ(DecodeString(a->FindValue("")->data), "default via empty name");
  EXPECT_NE(h.FindKey(h.LocalMachine(), "A\\B"), nullptr);
}

TEST(RegistryHiveTest, DeletionLines) {
  const RegistryHive h = RegistryHive::Parse(kHead +
                                             "[HKEY_LOCAL_MACHINE\\Software\\Old\\Deep\\Er]\r\n"
                                             "\"x\"=\"1\"\r\n"
                                             "[HKEY_LOCAL_MACHINE\\Software\\Keep]\r\n"
                                             "\"a\"=\"1\"\r\n\"b\"=\"2\"\r\n\"c\"=\"3\"\r\n"
                                             "\"B\"=-\r\n"
                                             "\"never there\"=-\r\n"
                                             "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\old]\r\n"
                                             "[-HKEY_LOCAL_MACHINE\\Software\\Missing\\Key]\r\n"
                                             "[HKEY_LOCAL_MACHINE\\Software\\Old]\r\n"
                                             "\"new\"=\"n\"\r\n");
  const RegKeyNode* keep = h.FindKey(h.LocalMachine(), "Software\\Keep");
  ASSERT_EQ(keep->values.size(), 2u);
  EXPECT_EQ(keep->values[0].name, "a");
  EXPECT_EQ(keep->values[1].name, "c");
  const RegKeyNode* old = h.FindKey(h.LocalMachine(), "Software\\Old");
  ASSERT_NE(old, nullptr);
  EXPECT_TRUE(old->subkeys.empty());
  ASSERT_EQ(old->values.size(), 1u);
  EXPECT_EQ(old->values[0].name, "new");

  // Values after a deletion line have no key to go to.
  try {
    RegistryHive::Parse(kHead + "[HKEY_CURRENT_USER\\A]\r\n[-HKEY_CURRENT_USER\\A]\r\n\"v\"=\"x\"\r\n");
    FAIL();
  } catch (const ParseError& e) {
    EXPECT_EQ(e.line(), 5);
  }
}

TEST(RegistryHiveTest, KeyTreeEditing) {
  RegistryHive h;
  h.CreateKey(h.LocalMachine(), "A\\B\\C").SetValue("v", kRegSz, EncodeString("x"));
  h.CreateKey(h.LocalMachine(), "A\\B2");
  EXPECT_FALSE(h.DeleteKeyTree(h.LocalMachine(), ""));
  EXPECT_FALSE(h.DeleteKeyTree(h.LocalMachine(), "A\\Missing"));
  EXPECT_FALSE(h.DeleteKeyTree(h.LocalMachine(), "A\\B\\"));
  EXPECT_FALSE(h.DeleteKeyTree(h.LocalMachine(), "\\A"));
  EXPECT_FALSE(h.DeleteKeyTree(h.CurrentUser(), "A"));
  EXPECT_TRUE(h.DeleteKeyTree(h.LocalMachine(), "a\\b"));
  EXPECT_EQ(h.FindKey(h.LocalMachine(), "A\\B"), nullptr);
  EXPECT_NE(h.FindKey(h.LocalMachine(), "A\\B2"), nullptr);
  EXPECT_EQ(&h.CreateKey(h.LocalMachine(), ""), &h.LocalMachine());

  // Names that the file could not carry are refused up front.
  for (const char* bad : {"A\\\\B", "A\\", "\\A", "A\\B\nC", "A\\\x01"}) {
    EXPECT_THROW(h.CreateKey(h.LocalMachine(), bad), std::invalid_argument) << bad;
  }
  EXPECT_THROW(h.LocalMachine().CreateSubKey("a\\b"), std::invalid_argument);
  EXPECT_THROW(h.LocalMachine().CreateSubKey(""), std::invalid_argument);
  EXPECT_THROW(h.LocalMachine().CreateSubKey("bad \xC3("), std::invalid_argument);
  EXPECT_THROW(h.LocalMachine().SetValue("two\nlines", kRegSz, {}), std::invalid_argument);
  EXPECT_THROW(h.LocalMachine().SetValue(std::string("nul\0x", 5), kRegSz, {}), std::invalid_argument);
  EXPECT_TRUE(h.LocalMachine().values.empty());

  std::string deep;
  for (size_t i = 0; i < kMaxKeyDepth; ++i) deep += i == 0 ? "k" : "\\k";
  EXPECT_NO_THROW(h.CreateKey(h.CurrentUser(), deep));
  EXPECT_THROW(h.CreateKey(h.CurrentUser(), deep + "\\k"), std::invalid_argument);
  const RegistryHive back = RegistryHive::Parse(h.Serialize());
  EXPECT_NE(back.FindKey(back.CurrentUser(), deep), nullptr);
}

TEST(RegistryHiveTest, StringAndDwordHelpers) {
  EXPECT_EQ(EncodeString("Aé"), (Bytes{'A', 0, 0xE9, 0, 0, 0}));
  EXPECT_EQ(EncodeString(""), (Bytes{0, 0}));
  EXPECT_EQ(EncodeString("😀"), (Bytes{0x3D, 0xD8, 0x00, 0xDE, 0, 0}));
  EXPECT_EQ(DecodeString(EncodeString("😀 ok")), "😀 ok");
  EXPECT_EQ(DecodeString({'a', 0, 0, 0, 'b', 0, 0, 0}), "a");
  EXPECT_EQ(DecodeString({'a', 0, 'b'}), "a");
  EXPECT_EQ(DecodeString({'a', 0, 'b', 0}), "ab");
  EXPECT_EQ(DecodeString({}), "");
  EXPECT_EQ(DecodeString({'x'}), "");
  EXPECT_EQ(EncodeDword(0x0A0B0C0D), (Bytes{0x0D, 0x0C, 0x0B, 0x0A}));
}

TEST(RegistryHiveTest, MalformedInputNamesTheLine) {
  struct Case {
    std::string text;
    int line;
  };
  const std::string k = kHead + "[HKEY_LOCAL_MACHINE\\K]\r\n";  // value lines below start at line 4
  std::string tooDeep = "[HKEY_CURRENT_USER";
  for (size_t i = 0; i <= kMaxKeyDepth; ++i) tooDeep += "\\k";
  const Case cases[] = {
      {"", 1},
      {"\r\n \r\n", 1},
      {"garbage\r\n", 1},
      {"\r\n\r\nWindows Registry Editor Version 4.00\r\n", 3},
      {"; comment first\r\n" + kHead, 1},
      {kHead + "\"a\"=\"b\"\r\n", 3},
      {kHead + "@=\"b\"\r\n", 3},
      {kHead + "[HKEY_CLASSES_ROOT\\x]\r\n", 3},
      {kHead + "[HKLM\\x]\r\n", 3},
      {kHead + "[]\r\n", 3},
      {kHead + "[-]\r\n", 3},
      {kHead + "[\r\n", 3},
      {kHead + "[HKEY_LOCAL_MACHINE\\x\r\n", 3},
      {kHead + "[HKEY_LOCAL_MACHINE\\a\\\\b]\r\n", 3},
      {kHead + "[HKEY_LOCAL_MACHINE\\]\r\n", 3},
      {kHead + "[HKEY_LOCAL_MACHINE\\a\x01]\r\n", 3},
      {kHead + "[-HKEY_LOCAL_MACHINE]\r\n", 3},
      {kHead + tooDeep + "]\r\n", 3},
      {k + "junk\r\n", 4},
      {k + "\"a\"\r\n", 4},
      {k + "\"a\" =\"b\"\r\n", 4},
      {k + "@x=\"b\"\r\n", 4},
      {k + "\"a=\"b\"\r\n", 4},
      {k + "\"a\"=\"b\r\n", 4},
      {k + "\"a\"=\"b\\\"\r\n", 4},
      {k + "\"a\"=\"b\\q\"\r\n", 4},
      {k + "\"a\\\"=1\r\n", 4},
      {k + "\"a\"=\"b\" x\r\n", 4},
      {k + "\"a\"=\r\n", 4},
      {k + "\"a\"=foo\r\n", 4},
      {k + "\"a\"=dword:\r\n", 4},
      {k + "\"a\"=dword:123456789\r\n", 4},
      {k + "\"a\"=dword:12x4\r\n", 4},
      {k + "\"a\"=dword:-1\r\n", 4},
      {k + "\"a\"=hex:0g\r\n", 4},
      {k + "\"a\"=hex:123\r\n", 4},
      {k + "\"a\"=hex:aa,,bb\r\n", 4},
      {k + "\"a\"=hex:aa,\r\n", 4},
      {k + "\"a\"=hex:,aa\r\n", 4},
      {k + "\"a\"=hex:aa bb\r\n", 4},
      {k + "\"a\"=hex(2:00\r\n", 4},
      {k + "\"a\"=hex():00\r\n", 4},
      {k + "\"a\"=hex(zz):00\r\n", 4},
      {k + "\"a\"=hex(123456789):00\r\n", 4},
      {k + "\"a\"=hex(2)00\r\n", 4},
      {k + "\"a\"=hex(2)\r\n", 4},
      {k + "\"a\"=hex:aa\\\r\n  bb\r\n", 4},
      {k + "\"a\"=hex:aa,\\\r\n", 4},
      {k + "\"a\"=hex:aa,\\\r\n  bb,\\\r\n  zz\r\n", 6},
      {k + "\"a\"=hex:aa,\\\r\n  bb,\\\r\n[HKEY_LOCAL_MACHINE\\K2]\r\n", 6},
      {k + "\"a\"=\"ok\"\r\n\"b\"=dword:1\r\n\"c\"=hex:zz\r\n", 6},
      {k + "\"bad \xC3(\"=\"x\"\r\n", 4},
      {k + "\"a\"=\"ANSI \xE9t\xE9\"\r\n", 4},  // would otherwise turn into U+FFFD silently
      {k + std::string("\"nul\0\"=\"x\"\r\n", 13), 4},
      {k + "\"a\"=-x\r\n", 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    try {
      RegistryHive::Parse(c.text);
      ADD_FAILURE() << "accepted";
    } catch (const ParseError& e) {
      EXPECT_EQ(e.line(), c.line) << e.what();
      EXPECT_EQ(std::string(e.what()).rfind("registry.reg line " + std::to_string(c.line) + ": ", 0), 0u) << e.what();
    }
  }
}

// Damaged files of any shape either load or give a ParseError; whatever
// loads must survive its own round trip. Run under the sanitizers.
TEST(RegistryHiveTest, DamagedInputNeverCrashes) {
  const std::string good = MakeRichHive().Serialize();
  auto check = [](const std::string& text) {
    try {
      const RegistryHive h = RegistryHive::Parse(text);
      const std::string again = h.Serialize();
      const RegistryHive back = RegistryHive::Parse(again);
      ExpectSameHive(h, back);
    } catch (const ParseError&) {
    }
  };
  for (size_t n = 0; n <= good.size(); n += 3) check(good.substr(0, n));

  std::mt19937 rng(12345);
  const char kInteresting[] =
      "\\\"[]@=-,:;()\r\n \x00\xC3\xFF\xFE"
      "0aF";
  for (int round = 0; round < 3000; ++round) {
    std::string text = good;
    const int edits = 1 + static_cast<int>(rng() % 6);
    for (int e = 0; e < edits; ++e) {
      const size_t pos = rng() % (text.size() + 1);
      switch (rng() % 4) {
        case 0:
          if (pos < text.size()) text[pos] = kInteresting[rng() % (sizeof kInteresting - 1)];
          break;
        case 1:
          text.insert(pos, 1, static_cast<char>(rng() & 0xFF));
          break;
        case 2:
          if (pos < text.size()) text.erase(pos, 1 + rng() % 8);
          break;
        default:
          text.insert(pos, text.substr(rng() % text.size(), rng() % 40));
          break;
      }
    }
    check(text);
    if (round % 10 == 0) check("\xFF\xFE" + text);
  }
}

}  // namespace
}  // namespace simwin
