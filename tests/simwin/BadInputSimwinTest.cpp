// Bad input that only a simulated machine can give: users whose names have
// blanks, Cyrillic or Chinese letters, on a machine whose ANSI code page is
// 1252. Their IDE settings are read from their folders, and a package builds
// in their Documents folder, the compiler getting the folders it cannot be
// given by name in their short form.
#include <gtest/gtest.h>

#include <algorithm>

#include "Compile/Compiler.h"
#include "Compile/InstallData.h"
#include "Compile/TargetOptions.h"
#include "EngineMachine.h"
#include "SysUtils.h"
#include "Utils.h"
#include "platform/FileSystem.h"
#include "platform/Shell.h"
#include "platform/simwin/Machine.h"

TEST(BadInputSimwinTest, UserNamesWithBlanksCyrillicAndChineseLetters) {
  struct Case {
    std::string user;
    std::string output;  // the package output folder in the compiler's configuration
  };
  const Case cases[] = {
      {"Jane Doe", "C:\\Users\\Jane Doe\\Documents\\Vexorin\\Delphi7"},
      {"\u0418\u0432\u0430\u043D \u041F\u0435\u0442\u0440\u043E\u0432",
       "C:\\Users\\______~1\\DOCUME~1\\Vexorin\\Delphi7"},
      {"\u738B\u4F1F", "C:\\Users\\______~1\\DOCUME~1\\Vexorin\\Delphi7"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.user);
    EngineMachine machine;
    const std::string profile = "C:\\Users\\" + c.user;
    auto settings = simwin::Machine::Current().Settings();
    settings.userName = c.user;
    settings.ansiCodePage = 1252;
    settings.folders["profile"] = profile;
    settings.folders["documents"] = profile + "\\Documents";
    settings.folders["roaming-app-data"] = profile + "\\AppData\\Roaming";
    simwin::Machine::Current().UpdateSettings(settings);
    machine.Install("delphi7");
    const auto& studio = machine.Install("bds23");
    EXPECT_EQ(studio.envOptionsPath, profile + "\\AppData\\Roaming\\Embarcadero\\BDS\\23.0\\EnvOptions.proj");
    machine.demoDir = profile + "\\Documents\\Vexorin";
    for (const char* unit : {"vxCore", "vxQuery"}) {
      machine.Package().Fixture().WriteText(
          machine.demoDir + "\\Sources\\" + unit + ".pas",
          std::string("unit ") + unit + ";\r\ninterface\r\nimplementation\r\nend.\r\n");
    }
    machine.Load();
    // RAD Studio 12 read its settings from the user's EnvOptions.proj.
    TTargetOptions& rs12 = machine.Options("Embarcadero RAD Studio 12 Win32");
    EXPECT_EQ(rs12.LoadError(), "");
    EXPECT_EQ(rs12.Target().SearchPaths().front(), "$(BDSLIB)\\$(Platform)\\release");
    EXPECT_EQ(rs12.Target().BDSProjectsDir(), profile + "\\Documents\\RAD Studio\\Projects");

    TTargetOptions& delphi7 = machine.Options("Delphi 7");
    machine.WritePackage(delphi7, "vxVexorin");
    try {
      machine.compiler.CompilePackage(delphi7, "vxVexorin", true, true);
    } catch (const Exception& e) {
      ADD_FAILURE() << e.Message();
    }
    const auto log = machine.Log();
    EXPECT_NE(std::find(log.begin(), log.end(), "-LE\"" + c.output + "\""), log.end());
    EXPECT_TRUE(platform::FileExists(machine.demoDir + "\\Delphi7\\vxVexorinD7.bpl"));
  }
}
