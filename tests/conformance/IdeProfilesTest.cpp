// Simulated IDE installations, on the machine of the test: on simwin a fresh
// simulated machine, on win32 the real registry and disk, so every test
// removes what it installed.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "TestMachine.h"
#include "common/IdeProfiles.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/System.h"
#include "platform/Text.h"

using namespace platform;
using ideprofiles::IdeOptions;
using ideprofiles::InstalledIde;
using ideprofiles::InstallIde;

namespace {

// Removes the IDE when the test ends, also when it fails half-way.
class Installed {
 public:
  Installed(const std::string& profile, const IdeOptions& options = {}) : ide_(InstallIde(profile, options)) {}
  ~Installed() { ideprofiles::UninstallIde(ide_); }
  Installed(const Installed&) = delete;
  Installed& operator=(const Installed&) = delete;
  const InstalledIde* operator->() const { return &ide_; }
  const InstalledIde& operator*() const { return ide_; }

 private:
  InstalledIde ide_;
};

std::optional<std::string> ReadValue(RegRoot root, const std::string& key, const std::string& name) {
  RegistryKey k;
  if (!k.OpenRead(root, key)) return std::nullopt;
  return k.ReadString(name);
}

std::vector<std::string> ValueNamesOf(RegRoot root, const std::string& key) {
  RegistryKey k;
  if (!k.OpenRead(root, key)) return {};
  return k.ValueNames();
}

bool HasName(const std::vector<std::string>& names, const std::string& name) {
  for (const auto& n : names) {
    if (SameTextAscii(n, name)) return true;
  }
  return false;
}

std::string ReadText(const std::string& path) { return ReadFileBytes(path).value_or(""); }

// The inside of <PropertyGroup ...> with the given attribute text ("" for the
// first group without attributes); "" when there is none.
std::string Group(const std::string& xml, const std::string& attributes) {
  const std::string open = "<PropertyGroup" + attributes + ">";
  const size_t start = xml.find(open);
  if (start == std::string::npos) return "";
  const size_t end = xml.find("</PropertyGroup>", start);
  return xml.substr(start + open.size(), end - start - open.size());
}

std::optional<std::string> Element(const std::string& group, const std::string& name) {
  const size_t start = group.find("<" + name + ">");
  if (start == std::string::npos) return std::nullopt;
  const size_t from = start + name.size() + 2;
  return group.substr(from, group.find("</" + name + ">", from) - from);
}

std::string Version(const std::string& path) {
  const auto v = FileVersionOf(path);
  if (!v) return "";
  return std::to_string(v->major) + "." + std::to_string(v->minor) + "." + std::to_string(v->release) + "." +
         std::to_string(v->build);
}

// The edition as the catalog names it: the first element "Core_Common_Files_<edition>-..."
// whose rest holds no "_".
std::string CatalogEdition(const std::string& hklmKey) {
  RegistryKey k;
  if (!k.OpenRead(RegRoot::LocalMachine, hklmKey + "\\CatalogRepository\\Elements")) return "";
  const std::string prefix = "Core_Common_Files_";
  for (const auto& name : k.SubKeyNames()) {
    if (name.compare(0, prefix.size(), prefix) != 0) continue;
    const std::string rest = name.substr(prefix.size());
    if (rest.find('_') == std::string::npos) return rest.substr(0, rest.find('-'));
  }
  return "";
}

// The first IDE vendor key on the machine, "" when there is none.
// The first IDE product key found (Wine's own prefix has Borland\Database Engine,
// so the vendor keys alone say nothing).
std::string VendorKey() {
  for (const char* vendor : {"Software\\Borland\\Delphi", "Software\\Borland\\C++Builder", "Software\\Borland\\BDS",
                             "Software\\CodeGear\\BDS", "Software\\Embarcadero\\BDS"}) {
    if (RegKeyExists(RegRoot::LocalMachine, vendor)) return std::string("HKLM\\") + vendor;
    if (RegKeyExists(RegRoot::CurrentUser, vendor)) return std::string("HKCU\\") + vendor;
  }
  return "";
}

class IdeProfilesTest : public ::testing::Test {
 protected:
  TestMachine machine;
  const std::string programFiles = KnownFolderPath(KnownFolder::ProgramFiles);
  const std::string publicDocs = KnownFolderPath(KnownFolder::CommonDocuments);
  const std::string appData = KnownFolderPath(KnownFolder::RoamingAppData);
};

}  // namespace

