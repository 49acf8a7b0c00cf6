#include "EngineMachine.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "Compile/InstallData.h"
#include "Compile/TargetOptions.h"
#include "TestMachine.h"
#include "TestTools.h"
#include "Utils.h"
#include "platform/FileSystem.h"

EngineMachine::EngineMachine(const std::string& version) : package_(version) {
  demoDir = package_.Dir() + "\\Demo";
  installDir = package_.Dir() + "\\Install";
  toolsDir = package_.Dir() + "\\StandIn";
  EXPECT_TRUE(SafeForceDirectories(toolsDir));
  InstallProgram(DCC32_PATH, toolsDir + "\\dcc32.exe");
  InstallProgram(DCC64_PATH, toolsDir + "\\dcc64.exe");
  InstallProgram(BPR2MAK_PATH, toolsDir + "\\bpr2mak.exe");
  InstallProgram(MAKE_PATH, toolsDir + "\\make.exe");
  InstallProgram(TLIB_PATH, toolsDir + "\\tlib.exe");
  for (const char* unit : {"vxCore", "vxQuery"}) {
    package_.Fixture().WriteText(demoDir + "\\Sources\\" + unit + ".pas",
                                 std::string("unit ") + unit + ";\r\ninterface\r\nimplementation\r\nend.\r\n");
  }
}

EngineMachine::~EngineMachine() {
  // The packages the engine copied into the system folder and the headers it
  // copied into the IDEs' header folders (which the profiles make empty), if any.
  if (InstallData) {
    const TTargetOptionsList& list = InstallData->TargetOptions();
    for (int i = 0; i < list.Count(); ++i) {
      std::vector<FoundFile> headers;
      FindFiles(list.Items(i)->HppDir(), "*.hpp", false, {}, headers);
      for (const FoundFile& header : headers) platform::RemoveFile(header.path);
      for (const char* base : {"vxVexorin", "vxEmpty"}) {
        const std::string name = ChangeFileExt(TCompiler::GetPackageName(list.Items(i)->Target(), base), ".bpl");
        const std::string copy = IncludeTrailingPathDelimiter(platform::SystemDirectory()) + name;
        if (platform::FileExists(copy)) platform::RemoveFile(copy);
      }
    }
  }
  InstallData.reset();
}

const ideprofiles::InstalledIde& EngineMachine::Install(const std::string& profile, ideprofiles::IdeOptions options) {
  if (options.toolsDir.empty()) options.toolsDir = toolsDir;
  return package_.Install(profile, options);
}

TInstallData& EngineMachine::Load() {
  InstallData = std::make_unique<TInstallData>();
  InstallData->SetDemoDir(demoDir);
  InstallData->SetInstallDir(installDir);
  return *InstallData;
}

TTargetOptions& EngineMachine::Options(const std::string& name) { return OptionsOf(*InstallData, name); }

void EngineMachine::WritePackage(TTargetOptions& options, const std::string& baseName,
                                 const std::vector<std::string>& units) {
  const std::string file = TCompiler::GetPackageName(options.Target(), baseName);
  const std::string path = options.PackagesDir() + "\\" + file;
  const std::string name = file.substr(0, file.size() - 4);
  EXPECT_TRUE(SafeForceDirectories(options.ObjOutDir()));
  if (ExtractFileExt(file) == ".dpk") {
    std::string text = "package " + name + ";\r\n\r\n{$R *.res}\r\n{$DESCRIPTION 'Vexorin Components'}\r\n\r\n";
    text += "requires\r\n  rtl,\r\n  vcl;\r\n\r\n";
    if (!units.empty()) {
      text += "contains";
      for (size_t i = 0; i < units.size(); ++i) {
        text += i == 0 ? "\r\n  " : ",\r\n  ";
        text += units[i];
        text += " in '..\\..\\Sources\\";
        text += units[i];
        text += ".pas'";
      }
      text += ";\r\n\r\n";
    }
    text += "end.\r\n";
    package_.Fixture().WriteText(path, text);
    return;
  }
  // C++Builder: the project names the outputs relative to the packages folder.
  const std::string out = "..\\..\\" + ExtractFileName(options.BPLDir());
  std::string objFiles;
  for (const auto& unit : units) {
    if (!objFiles.empty()) objFiles += ' ';
    objFiles += out;
    objFiles += "\\obj\\";
    objFiles += unit;
    objFiles += ".obj";
  }
  std::string text = "<?xml version='1.0' encoding='utf-8' ?>\r\n<PROJECT>\r\n  <MACROS>\r\n";
  text += "    <VERSION value=\"BCB.06.00\"/>\r\n";
  text += "    <PROJECT value=\"";
  text += out;
  text += "\\";
  text += name;
  text += ".bpl\"/>\r\n    <OBJFILES value=\"";
  text += objFiles;
  text += "\"/>\r\n    <PACKAGES value=\"\"/>\r\n    <PATHCPP value=\".;..\\..\\Sources\"/>\r\n";
  text += "    <BPILIBDIR value=\"";
  text += out;
  text += "\"/>\r\n  </MACROS>\r\n</PROJECT>\r\n";
  package_.Fixture().WriteText(path, text);
  package_.Fixture().WriteText(
      options.GetBpr2MakTemplate(),
      "# package template\r\nLIBPATH = $(BCB)\\Lib;$(LIBPATH)\r\n.cpp.obj:\r\n\t$(BCC32) -c $<\r\n");
}

std::vector<std::string> EngineMachine::Log() const {
  std::vector<std::string> lines;
  for (const auto& message : compiler.Logger().Messages()) lines.push_back(message.Message);
  return lines;
}

std::vector<std::string> EngineMachine::LogSince(size_t first) const {
  auto lines = Log();
  lines.erase(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(std::min(first, lines.size())));
  return lines;
}

std::vector<std::string> EngineMachine::Between(const std::vector<std::string>& lines, const std::string& from,
                                                const std::string& to) {
  std::vector<std::string> between;
  bool inside = false;
  for (const auto& line : lines) {
    if (inside && line == to) break;
    if (inside) between.push_back(line);
    if (line == from) inside = true;
  }
  return between;
}
