// Message boxes and the console on the simulated machine. A message box is
// recorded in shell.log and on standard error and answered with its first button.
#include "platform/Dialogs.h"

#include <cstdio>
#include <iostream>

#include "platform/simwin/Machine.h"

namespace platform {

namespace {

std::string OneLine(const std::string& text) {
  std::string out;
  for (const char c : text) {
    if (c == '\r') continue;
    if (c == '\n') {
      out += "\\n";
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

MsgResult ShowMessageBox(const std::string& text, const std::string& caption, MsgButtons buttons, MsgIcon /*icon*/) {
  simwin::Machine::Current().AppendShellLog("messagebox\t" + OneLine(caption) + "\t" + OneLine(text));
  std::fprintf(stderr, "[%s] %s\n", caption.c_str(), text.c_str());
  switch (buttons) {
    case MsgButtons::Ok:
    case MsgButtons::OkCancel:
      return MsgResult::Ok;
    case MsgButtons::YesNo:
    case MsgButtons::YesNoCancel:
      return MsgResult::Yes;
  }
  return MsgResult::Ok;
}

void AttachConsole() {}

void ConsoleWrite(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

std::string ConsoleReadLine() {
  std::string line;
  if (!std::getline(std::cin, line)) return {};
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

}  // namespace platform
