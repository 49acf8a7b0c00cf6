// The installation engine of one run: builds the suite's packages with each
// IDE's own tools, registers them in the IDE, creates the Start-menu group and
// the Windows uninstall entry, unpacks the suite and takes it out again. Every
// step reports through the engine's logger. The methods are defined across one
// file per concern: Compiler.cpp (the object and its tool runner),
// CompilePackage.cpp, RegisterPackage.cpp, Shortcuts.cpp, Archive.cpp,
// Uninstall.cpp, CompilationMode.cpp and EngineRun.cpp.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "DelphiData.h"
#include "uLogger.h"

class TTargetOptions;

// The suite's entry in the Windows list of installed programs, below HKEY_LOCAL_MACHINE.
inline constexpr const char* kUninstallRegistryKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VxVexorinVCL";

// How far the engine's current phase is: the IDE being worked on (from 1) of
// the IDEs the phase works on, the packages of that IDE built so far of those
// it is to build, and whether that IDE is done (whatever happened to it). The
// extraction counts as one IDE without packages.
enum class TEnginePhase { Uninstall, Extract, Compile };
struct TEngineProgress {
  TEnginePhase Phase = TEnginePhase::Compile;
  int Target = 0;
  int TargetCount = 0;
  int Package = 0;
  int PackageCount = 0;
  bool TargetDone = false;
};

// Pairs of a text to find and its replacement, applied in order.
using TReplacements = std::vector<std::pair<std::string, std::string>>;

class TCompiler {
 public:
  TCompiler();
  TCompiler(const TCompiler&) = delete;
  TCompiler& operator=(const TCompiler&) = delete;

  TLogToList& Logger() const { return *FLogger; }
  // Called on every poll while a tool runs, so the window stays responsive
  // during a tool that prints little.
  void SetOnIdle(std::function<void()> value) { FOnIdle = std::move(value); }
  // Called whenever the run moves on: an IDE begins or ends, a package is built.
  void SetOnProgress(std::function<void(const TEngineProgress&)> value) { FOnProgress = std::move(value); }
  bool Aborted() const { return FAborted; }

  // The package's file name for the IDE: the base name, "C" and the version
  // with ".bpk" for C++Builder before RAD Studio, "D" and the version with
  // ".dpk" for Delphi and RAD Studio ("vxVexorinD7.dpk").
  static std::string GetPackageName(const TCompileTarget& ATarget, const std::string& APackageName);
  // The module names of a library listing ("tlib LIBRARY /L"), one per line
  // that begins with a letter after the three header lines: the text before
  // its TAB, "" for a line without one.
  static std::vector<std::string> LibraryModules(const std::vector<std::string>& AListing);

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
  // Takes this program's links out of the Start-menu group selected now and
  // out of the group the recorded installation used, then each level of
  // those groups that is left empty. Other programs' links in a shared group,
  // and the levels holding them, stay.
  void DeleteStartMenu();

  // The run frame of a new installation or an update: the log header, the
  // archive, the shortcuts, the uninstall entry and the maintenance copy;
  // records the product as installed. Raises Exception when extraction fails.
  void Extract(bool AForceExtract);
  // Prepares the sources for the compilation mode, then installs into or
  // takes out of every IDE by its action, from the last to the first. An
  // error in one IDE is logged and the next IDE follows.
  void Compile();
  // Installs the suite into one IDE: the earlier installation out, the
  // packages built and registered, the state recorded, the providers.
  // Raises Exception for an IDE whose version has no folder names.
  void CompileTarget(TTargetOptions& TargetOptions);

  // Unpacks data.arc with 7z.exe from the program's folder into the demo
  // folder: everything but the demos (without the folders of IDE versions
  // not on the machine unless AForceExtract), then the demos. Raises
  // Exception when the archive is missing or the archiver fails.
  void ExtractArchive(bool AForceExtract);
  // The maintenance copy: the setup program, the archiver and the package's
  // descriptor files into the installation folder's Uninstall folder.
  void CopyToUninstallFolder();

  // Takes the suite out of every IDE it is recorded as installed in.
  void Uninstall();
  // Takes the suite out of one IDE: providers, packages, headers, paths, state.
  void UninstallTarget(TTargetOptions& TargetOptions);
  // Takes one package (a base name such as "vxVexorinDsgn") out of the IDE's
  // package lists, the PATH and package search folders, and its output folders.
  void UninstallPackage(TTargetOptions& TargetOptions, const std::string& PackageName);
  // Removes the headers that an installation copied into the IDE's header folder.
  void DeleteIDEHeaders(TTargetOptions& TargetOptions);
  // Removes the suite's files, demos, Start-menu group, uninstall entry and
  // product key. A drive root or a system or user folder is never moved to the
  // Recycle Bin whole, whatever the installation folder is. A current folder
  // inside the installation folder is left for the temporary folder first.
  void Remove();

