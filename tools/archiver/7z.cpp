// The archiver on the simulated machine: a front end that runs the host's
// 7-Zip (7zz) with the same arguments, Windows paths turned into host paths:
// the archive, absolute file names, -o and -w folders and @list files map
// into the machine; relative names and the -x!/-i! patterns get '/' for '\'.
// It runs in the host folder of the working folder and returns 7zz's exit
// code (2, a fatal error, when 7zz cannot be run).
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "common/StandIn.h"
#include "platform/Environment.h"
#include "platform/simwin/Machine.h"

extern char** environ;

namespace {

std::string Slashes(std::string s) {
  for (char& c : s) {
    if (c == '\\') c = '/';
  }
  return s;
}

bool IsAbsoluteWindowsPath(const std::string& s) {
  return (s.size() >= 2 && s[1] == ':') || (!s.empty() && s[0] == '\\');
}

std::string HostPath(const std::string& windowsPath) {
  uint32_t error = 0;
  const auto host = simwin::Machine::Current().HostPath(windowsPath, error);
  return host ? *host : Slashes(windowsPath);
}

std::string Translate(const std::string& arg, bool isArchive) {
  if (arg.size() > 1 && arg[0] == '-') {
    for (const char* prefix : {"-xr!", "-ir!", "-x!", "-i!", "-xr@", "-ir@", "-x@", "-i@"}) {
      const std::string p = prefix;
      if (arg.compare(0, p.size(), p) == 0) {
        const std::string rest = arg.substr(p.size());
        return p + (p.back() == '@' ? HostPath(rest) : Slashes(rest));
      }
    }
    if (arg.size() > 2 && (arg[1] == 'o' || arg[1] == 'w')) return arg.substr(0, 2) + HostPath(arg.substr(2));
    return arg;
  }
  if (!arg.empty() && arg[0] == '@') {
    std::string list = "@";
    list += HostPath(arg.substr(1));
    return list;
  }
  if (isArchive || IsAbsoluteWindowsPath(arg)) return HostPath(arg);
  return Slashes(arg);
}

}  // namespace

int main(int argc, char** argv) {
  standin::ToolRun run("7z", argc, argv);
  std::vector<std::string> args{"7zz"};
  int plain = 0;  // arguments that are not switches: the command, then the archive
  for (const auto& arg : run.Args()) {
    const bool isSwitch = arg.size() > 1 && arg[0] == '-';
    if (!isSwitch) ++plain;
    args.push_back(Translate(arg, !isSwitch && plain == 2));
  }
  uint32_t error = 0;
  const auto cwd = simwin::Machine::Current().HostPath(platform::GetCurrentDir(), error);
  if (!cwd || ::chdir(cwd->c_str()) != 0) {
    run.Out("7z: the working folder " + platform::GetCurrentDir() + " cannot be entered");
    return run.Finish(2);
  }
  std::vector<char*> argp;
  for (auto& a : args) argp.push_back(a.data());
  argp.push_back(nullptr);
  pid_t pid = 0;
  if (::posix_spawnp(&pid, "7zz", nullptr, nullptr, argp.data(), environ) != 0) {
    run.Out("7z: the host's 7-Zip (7zz) cannot be run");
    return run.Finish(2);
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return run.Finish(WIFEXITED(status) ? WEXITSTATUS(status) : 2);
}
