// The stand-ins for the IDE's tools and the archiver keep their call
// contracts, run through captured execution as the engine runs them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CapExec.h"
#include "Compile/Compiler.h"
#include "TestMachine.h"
#include "TestTools.h"
#include "Utils.h"
#include "platform/FileSystem.h"

namespace {

struct Captured {
  int32_t exitCode = 0;
  std::vector<std::string> lines;

  bool Has(const std::string& piece) const {
    for (const auto& line : lines) {
      if (line.find(piece) != std::string::npos) return true;
    }
    return false;
  }
  std::string Text() const {
    std::string text;
    for (const auto& line : lines) text += line + "\n";
    return text;
  }
};

Captured RunTool(const std::string& command, const std::string& parameters, const std::string& folder) {
  Captured run;
  run.exitCode =
      CaptureExecute(command, parameters, folder, [&](const std::string& text, bool&) { run.lines.push_back(text); });
  return run;
}

}  // namespace

class StandInToolsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const auto& folder :
         {ide + "\\Bin", ide + "\\Lib", ide + "\\Bpl", suite + "\\Sources", packages, bplDir, bplDir + "\\obj"}) {
      ASSERT_TRUE(SafeForceDirectories(folder)) << folder;
    }
    InstallProgram(DCC32_PATH, ide + "\\Bin\\dcc32.exe");
    InstallProgram(TLIB_PATH, ide + "\\Bin\\tlib.exe");
    // The compiler's own configuration names the IDE's library folder.
    WriteFile(ide + "\\Bin\\dcc32.cfg", "-U\"" + ide + "\\Lib\"\r\n");
    WriteFile(ide + "\\Lib\\rtl.dcp", "rtl");
    WriteFile(ide + "\\Lib\\vcl.dcp", "vcl");
    WriteFile(suite + "\\Sources\\vxCore.pas", "unit vxCore;\r\ninterface\r\nimplementation\r\nend.\r\n");
    WriteFile(suite + "\\Sources\\vxQuery.pas", "unit vxQuery;\r\ninterface\r\nimplementation\r\nend.\r\n");
  }

  void WritePackage(const std::string& required, const std::string& contains) {
    WriteFile(packages + "\\vxVexorinD7.dpk",
              "package vxVexorinD7;\r\n\r\n{$R *.res}\r\n{$DESCRIPTION 'Vexorin Components'}\r\n"
              "{$IMPLICITBUILD OFF}\r\n\r\nrequires\r\n  " +
                  required + ";\r\n\r\ncontains\r\n  " + contains + ";\r\n\r\nend.\r\n");
  }

  // The configuration file the engine writes, every line of it.
  std::string Config(const std::string& outDir, const std::string& objDir) const {
    const std::string lines[] = {
        "-Q -B -H+ -W+",
        "-JL",
        " -DPROFESSIONAL",
        "-U\"" + outDir + ";" + objDir + "\"",
        "-I\"" + outDir + ";" + objDir + "\"",
        "-R\"" + outDir + ";" + objDir + "\"",
        "-O\"" + outDir + ";" + objDir + "\"",
        "-U\"" + ide + "\\Lib;" + ide + "\\Imports\"",
        "-I\"" + ide + "\\Lib;" + ide + "\\Imports\"",
        "-R\"" + ide + "\\Lib;" + ide + "\\Imports\"",
        "-O\"" + ide + "\\Lib;" + ide + "\\Imports\"",
        "-U\"" + ide + "\\Bpl;" + ide + "\\Bpl\"",
        "-I\"" + ide + "\\Bpl;" + ide + "\\Bpl\"",
        "-R\"" + ide + "\\Bpl;" + ide + "\\Bpl\"",
        "-O\"" + ide + "\\Bpl;" + ide + "\\Bpl\"",
        "-U\"\"",
        "-I\"\"",
        "-R\"\"",
        "-O\"\"",
        "-LE\"" + outDir + "\"",
        "-LN\"" + outDir + "\"",
        "-N0\"" + outDir + "\"",
        "-N1\"" + outDir + "\"",
        "-NH\"" + outDir + "\"",
        "-N2\"" + objDir + "\"",
        "-NO\"" + objDir + "\"",
        "-NB\"" + outDir + "\"",
        "-NSSystem;System.Win;Data;Data.Win;Datasnap;Datasnap.Win;Web;Web.Win;Soap;Soap.Win;Vcl;Vcl.Imaging;"
        "Vcl.Shell;Winapi;Bde;Xml;Xml.Win;IBX;Vcl.Samples",
    };
    std::string text;
    for (const auto& line : lines) text += line + "\r\n";
    return text;
  }

  Captured Compile() { return RunTool("\"" + ide + "\\Bin\\dcc32.exe\"", "\"vxVexorinD7.dpk\"", packages); }

  TestMachine machine;
  std::string dir = machine.Dir();
  std::string ide = dir + "\\Borland IDE";
  std::string suite = dir + "\\Suite";
  std::string packages = suite + "\\Packages\\Delphi7";
  std::string bplDir = suite + "\\Delphi7";
};

