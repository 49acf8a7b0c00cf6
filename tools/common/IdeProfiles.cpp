#include "common/IdeProfiles.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <stdexcept>

#include "common/PeImage.h"
#include "platform/FileSystem.h"
#include "platform/Shell.h"
#include "platform/System.h"
#include "platform/Text.h"

namespace ideprofiles {

namespace {

using platform::RegRoot;
using Values = std::vector<std::pair<std::string, std::string>>;

enum class Family { Delphi, CBuilder, Bds };

struct Profile {
  const char* name;
  Family family;
  int ide;             // the major number of the registry version key ("23.0" gives 23)
  int product;         // the product version number: 7 for Delphi 7, 29 for RAD Studio 12
  const char* folder;  // the default installation folder below Program Files
  const char* title;   // the product name in version resources
  uint16_t build[4];   // the file version of the version's last update
};

constexpr Profile kProfiles[] = {
    {"delphi6", Family::Delphi, 6, 6, "Borland\\Delphi6", "Borland Delphi 6", {6, 0, 6, 240}},
    {"delphi7", Family::Delphi, 7, 7, "Borland\\Delphi7", "Borland Delphi 7", {7, 0, 8, 1}},
    {"bcb5", Family::CBuilder, 5, 5, "Borland\\CBuilder5", "Borland C++Builder 5", {5, 0, 12, 34}},
    {"bcb6", Family::CBuilder, 6, 6, "Borland\\CBuilder6", "Borland C++Builder 6", {6, 0, 10, 166}},
    {"bds3", Family::Bds, 3, 9, "Borland\\BDS\\3.0", "Borland Delphi 2005", {9, 0, 1882, 30496}},
    {"bds4", Family::Bds, 4, 10, "Borland\\BDS\\4.0", "Borland Developer Studio 2006", {10, 0, 2558, 35231}},
    {"bds5", Family::Bds, 5, 11, "CodeGear\\RAD Studio\\5.0", "CodeGear RAD Studio 2007", {11, 0, 2709, 7128}},
    {"bds6", Family::Bds, 6, 12, "CodeGear\\RAD Studio\\6.0", "CodeGear RAD Studio 2009", {12, 0, 3420, 21218}},
    {"bds7", Family::Bds, 7, 14, "Embarcadero\\RAD Studio\\7.0", "Embarcadero RAD Studio 2010", {14, 0, 3615, 26342}},
    {"bds8", Family::Bds, 8, 15, "Embarcadero\\RAD Studio\\8.0", "Embarcadero RAD Studio XE", {15, 0, 3953, 35171}},
    {"bds9", Family::Bds, 9, 16, "Embarcadero\\RAD Studio\\9.0", "Embarcadero RAD Studio XE2", {16, 0, 4504, 48759}},
    {"bds10", Family::Bds, 10, 17, "Embarcadero\\RAD Studio\\10.0", "Embarcadero RAD Studio XE3", {17, 0, 4770, 56661}},
    {"bds11", Family::Bds, 11, 18, "Embarcadero\\RAD Studio\\11.0", "Embarcadero RAD Studio XE4", {18, 0, 4905, 60485}},
    {"bds12", Family::Bds, 12, 19, "Embarcadero\\RAD Studio\\12.0", "Embarcadero RAD Studio XE5", {19, 0, 14356, 6604}},
    {"bds14", Family::Bds, 14, 20, "Embarcadero\\Studio\\14.0", "Embarcadero RAD Studio XE6", {20, 0, 15596, 9843}},
    {"bds15", Family::Bds, 15, 21, "Embarcadero\\Studio\\15.0", "Embarcadero RAD Studio XE7", {21, 0, 17017, 3725}},
    {"bds16", Family::Bds, 16, 22, "Embarcadero\\Studio\\16.0", "Embarcadero RAD Studio XE8", {22, 0, 19908, 869}},
    {"bds17",
     Family::Bds,
     17,
     23,
     "Embarcadero\\Studio\\17.0",
     "Embarcadero RAD Studio 10 Seattle",
     {23, 0, 20618, 2753}},
    {"bds18",
     Family::Bds,
     18,
     24,
     "Embarcadero\\Studio\\18.0",
     "Embarcadero RAD Studio 10.1 Berlin",
     {24, 0, 25048, 9432}},
    {"bds19",
     Family::Bds,
     19,
     25,
     "Embarcadero\\Studio\\19.0",
     "Embarcadero RAD Studio 10.2 Tokyo",
     {25, 0, 29899, 2631}},
    {"bds20",
     Family::Bds,
     20,
     26,
     "Embarcadero\\Studio\\20.0",
     "Embarcadero RAD Studio 10.3 Rio",
     {26, 0, 36039, 7899}},
    {"bds21",
     Family::Bds,
     21,
     27,
     "Embarcadero\\Studio\\21.0",
     "Embarcadero RAD Studio 10.4 Sydney",
     {27, 0, 40680, 4203}},
    {"bds22",
     Family::Bds,
     22,
     28,
     "Embarcadero\\Studio\\22.0",
     "Embarcadero RAD Studio 11 Alexandria",
     {28, 0, 48361, 3236}},
    {"bds23",
     Family::Bds,
     23,
     29,
     "Embarcadero\\Studio\\23.0",
     "Embarcadero RAD Studio 12 Athens",
     {29, 0, 51961, 7529}},
    {"bds37",
     Family::Bds,
     37,
     30,
     "Embarcadero\\Studio\\37.0",
     "Embarcadero RAD Studio 13 Florence",
     {37, 0, 60952, 8797}},
};

constexpr const char* kDelphiWin32 = "Delphi.Win32";
constexpr const char* kBcb = "BCB";

[[noreturn]] void Fail(const std::string& message) { throw std::runtime_error(message); }

bool IsBds(const Profile& p) { return p.family == Family::Bds; }

std::string Num(int n) { return std::to_string(n); }

std::string VersionKey(const Profile& p) { return Num(p.ide) + ".0"; }

std::string ProductKey(const Profile& p) {
  switch (p.family) {
    case Family::Delphi:
      return "Delphi";
    case Family::CBuilder:
      return "C++Builder";
    case Family::Bds:
      break;
  }
  return "BDS";
}

// The registry root of the IDE's keys.
std::string RegistryVendor(const Profile& p) {
  if (!IsBds(p) || p.ide < 6) return "Borland";
  return p.ide < 8 ? "CodeGear" : "Embarcadero";
}

// The maker's name in package descriptions and version resources.
std::string Brand(const Profile& p) {
  if (!IsBds(p) || p.ide < 5) return "Borland";
  return p.ide < 7 ? "CodeGear" : "Embarcadero";
}

std::string CompanyName(const Profile& p) {
  const std::string brand = Brand(p);
  if (brand == "Borland") return "Borland Software Corporation";
  return brand == "CodeGear" ? "CodeGear" : "Embarcadero Technologies";
}

std::string RootMacro(const Profile& p) {
  switch (p.family) {
    case Family::Delphi:
      return "$(DELPHI)";
    case Family::CBuilder:
      return "$(BCB)";
    case Family::Bds:
      break;
  }
  return "$(BDS)";
}

std::string BinName(const Profile& p) { return IsBds(p) ? "bin" : "Bin"; }

// The suffix of the IDE's own package files: the product number and "0",
// except RAD Studio 2007, which kept the packages of 2006 ("100"), and RAD
// Studio 13, which numbers them by its IDE version ("370").
std::string PackageSuffix(const Profile& p) {
  if (IsBds(p) && p.ide == 5) return "100";
  return Num((IsBds(p) && p.ide >= 37 ? p.ide : p.product) * 10);
}

// The number in the core package's name, bin\coreideNNN.bpl.
int CoreNumber(const Profile& p) {
  if (p.ide == 3) return 90;
  if (p.ide <= 5) return 100;
  if (p.ide == 6) return 120;
  if (p.ide <= 12) return p.ide * 10 + 70;
  if (p.ide >= 37) return p.ide * 10;
  return p.ide * 10 + 60;
}

bool HasPlatforms(const Profile& p) { return IsBds(p) && p.ide >= 9; }

// The platforms with a Library key of their own (RAD Studio XE2 and later).
std::vector<std::string> LibraryPlatforms(const Profile& p) {
  std::vector<std::string> platforms{"Win32", "Win64"};
  if (p.ide <= 20) platforms.push_back("OSX32");
  if (p.ide >= 19) platforms.push_back("Linux64");
  return platforms;
}

bool HasBde(const Profile& p, const std::string& platformName) { return platformName != "Win64" && p.product < 21; }

std::vector<std::string> ShippedPersonalities(const Profile& p) {
  if (!IsBds(p)) return {};
  if (p.ide == 3) return {kDelphiWin32, "Delphi.NET", "C#Builder"};
  if (p.ide == 4) return {kDelphiWin32, kBcb, "Delphi.NET", "C#Builder"};
  if (p.ide == 5) return {kDelphiWin32, kBcb, "Delphi.NET"};
  return {kDelphiWin32, kBcb};
}

std::string PersonalityDescription(const std::string& name) {
  if (name == kDelphiWin32) return "Delphi";
  if (name == kBcb) return "C++Builder";
  if (name == "Delphi.NET") return "Delphi for .NET";
  return "C#Builder";
}

bool Contains(const std::vector<std::string>& list, const std::string& item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

std::string Join(const std::string& folder, const std::string& name) { return folder + "\\" + name; }

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('\\');
  return slash == std::string::npos ? "" : path.substr(0, slash);
}

std::string VersionText(const uint16_t v[4]) { return Num(v[0]) + "." + Num(v[1]) + "." + Num(v[2]) + "." + Num(v[3]); }

const Profile* FindByName(const std::string& name) {
  for (const auto& p : kProfiles) {
    if (platform::SameTextAscii(name, p.name)) return &p;
  }
  return nullptr;
}

// "BDS\23.0", "Delphi/7.0", "C++Builder\6.0".
const Profile* FindByKey(const std::string& text) {
  const size_t slash = text.find_first_of("\\/");
  if (slash == std::string::npos) return nullptr;
  const std::string product = text.substr(0, slash);
  const std::string version = text.substr(slash + 1);
  for (const auto& p : kProfiles) {
    if (platform::SameTextAscii(product, ProductKey(p)) && version == VersionKey(p)) return &p;
  }
  return nullptr;
}

const Profile& FindProfile(const std::string& name) {
  const Profile* p = FindByName(name);
  if (p == nullptr) p = FindByKey(name);
  if (p != nullptr) return *p;
  std::string known;
  for (const auto& each : kProfiles) known += std::string(known.empty() ? "" : ", ") + each.name;
  Fail("unknown IDE profile \"" + name + "\"; known profiles: " + known);
}

// Everything an installation depends on, checked and with the defaults filled in.
struct Setup {
  std::string edition;
  std::vector<std::string> personalities;
  bool personal = false;
  std::string root;  // without a trailing backslash
  uint16_t core[4] = {0, 0, 0, 0};
  std::string coreText;
  std::string commonDir;
  std::string projectsDir;  // RAD Studio 2005 and 2006: the default projects folder
  std::string envOptions;
  // The folders above, as a known folder and the part below it whose parents
  // the vendor's IDEs share.
  std::vector<std::pair<std::string, std::string>> vendorFolders;
};

std::string KnownFolder(platform::KnownFolder folder, const char* what) {
  const std::string path = platform::KnownFolderPath(folder);
  if (path.empty()) Fail(std::string("the shell gives no ") + what + " folder");
  return path;
}

std::vector<std::string> Personalities(const Profile& p, const IdeOptions& options) {
  const auto shipped = ShippedPersonalities(p);
  if (options.personalities.empty()) return shipped;
  if (!IsBds(p)) Fail(std::string(p.name) + " has no personalities to choose");
  std::vector<std::string> chosen;
  for (const auto& name : options.personalities) {
    auto it = std::find_if(shipped.begin(), shipped.end(),
                           [&](const std::string& s) { return platform::SameTextAscii(s, name); });
    if (it == shipped.end()) {
      std::string list;
      for (const auto& s : shipped) list += std::string(list.empty() ? "" : ", ") + s;
      Fail(std::string(p.name) + " has no personality \"" + name + "\"; it ships " + list);
    }
    if (!Contains(chosen, *it)) chosen.push_back(*it);
  }
  return chosen;
}

bool ParseVersion(const std::string& text, uint16_t out[4]) {
  size_t pos = 0;
  for (int i = 0; i < 4; ++i) {
    if (i > 0) {
      if (pos >= text.size() || text[pos] != '.') return false;
      ++pos;
    }
    const size_t start = pos;
    uint32_t value = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && pos - start < 6) {
      value = value * 10 + static_cast<uint32_t>(text[pos] - '0');
      ++pos;
    }
    if (pos == start || value > 0xFFFF) return false;
    out[i] = static_cast<uint16_t>(value);
  }
  return pos == text.size();
}

std::string RootFolder(const Profile& p, const IdeOptions& options, Setup& s) {
  if (options.rootDir.empty()) {
    const std::string programFiles = KnownFolder(platform::KnownFolder::ProgramFiles, "Program Files");
    s.vendorFolders.emplace_back(programFiles, p.folder);
    return Join(programFiles, p.folder);
  }
  std::string root = options.rootDir;
  while (root.size() > 3 && root.back() == '\\') root.pop_back();
  const bool drive = root.size() > 3 && std::isalpha(static_cast<unsigned char>(root[0])) && root[1] == ':' &&
                     root[2] == '\\' && root[3] != '\\';
  if (!drive || root.find('/') != std::string::npos) {
    Fail("the IDE folder must be a full path below a drive, like D:\\IDE; not \"" + options.rootDir + "\"");
  }
  return root;
}

Setup Resolve(const Profile& p, const IdeOptions& options) {
  Setup s;
  s.edition = options.edition.empty() ? "Enterprise" : options.edition;
  if (IsBds(p) && p.ide >= 19 && s.edition.find_first_of("_-") != std::string::npos) {
    Fail("the edition of " + std::string(p.name) + " is part of a catalog element name and cannot hold \"_\" or \"-\"");
  }
  s.personal = platform::SameTextAscii(s.edition, "Personal");
  s.personalities = Personalities(p, options);
  if (!options.userKeyName.empty() && options.userKeyName.find('\\') != std::string::npos) {
    Fail("the user key name \"" + options.userKeyName + "\" cannot hold \"\\\"");
  }
  if (options.updatePack < 0 || (!IsBds(p) && options.updatePack > 10)) {
    Fail("the update number of " + std::string(p.name) + " must be " + (IsBds(p) ? "0 or more" : "0 to 10"));
  }
  if (options.rtlPatch != 0 && (IsBds(p) || options.rtlPatch < 0 || options.rtlPatch > 10)) {
    Fail(IsBds(p) ? std::string(p.name) + " has no RTL patches" : "the RTL patch number must be 0 to 10");
  }
  if (options.coreVersion.empty()) {
    std::copy(p.build, p.build + 4, s.core);
  } else if (!ParseVersion(options.coreVersion, s.core)) {
    Fail("the core version must be four numbers a.b.c.d up to 65535; not \"" + options.coreVersion + "\"");
  }
  s.coreText = VersionText(s.core);
  s.root = RootFolder(p, options, s);
  if (IsBds(p) && p.ide >= 5) {
    const std::string docs = KnownFolder(platform::KnownFolder::CommonDocuments, "Public Documents");
    const std::string common = (p.ide < 14 ? "RAD Studio\\" : "Embarcadero\\Studio\\") + VersionKey(p);
    s.commonDir = Join(docs, common);
    const std::string appData = KnownFolder(platform::KnownFolder::RoamingAppData, "roaming application data");
    const std::string maker = p.ide >= 8 ? "Embarcadero" : (p.ide >= 6 ? "CodeGear" : "Borland");
    const std::string settings = maker + "\\BDS\\" + VersionKey(p);
    s.envOptions = Join(appData, settings + "\\EnvOptions.proj");
    s.vendorFolders.emplace_back(docs, common);
    s.vendorFolders.emplace_back(appData, settings);
  } else if (IsBds(p)) {
    const std::string documents = KnownFolder(platform::KnownFolder::Documents, "Documents");
    s.projectsDir = Join(documents, "Borland Studio Projects");
    s.vendorFolders.emplace_back(documents, "Borland Studio Projects\\Bpl");
  }
  return s;
}

// ---- Paths as the IDE writes them -------------------------------------------

struct LibraryPaths {
  std::string search;
  std::string browsing;
  std::string debugDcu;
  std::string dplOutput;
  std::string dcpOutput;
  std::string packageSearch;
};

struct CppPaths {
  std::string include;
  std::string browsing;
  std::string library;
};

std::string BrowsingPath(const Profile& p) {
  const std::string r = RootMacro(p);
  if (p.family == Family::Delphi) {
    return r + "\\source\\vcl;" + r + "\\source\\rtl\\common;" + r + "\\source\\rtl\\sys;" + r + "\\source\\rtl\\win;" +
           r + "\\source\\Internet;" + r + "\\source\\Property Editors;" + r + "\\source\\soap;" + r + "\\source\\xml";
  }
  if (p.family == Family::CBuilder) {
    return r + "\\Source\\vcl;" + r + "\\Source\\rtl\\common;" + r + "\\Source\\rtl\\sys;" + r + "\\Source\\rtl\\win;" +
           r + "\\Source\\Property Editors";
  }
  if (p.ide <= 5) {
    return "$(BDS)\\source\\Win32\\vcl;$(BDS)\\source\\Win32\\rtl\\common;$(BDS)\\source\\Win32\\rtl\\sys;"
           "$(BDS)\\source\\Win32\\rtl\\win;$(BDS)\\source\\Win32\\Internet;$(BDS)\\source\\Win32\\soap;"
           "$(BDS)\\source\\Win32\\xml;$(BDS)\\source\\Win32\\Property Editors";
  }
  std::string path =
      "$(BDS)\\OCX\\Servers;$(BDS)\\SOURCE\\VCL;$(BDS)\\source\\rtl\\common;$(BDS)\\SOURCE\\RTL\\SYS;"
      "$(BDS)\\source\\rtl\\win;$(BDS)\\source\\ToolsAPI;$(BDS)\\SOURCE\\IBX;$(BDS)\\source\\Internet;"
      "$(BDS)\\SOURCE\\PROPERTY EDITORS;$(BDS)\\source\\soap;$(BDS)\\SOURCE\\XML;$(BDS)\\source\\Indy10\\Core;"
      "$(BDS)\\source\\Indy10\\System;$(BDS)\\source\\Indy10\\Protocols";
  if (p.ide >= 9) {
    path += ";$(BDS)\\source\\fmx;$(BDS)\\source\\databinding\\components;$(BDS)\\source\\databinding\\engine";
  }
  if (p.product >= 19) path += ";$(BDS)\\source\\data\\firedac";
  return path;
}

// The Library values; `platformName` is "" before XE2.
LibraryPaths LibraryFor(const Profile& p, const std::string& platformName) {
  LibraryPaths l;
  const std::string r = RootMacro(p);
  l.browsing = BrowsingPath(p);
  if (p.family == Family::Delphi) {
    l.search = r + "\\Lib;" + r + "\\Bin;" + r + "\\Imports;" + r + "\\Projects\\Bpl";
    if (p.ide == 7) l.search += ";" + r + "\\Rave5\\Lib";
    l.dplOutput = l.dcpOutput = r + "\\Projects\\Bpl";
    return l;
  }
  if (p.family == Family::CBuilder) {
    l.search = r + "\\Lib;" + r + "\\Lib\\Obj;" + r + "\\Bin;" + r + "\\Imports;" + r + "\\Projects\\Bpl;" + r +
               "\\Include;" + r + "\\Include\\Vcl";
    l.dplOutput = r + "\\Projects\\Bpl";
    l.dcpOutput = r + "\\Projects\\Lib";
    return l;
  }
  if (p.ide <= 4) {
    l.search = "$(BDS)\\lib;$(BDS)\\Imports;$(BDS)\\Lib\\Indy10";
    if (p.ide == 4) l.search += ";$(BDS)\\RaveReports\\Lib";
    l.dplOutput = l.dcpOutput = l.packageSearch = "$(BDSPROJECTSDIR)\\Bpl";
    l.debugDcu = "$(BDS)\\lib\\Debug";
    return l;
  }
  const std::string sub = platformName.empty() || platformName == "Win32" ? "" : "\\" + platformName;
  l.dplOutput = l.packageSearch = "$(BDSCOMMONDIR)\\Bpl" + sub;
  l.dcpOutput = "$(BDSCOMMONDIR)\\Dcp" + sub;
  if (p.ide == 5) {
    l.search =
        "$(BDS)\\lib;$(BDS)\\Imports;$(BDS)\\Lib\\Indy10;$(BDSCOMMONDIR)\\Dcp;$(BDS)\\include;"
        "$(BDS)\\RaveReports\\Lib";
    l.debugDcu = "$(BDS)\\lib\\Debug";
  } else if (p.ide <= 7) {
    l.search =
        "$(BDS)\\lib;$(BDSUSERDIR)\\Imports;$(BDS)\\Imports;$(BDSCOMMONDIR)\\Dcp;$(BDS)\\include;"
        "$(BDS)\\RaveReports\\Lib";
    l.debugDcu = "$(BDS)\\lib\\Debug";
  } else if (p.ide == 8) {
    l.search =
        "$(BDSLIB)\\win32\\release;$(BDSUSERDIR)\\Imports;$(BDS)\\Imports;$(BDSCOMMONDIR)\\Dcp;"
        "$(BDS)\\include;$(BDS)\\RaveReports\\Lib";
    l.debugDcu = "$(BDSLIB)\\win32\\debug";
  } else {
    l.search = std::string("$(BDSLIB)\\$(Platform)\\release;$(BDSUSERDIR)\\Imports;$(BDS)\\Imports;") +
               "$(BDSCOMMONDIR)\\Dcp" + (sub.empty() ? "" : "\\$(Platform)") + ";$(BDS)\\include";
    l.debugDcu = "$(BDSLIB)\\$(Platform)\\debug";
  }
  return l;
}

// The platforms with C++ paths: "" for the one set before XE2; none without C++Builder.
std::vector<std::string> CppPlatforms(const Profile& p, const Setup& s) {
  if (!IsBds(p) || !Contains(s.personalities, kBcb)) return {};
  if (p.ide < 9) return {""};
  if (p.ide < 11) return {"Win32"};
  return {"Win32", "Win64"};
}

CppPaths CppFor(const Profile& p, const std::string& platformName) {
  CppPaths c;
  if (p.ide <= 5) {
    c.include = "$(BDS)\\include;$(BDS)\\include\\dinkumware;$(BDS)\\include\\vcl";
    c.browsing = "$(BDS)\\source\\vcl;$(BDS)\\include;$(BDS)\\include\\vcl;$(BDS)\\include\\dinkumware";
    c.library = "$(BDS)\\lib;$(BDS)\\lib\\obj;$(BDS)\\lib\\psdk";
  } else if (p.ide <= 8) {
    c.include = "$(BDS)\\include;$(BDS)\\include\\dinkumware;$(BDS)\\include\\vcl;$(BDSCOMMONDIR)\\hpp";
    c.browsing =
        "$(BDS)\\source\\cpprtl\\Source\\misc;$(BDS)\\source\\cpprtl\\Source\\except;$(BDS)\\source\\vcl;"
        "$(BDS)\\include;$(BDS)\\include\\vcl";
    c.library = p.ide == 8 ? "$(BDSLIB)\\win32\\release;$(BDS)\\lib\\win32\\release\\psdk;$(BDSCOMMONDIR)\\Dcp"
                           : "$(BDS)\\lib;$(BDS)\\lib\\obj;$(BDS)\\lib\\psdk;$(BDSCOMMONDIR)\\Dcp";
  } else {
    const bool win64 = platformName == "Win64";
    c.include = std::string("$(BDSINCLUDE)\\windows\\vcl;$(BDSINCLUDE)\\windows\\rtl;$(BDSINCLUDE)\\windows\\fmx;") +
                "$(BDSINCLUDE)\\windows\\crtl;$(BDSINCLUDE)\\windows\\sdk;$(BDSINCLUDE)\\dinkumware" +
                (win64 ? "64" : "") + ";$(BDSCOMMONDIR)\\hpp" + (win64 ? "\\$(Platform)" : "");
    c.browsing =
        "$(BDS)\\source\\cpprtl\\Source\\misc;$(BDS)\\source\\vcl;$(BDS)\\source\\rtl\\common;"
        "$(BDS)\\source\\fmx";
    c.library = std::string("$(BDSLIB)\\$(Platform)\\release;$(BDSLIB)\\$(Platform)\\release\\psdk;") +
                "$(BDSCOMMONDIR)\\Dcp" + (win64 ? "\\$(Platform)" : "");
  }
  return c;
}

// ---- Packages -----------------------------------------------------------------

struct Package {
  std::string base;  // "dcldb": the file is dcldbNNN.bpl
  std::string description;
};

std::vector<Package> IdePackages(const Profile& p, const Setup& s) {
  if (p.family == Family::Delphi) {
    return {{"delphivclide", "Delphi VCL Designer IDE Package"}, {"delphicoreide", "Delphi Core IDE Package"}};
  }
  if (p.family == Family::CBuilder) {
    return {{"bcbide", "C++Builder IDE Package"}, {"bcbvclide", "C++Builder VCL Designer IDE Package"}};
  }
  std::vector<Package> list;
  for (const auto& personality : s.personalities) {
    if (personality == kDelphiWin32) {
      list.push_back({"delphicoreide", "Delphi Win32 IDE Personality"});
      list.push_back({"delphivclide", "Delphi VCL Designer IDE Package"});
    } else if (personality == kBcb) {
      list.push_back({"bcbide", "C++Builder IDE Personality"});
    } else if (personality == "Delphi.NET") {
      list.push_back({"delphidotnetcoreide", "Delphi .NET IDE Personality"});
    } else {
      list.push_back({"csharpcoreide", "C# IDE Personality"});
    }
  }
  return list;
}

std::vector<Package> KnownPackages(const Profile& p, const Setup& s) {
  std::vector<Package> list{{"dclstd", "Standard Components"}};
  if (!s.personal) {
    list.push_back({"dcldb", "Database Components"});
    list.push_back({"dclado", "ADO DB Components"});
    if (HasBde(p, "Win32")) list.push_back({"dclbde", "BDE DB Components"});
    if (p.product >= 6) list.push_back({"dcldbx", "dbExpress Components"});
    list.push_back({"dclib", "InterBase Express Components"});
    if (p.product >= 19) list.push_back({"dclFireDAC", "FireDAC Components"});
  }
  list.push_back({"dclsmp", "Sample Components"});
  return list;
}

std::vector<Package> DisabledPackages(const Profile& p) {
  if (!IsBds(p)) return {};
  return {{"dclsmp", "Sample Components"}};
}

std::string PackageFile(const Profile& p, const Package& package) { return package.base + PackageSuffix(p) + ".bpl"; }

Values PackageValues(const Profile& p, const std::vector<Package>& packages) {
  Values values;
  for (const auto& package : packages) {
    values.emplace_back(RootMacro(p) + "\\" + BinName(p) + "\\" + PackageFile(p, package),
                        Brand(p) + " " + package.description);
  }
  return values;
}

// The compiled packages in the IDE's library folders, for the compiler to find.
std::vector<std::string> DcpNames(const Profile& p, const Setup& s, const std::string& platformName) {
  std::vector<std::string> names{"rtl", "vcl", "vclx", "vclimg", "vclactnband"};
  if (platformName != "Win64") names.push_back("designide");
  if (!s.personal) {
    for (const char* name : {"dbrtl", "vcldb", "adortl", "dbexpress"}) names.push_back(name);
    if (HasBde(p, platformName)) names.push_back("bdertl");
  }
  // Before version 6 the compiled packages carried the version in their names.
  if (p.product < 6) {
    for (auto& name : names) name += Num(p.product * 10);
  }
  for (auto& name : names) name += ".dcp";
  return names;
}

std::vector<std::string> ToolNames(const Profile& p, const Setup& s) {
  std::vector<std::string> tools{"dcc32"};
  if (HasPlatforms(p)) tools.push_back("dcc64");
  if (p.family == Family::CBuilder) {
    for (const char* tool : {"bpr2mak", "make", "tlib"}) tools.push_back(tool);
  } else if (Contains(s.personalities, kBcb)) {
    for (const char* tool : {"make", "tlib"}) tools.push_back(tool);
  }
  return tools;
}

// ---- Files --------------------------------------------------------------------

std::string PeFile(const Profile& p, const uint16_t version[4], const std::string& fileName,
                   const std::string& description, bool dll) {
  const std::string text = VersionText(version);
  peimage::VersionInfo info{{version[0], version[1], version[2], version[3]},
                            {version[0], version[1], version[2], version[3]},
                            {{"CompanyName", CompanyName(p)},
                             {"FileDescription", description},
                             {"FileVersion", text},
                             {"InternalName", fileName.substr(0, fileName.rfind('.'))},
                             {"OriginalFilename", fileName},
                             {"ProductName", p.title},
                             {"ProductVersion", text}}};
  const auto image = peimage::BuildPeImage(info, dll);
  return std::string(image.begin(), image.end());
}

std::string XmlText(const std::string& text) {
  std::string out;
  for (const char c : text) {
    if (c == '&') {
      out += "&amp;";
    } else if (c == '<') {
      out += "&lt;";
    } else if (c == '>') {
      out += "&gt;";
    } else {
      out += c;
    }
  }
  return out;
}

std::string XmlElement(const std::string& name, const std::string& text) {
  return "    <" + name + ">" + XmlText(text) + "</" + name + ">\r\n";
}

// The path elements of one property group; `prefix` is "Win32" before XE and
// "Delphi" from XE on.
std::string PathElements(const std::string& prefix, const LibraryPaths& l, const CppPaths* cpp, bool translated) {
  std::string out = XmlElement(prefix + "LibraryPath", l.search);
  if (translated) out += XmlElement("DelphiTranslatedLibraryPath", "$(BDSLIB)\\$(Platform)\\release\\$(LANGDIR)");
  out += XmlElement(prefix + "BrowsingPath", l.browsing);
  out += XmlElement(prefix + "DebugDCUPath", l.debugDcu);
  out += XmlElement(prefix + "DLLOutputPath", l.dplOutput);
  out += XmlElement(prefix + "DCPOutput", l.dcpOutput);
  if (cpp != nullptr) {
    out += XmlElement("CBuilderIncludePath", cpp->include);
    out += XmlElement("CBuilderLibraryPath", cpp->library);
    out += XmlElement("CBuilderBrowsingPath", cpp->browsing);
    out += XmlElement("CBuilderBPLOutputPath", l.dplOutput);
  }
  return out;
}

std::string EnvOptionsText(const Profile& p, const Setup& s) {
  const auto cppPlatforms = CppPlatforms(p, s);
  std::string text =
      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"
      "<Project xmlns=\"http://schemas.microsoft.com/developer/msbuild/2003\">\r\n"
      "  <PropertyGroup>\r\n";
  if (!HasPlatforms(p)) {
    // One group holds everything.
    const CppPaths cpp = CppFor(p, "");
    text +=
        PathElements(p.ide >= 8 ? "Delphi" : "Win32", LibraryFor(p, ""), cppPlatforms.empty() ? nullptr : &cpp, false);
    return text + "  </PropertyGroup>\r\n</Project>\r\n";
  }
  // A general group, then one group per platform.
  text += XmlElement("BDSAppDataBaseDir", "BDS");
  text += XmlElement("AutoSaveEditorFiles", "False");
  text += "  </PropertyGroup>\r\n";
  for (const auto& platformName : LibraryPlatforms(p)) {
    const CppPaths cpp = CppFor(p, platformName);
    text += "  <PropertyGroup Condition=\"'$(Platform)'=='" + platformName + "'\">\r\n";
    text += PathElements("Delphi", LibraryFor(p, platformName), Contains(cppPlatforms, platformName) ? &cpp : nullptr,
                         true);
    text += "  </PropertyGroup>\r\n";
  }
  return text + "</Project>\r\n";
}

std::string RsvarsText(const Profile& p, const Setup& s) {
  std::string windows = FolderOf(platform::SystemDirectory());
  if (windows.empty()) windows = "C:\\Windows";
  std::string framework = "v2.0.50727";
  std::string frameworkVersion = "v2.0.50727";
  if (p.ide >= 17) {
    framework = "v4.0.30319";
    frameworkVersion = "v4.5";
  } else if (p.ide >= 8) {
    framework = frameworkVersion = "v3.5";
  }
  std::string text = "@SET BDS=" + s.root + "\r\n";
  if (p.ide >= 6) text += "@SET BDSINCLUDE=%BDS%\\include\r\n";
  text += "@SET BDSCOMMONDIR=" + s.commonDir + "\r\n";
  text += "@SET FrameworkDir=" + windows + "\\Microsoft.NET\\Framework\\" + framework + "\r\n";
  text += "@SET FrameworkVersion=" + frameworkVersion + "\r\n";
  text += "@SET FrameworkSDKDir=\r\n";
  text += "@SET PATH=%FrameworkDir%;%FrameworkSDKDir%;" + s.root + "\\bin;";
  if (HasPlatforms(p)) text += s.root + "\\bin64;";
  text += "%PATH%\r\n@SET LANGDIR=EN\r\n";
  if (HasPlatforms(p)) text += "@SET PLATFORM=\r\n@SET PlatformSDK=\r\n";
  return text;
}

// ---- Writing, with a record of what was created ---------------------------------

std::string KeyName(RegRoot root, const std::string& path) {
  return (root == RegRoot::LocalMachine ? "HKEY_LOCAL_MACHINE\\" : "HKEY_CURRENT_USER\\") + path;
}

// ": " and the system's text for the last platform error.
std::string Why() {
  const uint32_t code = platform::LastErrorCode();
  std::string text = platform::SystemErrorText(code);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
  return text.empty() ? ": error " + Num(static_cast<int>(code)) : ": " + text;
}

bool IsAtOrBelow(const std::string& key, const std::string& top) {
  if (key.size() < top.size() || !platform::SameTextAscii(key.substr(0, top.size()), top)) return false;
  return key.size() == top.size() || key[top.size()] == '\\';
}

class Writer {
 public:
  explicit Writer(InstalledIde& ide) : ide_(ide) {}

