// A user with a Chinese name on a machine whose ANSI code page is 1252: the
// compiler reads the user's folders in their short (8.3) form; where the
// folder has none, the IDE stops with an error naming the path and the
// compiler is not run.
#include <gtest/gtest.h>

#include <algorithm>

#include "Compile/Compiler.h"
#include "Compile/TargetOptions.h"
#include "EngineMachine.h"
#include "HostCommands.h"
#include "SysUtils.h"
#include "Utils.h"
#include "platform/FileSystem.h"
#include "platform/Shell.h"
#include "platform/simwin/Machine.h"

namespace {

const std::string kUser = "\u738B\u4F1F";
const std::string kProfile = "C:\\Users\\" + kUser;

}  // namespace

class AnsiPathSimwinTest : public ::testing::Test {
 protected:
  AnsiPathSimwinTest() {
    auto settings = simwin::Machine::Current().Settings();
    settings.userName = kUser;
    settings.ansiCodePage = 1252;
    settings.folders["profile"] = kProfile;
    settings.folders["documents"] = kProfile + "\\Documents";
    simwin::Machine::Current().UpdateSettings(settings);
    machine.Install("delphi7");
    machine.demoDir = platform::KnownFolderPath(platform::KnownFolder::Documents) + "\\Vexorin";
    for (const char* unit : {"vxCore", "vxQuery"}) {
      machine.Package().Fixture().WriteText(
          machine.demoDir + "\\Sources\\" + unit + ".pas",
          std::string("unit ") + unit + ";\r\ninterface\r\nimplementation\r\nend.\r\n");
    }
    machine.Load();
    machine.WritePackage(machine.Options("Delphi 7"), "vxVexorin");
  }

  // The message of the build's exception; "" when it succeeds.
  std::string Build() {
    try {
      machine.compiler.CompilePackage(machine.Options("Delphi 7"), "vxVexorin", true, true);
    } catch (const Exception& e) {
      return e.Message();
    }
    return {};
  }
  bool CompilerRan() const {
    return ReadHost(simwin::Machine::Current().Root() + "/tools.log").find("tool: dcc32") != std::string::npos;
  }

  EngineMachine machine;
};

TEST_F(AnsiPathSimwinTest, TheCompilerReadsTheUsersFoldersInTheirShortForm) {
  ASSERT_EQ(machine.demoDir, kProfile + "\\Documents\\Vexorin");
  EXPECT_EQ(Build(), "");
  const std::string out = "C:\\Users\\______~1\\DOCUME~1\\Vexorin\\Delphi7";
  const auto log = machine.Log();
  EXPECT_NE(std::find(log.begin(), log.end(), "-LE\"" + out + "\""), log.end());
  EXPECT_NE(std::find(log.begin(), log.end(), "-U\"" + out + ";" + out + "\""), log.end());
  const std::string tools = ReadHost(simwin::Machine::Current().Root() + "/tools.log");
  EXPECT_NE(tools.find("config: -LE\"" + out + "\"\n"), std::string::npos) << tools;
  EXPECT_NE(tools.find("working-folder: C:\\Users\\______~1\\DOCUME~1\\Vexorin\\Packages\\Delphi7\n"),
            std::string::npos)
      << tools;
  EXPECT_TRUE(platform::FileExists(machine.demoDir + "\\Delphi7\\vxVexorinD7.bpl"));
}

TEST_F(AnsiPathSimwinTest, WithoutAShortNameTheIdeStopsWithAnErrorNamingThePath) {
  auto settings = simwin::Machine::Current().Settings();
  settings.noShortNames = {kProfile};
  simwin::Machine::Current().UpdateSettings(settings);
  EXPECT_EQ(platform::ShortPathOf(kProfile + "\\Documents"), kProfile + "\\Documents");
  EXPECT_EQ(Build(), "The ANSI code page cannot hold the path and it has no short (8.3) name: " + kProfile +
                         "\\Documents\\Vexorin\\Delphi7");
  EXPECT_FALSE(CompilerRan());
  EXPECT_FALSE(platform::FileExists(machine.demoDir + "\\Packages\\Delphi7\\dcc32.cfg"));
}
