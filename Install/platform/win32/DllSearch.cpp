// The entry point of setup.exe (linked only into it). The program runs with
// administrator rights and is often started from a Downloads folder that other
// programs can write to, so it must never load a DLL from its own folder. Before
// the C run-time starts, and with it every static constructor, the search for
// DLLs is limited to the system folder. What the system loads before this point
// are setup.exe's static imports: known DLLs only, mapped from the system's own
// copies (tests/scripts/check_setup_exe.sh holds the list). Every other DLL is
// loaded later, from the system folder (SystemLibrary.h).
#include "ExitCodes.h"
#include "platform/win32/Win32Util.h"

// The C run-time's entry of a GUI program: it starts the run-time and calls main.
extern "C" int WinMainCRTStartup();

extern "C" __attribute__((force_align_arg_pointer)) int VexorinSetupStart() {
  if (SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32) == FALSE) {
    // Without it a DLL beside the program could be loaded: the program does not run.
    const DWORD error = GetLastError();
    wchar_t text[160];
    wsprintfW(
        text,
        L"Setup cannot limit the folders it loads DLLs from: SetDefaultDllDirectories failed with system error %lu.",
        error);
    MessageBoxW(nullptr, text, L"Vexorin Installer", MB_OK | MB_ICONERROR);
    ExitProcess(kExitCannotStart);
  }
  return WinMainCRTStartup();
}
