// The program's exit codes, in one place. A run with a person at the screen
// ends with kExitSuccess whatever happened, as the wizard shows the result;
// the unattended runs (--autoinstall, --autoupdate) tell the result by their
// code, for the deployment tools that start them.
#pragma once

enum TExitCode : int {
  kExitSuccess = 0,
  kExitHelp = 1,                 // the help screen was shown
  kExitCannotStart = 2,          // no simulated machine, no way to show the windows, or Setup runs already
  kExitScriptFailed = 3,         // a scripted run met a step it could not do
  kExitCompletedWithErrors = 4,  // unattended: the run went through, with errors in its log
  kExitNothingToDo = 5,          // unattended: nothing to install or update; nothing changed
  kExitRefused = 6,              // unattended: refused before any change (a chosen IDE is running)
  kExitStartupFailed = 7,        // unattended: the package cannot be used (a missing version file)
};
