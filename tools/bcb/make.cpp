// Stand-in for the C++Builder make, for package makefiles made by bpr2mak.
//   make -fMAKEFILE
// Reads the makefile's macro definitions ("NAME = value", a trailing "\"
// continues a line, $(NAME) is replaced by the value defined so far; BCB is
// the IDE's root, the parent of make's folder). Other lines (rules) are passed
// over. Then builds the package the macros describe:
//   PROJECT    the package library (.bpl) to write
//   OBJFILES   object files to write, one per unit, each from NAME.cpp or
//              NAME.pas found in the working folder, PATHCPP or PATHPAS
//   PACKAGES   .bpi files of required packages, found in LIBPATH
//   BPILIBDIR  where the .bpi and .lib go (beside the .bpl when not set)
// and leaves PROJECT's .obj and .tds in the working folder. Anything missing
// fails the build with exit code 1.
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "common/Library.h"
#include "common/PeImage.h"
#include "common/StandIn.h"
#include "platform/Environment.h"
#include "platform/FileSystem.h"

using standin::InFolder;

namespace {

std::string Trim(const std::string& s) {
  const size_t b = s.find_first_not_of(" \t");
  if (b == std::string::npos) return "";
  return s.substr(b, s.find_last_not_of(" \t") - b + 1);
}

std::string Expand(const std::string& text, const std::map<std::string, std::string>& macros) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    const size_t close = text.find(')', i);
    if (text.compare(i, 2, "$(") == 0 && close != std::string::npos) {
      auto it = macros.find(text.substr(i + 2, close - i - 2));
      if (it != macros.end()) out += it->second;
      i = close;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

std::vector<std::string> Words(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

}  // namespace

int main(int argc, char** argv) {
  standin::ToolRun run("make", argc, argv);
  run.Out("Stand-in make 1.0");
  std::string makefile;
  const auto& args = run.Args();
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "-f" && i + 1 < args.size()) {
      makefile = args[++i];
    } else if (args[i].size() > 2 && args[i].compare(0, 2, "-f") == 0) {
      makefile = args[i].substr(2);
    }
  }
  if (makefile.empty()) makefile = "makefile";
  const auto text = platform::ReadFileBytes(makefile);
  if (!text) {
    run.Out("Fatal: Unable to open makefile " + makefile);
    return run.Finish(1);
  }
  const auto lines = standin::SplitLines(*text);
  run.NoteConfig(platform::FullPathOf(makefile), lines);

  std::map<std::string, std::string> macros;
  const std::string makeDir = standin::FolderOf(platform::ExecutablePath());
  macros["MAKEDIR"] = makeDir;
  macros["BCB"] = standin::FolderOf(makeDir);
  for (size_t i = 0; i < lines.size(); ++i) {
    std::string line = lines[i];
    while (!line.empty() && line.back() == '\\' && i + 1 < lines.size())
      line = line.substr(0, line.size() - 1) + " " + lines[++i];
    if (line.empty() || line[0] == '#' || line[0] == ' ' || line[0] == '\t' || line[0] == '!') continue;
    const size_t eq = line.find('=');
    const size_t colon = line.find(':');
    if (eq == std::string::npos || (colon != std::string::npos && colon < eq)) continue;  // a rule
    macros[Trim(line.substr(0, eq))] = Trim(Expand(line.substr(eq + 1), macros));
  }
  auto macro = [&](const char* name) {
    auto it = macros.find(name);
    return it == macros.end() ? std::string() : it->second;
  };
  const std::string project = macro("PROJECT");
  if (project.empty()) {
    run.Out("Fatal: " + makefile + " names no PROJECT");
    return run.Finish(1);
  }
  auto fail = [&](const std::string& message) {
    run.Out(message);
    run.Out("** error 1 ** deleting " + project);
    return run.Finish(1);
  };

  const auto libPath = standin::SplitPathList(macro("LIBPATH"));
  for (const auto& bpi : Words(macro("PACKAGES"))) {
    if (!standin::FindInFolders(bpi, libPath)) return fail("Fatal: Unable to open file '" + bpi + "'");
  }
  std::vector<std::string> sourceFolders{"."};
  for (const char* list : {"PATHCPP", "PATHPAS"}) {
    for (const auto& f : standin::SplitPathList(macro(list))) sourceFolders.push_back(f);
  }
  std::vector<standin::LibModule> modules;
  for (const auto& obj : Words(macro("OBJFILES"))) {
    const std::string unit = standin::BaseName(obj);
    auto source = standin::FindInFolders(unit + ".cpp", sourceFolders);
    if (!source) source = standin::FindInFolders(unit + ".pas", sourceFolders);
    if (!source) return fail("Fatal: Unable to open file '" + unit + ".cpp'");
    run.Out(*source + ":");
    const standin::LibModule module = standin::ObjectModule(unit);
    if (!platform::WriteFileBytes(obj, module.bytes)) return fail("Fatal: Could not create output file '" + obj + "'");
    modules.push_back(module);
  }
  const std::string base = standin::BaseName(project);
  const std::string bpiDir = macro("BPILIBDIR").empty() ? standin::FolderOf(project) : macro("BPILIBDIR");
  peimage::VersionInfo version{{1, 0, 0, 0}, {1, 0, 0, 0}, {{"FileDescription", macro("DESCRIPTION")}}};
  const auto image = peimage::BuildPeImage(version, true);
  run.Out("Linking " + project);
  if (!platform::WriteFileBytes(project, std::string(image.begin(), image.end())) ||
      !platform::WriteFileBytes(InFolder(bpiDir, base + ".bpi"), "stand-in package import " + base + "\r\n") ||
      !platform::WriteFileBytes(InFolder(bpiDir, base + ".lib"), standin::WriteLibrary(modules)) ||
      !platform::WriteFileBytes(base + ".obj", standin::ObjectModule(base).bytes) ||
      !platform::WriteFileBytes(base + ".tds", "stand-in debug symbols\r\n")) {
    return fail("Fatal: Could not create output files of " + project);
  }
  return run.Finish(0);
}