// Every profile, as discovery reads it: keys, Library per platform, the
// versioned database package, the core package's version, EnvOptions.proj,
// rsvars.bat; and all of it gone again after uninstalling.
TEST_F(IdeProfilesTest, EveryProfileLaysOutWhatDiscoveryReads) {
  struct Case {
    const char* profile;
    const char* key;     // machine and user key
    const char* folder;  // below Program Files
    const char* exe;
    const char* dcldb;  // the value name in Known Packages
    const char* core;   // the core package, "" for Delphi and C++Builder
    const char* coreVersion;
    const char* envOptions;  // below roaming AppData, "" before RAD Studio 2007
    const char* commonDir;   // below Public Documents
    const char* edition;     // where the edition is: "Version", "Edition" or "Catalog"
  };
  const Case cases[] = {
      {"delphi6", "Software\\Borland\\Delphi\\6.0", "Borland\\Delphi6", "Bin\\delphi32.exe",
       "$(DELPHI)\\Bin\\dcldb60.bpl", "", "", "", "", "Version"},
      {"delphi7", "Software\\Borland\\Delphi\\7.0", "Borland\\Delphi7", "Bin\\delphi32.exe",
       "$(DELPHI)\\Bin\\dcldb70.bpl", "", "", "", "", "Version"},
      {"bcb5", "Software\\Borland\\C++Builder\\5.0", "Borland\\CBuilder5", "Bin\\bcb.exe", "$(BCB)\\Bin\\dcldb50.bpl",
       "", "", "", "", "Version"},
      {"bcb6", "Software\\Borland\\C++Builder\\6.0", "Borland\\CBuilder6", "Bin\\bcb.exe", "$(BCB)\\Bin\\dcldb60.bpl",
       "", "", "", "", "Version"},
      {"bds3", "Software\\Borland\\BDS\\3.0", "Borland\\BDS\\3.0", "bin\\bds.exe", "$(BDS)\\bin\\dcldb90.bpl",
       "bin\\coreide90.bpl", "9.0.1882.30496", "", "", "Edition"},
      {"bds4", "Software\\Borland\\BDS\\4.0", "Borland\\BDS\\4.0", "bin\\bds.exe", "$(BDS)\\bin\\dcldb100.bpl",
       "bin\\coreide100.bpl", "10.0.2558.35231", "", "", "Edition"},
      {"bds5", "Software\\Borland\\BDS\\5.0", "CodeGear\\RAD Studio\\5.0", "bin\\bds.exe", "$(BDS)\\bin\\dcldb100.bpl",
       "bin\\coreide100.bpl", "11.0.2709.7128", "Borland\\BDS\\5.0\\EnvOptions.proj", "RAD Studio\\5.0", "Edition"},
      {"bds6", "Software\\CodeGear\\BDS\\6.0", "CodeGear\\RAD Studio\\6.0", "bin\\bds.exe", "$(BDS)\\bin\\dcldb120.bpl",
       "bin\\coreide120.bpl", "12.0.3420.21218", "CodeGear\\BDS\\6.0\\EnvOptions.proj", "RAD Studio\\6.0", "Edition"},
      {"bds7", "Software\\CodeGear\\BDS\\7.0", "Embarcadero\\RAD Studio\\7.0", "bin\\bds.exe",
       "$(BDS)\\bin\\dcldb140.bpl", "bin\\coreide140.bpl", "14.0.3615.26342", "CodeGear\\BDS\\7.0\\EnvOptions.proj",
       "RAD Studio\\7.0", "Edition"},
      {"bds8", "Software\\Embarcadero\\BDS\\8.0", "Embarcadero\\RAD Studio\\8.0", "bin\\bds.exe",
       "$(BDS)\\bin\\dcldb150.bpl", "bin\\coreide150.bpl", "15.0.3953.35171", "Embarcadero\\BDS\\8.0\\EnvOptions.proj",
       "RAD Studio\\8.0", "Edition"},
      {"bds9", "Software\\Embarcadero\\BDS\\9.0", "Embarcadero\\RAD Studio\\9.0", "bin\\bds.exe",
       "$(BDS)\\bin\\dcldb160.bpl", "bin\\coreide160.bpl", "16.0.4504.48759", "Embarcadero\\BDS\\9.0\\EnvOptions.proj",
       "RAD Studio\\9.0", "Edition"},
      {"bds10", "Software\\Embarcadero\\BDS\\10.0", "Embarcadero\\RAD Studio\\10.0", "bin\\bds.exe",
       "$(BDS)\\bin\\dcldb170.bpl", "bin\\coreide170.bpl", "17.0.4770.56661", "Embarcadero\\BDS\\10.0\\EnvOptions.proj",
       "RAD Studio\\10.0", "Edition"},
      {"bds11", "Software\\Embarcadero\\BDS\\11.0", "Embarcadero\\RAD Studio\\11.0", "bin\\bds.exe",
       "$(BDS)\\bin\\dcldb180.bpl", "bin\\coreide180.bpl", "18.0.4905.60485", "Embarcadero\\BDS\\11.0\\EnvOptions.proj",
       "RAD Studio\\11.0", "Edition"},
      {"bds12", "Software\\Embarcadero\\BDS\\12.0", "Embarcadero\\RAD Studio\\12.0", "bin\\bds.exe",
       "$(BDS)\\bin\\dcldb190.bpl", "bin\\coreide190.bpl", "19.0.14356.6604", "Embarcadero\\BDS\\12.0\\EnvOptions.proj",
       "RAD Studio\\12.0", "Edition"},
      {"bds14", "Software\\Embarcadero\\BDS\\14.0", "Embarcadero\\Studio\\14.0", "bin\\bds.exe",
       "$(BDS)\\bin\\dcldb200.bpl", "bin\\coreide200.bpl", "20.0.15596.9843", "Embarcadero\\BDS\\14.0\\EnvOptions.proj",
       "Embarcadero\\Studio\\14.0", "Edition"},
      {"bds15", "Software\\Embarcadero\\BDS\\15.0", "Embarcadero\\Studio\\15.0", "bin\\bds.exe",
       "$(BDS)\\bin\\dcldb210.bpl", "bin\\coreide210.bpl", "21.0.17017.3725", "Embarcadero\\BDS\\15.0\\EnvOptions.proj",
       "Embarcadero\\Studio\\15.0", "Edition"},
      {"bds16", "Software\\Embarcadero\\BDS\\16.0", "Embarcadero\\Studio\\16.0", "bin\\bds.exe",
       "$(BDS)\\bin\\dcldb220.bpl", "bin\\coreide220.bpl", "22.0.19908.869", "Embarcadero\\BDS\\16.0\\EnvOptions.proj",
       "Embarcadero\\Studio\\16.0", "Edition"},
      {"bds17", "Software\\Embarcadero\\BDS\\17.0", "Embarcadero\\Studio\\17.0", "bin\\bds.exe",
       "$(BDS)\\bin\\dcldb230.bpl", "bin\\coreide230.bpl", "23.0.20618.2753", "Embarcadero\\BDS\\17.0\\EnvOptions.proj",
       "Embarcadero\\Studio\\17.0", "Edition"},
      {"bds18", "Software\\Embarcadero\\BDS\\18.0", "Embarcadero\\Studio\\18.0", "bin\\bds.exe",
       "$(BDS)\\bin\\dcldb240.bpl", "bin\\coreide240.bpl", "24.0.25048.9432", "Embarcadero\\BDS\\18.0\\EnvOptions.proj",
       "Embarcadero\\Studio\\18.0", "Edition"},
      {"bds19", "Software\\Embarcadero\\BDS\\19.0", "Embarcadero\\Studio\\19.0", "bin\\bds.exe",
       "$(BDS)\\bin\\dcldb250.bpl", "bin\\coreide250.bpl", "25.0.29899.2631", "Embarcadero\\BDS\\19.0\\EnvOptions.proj",
       "Embarcadero\\Studio\\19.0", "Catalog"},
      {"bds20", "Software\\Embarcadero\\BDS\\20.0", "Embarcadero\\Studio\\20.0", "bin\\bds.exe",
       "$(BDS)\\bin\\dcldb260.bpl", "bin\\coreide260.bpl", "26.0.36039.7899", "Embarcadero\\BDS\\20.0\\EnvOptions.proj",
       "Embarcadero\\Studio\\20.0", "Catalog"},
      {"bds21", "Software\\Embarcadero\\BDS\\21.0", "Embarcadero\\Studio\\21.0", "bin\\bds.exe",
       "$(BDS)\\bin\\dcldb270.bpl", "bin\\coreide270.bpl", "27.0.40680.4203", "Embarcadero\\BDS\\21.0\\EnvOptions.proj",
       "Embarcadero\\Studio\\21.0", "Catalog"},
      {"bds22", "Software\\Embarcadero\\BDS\\22.0", "Embarcadero\\Studio\\22.0", "bin\\bds.exe",
       "$(BDS)\\bin\\dcldb280.bpl", "bin\\coreide280.bpl", "28.0.48361.3236", "Embarcadero\\BDS\\22.0\\EnvOptions.proj",
       "Embarcadero\\Studio\\22.0", "Catalog"},
      {"bds23", "Software\\Embarcadero\\BDS\\23.0", "Embarcadero\\Studio\\23.0", "bin\\bds.exe",
       "$(BDS)\\bin\\dcldb290.bpl", "bin\\coreide290.bpl", "29.0.51961.7529", "Embarcadero\\BDS\\23.0\\EnvOptions.proj",
       "Embarcadero\\Studio\\23.0", "Catalog"},
      {"bds37", "Software\\Embarcadero\\BDS\\37.0", "Embarcadero\\Studio\\37.0", "bin\\bds.exe",
       "$(BDS)\\bin\\dcldb370.bpl", "bin\\coreide370.bpl", "37.0.60952.8797", "Embarcadero\\BDS\\37.0\\EnvOptions.proj",
       "Embarcadero\\Studio\\37.0", "Catalog"},
  };
  std::vector<std::string> names;
  for (const auto& c : cases) names.emplace_back(c.profile);
  EXPECT_EQ(ideprofiles::ProfileNames(), names);

  ASSERT_EQ(VendorKey(), "");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.profile);
    const std::string root = programFiles + "\\" + c.folder;
    const std::string key = c.key;
    {
      Installed ide(c.profile);
      EXPECT_EQ(ide->hklmKey, key);
      EXPECT_EQ(ide->userKey, key);
      EXPECT_EQ(ReadValue(RegRoot::LocalMachine, key, "RootDir"), root + "\\");
      EXPECT_EQ(ReadValue(RegRoot::LocalMachine, key, "App"), root + "\\" + c.exe);
      EXPECT_TRUE(FileExists(root + "\\" + c.exe));
      const std::string edition = c.edition;
      if (edition == "Catalog") {
        EXPECT_EQ(CatalogEdition(key), "Enterprise");
      } else {
        EXPECT_EQ(ReadValue(RegRoot::LocalMachine, key, edition), "Enterprise");
      }

      // The IDE's own database package, registered with its macro and present in bin.
      const std::string dcldb = c.dcldb;
      EXPECT_TRUE(HasName(ValueNamesOf(RegRoot::CurrentUser, key + "\\Known Packages"), dcldb));
      EXPECT_TRUE(FileExists(root + dcldb.substr(dcldb.find(')') + 1)));
      EXPECT_TRUE(RegKeyExists(RegRoot::CurrentUser, key + "\\Known IDE Packages"));
      EXPECT_TRUE(RegKeyExists(RegRoot::CurrentUser, key + "\\Disabled Packages"));
      EXPECT_TRUE(RegKeyExists(RegRoot::CurrentUser, key + "\\Environment Variables"));

      const bool platforms = ide->profile.rfind("bds", 0) == 0 && std::stoi(ide->profile.substr(3)) >= 9;
      const std::string library = key + "\\Library" + (platforms ? "\\Win32" : "");
      const auto search = ReadValue(RegRoot::CurrentUser, library, "Search Path");
      ASSERT_TRUE(search.has_value());
      EXPECT_TRUE(ReadValue(RegRoot::CurrentUser, library, "Package DPL Output").has_value());
      EXPECT_EQ(RegKeyExists(RegRoot::CurrentUser, key + "\\Library\\Win64"), platforms);

      if (*c.core != '\0') {
        EXPECT_EQ(ide->corePackage, root + "\\" + c.core);
        EXPECT_EQ(Version(root + "\\" + c.core), c.coreVersion);
        EXPECT_TRUE(RegKeyExists(RegRoot::CurrentUser, key + "\\Personalities"));
      }
      if (*c.envOptions == '\0') {
        EXPECT_EQ(ide->envOptionsPath, "");
        EXPECT_FALSE(FileExists(root + "\\bin\\rsvars.bat"));
      } else {
        EXPECT_EQ(ide->envOptionsPath, appData + "\\" + c.envOptions);
        const std::string xml = ReadText(ide->envOptionsPath);
        ASSERT_NE(xml.find("<Project xmlns=\"http://schemas.microsoft.com/developer/msbuild/2003\">"),
                  std::string::npos);
        if (platforms) {
          // Discovery reads the group of the target's platform; it mirrors the registry.
          const std::string win64 = Group(xml, " Condition=\"'$(Platform)'=='Win64'\"");
          EXPECT_EQ(Element(win64, "DelphiLibraryPath"),
                    ReadValue(RegRoot::CurrentUser, key + "\\Library\\Win64", "Search Path"));
          EXPECT_EQ(Element(win64, "DelphiDLLOutputPath"),
                    ReadValue(RegRoot::CurrentUser, key + "\\Library\\Win64", "Package DPL Output"));
          EXPECT_EQ(Element(Group(xml, " Condition=\"'$(Platform)'=='Win32'\""), "DelphiLibraryPath"), search);
        } else {
          const std::string first = Group(xml, "");
          const bool delphiNames = c.envOptions[0] == 'E';  // XE renamed the Win32 elements
          EXPECT_EQ(Element(first, delphiNames ? "DelphiLibraryPath" : "Win32LibraryPath"), search);
          EXPECT_EQ(Element(first, delphiNames ? "DelphiDCPOutput" : "Win32DCPOutput"),
                    ReadValue(RegRoot::CurrentUser, library, "Package DCP Output"));
        }
        const std::string rsvars = ReadText(root + "\\bin\\rsvars.bat");
        EXPECT_NE(rsvars.find("@SET BDS=" + root + "\r\n"), std::string::npos) << rsvars;
        EXPECT_NE(rsvars.find("@SET BDSCOMMONDIR=" + publicDocs + "\\" + c.commonDir + "\r\n"), std::string::npos)
            << rsvars;
        EXPECT_EQ(ide->commonDir, publicDocs + "\\" + c.commonDir);
      }
    }
    // Uninstalled: nothing of it is left, up to the vendor keys.
    EXPECT_EQ(VendorKey(), "");
    const std::string folder = c.folder;
    EXPECT_FALSE(DirectoryExists(programFiles + "\\" + folder.substr(0, folder.find('\\'))));
    if (*c.envOptions != '\0') {
      EXPECT_FALSE(FileExists(appData + "\\" + c.envOptions));
    }
  }
}

