// What the stand-ins for the IDE's command-line tools share: start-up on
// either platform, compiler-like output, their record in tools.log, files.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace standin {

// The milliseconds every stand-in tool waits before it starts its work, when set.
inline constexpr const char* kDelayVariable = "VEXORIN_STANDIN_DELAY_MS";

// One run of a stand-in tool.
class ToolRun {
 public:
  // Starts the platform layer and takes the arguments; a machine that cannot
  // be used ends the process with exit code 2.
  ToolRun(std::string tool, int argc, char** argv);

  const std::vector<std::string>& Args() const { return args_; }
  // Writes one line of output, ended with CR LF.
  void Out(const std::string& line) const;
  // Notes a configuration file read, with its lines, for the record.
  void NoteConfig(const std::string& path, const std::vector<std::string>& lines);
  // Appends the run's record to tools.log and returns the exit code.
  int Finish(int exitCode);

 private:
  std::string tool_;
  std::vector<std::string> args_;
  std::string config_;
};

// Text lines without their breaks (CR LF, LF or CR).
std::vector<std::string> SplitLines(const std::string& text);
// The entries of a ';'-separated folder list, empty ones left out.
std::vector<std::string> SplitPathList(const std::string& list);
// folder + "\" + name ("name" alone for an empty folder).
std::string InFolder(const std::string& folder, const std::string& name);
// The first folder holding `name`, as a path to the file.
std::optional<std::string> FindInFolders(const std::string& name, const std::vector<std::string>& folders);
// The file name without folder and extension.
std::string BaseName(const std::string& path);
std::string FolderOf(const std::string& path);  // "" for a bare name
bool SameName(const std::string& a, const std::string& b);

}  // namespace standin
