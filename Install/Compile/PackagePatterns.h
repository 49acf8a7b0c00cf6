// Recognising a library installed in an IDE by its package names: package
// patterns with "%" macros for the IDE, looked up by name, by prefix and as
// Perl-compatible regular expressions.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "DelphiData.h"

using TMacroList = std::vector<std::pair<std::string, std::string>>;

// Copies Text, replacing each Delimiter followed by a key with the key's value
// (the first key that matches, in order). A delimiter that no key follows is
// dropped and the character after it is kept as it is. Values are not scanned
// again.
std::string ReplaceMacros(const std::string& Text, char Delimiter, const TMacroList& Macros, bool CaseSensitive);

// The pattern with the IDE's macros replaced: %e the target type, %E "B" for
// RAD Studio (else the target type), %v the version number, %V the version
// token, %X the data-access version token with the platform name for %P.
std::string ExpandPackagePattern(TCompileTarget& ATarget, const std::string& Pattern);

// True if a package file name of the list matches the pattern somewhere, as a
// case-insensitive regular expression. A bad pattern raises an Exception.
bool MatchPackageList(const TDelphiPackageList& List, const std::string& Pattern);

// True if the IDE's known packages (IDE packages first) hold a package named
// by the pattern, as it is or expanded: the whole file name, its beginning, or
// a regular-expression match anywhere in it.
bool IsPackagePresent(TCompileTarget& ATarget, const std::string& Pattern);
