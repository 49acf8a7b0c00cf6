// The connectivity providers and how their libraries are recognised in an IDE.
#include "Compile/MetaProviders.h"

#include <gtest/gtest.h>

#include <set>

#include "Compile/InstallData.h"
#include "Compile/PackagePatterns.h"
#include "Compile/TargetOptions.h"
#include "Compile/VersionTables.h"
#include "PackageMachine.h"
#include "RegExpr.h"
#include "SysUtils.h"
#include "platform/Text.h"

namespace {

// Replaces the IDE's registered packages (IDE packages stay empty).
void SetKnownPackages(TCompileTarget& target, const std::vector<std::string>& files) {
  target.KnownIDEPackages().Clear();
  target.KnownPackages().Clear();
  for (const auto& file : files) target.KnownPackages().Add(file, "");
}

}  // namespace

TEST(ReplaceMacrosTest, ReplacesKnownKeysAndDropsTheDelimiterOfOthers) {
  const TMacroList macros = {{"e", "D"}, {"V", "7"}, {"ab", "1"}, {"a", "2"}, {"p", "%V"}};
  struct Case {
    const char* text;
    bool caseSensitive;
    const char* result;
  };
  const Case cases[] = {
      {"edb1\\d\\d%e%Vdesign", true, "edb1\\d\\dD7design"},
      {"a%Qb", true, "aQb"},  // not a macro: the letter stays
      {"%%e", true, "%e"},    // the character after a lone delimiter is plain text
      {"end%", true, "end"},  // a delimiter at the end goes
      {"%abc", true, "1c"},   // the first key in the given order wins
      {"%p", true, "%V"},     // a value is not scanned again
      {"%E%v", true, "Ev"},   // case-sensitive keys
      {"%E%v", false, "D7"},  // case-insensitive keys
      {"no macros", true, "no macros"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReplaceMacros(c.text, '%', macros, c.caseSensitive), c.result) << c.text;
  }
}

TEST(MatchPackageListTest, SearchesFileNamesWithoutRegardToCase) {
  TDelphiPackageList list;
  list.Add("C:\\dclsql16\\other.bpl", "");  // the folder does not count
  EXPECT_FALSE(MatchPackageList(list, "dclsql\\d+"));
  list.Add("C:\\SQLDirect\\DCLSQL16.BPL", "");
  EXPECT_TRUE(MatchPackageList(list, "dclsql\\d+"));
  EXPECT_TRUE(MatchPackageList(list, "sql1"));  // anywhere in the name
  EXPECT_FALSE(MatchPackageList(TDelphiPackageList(), "dcl"));
}

TEST(MatchPackageListTest, BadPatternIsReportedWithPcreMessageAndOffset) {
  for (bool empty : {false, true}) {
    TDelphiPackageList list;
    if (!empty) list.Add("dclsql16.bpl", "");
    try {
      MatchPackageList(list, "dclsql(\\d+");
      ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
      EXPECT_EQ(std::string(e.what()),
                "Invalid regular expression \"dclsql(\\d+\": missing closing parenthesis at offset 10");
    }
  }
}

class MetaProvidersTest : public ::testing::Test {
 protected:
  PackageMachine machine;
};