TEST_F(IdeProfilesTest, EditionsAndPersonalities) {
  {
    // Turbo Explorer: no command-line compiler, but the database packages.
    IdeOptions turbo;
    turbo.edition = "Turbo Explorer";
    turbo.commandLineCompiler = false;
    Installed ide("bds4", turbo);
    EXPECT_EQ(ReadValue(RegRoot::LocalMachine, ide->hklmKey, "Edition"), "Turbo Explorer");
    EXPECT_FALSE(FileExists(ide->rootDir + "bin\\dcc32.exe"));
    EXPECT_TRUE(ide->tools.empty());
    EXPECT_TRUE(FileExists(ide->rootDir + "bin\\dcldb100.bpl"));
  }
  {
    // Personal: no database packages at all, so discovery calls it personal.
    IdeOptions personal;
    personal.edition = "Personal";
    Installed ide("bds23", personal);
    EXPECT_EQ(CatalogEdition(ide->hklmKey), "Personal");
    EXPECT_FALSE(FileExists(ide->rootDir + "bin\\dcldb290.bpl"));
    const auto known = ValueNamesOf(RegRoot::CurrentUser, ide->userKey + "\\Known Packages");
    EXPECT_FALSE(HasName(known, "$(BDS)\\bin\\dcldb290.bpl"));
    EXPECT_TRUE(HasName(known, "$(BDS)\\bin\\dclstd290.bpl"));
    EXPECT_TRUE(FileExists(ide->rootDir + "bin\\dcc32.exe"));
  }
  {
    // RAD Studio 2007 as shipped, and as "CodeGear Delphi for Win32".
    Installed full("bds5");
    const auto personalities = ValueNamesOf(RegRoot::CurrentUser, full->userKey + "\\Personalities");
    EXPECT_TRUE(HasName(personalities, "Delphi.Win32"));
    EXPECT_TRUE(HasName(personalities, "BCB"));
    EXPECT_TRUE(HasName(personalities, "Delphi.NET"));
    EXPECT_TRUE(RegKeyExists(RegRoot::CurrentUser, full->userKey + "\\CppPaths"));
    EXPECT_TRUE(Element(Group(ReadText(full->envOptionsPath), ""), "CBuilderIncludePath").has_value());
    EXPECT_TRUE(FileExists(full->rootDir + "bin\\tlib.exe"));
  }
  {
    IdeOptions delphi;
    delphi.personalities = {"delphi.win32"};
    Installed ide("bds5", delphi);
    EXPECT_EQ(ValueNamesOf(RegRoot::CurrentUser, ide->userKey + "\\Personalities"),
              std::vector<std::string>{"Delphi.Win32"});
    EXPECT_FALSE(RegKeyExists(RegRoot::CurrentUser, ide->userKey + "\\CppPaths"));
    EXPECT_FALSE(Element(Group(ReadText(ide->envOptionsPath), ""), "CBuilderIncludePath").has_value());
    EXPECT_FALSE(FileExists(ide->rootDir + "bin\\tlib.exe"));
  }
  {
    // C++Builder alone, with its per-platform C++ paths.
    IdeOptions bcb;
    bcb.personalities = {"BCB"};
    Installed ide("bds22", bcb);
    EXPECT_EQ(ValueNamesOf(RegRoot::CurrentUser, ide->userKey + "\\Personalities"), std::vector<std::string>{"BCB"});
    for (const char* platformName : {"Win32", "Win64"}) {
      const std::string cpp = ide->userKey + "\\C++\\Paths\\" + platformName;
      EXPECT_TRUE(ReadValue(RegRoot::CurrentUser, cpp, "IncludePath").has_value()) << platformName;
      EXPECT_TRUE(ReadValue(RegRoot::CurrentUser, cpp, "LibraryPath").has_value()) << platformName;
    }
    const auto idePackages = ValueNamesOf(RegRoot::CurrentUser, ide->userKey + "\\Known IDE Packages");
    EXPECT_TRUE(HasName(idePackages, "$(BDS)\\bin\\bcbide280.bpl"));
    EXPECT_FALSE(HasName(idePackages, "$(BDS)\\bin\\delphicoreide280.bpl"));
    const std::string xml = ReadText(ide->envOptionsPath);
    EXPECT_TRUE(Element(Group(xml, " Condition=\"'$(Platform)'=='Win64'\""), "CBuilderIncludePath").has_value());
  }
}

