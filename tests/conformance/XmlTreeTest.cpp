// The XML element tree used for EnvOptions.proj.
#include "xml/XmlTree.h"

#include <gtest/gtest.h>

#include "SysUtils.h"
#include "TestMachine.h"
#include "platform/FileSystem.h"

namespace {

std::string LoadError(const std::string& text) {
  try {
    xml::TXmlDocument document;
    document.LoadFromText(text, "C:\\test.proj");
  } catch (const Exception& e) {
    return e.what();
  }
  return "";
}

}  // namespace

TEST(XmlTreeTest, FindsChildrenWithoutRegardToCaseAndCreatesThemAtTheEnd) {
  xml::TXmlDocument document;
  document.LoadFromText(
      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<!-- made by the IDE -->\n"
      "<Project xmlns=\"http://schemas.microsoft.com/developer/msbuild/2003\">"
      "<PropertyGroup Condition=\"'$(Platform)'=='Win32'\"><DelphiLibraryPath>a;b</DelphiLibraryPath></PropertyGroup>"
      "</Project>",
      "EnvOptions.proj");
  xml::TXmlElement group = document.Root().FindChild("propertygroup");
  ASSERT_TRUE(group);
  EXPECT_EQ(group.Attribute("condition"), "'$(Platform)'=='Win32'");
  EXPECT_EQ(group.FindChild("DELPHILIBRARYPATH").Text(), "a;b");
  EXPECT_FALSE(group.FindChild("DelphiBrowsingPath"));
  group.FindChild("DelphiBrowsingPath", true).SetText("c & <d>");
  group.FindChild("delphilibrarypath").SetText("");
  EXPECT_EQ(document.SaveToText(),
            "<Project xmlns=\"http://schemas.microsoft.com/developer/msbuild/2003\">\n"
            "  <PropertyGroup Condition=\"'$(Platform)'=='Win32'\">\n"
            "    <DelphiLibraryPath></DelphiLibraryPath>\n"
            "    <DelphiBrowsingPath>c &amp; &lt;d&gt;</DelphiBrowsingPath>\n"
            "  </PropertyGroup>\n"
            "</Project>\n");
}

TEST(XmlTreeTest, ReadsEveryEncodingAndRefusesBadInputClearly) {
  // UTF-16 with a byte-order mark.
  const std::string text = "<Project><A>caf\xC3\xA9</A></Project>";
  std::u16string wide = u"\uFEFF<Project><A>caf\u00E9</A></Project>";
  std::string utf16(reinterpret_cast<const char*>(wide.data()), wide.size() * 2);
  xml::TXmlDocument document;
  document.LoadFromText(utf16, "utf16.proj");
  EXPECT_EQ(document.Root().FindChild("a").Text(), "caf\xC3\xA9");

  // A DOCTYPE is refused: its entities are never expanded, and saved back
  // the references would turn into text and the declaration be lost.
  std::string bomb = "<!DOCTYPE lolz [<!ENTITY lol \"lol\">";
  for (int i = 1; i < 10; ++i) {
    std::string reference = "&lol";
    if (i > 1) reference += std::to_string(i - 1);
    reference += ';';
    bomb += "<!ENTITY lol";
    bomb += std::to_string(i);
    bomb += " \"";
    for (int k = 0; k < 10; ++k) bomb += reference;
    bomb += "\">";
  }
  bomb += "]><Project><A>&lol9;</A></Project>";
  EXPECT_EQ(LoadError(bomb),
            "Cannot read the XML file C:\\test.proj: a document type declaration (DOCTYPE) is not allowed");

  // 50 MB of whitespace around a small document.
  const std::string blanks(25 * 1024 * 1024, ' ');
  xml::TXmlDocument big;
  big.LoadFromText(blanks + "<Project><A>x</A></Project>" + blanks, "big.proj");
  EXPECT_EQ(big.Root().FindChild("A").Text(), "x");

  EXPECT_NE(LoadError("<Project><PropertyGroup>").find("C:\\test.proj"), std::string::npos);
  EXPECT_NE(LoadError("").find("C:\\test.proj"), std::string::npos);
  EXPECT_NE(LoadError("just text").find("C:\\test.proj"), std::string::npos);
  EXPECT_EQ(LoadError(text), "");
}

// A declaration naming a single-byte code page decodes the bytes by it; a
// byte-order mark wins over the declaration; an unknown encoding is refused.
TEST(XmlTreeTest, SingleByteCodePagesOfTheDeclarationAreDecoded) {
  struct Case {
    std::string bytes;
    const char* text;  // UTF-8
  };
  const Case cases[] = {
      {"<?xml version=\"1.0\" encoding=\"windows-1252\"?><P><A>C:\\J\xFCrgen \x80</A></P>",
       "C:\\J\xC3\xBCrgen \xE2\x82\xAC"},
      {"<?xml version='1.0' encoding='ISO-8859-2'?><P><A>\xB9</A></P>", "\xC5\xA1"},
      {"<?xml version=\"1.0\" encoding=\"utf-8\"?><P><A>\xC3\xBC</A></P>", "\xC3\xBC"},
      {"\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"windows-1252\"?><P><A>\xC3\xBC</A></P>", "\xC3\xBC"},
  };
  for (const Case& c : cases) {
    xml::TXmlDocument document;
    document.LoadFromText(c.bytes, "EnvOptions.proj");
    EXPECT_EQ(document.Root().FindChild("A").Text(), c.text) << c.bytes;
  }
  EXPECT_EQ(LoadError("<?xml version=\"1.0\" encoding=\"ebcdic-cp-us\"?><P/>"),
            "Cannot read the XML file C:\\test.proj: the encoding ebcdic-cp-us is not supported");
}

TEST(XmlTreeTest, FilesAreReplacedWholeAndMissingFilesAreNamed) {
  TestMachine machine;
  const std::string path = machine.Dir() + "\\EnvOptions.proj";
  WriteFile(path, "\xEF\xBB\xBF<Project><PropertyGroup/></Project>");
  xml::TXmlDocument document;
  document.LoadFromFile(path);
  document.Root().FindChild("PropertyGroup").FindChild("X", true).SetText("1");
  document.SaveToFile(path);
  EXPECT_EQ(platform::ReadFileBytes(path),
            "<Project>\n  <PropertyGroup>\n    <X>1</X>\n  </PropertyGroup>\n</Project>\n");
  try {
    document.LoadFromFile(machine.Dir() + "\\missing.proj");
    ADD_FAILURE() << "no error";
  } catch (const Exception& e) {
    EXPECT_NE(std::string(e.what()).find("missing.proj"), std::string::npos) << e.what();
  }
}
