#include "dcc/DccOptions.h"

#include "common/StandIn.h"

std::vector<std::string> SplitOptions(const std::string& line) {
  std::vector<std::string> options;
  std::string current;
  bool quoted = false;
  bool any = false;
  for (const char c : line) {
    if (c == '"') {
      quoted = !quoted;
      any = true;
    } else if ((c == ' ' || c == '\t') && !quoted) {
      if (any) options.push_back(current);
      current.clear();
      any = false;
    } else {
      current.push_back(c);
      any = true;
    }
  }
  if (any) options.push_back(current);
  return options;
}

void ApplyOption(DccOptions& o, const std::string& option) {
  if (option.size() < 2 || (option[0] != '-' && option[0] != '/')) {
    o.unknown.push_back(option);
    return;
  }
  const std::string body = option.substr(1);
  auto is = [&](const char* prefix) { return standin::SameName(body.substr(0, std::string(prefix).size()), prefix); };
  auto value = [&](size_t prefixLength) { return body.substr(prefixLength); };
  auto add = [](std::vector<std::string>& list, const std::string& entries) {
    for (const auto& e : standin::SplitPathList(entries)) list.push_back(e);
  };
  if (is("LE")) {
    o.bplDir = value(2);
  } else if (is("LN")) {
    o.dcpDir = value(2);
  } else if (is("LU")) {
    // run-time packages: nothing to do for a package build
  } else if (is("NS")) {
    add(o.namespaces, value(2));
  } else if (is("N0")) {
    o.dcuDir = value(2);
  } else if (is("N1") || is("NH")) {
    o.hppDir = value(2);
  } else if (is("N2") || is("NO")) {
    o.objDir = value(2);
  } else if (is("NB")) {
    o.bpiDir = value(2);
  } else if (is("JL")) {
    o.cppOutput = true;
  } else if (is("J") || is("$") || is("H") || is("W") || is("E") || is("K") || is("V")) {
    // code generation, directives, hints, warnings, exe folder, image base, debug info
  } else if (is("U")) {
    add(o.unitPaths, value(1));
  } else if (is("I")) {
    add(o.includePaths, value(1));
  } else if (is("R")) {
    add(o.resourcePaths, value(1));
  } else if (is("O")) {
    add(o.objectPaths, value(1));
  } else if (is("D")) {
    add(o.defines, value(1));
  } else if (body == "Q" || body == "q") {
    o.quiet = true;
  } else if (body == "B" || body == "b") {
    o.buildAll = true;
  } else {
    o.unknown.push_back(option);
  }
}