  void Key(RegRoot root, const std::string& path, const Values& values) {
    // Note each key on the path that is not there yet, from the top down.
    for (size_t end = path.find('\\');; end = path.find('\\', end + 1)) {
      const std::string prefix = path.substr(0, end);
      if (!platform::RegKeyExists(root, prefix)) ide_.createdKeys.emplace_back(root, prefix);
      if (end == std::string::npos) break;
    }
    platform::RegistryKey key;
    if (!key.OpenWrite(root, path, true)) Fail("cannot create the registry key " + KeyName(root, path));
    for (const auto& [name, value] : values) {
      if (!key.WriteString(name, value)) {
        Fail("cannot write the value \"" + name + "\" of " + KeyName(root, path));
      }
    }
  }

  // A folder with every missing parent; `path` is a full path below a drive.
  void Folder(const std::string& path) {
    for (size_t end = path.find('\\', path.find('\\') + 1);; end = path.find('\\', end + 1)) {
      const std::string prefix = path.substr(0, end);
      if (!platform::DirectoryExists(prefix)) {
        if (!platform::MakeDirectory(prefix)) Fail("cannot create the folder " + prefix + Why());
        ide_.createdDirs.push_back(prefix);
      }
      if (end == std::string::npos) break;
    }
  }

  void File(const std::string& path, const std::string& bytes) {
    Prepare(path);
    if (!platform::WriteFileBytes(path, bytes)) Fail("cannot write " + path + Why());
    ide_.createdFiles.push_back(path);
  }

