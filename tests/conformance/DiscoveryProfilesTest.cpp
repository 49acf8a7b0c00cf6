// Discovery over realistic IDE installations: every simulated profile at once.
#include <gtest/gtest.h>

#include <map>

#include "CmdLineUtils.h"
#include "DelphiData.h"
#include "TestMachine.h"
#include "common/IdeProfiles.h"

TEST(DiscoveryProfilesTest, EveryAcceptedVersionIsFoundAsTheIdeDescribesItself) {
  TestMachine machine;
  std::vector<ideprofiles::InstalledIde> installed;
  // Whatever way the test ends (a failed ASSERT returns early), the IDEs go
  // again: under Wine they are in the prefix every later test uses.
  const ScopeExit cleanup([&] {
    CmdOptions.reset();
    for (auto it = installed.rbegin(); it != installed.rend(); ++it) ideprofiles::UninstallIde(*it);
  });
  for (const std::string& profile : ideprofiles::ProfileNames()) {
    ideprofiles::IdeOptions options;
    if (profile == "bds5") options.personalities = {"Delphi.Win32"};
    installed.push_back(ideprofiles::InstallIde(profile, options));
  }
  CmdOptions = std::make_unique<TCmdOptions>(std::vector<std::string>{});
  {
    TCompileTargetList list;
    std::map<std::string, TCompileTarget*> byName;
    for (int i = 0; i < list.Count(); ++i) byName[list.GetItems(i)->DisplayName()] = list.GetItems(i);
    // BDS 3 to 23 without 13, and 37, Win64 from XE2 on, Delphi 6 and 7,
    // C++Builder 6 (C++Builder 5 is older than anything the program takes).
    EXPECT_EQ(list.Count(), 39);
    for (int i = 1; i < list.Count(); ++i) EXPECT_LE(list.GetItems(i - 1)->Version(), list.GetItems(i)->Version());
    struct Expected {
      const char* name;
      int version;
      const char* productVersionPrefix;
    };
    const Expected expected[] = {
        {"Delphi 7.0 (Enterprise)", 7, "7."},
        {"C++Builder 6.0 (Enterprise)", 6, "6."},
        {"Delphi 2005 (Enterprise)", 9, "9.0.1882.30496"},
        {"CodeGear Delphi for Win32 2007 (Enterprise)", 11, "11."},
        {"Embarcadero RAD Studio XE2 Win64 (Enterprise)", 16, "16.0.4504.48759"},
        {"Embarcadero RAD Studio 12 Win32 (Enterprise)", 29, "29."},
        {"Embarcadero RAD Studio 12 Win64 (Enterprise)", 29, "29."},
        {"Embarcadero RAD Studio 13 Win32 (Enterprise)", 30, "37."},
        {"Embarcadero RAD Studio 13 Win64 (Enterprise)", 30, "37."},
    };
    for (const auto& e : expected) {
      auto it = byName.find(e.name);
      ASSERT_NE(it, byName.end()) << e.name;
      EXPECT_EQ(it->second->Version(), e.version) << e.name;
      EXPECT_EQ(it->second->ProductVersion().rfind(e.productVersionPrefix, 0), 0u)
          << e.name << ": " << it->second->ProductVersion();
      EXPECT_FALSE(it->second->IsPersonal()) << e.name;
    }
    TCompileTarget* studio12 = byName["Embarcadero RAD Studio 12 Win64 (Enterprise)"];
    EXPECT_FALSE(studio12->BplDir().empty());
    EXPECT_EQ(studio12->BplDir().find("$("), std::string::npos) << studio12->BplDir();
    EXPECT_NE(studio12->FindPackage("dclFireDAC290.bpl"), nullptr);
    EXPECT_FALSE(studio12->SearchPaths().empty());
    // RAD Studio 13 comes last; its packages carry 370.
    TCompileTarget* studio13 = list.GetItems(list.Count() - 1);
    EXPECT_EQ(studio13->VersionStr(), "13");
    EXPECT_EQ(studio13->VersionedBPL("dcldb.bpl"), "dcldb370.bpl");
    EXPECT_NE(studio13->FindPackage("dclFireDAC370.bpl"), nullptr);
  }
}