TEST_F(MetaProvidersTest, FortyProvidersInTheirOrder) {
  const TInstallData data;
  const TMetadataProvidersList& list = data.MetaProviders();
  const std::vector<std::string> suffixes = {
      "ADO",         "BDE",        "IBEx",     "DbEx",       "FireDAC",   "Zeos",       "CrMyDAC",    "CrODAC",
      "CrSDAC",      "CrIbDAC",    "UniDAC",   "PgDAC",      "FIBPlus",   "DOA",        "Accuracer",  "EasyTable",
      "IDAC",        "MoMyDAC",    "MoPgDAC",  "MoMSDAC",    "SD",        "DBISAM",     "IBO",        "Advantage",
      "NexusDB",     "NexusDB3",   "NexusDB4", "AbsoluteDB", "ElevateDB", "ElevateDBu", "ElevateDB2", "ElevateDB2u",
      "ElevateDB2u", "ElevateDB2", "VistaDB",  "SvODBCDAC",  "AnyDAC",    "AnyDAC2",    "NativeDB",   "ODBCExpress"};
  ASSERT_EQ(list.Count(), 40);
  std::set<std::string> regKeys;
  for (int i = 0; i < list.Count(); ++i) {
    const TMetadataProvider& p = *list.Items(i);
    SCOPED_TRACE(p.ShortDescription());
    EXPECT_EQ(p.PackageSuffix(), suffixes[static_cast<size_t>(i)]);
    EXPECT_EQ(p.Standard(), i < 4);
    EXPECT_EQ(&p.InstallData(), &data);
    const TCompileTargetPlatforms both = {ctpWin32, ctpWin64};
    EXPECT_EQ(p.SupportedPlatforms(), p.PackageSuffix() == "BDE" ? TCompileTargetPlatforms{ctpWin32} : both);
    // Registry value names are compared without regard to case: each is its own.
    EXPECT_TRUE(regKeys.insert(platform::AsciiUpperCase(p.RegKey())).second) << p.RegKey();

    // Every pattern compiles for every IDE version and platform.
    for (int version = 1; version <= kLastProductVersion; ++version) {
      for (const char* platformName : {"Win32", "Win64", ""}) {
        const TMacroList macros = {
            {"e", "D"},
            {"E", "B"},
            {"v", std::to_string(version)},
            {"V", VersionTableEntry(VersionTokens, version)},
            {"X", ReplaceMacros(VersionTableEntry(ProviderVersionTokens, version), '%', {{"P", platformName}}, true)}};
        for (const std::string& pattern : {p.DependLibPackage(), p.DependLibPackageWithVersion()}) {
          EXPECT_NO_THROW(TRegExpr{ReplaceMacros(pattern, '%', macros, true)}) << pattern << " " << version;
        }
      }
    }
  }
  const TMetadataProvider& mydac = *list.Items(6);
  EXPECT_EQ(mydac.RegKey(), "DevArt MyDAC Connectivity");
  EXPECT_EQ(mydac.LongDescription(), "Vexorin Component DevArt MyDAC Connectivity");
  EXPECT_EQ(mydac.DependLibShortDescription(), "MyDAC");
}

TEST_F(MetaProvidersTest, PatternsExpandForTheIde) {
  machine.Install("delphi7");
  machine.Install("bcb6");
  machine.Install("bds17");
  machine.Install("bds37");
  const TInstallData data;
  TCompileTarget& delphi7 = OptionsOf(data, "Delphi 7.0").Target();
  TCompileTarget& bcb6 = OptionsOf(data, "C++Builder 6.0").Target();
  TCompileTarget& rs10 = OptionsOf(data, "Embarcadero RAD Studio 10 Win32").Target();
  TCompileTarget& rs10x64 = OptionsOf(data, "Embarcadero RAD Studio 10 Win64").Target();
  EXPECT_EQ(ExpandPackagePattern(delphi7, "edb1\\d\\d%e%Vdesign"), "edb1\\d\\dD7design");
  EXPECT_EQ(ExpandPackagePattern(rs10, "edbdesign2\\d\\d%X"), "edbdesign2\\d\\drsdelphiWin3210s");
  EXPECT_EQ(ExpandPackagePattern(rs10x64, "edbdesign2\\d\\d%X"), "edbdesign2\\d\\drsdelphiWin6410s");
  EXPECT_EQ(ExpandPackagePattern(delphi7, "%e%E%v%X"), "DD77");
  EXPECT_EQ(ExpandPackagePattern(bcb6, "%e%E%v%V"), "CC66");
  EXPECT_EQ(ExpandPackagePattern(rs10, "%e%E%v%V%Q"), "DB23RS10Q");
  TCompileTarget& rs13x64 = OptionsOf(data, "Embarcadero RAD Studio 13 Win64").Target();
  EXPECT_EQ(ExpandPackagePattern(rs13x64, "edbdesign2\\d\\d%X"), "edbdesign2\\d\\drsdelphiWin6413");
  EXPECT_EQ(ExpandPackagePattern(rs13x64, "%e%E%v%V"), "DB30RS13");

  const TMetadataProvider& ado = *data.MetaProviders().Items(0);
  EXPECT_EQ(ado.GetRuntimePackageName(rs10), "VxVexorinADO");
  EXPECT_EQ(ado.GetDesignPackageName(delphi7), "VxVexorinDsgnADO");
}

