#include "Compile/VersionTables.h"

// Five versions a row.
// clang-format off
const TVersionTable IDEFolderNames = {
    "",
    "Delphi1",       "Delphi2",       "Delphi3",      "Delphi4",       "Delphi5",        // 1-5
    "Delphi6",       "Delphi7",       "Delphi8",      "Delphi2005",    "Delphi2006",     // 6-10
    "Delphi2007",    "Delphi2009",    "",             "Delphi2010",    "Delphi2011",     // 11-15
    "Delphi2012",    "Delphi2013",    "Delphi2014",   "DelphiXE5",     "DelphiXE6",      // 16-20
    "DelphiXe7",     "DelphiXE8",     "RadStudio10",  "RadStudio10_1", "RadStudio10_2",  // 21-25
    "RadStudio10_3", "RadStudio10_4", "RadStudio11",  "RadStudio12",   "RadStudio13",    // 26-30
};

const TVersionTable CBuilderFolderNames = {
    "",
    "",          "", "", "", "CBuilder5",  // 1-5
    "CBuilder6", "", "", "", "",           // 6-10
    "",          "", "", "", "",           // 11-15
    "",          "", "", "", "",           // 16-20
    "",          "", "", "", "",           // 21-25
    "",          "", "", "", "",           // 26-30
};

const TVersionTable VersionTokens = {
    "",
    "1",      "2",      "3",    "4",      "5",       // 1-5
    "6",      "7",      "8",    "2005",   "2006",    // 6-10
    "2007",   "2009",   "",     "2010",   "2011",    // 11-15
    "2012",   "2013",   "2014", "XE5",    "XE6",     // 16-20
    "XE7",    "XE8",    "RS10", "RS10_1", "RS10_2",  // 21-25
    "RS10_3", "RS10_4", "RS11", "RS12",   "RS13",    // 26-30
};

const TVersionTable ProviderVersionTokens = {
    "",
    "1",             "2",             "3",             "4",             "5",              // 1-5
    "6",             "7",             "8",             "2005",          "2006",           // 6-10
    "2007",          "2009",          "",              "2010",          "2011",           // 11-15
    "2012",          "2013",          "2014",          "XE5",           "XE6",            // 16-20
    "XE7",           "XE8",           "rsdelphi%P10s", "rsdelphi%P10b", "rsdelphi%P10t",  // 21-25
    "rsdelphi%P10r", "rsdelphi%P104", "rsdelphi%P11",  "rsdelphi%P12",  "rsdelphi%P13",   // 26-30
};
// clang-format on

std::string VersionTableEntry(const TVersionTable& table, int Version) {
  if (Version < 1 || Version >= static_cast<int>(table.size())) return {};
  return table[static_cast<size_t>(Version)];
}
