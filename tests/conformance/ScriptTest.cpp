// The language of the scripts of user steps: what a line means, and the
// errors a script reader gets.
#include <gtest/gtest.h>

#include "platform/gui/Script.h"

TEST(ScriptTest, LinesAndTheirSteps) {
  const auto steps = gui::ParseScript(
      "# a comment\r\n"
      "\r\n"
      "  click \"&Next >\"\r\n"
      "type \"Program Folder:\" \"Say \"\"hi\"\" C:\\ there\"\n"
      "while-running click Cancel\n"
      "browse button \"No directory\"\n"
      "hold-keys");
  ASSERT_EQ(steps.size(), 5u);
  EXPECT_EQ(steps[0].Describe(), "line 3: click \"&Next >\"");
  EXPECT_EQ(steps[1].args, (std::vector<std::string>{"Program Folder:", "Say \"hi\" C:\\ there"}));
  EXPECT_TRUE(steps[2].whileRunning);
  EXPECT_EQ(steps[2].Describe(), "line 5: while-running click \"Cancel\"");
  EXPECT_EQ(steps[3].args, (std::vector<std::string>{"button", "No directory"}));
  EXPECT_EQ(steps[4].verb, "hold-keys");
}

TEST(ScriptTest, BadLinesAreRefusedWithTheirLine) {
  const struct {
    const char* script;
    const char* error;
  } cases[] = {
      {"click \"Next >\"\npress \"Next >\"", "line 2: unknown step \"press\""},
      {"click", "line 1: wrong number of arguments for \"click\""},
      {"type \"Program Folder:\"", "line 1: wrong number of arguments for \"type\""},
      {"click \"Next >", "line 1: a quote is not closed"},
      {"key Space", "line 1: key takes Enter or Esc"},
      {"browse \"C:\\\" \"D:\\\"", "line 1: browse takes a folder, cancel, or button \"CAPTION\""},
      {"while-running", "line 1: while-running needs a step"},
  };
  for (const auto& c : cases) {
    try {
      gui::ParseScript(c.script);
      ADD_FAILURE() << c.script;
    } catch (const gui::ScriptError& e) {
      EXPECT_STREQ(e.what(), c.error) << c.script;
    }
  }
}
