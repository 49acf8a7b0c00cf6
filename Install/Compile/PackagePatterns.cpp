#include "Compile/PackagePatterns.h"

#include <string_view>

#include "Compile/VersionTables.h"
#include "RegExpr.h"
#include "platform/Text.h"

std::string ReplaceMacros(const std::string& Text, char Delimiter, const TMacroList& Macros, bool CaseSensitive) {
  std::string result;
  size_t i = 0;
  while (i < Text.size()) {
    if (Text[i] != Delimiter) {
      result += Text[i++];
      continue;
    }
    ++i;
    const std::string_view rest = std::string_view(Text).substr(i);
    bool replaced = false;
    for (const auto& [key, value] : Macros) {
      if (rest.size() < key.size()) continue;
      const std::string_view head = rest.substr(0, key.size());
      if (CaseSensitive ? head == key : platform::SameTextAscii(head, key)) {
        result += value;
        i += key.size();
        replaced = true;
        break;
      }
    }
    // An unknown macro loses its delimiter; the next character is plain text.
    if (!replaced && i < Text.size()) result += Text[i++];
  }
  return result;
}

std::string ExpandPackagePattern(TCompileTarget& ATarget, const std::string& Pattern) {
  const std::string targetType = ATarget.TargetType();
  const std::string providerToken = ReplaceMacros(VersionTableEntry(ProviderVersionTokens, ATarget.Version()), '%',
                                                  {{"P", ATarget.PlatformName()}}, true);
  return ReplaceMacros(Pattern, '%',
                       {{"e", targetType},
                        {"E", ATarget.IsBDS() ? "B" : targetType},
                        {"v", std::to_string(ATarget.Version())},
                        {"V", VersionTableEntry(VersionTokens, ATarget.Version())},
                        {"X", providerToken}},
                       true);
}

bool MatchPackageList(const TDelphiPackageList& List, const std::string& Pattern) {
  const TRegExpr expression(Pattern);
  for (int i = 0; i < List.Count(); ++i) {
    if (expression.Search(List.GetItems(i)->Name())) return true;
  }
  return false;
}

bool IsPackagePresent(TCompileTarget& ATarget, const std::string& Pattern) {
  if (ATarget.FindPackage(Pattern) != nullptr || ATarget.FindPackageEx(Pattern) != nullptr) return true;
  const std::string expanded = ExpandPackagePattern(ATarget, Pattern);
  if (ATarget.FindPackage(expanded) != nullptr || ATarget.FindPackageEx(expanded) != nullptr) return true;
  return MatchPackageList(ATarget.KnownIDEPackages(), expanded) || MatchPackageList(ATarget.KnownPackages(), expanded);
}