TEST_F(MetaProvidersTest, PackagePresence) {
  machine.Install("bds23");
  const TInstallData data;
  TCompileTarget& target = OptionsOf(data, "Embarcadero RAD Studio 12 Win32").Target();
  struct Case {
    const char* pattern;
    std::vector<std::string> packages;
    bool present;
  };
  const Case cases[] = {
      {"dclFireDac", {"$(BDS)\\bin\\DCLFIREDAC290.BPL"}, true},  // by the beginning, any case
      {"dclsql\\d+", {"C:\\SQLDirect\\dclsql16.bpl"}, true},
      {"dclsql\\d+", {"C:\\SQLDirect\\dclsqlx.bpl"}, false},
      {"ibo", {"C:\\Libs\\vcllibobj290.bpl"}, true},  // anywhere in the name
      {"ibo", {"C:\\Libs\\vcl290.bpl"}, false},
      {"adsd.+studio", {"C:\\Ads\\adsd290_Studio.bpl"}, true},
      {"edb1\\d\\d%e%Vdesign", {"C:\\EDB\\edb107dRS12Design.bpl"}, true},  // expanded for the IDE
      {"edb1\\d\\d%e%Vdesign", {"C:\\EDB\\edb107dRS11Design.bpl"}, false},
      {"vistadb_", {"C:\\vistadb_\\vista.bpl"}, false},  // only the file name counts
      {"doa", {}, false},
  };
  for (const auto& c : cases) {
    SetKnownPackages(target, c.packages);
    EXPECT_EQ(IsPackagePresent(target, c.pattern), c.present) << c.pattern;
  }
  // The IDE's own packages count as well.
  SetKnownPackages(target, {});
  target.KnownIDEPackages().Add("C:\\Zeos\\ZComponentDesign.bpl", "");
  EXPECT_TRUE(IsPackagePresent(target, "zcomponent"));
}

TEST_F(MetaProvidersTest, LibraryAndItsVersion) {
  machine.Install("bds14");  // XE6: the BDE on Win32
  machine.Install("bds23");
  machine.Install("bds37");
  const TInstallData data;
  TCompileTarget& xe6 = OptionsOf(data, "Embarcadero RAD Studio XE6 Win32").Target();
  TCompileTarget& xe6x64 = OptionsOf(data, "Embarcadero RAD Studio XE6 Win64").Target();
  TCompileTarget& rs12 = OptionsOf(data, "Embarcadero RAD Studio 12 Win32").Target();
  TCompileTarget& rs13x64 = OptionsOf(data, "Embarcadero RAD Studio 13 Win64").Target();

  // Both XE6 targets share the registered dclbde200.bpl; Win64 has no BDE.
  const TMetadataProvider& bde = ProviderNamed(data, "BDE");
  EXPECT_TRUE(bde.IsDependLibInstalled(xe6));
  EXPECT_FALSE(bde.IsDependLibInstalled(xe6x64));
  EXPECT_TRUE(ProviderNamed(data, "ADO").IsDependLibInstalled(xe6x64));

  // RAD Studio 12 registers dclFireDAC290.bpl, RAD Studio 13 dclFireDAC370.bpl.
  EXPECT_TRUE(ProviderNamed(data, "FireDAC").IsDependLibInstalled(rs12));
  EXPECT_TRUE(ProviderNamed(data, "FireDAC").IsDependLibInstalled(rs13x64));

  const TMetadataProvider& nexus3 = ProviderNamed(data, "NexusDB v3");
  rs12.KnownPackages().Add("C:\\NexusDB\\nexusdb310dsg290.bpl", "");
  EXPECT_TRUE(nexus3.IsDependLibInstalled(rs12));
  EXPECT_FALSE(nexus3.IsDependLibHaveRightVersion(rs12));
  rs12.KnownPackages().Add("C:\\NexusDB\\dclnexusdb312dsg290.bpl", "");  // contains it
  EXPECT_TRUE(nexus3.IsDependLibHaveRightVersion(rs12));
  // A provider without a version pattern takes any version.
  EXPECT_TRUE(ProviderNamed(data, "FireDAC").IsDependLibHaveRightVersion(xe6));
}
