// The simulated Windows machine: a folder named by SIMWIN_ROOT holding
// machine.ini (settings), registry.reg (both hives) and one folder per drive.
// The simwin backend keeps the machine of the running process here.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "platform/Text.h"
#include "platform/simwin/RegistryHive.h"

namespace simwin {

// A machine that cannot be used: no SIMWIN_ROOT, no machine.ini, a file that
// cannot be read.
class MachineError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class FaultKind {
  RegistryOpen,   // a key (and its sub-keys) cannot be opened at all
  RegistryWrite,  // a key (and its sub-keys) cannot be opened for writing, created or deleted
  FileCreate,     // nothing can be created or written at or below a path
  FileDelete,     // nothing at or below a path can be deleted, moved or renamed
  FileCopy,       // files at or below a path cannot be copied, from or to
  // Child processes of programs at or below a path: their pipes (while the
  // current folder is at or below it) cannot be made, or they cannot be
  // resumed, waited for or terminated.
  ProcessPipe,
  ProcessResume,
  ProcessWait,
  ProcessTerminate,
};

struct Fault {
  FaultKind kind;
  std::string path;  // a Windows path, or a full registry key path "HKEY_...\..."
};

struct MachineSettings {
  std::string userName = "Developer";
  std::string computerName = "SIMWIN";
  uint32_t versionMajor = 10;
  uint32_t versionMinor = 0;
  uint32_t versionBuild = 19045;
  std::string servicePack;
  uint32_t ansiCodePage = 1252;
  uint32_t oemCodePage = 850;
  std::string timeSeparator = ":";
  std::string executable;  // Windows path reported for a program running from outside the machine
  // Known folders, by their machine.ini names (program-files, documents, ...).
  std::map<std::string, std::string> folders;
  // The Windows-side environment, in its order.
  std::vector<std::pair<std::string, std::string>> environment;
  // Running processes: the executable's path first, then its modules.
  std::vector<std::vector<std::string>> processes;
  // Texts for system error codes, added to the built-in ones.
  std::map<uint32_t, std::string> errors;
  std::vector<Fault> faults;
  // Names at or below these paths have no short (8.3) form, as on a volume
  // whose 8.3 name creation was off when they were made ([short-names] none=).
  std::vector<std::string> noShortNames;

  // Defaults for a user: the folders a 32-bit program sees on 64-bit Windows 10.
  static MachineSettings Defaults(const std::string& userName);
  // Reads machine.ini text; throws MachineError naming the line that is wrong.
  static MachineSettings Parse(const std::string& text);
  std::string Serialize() const;
};

class Machine {
 public:
  // Loads the machine in `root`; throws MachineError.
  explicit Machine(std::string root);

  // The machine of this process (SIMWIN_ROOT), loaded on first use. Throws
  // MachineError when it cannot be loaded.
  static Machine& Current();
  // Loads the current machine; returns "" or the error message.
  static std::string LoadCurrent();
  // Drops the current machine so the next use loads SIMWIN_ROOT again (tests).
  static void Reset();

  // Creates a new machine folder with default settings, an empty registry and
  // drive C: with the known folders. Throws MachineError.
  static void Create(const std::string& root, const std::string& userName);

  const std::string& Root() const { return root_; }
  const MachineSettings& Settings() const { return settings_; }
  // Changes the settings and writes machine.ini.
  void UpdateSettings(const MachineSettings& settings);
  void AddFault(FaultKind kind, const std::string& path);
  void ClearFaults();
  bool IsFaulted(FaultKind kind, const std::string& path) const;
  // A fault of the kind at the path or anywhere below it: a folder whose
  // content cannot be deleted cannot be moved or deleted whole either.
  bool IsFaultedWithin(FaultKind kind, const std::string& path) const;
  // Whether the name at this full Windows path has a short (8.3) form.
  bool HasShortName(const std::string& path) const;

  // Windows paths. FullPath makes a path absolute against the current folder.
  std::optional<std::string> FullPath(const std::string& path, uint32_t& error) const;
  // The host path of a Windows path, each existing name matched without regard
  // to case; names that do not exist yet keep the case given.
  std::optional<std::string> HostPath(const std::string& path, uint32_t& error) const;
  // The same for a path FullPath made.
  std::optional<std::string> HostPathOfFull(const std::string& fullPath, uint32_t& error) const;
  // The Windows path of a host path inside the machine's drives.
  std::optional<std::string> WindowsPathOf(const std::string& hostPath) const;

  // The registry, reloaded when registry.reg changed on disk.
  RegistryHive& Hive();
  // Changes whenever pointers into the hive may have become invalid: the hive
  // was reloaded, or keys were deleted. Open keys keep their node while it
  // stays the same, and look it up again otherwise.
  uint64_t HiveGeneration() const { return hiveGeneration_; }
  void NoteKeysDeleted();
  // Writes the registry atomically (temporary file, rename).
  bool SaveHive();

  // Process state of the running program inside the machine.
  std::vector<std::pair<std::string, std::string>>& Environment() { return environment_; }
  const std::string& CurrentDir() const { return currentDir_; }
  void SetCurrentDir(const std::string& dir) { currentDir_ = dir; }

  // Appends a line to shell.log: what the shell was asked to open or show.
  void AppendShellLog(const std::string& line);

  std::string ErrorText(uint32_t code) const;

 private:
  void LoadHiveIfChanged();

  std::string root_;
  MachineSettings settings_;
  std::unique_ptr<RegistryHive> hive_;
  uint64_t hiveGeneration_ = 0;
  struct FileStamp {
    int64_t mtimeNs = -1;
    int64_t size = -1;
    ino_t inode = 0;
    bool operator==(const FileStamp&) const = default;
  } hiveStamp_;
  std::vector<std::pair<std::string, std::string>> environment_;
  std::string currentDir_ = "C:\\";
};

// The 8.3 name of `name` in the host folder `hostDir`: the name itself when it
// is a valid short name, otherwise up to six characters, "~N" and up to three
// of the extension, N counting the siblings that share that form.
std::string ShortNameIn(const std::string& hostDir, const std::string& name);

// Atomic whole-file replacement on the host: temporary file, then rename.
bool WriteHostFileAtomic(const std::string& hostPath, const std::string& bytes);

// The Windows-side environment a program passes to the programs it starts, in
// SIMWIN_ENVIRONMENT: one "name=value" a line, with '%', LF and CR written as
// %25, %0A and %0D. A machine loaded with SIMWIN_ENVIRONMENT set takes its
// environment from there instead of machine.ini.
std::string SerializeEnvironment(const std::vector<std::pair<std::string, std::string>>& environment);
std::vector<std::pair<std::string, std::string>> ParseEnvironment(const std::string& text);

}  // namespace simwin
