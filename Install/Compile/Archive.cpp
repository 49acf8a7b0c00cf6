// Unpacking the suite's archive into the demo folder, and the maintenance
// copy of the setup program in the installation folder's Uninstall folder.
#include <set>

#include "Compile/Compiler.h"
#include "Compile/InstallData.h"
#include "Compile/TargetOptions.h"
#include "Compile/VersionTables.h"
#include "SysUtils.h"
#include "Utils.h"
#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "platform/System.h"
#include "platform/Text.h"

namespace {

// The archiver's switch that leaves one top-level path out.
std::string ExcludeSwitch(const std::string& path) {
  std::string text = " -x!\"";
  text += path;
  text += "\" ";
  return text;
}

// The folders of the IDE versions not on the machine are left out of the
// extraction; with AForceExtract everything but the demos is extracted.
std::string ExclusionSwitches(bool AForceExtract) {
  std::string switches;
  if (!AForceExtract) {
    std::set<int> present;
    const TTargetOptionsList& list = InstallData->TargetOptions();
    for (int i = 0; i < list.Count(); ++i) present.insert(list.Items(i)->Target().Version());
    for (int v = 1; v <= kLastProductVersion; ++v) {
      if (present.count(v) != 0) continue;
      const std::string n = IDEFolderNames[static_cast<size_t>(v)];
      if (!n.empty()) {
        switches += ExcludeSwitch(n);
        switches += ExcludeSwitch(n + "x64");
        for (const char* packages : {"Packages\\", "Packages_DevExpress\\", "Packages_TMS\\", "Packages_Tnt\\"}) {
          switches += ExcludeSwitch(packages + n);
          switches += ExcludeSwitch(packages + n + "x64");
        }
      }
      const std::string c = CBuilderFolderNames[static_cast<size_t>(v)];
      if (!c.empty()) {
        switches += ExcludeSwitch(c);
        for (const char* packages : {"Packages\\", "Packages_DevExpress\\", "Packages_TMS\\", "Packages_Tnt\\"}) {
          switches += ExcludeSwitch(packages + c);
          switches += ExcludeSwitch(packages + c + "x64");
        }
      }
    }
  }
  switches += ExcludeSwitch("Demos");
  return switches;
}

std::string ExtractErrorDescription(int code) {
  switch (code) {
    case 1:
      return "Warning (Non fatal error(s))";
    case 2:
      return "Fatal error";
    case 7:
      return "Command line error";
    case 8:
      return "Not enough memory for operation";
    case 255:
      return "User stopped the process";
    default:
      return "Unknown extract error. Error code: " + std::to_string(code);
  }
}

// The system's text for an error code, cut to the 256 characters the
// system call's buffer holds.
constexpr size_t kErrorTextChars = 256;
std::string ErrorText(uint32_t code) { return platform::Utf8Prefix(platform::SystemErrorText(code), kErrorTextChars); }

}  // namespace

void TCompiler::ExtractArchive(bool AForceExtract) {
  if (!platform::FileExists("data.arc")) throw Exception("File not exists:\"data.arc\". Invalid installer package.");
  const std::string target = ExcludeTrailingPathDelimiter(InstallData->DemoDir());
  const std::string setupDir = ExcludeTrailingPathDelimiter(ExtractFileDir(platform::ExecutablePath()));
  std::string command = "\"";
  command += setupDir;
  command += "\\7z.exe\"";
  std::string archive = "\"";
  archive += setupDir;
  archive += "\\data.arc\"";

  // A password on the command line: the archiver never asks for one (at the
  // end of its input it would report "User stopped the process"), and an
  // archive that has one fails as a damaged archive does.
  const std::string mode = "x -t7z -y -pNoPassword ";
  FLogger->Info("Extracting component files...");
  std::string parameters = mode;
  parameters += archive;
  parameters += " \"*\" ";
  parameters += ExclusionSwitches(AForceExtract);
  RunArchiver(command, parameters, target, setupDir);
  InstallData->SetInstalled(true);
  FLogger->Info("Extracting completed...");

  FLogger->Info("Extracting Demo files...");
  parameters = mode;
  parameters += archive;
  parameters += " \"Demos\" ";
  RunArchiver(command, parameters, target, setupDir);
  FLogger->Info("Extracting Demos completed...");
}

void TCompiler::RunArchiver(const std::string& ACommand, const std::string& AParameters, const std::string& ATarget,
                            const std::string& ASetupDir) {
  FLogger->Debug(ACommand + " " + AParameters);
  FLogger->Info("Creating target dir:" + ATarget);
  if (!SafeForceDirectories(ATarget)) {
    const uint32_t code = platform::LastErrorCode();
    if (code != 0) {
      std::string message = "ForceDirectories fails: Error code: ";
      message += std::to_string(code);
      message += " Message: ";
      message += ErrorText(code);
      throw Exception(message);
    }
  }
  FLogger->Debug("Change dir: " + ATarget);
  if (!platform::SetCurrentDir(ATarget)) RaiseLastOSError();
  FLogger->Debug("Create process: " + ACommand);
  FLogger->Debug("Process params: " + AParameters);
  int exitCode = 0;
  try {
    exitCode = RunTool(ACommand, AParameters, ATarget);
  } catch (...) {
    platform::SetCurrentDir(ASetupDir);
    throw;
  }
  platform::SetCurrentDir(ASetupDir);
  if (exitCode != 0) {
    InstallData->SetInstalled(false);
    throw Exception("Error extracting component files from archive.\r" + ExtractErrorDescription(exitCode));
  }
}

void TCompiler::CopyToUninstallFolder() {
  const std::string source = ExcludeTrailingPathDelimiter(platform::FullPathOf(platform::GetCurrentDir()));
  const std::string dest = IncludeTrailingPathDelimiter(platform::FullPathOf(InstallData->InstallDir())) + "Uninstall";
  if (platform::DirectoryExists(dest)) {
    FLogger->Debug("  Uninstall dir exists: \"" + dest + "\"");
  } else {
    FLogger->Debug("  Creating dir: \"" + dest + "\"");
    if (!SafeForceDirectories(dest)) FLogger->Debug("  Error creating dir: " + ErrorText(platform::LastErrorCode()));
  }
  for (const char* name : {"setup.exe", "7z.exe", "7z.dll", "version", "withsrcs", "marlin", "quillon", "metapvds"}) {
    if (platform::SameTextAscii(source, dest)) {
      FLogger->Warning("  Cannot copy file to the same dir: " + source);
      continue;
    }
    const std::string from = source + "\\" + name;
    const std::string to = dest + "\\" + name;
    if (platform::FileExists(from)) {
      FLogger->Debug("  Copying file: \"" + from + "\" -> \"" + to + "\"");
      platform::CopyFileTo(from, to, false);
    } else {
      FLogger->Debug("  Source file does not exists: \"" + from + "\", deleting \"" + to + "\"");
      platform::RemoveFile(to);
    }
  }
}
