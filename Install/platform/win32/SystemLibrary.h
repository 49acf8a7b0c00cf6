// DLLs of the system that are not known DLLs (version.dll, comctl32.dll,
// riched20.dll): loaded when first needed, by name, from the system folder
// only. setup.exe runs elevated, often from a Downloads folder others can
// write to; it imports only known DLLs, which the system maps from its own
// copies, so a DLL of the same name planted beside it is never loaded.
#pragma once

#include "platform/win32/Win32Util.h"

namespace platform::win32 {

// The DLL from the system folder (the common controls through the program's
// manifest, as the system redirects them); nullptr with GetLastError() set.
HMODULE SystemLibrary(const wchar_t* name);

// A function of such a DLL, of the type given; nullptr with GetLastError() set.
template <class Function>
Function SystemFunction(const wchar_t* library, const char* name) {
  HMODULE module = SystemLibrary(library);
  if (module == nullptr) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace platform::win32
