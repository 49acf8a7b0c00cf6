// What the engine asked of the IDE's tools, read back from the machine's
// tools.log: the configuration file each compiler read, line for line, the
// command lines of bpr2mak, make and tlib; and the system folder refusing.
#include <gtest/gtest.h>

#include <algorithm>

#include "Compile/Compiler.h"
#include "Compile/InstallData.h"
#include "Compile/TargetOptions.h"
#include "EngineMachine.h"
#include "HostCommands.h"
#include "SysUtils.h"
#include "TestMachine.h"
#include "platform/FileSystem.h"
#include "platform/System.h"
#include "platform/simwin/Machine.h"

namespace {

// One record of tools.log.
struct ToolRecord {
  std::string tool;
  std::string commandLine;
  std::string workingFolder;
  std::string configFile;
  std::vector<std::string> config;
};

std::vector<ToolRecord> ToolRecords() {
  const std::string text = ReadHost(simwin::Machine::Current().Root() + "/tools.log");
  std::vector<ToolRecord> records(1);
  size_t begin = 0;
  for (size_t end; (end = text.find('\n', begin)) != std::string::npos; begin = end + 1) {
    const std::string line = text.substr(begin, end - begin);
    ToolRecord& r = records.back();
    auto field = [&](const char* name, std::string& into) {
      const std::string prefix = std::string(name) + ": ";
      if (line.rfind(prefix, 0) != 0) return false;
      into = line.substr(prefix.size());
      return true;
    };
    std::string value;
    if (line.empty()) {
      records.emplace_back();
    } else if (!field("tool", r.tool) && !field("command-line", r.commandLine) &&
               !field("working-folder", r.workingFolder) && !field("config-file", r.configFile) &&
               field("config", value)) {
      r.config.push_back(value);
    }
  }
  records.pop_back();
  return records;
}

std::string NoSlash(const std::string& dir) { return dir.substr(0, dir.size() - 1); }

}  // namespace

class CompilePackageSimwinTest : public ::testing::Test {
 protected:
  void Build(const char* ide, const std::string& base = "vxVexorin") {
    machine.compiler.CompilePackage(machine.Options(ide), base, true, false);
  }

  EngineMachine machine;
};