TEST_F(IdeProfilesTest, KeysFoldersAndVersionsFromOptions) {
  {
    // The IDE started with -rWin32Only keeps its user settings under that name.
    IdeOptions options;
    options.userKeyName = "Win32Only";
    options.forceEnvOptionsUpdate = true;
    options.updatePack = 3;
    Installed ide("bds23", options);
    EXPECT_EQ(ide->userKey, "Software\\Embarcadero\\Win32Only\\23.0");
    EXPECT_TRUE(RegKeyExists(RegRoot::LocalMachine, "Software\\Embarcadero\\BDS\\23.0"));
    EXPECT_FALSE(RegKeyExists(RegRoot::CurrentUser, "Software\\Embarcadero\\BDS\\23.0"));
    EXPECT_TRUE(ReadValue(RegRoot::CurrentUser, ide->userKey + "\\Library\\Win64", "Search Path").has_value());
    EXPECT_EQ(ReadValue(RegRoot::CurrentUser, ide->userKey + "\\Globals", "ForceEnvOptionsUpdate"), "1");
    EXPECT_EQ(ReadValue(RegRoot::LocalMachine, ide->hklmKey, "UpdatePackInstalled"), "3");
  }
  {
    IdeOptions options;
    options.rootDir = machine.Dir() + "\\IDE\\Studio\\";
    options.coreVersion = "11.0.2709.7127";
    Installed ide("bds5", options);
    const std::string root = machine.Dir() + "\\IDE\\Studio";
    EXPECT_EQ(ReadValue(RegRoot::LocalMachine, ide->hklmKey, "RootDir"), root + "\\");
    EXPECT_EQ(ReadValue(RegRoot::LocalMachine, ide->hklmKey, "App"), root + "\\bin\\bds.exe");
    EXPECT_EQ(Version(root + "\\bin\\coreide100.bpl"), "11.0.2709.7127");
    EXPECT_EQ(ReadValue(RegRoot::LocalMachine, ide->hklmKey, "ProductVersion"), "11.0.2709.7127");
    EXPECT_EQ(ReadValue(RegRoot::CurrentUser, ide->userKey + "\\Globals", "ForceEnvOptionsUpdate"), "0");
    EXPECT_NE(ReadText(root + "\\bin\\rsvars.bat").find("@SET BDS=" + root + "\r\n"), std::string::npos);
    EXPECT_EQ(ide->envOptionsPath, appData + "\\Borland\\BDS\\5.0\\EnvOptions.proj");
  }
  {
    // Delphi 6 with two updates and three RTL patches.
    IdeOptions options;
    options.updatePack = 2;
    options.rtlPatch = 3;
    Installed ide("delphi6", options);
    const auto names = ValueNamesOf(RegRoot::LocalMachine, ide->hklmKey);
    for (const char* name :
         {"Update #1", "Update #2", "Pascal RTL Patch", "Pascal RTL Patch #2", "Pascal RTL Patch #3"}) {
      EXPECT_TRUE(HasName(names, name)) << name;
    }
    EXPECT_FALSE(HasName(names, "Update #3"));
    EXPECT_FALSE(HasName(names, "UpdatePackInstalled"));
    EXPECT_EQ(ReadValue(RegRoot::CurrentUser, ide->userKey + "\\Debugging", "Debug DCUs Path"),
              "$(DELPHI)\\Lib\\Debug");
  }
}

