// Constant tables indexed by the IDE's product version number
// (TCompileTarget::Version, 1 to 30; 13 was never released and is empty).
#pragma once

#include <array>
#include <string>

// The last product version the tables know: RAD Studio 13.
constexpr int kLastProductVersion = 30;

using TVersionTable = std::array<const char*, kLastProductVersion + 1>;  // index 0 is unused

// The IDE's sub-folder below the demo and packages folders.
extern const TVersionTable IDEFolderNames;
// The same for the C++Builder IDEs before RAD Studio (5 and 6 only).
extern const TVersionTable CBuilderFolderNames;
// The short version token in file names: "7", "2007", "XE8", "RS13".
extern const TVersionTable VersionTokens;
// The token in the file names of data-access packages: VersionTokens up to
// XE8, then "rsdelphi%P10s" and so on, with the platform name for "%P".
extern const TVersionTable ProviderVersionTokens;

// The table's entry for a version; "" for a version outside the table.
std::string VersionTableEntry(const TVersionTable& table, int Version);
