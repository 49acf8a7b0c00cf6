// The standard handles of a console program as raw bytes, and the command line
// it was started with. Used by the stand-in tools and the test helpers.
#pragma once

#include <string>
#include <string_view>

namespace platform {

bool WriteStdOut(std::string_view bytes);
bool WriteStdErr(std::string_view bytes);
// Reads standard input until its end.
std::string ReadStdInToEnd();
// The command line of this process as Windows gave it, program name included.
std::string OwnCommandLine();

}  // namespace platform
