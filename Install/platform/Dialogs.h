// The console used by the help screen.
#pragma once

#include <string>

namespace platform {

// Makes standard output and input usable: the inherited handles when the
// process has them (redirected or a console parent), otherwise a new console.
void AttachConsole();
void ConsoleWrite(const std::string& text);
// Reads one line from standard input; "" at end of input.
std::string ConsoleReadLine();

}  // namespace platform
