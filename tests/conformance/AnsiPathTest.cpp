// Paths the ANSI code page (1252 here) cannot hold: the compiler's
// configuration file gets their short (8.3) form, a path without one is an
// error naming it, and setup.log keeps such a line readable.
#include "AnsiPaths.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "Compile/Compiler.h"
#include "Compile/TargetOptions.h"
#include "EngineMachine.h"
#include "SetupLog.h"
#include "SysUtils.h"
#include "TestMachine.h"
#include "Utils.h"
#include "platform/FileSystem.h"

namespace {

// The message of the exception, "" when there is none.
template <typename F>
std::string ErrorOf(F f) {
  try {
    f();
  } catch (const Exception& e) {
    return e.Message();
  }
  return {};
}

}  // namespace

TEST(AnsiPathTest, PathsTheCodePageHoldsStayAndOthersTakeTheirShortForm) {
  TestMachine machine;
  const std::string user = machine.Dir() + "\\\u738B\u4F1F";  // a Chinese name
  ASSERT_TRUE(SafeForceDirectories(user + "\\Documents"));
  const std::string shortUser = platform::ShortPathOf(user);
  ASSERT_NE(shortUser, "");
  ASSERT_TRUE(AnsiCanHold(shortUser)) << shortUser;

  struct Case {
    std::string path;
    std::string result;  // "" for the error
  };
  const Case cases[] = {
      {machine.Dir() + "\\Plain\\Not There", machine.Dir() + "\\Plain\\Not There"},
      {machine.Dir() + "\\\u00DCber \u00C4rger", machine.Dir() + "\\\u00DCber \u00C4rger"},  // 1252 has them
      {user, shortUser},
      {user + "\\", shortUser + "\\"},
      {user + "\\Documents", platform::ShortPathOf(user + "\\Documents")},
      // Below the part that exists the names stay as they are.
      {user + "\\Documents\\Embarcadero\\Studio\\23.0\\Bpl",
       platform::ShortPathOf(user + "\\Documents") + "\\Embarcadero\\Studio\\23.0\\Bpl"},
      // A name the code page lacks that does not exist yet has no short form.
      {user + "\\\u65B0", ""},
      {machine.Dir() + "\\\u65E5\u672C\\Lib", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    if (c.result.empty()) {
      EXPECT_EQ(ErrorOf([&] { AnsiSafePath(c.path); }),
                "The ANSI code page cannot hold the path and it has no short (8.3) name: " + c.path);
    } else {
      EXPECT_EQ(AnsiSafePath(c.path), c.result);
    }
  }
  EXPECT_EQ(AnsiSafePathList("C:\\A;" + user + ";;D:\\B"), "C:\\A;" + shortUser + ";;D:\\B");
}

TEST(AnsiPathTest, SetupLogWritesWhatTheCodePageLacksAsCodePoints) {
  TestMachine machine;
  const std::string path = WriteSetupLog(
      machine.Dir(), {"[Info]C:\\Users\\\u738B\u4F1F\\Documents", "Gr\u00F6\u00DFe \u20AC \U0001F600", "plain"});
  EXPECT_EQ(platform::ReadFileBytes(path),
            "[Info]C:\\Users\\<U+738B><U+4F1F>\\Documents\r\n"
            "Gr\xF6\xDF"
            "e \x80 <U+1F600>\r\n"
            "plain\r\n");
}

// The suite's folders below a user folder with a Chinese name: the compiler
// reads them in their short form and builds the package; with the ANSI form
// (question marks) it would find neither its sources' folder nor its outputs.
TEST(AnsiPathTest, CompilerGetsTheShortFormOfAFolderTheCodePageCannotHold) {
  EngineMachine machine;
  machine.Install("delphi7");
  machine.Install("bds23");
  const std::string user = machine.Package().Dir() + "\\\u738B\u4F1F";
  machine.demoDir = user + "\\Documents\\Vexorin";
  for (const char* unit : {"vxCore", "vxQuery"}) {
    machine.Package().Fixture().WriteText(machine.demoDir + "\\Sources\\" + unit + ".pas",
                                          std::string("unit ") + unit + ";\r\ninterface\r\nimplementation\r\nend.\r\n");
  }
  machine.Load();
  const std::string shortDemo = platform::ShortPathOf(machine.demoDir);
  ASSERT_TRUE(AnsiCanHold(shortDemo)) << shortDemo;
  for (const char* ide : {"Delphi 7", "Embarcadero RAD Studio 12 Win32"}) {
    SCOPED_TRACE(ide);
    TTargetOptions& options = machine.Options(ide);
    machine.WritePackage(options, "vxVexorin");
    const size_t first = machine.Log().size();
    EXPECT_EQ(ErrorOf([&] { machine.compiler.CompilePackage(options, "vxVexorin", true, true); }), "");
    EXPECT_TRUE(platform::FileExists(options.BPLDir() + "\\" +
                                     ChangeFileExt(TCompiler::GetPackageName(options.Target(), "vxVexorin"), ".bpl")));
    // The configuration as written (and logged): the short form.
    const std::string out = platform::ShortPathOf(options.BPLDir());
    const auto log = machine.LogSince(first);
    EXPECT_NE(std::find(log.begin(), log.end(), "-LE\"" + out + "\""), log.end());
    EXPECT_FALSE(platform::FileExists(options.PackagesDir() + "\\dcc32.cfg"));
  }
}
