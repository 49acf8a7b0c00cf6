// Building the suite's packages for one IDE with the stand-in tools, on IDEs
// installed from profiles: the outputs, the system-folder copy, the object
// files, and every failure with its message.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "Compile/Compiler.h"
#include "Compile/InstallData.h"
#include "Compile/TargetOptions.h"
#include "EngineMachine.h"
#include "SysUtils.h"
#include "TestMachine.h"
#include "TestTools.h"
#include "Utils.h"
#include "platform/Environment.h"
#include "platform/FileSystem.h"

namespace {

constexpr const char* kDelphi7 = "Delphi 7";
constexpr const char* kCBuilder6 = "C++Builder 6";
constexpr const char* kRs12Win32 = "Embarcadero RAD Studio 12 Win32";
constexpr const char* kRs12Win64 = "Embarcadero RAD Studio 12 Win64";

std::string SystemCopy(const std::string& name) {
  return IncludeTrailingPathDelimiter(platform::SystemDirectory()) + name;
}

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

}  // namespace

// The library manager's listing: three header lines, then a line per module
// and one per symbol; a last line without a TAB (a trailer) names no module.
TEST(LibraryListingTest, ModuleLinesGiveTheNamesAndATrailerAnEmptyOne) {
  const std::vector<std::string> listing = {"Stand-in library manager tlib 1.0",
                                            "",
                                            "Publics by module",
                                            "vxCore\tsize = 12",
                                            "\tVxcore",
                                            "vxQuery\tsize = 7",
                                            "\t@Vxquery@Initialize",
                                            "   2 modules",
                                            "Total of 2 modules",
                                            ""};
  EXPECT_EQ(TCompiler::LibraryModules(listing), (std::vector<std::string>{"vxCore", "vxQuery", ""}));
  EXPECT_EQ(TCompiler::LibraryModules({"Header", "Module\tsize = 1", "Publics"}), std::vector<std::string>{});
}

class CompilePackageTest : public ::testing::Test {
 protected:
  // The message of the exception the build raises; "" when it succeeds.
  std::string Build(const char* ide, bool designTime = false) {
    try {
      machine.compiler.CompilePackage(machine.Options(ide), "vxVexorin", true, designTime);
    } catch (const Exception& e) {
      return e.Message();
    }
    return {};
  }

  EngineMachine machine;
};

TEST_F(CompilePackageTest, BuildsWithEachKindOfIde) {
  machine.Install("delphi7");
  machine.Install("bcb6");
  machine.Install("bds23");
  machine.Load();
  struct Case {
    const char* ide;
    const char* file;    // the package library
    const char* config;  // the compiler's configuration file; "" for make
    bool jl;             // C++ output from the Delphi compiler
    bool systemCopy;
    bool objFromLib;
  };
  const Case cases[] = {
      {kDelphi7, "vxVexorinD7.bpl", "dcc32.cfg", false, true, false},
      {kCBuilder6, "vxVexorinC6.bpl", "", false, true, false},
      {kRs12Win32, "vxVexorinD29.bpl", "dcc32.cfg", true, true, true},
      {kRs12Win64, "vxVexorinD29.bpl", "dcc64.cfg", true, false, true},
  };
  // The library manager ends its listing with a trailer line, which must not
  // reach the extraction as module names.
  ASSERT_TRUE(platform::SetEnv("TLIB_TRAILER", "Total of 2 modules"));
  const ScopeExit unset([] { platform::UnsetEnv("TLIB_TRAILER"); });
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ide);
    TTargetOptions& options = machine.Options(c.ide);
    machine.WritePackage(options, "vxVexorin");
    const size_t logStart = machine.Log().size();
    ASSERT_EQ(Build(c.ide), "");
    const auto log = machine.LogSince(logStart);
    const std::string bpl = options.BPLDir() + "\\" + c.file;
    EXPECT_EQ(log.front(), "Compiling package: vxVexorin");
    EXPECT_TRUE(Contains(log, "  target file exist: " + bpl));
    EXPECT_TRUE(platform::FileExists(SystemCopy(c.file)) || !c.systemCopy);
    EXPECT_EQ(Contains(log, "  Installing into SystemDir: " + SystemCopy(c.file)), c.systemCopy);
    EXPECT_EQ(Contains(log, "  target file exist after installation: " + SystemCopy(c.file)), c.systemCopy);
    EXPECT_EQ(Contains(log, "Stand-in library manager tlib 1.0"), c.objFromLib);
    EXPECT_EQ(Contains(log, "Total of 2 modules"), c.objFromLib);
    for (const auto& line : log) EXPECT_FALSE(StrStartsWith(line, "Warning: ", false)) << line;
    if (c.objFromLib) {
      for (const char* obj : {"vxCore.obj", "vxQuery.obj"}) {
        EXPECT_TRUE(platform::FileExists(options.BPLDir() + "\\" + obj)) << obj;
      }
    }
    if (*c.config != '\0') {
      const std::string config = options.PackagesDir() + "\\" + c.config;
      EXPECT_FALSE(platform::FileExists(config));
      EXPECT_TRUE(Contains(log, "Content of file: \"" + config + "\""));
      const auto lines = EngineMachine::Between(
          log, "start====================================", "end======================================");
      ASSERT_FALSE(lines.empty());
      EXPECT_EQ(lines.front(), "-Q -B -H+ -W+");
      EXPECT_EQ(lines[1] == "-JL", c.jl);
      EXPECT_EQ(lines.size(), c.jl ? 28u : 26u);  // RAD Studio adds -JL and the namespaces
    } else {
      // bpr2mak and make leave nothing behind in the packages folder.
      for (const char* ext : {".mak", ".obj", ".tds"}) {
        EXPECT_FALSE(platform::FileExists(options.PackagesDir() + "\\vxVexorinC6" + ext)) << ext;
      }
      EXPECT_TRUE(platform::FileExists(options.ObjOutDir() + "\\vxCore.obj"));
    }
  }
}

