// Path and string helpers.
#include "Utils.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "TestMachine.h"
#include "TestTools.h"
#include "platform/FileSystem.h"
#include "platform/Locale.h"
#include "platform/Text.h"

TEST(UtilsTest, JoinPath) {
  struct Case {
    const char *folder, *name, *expected;
  };
  const Case cases[] = {
      {"C:\\Dir", "file.pas", "C:\\Dir\\file.pas"},
      {"C:\\Dir\\", "file.pas", "C:\\Dir\\file.pas"},
      {"C:\\Dir\\", "", "C:\\Dir"},
      {"C:\\Dir", "", "C:\\Dir"},
      {"", "file.pas", "\\file.pas"},
      {"C:\\", "", "C:"},
  };
  for (const auto& c : cases) EXPECT_EQ(JoinPath(c.folder, c.name), c.expected) << c.folder << " + " << c.name;
}

TEST(UtilsTest, CollapseBackslashes) {
  struct Case {
    const char *input, *expected;
  };
  const Case cases[] = {
      {"C:\\\\a\\\\\\b", "C:\\a\\b"},
      {"\\\\server\\\\share", "\\\\server\\share"},  // the UNC prefix stays
      {"C:\\a\\", "C:\\a\\"},
      {"C:\\a\\\\", "C:\\a\\"},
      {"", ""},
      {"\\", "\\"},
      {"\\\\", "\\\\"},
      {"a\\\\\\\\\\\\b", "a\\b"},
  };
  for (const auto& c : cases) EXPECT_EQ(CollapseBackslashes(c.input), c.expected) << c.input;
}

TEST(UtilsTest, PrefixSuffixAndIndexOfText) {
  EXPECT_TRUE(StrStartsWith("-rBDS=x", "-RBDS=", true));
  EXPECT_FALSE(StrStartsWith("-rBDS=x", "-RBDS=", false));
  EXPECT_TRUE(StrStartsWith("anything", "", false));
  EXPECT_TRUE(StrStartsWith("", "", true));
  EXPECT_FALSE(StrStartsWith("ab", "abc", true));
  EXPECT_TRUE(StrEndsWith("Professional With Sources", "with sources", true));
  EXPECT_FALSE(StrEndsWith("Professional With Sources", "with sources", false));
  EXPECT_TRUE(StrEndsWith("x", "", false));
  EXPECT_FALSE(StrEndsWith("s", "Sources", true));
  // Only ASCII letters fold.
  EXPECT_FALSE(StrStartsWith("\xC3\xA9t\xC3\xA9", "\xC3\x89T", true));

  const std::vector<std::string> exts = {".obj", ".DCU"};
  EXPECT_EQ(IndexOfText(".OBJ", exts), 0);
  EXPECT_EQ(IndexOfText(".dcu", exts), 1);
  EXPECT_EQ(IndexOfText(".pas", exts), -1);
  EXPECT_EQ(IndexOfText("", {}), -1);
}

TEST(UtilsTest, TrimAndSplitLines) {
  EXPECT_EQ(Trim(" \t a b\r\n\x01"), "a b");
  EXPECT_EQ(Trim("  "), "");
  struct Case {
    const char* text;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"", {}}, {"a", {"a"}}, {"a\r\nb\r\n", {"a", "b"}}, {"a\n\nb", {"a", "", "b"}}, {"a\rb\n\r", {"a", "b", ""}},
  };
  for (const Case& c : cases) EXPECT_EQ(SplitLines(c.text), c.lines) << c.text;
}

