// Parsing of the command line.
#include "CmdLineUtils.h"

#include <gtest/gtest.h>

namespace {

TCmdOptions Parse(const std::vector<std::string>& args) {
  return TCmdOptions(args, TCmdOptions::HelpAction::RecordOnly);
}

}  // namespace

TEST(CmdLineTest, BooleanOptionsMatchTheWholeArgumentInAnyCase) {
  struct Case {
    std::vector<std::string> args;
    bool ignoreBCB;
  };
  const Case cases[] = {
      {{"--IGNORE-BCB"}, true},
      {{"--ignore-bcb", "--ignore-bcb-"}, false},
      {{"--ignore-bcb-", "--ignore-bcb"}, true},
      {{"--ignore-bcb=1"}, false},
      {{"--ignore-bc"}, false},
      {{}, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TCmdOptions(c.args, TCmdOptions::HelpAction::RecordOnly).IgnoreBCB(), c.ignoreBCB)
        << ::testing::PrintToString(c.args);
  }
}

TEST(CmdLineTest, EveryOptionSetsItsOwnField) {
  TCmdOptions o({"--ignore-ide", "--ignore-delphi", "--keep-files", "--autoupdate", "--autoinstall", "--build",
                 "--autoclose", "-rDelphi=D", "-rBCB=B", "-rBDS=S", "--lang=de"},
                TCmdOptions::HelpAction::RecordOnly);
  EXPECT_TRUE(o.IgnoreIDE());
  EXPECT_FALSE(o.IgnoreBCB());
  EXPECT_TRUE(o.IgnoreDelphi());
  EXPECT_TRUE(o.KeepFiles());
  EXPECT_TRUE(o.AutoUpdate());
  EXPECT_TRUE(o.AutoInstall());
  EXPECT_TRUE(o.RebuildPackages());
  EXPECT_TRUE(o.AutoCloseAfterSuccess());
  EXPECT_FALSE(o.Help());
  EXPECT_EQ(o.RegistryKeyDelphi(), "D");
  EXPECT_EQ(o.RegistryKeyBCB(), "B");
  EXPECT_EQ(o.RegistryKeyBDS(), "S");
  EXPECT_EQ(o.Lang(), "de");

  const TCmdOptions none({}, TCmdOptions::HelpAction::RecordOnly);
  EXPECT_FALSE(none.IgnoreIDE() || none.KeepFiles() || none.AutoUpdate() || none.Help());
  EXPECT_EQ(none.RegistryKeyBDS(), "");
}

TEST(CmdLineTest, StringOptionsMatchAPrefixAndKeepTheValue) {
  EXPECT_EQ(Parse({"-RBDS=Win32Only"}).RegistryKeyBDS(), "Win32Only");
  EXPECT_EQ(Parse({"-rBDS=Win32Only", "-rBDS="}).RegistryKeyBDS(), "");
  EXPECT_EQ(Parse({"-rbds=a=b c"}).RegistryKeyBDS(), "a=b c");
  EXPECT_EQ(Parse({"--lang"}).Lang(), "");
  EXPECT_EQ(Parse({"--LANG=Fr"}).Lang(), "Fr");
  EXPECT_EQ(Parse({"-rDelphi"}).RegistryKeyDelphi(), "");
}

TEST(CmdLineTest, HelpIsRecognisedAnywhere) {
  for (const char* help : {"--help", "/?", "-h", "-H", "--HELP"}) {
    const TCmdOptions o({"--ignore-bcb", help, "-rBDS=X"}, TCmdOptions::HelpAction::RecordOnly);
    EXPECT_TRUE(o.Help()) << help;
    EXPECT_TRUE(o.IgnoreBCB()) << help;
    EXPECT_EQ(o.RegistryKeyBDS(), "X") << help;
  }
  EXPECT_FALSE(Parse({"--help-"}).Help());
  EXPECT_FALSE(Parse({"/?x"}).Help());
}

TEST(CmdLineTest, UnknownArgumentsAreIgnored) {
  const TCmdOptions o({"--unknown", "", "C:\\some file.txt", "--ignore-ide"}, TCmdOptions::HelpAction::RecordOnly);
  EXPECT_TRUE(o.IgnoreIDE());
}