TEST_F(StandInToolsTest, CompilerBuildsAPackageWhereTheOptionsSay) {
  WritePackage("rtl,\r\n  vcl",
               "vxCore in '..\\..\\Sources\\vxCore.pas',\r\n  vxQuery in '..\\..\\Sources\\vxQuery.pas'");
  WriteFile(packages + "\\dcc32.cfg", Config(bplDir, bplDir + "\\obj"));
  const Captured run = Compile();
  ASSERT_EQ(run.exitCode, 0) << run.Text();
  EXPECT_TRUE(run.Has(" lines, ")) << run.Text();
  for (const char* file :
       {"vxVexorinD7.bpl", "vxVexorinD7.dcp", "vxCore.dcu", "vxQuery.dcu", "vxCore.hpp", "vxQuery.hpp",
        "vxVexorinD7.bpi", "vxVexorinD7.lib", "obj\\vxCore.obj", "obj\\vxQuery.obj"}) {
    EXPECT_TRUE(platform::FileExists(bplDir + "\\" + file)) << file;
  }
  EXPECT_FALSE(platform::FileExists(packages + "\\vxVexorinD7.bpl"));

  // The library manager lists the import library in the layout the engine
  // parses, and extracts the modules into its working folder.
  const std::string tlib = ide + "\\Bin\\tlib.exe";  // unquoted, as the engine runs it
  const Captured listing = RunTool(tlib, "vxVexorinD7.lib /L", bplDir);
  ASSERT_EQ(listing.exitCode, 0) << listing.Text();
  const auto modules = TCompiler::LibraryModules(listing.lines);
  EXPECT_EQ(modules, (std::vector<std::string>{"vxCore", "vxQuery"})) << listing.Text();
  const Captured extraction = RunTool(tlib, "vxVexorinD7.lib /e vxCore vxQuery", bplDir);
  EXPECT_EQ(extraction.exitCode, 0) << extraction.Text();
  EXPECT_TRUE(platform::FileExists(bplDir + "\\vxCore.obj"));
  EXPECT_TRUE(platform::FileExists(bplDir + "\\vxQuery.obj"));
  EXPECT_NE(RunTool(tlib, "missing.lib /L", bplDir).exitCode, 0);
}

TEST_F(StandInToolsTest, CompilerFailsLikeACompiler) {
  WriteFile(packages + "\\dcc32.cfg", Config(bplDir, bplDir));
  struct Case {
    const char* name;
    std::string required;
    std::string contains;
    std::string message;
  };
  const Case cases[] = {
      {"missing unit", "rtl", "vxCore in '..\\..\\Sources\\vxCore.pas',\r\n  vxGone in '..\\..\\Sources\\vxGone.pas'",
       "vxVexorinD7.dpk(12) Fatal: F1026 File not found: '..\\..\\Sources\\vxGone.pas'"},
      {"unit not on the search path", "rtl", "vxNowhere", "Fatal: F1026 File not found: 'vxNowhere.pas'"},
      {"missing required package", "rtl,\r\n  designide", "vxCore in '..\\..\\Sources\\vxCore.pas'",
       "vxVexorinD7.dpk(9) Fatal: F2202 Required package 'designide' not found"},
      {"broken source", "rtl vcl", "vxCore", "vxVexorinD7.dpk(8) Fatal: ',' or ';' expected but 'vcl' found"},
  };
  for (const auto& c : cases) {
    WritePackage(c.required, c.contains);
    const Captured run = Compile();
    EXPECT_EQ(run.exitCode, 1) << c.name;
    EXPECT_TRUE(run.Has(c.message)) << c.name << "\n" << run.Text();
    EXPECT_FALSE(platform::FileExists(bplDir + "\\vxVexorinD7.bpl")) << c.name;
  }
  // A package file that is not there.
  const Captured run = RunTool("\"" + ide + "\\Bin\\dcc32.exe\"", "\"vxOther.dpk\"", packages);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(run.Has("Fatal: F1026 File not found: 'vxOther.dpk'")) << run.Text();
}

