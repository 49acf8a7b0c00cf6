// The installation engine of one run: builds the suite's packages with each
// IDE's own tools, registers them in the IDE, creates the Start-menu group and
// the Windows uninstall entry. Every step reports through the engine's logger.
// The methods are defined across one file per concern: Compiler.cpp (the
// object and its tool runner), CompilePackage.cpp, RegisterPackage.cpp and
// Shortcuts.cpp.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "DelphiData.h"
#include "uLogger.h"

class TTargetOptions;

// The suite's entry in the Windows list of installed programs, below HKEY_LOCAL_MACHINE.
inline constexpr const char* kUninstallRegistryKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VxVexorinVCL";

class TCompiler {
 public:
  TCompiler();
  TCompiler(const TCompiler&) = delete;
  TCompiler& operator=(const TCompiler&) = delete;

  TLogToList& Logger() const { return *FLogger; }
  bool Aborted() const { return FAborted; }

  // The package's file name for the IDE: the base name, "C" and the version
  // with ".bpk" for C++Builder before RAD Studio, "D" and the version with
  // ".dpk" for Delphi and RAD Studio ("vxVexorinD7.dpk").
  static std::string GetPackageName(const TCompileTarget& ATarget, const std::string& APackageName);

  // Builds one package for one IDE, checks that its .bpl is there, copies a
  // run-time package into the system folder (Win32) and, when asked, unpacks
  // the object files of its import library. Raises Exception on every
  // failure (EOSError for the system folder).
  void CompilePackage(TTargetOptions& TargetOptions, const std::string& PackageName, bool Standard, bool DesignTime);

  // Adds a design-time package to the IDE's known packages (Win32 only).
  void InstallPackage(TTargetOptions& TargetOptions, const std::string& PackageName, const std::string& ADescription);
  // The suite's source folder to the IDE's browsing paths, when chosen.
  void AddSourcePath(TTargetOptions& TargetOptions);
  // The package output folder to the IDE's search paths, and for RAD Studio
  // with C++Builder to its C++ browsing and library paths.
  void AddLibraryPaths(TTargetOptions& TargetOptions);
  // Adds a folder to a path list, or rewrites the entry that already names it
  // (as given, with a trailing backslash, or in its macro form).
  void AddPathToList(const TCompileTarget& ATarget, TStringList& AList, const std::string& APath,
                     const std::string& AListName);

  // The Start-menu group with its shortcuts; raises EOSError when a level of
  // the group folder cannot be created.
  void CreateShortcuts();
  // The uninstall entry; nothing happens without the right to write it.
  void WriteUninstallEntry();
  void DeleteUninstallEntry();
  // Moves the Start-menu group to the Recycle Bin if it is there.
  void DeleteStartMenu();

 private:
  // Runs a tool in ACurrentDir with every output line logged; returns its exit code.
  int RunTool(const std::string& ACommand, const std::string& AParameters, const std::string& ACurrentDir);
  void LogToolOutput(const std::string& Text, bool& Abort);
  // Logs the line and, while a listing is being collected, keeps it in fStrings.
  void CollectToolOutput(const std::string& Text, bool& Abort);
  // The configuration file's lines for the Delphi compiler.
  std::vector<std::string> CompilerConfig(TTargetOptions& TargetOptions) const;
  void CompileWithDcc(TTargetOptions& TargetOptions, const std::string& PackageFile);
  void CompileWithMake(TTargetOptions& TargetOptions, const std::string& PackageFile);
  void InstallIntoSystemDir(const std::string& BplFile);
  // Unpacks the object files of an import library in the output folder;
  // a library that cannot be listed is left as it is.
  void ExtractObjFiles(TTargetOptions& TargetOptions, const std::string& LibFile);
  int FindPathInList(const TStringList& AList, const std::string& AListName, const std::string& ACandidate);

  bool FAborted = false;
  std::unique_ptr<TLogToList> FLogger;
  std::vector<std::string>* fStrings = nullptr;
};
