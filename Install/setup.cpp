// Program start: the platform backend, the command line, then the start-up
// sequence. The installation data and the wizard join the sequence later.
#include <cstdio>
#include <string>

#include "CmdLineUtils.h"
#include "Utils.h"
#include "platform/Dialogs.h"
#include "platform/Environment.h"
#include "platform/Platform.h"

int main(int argc, char** argv) {
  platform::SetProcessArguments(argc, argv);
  const std::string platformError = platform::InitializePlatform();
  if (!platformError.empty()) {
    std::fprintf(stderr, "setup: %s\n", platformError.c_str());
    return 2;
  }

  // Module initialisation: parse the command line; --help ends the process here.
  InitCmdLineUtils();

  // Relative names (version, markers, data.arc, 7z.exe) refer to the package
  // folder beside the executable.
  platform::SetCurrentDir(ExtractFileDir(platform::ExecutablePath()));

  FinalizeCmdLineUtils();
  return 0;
}