TEST_F(StandInToolsTest, Win64CompilerReadsItsOwnConfigurationFile) {
  InstallProgram(DCC64_PATH, ide + "\\Bin\\dcc64.exe");
  WriteFile(ide + "\\Bin\\dcc64.cfg", "-U\"" + ide + "\\Lib\"\r\n");
  ASSERT_TRUE(SafeForceDirectories(bplDir + "x64"));
  WritePackage("rtl", "vxCore in '..\\..\\Sources\\vxCore.pas'");
  WriteFile(packages + "\\dcc64.cfg", Config(bplDir + "x64", bplDir + "x64"));
  WriteFile(packages + "\\dcc32.cfg", Config(bplDir, bplDir));
  const Captured run = RunTool("\"" + ide + "\\Bin\\dcc64.exe\"", "\"vxVexorinD7.dpk\"", packages);
  ASSERT_EQ(run.exitCode, 0) << run.Text();
  EXPECT_TRUE(platform::FileExists(bplDir + "x64\\vxVexorinD7.bpl"));
  EXPECT_FALSE(platform::FileExists(bplDir + "\\vxVexorinD7.bpl"));
}

TEST_F(StandInToolsTest, ConverterAndMakeBuildAnOldCBuilderPackage) {
  const std::string bcb = dir + "\\CBuilder6";
  const std::string bcbPackages = suite + "\\Packages\\CBuilder6";
  const std::string out = suite + "\\CBuilder6";
  for (const auto& folder : {bcb + "\\Bin", bcb + "\\Lib", bcbPackages, out + "\\obj"}) {
    ASSERT_TRUE(SafeForceDirectories(folder)) << folder;
  }
  InstallProgram(BPR2MAK_PATH, bcb + "\\Bin\\bpr2mak.exe");
  InstallProgram(MAKE_PATH, bcb + "\\Bin\\make.exe");
  WriteFile(bcb + "\\Lib\\rtl.bpi", "rtl");
  WriteFile(bcb + "\\Lib\\vcl.bpi", "vcl");
  WriteFile(suite + "\\vx.bmk",
            "# package template\r\nLIBPATH = $(BCB)\\Lib;$(LIBPATH)\r\n.cpp.obj:\r\n\t$(BCC32) -c $<\r\n");
  WriteFile(bcbPackages + "\\vxVexorinC6.bpk",
            "<?xml version='1.0' encoding='utf-8' ?>\r\n<PROJECT>\r\n  <MACROS>\r\n"
            "    <VERSION value=\"BCB.06.00\"/>\r\n"
            "    <PROJECT value=\"..\\..\\CBuilder6\\vxVexorinC6.bpl\"/>\r\n"
            "    <OBJFILES value=\"..\\..\\CBuilder6\\obj\\vxCore.obj ..\\..\\CBuilder6\\obj\\vxQuery.obj\"/>\r\n"
            "    <PACKAGES value=\"rtl.bpi vcl.bpi\"/>\r\n"
            "    <PATHCPP value=\".;..\\..\\Sources\"/>\r\n"
            "    <BPILIBDIR value=\"..\\..\\CBuilder6\"/>\r\n"
            "  </MACROS>\r\n</PROJECT>\r\n");
  const std::string bpr2mak = "\"" + bcb + "\\Bin\\bpr2mak.exe\"";
  const std::string make = "\"" + bcb + "\\Bin\\make.exe\"";
  const std::string convert = " -t\"" + suite + "\\vx.bmk\" \"" + bcbPackages + "\\vxVexorinC6.bpk\"";
  const std::string build = "-f\"" + bcbPackages + "\\vxVexorinC6.mak\" ";

  Captured run = RunTool(bpr2mak, convert, bcbPackages);
  ASSERT_EQ(run.exitCode, 0) << run.Text();
  ASSERT_TRUE(platform::FileExists(bcbPackages + "\\vxVexorinC6.mak"));
  run = RunTool(make, build, bcbPackages);
  ASSERT_EQ(run.exitCode, 0) << run.Text();
  for (const std::string& file :
       {out + "\\vxVexorinC6.bpl", out + "\\vxVexorinC6.bpi", out + "\\vxVexorinC6.lib", out + "\\obj\\vxCore.obj",
        bcbPackages + "\\vxVexorinC6.obj", bcbPackages + "\\vxVexorinC6.tds"}) {
    EXPECT_TRUE(platform::FileExists(file)) << file;
  }

  // A unit without source fails the build; a template that is not there fails the conversion.
  ASSERT_TRUE(platform::RemoveFile(suite + "\\Sources\\vxQuery.pas"));
  ASSERT_TRUE(platform::RemoveFile(out + "\\vxVexorinC6.bpl"));
  run = RunTool(make, build, bcbPackages);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(run.Has("Unable to open file 'vxQuery.cpp'")) << run.Text();
  EXPECT_FALSE(platform::FileExists(out + "\\vxVexorinC6.bpl"));
  run = RunTool(bpr2mak, " -t\"" + suite + "\\none.bmk\" \"" + bcbPackages + "\\vxVexorinC6.bpk\"", bcbPackages);
  EXPECT_EQ(run.exitCode, 1);
}

