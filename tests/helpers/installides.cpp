// Installs simulated IDEs from their profiles into the machine it runs on
// (under Wine: the Wine prefix), with the stand-in command-line tools of a
// folder, for whole runs of the Windows setup program.
//
//   installides TOOLS_FOLDER PROFILE...
#include <cstdio>
#include <stdexcept>
#include <string>

#include "common/IdeProfiles.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: installides TOOLS_FOLDER PROFILE...\n");
    return 2;
  }
  ideprofiles::IdeOptions options;
  options.toolsDir = argv[1];
  for (int i = 2; i < argc; ++i) {
    try {
      const auto ide = ideprofiles::InstallIde(argv[i], options);
      std::printf("%s %s\n", argv[i], ide.rootDir.c_str());
    } catch (const std::exception& e) {
      std::fprintf(stderr, "installides: %s: %s\n", argv[i], e.what());
      return 1;
    }
  }
  return 0;
}
