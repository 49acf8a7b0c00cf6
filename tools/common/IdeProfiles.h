// Simulated IDE installations: Delphi 6 and 7, C++Builder 5 and 6 and every
// RAD Studio ("BDS" 3.0 to 23.0 without 13.0, and 37.0), laid out as the real
// IDE lays itself out as far as the setup program reads it: the machine and user
// registry keys, EnvOptions.proj, bin\rsvars.bat, the IDE executable, the core
// package with its version resource, the IDE's own packages and the
// command-line tools. Everything goes through the platform layer, so an IDE
// can be installed on a simulated machine and, under Wine, on the real one.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/Registry.h"

namespace ideprofiles {

struct IdeOptions {
  // Edition text, e.g. "Enterprise", "Professional", "Architect", "Turbo
  // Explorer", "Personal"; "" = "Enterprise". A Personal edition has no
  // database packages (no bin\dcldbNN.bpl).
  std::string edition;
  // RAD Studio only: the personalities to install ("Delphi.Win32", "BCB", and
  // for old versions "Delphi.NET", "C#Builder"); empty = all the version ships.
  std::vector<std::string> personalities;
  // false: no bin\dcc32.exe and no other command-line tool.
  bool commandLineCompiler = true;
  // Globals\ForceEnvOptionsUpdate = "1" (RAD Studio 2007 and later).
  bool forceEnvOptionsUpdate = false;
  // The product key name of the user key (the IDE's -r option); "" = the
  // standard "Delphi", "C++Builder" or "BDS".
  std::string userKeyName;
  // The installation folder, e.g. "D:\IDE\Studio"; "" = the real default
  // below Program Files.
  std::string rootDir;
  // A folder holding stand-in tools (dcc32, dcc64, bpr2mak, make, tlib, with
  // or without ".exe") to copy into bin. A tool the IDE has but this folder
  // lacks (or all of them, for "") becomes a placeholder executable that only
  // carries a version resource.
  std::string toolsDir;
  // RAD Studio: UpdatePackInstalled; Delphi and C++Builder: "Update #1" to
  // "Update #n" (n at most 10).
  int updatePack = 0;
  // Delphi and C++Builder: "Pascal RTL Patch", "Pascal RTL Patch #2" to "#n".
  int rtlPatch = 0;
  // File version "a.b.c.d" of the core package (and ProductVersion); "" = the
  // version's last update.
  std::string coreVersion;
};

struct InstalledIde {
  std::string profile;             // "bds23"
  std::string rootDir;             // with the trailing backslash, as in RootDir
  std::string executable;          // the App value
  std::string hklmKey;             // below HKEY_LOCAL_MACHINE, e.g. Software\Embarcadero\BDS\23.0
  std::string userKey;             // below HKEY_CURRENT_USER
  std::string envOptionsPath;      // "" before RAD Studio 2007
  std::string commonDir;           // BDSCOMMONDIR; "" before RAD Studio 2007
  std::string corePackage;         // bin\coreideNNN.bpl; "" for Delphi and C++Builder
  std::vector<std::string> tools;  // the command-line tools in bin

  // What the installation created, in order; UninstallIde removes exactly this.
  std::vector<std::pair<platform::RegRoot, std::string>> createdKeys;
  std::vector<std::string> createdDirs;
  std::vector<std::string> createdFiles;
  // The vendor's keys and folders that IDEs share (Software\Embarcadero\BDS,
  // ...\Embarcadero\Studio), deepest first; UninstallIde removes them when empty.
  std::vector<std::pair<platform::RegRoot, std::string>> sharedKeys;
  std::vector<std::string> sharedDirs;
};

// "delphi6", "delphi7", "bcb5", "bcb6", "bds3" ... "bds23" (no "bds13").
std::vector<std::string> ProfileNames();

// Installs an IDE. `profile` is a profile name or the registry product key
// with its version ("BDS\23.0", "Delphi/7.0", "C++Builder\6.0"). Throws
// std::runtime_error on an unknown profile, an option the version cannot have,
// an IDE whose keys or files already exist (nothing is touched then), or a
// failed write (what was written is removed again).
InstalledIde InstallIde(const std::string& profile, const IdeOptions& options);

// Removes what InstallIde created, and the vendor's shared keys and folders
// that are left empty; keys, files and folders that were there before, or
// folders something else has filled since, stay.
void UninstallIde(const InstalledIde& ide);

}  // namespace ideprofiles
