#include "DelphiData.h"

#include <algorithm>
#include <map>

#include "CmdLineUtils.h"
#include "SysUtils.h"
#include "Utils.h"
#include "WebAddresses.h"
#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "platform/Locale.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/System.h"
#include "platform/Text.h"
#include "xml/XmlTree.h"

using platform::RegistryKey;
using platform::RegRoot;

namespace {

struct BDSVersionInfo {
  int major;
  const char* name;
  const char* versionStr;
  int version;
  bool accepted;
};

// By BDS major version; the majors 24 to 36 were never released.
const BDSVersionInfo BDSVersions[] = {
    {1, "C#Builder", "1.0", 1, false},
    {2, "Delphi", "8", 8, false},
    {3, "Delphi", "2005", 9, true},
    {4, "Borland Developer Studio", "2006", 10, true},
    {5, "CodeGear RAD Studio", "2007", 11, true},
    {6, "CodeGear RAD Studio", "2009", 12, true},
    {7, "Embarcadero RAD Studio", "2010", 14, true},
    {8, "Embarcadero RAD Studio", "XE", 15, true},
    {9, "Embarcadero RAD Studio", "XE2", 16, true},
    {10, "Embarcadero RAD Studio", "XE3", 17, true},
    {11, "Embarcadero RAD Studio", "XE4", 18, true},
    {12, "Embarcadero RAD Studio", "XE5", 19, true},
    {13, "skipped", "skipped", 19, false},
    {14, "Embarcadero RAD Studio", "XE6", 20, true},
    {15, "Embarcadero RAD Studio", "XE7", 21, true},
    {16, "Embarcadero RAD Studio", "XE8", 22, true},
    {17, "Embarcadero RAD Studio", "10", 23, true},
    {18, "Embarcadero RAD Studio", "10.1", 24, true},
    {19, "Embarcadero RAD Studio", "10.2", 25, true},
    {20, "Embarcadero RAD Studio", "10.3", 26, true},
    {21, "Embarcadero RAD Studio", "10.4", 27, true},
    {22, "Embarcadero RAD Studio", "11", 28, true},
    {23, "Embarcadero RAD Studio", "12", 29, true},
    {37, "Embarcadero RAD Studio", "13", 30, true},
};

// The table's row for a BDS major version; nullptr for a version it lacks.
const BDSVersionInfo* FindBDSVersion(int major) {
  for (const BDSVersionInfo& info : BDSVersions) {
    if (info.major == major) return &info;
  }
  return nullptr;
}

// From this BDS major version on (RAD Studio 13), the IDE's package files carry
// its major version (rtl370.bpl) instead of its product version (rtl290.bpl).
constexpr int kFirstBDSPackagesByMajor = 37;

struct PersonalityName {
  const char* name;
  TPersonalityType personality;
};
const PersonalityName PersonalityNames[] = {{"Delphi.Win32", persDelphi}, {"BCB", persBCB}};

std::optional<std::string>& SavedInitialPath() {
  static std::optional<std::string> path;
  return path;
}

std::string LowerCase(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

// The number a text holds, or nothing when it is not a plain decimal number.
std::optional<int> ToInt(const std::string& text) {
  if (text.empty() || text.size() > 9) return std::nullopt;
  int value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

// The number before the first "." of a version key; nothing when it is not a number.
std::optional<int> MajorOf(const std::string& version) { return ToInt(version.substr(0, version.find('.'))); }

std::string RootName(RegRoot root) {
  return root == RegRoot::LocalMachine ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
}

// An open registry key that knows its own name, for messages.
struct Key {
  RegistryKey key;
  std::string name;

  bool OpenRead(RegRoot root, const std::string& path) {
    name = RootName(root) + (path.empty() || path[0] == '\\' ? "" : "\\") + path;
    return key.OpenRead(root, path);
  }
  bool OpenWrite(RegRoot root, const std::string& path, bool create) {
    name = RootName(root) + (path.empty() || path[0] == '\\' ? "" : "\\") + path;
    return key.OpenWrite(root, path, create);
  }
  bool ValueExists(const std::string& value) const { return key.ValueExists(value); }
  // A string value; "" when missing. A value of another type is an error, as
  // the IDE never stores these as anything but strings.
  std::string ReadString(const std::string& value) const {
    const auto type = key.ValueType(value);
    if (type == platform::RegValueType::None) return {};
    if (type != platform::RegValueType::String && type != platform::RegValueType::ExpandString) {
      throw Exception("Invalid data type for '" + value + "' in " + name);
    }
    return key.ReadString(value).value_or("");
  }
  void WriteString(const std::string& value, const std::string& data) {
    if (!key.WriteString(value, data)) throw Exception("Failed to set data for '" + value + "' in " + name);
  }
  void DeleteValue(const std::string& value) {
    if (!key.DeleteValue(value)) throw Exception("Failed to delete '" + value + "' in " + name);
  }
};

std::string WithoutTrailingBackslash(const std::string& path) { return ExcludeTrailingPathDelimiter(path); }

// Whether `dir` lies below the folder `prefix`, compared by the user's locale
// as the IDE compares its folders. Callers cut `dir` at prefix.size(), so the
// folder's spelling in `dir` must be as long as `prefix`: a spelling that
// folds to it with another length ("\u017F" for "s") is not taken for it.
bool StartsWithDir(const std::string& dir, const std::string& prefix) {
  return !prefix.empty() && dir.size() > prefix.size() && dir[prefix.size()] == '\\' &&
         platform::SameTextLocale(std::string_view(dir).substr(0, prefix.size()), prefix);
}

// The longest value an environment variable can hold. A batch file that
// makes one longer (a line doubling a value, repeated) is not run further:
// left alone, 40 such lines would ask for a terabyte.
constexpr size_t kMaxVariableValue = 32767;

}  // namespace

const std::string& InitialPath() {
  static const std::string empty;
  return SavedInitialPath() ? *SavedInitialPath() : empty;
}

// ---- batch files ----

std::map<std::string, std::string, platform::AsciiCaseLess> ReadBatchVariables(const std::string& text,
                                                                               const std::string& file) {
  std::map<std::string, std::string, platform::AsciiCaseLess> vars;
  for (const std::string& textLine : SplitLines(text)) {
    std::string line = Trim(textLine);
    if (!line.empty() && line[0] == '@') line = Trim(line.substr(1));
    if (line.size() < 4 || !StrStartsWith(line, "set", true) || (line[3] != ' ' && line[3] != '\t')) continue;
    line = Trim(line.substr(4));
    const size_t eq = line.find('=');
    if (eq == std::string::npos || eq == 0) continue;
    const std::string name = line.substr(0, eq);
    const std::string raw = line.substr(eq + 1);
    std::string value;
    for (size_t i = 0; i < raw.size(); ++i) {
      const size_t close = raw[i] == '%' ? raw.find('%', i + 1) : std::string::npos;
      if (close == std::string::npos) {
        value += raw[i];
        continue;
      }
      auto it = vars.find(raw.substr(i + 1, close - i - 1));
      if (it != vars.end()) value += it->second;
      i = close;
      if (value.size() > kMaxVariableValue) {
        throw Exception("Cannot read " + file + ": the value of " + name + " grows beyond " +
                        std::to_string(kMaxVariableValue) + " characters");
      }
    }
    vars[name] = value;
  }
  return vars;
}

// ---- path lists ----

void SplitPaths(const std::string& text, TStringList& list) {
  list.clear();
  size_t pos = 0;
  while (true) {
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
    if (pos >= text.size()) break;
    size_t end = text.find(';', pos);
    if (end == std::string::npos) end = text.size();
    std::string entry = Trim(text.substr(pos, end - pos));
    if (entry.size() > 1 && entry.front() == '"' && entry.back() == '"')
      entry = Trim(entry.substr(1, entry.size() - 2));
    // A drive root keeps its backslash: "C:" alone is the drive's current folder.
    const bool driveRoot = entry.size() == 3 && entry[1] == ':';
    if (!entry.empty() && entry.back() == '\\' && !driveRoot) entry.pop_back();
    list.push_back(entry);
    pos = end + 1;
  }
}

std::string JoinPaths(const TStringList& list) {
  std::string out;
  for (size_t i = 0; i < list.size(); ++i) {
    if (i > 0) out += ';';
    out += list[i];
  }
  return out;
}

// ---- packages ----

std::string TDelphiPackage::Name() const { return ExtractFileName(FFilename); }

void TDelphiPackageList::Add(const std::string& Filename, const std::string& Description) {
  std::string description = Description;
  if (description.empty()) {
    description = ExtractFileName(Filename);
    description = ChangeFileExt(description, "");
  }
  FItems.push_back(std::make_unique<TDelphiPackage>(Filename, description));
}

void TDelphiPackageList::Remove(const std::string& Filename) {
  const int index = IndexOfFilename(Filename);
  if (index >= 0) FItems.erase(FItems.begin() + index);
}

int TDelphiPackageList::IndexOfFilename(const std::string& Filename) const {
  for (size_t i = 0; i < FItems.size(); ++i) {
    if (platform::SameTextAscii(FItems[i]->Filename(), Filename)) return static_cast<int>(i);
  }
  return -1;
}

// ---- environment variables ----

void TEnvVarStrings::Add(const std::string& AName, const std::string& AValue) {
  auto it = std::lower_bound(FItems.begin(), FItems.end(), AName, [](const auto& item, const std::string& name) {
    return platform::CompareTextAscii(item.first, name) < 0;
  });
  if (it != FItems.end() && platform::SameTextAscii(it->first, AName)) return;
  FItems.insert(it, {AName, std::make_unique<TEnvVarStringItem>(AValue)});
}

void TEnvVarStrings::Assign(const TEnvVarStrings* ASource) {
  if (ASource == this) return;
  Clear();
  if (ASource == nullptr) return;
  for (int i = 0; i < ASource->Count(); ++i) Add(ASource->GetName(i), ASource->GetValueByIndex(i));
}

int TEnvVarStrings::IndexOfName(const std::string& AName) const {
  for (size_t i = 0; i < FItems.size(); ++i) {
    if (platform::SameTextAscii(FItems[i].first, AName)) return static_cast<int>(i);
  }
  return -1;
}

std::string TEnvVarStrings::GetValue(const std::string& Name) const {
  const int index = IndexOfName(Name);
  return index < 0 ? std::string() : GetValueByIndex(index);
}

void TEnvVarStrings::SetValue(const std::string& Name, const std::string& Value) {
  const int index = IndexOfName(Name);
  if (index >= 0) {
    SetValueByIndex(index, Value);
  } else {
    Add(Name, Value);
  }
}

bool TEnvVarStrings::Matches(const TEnvVarStrings* AList) const {
  if (AList == nullptr || AList->Count() != Count()) return false;
  for (int i = 0; i < Count(); ++i) {
    if (!platform::SameTextAscii(GetName(i), AList->GetName(i)) || GetValueByIndex(i) != AList->GetValueByIndex(i)) {
      return false;
    }
  }
  return true;
}

// ---- one target ----

TCompileTarget::TCompileTarget(const std::string& AName, const std::string& AVersion, const std::string& ARegSubKey,
                               TCompileTargetPlatform APlatform) {
  if (!SavedInitialPath()) SavedInitialPath() = platform::GetEnv("PATH").value_or("");
  FIDEName = AName;
  FPlatform = APlatform;
  FIDEVersionStr = AVersion;
  FIDEVersion = MajorOf(AVersion).value_or(0);
  const BDSVersionInfo* info = IsBDS() ? FindBDSVersion(FIDEVersion) : nullptr;
  if (info != nullptr) {
    FName = info->name;
    FVersionStr = info->versionStr;
    FVersion = info->version;
  } else {
    FName = FIDEName;
    FVersion = FIDEVersion;
    FVersionStr = FIDEVersionStr;
  }
  std::string root = "\\SOFTWARE\\Borland\\";
  if (IsBDS() && FIDEVersion >= 8) {
    root = "\\SOFTWARE\\Embarcadero\\";
  } else if (IsBDS() && (FIDEVersion == 6 || FIDEVersion == 7)) {
    root = "\\SOFTWARE\\CodeGear\\";
  }
  FHKLMRegistryKey = root + FIDEName + "\\" + FIDEVersionStr;
  FRegistryKey = root + ARegSubKey + "\\" + FIDEVersionStr;
  // One IDE whose configuration cannot be read must not keep the others from
  // being served: its error stays with it.
  try {
    LoadIDEConfiguration();
  } catch (const Exception& e) {
    FLoadError = e.Message();
  }
  FIsEvaluation = !platform::FileExists(FRootDir + "\\bin\\dcc32.exe");
}

std::string TCompileTarget::EnvOptionsFileName() const {
  if (!IsBDS() || FIDEVersion < 5) return {};
  std::string vendor = "Borland";
  if (FIDEVersion >= 8) {
    vendor = "Embarcadero";
  } else if (FIDEVersion >= 6) {
    vendor = "CodeGear";
  }
  return WithoutTrailingBackslash(platform::KnownFolderPath(platform::KnownFolder::RoamingAppData)) + "\\" + vendor +
         "\\BDS\\" + std::to_string(FIDEVersion) + ".0\\EnvOptions.proj";
}

std::string TCompileTarget::LibraryKey() const {
  std::string key = FRegistryKey + "\\Library";
  if (FIDEVersion >= 9) key += "\\" + PlatformName();
  return key;
}

void TCompileTarget::LoadIDEConfiguration() {
  // A. The machine key.
  {
    Key machine;
    if (machine.OpenRead(RegRoot::LocalMachine, FHKLMRegistryKey)) {
      if (machine.ValueExists("Edition")) {
        FEdition = machine.ReadString("Edition");
      } else if (machine.ValueExists("Version")) {
        FEdition = machine.ReadString("Version");
      }
      if (machine.ValueExists("App")) FExecutable = machine.ReadString("App");
      if (machine.ValueExists("RootDir")) FRootDir = WithoutTrailingBackslash(machine.ReadString("RootDir"));
      if (machine.ValueExists("ProductVersion")) FProductVersion = machine.ReadString("ProductVersion");
      if (IsBDS()) {
        if (machine.ValueExists("UpdatePackInstalled")) {
          FLatestUpdate = ToInt(Trim(machine.ReadString("UpdatePackInstalled"))).value_or(0);
        }
      } else {
        for (int i = 1; i <= 10; ++i) {
          if (machine.ValueExists("Update #" + std::to_string(i))) FLatestUpdate = i;
          const std::string patch = i == 1 ? "Pascal RTL Patch" : "Pascal RTL Patch #" + std::to_string(i);
          if (machine.ValueExists(patch)) FLatestRTLPatch = i;
        }
      }
    }
  }
  // B. The edition from the catalog of installed parts (10.2 and later).
  if (IsBDS() && FIDEVersion >= 19) {
    platform::RegistryKey elements;
    if (elements.OpenRead(RegRoot::LocalMachine, FHKLMRegistryKey + "\\CatalogRepository\\Elements")) {
      const std::string prefix = "Core_Common_Files_";
      for (const std::string& name : elements.SubKeyNames()) {
        if (name.compare(0, prefix.size(), prefix) != 0) continue;
        const std::string rest = name.substr(prefix.size());
        if (rest.find('_') != std::string::npos) continue;
        const size_t dash = rest.find('-');
        FEdition = dash == std::string::npos ? std::string() : rest.substr(0, dash);
        break;
      }
    }
  }
  // C. Only an IDE with a root folder and an existing executable counts.
  FIsValid = !FRootDir.empty() && !FExecutable.empty() && platform::FileExists(FExecutable);
  if (!FIsValid) return;
  // D. Projects folders.
  if (IsBDS()) {
    FDefaultBDSProjectsDir = DefaultBDSProjectsDir();
    FCommonProjectsDir = ReadCommonProjectsDir();
  }
  // E. IDE environment variables.
  {
    Key env;
    if (env.OpenRead(RegRoot::CurrentUser, FRegistryKey + "\\Environment Variables")) {
      for (const std::string& name : env.key.ValueNames()) FOrgEnvVars.Add(name, env.ReadString(name));
    }
    FEnvVars.Assign(&FOrgEnvVars);
  }
  // F. Start the paths afresh.
  FDCPOutputDir.clear();
  FBPLOutputDir.clear();
  FBrowsingPaths.clear();
  FPackageSearchPaths.clear();
  FSearchPaths.clear();
  FDebugDcuPaths.clear();
  FGlobalIncludePaths.clear();
  FGlobalCppBrowsingPaths.clear();
  // G. Personalities.
  if (IsBDS()) {
    platform::RegistryKey personalities;
    if (personalities.OpenRead(RegRoot::CurrentUser, FRegistryKey + "\\Personalities")) {
      FInstalledPersonalities = personalities.ValueNames();
    }
  }
  // H. RAD Studio 2007 names itself after its only personality.
  if (IsBDS() && FIDEVersion == 5) {
    if (SupportsPersonalities({persDelphi}, true)) {
      FName = "CodeGear Delphi for Win32";
    } else if (SupportsPersonalities({persBCB}, true)) {
      FName = "CodeGear C++Builder";
    }
  }
  // I. The IDE asks to be configured from the registry on its next start.
  bool forceUpdate = false;
  if (IsBDS() && FIDEVersion >= 5) {
    platform::RegistryKey globals;
    if (globals.OpenRead(RegRoot::CurrentUser, FRegistryKey + "\\Globals")) {
      const auto type = globals.ValueType("ForceEnvOptionsUpdate");
      if (type == platform::RegValueType::String || type == platform::RegValueType::ExpandString) {
        forceUpdate = globals.ReadString("ForceEnvOptionsUpdate") == std::optional<std::string>("1");
      } else if (type == platform::RegValueType::DWord) {
        forceUpdate = globals.ReadDWord("ForceEnvOptionsUpdate") == std::optional<uint32_t>(1);
      }
    }
  }
  // J. EnvOptions.proj.
  const std::string envOptions = EnvOptionsFileName();
  if (!envOptions.empty() && !forceUpdate && platform::FileExists(envOptions)) {
    xml::TXmlDocument document;
    document.LoadFromFile(envOptions);
    xml::TXmlElement group;
    if (FIDEVersion >= 9) {
      const std::string condition = "'$(Platform)'=='" + PlatformName() + "'";
      for (auto& child : document.Root().ChildElements()) {
        if (child.HasAttribute("Condition") && child.Attribute("Condition") == condition) {
          group = child;
          break;
        }
      }
    } else {
      group = document.Root().FindChild("PropertyGroup");
    }
    if (group) {
      const bool modern = FIDEVersion >= 8;
      auto text = [&](const char* name, std::string& field) {
        if (auto e = group.FindChild(name)) field = e.Text();
      };
      auto list = [&](const char* name, TStringList& field) {
        if (auto e = group.FindChild(name)) SplitPaths(e.Text(), field);
      };
      text(modern ? "DelphiDCPOutput" : "Win32DCPOutput", FDCPOutputDir);
      FDCPOutputDir = WithoutTrailingBackslash(FDCPOutputDir);
      if (modern) {
        text("DelphiDLLOutputPath", FBPLOutputDir);
      } else if (group.FindChild("CBuilderBPLOutputPath")) {
        text("CBuilderBPLOutputPath", FBPLOutputDir);
      } else {
        text("Win32DLLOutputPath", FBPLOutputDir);
      }
      FBPLOutputDir = WithoutTrailingBackslash(FBPLOutputDir);
      list(modern ? "DelphiBrowsingPath" : "Win32BrowsingPath", FBrowsingPaths);
      list(modern ? "DelphiLibraryPath" : "Win32LibraryPath", FSearchPaths);
      list(modern ? "DelphiDLLOutputPath" : "Win32DLLOutputPath", FPackageSearchPaths);
      list(modern ? "DelphiDebugDCUPath" : "Win32DebugDCUPath", FDebugDcuPaths);
      // Whether C++Builder is installed, not whether it builds for this platform.
      if (SupportedPersonalities().count(persBCB) != 0) {
        list("CBuilderIncludePath", FGlobalIncludePaths);
        list("CBuilderBrowsingPath", FGlobalCppBrowsingPaths);
        list("CBuilderLibraryPath", FGlobalCppLibraryPaths);
      }
    }
  }
  // K. The Library key fills what is still empty.
  {
    Key library;
    if (library.OpenRead(RegRoot::CurrentUser, LibraryKey())) {
      if (FBPLOutputDir.empty()) {
        FBPLOutputDir = WithoutTrailingBackslash(library.ReadString("Package DPL Output"));
        if (FBPLOutputDir.empty() && !IsBDS()) FBPLOutputDir = FRootDir + "\\Projects\\BPL";
      }
      if (FDCPOutputDir.empty()) {
        FDCPOutputDir = WithoutTrailingBackslash(library.ReadString("Package DCP Output"));
        if (FDCPOutputDir.empty() && !IsBDS()) FDCPOutputDir = FBPLOutputDir;
      }
      if (FBrowsingPaths.empty()) SplitPaths(library.ReadString("Browsing Path"), FBrowsingPaths);
      if (FPackageSearchPaths.empty()) SplitPaths(library.ReadString("Package Search Path"), FPackageSearchPaths);
      if (FSearchPaths.empty()) SplitPaths(library.ReadString("Search Path"), FSearchPaths);
      if (FDebugDcuPaths.empty() && library.ValueExists("Debug DCU Path")) {
        SplitPaths(library.ReadString("Debug DCU Path"), FDebugDcuPaths);
      }
    }
  }
  // L. The older place of the debug DCU path.
  if (FDebugDcuPaths.empty()) {
    Key debugging;
    if (debugging.OpenRead(RegRoot::CurrentUser, FRegistryKey + "\\Debugging")) {
      SplitPaths(debugging.ReadString("Debug DCUs Path"), FDebugDcuPaths);
    }
  }
  // M. C++ paths.
  if (IsBDS()) {
    Key cpp;
    if (cpp.OpenRead(RegRoot::CurrentUser, FRegistryKey + "\\CppPaths")) {
      SplitPaths(cpp.ReadString("IncludePath"), FGlobalIncludePaths);
      SplitPaths(cpp.ReadString("BrowsingPath"), FGlobalCppBrowsingPaths);
      // Saving writes LibraryPath there too: what it holds must be read, or
      // the save would replace it with the suite's folder alone.
      if (FGlobalCppLibraryPaths.empty()) SplitPaths(cpp.ReadString("LibraryPath"), FGlobalCppLibraryPaths);
    }
    std::string paths;
    if (FIDEVersion >= 6 && FIDEVersion <= 8) {
      paths = FRegistryKey + "\\C++\\Paths";
    } else if (FIDEVersion >= 9) {
      paths = FRegistryKey + "\\C++\\Paths\\" + PlatformName();
    }
    Key cppPaths;
    if (!paths.empty() && cppPaths.OpenRead(RegRoot::CurrentUser, paths)) {
      if (FGlobalIncludePaths.empty()) SplitPaths(cppPaths.ReadString("IncludePath"), FGlobalIncludePaths);
      if (FGlobalCppBrowsingPaths.empty()) SplitPaths(cppPaths.ReadString("BrowsingPath"), FGlobalCppBrowsingPaths);
      if (FGlobalCppLibraryPaths.empty()) SplitPaths(cppPaths.ReadString("LibraryPath"), FGlobalCppLibraryPaths);
    }
  }
  // N. An IDE without the database design package is a personal edition.
  FIsPersonal = !platform::FileExists(VersionedIDEBPL(FRootDir + "\\bin\\dcldb.bpl"));
  if (FIsPersonal) FEdition = "Personal";
  // O.
  if (FProductVersion.empty()) FProductVersion = std::to_string(FVersion) + "." + std::to_string(FLatestUpdate);
  // P. Package lists.
  LoadPackageList(FKnownIDEPackages, "Known IDE Packages");
  LoadPackageList(FKnownPackages, "Known Packages");
  LoadPackageList(FDisabledPackages, "Disabled Packages");
}

void TCompileTarget::LoadPackageList(TDelphiPackageList& List, const std::string& Name) {
  List.Clear();
  Key key;
  if (!key.OpenRead(RegRoot::CurrentUser, FRegistryKey + "\\" + Name)) return;
  for (const std::string& value : key.key.ValueNames()) List.Add(value, key.ReadString(value));
}

std::string TCompileTarget::DefaultBDSProjectsDir() const {
  if (FindBDSVersion(FIDEVersion) == nullptr) return {};
  const std::string documents = platform::KnownFolderPath(platform::KnownFolder::Documents);
  if (FIDEVersion >= 4) {
    const std::string name = FIDEVersion >= 5 ? "RAD Studio\\Projects" : "Borland Studio Projects";
    return IncludeTrailingPathDelimiter(documents) + name;
  }
  // BDS 3 keeps the name in its translated resources; the English name is the fallback.
  return WithoutTrailingBackslash(
      CollapseBackslashes(WithoutTrailingBackslash(documents) + "\\Borland Studio Projects"));
}

std::string TCompileTarget::ReadCommonProjectsDir() const {
  if (FIDEVersion < 5) return {};
  const std::string batch = FRootDir + "\\bin\\rsvars.bat";
  const auto text = platform::ReadTextFile(batch);
  if (!text) {
    const uint32_t code = platform::LastErrorCode();
    throw EOSError("Cannot read " + batch + ": " + Trim(platform::SystemErrorText(code)), code);
  }
  const auto vars = ReadBatchVariables(*text, batch);
  auto it = vars.find("BDSCOMMONDIR");
  if (it != vars.end() && !it->second.empty()) return it->second;
  return JoinPath(JoinPath(platform::KnownFolderPath(platform::KnownFolder::CommonDocuments), "RAD Studio"),
                  std::to_string(FIDEVersion) + ".0");
}

// ---- questions about the target ----

std::string TCompileTarget::DisplayName() const {
  if (IsBDS() && FIDEVersion >= 9) {
    return FName + " " + FVersionStr + " " + PlatformName() + " (" + FEdition + ")";
  }
  return FName + " " + FVersionStr + " (" + FEdition + ")";
}

bool TCompileTarget::IsBDS() const { return platform::SameTextAscii(FIDEName, "BDS"); }

bool TCompileTarget::IsDelphi() const { return platform::AsciiUpperCase(FName).find("DELPHI") != std::string::npos; }

bool TCompileTarget::IsBCB() const { return platform::AsciiUpperCase(FName).find("BUILDER") != std::string::npos; }

TPersonalities TCompileTarget::SupportedPersonalities() const {
  TPersonalities result;
  if (IsBDS()) {
    for (const auto& p : PersonalityNames) {
      if (IndexOfText(p.name, FInstalledPersonalities) >= 0) result.insert(p.personality);
    }
  } else if (IsDelphi()) {
    result.insert(persDelphi);
  } else if (IsBCB()) {
    result.insert(persBCB);
  }
  return result;
}

bool TCompileTarget::SupportsPersonalities(const TPersonalities& Personalities, bool Exact) const {
  // C++Builder XE2 and XE3 have no 64-bit C++ compiler.
  if (Personalities == TPersonalities{persBCB} && IsBDS() && (FIDEVersion == 9 || FIDEVersion == 10) &&
      FPlatform == ctpWin64) {
    return false;
  }
  const TPersonalities supported = SupportedPersonalities();
  if (Exact) return Personalities == supported;
  return std::includes(supported.begin(), supported.end(), Personalities.begin(), Personalities.end());
}

std::string TCompileTarget::TargetType() const {
  const TPersonalities supported = SupportedPersonalities();
  if (IsBDS()) {
    if (supported.count(persDelphi) != 0 || FVersion >= 4) return "D";
    if (supported.count(persBCB) != 0) return "C";
    return {};
  }
  if (IsDelphi()) return "D";
  if (IsBCB()) return "C";
  return {};
}

std::string TCompileTarget::VersionedBPL(const std::string& Filename) const {
  const std::string ext = ExtractFileExt(Filename);
  const int number = IsBDS() && FIDEVersion >= kFirstBDSPackagesByMajor ? FIDEVersion : FVersion;
  return Filename.substr(0, Filename.size() - ext.size()) + std::to_string(number) + "0" + ext;
}

std::string TCompileTarget::VersionedIDEBPL(const std::string& Filename) const {
  if (IsBDS() && FIDEVersion == 5) {
    const std::string ext = ExtractFileExt(Filename);
    return Filename.substr(0, Filename.size() - ext.size()) + "100" + ext;
  }
  return VersionedBPL(Filename);
}

std::string TCompileTarget::VersionedDCP(const std::string& Filename) const {
  return FVersion < 6 ? VersionedBPL(Filename) : Filename;
}

std::string TCompileTarget::MacroValue(const std::string& name) const {
  if (name == "delphi" || name == "bcb" || name == "bds") return FRootDir;
  if (name == "bdslib") return FRootDir + "\\lib";
  if (name == "bdsprojectsdir" && IsBDS()) return BDSProjectsDir();
  if (name == "bdscommondir" && IsBDS() && FIDEVersion >= 5) return CommonProjectsDir();
  if (name == "platform" && IsBDS() && FIDEVersion >= 9) return PlatformName();
  if (FEnvVars.IndexOfName(name) >= 0) return CollapseBackslashes(FEnvVars.GetValue(name));
  return CollapseBackslashes(platform::GetEnv(name).value_or(""));
}

std::string TCompileTarget::ExpandDirMacros(const std::string& Dir) const {
  std::string result = Dir;
  // Positions are signed: an empty value moves the position back one place.
  for (ptrdiff_t i = 0; i < static_cast<ptrdiff_t>(result.size()) - 1; ++i) {
    const auto at = static_cast<size_t>(i);
    if (result[at] != '$' || result[at + 1] != '(') continue;
    const size_t close = result.find(')', at + 2);
    const size_t nameEnd = close == std::string::npos ? result.size() : close;
    const size_t macroEnd = close == std::string::npos ? result.size() : close + 1;
    const std::string name = LowerCase(result.substr(at + 2, nameEnd - at - 2));
    const std::string value = MacroValue(name);
    if (value == name) continue;
    result.replace(at, macroEnd - at, value);
    i += static_cast<ptrdiff_t>(value.size()) - 1;
  }
  return result;
}

std::string TCompileTarget::InsertDirMacros(const std::string& Dir) const {
  if (StartsWithDir(Dir, FRootDir)) {
    std::string macro = FRootDir;
    if (IsBDS()) {
      macro = "$(BDS)";
    } else if (platform::SameTextAscii(FIDEName, "Delphi")) {
      macro = "$(DELPHI)";
    } else if (platform::SameTextAscii(FIDEName, "C++Builder")) {
      macro = "$(BCB)";
    }
    return macro + Dir.substr(FRootDir.size());
  }
  if (IsBDS()) {
    const std::string projects = BDSProjectsDir();
    if (StartsWithDir(Dir, projects)) return "$(BDSPROJECTSDIR)" + Dir.substr(projects.size());
    if (FIDEVersion >= 5) {
      const std::string common = CommonProjectsDir();
      if (StartsWithDir(Dir, common)) return "$(BDSCOMMONDIR)" + Dir.substr(common.size());
    }
  }
  return Dir;
}

TDelphiPackage* TCompileTarget::FindPackage(const std::string& PackageName) const {
  for (const TDelphiPackageList* list : {&FKnownIDEPackages, &FKnownPackages}) {
    for (int i = 0; i < list->Count(); ++i) {
      if (platform::SameTextAscii(list->GetItems(i)->Name(), PackageName)) return list->GetItems(i);
    }
  }
  return nullptr;
}

TDelphiPackage* TCompileTarget::FindPackageEx(const std::string& PackageNameStart) const {
  for (const TDelphiPackageList* list : {&FKnownIDEPackages, &FKnownPackages}) {
    for (int i = 0; i < list->Count(); ++i) {
      if (platform::StartsTextLocale(list->GetItems(i)->Name(), PackageNameStart)) return list->GetItems(i);
    }
  }
  return nullptr;
}

bool TCompileTarget::HasBDE() const {
  if (FPlatform == ctpWin64) return false;
  if (FVersion < 21) return true;
  return platform::FileExists(RootLibReleaseDir() + "\\bdertl.dcp");
}

std::string TCompileTarget::PlatformName() const {
  if (!IsBDS() || FIDEVersion < 9) return {};
  return FPlatform == ctpWin64 ? "Win64" : "Win32";
}

std::string TCompileTarget::BplDir() const { return WithoutTrailingBackslash(ExpandDirMacros(FBPLOutputDir)); }

std::string TCompileTarget::DcpDir() const { return ExpandDirMacros(FDCPOutputDir); }

std::string TCompileTarget::BDSProjectsDir() const {
  if (!IsBDS()) return CollapseBackslashes(FRootDir + "\\Projects");
  if (FExpandingProjectsDir) return FDefaultBDSProjectsDir;  // BDSPROJECTSDIR refers to itself
  FExpandingProjectsDir = true;
  std::string value = FEnvVars.IndexOfName("BDSPROJECTSDIR") >= 0 ? FEnvVars.GetValue("BDSPROJECTSDIR")
                                                                  : platform::GetEnv("BDSPROJECTSDIR").value_or("");
  value = WithoutTrailingBackslash(ExpandDirMacros(value));
  FExpandingProjectsDir = false;
  if (value.empty()) value = FDefaultBDSProjectsDir;
  return CollapseBackslashes(value);
}

std::string TCompileTarget::CommonProjectsDir() const {
  return IsBDS() && FIDEVersion >= 5 ? FCommonProjectsDir : BDSProjectsDir();
}

std::string TCompileTarget::RootLibDir() const {
  if (IsBDS() && FIDEVersion >= 8) return JoinPath(FRootDir, FPlatform == ctpWin64 ? "lib\\win64" : "lib\\win32");
  return JoinPath(FRootDir, "lib");
}

std::string TCompileTarget::RootLibReleaseDir() const {
  return IsBDS() && FIDEVersion >= 8 ? RootLibDir() + "\\release" : RootLibDir();
}

std::string TCompileTarget::ProjectDir() const { return (IsBDS() ? BDSProjectsDir() : FRootDir) + "\\Projects"; }

std::string TCompileTarget::Homepage() const {
  if (!IsBDS() && IsBCB()) return web::kCBuilderRegistration;
  if (FVersion == 5) return web::kVersion5Registration;
  return web::kDelphiRegistration;
}

// ---- writing the configuration back ----

bool TCompileTarget::SavePaths() {
  // 1. EnvOptions.proj: the first property group serves every platform.
  const std::string file = IsBDS() && FIDEVersion >= 5 ? EnvOptionsFileName() : std::string();
  const bool fileWritten = file.empty() || platform::FileExists(file);
  if (!file.empty() && fileWritten) {
    xml::TXmlDocument document;
    document.LoadFromFile(file);
    xml::TXmlElement group = document.Root().FindChild("PropertyGroup", true);
    const bool modern = FIDEVersion >= 8;
    group.FindChild(modern ? "DelphiBrowsingPath" : "Win32BrowsingPath", true).SetText(JoinPaths(FBrowsingPaths));
    group.FindChild(modern ? "DelphiLibraryPath" : "Win32LibraryPath", true).SetText(JoinPaths(FSearchPaths));
    group.FindChild(modern ? "DelphiDebugDCUPath" : "Win32DebugDCUPath", true).SetText(JoinPaths(FDebugDcuPaths));
    if (SupportedPersonalities().count(persBCB) != 0) {
      group.FindChild("CBuilderIncludePath", true).SetText(JoinPaths(FGlobalIncludePaths));
      group.FindChild("CBuilderBrowsingPath", true).SetText(JoinPaths(FGlobalCppBrowsingPaths));
      group.FindChild("CBuilderLibraryPath", true).SetText(JoinPaths(FGlobalCppLibraryPaths));
    }
    document.SaveToFile(file);
  }
  // 2. The Library key.
  {
    Key library;
    if (library.OpenWrite(RegRoot::CurrentUser, LibraryKey(), false)) {
      library.WriteString("Browsing Path", JoinPaths(FBrowsingPaths));
      library.WriteString("Search Path", JoinPaths(FSearchPaths));
      if (library.ValueExists("Debug DCU Path")) library.WriteString("Debug DCU Path", JoinPaths(FDebugDcuPaths));
    }
  }
  // 3. The Debugging key.
  {
    Key debugging;
    if (debugging.OpenWrite(RegRoot::CurrentUser, FRegistryKey + "\\Debugging", false)) {
      const std::string text = JoinPaths(FDebugDcuPaths);
      if (debugging.ReadString("Debug DCUs Path") != text) debugging.WriteString("Debug DCUs Path", text);
    }
  }
  // 4. One C++ key.
  if (IsBDS()) {
    Key cpp;
    bool open = false;
    if (FIDEVersion >= 5 && FIDEVersion <= 8)
      open = cpp.OpenWrite(RegRoot::CurrentUser, FRegistryKey + "\\C++\\Paths", false);
    if (!open && FIDEVersion >= 9) {
      open = cpp.OpenWrite(RegRoot::CurrentUser, FRegistryKey + "\\C++\\Paths\\" + PlatformName(), false);
    }
    if (!open) open = cpp.OpenWrite(RegRoot::CurrentUser, FRegistryKey + "\\CppPaths", false);
    if (open) {
      auto write = [&](const char* name, const TStringList& list) {
        const std::string text = JoinPaths(list);
        if (!cpp.ValueExists(name) || cpp.ReadString(name) != text) cpp.WriteString(name, text);
      };
      write("IncludePath", FGlobalIncludePaths);
      write("BrowsingPath", FGlobalCppBrowsingPaths);
      write("LibraryPath", FGlobalCppLibraryPaths);
    }
  }
  // 5. Environment variables, only when they changed.
  if (!FEnvVars.Matches(&FOrgEnvVars)) {
    Key env;
    if (env.OpenWrite(RegRoot::CurrentUser, FRegistryKey + "\\Environment Variables", true)) {
      for (int i = 0; i < FOrgEnvVars.Count(); ++i) {
        if (FEnvVars.IndexOfName(FOrgEnvVars.GetName(i)) < 0 && env.ValueExists(FOrgEnvVars.GetName(i))) {
          env.DeleteValue(FOrgEnvVars.GetName(i));
        }
      }
      for (int i = 0; i < FEnvVars.Count(); ++i) {
        if (FEnvVars.GetValueByIndex(i) != FOrgEnvVars.GetValue(FEnvVars.GetName(i))) {
          env.WriteString(FEnvVars.GetName(i), FEnvVars.GetValueByIndex(i));
        }
      }
    }
  }
  return fileWritten;
}

void TCompileTarget::SavePackageList(TDelphiPackageList& List, const std::string& Name) {
  Key key;
  if (!key.OpenWrite(RegRoot::CurrentUser, FRegistryKey + "\\" + Name, false)) return;
  const std::vector<std::string> names = key.key.ValueNames();
  for (const std::string& name : names) {
    if (List.IndexOfFilename(name) < 0) key.DeleteValue(name);
  }
  for (int i = 0; i < List.Count(); ++i) {
    const TDelphiPackage* package = List.GetItems(i);
    if (IndexOfText(package->Filename(), names) < 0) key.WriteString(package->Filename(), package->Description());
  }
}

void TCompileTarget::SavePackagesLists() {
  SavePackageList(FKnownPackages, "Known Packages");
  SavePackageList(FDisabledPackages, "Disabled Packages");
}

std::string TCompileTarget::EnvPath() const {
  return FEnvVars.IndexOfName("PATH") >= 0 ? FEnvVars.GetValue("PATH") : InitialPath();
}

void TCompileTarget::SetEnvPath(const std::string& Value) { FEnvVars.SetValue("PATH", ExpandDirMacros(Value)); }

bool TCompileTarget::IsInEnvPath(const std::string& Dir) const {
  const std::string path = EnvPath();
  if (Dir.empty() || path.empty()) return false;
  const std::string p = ";" + LowerCase(path) + ";";
  auto contains = [&](const std::string& dir) {
    return p.find(";" + dir + ";") != std::string::npos || p.find(";" + dir + "\\;") != std::string::npos;
  };
  if (contains(LowerCase(Dir))) return true;
  const std::string shortDir = LowerCase(platform::ShortPathOf(Dir));
  return !shortDir.empty() && contains(shortDir);
}

// ---- discovery ----

TCompileTargetList::TCompileTargetList() {
  if (!CmdOptions) CmdOptions = std::make_unique<TCmdOptions>(std::vector<std::string>{});
  if (CmdOptions->RegistryKeyDelphi().empty()) CmdOptions->SetRegistryKeyDelphi("Delphi");
  if (CmdOptions->RegistryKeyBCB().empty()) CmdOptions->SetRegistryKeyBCB("C++Builder");
  if (CmdOptions->RegistryKeyBDS().empty()) CmdOptions->SetRegistryKeyBDS("BDS");
  if (!CmdOptions->IgnoreDelphi()) ScanIDERoot("\\SOFTWARE\\Borland\\", "Delphi", CmdOptions->RegistryKeyDelphi());
  if (!CmdOptions->IgnoreBCB()) ScanIDERoot("\\SOFTWARE\\Borland\\", "C++Builder", CmdOptions->RegistryKeyBCB());
  if (!CmdOptions->IgnoreDelphi()) {
    ScanIDERoot("\\SOFTWARE\\Borland\\", "BDS", CmdOptions->RegistryKeyBDS());
    ScanIDERoot("\\SOFTWARE\\CodeGear\\", "BDS", CmdOptions->RegistryKeyBDS());
    ScanIDERoot("\\SOFTWARE\\Embarcadero\\", "BDS", CmdOptions->RegistryKeyBDS());
  }
  std::stable_sort(FItems.begin(), FItems.end(),
                   [](const auto& a, const auto& b) { return a->Version() < b->Version(); });
}

void TCompileTargetList::ScanIDERoot(const std::string& Root, const std::string& IDEName, const std::string& KeyName) {
  RegistryKey root;
  if (!root.OpenRead(RegRoot::LocalMachine, Root + IDEName)) return;
  const bool bds = IDEName == "BDS";
  for (const std::string& version : root.SubKeyNames()) {
    if (version.empty() || version[0] < '1' || version[0] > '9') continue;
    if (bds) {
      const size_t dot = version.find('.');
      const std::string majorText = dot == std::string::npos ? version.substr(0, 1) : version.substr(0, dot);
      const auto major = ToInt(majorText);
      if (!major) {
        throw Exception("The version key '" + version + "' under HKEY_LOCAL_MACHINE" + Root + IDEName +
                        " is not a number");
      }
      const BDSVersionInfo* info = FindBDSVersion(*major);
      if (info == nullptr || !info->accepted) continue;
    } else if (version[0] <= '5') {
      continue;
    }
    if (!platform::RegKeyExists(RegRoot::CurrentUser, Root + KeyName + "\\" + version)) continue;
    // A target whose configuration could not be read is kept with its error,
    // to be shown and left out of the run.
    auto target = std::make_unique<TCompileTarget>(IDEName, version, KeyName, ctpWin32);
    if (target->IsValid() || !target->LoadError().empty()) FItems.push_back(std::move(target));
    if (bds && version.find('.') != std::string::npos && MajorOf(version).value_or(0) >= 9) {
      auto target64 = std::make_unique<TCompileTarget>(IDEName, version, KeyName, ctpWin64);
      if (target64->IsValid() || !target64->LoadError().empty()) FItems.push_back(std::move(target64));
    }
  }
}