TEST_F(IdeProfilesTest, ToolsComeFromTheToolsFolderOrArePlaceholders) {
  const std::string tools = machine.Dir() + "\\tools";
  ASSERT_TRUE(MakeDirectory(tools));
  WriteFile(tools + "\\dcc32.exe", "stand-in dcc32");
  WriteFile(tools + "\\make", "stand-in make");  // a native build's name, without ".exe"
  IdeOptions options;
  options.toolsDir = tools;
  Installed ide("bcb6", options);
  const std::string bin = ide->rootDir + "Bin\\";
  EXPECT_EQ(ide->tools,
            (std::vector<std::string>{bin + "dcc32.exe", bin + "bpr2mak.exe", bin + "make.exe", bin + "tlib.exe"}));
  EXPECT_EQ(ReadText(bin + "dcc32.exe"), "stand-in dcc32");
  EXPECT_EQ(ReadText(bin + "make.exe"), "stand-in make");
  // A tool the folder lacks is there all the same, as a placeholder with the IDE's version.
  EXPECT_EQ(Version(bin + "bpr2mak.exe"), "6.0.10.166");
  EXPECT_FALSE(FileExists(bin + "dcc64.exe"));
}

TEST_F(IdeProfilesTest, BadRequestsAreRefusedAndWriteNothing) {
  struct Case {
    const char* profile;
    std::function<void(IdeOptions&)> set;
    const char* message;
  };
  const Case cases[] = {
      {"bds13", [](IdeOptions&) {}, "unknown IDE profile \"bds13\""},
      {"bds24", [](IdeOptions&) {}, "unknown IDE profile"},
      {"delphi5", [](IdeOptions&) {}, "unknown IDE profile"},
      {"BDS\\13.0", [](IdeOptions&) {}, "unknown IDE profile"},
      {"bds3", [](IdeOptions& o) { o.personalities = {"BCB"}; }, "bds3 has no personality \"BCB\""},
      {"delphi7", [](IdeOptions& o) { o.personalities = {"Delphi.Win32"}; }, "delphi7 has no personalities"},
      {"bds5", [](IdeOptions& o) { o.coreVersion = "11.0.2709"; }, "core version"},
      {"bds5", [](IdeOptions& o) { o.coreVersion = "11.0.2709.70000"; }, "core version"},
      {"bds5", [](IdeOptions& o) { o.rootDir = "IDE\\Studio"; }, "full path below a drive"},
      {"bds5", [](IdeOptions& o) { o.userKeyName = "A\\B"; }, "user key name"},
      {"bds19", [](IdeOptions& o) { o.edition = "Pro_Plus"; }, "cannot hold"},
      {"delphi7", [](IdeOptions& o) { o.updatePack = 11; }, "0 to 10"},
      {"bds23", [](IdeOptions& o) { o.rtlPatch = 1; }, "bds23 has no RTL patches"},
  };
  for (const auto& c : cases) {
    IdeOptions options;
    c.set(options);
    try {
      ideprofiles::UninstallIde(InstallIde(c.profile, options));
      ADD_FAILURE() << c.profile << ": no error, expected " << c.message;
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << c.profile << ": " << e.what();
    }
    EXPECT_EQ(VendorKey(), "") << c.profile;
  }
}