TEST_F(CompilePackageSimwinTest, EachCompilerReadsTheConfigurationItsIdeNeeds) {
  const std::string d7 = NoSlash(machine.Install("delphi7").rootDir);
  const std::string rs12 = NoSlash(machine.Install("bds23").rootDir);
  ideprofiles::IdeOptions delphiOnly;
  delphiOnly.personalities = {"Delphi.Win32"};
  const std::string rs11 = NoSlash(machine.Install("bds22", delphiOnly).rootDir);
  machine.Load();
  const std::string common = "C:\\Users\\Public\\Documents\\Embarcadero\\Studio\\";
  const std::string demo = machine.demoDir;

  // RAD Studio 12 Win32 with a search path of its own; Win64 with none, its
  // compiled packages where the IDE's own packages go.
  TTargetOptions& win32 = machine.Options("Embarcadero RAD Studio 12 Win32");
  win32.Target().SearchPaths() = {"$(BDS)\\lib\\win32\\release", "$(BDSCOMMONDIR)\\Dcp"};
  TTargetOptions& win64 = machine.Options("Embarcadero RAD Studio 12 Win64");
  win64.Target().SearchPaths().clear();
  for (const char* dcp : {"rtl.dcp", "vcl.dcp"}) WriteFile(win64.Target().DcpDir() + "\\" + dcp, "compiled");
  machine.WritePackage(machine.Options("Delphi 7"), "vxVexorin");
  machine.WritePackage(win32, "vxVexorin");
  machine.WritePackage(win64, "vxVexorin");
  TTargetOptions& delphiOnlyIde = machine.Options("Embarcadero RAD Studio 11");
  delphiOnlyIde.Target().SearchPaths() = {"$(BDS)\\lib\\win32\\release"};
  machine.WritePackage(delphiOnlyIde, "vxVexorin");

  // The whole file for RAD Studio 12 Win32 and Delphi 7; for the other two
  // the lines in which they differ.
  const std::string out12 = demo + "\\RadStudio12";
  const std::string search12 = rs12 + "\\lib\\win32\\release;" + common + "23.0\\Dcp";
  const std::string ide12 = common + "23.0\\Bpl;" + common + "23.0\\Dcp";
  const std::vector<std::string> studio12 = {
      "-Q -B -H+ -W+",
      "-JL",
      " -DPROFESSIONAL",
      "-U\"" + out12 + ";" + out12 + "\"",
      "-I\"" + out12 + ";" + out12 + "\"",
      "-R\"" + out12 + ";" + out12 + "\"",
      "-O\"" + out12 + ";" + out12 + "\"",
      "-U\"" + search12 + "\"",
      "-I\"" + search12 + "\"",
      "-R\"" + search12 + "\"",
      "-O\"" + search12 + "\"",
      "-U\"" + ide12 + "\"",
      "-I\"" + ide12 + "\"",
      "-R\"" + ide12 + "\"",
      "-O\"" + ide12 + "\"",
      "-U\"\"",
      "-I\"\"",
      "-R\"\"",
      "-O\"\"",
      "-LE\"" + out12 + "\"",
      "-LN\"" + out12 + "\"",
      "-N0\"" + out12 + "\"",
      "-N1\"" + out12 + "\"",
      "-NH\"" + out12 + "\"",
      "-N2\"" + out12 + "\"",
      "-NO\"" + out12 + "\"",
      "-NB\"" + out12 + "\"",
      "-NSSystem;System.Win;Data;Data.Win;Datasnap;Datasnap.Win;Web;Web.Win;Soap;Soap.Win;Vcl;Vcl.Imaging;Vcl.Shell;"
      "Winapi;Bde;Xml;Xml.Win;IBX;Vcl.Samples"};
  const std::string out7 = demo + "\\Delphi7";
  const std::string search7 =
      d7 + "\\Lib;" + d7 + "\\Bin;" + d7 + "\\Imports;" + d7 + "\\Projects\\Bpl;" + d7 + "\\Rave5\\Lib";
  const std::string ide7 = d7 + "\\Projects\\Bpl;" + d7 + "\\Projects\\Bpl";
  const std::string dpl7 = d7 + "\\Projects\\Bpl";
  const std::vector<std::string> delphi7 = {"-Q -B -H+ -W+",
                                            " -DPROFESSIONAL",
                                            "-U\"" + out7 + ";" + out7 + "\"",
                                            "-I\"" + out7 + ";" + out7 + "\"",
                                            "-R\"" + out7 + ";" + out7 + "\"",
                                            "-O\"" + out7 + ";" + out7 + "\"",
                                            "-U\"" + search7 + "\"",
                                            "-I\"" + search7 + "\"",
                                            "-R\"" + search7 + "\"",
                                            "-O\"" + search7 + "\"",
                                            "-U\"" + ide7 + "\"",
                                            "-I\"" + ide7 + "\"",
                                            "-R\"" + ide7 + "\"",
                                            "-O\"" + ide7 + "\"",
                                            "-U\"" + dpl7 + "\"",
                                            "-I\"" + dpl7 + "\"",
                                            "-R\"" + dpl7 + "\"",
                                            "-O\"" + dpl7 + "\"",
                                            "-LE\"" + out7 + "\"",
                                            "-LN\"" + out7 + "\"",
                                            "-N0\"" + out7 + "\"",
                                            "-N1\"" + out7 + "\"",
                                            "-NH\"" + out7 + "\"",
                                            "-N2\"" + out7 + "\"",
                                            "-NO\"" + out7 + "\"",
                                            "-NB\"" + out7 + "\""};
  struct Case {
    const char* ide;
    std::string config;
  };
  const Case cases[] = {
      {"Delphi 7", demo + "\\Packages\\Delphi7\\dcc32.cfg"},
      {"Embarcadero RAD Studio 12 Win32", demo + "\\Packages\\RadStudio12\\dcc32.cfg"},
      {"Embarcadero RAD Studio 12 Win64", demo + "\\Packages\\RadStudio12\\dcc64.cfg"},
      {"Embarcadero RAD Studio 11 Win32", demo + "\\Packages\\RadStudio11\\dcc32.cfg"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ide);
    ASSERT_NO_THROW(Build(c.ide));
  }
  // The compilers in order: each read the file the engine wrote, and nothing else.
  std::vector<ToolRecord> compilers;
  for (const auto& record : ToolRecords()) {
    if (record.tool == "dcc32" || record.tool == "dcc64") compilers.push_back(record);
  }
  ASSERT_EQ(compilers.size(), std::size(cases));
  for (size_t i = 0; i < compilers.size(); ++i) {
    SCOPED_TRACE(cases[i].ide);
    EXPECT_EQ(compilers[i].configFile, cases[i].config);
    EXPECT_EQ(compilers[i].workingFolder, cases[i].config.substr(0, cases[i].config.rfind('\\')));
  }
  EXPECT_EQ(compilers[0].config, delphi7);
  EXPECT_EQ(compilers[1].config, studio12);
  // Win64: its own output folder, no search path, the IDE's 64-bit folders.
  const auto has = [](const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  };
  EXPECT_TRUE(has(compilers[2].config, "-LE\"" + demo + "\\RadStudio12x64\""));
  EXPECT_TRUE(has(compilers[2].config, "-U\"\""));
  EXPECT_TRUE(has(compilers[2].config, "-U\"" + common + "23.0\\Bpl\\Win64;" + common + "23.0\\Dcp\\Win64\""));
  // RAD Studio 11 without C++Builder: no C++ output (-JL).
  EXPECT_EQ(compilers[3].config.size(), studio12.size() - 1);
  EXPECT_FALSE(has(compilers[3].config, "-JL"));
  EXPECT_TRUE(has(compilers[3].config, "-LE\"" + demo + "\\RadStudio11\""));
}

