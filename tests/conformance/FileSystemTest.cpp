// Files and folders through the platform layer, the same on simwin and win32.
#include <gtest/gtest.h>

#include <algorithm>

#include "TestMachine.h"
#include "platform/Environment.h"
#include "platform/FileSystem.h"

using namespace platform;

namespace {

std::vector<std::string> SortedNames(const std::string& pattern) {
  std::vector<DirEntry> entries;
  std::vector<std::string> names;
  if (FindEntries(pattern, entries)) {
    for (const auto& e : entries) names.push_back(e.name + (e.isDirectory ? "\\" : ""));
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

class FileSystemTest : public ::testing::Test {
 protected:
  TestMachine machine;
  std::string dir = machine.Dir();
};

TEST_F(FileSystemTest, PathsIgnoreLetterCase) {
  ASSERT_TRUE(MakeDirectory(dir + "\\Packages"));
  ASSERT_TRUE(MakeDirectory(dir + "\\PACKAGES\\Delphi7"));
  WriteFile(dir + "\\packages\\delphi7\\Core.DPK", "package Core;");
  EXPECT_TRUE(FileExists(dir + "\\Packages\\Delphi7\\core.dpk"));
  EXPECT_TRUE(DirectoryExists(dir + "\\pAcKaGeS"));
  EXPECT_FALSE(FileExists(dir + "\\Packages"));
  EXPECT_FALSE(DirectoryExists(dir + "\\Packages\\Delphi7\\Core.dpk"));
  EXPECT_EQ(ReadFileBytes(dir + "\\PACKAGES\\DELPHI7\\CORE.DPK"), "package Core;");
  // New names keep the case they were given.
  EXPECT_EQ(SortedNames(dir + "\\*"), (std::vector<std::string>{"..\\", ".\\", "Packages\\"}));
  EXPECT_EQ(SortedNames(dir + "\\packages\\delphi7\\*.dpk"), std::vector<std::string>{"Core.DPK"});
}

TEST_F(FileSystemTest, FindEntriesMatchesMasksAndReportsSizes) {
  WriteFile(dir + "\\a.dpk", "12345");
  WriteFile(dir + "\\b.DPK", "");
  WriteFile(dir + "\\c.pas", "x");
  WriteFile(dir + "\\noext", "x");
  ASSERT_TRUE(MakeDirectory(dir + "\\sub.dpk"));
  EXPECT_EQ(SortedNames(dir + "\\*.dpk"), (std::vector<std::string>{"a.dpk", "b.DPK", "sub.dpk\\"}));
  EXPECT_EQ(SortedNames(dir + "\\?.pas"), std::vector<std::string>{"c.pas"});
  EXPECT_EQ(SortedNames(dir + "\\*.*").size(), 7u);
  std::vector<DirEntry> entries;
  ASSERT_TRUE(FindEntries(dir + "\\A.DPK", entries));
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].size, 5u);
  EXPECT_FALSE(entries[0].isDirectory);
  EXPECT_FALSE(FindEntries(dir + "\\*.bpl", entries));
  EXPECT_FALSE(FindEntries(dir + "\\missing\\*", entries));
}

TEST_F(FileSystemTest, CopyMoveAndDeleteFollowWindowsRules) {
  WriteFile(dir + "\\src.txt", "data");
  EXPECT_TRUE(CopyFileTo(dir + "\\SRC.TXT", dir + "\\copy.txt", true));
  EXPECT_EQ(ReadFileBytes(dir + "\\copy.txt"), "data");
  WriteFile(dir + "\\src.txt", "newer");
  EXPECT_FALSE(CopyFileTo(dir + "\\src.txt", dir + "\\copy.txt", true));
  EXPECT_EQ(LastErrorCode(), 80u);  // the file exists
  EXPECT_TRUE(CopyFileTo(dir + "\\src.txt", dir + "\\copy.txt", false));
  EXPECT_EQ(ReadFileBytes(dir + "\\copy.txt"), "newer");
  EXPECT_FALSE(CopyFileTo(dir + "\\none.txt", dir + "\\x.txt", false));
  EXPECT_FALSE(FileExists(dir + "\\x.txt"));

  EXPECT_FALSE(RenamePath(dir + "\\src.txt", dir + "\\copy.txt"));  // never replaces
  EXPECT_TRUE(RenamePath(dir + "\\src.txt", dir + "\\moved.txt"));
  EXPECT_FALSE(FileExists(dir + "\\src.txt"));
  ASSERT_TRUE(MakeDirectory(dir + "\\Folder"));
  EXPECT_TRUE(RenamePath(dir + "\\moved.txt", dir + "\\folder\\moved.txt"));
  EXPECT_TRUE(RenamePath(dir + "\\Folder", dir + "\\Renamed"));
  EXPECT_TRUE(FileExists(dir + "\\renamed\\moved.txt"));

  EXPECT_FALSE(RemoveEmptyDirectory(dir + "\\Renamed"));
  EXPECT_EQ(LastErrorCode(), 145u);  // the directory is not empty
  EXPECT_FALSE(RemoveFile(dir + "\\Renamed"));
  EXPECT_TRUE(RemoveFile(dir + "\\renamed\\MOVED.txt"));
  EXPECT_FALSE(RemoveFile(dir + "\\renamed\\moved.txt"));
  EXPECT_EQ(LastErrorCode(), 2u);
  EXPECT_TRUE(RemoveEmptyDirectory(dir + "\\Renamed"));
  EXPECT_FALSE(DirectoryExists(dir + "\\Renamed"));
}

TEST_F(FileSystemTest, CreatingAFolderNeedsItsParentAndFailsWhenItExists) {
  EXPECT_FALSE(MakeDirectory(dir + "\\a\\b"));
  EXPECT_EQ(LastErrorCode(), 3u);  // the path is not found
  EXPECT_TRUE(MakeDirectory(dir + "\\a"));
  EXPECT_FALSE(MakeDirectory(dir + "\\A"));
  EXPECT_EQ(LastErrorCode(), 183u);  // it already exists
}

TEST_F(FileSystemTest, WritingReplacesAFileWhole) {
  WriteFile(dir + "\\f.cfg", std::string(5000, 'x'));
  WriteFile(dir + "\\F.cfg", "short");
  EXPECT_EQ(ReadFileBytes(dir + "\\f.cfg"), "short");
  EXPECT_EQ(SortedNames(dir + "\\f*"), std::vector<std::string>{"f.cfg"});  // no temporary file left
  EXPECT_FALSE(WriteFileBytes(dir + "\\missing\\f.cfg", "x"));
}

TEST_F(FileSystemTest, ReadsTextFilesByTheirByteOrderMark) {
  struct Case {
    const char* name;
    std::string bytes;
    TextEncoding encoding;
  };
  const Case cases[] = {
      {"utf8-bom",
       "\xEF\xBB\xBF"
       "caf\xC3\xA9",
       TextEncoding::Utf8},
      {"utf16le",
       std::string("\xFF\xFE"
                   "c\0a\0f\0\xE9\0",
                   10),
       TextEncoding::Utf16LE},
      {"utf16be", std::string("\xFE\xFF\0c\0a\0f\0\xE9", 10), TextEncoding::Utf16BE},
      {"ansi", "caf\xE9", TextEncoding::Ansi},  // code page 1252
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    WriteFile(dir + "\\" + c.name + ".txt", c.bytes);
    TextEncoding encoding = TextEncoding::Ansi;
    EXPECT_EQ(ReadTextFile(dir + "\\" + c.name + ".txt", &encoding), "caf\xC3\xA9");
    EXPECT_EQ(encoding, c.encoding);
    // The writer gives the same bytes back: one codec both ways.
    EXPECT_EQ(EncodeTextBytes("caf\xC3\xA9", c.encoding), c.bytes);
  }
  // An odd last byte of UTF-16 is a broken character, not dropped silently.
  TextEncoding encoding = TextEncoding::Ansi;
  EXPECT_EQ(DecodeTextBytes(std::string("\xFF\xFE"
                                        "a\0b",
                                        5),
                            encoding),
            "a\xEF\xBF\xBD");
  EXPECT_EQ(ReadTextFile(dir + "\\none.txt"), std::nullopt);
  EXPECT_EQ(Utf8ToAnsi("caf\xC3\xA9 \xE2\x82\xAC \xE4\xB8\xAD"), "caf\xE9 \x80 ?");
}

TEST_F(FileSystemTest, ShortNamesNameTheSameFile) {
  ASSERT_TRUE(MakeDirectory(dir + "\\Program Files Long"));
  WriteFile(dir + "\\Program Files Long\\library file.pas", "x");
  const std::string shortPath = ShortPathOf(dir + "\\program files long\\LIBRARY FILE.pas");
  ASSERT_FALSE(shortPath.empty());
  EXPECT_TRUE(FileExists(shortPath)) << shortPath;
  EXPECT_EQ(shortPath.find(' '), std::string::npos) << shortPath;
  const std::string name = shortPath.substr(shortPath.rfind('\\') + 1);
  EXPECT_LE(name.size(), 12u) << name;
  EXPECT_EQ(ShortPathOf(dir + "\\nothing here"), "");
}

TEST_F(FileSystemTest, NamesInAFolderMatchInAnyCaseAndByTheirShortForm) {
  WriteFile(dir + "\\Mixed Case Name.text", "x");
  const std::string shortPath = ShortPathOf(dir + "\\Mixed Case Name.text");
  ASSERT_FALSE(shortPath.empty());
  const std::string shortName = shortPath.substr(shortPath.rfind('\\') + 1);
  struct Case {
    std::string name;
    bool exists;
  };
  const Case cases[] = {
      {"Mixed Case Name.text", true}, {"MIXED CASE NAME.TEXT", true}, {"mixed case name.text", true}, {shortName, true},
      {"Mixed Case Name.tex", false},
  };
  for (const Case& c : cases) EXPECT_EQ(FileExists(dir + "\\" + c.name), c.exists) << c.name;
  EXPECT_EQ(ReadFileBytes(dir + "\\" + shortName), "x");
}

TEST_F(FileSystemTest, RelativePathsFollowTheCurrentFolder) {
  const std::string saved = GetCurrentDir();
  ASSERT_TRUE(MakeDirectory(dir + "\\Package"));
  WriteFile(dir + "\\Package\\version", "5.12");
  ASSERT_TRUE(SetCurrentDir(dir + "\\PACKAGE"));
  EXPECT_TRUE(FileExists("version"));
  EXPECT_TRUE(FileExists(".\\VERSION"));
  EXPECT_TRUE(DirectoryExists("..\\Package"));
  EXPECT_FALSE(SetCurrentDir(dir + "\\nowhere"));
  EXPECT_TRUE(SetCurrentDir(saved));
}

TEST_F(FileSystemTest, SystemAndTempFolders) {
  EXPECT_TRUE(DirectoryExists(SystemDirectory())) << SystemDirectory();
  const std::string temp = TempDirectory();
  ASSERT_FALSE(temp.empty());
  EXPECT_EQ(temp.back(), '\\');
  EXPECT_TRUE(DirectoryExists(temp)) << temp;
}