TEST_F(IdeProfilesTest, SideBySideInstallationsStayApart) {
  std::optional<Installed> older;
  older.emplace("bds22");
  {
    Installed newer("BDS\\23.0");
    EXPECT_EQ(newer->profile, "bds23");
    // The same IDE again is refused, and what is there stays whole.
    EXPECT_THROW(InstallIde("bds22", {}), std::runtime_error);
    EXPECT_THROW(InstallIde("bds/22.0", {}), std::runtime_error);
    EXPECT_TRUE(FileExists((*older)->executable));
    EXPECT_TRUE(FileExists((*older)->corePackage));
    EXPECT_EQ(ReadValue(RegRoot::LocalMachine, (*older)->hklmKey, "App"), (*older)->executable);

    // Removing one leaves the other alone.
    older.reset();
    EXPECT_FALSE(RegKeyExists(RegRoot::LocalMachine, "Software\\Embarcadero\\BDS\\22.0"));
    EXPECT_FALSE(RegKeyExists(RegRoot::CurrentUser, "Software\\Embarcadero\\BDS\\22.0"));
    EXPECT_TRUE(FileExists(newer->executable));
    EXPECT_TRUE(FileExists(newer->envOptionsPath));
    EXPECT_TRUE(ReadValue(RegRoot::CurrentUser, newer->userKey + "\\Library\\Win32", "Search Path").has_value());
  }
  // The vendor's shared keys and folders go with the last IDE.
  EXPECT_EQ(VendorKey(), "");
  for (const auto& base : {programFiles, publicDocs, appData}) {
    EXPECT_FALSE(DirectoryExists(base + "\\Embarcadero")) << base;
  }
}
