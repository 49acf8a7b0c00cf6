#include "platform/win32/SystemLibrary.h"

namespace platform::win32 {

HMODULE SystemLibrary(const wchar_t* name) {
  // A DLL loaded before is found in the process's list without a search.
  return LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
}

}  // namespace platform::win32
