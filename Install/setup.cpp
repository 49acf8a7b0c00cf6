// Program start: the platform backend, the command line, the lock that lets
// one setup program run at a time, the installation data, then the no-IDE
// dialog or the wizard and the message loop.
#include <cstdio>
#include <memory>
#include <string>

#include "CmdLineUtils.h"
#include "Compile/InstallData.h"
#include "ExitCodes.h"
#include "SysUtils.h"
#include "Utils.h"
#include "Wizard/uMain.h"
#include "Wizard/uNoIDEWarning.h"
#include "platform/ConsoleIO.h"
#include "platform/Environment.h"
#include "platform/InstanceLock.h"
#include "platform/Platform.h"
#include "platform/gui/Script.h"
#include "platform/gui/Widgets.h"

namespace {

// An unattended run: --autoinstall or --autoupdate.
bool UnattendedRun() { return CmdOptions->AutoInstall() || CmdOptions->AutoUpdate(); }

// The name of the lock that lets one setup program run at a time.
constexpr const char* kInstanceLockName = "Orlenta.Vexorin.Setup";

// True when this is the only setup program running; otherwise a message box
// says why this one ends.
bool OnlyRun(const platform::InstanceLock& lock) {
  switch (lock.GetStatus()) {
    case platform::InstanceLock::Status::Held:
      return true;
    case platform::InstanceLock::Status::HeldElsewhere:
      gui::MessageBox("Vexorin Setup is already running. Finish or close it before you start Setup again.",
                      gui::Application::Instance().Title(), gui::MsgButtons::Ok, gui::MsgIcon::Warning);
      return false;
    case platform::InstanceLock::Status::Failed:
      break;
  }
  gui::MessageBox("Setup cannot tell whether it is running already: " + lock.FailedCall() +
                      " failed with system error " + std::to_string(lock.ErrorCode()) + ".",
                  gui::Application::Instance().Title(), gui::MsgButtons::Ok, gui::MsgIcon::Error);
  return false;
}

// The start-up sequence after the command line: true when the wizard runs;
// otherwise the exit code says why not.
bool StartUp(int& exitCode) {
  gui::Application& application = gui::Application::Instance();

  // Relative names (version, markers, data.arc, 7z.exe) refer to the package
  // folder beside the executable.
  platform::SetCurrentDir(ExtractFileDir(platform::ExecutablePath()));

  try {
    InstallData = std::make_unique<TInstallData>();
  } catch (const Exception& e) {
    gui::MessageBox(e.Message(), application.Title());
    if (UnattendedRun()) exitCode = kExitStartupFailed;
    return false;
  }
  if (CmdOptions->AutoUpdate() && InstallData->InstallType() != itUpdate) {
    platform::WriteStdOut(InstallData->InstallType() == itNew
                              ? "Nothing to update: Vexorin is not installed on this computer.\n"
                              : "Nothing to update: the installed version is this package's version.\n");
    exitCode = kExitNothingToDo;
    return false;
  }
  if (InstallData->Targets().Count() == 0 && InstallData->InstallType() == itNew) {
    if (UnattendedRun()) {
      // Only --autoinstall gets here: the files are installed for a later build by hand.
      platform::WriteStdOut("No IDE was found: the installation goes on without one (--autoinstall).\n");
      return true;
    }
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
    return kExitCannotStart;
  }

  // Module initialisation: parse the command line; --help ends the process here.
  InitCmdLineUtils();

  gui::SetUnattended(UnattendedRun());
  const std::string guiError = gui::InitializeGui();
  if (!guiError.empty()) {
    std::fprintf(stderr, "setup: %s\n", guiError.c_str());
    FinalizeCmdLineUtils();
    return kExitCannotStart;
  }

  gui::Application::Instance().SetTitle("Vexorin Installer");
  // One setup program at a time: two runs would write the same IDE
  // configuration at once. Taken before the installation is read or anything
  // changes, and held until the program ends.
  const platform::InstanceLock instanceLock(kInstanceLockName);
  int exitCode = kExitSuccess;
  try {
    if (!OnlyRun(instanceLock)) {
      exitCode = kExitCannotStart;
    } else if (StartUp(exitCode)) {
      TfMain main;
      gui::Application::Instance().SetMainForm(&main);
      main.Show();
      if (UnattendedRun()) main.RunUnattended();
      gui::Application::Instance().Run();
      exitCode = main.ExitCode();
    }
  } catch (const gui::ScriptFailed&) {
    exitCode = kExitScriptFailed;
  }

  // Module finalisation.
  InstallData.reset();
  FinalizeCmdLineUtils();
  return exitCode;
}
