// Building one package for one IDE: the Delphi compiler steered by a
// temporary configuration file, or bpr2mak and make for C++Builder before RAD
// Studio; then the .bpl check, the copy into the system folder and the object
// files unpacked from the import library.
#include "AnsiPaths.h"
#include "CapExec.h"
#include "Compile/Compiler.h"
#include "Compile/InstallData.h"
#include "Compile/TargetOptions.h"
#include "SysUtils.h"
#include "Utils.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "platform/Text.h"

namespace {

// The namespaces a RAD Studio compiler needs to find the VCL's units by their short names.
constexpr const char* kUnitScopeNames =
    "-NSSystem;System.Win;Data;Data.Win;Datasnap;Datasnap.Win;Web;Web.Win;Soap;Soap.Win;Vcl;Vcl.Imaging;"
    "Vcl.Shell;Winapi;Bde;Xml;Xml.Win;IBX;Vcl.Samples";

std::string EditionSymbol(const TVersion& version) {
  if (version.ProfessionalEdition()) return "PROFESSIONAL";
  if (version.TrialEdition()) return "TRIAL";
  if (version.FreeEdition()) return "FREE";
  return "STANDARD";
}

// The option followed by the value in double quotes.
std::string Quoted(const char* option, const std::string& value) {
  std::string line = option;
  line += '"';
  line += value;
  line += '"';
  return line;
}

std::string Quoted(const std::string& value) { return Quoted("", value); }

// "-U", "-I", "-R" and "-O", each with the same quoted list of folders. The
// file is in the ANSI code page, so each folder is in a form it holds.
void AddSearchOptions(std::vector<std::string>& lines, const std::string& folders) {
  const std::string value = AnsiSafePathList(folders);
  for (const char* option : {"-U", "-I", "-R", "-O"}) lines.push_back(Quoted(option, value));
}

// The IDE's own package output folder as its user settings name it.
std::string PackageDplOutput(const TCompileTarget& target) {
  platform::RegistryKey key;
  if (!key.OpenRead(platform::RegRoot::CurrentUser, target.RegistryKey() + "\\Library")) return {};
  return target.ExpandDirMacros(key.ReadString("Package DPL Output").value_or(""));
}

// Whether a line begins with a letter. Tool output arrives in an ANSI code
// page, so the letters of the Latin, Greek and Cyrillic scripts are all a
// line can begin with.
bool BeginsWithLetter(const std::string& line) {
  const std::u16string wide = platform::Utf8ToUtf16(line.substr(0, 4));
  if (wide.empty()) return false;
  const char16_t c = wide[0];
  if ((c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z')) return true;
  if (c == 0xAA || c == 0xB5 || c == 0xBA) return true;
  if (c >= 0xC0 && c <= 0x2AF) return c != 0xD7 && c != 0xF7;
  return (c >= 0x386 && c <= 0x3FF && c != 0x387) || (c >= 0x400 && c <= 0x52F && (c < 0x482 || c > 0x489));
}

}  // namespace

std::vector<std::string> TCompiler::CompilerConfig(TTargetOptions& TargetOptions) const {
  TCompileTarget& target = TargetOptions.Target();
  const std::string bplDir = AnsiSafePath(TargetOptions.BPLDir());
  const std::string objDir = AnsiSafePath(TargetOptions.ObjOutDir());
  const std::string hppDir = AnsiSafePath(TargetOptions.HppOutDir());
  std::vector<std::string> lines{"-Q -B -H+ -W+"};
  if (target.IsBDS() && target.SupportedPersonalities().count(persBCB) != 0) lines.emplace_back("-JL");
  lines.push_back(" -D" + EditionSymbol(TargetOptions.InstallData().Version()));
  AddSearchOptions(lines, bplDir + ";" + objDir);
  TStringList searchPaths;
  for (const auto& path : target.SearchPaths()) searchPaths.push_back(target.ExpandDirMacros(path));
  AddSearchOptions(lines, JoinPaths(searchPaths));
  AddSearchOptions(lines, target.BplDir() + ";" + target.DcpDir());
  AddSearchOptions(lines, PackageDplOutput(target));
  lines.push_back(Quoted("-LE", bplDir));
  lines.push_back(Quoted("-LN", bplDir));
  lines.push_back(Quoted("-N0", bplDir));
  lines.push_back(Quoted("-N1", hppDir));
  lines.push_back(Quoted("-NH", hppDir));
  lines.push_back(Quoted("-N2", objDir));
  lines.push_back(Quoted("-NO", objDir));
  lines.push_back(Quoted("-NB", bplDir));
  if (target.IsBDS()) lines.emplace_back(kUnitScopeNames);
  return lines;
}

void TCompiler::CompilePackage(TTargetOptions& TargetOptions, const std::string& PackageName, bool /*Standard*/,
                               bool DesignTime) {
  TCompileTarget& target = TargetOptions.Target();
  FLogger->Debug("Compiling package: " + PackageName);
  const std::string packageFile = GetPackageName(target, PackageName);
  if (TargetOptions.HaveDCCCompiler()) {
    if (target.IsBCB() && !target.IsBDS()) {
      CompileWithMake(TargetOptions, packageFile);
    } else {
      CompileWithDcc(TargetOptions, packageFile);
    }
  }

  const std::string bplFile = JoinPath(TargetOptions.BPLDir(), ChangeFileExt(packageFile, ".bpl"));
  if (!platform::FileExists(bplFile)) throw Exception("File not exists: " + bplFile);
  FLogger->Debug("  target file exist: " + bplFile);

  if (!DesignTime && TargetOptions.IsSupportDesigner()) InstallIntoSystemDir(bplFile);

  if (!DesignTime && TargetOptions.ExtractObjFromLib()) {
    const std::string libFile = JoinPath(TargetOptions.BPLDir(), ChangeFileExt(packageFile, ".lib"));
    if (platform::FileExists(libFile)) ExtractObjFiles(TargetOptions, ExtractFileName(libFile));
  }
  if (FProgress.Package < FProgress.PackageCount) ++FProgress.Package;
  ReportProgress();
}

void TCompiler::CompileWithMake(TTargetOptions& TargetOptions, const std::string& PackageFile) {
  // bpr2mak and make of C++Builder 5 and 6 are ANSI programs: the system
  // hands them their command line and working folder in the ANSI code page.
  const std::string packagesDir = AnsiSafePath(TargetOptions.PackagesDir());
  const std::string bpr2mak = Quoted(TargetOptions.GetBpr2Mak());
  // The suite's make-file template lives in the installation folder, which
  // nothing of the setup writes and the removal of an update deletes; without
  // it bpr2mak is left to its own default template rather than failing.
  const std::string makeTemplate = TargetOptions.GetBpr2MakTemplate();
  std::string parameters = " ";
  if (platform::FileExists(makeTemplate)) {
    parameters += "-t\"";
    parameters += AnsiSafePath(makeTemplate);
    parameters += "\" ";
  }
  parameters += '"';
  parameters += JoinPath(packagesDir, PackageFile);
  parameters += '"';
  FLogger->Debug(bpr2mak + parameters);
  if (RunTool(bpr2mak, parameters, packagesDir) != 0) throw Exception("Error executing bpr2mak");

  std::string makeParameters = "-f\"";
  makeParameters += JoinPath(packagesDir, ChangeFileExt(PackageFile, ".mak"));
  makeParameters += "\" ";
  if (RunTool(Quoted(TargetOptions.Target().Make()), makeParameters, packagesDir) != 0) {
    throw Exception("Error executing make");
  }
  for (const char* ext : {".mak", ".obj", ".tds"}) {
    platform::RemoveFile(JoinPath(packagesDir, ChangeFileExt(PackageFile, ext)));
  }
}

void TCompiler::CompileWithDcc(TTargetOptions& TargetOptions, const std::string& PackageFile) {
  TCompileTarget& target = TargetOptions.Target();
  const bool win64 = target.Platform() == ctpWin64;
  const std::string configFile =
      IncludeTrailingPathDelimiter(TargetOptions.PackagesDir()) + (win64 ? "dcc64.cfg" : "dcc32.cfg");
  // Before anything is written: a path the file cannot hold stops this IDE.
  const std::vector<std::string> lines = CompilerConfig(TargetOptions);
  const std::string workingDir = AnsiSafePath(TargetOptions.PackagesDir());
  std::string text;
  for (const auto& line : lines) {
    text += line;
    text += "\r\n";
  }
  // A compiler run without its configuration would build into the wrong folders.
  if (!platform::WriteFileBytes(configFile, platform::Utf8ToAnsi(text))) RaiseFileError("write file", configFile);
  try {
    FLogger->Debug("Content of file: \"" + configFile + "\"");
    FLogger->Debug("start====================================");
    for (const auto& line : lines) FLogger->Debug(line);
    FLogger->Debug("end======================================");
    const std::string command = Quoted(win64 ? target.Dcc64() : target.Dcc32());
    const std::string parameters = Quoted(PackageFile);
    FLogger->Debug(command + " " + parameters);
    if (RunTool(command, parameters, workingDir) != 0) {
      throw Exception("Error compiling package: " + PackageFile);
    }
  } catch (...) {
    if (platform::FileExists(configFile)) platform::RemoveFile(configFile);
    throw;
  }
  if (platform::FileExists(configFile)) platform::RemoveFile(configFile);
}

void TCompiler::InstallIntoSystemDir(const std::string& BplFile) {
  const std::string systemCopy = IncludeTrailingPathDelimiter(platform::SystemDirectory()) + ExtractFileName(BplFile);
  FLogger->Debug("  Installing into SystemDir: " + systemCopy);
  if (platform::FileExists(systemCopy)) {
    FLogger->Debug("  file already exists: " + systemCopy);
    FLogger->Debug("  deleting file: " + systemCopy);
    if (!platform::RemoveFile(systemCopy)) {
      const uint32_t code = platform::LastErrorCode();
      FLogger->Error("  ERROR: cannot delete file: " + systemCopy);
      RaiseOSError(code);
    }
    FLogger->Debug("  deleting file successful");
    if (platform::FileExists(systemCopy)) {
      throw Exception("File exists after deleting from SystemDir: " + systemCopy);
    }
    FLogger->Debug("  target file not exist after deletion: " + systemCopy);
  } else {
    FLogger->Debug("  target file not exist before installing: " + systemCopy);
  }
  if (!platform::CopyFileTo(BplFile, systemCopy, false)) {
    const uint32_t code = platform::LastErrorCode();
    // The system error names no file: the copy that failed is named first.
    FLogger->Error("  ERROR: cannot copy file: " + BplFile + " to " + systemCopy);
    FLogger->Error("  ERROR: cannot installing into SystemDir");
    RaiseOSError(code);
  }
  FLogger->Debug("  installing into SystemDir successful");
  if (!platform::FileExists(systemCopy)) {
    throw Exception("File not exists after installing into SystemDir: " + systemCopy);
  }
  FLogger->Debug("  target file exist after installation: " + systemCopy);
}

void TCompiler::ExtractObjFiles(TTargetOptions& TargetOptions, const std::string& LibFile) {
  const std::string bplDir = TargetOptions.BPLDir();
  // Quoted, so that a folder with blanks cannot make the system start another program.
  const std::string tlib = Quoted(TargetOptions.Target().Tlib());
  std::vector<std::string> listing;
  fStrings = &listing;
  int32_t exitCode = 0;
  try {
    exitCode = CaptureExecute(tlib, LibFile + " /L", bplDir,
                              [this](const std::string& Text, bool& Abort) { CollectToolOutput(Text, Abort); });
  } catch (...) {
    fStrings = nullptr;
    throw;
  }
  fStrings = nullptr;
  if (exitCode != 0) return;
  std::string modules;
  for (const std::string& name : LibraryModules(listing)) {
    modules += ' ';
    modules += name;
  }
  RunTool(tlib, LibFile + " /e" + modules, bplDir);
}

std::vector<std::string> TCompiler::LibraryModules(const std::vector<std::string>& AListing) {
  // The listing's first three lines are its header; a module line begins with
  // the module's name and a TAB, the lines of its symbols with a TAB. A line
  // beginning with a letter but without a TAB (a trailer) names no module.
  std::vector<std::string> names;
  for (size_t i = 3; i < AListing.size(); ++i) {
    const std::string& line = AListing[i];
    if (line.empty() || !BeginsWithLetter(line)) continue;
    const size_t tab = line.find('\t');
    names.push_back(tab == std::string::npos ? std::string() : line.substr(0, tab));
  }
  return names;
}
