// The options of the stand-in Delphi compiler, from configuration files and
// the command line: the lines a Delphi compiler configuration file holds.
#pragma once

#include <string>
#include <vector>

struct DccOptions {
  std::vector<std::string> unitPaths;      // -U
  std::vector<std::string> includePaths;   // -I
  std::vector<std::string> resourcePaths;  // -R
  std::vector<std::string> objectPaths;    // -O
  std::vector<std::string> defines;        // -D
  std::vector<std::string> namespaces;     // -NS
  std::string bplDir;                      // -LE
  std::string dcpDir;                      // -LN
  std::string dcuDir;                      // -N0
  std::string hppDir;                      // -N1, -NH
  std::string objDir;                      // -N2, -NO
  std::string bpiDir;                      // -NB
  bool cppOutput = false;                  // -JL: .hpp, .obj, .bpi and .lib for C++Builder
  bool quiet = false;                      // -Q
  bool buildAll = false;                   // -B
  std::vector<std::string> unknown;        // options the stand-in does not know
};

// Splits a line into options: blanks and tabs separate them outside double
// quotes, and the quotes are dropped (-U"a b;c" gives -Ua b;c).
std::vector<std::string> SplitOptions(const std::string& line);

// Applies one option; a path list option adds its entries.
void ApplyOption(DccOptions& options, const std::string& option);
