// The registry as the program sees it, the same on simwin and win32.
#include <gtest/gtest.h>

#include <algorithm>

#include "TestMachine.h"
#include "platform/Registry.h"

using platform::RegistryKey;
using platform::RegRoot;
using platform::RegValueType;

class RegistryTest : public ::testing::TestWithParam<RegRoot> {
 protected:
  TestMachine machine;
};

TEST_P(RegistryTest, TreeIsWrittenAndReadBackWithItsTypes) {
  const RegRoot root = GetParam();
  {
    RegistryKey key;
    ASSERT_TRUE(key.OpenWrite(root, machine.Key() + "\\Tree\\Leaf", true));
    EXPECT_TRUE(key.WriteString("RootDir", "C:\\Program Files (x86)\\Embarcadero\\Studio\\23.0\\"));
    EXPECT_TRUE(key.WriteDWord("Installed", 1));
    EXPECT_TRUE(key.WriteString("", "default value"));
    EXPECT_TRUE(key.WriteString("Unicode", "Zo\xC3\xAB \xE2\x82\xAC"));
    EXPECT_TRUE(key.WriteString("Empty", ""));
  }
  RegistryKey key;
  ASSERT_TRUE(key.OpenRead(root, machine.Key() + "\\Tree\\Leaf"));
  EXPECT_EQ(key.ReadString("RootDir"), "C:\\Program Files (x86)\\Embarcadero\\Studio\\23.0\\");
  EXPECT_EQ(key.ReadDWord("Installed"), 1u);
  EXPECT_EQ(key.ReadString(""), "default value");
  EXPECT_EQ(key.ReadString("Unicode"), "Zo\xC3\xAB \xE2\x82\xAC");
  EXPECT_EQ(key.ReadString("Empty"), "");
  EXPECT_EQ(key.ValueType("RootDir"), RegValueType::String);
  EXPECT_EQ(key.ValueType("Installed"), RegValueType::DWord);
  EXPECT_EQ(key.ValueType("Missing"), RegValueType::None);
  // A value of the other type is not read as this one.
  EXPECT_EQ(key.ReadDWord("RootDir"), std::nullopt);
  EXPECT_EQ(key.ReadString("Installed"), std::nullopt);
  EXPECT_EQ(key.ReadString("Missing"), std::nullopt);
}

TEST_P(RegistryTest, NamesIgnoreCaseAndKeepTheirCase) {
  const RegRoot root = GetParam();
  RegistryKey key;
  ASSERT_TRUE(key.OpenWrite(root, machine.Key() + "\\MixedCase", true));
  ASSERT_TRUE(key.WriteString("LibraryPath", "one"));
  ASSERT_TRUE(key.WriteString("LIBRARYPATH", "two"));  // the same value
  EXPECT_EQ(key.ValueNames(), std::vector<std::string>{"LibraryPath"});
  EXPECT_EQ(key.ReadString("librarypath"), "two");
  EXPECT_TRUE(key.ValueExists("libraryPATH"));

  RegistryKey other;
  EXPECT_TRUE(other.OpenRead(root, machine.Key() + "\\MIXEDCASE"));
  EXPECT_TRUE(platform::RegKeyExists(root, machine.Key() + "\\mixedcase"));
  EXPECT_TRUE(platform::RegKeyExists(root, "\\" + machine.Key() + "\\mixedcase\\"));  // as the program writes paths
  RegistryKey parent;
  ASSERT_TRUE(parent.OpenRead(root, machine.Key()));
  EXPECT_EQ(parent.SubKeyNames(), std::vector<std::string>{"MixedCase"});
}

TEST_P(RegistryTest, EnumeratesSubKeysInNameOrderAndEveryValue) {
  const RegRoot root = GetParam();
  RegistryKey key;
  ASSERT_TRUE(key.OpenWrite(root, machine.Key(), true));
  for (const char* name : {"b", "C", "a"}) {
    RegistryKey sub;
    ASSERT_TRUE(sub.OpenWrite(root, machine.Key() + "\\" + name, true));
  }
  for (const char* name : {"Zeta", "alpha", "Mid"}) ASSERT_TRUE(key.WriteDWord(name, 0));
  EXPECT_EQ(key.SubKeyNames(), (std::vector<std::string>{"a", "b", "C"}));
  auto values = key.ValueNames();
  std::sort(values.begin(), values.end());
  EXPECT_EQ(values, (std::vector<std::string>{"Mid", "Zeta", "alpha"}));
}

TEST_P(RegistryTest, DeletesValuesAndWholeTrees) {
  const RegRoot root = GetParam();
  {
    RegistryKey key;
    ASSERT_TRUE(key.OpenWrite(root, machine.Key() + "\\Gone\\Deep\\Deeper", true));
    ASSERT_TRUE(key.WriteString("v", "x"));
  }
  RegistryKey key;
  ASSERT_TRUE(key.OpenWrite(root, machine.Key() + "\\Gone", false));
  ASSERT_TRUE(key.WriteString("keep", "1"));
  ASSERT_TRUE(key.WriteString("drop", "2"));
  EXPECT_TRUE(key.DeleteValue("DROP"));
  EXPECT_FALSE(key.DeleteValue("drop"));
  EXPECT_EQ(key.ValueNames(), std::vector<std::string>{"keep"});
  key.Close();

  EXPECT_TRUE(platform::RegDeleteKeyTree(root, machine.Key() + "\\gone"));
  EXPECT_FALSE(platform::RegKeyExists(root, machine.Key() + "\\Gone"));
  EXPECT_FALSE(platform::RegKeyExists(root, machine.Key() + "\\Gone\\Deep\\Deeper"));
  EXPECT_TRUE(platform::RegKeyExists(root, machine.Key()));
  EXPECT_FALSE(platform::RegDeleteKeyTree(root, machine.Key() + "\\Gone"));
}

TEST_P(RegistryTest, OpeningMissingKeysAndWritingReadOnlyKeysFail) {
  const RegRoot root = GetParam();
  RegistryKey key;
  EXPECT_FALSE(key.OpenRead(root, machine.Key() + "\\Nothing"));
  EXPECT_FALSE(key.OpenWrite(root, machine.Key() + "\\Nothing", false));
  EXPECT_FALSE(key.IsOpen());
  EXPECT_FALSE(key.WriteString("a", "b"));
  EXPECT_TRUE(key.SubKeyNames().empty());

  ASSERT_TRUE(key.OpenWrite(root, machine.Key() + "\\Exists", true));
  key.Close();
  ASSERT_TRUE(key.OpenRead(root, machine.Key() + "\\Exists"));
  EXPECT_FALSE(key.WriteString("a", "b"));
  EXPECT_FALSE(key.ValueExists("a"));
}

INSTANTIATE_TEST_SUITE_P(BothRoots, RegistryTest, ::testing::Values(RegRoot::CurrentUser, RegRoot::LocalMachine),
                         [](const auto& info) {
                           return info.param == RegRoot::CurrentUser ? "CurrentUser" : "LocalMachine";
                         });