 private:
  // Logs an error line naming the file or folder that the failed operation
  // (for example "write file") was made on, then raises the system error of
  // the failure: the system's message names no file.
  [[noreturn]] void RaiseFileError(const std::string& AOperation, const std::string& APath);
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
  // The four forms a folder may have in a path list, in the order they are
  // looked for: as given, with a trailing backslash, with the IDE's macros
  // put in, and that with a trailing backslash.
  static std::vector<std::string> PathForms(const TCompileTarget& ATarget, const std::string& APath);

  // Form and resource files: out of the output folder, and from the sources into it.
  void DeleteFormFiles(TTargetOptions& TargetOptions);
  void CopyFormFiles(TTargetOptions& TargetOptions);
  // The built headers into the IDE's header folder.
  void CopyHeadersToIDE(TTargetOptions& TargetOptions);
  // Every file of a forms folder and its sub-folders copied into the sources.
  void CopySourceForms(const std::string& AFormsDir);

  // The sources for the compilation mode; for DevExpress the include file
  // and package files are adjusted first.
  void PrepareCompilationMode();
  int DetectTreeListVersion();
  void ConfigureTreeList(int AVersion);
  bool DetectSkins();
  void ConfigureSkins(bool ASkins);
  // The package's .dpk (or .bpk) file and the same name with ".bpk".
  void ProcessPackageFiles(TTargetOptions& TargetOptions, const std::string& APackageName,
                           const TReplacements& AReplacements);
  // Every pair replaced throughout the text file, ignoring case; written back
  // in its encoding with CR LF line ends. A missing file is left alone.
  void ReplaceInFile(const std::string& AFileName, const TReplacements& AReplacements);
  // One extraction phase: the target folder, the archiver run in it, its exit code.
  void RunArchiver(const std::string& ACommand, const std::string& AParameters, const std::string& ATarget,
                   const std::string& ASetupDir);

  void RemoveLibraryPath(TTargetOptions& TargetOptions);
  void RemoveSourcePath(TTargetOptions& TargetOptions);
  // Removes every entry equal to the folder, with or without a trailing
  // backslash, as given or in its macro form.
  void RemovePathFromList(const TCompileTarget& ATarget, TStringList& AList, const std::string& AListName,
                          const std::string& APath);
  void DeletePathFromList(TStringList& AList, const std::string& AListName, const std::string& ACandidate);
  // Moves the package file found in the folder to the Recycle Bin.
  void RemovePackageFromFolder(const std::string& AFolder, const std::string& AFile);
  void DeleteInstallSubfolder(const std::string& AName);
  void DeleteInstallFile(const std::string& AName);
  // This program's links out of one group (a path below the Start-menu
  // Programs folder), then its empty levels from the innermost up.
  void RemoveShortcuts(const std::string& AGroup);
  // The warning for an IDE whose configuration cannot be read.
  void LogLoadError(const TTargetOptions& TargetOptions);
  // The IDE's paths saved; an IDE never started yet gets them in the
  // registry only, which the log says.
  void SaveIDEPaths(TCompileTarget& ATarget);
  // Windows neither moves nor deletes a folder that a process has as its
  // current folder: a run of the maintenance copy (in the installation
  // folder's Uninstall folder) moves to the temporary folder first.
  void LeaveInstallDir();
  // False, with an error line saying why, for a folder that must never be
  // moved to the Recycle Bin whole.
  bool MayRecycleFolder(const std::string& APath);

  // The packages CompileTarget builds for the IDE as it is set up now.
  static int PlannedPackageCount(TTargetOptions& TargetOptions);
  void ReportProgress();
  // Begins the next IDE of the phase, with the packages it is to build.
  void BeginProgressTarget(int APackageCount);
  // The current IDE is done.
  void EndProgressTarget();

  bool FAborted = false;
  std::function<void()> FOnIdle;
  std::function<void(const TEngineProgress&)> FOnProgress;
  TEngineProgress FProgress;
  std::unique_ptr<TLogToList> FLogger;
  std::vector<std::string>* fStrings = nullptr;
};