TEST_F(StandInToolsTest, ArchiverExtractsWithExclusions) {
  const std::string package = dir + "\\Package";
  const std::string stage = dir + "\\Stage";
  const std::string demo = dir + "\\Demo";
  ASSERT_TRUE(SafeForceDirectories(package));
  InstallProgram(ARCHIVER_PATH, package + "\\7z.exe");
  if (std::string(ARCHIVER_DLL_PATH) != "") InstallProgram(ARCHIVER_DLL_PATH, package + "\\7z.dll");
  for (const char* file :
       {"Delphi7\\vxVexorinD7.bpl", "Delphi2005\\vxVexorinD9.bpl", "Packages\\Delphi7\\vxVexorinD7.dpk",
        "Packages\\Delphi2005\\vxVexorinD9.dpk", "Sources\\vxCore.pas", "Demos\\Basic\\Basic.dpr"}) {
    ASSERT_TRUE(SafeForceDirectories(ExtractFileDir(stage + "\\" + std::string(file))));
    WriteFile(stage + "\\" + file, file);
  }
  const std::string archiver = "\"" + package + "\\7z.exe\"";
  const std::string archive = "\"" + package + "\\data.arc\"";
  Captured run = RunTool(archiver, "a -t7z " + archive + " \"*\"", stage);
  ASSERT_EQ(run.exitCode, 0) << run.Text();

  ASSERT_TRUE(SafeForceDirectories(demo));
  run = RunTool(archiver,
                "x -t7z -y " + archive + " \"*\"  -x!\"Delphi2005\"  -x!\"Packages\\Delphi2005\"  -x!\"Demos\" ", demo);
  ASSERT_EQ(run.exitCode, 0) << run.Text();
  EXPECT_EQ(platform::ReadFileBytes(demo + "\\Delphi7\\vxVexorinD7.bpl"), "Delphi7\\vxVexorinD7.bpl");
  EXPECT_TRUE(platform::FileExists(demo + "\\Packages\\Delphi7\\vxVexorinD7.dpk"));
  EXPECT_TRUE(platform::FileExists(demo + "\\Sources\\vxCore.pas"));
  EXPECT_FALSE(platform::DirectoryExists(demo + "\\Delphi2005"));
  EXPECT_FALSE(platform::DirectoryExists(demo + "\\Packages\\Delphi2005"));
  EXPECT_FALSE(platform::DirectoryExists(demo + "\\Demos"));

  run = RunTool(archiver, "x -t7z -y " + archive + " \"Demos\" ", demo);
  ASSERT_EQ(run.exitCode, 0) << run.Text();
  EXPECT_TRUE(platform::FileExists(demo + "\\Demos\\Basic\\Basic.dpr"));

  EXPECT_EQ(RunTool(archiver, "x -t7z -y \"" + package + "\\missing.arc\" \"*\" ", demo).exitCode, 2);
}
