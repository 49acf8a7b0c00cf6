// Start-up of the platform backend. The simwin backend needs its machine
// (SIMWIN_ROOT); the win32 backend needs nothing.
#pragma once

#include <string>

namespace platform {

// Prepares the backend. Returns "" when ready, otherwise a message saying what
// is wrong; the program then reports it and exits with code 2.
std::string InitializePlatform();

}  // namespace platform
