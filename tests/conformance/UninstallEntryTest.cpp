// The entry in the Windows list of installed programs. (Creating the
// Start-menu group opens it in a shell window, which under Wine stays open
// and holds the test run; the group's tests run on simwin.)
#include <gtest/gtest.h>

#include "Compile/Compiler.h"
#include "Compile/InstallData.h"
#include "EngineMachine.h"
#include "platform/Registry.h"

using platform::RegRoot;

class UninstallEntryTest : public ::testing::Test {
 protected:
  void TearDown() override { machine.compiler.DeleteUninstallEntry(); }

  EngineMachine machine;
};

TEST_F(UninstallEntryTest, NamesTheMaintenanceCopy) {
  TInstallData& data = machine.Load();
  data.SetInstallDir(machine.installDir + "\\");  // one separator all the same
  machine.compiler.WriteUninstallEntry();
  machine.compiler.WriteUninstallEntry();  // rewritten with the same content

  platform::RegistryKey key;
  ASSERT_TRUE(key.OpenRead(RegRoot::LocalMachine, kUninstallRegistryKey));
  const std::string uninstaller = machine.installDir + "\\Uninstall\\setup.exe";
  const std::pair<const char*, std::string> values[] = {
      {"DisplayName", "Vexorin VCL Component 5.12.3.811 Professional Edition With Sources"},
      {"DisplayVersion", "5.12.3.811 Professional Edition With Sources"},
      {"HelpLink", "https://www.orlenta.com/"},
      {"InstallLocation", machine.installDir + "\\"},
      {"Publisher", "Orlenta Software"},
      {"URLInfoAbout", "https://www.orlenta.com/"},
      {"URLUpdateInfo", "https://www.orlenta.com/"},
      {"UninstallString", uninstaller},
      {"DisplayIcon", uninstaller + ",0"},
  };
  for (const auto& [name, value] : values) {
    EXPECT_EQ(key.ValueType(name), platform::RegValueType::String) << name;
    EXPECT_EQ(key.ReadString(name), value) << name;
  }
  EXPECT_EQ(key.ValueNames().size(), std::size(values));
  key.Close();

  machine.compiler.DeleteUninstallEntry();
  EXPECT_FALSE(platform::RegKeyExists(RegRoot::LocalMachine, kUninstallRegistryKey));
  machine.compiler.DeleteUninstallEntry();  // nothing left to delete: no error
}
