// A plain message box, and the console used by the help screen.
#pragma once

#include <string>

namespace platform {

enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgIcon { None, Information, Warning, Error, Question };
enum class MsgResult { Ok, Cancel, Yes, No };

MsgResult ShowMessageBox(const std::string& text, const std::string& caption, MsgButtons buttons = MsgButtons::Ok,
                         MsgIcon icon = MsgIcon::None);

// Makes standard output and input usable: the inherited handles when the
// process has them (redirected or a console parent), otherwise a new console.
void AttachConsole();
void ConsoleWrite(const std::string& text);
// Reads one line from standard input; "" at end of input.
std::string ConsoleReadLine();

}  // namespace platform