  void Copy(const std::string& from, const std::string& to) {
    Prepare(to);
    if (!platform::CopyFileTo(from, to, true)) Fail("cannot copy " + from + " to " + to + Why());
    ide_.createdFiles.push_back(to);
  }

 private:
  void Prepare(const std::string& path) {
    Folder(FolderOf(path));
    if (platform::FileExists(path) || platform::DirectoryExists(path)) Fail(path + " already exists");
  }

  InstalledIde& ide_;
};

void WriteMachineKey(const Profile& p, const Setup& s, const IdeOptions& options, const InstalledIde& ide, Writer& w) {
  Values values{{"App", ide.executable}, {"RootDir", ide.rootDir}};
  if (IsBds(p)) {
    values.emplace_back("ProductVersion", s.coreText);
    if (p.ide < 19) values.emplace_back("Edition", s.edition);
    if (options.updatePack > 0) values.emplace_back("UpdatePackInstalled", Num(options.updatePack));
  } else {
    values.emplace_back("Version", s.edition);
    for (int i = 1; i <= options.updatePack; ++i) values.emplace_back("Update #" + Num(i), Num(i));
    for (int i = 1; i <= options.rtlPatch; ++i) {
      values.emplace_back(i == 1 ? std::string("Pascal RTL Patch") : "Pascal RTL Patch #" + Num(i), Num(i));
    }
  }
  w.Key(RegRoot::LocalMachine, ide.hklmKey, values);
  if (!IsBds(p) || p.ide < 19) return;
  // The installer's catalog; the element of the common files names the edition.
  const std::string tail = "-" + VersionKey(p);
  std::vector<std::string> elements{"Core_Common_Files_Android_Support" + tail, "Core_Common_Files_" + s.edition + tail,
                                    "Help_English" + tail, "Samples" + tail};
  if (Contains(s.personalities, kDelphiWin32)) elements.push_back("Delphi_Windows_Personality" + tail);
  if (Contains(s.personalities, kBcb)) elements.push_back("CBuilder_Windows_Personality" + tail);
  for (const auto& element : elements) {
    w.Key(RegRoot::LocalMachine, ide.hklmKey + "\\CatalogRepository\\Elements\\" + element,
          {{"Version", VersionKey(p)}, {"Installed", "1"}});
  }
}

Values LibraryValues(const Profile& p, const LibraryPaths& l) {
  Values values{{"Search Path", l.search}, {"Browsing Path", l.browsing}};
  if (IsBds(p)) values.emplace_back("Debug DCU Path", l.debugDcu);
  values.emplace_back("Package DPL Output", l.dplOutput);
  values.emplace_back("Package DCP Output", l.dcpOutput);
  if (IsBds(p)) values.emplace_back("Package Search Path", l.packageSearch);
  return values;
}

void WriteUserKey(const Profile& p, const Setup& s, const IdeOptions& options, const InstalledIde& ide, Writer& w) {
  const std::string& u = ide.userKey;
  const RegRoot hkcu = RegRoot::CurrentUser;
  if (HasPlatforms(p)) {
    w.Key(hkcu, u + "\\Library", {});
    for (const auto& platformName : LibraryPlatforms(p)) {
      w.Key(hkcu, u + "\\Library\\" + platformName, LibraryValues(p, LibraryFor(p, platformName)));
    }
  } else {
    w.Key(hkcu, u + "\\Library", LibraryValues(p, LibraryFor(p, "")));
  }
  if (!IsBds(p)) w.Key(hkcu, u + "\\Debugging", {{"Debug DCUs Path", RootMacro(p) + "\\Lib\\Debug"}});
  w.Key(hkcu, u + "\\Known IDE Packages", PackageValues(p, IdePackages(p, s)));
  w.Key(hkcu, u + "\\Known Packages", PackageValues(p, KnownPackages(p, s)));
  w.Key(hkcu, u + "\\Disabled Packages", PackageValues(p, DisabledPackages(p)));
  w.Key(hkcu, u + "\\Environment Variables", {});
  if (!IsBds(p)) return;

  Values personalities;
  for (const auto& name : s.personalities) personalities.emplace_back(name, PersonalityDescription(name));
  w.Key(hkcu, u + "\\Personalities", personalities);
  Values globals;
  if (p.ide >= 5) globals.emplace_back("ForceEnvOptionsUpdate", options.forceEnvOptionsUpdate ? "1" : "0");
  w.Key(hkcu, u + "\\Globals", globals);
  for (const auto& platformName : CppPlatforms(p, s)) {
    const CppPaths c = CppFor(p, platformName);
    std::string key = u + (p.ide <= 5 ? "\\CppPaths" : "\\C++\\Paths");
    if (!platformName.empty()) key += "\\" + platformName;
    w.Key(hkcu, key, {{"IncludePath", c.include}, {"BrowsingPath", c.browsing}, {"LibraryPath", c.library}});
  }
}

void WriteFiles(const Profile& p, const Setup& s, const IdeOptions& options, InstalledIde& ide, Writer& w) {
  const std::string bin = Join(s.root, BinName(p));
  const std::string exeName = ide.executable.substr(bin.size() + 1);
  w.File(ide.executable, PeFile(p, s.core, exeName, p.title, false));
  if (IsBds(p)) {
    ide.corePackage = Join(bin, "coreide" + Num(CoreNumber(p)) + ".bpl");
    w.File(ide.corePackage, PeFile(p, s.core, "coreide" + Num(CoreNumber(p)) + ".bpl", "Core IDE Package", true));
  }
  std::vector<Package> packages = IdePackages(p, s);
  for (const auto& package : KnownPackages(p, s)) packages.push_back(package);
  for (const auto& package : packages) {
    const std::string file = PackageFile(p, package);
    w.File(Join(bin, file), PeFile(p, s.core, file, Brand(p) + " " + package.description, true));
  }

  // The compiled packages the compilers look for.
  std::vector<std::pair<std::string, std::string>> libs;  // folder, platform
  if (p.ide >= 9 && IsBds(p)) {
    libs = {{Join(s.root, "lib\\win32\\release"), "Win32"}, {Join(s.root, "lib\\win64\\release"), "Win64"}};
  } else if (p.ide == 8 && IsBds(p)) {
    libs = {{Join(s.root, "lib\\win32\\release"), "Win32"}};
  } else {
    libs = {{Join(s.root, IsBds(p) ? "lib" : "Lib"), "Win32"}};
  }
  for (const auto& [folder, platformName] : libs) {
    for (const auto& dcp : DcpNames(p, s, platformName)) {
      w.File(Join(folder, dcp), Brand(p) + " compiled package " + dcp + "\r\n");
    }
  }

  if (options.commandLineCompiler) {
    for (const auto& tool : ToolNames(p, s)) {
      const std::string target = Join(bin, tool + ".exe");
      std::string source;
      if (!options.toolsDir.empty()) {
        for (const std::string& name : {tool + ".exe", tool}) {
          if (source.empty() && platform::FileExists(Join(options.toolsDir, name)))
            source = Join(options.toolsDir, name);
        }
      }
      if (source.empty()) {
        w.File(target, PeFile(p, s.core, tool + ".exe", "placeholder of " + tool, false));
      } else {
        w.Copy(source, target);
      }
      ide.tools.push_back(target);
    }
  }

  // Output folders the installer creates.
  if (!IsBds(p)) {
    w.Folder(Join(s.root, "Projects\\Bpl"));
    if (p.family == Family::CBuilder) w.Folder(Join(s.root, "Projects\\Lib"));
  } else if (!s.projectsDir.empty()) {
    w.Folder(Join(s.projectsDir, "Bpl"));
  } else {
    for (const char* sub : {"Bpl", "Dcp"}) {
      w.Folder(Join(s.commonDir, sub));
      if (HasPlatforms(p)) w.Folder(Join(s.commonDir, std::string(sub) + "\\Win64"));
    }
  }

  // The VCL header folder of a C++Builder installation.
  if (p.family == Family::CBuilder || (IsBds(p) && Contains(s.personalities, kBcb))) {
    w.Folder(Join(s.root, "Include\\Vcl"));
  }

  if (IsBds(p) && p.ide >= 5) {
    // A batch file is in the system's ANSI code page.
    w.File(Join(bin, "rsvars.bat"), platform::Utf8ToAnsi(RsvarsText(p, s)));
    w.File(ide.envOptionsPath, EnvOptionsText(p, s));
  }
}

void AddSharedDirs(InstalledIde& ide, const std::string& base, const std::string& relative) {
  for (size_t end = relative.rfind('\\'); end != std::string::npos && end > 0; end = relative.rfind('\\', end - 1)) {
    ide.sharedDirs.push_back(Join(base, relative.substr(0, end)));
  }
}

bool IsEmptyKey(RegRoot root, const std::string& path) {
  platform::RegistryKey key;
  return key.OpenRead(root, path) && key.SubKeyNames().empty() && key.ValueNames().empty();
}

}  // namespace

