// The process environment: variables, the current directory, the program's
// own path and arguments.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace platform {

// Names are matched without regard to case, as on Windows.
std::optional<std::string> GetEnv(const std::string& name);
bool SetEnv(const std::string& name, const std::string& value);
bool UnsetEnv(const std::string& name);
std::vector<std::pair<std::string, std::string>> EnvironmentBlock();

std::string GetCurrentDir();
bool SetCurrentDir(const std::string& path);

// The full Windows path of the running executable.
std::string ExecutablePath();
// The program's arguments, without the program's own path.
std::vector<std::string> CommandLineArguments();
// Remembers argc/argv for CommandLineArguments (simwin); the win32 backend
// reads the process's own command line instead.
void SetProcessArguments(int argc, char** argv);

}  // namespace platform
