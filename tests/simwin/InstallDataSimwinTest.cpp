// A package without its version file: the message box is shown, then the
// error is raised.
#include <gtest/gtest.h>

#include "Compile/InstallData.h"
#include "SysUtils.h"
#include "TestMachine.h"
#include "platform/Environment.h"
#include "platform/gui/headless/Headless.h"

TEST(InstallDataSimwinTest, MissingVersionFileIsShownAndRaised) {
  TestMachine machine;
  ASSERT_TRUE(platform::SetCurrentDir(machine.Dir()));
  std::vector<std::string> shown;
  gui::headless::SetOutput([&shown](const std::string& line) { shown.push_back(line); });
  const std::string text = "File not exists:\"version\". Invalid installer package.";
  try {
    TInstallData data;
    ADD_FAILURE() << "no error";
  } catch (const Exception& e) {
    EXPECT_EQ(e.what(), text);
  }
  gui::headless::SetOutput(nullptr);
  EXPECT_EQ(shown, (std::vector<std::string>{"=== message box \"Vexorin Installer\"", "  " + text, "  buttons: [OK]"}));
  CmdOptions.reset();
}
