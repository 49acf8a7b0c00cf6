// The installed Delphi, C++Builder and RAD Studio IDEs: one TCompileTarget per
// IDE and platform, found in the registry, with the IDE's configuration (paths,
// package lists, environment variables) read into memory and written back.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/Text.h"

enum TCompileTargetPlatform { ctpWin32, ctpWin64 };
enum TPersonalityType { persDelphi, persBCB };
using TPersonalities = std::set<TPersonalityType>;
using TStringList = std::vector<std::string>;

// Reads a ";"-separated path list into `list` (emptied first): entries are
// trimmed, lose one pair of enclosing quotes and a trailing backslash (but a
// drive root such as "C:\" keeps it); empty entries stay, a final ";" adds
// none.
void SplitPaths(const std::string& text, TStringList& list);
// Joins the entries with ";"; an empty list gives "".
std::string JoinPaths(const TStringList& list);

// The variables a batch file such as the IDE's bin\rsvars.bat sets with
// "set NAME=VALUE", %NAME% replaced by a variable set earlier in the same file.
// Raises Exception, naming `file`, for a value longer than a variable holds.
std::map<std::string, std::string, platform::AsciiCaseLess> ReadBatchVariables(const std::string& text,
                                                                               const std::string& file);

class TDelphiPackage {
 public:
  TDelphiPackage(std::string AFilename, std::string ADescription)
      : FFilename(std::move(AFilename)), FDescription(std::move(ADescription)) {}
  const std::string& Filename() const { return FFilename; }
  const std::string& Description() const { return FDescription; }
  // The file name without its folder.
  std::string Name() const;

 private:
  std::string FFilename;
  std::string FDescription;
};

class TDelphiPackageList {
 public:
  // Appends a package; an empty description becomes the bare name without extension.
  void Add(const std::string& Filename, const std::string& Description);
  // Deletes the first package whose file name equals Filename (ASCII case-insensitive).
  void Remove(const std::string& Filename);
  int IndexOfFilename(const std::string& Filename) const;
  TDelphiPackage* GetItems(int Index) const { return FItems.at(static_cast<size_t>(Index)).get(); }
  int Count() const { return static_cast<int>(FItems.size()); }
  void Clear() { FItems.clear(); }

 private:
  std::vector<std::unique_ptr<TDelphiPackage>> FItems;
};

class TEnvVarStringItem {
 public:
  explicit TEnvVarStringItem(std::string value) : FValue(std::move(value)) {}
  const std::string& Value() const { return FValue; }
  void SetValue(const std::string& value) { FValue = value; }

 private:
  std::string FValue;
};

// IDE environment variables: names kept sorted without regard to case, each
// name once.
class TEnvVarStrings {
 public:
  void Clear() { FItems.clear(); }
  // Inserts the name with its value; a name already present is left as it is.
  void Add(const std::string& AName, const std::string& AValue);
  void Assign(const TEnvVarStrings* ASource);
  int Count() const { return static_cast<int>(FItems.size()); }
  const std::string& GetName(int Index) const { return FItems.at(static_cast<size_t>(Index)).first; }
  const std::string& GetValueByIndex(int Index) const { return FItems.at(static_cast<size_t>(Index)).second->Value(); }
  void SetValueByIndex(int Index, const std::string& Value) {
    FItems.at(static_cast<size_t>(Index)).second->SetValue(Value);
  }
  int IndexOfName(const std::string& AName) const;
  std::string GetValue(const std::string& Name) const;
  // Replaces the value of a present name, otherwise adds it.
  void SetValue(const std::string& Name, const std::string& Value);
  // Same names (any case) in the same order with exactly the same values.
  bool Matches(const TEnvVarStrings* AList) const;

 private:
  std::vector<std::pair<std::string, std::unique_ptr<TEnvVarStringItem>>> FItems;
};

class TCompileTarget {
 public:
  TCompileTarget(const std::string& AName, const std::string& AVersion, const std::string& ARegSubKey,
                 TCompileTargetPlatform APlatform);
  virtual ~TCompileTarget() = default;
  TCompileTarget(const TCompileTarget&) = delete;
  TCompileTarget& operator=(const TCompileTarget&) = delete;

  bool IsValid() const { return FIsValid; }
  // The message of the error that stopped reading the IDE's configuration
  // (registry, EnvOptions.proj, rsvars.bat); "" when it was read. Such a
  // target is listed but never installed into or taken out of.
  const std::string& LoadError() const { return FLoadError; }
  bool IsEvaluation() const { return FIsEvaluation; }
  const std::string& Name() const { return FName; }
  const std::string& IDEName() const { return FIDEName; }
  TCompileTargetPlatform Platform() const { return FPlatform; }
  int LatestRTLPatch() const { return FLatestRTLPatch; }
  int LatestUpdate() const { return FLatestUpdate; }
  int IDEVersion() const { return FIDEVersion; }
  const std::string& IDEVersionStr() const { return FIDEVersionStr; }
  int Version() const { return FVersion; }
  const std::string& VersionStr() const { return FVersionStr; }
  const std::string& Executable() const { return FExecutable; }
  const std::string& Edition() const { return FEdition; }
  const std::string& RootDir() const { return FRootDir; }
  const std::string& ProductVersion() const { return FProductVersion; }
  TStringList& BrowsingPaths() { return FBrowsingPaths; }
  TStringList& PackageSearchPathList() { return FPackageSearchPaths; }
  TStringList& SearchPaths() { return FSearchPaths; }
  TStringList& DebugDcuPaths() { return FDebugDcuPaths; }
  TStringList& GlobalIncludePaths() { return FGlobalIncludePaths; }
  TStringList& GlobalCppBrowsingPaths() { return FGlobalCppBrowsingPaths; }
  TStringList& GlobalCppLibraryPaths() { return FGlobalCppLibraryPaths; }
  TDelphiPackageList& DisabledPackages() { return FDisabledPackages; }
  TDelphiPackageList& KnownPackages() { return FKnownPackages; }
  TDelphiPackageList& KnownIDEPackages() { return FKnownIDEPackages; }
  const std::string& HKLMRegistryKey() const { return FHKLMRegistryKey; }
  const std::string& RegistryKey() const { return FRegistryKey; }
  TEnvVarStrings& EnvVars() { return FEnvVars; }

