// A package without its version file, on the simulated machine where the
// message box is recorded instead of shown.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "Compile/InstallData.h"
#include "SysUtils.h"
#include "TestMachine.h"
#include "platform/Environment.h"
#include "platform/FileSystem.h"

TEST(InstallDataSimwinTest, MissingVersionFileIsShownAndRaised) {
  TestMachine machine;
  ASSERT_TRUE(platform::SetCurrentDir(machine.Dir()));
  const std::string text = "File not exists:\"version\". Invalid installer package.";
  try {
    TInstallData data;
    ADD_FAILURE() << "no error";
  } catch (const Exception& e) {
    EXPECT_EQ(e.what(), text);
  }
  std::ifstream log(std::string(std::getenv("SIMWIN_ROOT")) + "/shell.log");
  std::stringstream content;
  content << log.rdbuf();
  EXPECT_EQ(content.str(), "messagebox\tVexorin Installer\t" + text + "\n");
  CmdOptions.reset();
}
