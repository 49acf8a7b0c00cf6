// Per-IDE options where the simulated machine shows what Wine cannot: the
// order of the saved values, a key that cannot be written, the running
// processes of machine.ini.
#include <gtest/gtest.h>

#include "Compile/InstallData.h"
#include "Compile/MetaProviders.h"
#include "Compile/TargetOptions.h"
#include "PackageMachine.h"
#include "platform/Registry.h"
#include "platform/simwin/Machine.h"

using platform::RegRoot;

TEST(TargetOptionsSimwinTest, SavedValuesComeInTheirOrder) {
  PackageMachine machine;
  machine.Install("bds23");
  const TInstallData data;
  TTargetOptions& rs12 = OptionsOf(data, "Embarcadero RAD Studio 12 Win32");
  rs12.SetInstalled(true);
  rs12.SaveToRegistry();
  std::vector<std::string> expected = {"Installed", "BPLDir", "DCPDir", "IDE Registration", "ExtractObjFromLib"};
  const TMetadataProvidersList& providers = data.MetaProviders();
  for (int i = 0; i < providers.Count(); ++i) {
    if (!providers.Items(i)->Standard()) expected.push_back(providers.Items(i)->RegKey());
  }
  expected.insert(expected.end(), {"Add Source Location", "Compile Packages"});
  ASSERT_EQ(expected.size(), 43u);
  EXPECT_EQ(expected[5], "FireDAC Connectivity");
  EXPECT_EQ(expected[40], "ODBCExpress Connectivity");
  platform::RegistryKey key;
  ASSERT_TRUE(key.OpenRead(RegRoot::LocalMachine, rs12.RegistryKey()));
  EXPECT_EQ(key.ValueNames(), expected);
}

TEST(TargetOptionsSimwinTest, KeyThatCannotBeWrittenIsLeftAlone) {
  PackageMachine machine;
  machine.Install("delphi7");
  const TInstallData data;
  TTargetOptions& delphi7 = OptionsOf(data, "Delphi 7.0");
  simwin::Machine::Current().AddFault(simwin::FaultKind::RegistryWrite,
                                      "HKEY_LOCAL_MACHINE\\Software\\Orlenta Software");
  delphi7.SetInstalled(true);
  EXPECT_NO_THROW(delphi7.SaveToRegistry());
  EXPECT_FALSE(platform::RegKeyExists(RegRoot::LocalMachine, delphi7.RegistryKey()));
  simwin::Machine::Current().ClearFaults();
}

TEST(TargetOptionsSimwinTest, RunningIdeIsFoundByNameAndModulePath) {
  PackageMachine machine;
  const auto& ide = machine.Install("bds23");
  const TInstallData data;
  const TTargetOptions& rs12 = OptionsOf(data, "Embarcadero RAD Studio 12 Win32");
  const std::string exe = ide.executable;  // ...\bin\bds.exe
  std::string upper = exe;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  struct Case {
    std::vector<std::vector<std::string>> processes;
    bool running;
  };
  const Case cases[] = {
      {{}, false},
      {{{"C:\\Windows\\explorer.exe"}}, false},
      {{{upper, "C:\\Windows\\System32\\ntdll.dll"}}, true},  // case does not matter
      {{{"D:\\Other\\Studio\\bin\\bds.exe"}}, false},         // another installation's bds.exe
      {{{"C:\\Tools\\launcher.exe", exe}}, false},            // the module alone is not enough
      {{{"D:\\Other\\Studio\\bin\\bds.exe"}, {exe}}, true},
  };
  for (const auto& c : cases) {
    auto settings = simwin::Machine::Current().Settings();
    settings.processes = c.processes;
    simwin::Machine::Current().UpdateSettings(settings);
    EXPECT_EQ(rs12.IDERunning(), c.running) << c.processes.size();
  }
}
