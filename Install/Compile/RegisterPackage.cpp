// Making an IDE aware of the suite: its design-time packages in the known
// packages, its folders in the IDE's path lists. Only the in-memory lists of
// the IDE change here; the engine saves them afterwards.
#include "Compile/Compiler.h"
#include "Compile/InstallData.h"
#include "Compile/TargetOptions.h"
#include "Utils.h"
#include "platform/Locale.h"

namespace {

// A folder as the IDE's lists should hold it: no trailing backslash, a
// leading IDE or projects folder as its macro.
std::string PreparedPath(const TCompileTarget& target, const std::string& path) {
  return target.InsertDirMacros(ExcludeTrailingPathDelimiter(path));
}

}  // namespace

void TCompiler::InstallPackage(TTargetOptions& TargetOptions, const std::string& PackageName,
                               const std::string& ADescription) {
  if (!TargetOptions.IsSupportDesigner()) return;
  FLogger->Debug("Installing package:" + PackageName);
  std::string fileName = JoinPath(TargetOptions.BPLDir(), GetPackageName(TargetOptions.Target(), PackageName));
  fileName = ChangeFileExt(fileName, ".bpl");
  TargetOptions.Target().KnownPackages().Add(fileName, ADescription);
}

void TCompiler::AddSourcePath(TTargetOptions& TargetOptions) {
  if (!TargetOptions.AddSourceLocation()) return;
  TCompileTarget& target = TargetOptions.Target();
  AddPathToList(target, target.BrowsingPaths(), PreparedPath(target, TargetOptions.InstallData().SourcesDir()),
                "Browsing paths");
}

void TCompiler::AddLibraryPaths(TTargetOptions& TargetOptions) {
  TCompileTarget& target = TargetOptions.Target();
  const std::string bplDir = PreparedPath(target, TargetOptions.BPLDir());
  AddPathToList(target, target.SearchPaths(), bplDir, "Search paths");
  if (target.IsBDS() && target.SupportedPersonalities().count(persBCB) != 0) {
    AddPathToList(target, target.GlobalCppBrowsingPaths(), bplDir, "Global Cpp Search paths");
    AddPathToList(target, target.GlobalCppLibraryPaths(), bplDir, "Global Cpp Library paths");
  }
}

void TCompiler::AddPathToList(const TCompileTarget& ATarget, TStringList& AList, const std::string& APath,
                              const std::string& AListName) {
  FLogger->Debug("Adding path to " + AListName + ": " + APath);
  for (const std::string& candidate : PathForms(ATarget, APath)) {
    const int index = FindPathInList(AList, AListName, candidate);
    if (index < 0) continue;
    FLogger->Debug("Already in " + AListName + ": " + candidate);
    FLogger->Debug("Replacing in " + AListName + ": \"" + candidate + "\" by \"" + APath + "\"");
    AList[static_cast<size_t>(index)] = APath;
    return;
  }
  FLogger->Debug("Adding to " + AListName + ": " + APath);
  AList.push_back(APath);
}

std::vector<std::string> TCompiler::PathForms(const TCompileTarget& ATarget, const std::string& APath) {
  const std::string withDelimiter = IncludeTrailingPathDelimiter(APath);
  const std::string withMacros = ATarget.InsertDirMacros(withDelimiter);
  return {APath, withDelimiter, withMacros, IncludeTrailingPathDelimiter(withMacros)};
}

int TCompiler::FindPathInList(const TStringList& AList, const std::string& AListName, const std::string& ACandidate) {
  FLogger->Debug("  searching path in " + AListName + ": " + ACandidate);
  for (size_t i = 0; i < AList.size(); ++i) {
    if (platform::SameTextLocale(AList[i], ACandidate)) {
      FLogger->Debug("    found in " + AListName + ": " + ACandidate);
      return static_cast<int>(i);
    }
  }
  FLogger->Debug("    not found in " + AListName + ": " + ACandidate);
  return -1;
}