TEST_F(CompilePackageTest, ReplacesTheSystemCopyAndLeavesDesignTimePackagesOut) {
  machine.Install("bds23");
  machine.Load();
  machine.WritePackage(machine.Options(kRs12Win32), "vxVexorin");
  const std::string copy = SystemCopy("vxVexorinD29.bpl");
  WriteFile(copy, "an older build");

  ASSERT_EQ(Build(kRs12Win32), "");
  EXPECT_NE(platform::ReadFileBytes(copy), std::optional<std::string>("an older build"));
  for (const std::string& line :
       {"  file already exists: " + copy, "  deleting file: " + copy, std::string("  deleting file successful"),
        "  target file not exist after deletion: " + copy}) {
    EXPECT_TRUE(Contains(machine.Log(), line)) << line;
  }

  // A design-time package is neither copied nor unpacked.
  ASSERT_TRUE(platform::RemoveFile(copy));
  const size_t logStart = machine.Log().size();
  ASSERT_EQ(Build(kRs12Win32, true), "");
  const auto log = machine.LogSince(logStart);
  EXPECT_FALSE(platform::FileExists(copy));
  EXPECT_FALSE(Contains(log, "Stand-in library manager tlib 1.0"));
  EXPECT_FALSE(Contains(log, "  Installing into SystemDir: " + copy));
}

TEST_F(CompilePackageTest, FailuresRaiseTheirMessagesAndRemoveTheConfiguration) {
  const auto& delphi7 = machine.Install("delphi7");
  const auto& bds = machine.Install("bds23");
  machine.Install("bcb6");
  machine.Load();
  struct Case {
    const char* name;
    const char* ide;
    std::function<void(TTargetOptions&)> prepare;
    std::string message;
    bool prefixOnly = false;  // the system's text follows
  };
  auto units = [this](std::vector<std::string> list) {
    return [this, list](TTargetOptions& options) { machine.WritePackage(options, "vxVexorin", list); };
  };
  const std::string delphi7Bpl = machine.Options(kDelphi7).BPLDir() + "\\vxVexorinD7.bpl";
  const Case cases[] = {
      {"compiler fails", kDelphi7, units({"vxGone"}), "Error compiling package: vxVexorinD7.dpk"},
      {"compiler cannot start", kRs12Win64,
       [&](TTargetOptions& options) {
         machine.WritePackage(options, "vxVexorin");
         ASSERT_TRUE(platform::RemoveFile(bds.rootDir + "bin\\dcc64.exe"));
       },
       "CreateProcess fails: error code 2 Message: ", true},
      {"converter fails", kCBuilder6,
       [&](TTargetOptions& options) {
         // A project without its PROJECT macro is no package project.
         machine.WritePackage(options, "vxVexorin");
         WriteFile(options.PackagesDir() + "\\vxVexorinC6.bpk", "<PROJECT><MACROS/></PROJECT>\r\n");
       },
       "Error executing bpr2mak"},
      {"make fails", kCBuilder6, units({"vxGone"}), "Error executing make"},
      {"no compiler and no library", kDelphi7,
       [&](TTargetOptions& options) {
         machine.WritePackage(options, "vxVexorin");
         ASSERT_TRUE(platform::RemoveFile(delphi7.rootDir + "Bin\\dcc32.exe"));
       },
       "File not exists: " + delphi7Bpl},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TTargetOptions& options = machine.Options(c.ide);
    c.prepare(options);
    const std::string message = Build(c.ide);
    EXPECT_EQ(c.prefixOnly ? message.substr(0, c.message.size()) : message, c.message) << message;
    for (const char* config : {"dcc32.cfg", "dcc64.cfg"}) {
      EXPECT_FALSE(platform::FileExists(options.PackagesDir() + "\\" + config)) << config;
    }
  }
  // Without a compiler, a library already in place is all it takes.
  WriteFile(delphi7Bpl, "prebuilt");
  EXPECT_EQ(Build(kDelphi7, true), "");
}

TEST_F(CompilePackageTest, AFailedLibraryListingEndsTheExtractionSilently) {
  const auto& bds = machine.Install("bds23");
  machine.Load();
  machine.WritePackage(machine.Options(kRs12Win32), "vxVexorin");
  // A library manager that cannot read the library: the converter's stand-in
  // fails on anything that is not a package project.
  InstallProgram(BPR2MAK_PATH, bds.rootDir + "bin\\tlib.exe");
  ASSERT_EQ(Build(kRs12Win32), "");
  const auto log = machine.Log();
  EXPECT_EQ(std::count(log.begin(), log.end(), "Stand-in C++Builder project converter bpr2mak 1.0"), 1);
}