// A text cut to a number of characters keeps whole characters: two bytes of
// "ü", three of "€", and the surrogate pair of "𝄞" (four bytes, two units).
TEST(UtilsTest, Utf8PrefixCutsBetweenCharacters) {
  struct Case {
    const char* text;
    size_t units;
    const char* prefix;
  };
  const Case cases[] = {
      {"abc", 2, "ab"},
      {"abc", 3, "abc"},
      {"abc", 9, "abc"},
      {"a\xC3\xBC"
       "b",
       2, "a\xC3\xBC"},
      {"a\xC3\xBC"
       "b",
       1, "a"},
      {"\xE2\x82\xAC\xE2\x82\xAC", 1, "\xE2\x82\xAC"},
      {"a\xF0\x9D\x84\x9E"
       "b",
       2, "a"},
      {"a\xF0\x9D\x84\x9E"
       "b",
       3, "a\xF0\x9D\x84\x9E"},
      {"\xC3\xBC", 0, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(platform::Utf8Prefix(c.text, c.units), c.prefix) << c.text << " " << c.units;
}

// Comparisons by the user's locale fold more than ASCII letters.
TEST(UtilsTest, LocaleComparisonsFoldEveryLetter) {
  const std::string lower = "C:\\Users\\J\xC3\xBCrgen";  // Jürgen
  const std::string upper = "C:\\USERS\\J\xC3\x9CRGEN";  // JÜRGEN
  EXPECT_FALSE(platform::SameTextAscii(lower, upper));
  EXPECT_TRUE(platform::SameTextLocale(lower, upper));
  EXPECT_TRUE(platform::SameTextLocale("\xCE\xB1\xCE\xB2", "\xCE\x91\xCE\x92"));  // Greek alpha beta
  EXPECT_FALSE(platform::SameTextLocale(lower, "C:\\Users\\Jurgen"));
  EXPECT_FALSE(platform::SameTextLocale(lower, lower + "\\"));
  EXPECT_TRUE(platform::StartsTextLocale(lower + "\\Demo", upper + "\\"));
  EXPECT_TRUE(platform::StartsTextLocale("dclF\xC3\x9CR290.bpl", "DCLf\xC3\xBCr"));
  EXPECT_FALSE(platform::StartsTextLocale(upper, lower + "\\"));
  EXPECT_FALSE(platform::StartsTextLocale("dclfur290.bpl", "dclf\xC3\xBCr"));
}

TEST(UtilsTest, FilePathPieces) {
  EXPECT_EQ(ExtractFileDir("C:\\a\\b.txt"), "C:\\a");
  EXPECT_EQ(ExtractFileDir("C:\\b.txt"), "C:\\");
  EXPECT_EQ(ExtractFileDir("b.txt"), "");
  EXPECT_EQ(ExtractFileName("C:\\a\\b.txt"), "b.txt");
  EXPECT_EQ(ExtractFileExt("C:\\a.d\\b"), "");
  EXPECT_EQ(ExtractFileExt("C:\\a\\b.tar.GZ"), ".GZ");
  EXPECT_EQ(ChangeFileExt("C:\\a\\vxVexorinD7.dpk", ".bpl"), "C:\\a\\vxVexorinD7.bpl");
  EXPECT_EQ(ChangeFileExt("C:\\a.d\\b", ".mak"), "C:\\a.d\\b.mak");
  EXPECT_EQ(ChangeFileExt("dclado70.bpl", ""), "dclado70");
}

class UtilsFilesTest : public ::testing::Test {
 protected:
  TestMachine machine;
  std::string dir = machine.Dir();
};

TEST_F(UtilsFilesTest, SafeForceDirectoriesCreatesEveryLevel) {
  EXPECT_TRUE(SafeForceDirectories(""));
  EXPECT_TRUE(SafeForceDirectories(dir + "\\a\\b\\c\\"));
  EXPECT_TRUE(platform::DirectoryExists(dir + "\\a\\b\\c"));
  EXPECT_TRUE(SafeForceDirectories(dir + "\\A\\B"));  // already there
  WriteFile(dir + "\\file", "x");
  EXPECT_FALSE(SafeForceDirectories(dir + "\\file\\sub"));
}

// The error code is the creation's, not that of a later existence check
// ("file not found"), at every level.
TEST_F(UtilsFilesTest, SafeForceDirectoriesKeepsTheCreationsErrorCode) {
  const std::string denied = FolderThatCannotBeCreated(dir);
  for (const std::string& path : {denied, denied + "\\a\\b"}) {
    SCOPED_TRACE(path);
    platform::SetLastErrorCode(0);
    EXPECT_FALSE(SafeForceDirectories(path));
    EXPECT_EQ(platform::LastErrorCode(), 5u);
  }
}

TEST_F(UtilsFilesTest, FindFilesFiltersAndRecurses) {
  ASSERT_TRUE(SafeForceDirectories(dir + "\\Lib\\Win32\\Release"));
  WriteFile(dir + "\\Lib\\a.dcu", "1234");
  WriteFile(dir + "\\Lib\\b.OBJ", "12");
  WriteFile(dir + "\\Lib\\c.pas", "1");
  WriteFile(dir + "\\Lib\\Win32\\d.dcu", "");
  WriteFile(dir + "\\Lib\\Win32\\Release\\e.obj", "123");

  std::vector<FoundFile> found;
  FindFiles(dir + "\\Lib", "*", true, {".obj", ".dcu"}, found);
  std::vector<std::string> paths;
  for (const auto& f : found) paths.push_back(f.path);
  std::sort(paths.begin(), paths.end());
  EXPECT_EQ(paths, (std::vector<std::string>{dir + "\\Lib\\Win32\\Release\\e.obj", dir + "\\Lib\\Win32\\d.dcu",
                                             dir + "\\Lib\\a.dcu", dir + "\\Lib\\b.OBJ"}));
  for (const auto& f : found) {
    if (f.path == dir + "\\Lib\\a.dcu") {
      EXPECT_EQ(f.size, 4u);
    }
  }

  found.clear();
  FindFiles(dir + "\\Lib", "*", false, {}, found);
  EXPECT_EQ(found.size(), 3u);

  // Sub-folders are searched only when they match the mask themselves.
  found.clear();
  FindFiles(dir + "\\Lib", "*.obj", true, {}, found);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].path, dir + "\\Lib\\b.OBJ");

  found.clear();
  FindFiles(dir + "\\Missing", "*", true, {}, found);
  EXPECT_TRUE(found.empty());
}

TEST(UtilsTest, FormatAndRelativePaths) {
  EXPECT_EQ(Format("version %s with %s.", {"5.12.2", "5.12.3"}), "version 5.12.2 with 5.12.3.");
  EXPECT_EQ(Format("\"%0:s\" needs \"%1:s\"; edit \"%2:s\\%3:s\", then \"%1:s\"", {"A", "B", "C", "D"}),
            "\"A\" needs \"B\"; edit \"C\\D\", then \"B\"");
  EXPECT_EQ(Format("no placeholder", {"x"}), "no placeholder");
  EXPECT_EQ(Format("100%% and %s and %s", {"one"}), "100% and one and %s");
  EXPECT_EQ(Format("%7:s", {"a"}), "%7:s");

  EXPECT_EQ(ExtractRelativePath("C:\\Inst\\", "C:\\Inst\\Packages\\D7"), "Packages\\D7");
  EXPECT_EQ(ExtractRelativePath("C:\\Inst\\Vexorin\\", "C:\\inst\\Demo\\Packages"), "..\\Demo\\Packages");
  EXPECT_EQ(ExtractRelativePath("C:\\Program Files (x86)\\Orlentix\\Vexorin\\",
                                "C:\\Users\\Public\\Documents\\Orlentix\\Packages\\RadStudio12"),
            "..\\..\\..\\Users\\Public\\Documents\\Orlentix\\Packages\\RadStudio12");
  EXPECT_EQ(ExtractRelativePath("C:\\Inst\\", "D:\\Demo"), "D:\\Demo");
}
