#include "common/StandIn.h"

#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/ConsoleIO.h"
#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "platform/Text.h"
#include "platform/ToolLog.h"

namespace standin {

ToolRun::ToolRun(std::string tool, int argc, char** argv) : tool_(std::move(tool)) {
  platform::SetProcessArguments(argc, argv);
  const std::string error = platform::InitializePlatform();
  if (!error.empty()) {
    platform::WriteStdErr(tool_ + ": " + error + "\r\n");
    std::exit(2);
  }
  args_ = platform::CommandLineArguments();
  // A slow tool for tests of a window that must stay responsive while it waits.
  if (const auto delay = platform::GetEnv(kDelayVariable)) {
    const int ms = std::atoi(delay->c_str());
    if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
  }
}

void ToolRun::Out(const std::string& line) const { platform::WriteStdOut(line + "\r\n"); }

void ToolRun::NoteConfig(const std::string& path, const std::vector<std::string>& lines) {
  config_ += "config-file: " + path + "\n";
  for (const auto& line : lines) config_ += "config: " + line + "\n";
}

int ToolRun::Finish(int exitCode) {
  platform::AppendToolRecord("tool: " + tool_ + "\n" + "command-line: " + platform::OwnCommandLine() + "\n" +
                             "working-folder: " + platform::GetCurrentDir() + "\n" + config_ +
                             "exit-code: " + std::to_string(exitCode) + "\n\n");
  return exitCode;
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    if (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n') ++end;
    start = end + 1;
  }
  return lines;
}

std::vector<std::string> SplitPathList(const std::string& list) {
  std::vector<std::string> entries;
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find(';', start);
    if (end == std::string::npos) end = list.size();
    if (end > start) entries.push_back(list.substr(start, end - start));
    start = end + 1;
  }
  return entries;
}

std::string InFolder(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  return folder.back() == '\\' ? folder + name : folder + "\\" + name;
}

std::optional<std::string> FindInFolders(const std::string& name, const std::vector<std::string>& folders) {
  for (const auto& folder : folders) {
    const std::string candidate = InFolder(folder, name);
    if (platform::FileExists(candidate)) return candidate;
  }
  return std::nullopt;
}

std::string BaseName(const std::string& path) {
  const size_t slash = path.find_last_of("\\/:");
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? "" : path.substr(0, slash);
}

bool SameName(const std::string& a, const std::string& b) { return platform::SameTextAscii(a, b); }

}  // namespace standin