  std::string DisplayName() const;
  bool IsBDS() const;
  bool IsDelphi() const;
  bool IsBCB() const;
  bool IsPersonal() const { return FIsPersonal; }
  TPersonalities SupportedPersonalities() const;
  bool SupportsPersonalities(const TPersonalities& Personalities, bool Exact = false) const;
  std::string TargetType() const;
  std::string VersionedBPL(const std::string& Filename) const;
  std::string VersionedIDEBPL(const std::string& Filename) const;
  std::string VersionedDCP(const std::string& Filename) const;
  std::string ExpandDirMacros(const std::string& Dir) const;
  std::string InsertDirMacros(const std::string& Dir) const;
  TDelphiPackage* FindPackage(const std::string& PackageName) const;
  TDelphiPackage* FindPackageEx(const std::string& PackageNameStart) const;
  bool HasBDE() const;

  std::string PlatformName() const;
  std::string Dcc32() const { return FRootDir + "\\Bin\\dcc32.exe"; }
  std::string Dcc64() const { return FRootDir + "\\Bin\\dcc64.exe"; }
  std::string Dccil() const { return FRootDir + "\\Bin\\dccil.exe"; }
  std::string Bcc32() const { return FRootDir + "\\Bin\\bcc32.exe"; }
  std::string Bcc64() const { return FRootDir + "\\Bin\\bcc64.exe"; }
  std::string Ilink32() const { return FRootDir + "\\Bin\\ilink32.exe"; }
  std::string Tlib() const { return FRootDir + "\\Bin\\tlib.exe"; }
  std::string Make() const { return FRootDir + "\\Bin\\make.exe"; }
  std::string BplDir() const;
  std::string DcpDir() const;
  std::string BDSProjectsDir() const;
  std::string CommonProjectsDir() const;
  std::string RootLibReleaseDir() const;
  std::string ProjectDir() const;
  std::string Homepage() const;

  // Writing the configuration back to the registry and EnvOptions.proj.
  // False when the IDE has never been started and so has no EnvOptions.proj
  // yet: then only the registry is written, from which the IDE makes the
  // file at its first start (with the force-update flag set).
  bool SavePaths();
  void SavePackagesLists();
  std::string EnvPath() const;
  void SetEnvPath(const std::string& Value);
  bool IsInEnvPath(const std::string& Dir) const;

  // The IDE's EnvOptions.proj (BDS 5 and later); "" for earlier versions.
  std::string EnvOptionsFileName() const;

 private:
  void LoadIDEConfiguration();
  void LoadPackageList(TDelphiPackageList& List, const std::string& Name);
  void SavePackageList(TDelphiPackageList& List, const std::string& Name);
  std::string RootLibDir() const;
  std::string DefaultBDSProjectsDir() const;
  std::string ReadCommonProjectsDir() const;
  std::string MacroValue(const std::string& name) const;
  // The user key's Library key, per platform from BDS 9 on.
  std::string LibraryKey() const;

  bool FIsValid = false;
  std::string FLoadError;
  bool FIsEvaluation = false;
  std::string FName;
  std::string FIDEName;
  TCompileTargetPlatform FPlatform = ctpWin32;
  int FLatestRTLPatch = 0;
  int FLatestUpdate = 0;
  int FIDEVersion = 0;
  std::string FIDEVersionStr;
  int FVersion = 0;
  std::string FVersionStr;
  std::string FExecutable;
  std::string FEdition;
  std::string FRootDir;
  bool FIsPersonal = false;
  std::string FProductVersion;
  TStringList FBrowsingPaths;
  std::string FDCPOutputDir;
  std::string FBPLOutputDir;
  TStringList FPackageSearchPaths;
  TStringList FSearchPaths;
  TDelphiPackageList FDisabledPackages;
  TDelphiPackageList FKnownPackages;
  TDelphiPackageList FKnownIDEPackages;
  std::string FHKLMRegistryKey;
  std::string FRegistryKey;
  TStringList FDebugDcuPaths;
  TStringList FInstalledPersonalities;
  TStringList FGlobalIncludePaths;
  TStringList FGlobalCppBrowsingPaths;
  TStringList FGlobalCppLibraryPaths;
  TEnvVarStrings FOrgEnvVars;
  TEnvVarStrings FEnvVars;
  std::string FDefaultBDSProjectsDir;
  std::string FCommonProjectsDir;
  // Guards BDSProjectsDir against a BDSPROJECTSDIR that refers to itself.
  mutable bool FExpandingProjectsDir = false;
};

class TCompileTargetList {
 public:
  // Discovers the IDEs of the machine, sorted by product version.
  TCompileTargetList();
  TCompileTarget* GetItems(int Index) const { return FItems.at(static_cast<size_t>(Index)).get(); }
  int Count() const { return static_cast<int>(FItems.size()); }

 private:
  void ScanIDERoot(const std::string& Root, const std::string& IDEName, const std::string& KeyName);
  std::vector<std::unique_ptr<TCompileTarget>> FItems;
};

// The process's PATH when the first target was created.
const std::string& InitialPath();
