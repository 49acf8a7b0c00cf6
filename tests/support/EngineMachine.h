// A package folder with IDEs whose command-line tools are the stand-ins, the
// process-wide installation data over it with demo and installation folders
// of the test's own, the suite's sources and package files, and the engine.
// Works on either backend; what it adds goes again at the end.
#pragma once

#include <string>
#include <vector>

#include "Compile/Compiler.h"
#include "PackageMachine.h"

class TInstallData;
class TTargetOptions;

class EngineMachine {
 public:
  explicit EngineMachine(const std::string& version = "5.12.3.811 Professional With Sources");
  ~EngineMachine();
  EngineMachine(const EngineMachine&) = delete;
  EngineMachine& operator=(const EngineMachine&) = delete;

  // Installs an IDE whose tools are the stand-ins (unless options say otherwise).
  const ideprofiles::InstalledIde& Install(const std::string& profile, ideprofiles::IdeOptions options = {});
  PackageMachine& Package() { return package_; }
  // Creates the process-wide InstallData for the IDEs installed so far.
  TInstallData& Load();
  // The options of the IDE whose display name begins with `name`.
  TTargetOptions& Options(const std::string& name);

  // The package's source for the IDE in its packages folder: a .dpk requiring
  // rtl and vcl, or a .bpk with the make template, containing `units` from
  // the suite's Sources folder.
  void WritePackage(TTargetOptions& options, const std::string& baseName,
                    const std::vector<std::string>& units = {"vxCore", "vxQuery"});
  // Every line of the engine's log, in order.
  std::vector<std::string> Log() const;
  // The log lines from the index `first` on.
  std::vector<std::string> LogSince(size_t first) const;
  // The lines after the first that equals `from`, up to the line `to`.
  static std::vector<std::string> Between(const std::vector<std::string>& lines, const std::string& from,
                                          const std::string& to);

  std::string demoDir;
  std::string installDir;
  std::string toolsDir;
  TCompiler compiler;

 private:
  PackageMachine package_;
};