TEST_F(CompilePackageSimwinTest, OldCBuilderAndTheLibraryManagerGetTheirCommandLines) {
  const std::string bcb6 = NoSlash(machine.Install("bcb6").rootDir);
  const std::string rs12 = NoSlash(machine.Install("bds23").rootDir);
  machine.Load();
  TTargetOptions& cbuilder = machine.Options("C++Builder 6");
  TTargetOptions& studio = machine.Options("Embarcadero RAD Studio 12 Win32");
  machine.WritePackage(cbuilder, "vxVexorin");
  machine.WritePackage(studio, "vxVexorin");
  machine.WritePackage(studio, "vxEmpty", {});  // a library without modules
  ASSERT_NO_THROW(Build("C++Builder 6"));
  ASSERT_NO_THROW(Build("Embarcadero RAD Studio 12 Win32"));
  ASSERT_NO_THROW(Build("Embarcadero RAD Studio 12 Win32", "vxEmpty"));

  const std::string packages = machine.demoDir + "\\Packages\\CBuilder6";
  const std::string out = machine.demoDir + "\\RadStudio12";
  const std::string tlib = "\"" + rs12 + "\\Bin\\tlib.exe\" ";
  struct Expected {
    const char* tool;
    std::string commandLine;
    std::string workingFolder;
  };
  const Expected expected[] = {
      {"bpr2mak",
       "\"" + bcb6 + "\\Bin\\bpr2mak.exe\"  -t\"" + machine.installDir + "\\CBuilder6.bmk\" \"" + packages +
           "\\vxVexorinC6.bpk\"",
       packages},
      {"make", "\"" + bcb6 + "\\Bin\\make.exe\" -f\"" + packages + "\\vxVexorinC6.mak\" ", packages},
      {"dcc32", "\"" + rs12 + "\\Bin\\dcc32.exe\" \"vxVexorinD29.dpk\"", studio.PackagesDir()},
      {"tlib", tlib + "vxVexorinD29.lib /L", out},
      {"tlib", tlib + "vxVexorinD29.lib /e vxCore vxQuery", out},
      {"dcc32", "\"" + rs12 + "\\Bin\\dcc32.exe\" \"vxEmptyD29.dpk\"", studio.PackagesDir()},
      {"tlib", tlib + "vxEmptyD29.lib /L", out},
      {"tlib", tlib + "vxEmptyD29.lib /e", out},
  };
  const auto records = ToolRecords();
  ASSERT_EQ(records.size(), std::size(expected));
  for (size_t i = 0; i < records.size(); ++i) {
    EXPECT_EQ(records[i].tool, expected[i].tool) << i;
    EXPECT_EQ(records[i].commandLine, expected[i].commandLine) << i;
    EXPECT_EQ(records[i].workingFolder, expected[i].workingFolder) << i;
  }
  for (const char* obj : {"vxCore.obj", "vxQuery.obj"}) EXPECT_TRUE(platform::FileExists(out + "\\" + obj)) << obj;

  // Without the suite's template (an update's removal takes it) bpr2mak
  // gets no -t and uses its own.
  ASSERT_TRUE(platform::RemoveFile(cbuilder.GetBpr2MakTemplate()));
  ASSERT_NO_THROW(Build("C++Builder 6"));
  const auto again = ToolRecords();
  ASSERT_EQ(again.size(), std::size(expected) + 2);
  EXPECT_EQ(again[std::size(expected)].commandLine,
            "\"" + bcb6 + "\\Bin\\bpr2mak.exe\"  \"" + packages + "\\vxVexorinC6.bpk\"");
}