std::vector<std::string> ProfileNames() {
  std::vector<std::string> names;
  for (const auto& p : kProfiles) names.emplace_back(p.name);
  return names;
}

InstalledIde InstallIde(const std::string& profile, const IdeOptions& options) {
  const Profile& p = FindProfile(profile);
  const Setup s = Resolve(p, options);
  InstalledIde ide;
  ide.profile = p.name;
  ide.rootDir = s.root + "\\";
  const std::string exe = p.family == Family::Delphi ? "delphi32.exe" : (IsBds(p) ? "bds.exe" : "bcb.exe");
  ide.executable = Join(Join(s.root, BinName(p)), exe);
  const std::string vendor = "Software\\" + RegistryVendor(p) + "\\";
  ide.hklmKey = vendor + ProductKey(p) + "\\" + VersionKey(p);
  ide.userKey = vendor + (options.userKeyName.empty() ? ProductKey(p) : options.userKeyName) + "\\" + VersionKey(p);
  ide.envOptionsPath = s.envOptions;
  ide.commonDir = s.commonDir;
  for (const auto& [base, relative] : s.vendorFolders) AddSharedDirs(ide, base, relative);
  for (const RegRoot root : {RegRoot::LocalMachine, RegRoot::CurrentUser}) {
    const std::string& key = root == RegRoot::LocalMachine ? ide.hklmKey : ide.userKey;
    ide.sharedKeys.emplace_back(root, FolderOf(key));
    ide.sharedKeys.emplace_back(root, FolderOf(FolderOf(key)));
  }
  if (platform::RegKeyExists(RegRoot::LocalMachine, ide.hklmKey)) {
    Fail(std::string(p.name) + " is already installed: " + KeyName(RegRoot::LocalMachine, ide.hklmKey) + " exists");
  }
  if (platform::RegKeyExists(RegRoot::CurrentUser, ide.userKey)) {
    Fail(std::string(p.name) + " is already installed: " + KeyName(RegRoot::CurrentUser, ide.userKey) + " exists");
  }
  Writer w(ide);
  try {
    WriteMachineKey(p, s, options, ide, w);
    WriteUserKey(p, s, options, ide, w);
    WriteFiles(p, s, options, ide, w);
  } catch (...) {
    UninstallIde(ide);
    throw;
  }
  return ide;
}

void UninstallIde(const InstalledIde& ide) {
  for (auto it = ide.createdFiles.rbegin(); it != ide.createdFiles.rend(); ++it) platform::RemoveFile(*it);
  for (auto it = ide.createdDirs.rbegin(); it != ide.createdDirs.rend(); ++it) platform::RemoveEmptyDirectory(*it);
  // The IDE's own keys go with whatever was added to them; the keys above them
  // only when nothing else has come to live there.
  for (auto it = ide.createdKeys.rbegin(); it != ide.createdKeys.rend(); ++it) {
    const auto& [root, key] = *it;
    const bool own = IsAtOrBelow(key, root == RegRoot::LocalMachine ? ide.hklmKey : ide.userKey);
    if (own || IsEmptyKey(root, key)) platform::RegDeleteKeyTree(root, key);
  }
  for (const auto& dir : ide.sharedDirs) platform::RemoveEmptyDirectory(dir);
  for (const auto& [root, key] : ide.sharedKeys) {
    if (IsEmptyKey(root, key)) platform::RegDeleteKeyTree(root, key);
  }
}

}  // namespace ideprofiles
