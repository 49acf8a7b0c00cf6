// Stand-in for the C++Builder project converter.
//   bpr2mak -tTEMPLATE PROJECT.bpk
// Writes PROJECT.mak into the working folder: every macro of the project file
// (elements <NAME value="..."/>) as a line "NAME = value", then the template's
// text, which make reads after them (it may add to or override the macros).
#include <regex>
#include <string>

#include "common/StandIn.h"
#include "platform/FileSystem.h"

namespace {

std::string XmlText(std::string s) {
  const std::pair<const char*, const char*> entities[] = {
      {"&quot;", "\""}, {"&apos;", "'"}, {"&lt;", "<"}, {"&gt;", ">"}, {"&amp;", "&"}};
  for (const auto& [entity, text] : entities) {
    for (size_t pos = s.find(entity); pos != std::string::npos; pos = s.find(entity, pos + 1)) {
      s.replace(pos, std::string(entity).size(), text);
    }
  }
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  standin::ToolRun run("bpr2mak", argc, argv);
  std::string templatePath;
  std::string project;
  for (const auto& arg : run.Args()) {
    if (arg.size() > 2 && (arg[0] == '-' || arg[0] == '/') && (arg[1] == 't' || arg[1] == 'T')) {
      templatePath = arg.substr(2);
    } else if (!arg.empty() && arg[0] != '-' && arg[0] != '/') {
      project = arg;
    }
  }
  run.Out("Stand-in C++Builder project converter bpr2mak 1.0");
  if (project.empty()) {
    run.Out("Syntax: bpr2mak [-tTEMPLATE] PROJECT.bpk");
    return run.Finish(1);
  }
  const auto bpk = platform::ReadFileBytes(project);
  if (!bpk) {
    run.Out("Error: cannot open project file " + project);
    return run.Finish(1);
  }
  std::string templateText;
  if (!templatePath.empty()) {
    const auto text = platform::ReadFileBytes(templatePath);
    if (!text) {
      run.Out("Error: cannot open template file " + templatePath);
      return run.Finish(1);
    }
    run.NoteConfig(platform::FullPathOf(templatePath), standin::SplitLines(*text));
    templateText = *text;
  }
  std::string mak = "# " + standin::BaseName(project) + ".mak, made by bpr2mak from " + project + "\r\n";
  const std::regex macro(R"re(<([A-Za-z_][A-Za-z0-9_]*)\s+value\s*=\s*"([^"]*)"\s*/>)re");
  bool hasProject = false;
  for (std::sregex_iterator it(bpk->begin(), bpk->end(), macro), end; it != end; ++it) {
    mak += (*it)[1].str() + " = " + XmlText((*it)[2].str()) + "\r\n";
    hasProject = hasProject || (*it)[1].str() == "PROJECT";
  }
  if (!hasProject) {
    run.Out("Error: " + project + " is not a package project: it has no PROJECT");
    return run.Finish(1);
  }
  mak += "# ---- template " + templatePath + "\r\n" + templateText;
  const std::string makPath = standin::BaseName(project) + ".mak";
  if (!platform::WriteFileBytes(makPath, mak)) {
    run.Out("Error: cannot write " + makPath);
    return run.Finish(1);
  }
  run.Out("Writing " + makPath);
  return run.Finish(0);
}
