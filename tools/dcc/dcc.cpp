// Stand-in for the Delphi command-line compiler (dcc32, dcc64; DCC_NAME says
// which). It keeps the compiler's call contract, not its work: it reads the
// configuration file of its own folder and then the one of the working folder
// (DCC_NAME.cfg), options on the command line, and the package source; it
// fails like a compiler, with exit code 1, when a required package's .dcp or
// a contained unit cannot be found; otherwise it writes the .bpl, .dcp and
// .dcu files, and with -JL the .hpp, .obj, .bpi and .lib files, into the
// folders the options name.
#include <string>
#include <vector>

#include "common/Library.h"
#include "common/PeImage.h"
#include "common/StandIn.h"
#include "dcc/DccOptions.h"
#include "dcc/DpkFile.h"
#include "platform/Environment.h"
#include "platform/FileSystem.h"

using standin::FindInFolders;
using standin::InFolder;

namespace {

constexpr const char* kName = DCC_NAME;

class Compiler {
 public:
  Compiler(int argc, char** argv) : run_(kName, argc, argv) {}

  int Main() {
    run_.Out(std::string("Stand-in Delphi command-line compiler ") + kName + " 1.0");
    ReadConfig(InFolder(standin::FolderOf(platform::ExecutablePath()), std::string(kName) + ".cfg"));
    ReadConfig(std::string(kName) + ".cfg");
    std::string project;
    for (const auto& arg : run_.Args()) {
      if (!arg.empty() && (arg[0] == '-' || arg[0] == '/')) {
        ApplyOption(options_, arg);
      } else if (project.empty()) {
        project = arg;
      }
    }
    for (const auto& option : options_.unknown) run_.Out("Warning: unknown option " + option + " ignored");
    if (project.empty()) return Fail("Fatal: F1018 No source file given");
    if (standin::BaseName(project) == project.substr(project.find_last_of("\\/:") + 1)) project += ".dpk";
    return Compile(project);
  }

 private:
  int Fail(const std::string& message) {
    run_.Out(message);
    return run_.Finish(1);
  }

  // A configuration file: one or more options a line. A missing file is no error.
  void ReadConfig(const std::string& path) {
    const std::string full = platform::FullPathOf(path);
    for (const auto& done : configsRead_) {
      if (standin::SameName(done, full)) return;
    }
    const auto text = platform::ReadFileBytes(full);
    if (!text) return;
    configsRead_.push_back(full);
    const auto lines = standin::SplitLines(*text);
    run_.NoteConfig(full, lines);
    for (const auto& line : lines) {
      for (const auto& option : SplitOptions(line)) ApplyOption(options_, option);
    }
  }

  bool Write(const std::string& path, const std::string& bytes) {
    if (platform::WriteFileBytes(path, bytes)) return true;
    run_.Out("Fatal: F1039 Could not create output file '" + path + "'");
    return false;
  }

  int Compile(const std::string& project) {
    const auto source = platform::ReadFileBytes(project);
    if (!source) return Fail("Fatal: F1026 File not found: '" + project + "'");
    const std::string projectDir = standin::FolderOf(platform::FullPathOf(project));
    const std::string fileName = project.substr(project.find_last_of("\\/:") + 1);
    DpkPackage package;
    try {
      package = ParseDpk(*source);
    } catch (const DpkError& e) {
      return Fail(fileName + "(" + std::to_string(e.Line()) + ") Fatal: " + e.what());
    }

    std::vector<std::string> packageFolders{options_.dcpDir};
    packageFolders.insert(packageFolders.end(), options_.unitPaths.begin(), options_.unitPaths.end());
    packageFolders.push_back(projectDir);
    for (const auto& required : package.required) {
      if (!FindInFolders(required.name + ".dcp", packageFolders)) {
        return Fail(fileName + "(" + std::to_string(required.line) + ") Fatal: F2202 Required package '" +
                    required.name + "' not found");
      }
    }

    std::vector<std::string> unitFolders{projectDir};
    unitFolders.insert(unitFolders.end(), options_.unitPaths.begin(), options_.unitPaths.end());
    struct Unit {
      std::string name;
      std::string path;
      size_t lines;
    };
    std::vector<Unit> units;
    size_t totalLines = standin::SplitLines(*source).size();
    for (const auto& contained : package.contains) {
      std::optional<std::string> path;
      if (!contained.file.empty()) {
        const std::string candidate = InFolder(projectDir, contained.file);
        if (platform::FileExists(candidate)) path = platform::FullPathOf(candidate);
      } else {
        path = FindInFolders(contained.name + ".pas", unitFolders);
      }
      if (!path) {
        const std::string wanted = contained.file.empty() ? contained.name + ".pas" : contained.file;
        return Fail(fileName + "(" + std::to_string(contained.line) + ") Fatal: F1026 File not found: '" + wanted +
                    "'");
      }
      const auto text = platform::ReadFileBytes(*path);
      const size_t lines = text ? standin::SplitLines(*text).size() : 0;
      if (!options_.quiet) run_.Out(*path + "(" + std::to_string(lines) + ")");
      totalLines += lines;
      units.push_back({contained.name, *path, lines});
    }

    // The outputs, each where its option says, else beside the package source.
    auto dir = [&](const std::string& chosen) { return chosen.empty() ? projectDir : chosen; };
    const std::string base = standin::BaseName(fileName);
    std::vector<standin::LibModule> modules;
    for (const auto& unit : units) {
      if (!Write(InFolder(dir(options_.dcuDir), unit.name + ".dcu"),
                 "stand-in compiled unit " + unit.name + " from " + unit.path + "\r\n")) {
        return run_.Finish(1);
      }
      if (options_.cppOutput) {
        const standin::LibModule module = standin::ObjectModule(unit.name);
        if (!Write(InFolder(dir(options_.hppDir), unit.name + ".hpp"),
                   "// " + unit.name + ".hpp: C++ declarations of the Delphi unit " + unit.name +
                       "\r\n#pragma once\r\n") ||
            !Write(InFolder(dir(options_.objDir), unit.name + ".obj"), module.bytes)) {
          return run_.Finish(1);
        }
        modules.push_back(module);
      }
    }
    peimage::VersionInfo version{{1, 0, 0, 0}, {1, 0, 0, 0}, {{"FileDescription", package.description}}};
    const auto image = peimage::BuildPeImage(version, true);
    if (!Write(InFolder(dir(options_.bplDir), base + ".bpl"), std::string(image.begin(), image.end())) ||
        !Write(InFolder(dir(options_.dcpDir), base + ".dcp"), "stand-in compiled package " + package.name + "\r\n")) {
      return run_.Finish(1);
    }
    if (options_.cppOutput &&
        (!Write(InFolder(dir(options_.bpiDir), base + ".bpi"), "stand-in package import " + package.name + "\r\n") ||
         !Write(InFolder(dir(options_.bpiDir), base + ".lib"), standin::WriteLibrary(modules)))) {
      return run_.Finish(1);
    }
    run_.Out(std::to_string(totalLines) + " lines, 0.01 seconds, " + std::to_string(image.size()) +
             " bytes code, 0 bytes data.");
    return run_.Finish(0);
  }

  standin::ToolRun run_;
  DccOptions options_;
  std::vector<std::string> configsRead_;
};

}  // namespace

int main(int argc, char** argv) { return Compiler(argc, argv).Main(); }
