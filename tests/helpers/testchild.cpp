// A console program for the tests of captured execution: each argument is one
// step, done in order.
//   out:TEXT  err:TEXT   write TEXT to standard output / error (\r \n \\ \xHH)
//   sleep:MS             wait
//   exit:N               end with exit code N
//   stdin                read standard input to its end, then write "stdin:<bytes>"
//   env:NAME             write "NAME=value" of the Windows-side environment
//   cwd                  write the current folder
//   args                 write every argument as "[argument]"
//   touch:PATH           create the file PATH
//   flood:BYTES          write BYTES bytes of short numbered lines
//   lines:N              write the lines "line 0" to "line N-1", CR LF ended
//   forever              write "tick" every 20 ms until stopped
//   ignore-ctrl-c        ignore Ctrl-C from here on
//   ctrl-c-exit:N        from here on, a Ctrl-C makes "forever" end with exit code N
// Arguments that are no step are passed over; with the variable
// TESTCHILD_EXIT_CODE set, the program ends with that exit code after its
// steps (a stand-in for a tool whose command line it cannot choose).
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <string>
#include <thread>

#include "platform/ConsoleIO.h"
#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"

namespace {

volatile std::sig_atomic_t ctrlCSeen = 0;
extern "C" void OnCtrlC(int) { ctrlCSeen = 1; }
int ctrlCExitCode = -1;

std::string Unescape(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 >= text.size()) {
      out.push_back(text[i]);
      continue;
    }
    const char c = text[++i];
    if (c == 'r') {
      out.push_back('\r');
    } else if (c == 'n') {
      out.push_back('\n');
    } else if (c == 'x' && i + 2 < text.size()) {
      out.push_back(static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16)));
      i += 2;
    } else {
      out.push_back(c);
    }
  }
  return out;
}

void Flood(size_t bytes) {
  std::string chunk;
  size_t written = 0;
  for (size_t n = 0; written < bytes; ++n) {
    std::string line = "line " + std::to_string(n) + ": compiling unit of the package\r\n";
    if (line.size() > bytes - written) line.resize(bytes - written);
    chunk += line;
    written += line.size();
    if (chunk.size() >= 65536) {
      platform::WriteStdOut(chunk);
      chunk.clear();
    }
  }
  platform::WriteStdOut(chunk);
}

}  // namespace

int main(int argc, char** argv) {
  platform::SetProcessArguments(argc, argv);
  const std::string error = platform::InitializePlatform();
  if (!error.empty()) {
    platform::WriteStdErr("testchild: " + error + "\n");
    return 2;
  }
  const auto args = platform::CommandLineArguments();
  const auto exitCode = platform::GetEnv("TESTCHILD_EXIT_CODE");
  for (const auto& arg : args) {
    const size_t colon = arg.find(':');
    const std::string step = arg.substr(0, colon);
    const std::string value = colon == std::string::npos ? "" : arg.substr(colon + 1);
    if (step == "out") {
      platform::WriteStdOut(Unescape(value));
    } else if (step == "err") {
      platform::WriteStdErr(Unescape(value));
    } else if (step == "sleep") {
      std::this_thread::sleep_for(std::chrono::milliseconds(std::stoi(value)));
    } else if (step == "exit") {
      return std::stoi(value);
    } else if (step == "stdin") {
      platform::WriteStdOut("stdin:" + std::to_string(platform::ReadStdInToEnd().size()) + "\n");
    } else if (step == "env") {
      platform::WriteStdOut(value + "=" + platform::GetEnv(value).value_or("(unset)") + "\n");
    } else if (step == "cwd") {
      platform::WriteStdOut(platform::GetCurrentDir() + "\n");
    } else if (step == "args") {
      for (const auto& a : args) platform::WriteStdOut("[" + a + "]\n");
    } else if (step == "touch") {
      platform::WriteFileBytes(value, "ran");
    } else if (step == "flood") {
      Flood(std::stoull(value));
    } else if (step == "lines") {
      std::string chunk;
      const long count = std::stol(value);
      for (long n = 0; n < count; ++n) {
        chunk += "line " + std::to_string(n) + "\r\n";
        if (chunk.size() >= 65536 || n + 1 == count) {
          platform::WriteStdOut(chunk);
          chunk.clear();
        }
      }
    } else if (step == "forever") {
      for (;;) {
        if (ctrlCSeen != 0) return ctrlCExitCode;
        platform::WriteStdOut("tick\n");
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
      }
    } else if (step == "ignore-ctrl-c") {
      std::signal(SIGINT, SIG_IGN);
    } else if (step == "ctrl-c-exit") {
      ctrlCExitCode = std::stoi(value);
      std::signal(SIGINT, OnCtrlC);
    }
  }
  return exitCode ? std::stoi(*exitCode) : 0;
}