TEST_F(CompilePackageSimwinTest, ASystemFolderThatRefusesRaisesTheSystemError) {
  machine.Install("delphi7");
  machine.Load();
  machine.WritePackage(machine.Options("Delphi 7"), "vxVexorin");
  const std::string copy = platform::SystemDirectory() + "\\vxVexorinD7.bpl";
  struct Case {
    const char* name;
    simwin::FaultKind fault;
    bool present;  // an older copy is there
    std::string errorLine;
    std::string lineBefore;  // an error line naming the file, before the error line; "" for none
  };
  const std::string built = machine.demoDir + "\\Delphi7\\vxVexorinD7.bpl";
  const Case cases[] = {
      {"old copy cannot be deleted", simwin::FaultKind::FileDelete, true, "  ERROR: cannot delete file: " + copy, ""},
      {"copy cannot be written", simwin::FaultKind::FileCreate, false, "  ERROR: cannot installing into SystemDir",
       "  ERROR: cannot copy file: " + built + " to " + copy},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    simwin::Machine::Current().ClearFaults();
    if (c.present) {
      WriteFile(copy, "older");
    } else if (platform::FileExists(copy)) {
      ASSERT_TRUE(platform::RemoveFile(copy));
    }
    simwin::Machine::Current().AddFault(c.fault, copy);
    const size_t logStart = machine.compiler.Logger().Messages().size();
    try {
      Build("Delphi 7");
      ADD_FAILURE() << "no error";
    } catch (const EOSError& e) {
      EXPECT_EQ(e.ErrorCode(), 5u);
      EXPECT_EQ(e.Message(), "System Error.  Code: 5.\r\n" + platform::SystemErrorText(5));
    }
    const auto& messages = machine.compiler.Logger().Messages();
    ASSERT_GT(messages.size(), logStart);
    EXPECT_EQ(messages.back().Message, c.errorLine);
    EXPECT_EQ(messages.back().Severity, lsError);
    if (!c.lineBefore.empty()) {
      ASSERT_GE(messages.size(), logStart + 2);
      EXPECT_EQ(messages[messages.size() - 2].Message, c.lineBefore);
      EXPECT_EQ(messages[messages.size() - 2].Severity, lsError);
    }
    EXPECT_FALSE(platform::FileExists(machine.demoDir + "\\Packages\\Delphi7\\dcc32.cfg"));
  }
  simwin::Machine::Current().ClearFaults();
}

TEST_F(CompilePackageSimwinTest, AConfigurationThatCannotBeWrittenStopsTheBuild) {
  machine.Install("delphi7");
  machine.Load();
  machine.WritePackage(machine.Options("Delphi 7"), "vxVexorin");
  const std::string config = machine.demoDir + "\\Packages\\Delphi7\\dcc32.cfg";
  simwin::Machine::Current().AddFault(simwin::FaultKind::FileCreate, config);
  try {
    Build("Delphi 7");
    ADD_FAILURE() << "no error";
  } catch (const EOSError& e) {
    EXPECT_EQ(e.ErrorCode(), 5u);
  }
  simwin::Machine::Current().ClearFaults();
  EXPECT_TRUE(ToolRecords().empty());  // the compiler did not run
  // The system's message names no file: the error line before it does.
  const auto& messages = machine.compiler.Logger().Messages();
  ASSERT_FALSE(messages.empty());
  EXPECT_EQ(messages.back().Message, "  ERROR: cannot write file: " + config);
  EXPECT_EQ(messages.back().Severity, lsError);
}
