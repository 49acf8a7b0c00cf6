// Program start: the platform backend, the command line, the installation
// data, then the no-IDE dialog or the wizard and the message loop.
#include <cstdio>
#include <memory>
#include <string>

#include "CmdLineUtils.h"
#include "Compile/InstallData.h"
#include "SysUtils.h"
#include "Utils.h"
#include "Wizard/uMain.h"
#include "Wizard/uNoIDEWarning.h"
#include "platform/Environment.h"
#include "platform/Platform.h"
#include "platform/gui/Script.h"
#include "platform/gui/Widgets.h"

namespace {

// Exit codes besides the normal end (0) and the help screen (1).
constexpr int kExitNoMachine = 2;     // the platform or the windows cannot start
constexpr int kExitScriptFailed = 3;  // a scripted run met a step it could not do

// The start-up sequence after the command line: true when the wizard runs.
bool StartUp() {
  gui::Application& application = gui::Application::Instance();
  application.SetTitle("Vexorin Installer");

  // Relative names (version, markers, data.arc, 7z.exe) refer to the package
  // folder beside the executable.
  platform::SetCurrentDir(ExtractFileDir(platform::ExecutablePath()));

  try {
    InstallData = std::make_unique<TInstallData>();
  } catch (const Exception& e) {
    gui::MessageBox(e.Message(), application.Title());
    return false;
  }
  if (InstallData->Targets().Count() == 0 && InstallData->InstallType() == itNew) {
    // "Continue with the installation" is the dialog's Cancel button, so Esc
    // and the close box go on too.
    TfNoIDEWarning warning;
    if (warning.ShowModal() != gui::ModalResult::Cancel) return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  platform::SetProcessArguments(argc, argv);
  const std::string platformError = platform::InitializePlatform();
  if (!platformError.empty()) {
    std::fprintf(stderr, "setup: %s\n", platformError.c_str());
    return kExitNoMachine;
  }

  // Module initialisation: parse the command line; --help ends the process here.
  InitCmdLineUtils();

  const std::string guiError = gui::InitializeGui();
  if (!guiError.empty()) {
    std::fprintf(stderr, "setup: %s\n", guiError.c_str());
    FinalizeCmdLineUtils();
    return kExitNoMachine;
  }

  int exitCode = 0;
  try {
    if (StartUp()) {
      TfMain main;
      gui::Application::Instance().SetMainForm(&main);
      main.Show();
      gui::Application::Instance().Run();
    }
  } catch (const gui::ScriptFailed&) {
    exitCode = kExitScriptFailed;
  }

  // Module finalisation.
  InstallData.reset();
  FinalizeCmdLineUtils();
  return exitCode;
}
