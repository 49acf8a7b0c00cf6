// The connectivity providers: for each supported data-access library a pair
// of packages (run-time and design-time) that connect the suite to it, with
// how to recognise the library in an IDE. The forty providers are fixed and
// registered once, in the order in which they are listed, saved and built.
#pragma once

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "DelphiData.h"

class TCompiler;
class TInstallData;
class TMetadataProvidersList;
class TTargetOptions;

using TCompileTargetPlatforms = std::set<TCompileTargetPlatform>;

// Building, installing and removing a provider's packages belong to the
// compilation engine, which uses the data below.
class TMetadataProvider {
 public:
  // A new provider for both platforms, appended to AList, which owns it.
  static TMetadataProvider& Create(TMetadataProvidersList& AList, const std::string& APackageSuffix,
                                   const std::string& ADependLibPackage,
                                   const std::string& ADependLibPackageWithVersion,
                                   const std::string& AShortDescription, const std::string& ADependLibShortDescription,
                                   const std::string& ALongDescription, bool AStandard);
  TMetadataProvider(const TMetadataProvider&) = delete;
  TMetadataProvider& operator=(const TMetadataProvider&) = delete;

  TInstallData& InstallData() const { return *fInstallData; }
  const std::string& PackageSuffix() const { return fPackageSuffix; }
  bool Standard() const { return fStandard; }
  // The package pattern that recognises the library, and the one that
  // recognises its right version ("" when any version will do).
  const std::string& DependLibPackage() const { return fDependLibPackage; }
  const std::string& DependLibPackageWithVersion() const { return fDependLibPackageWithVersion; }
  const std::string& DependLibShortDescription() const { return fDependLibShortDescription; }
  const std::string& ShortDescription() const { return fShortDescription; }
  const std::string& LongDescription() const { return fLongDescription; }
  const TCompileTargetPlatforms& SupportedPlatforms() const { return fSupportedPlatforms; }
  void SetSupportedPlatforms(const TCompileTargetPlatforms& value) { fSupportedPlatforms = value; }
  // The value name in the per-IDE registry key: "DevArt MyDAC Connectivity".
  std::string RegKey() const;

  // "VxVexorin" / "VxVexorinDsgn" and the suffix, for every IDE.
  std::string GetRuntimePackageName(const TCompileTarget& ATarget) const;
  std::string GetDesignPackageName(const TCompileTarget& ATarget) const;

  // The IDE's platform is supported and the library's package is there.
  bool IsDependLibInstalled(TCompileTarget& ATarget) const;
  // The library's package of the right version is there, if one is asked for.
  bool IsDependLibHaveRightVersion(TCompileTarget& ATarget) const;

  // Builds the run-time package and, for a Win32 IDE, the design-time one.
  // The compiler's exceptions pass to the caller.
  void Compile(TCompiler& ACompiler, TTargetOptions& ATargetOptions);
  // Registers the design-time package in a Win32 IDE (a Win64 IDE has none)
  // and records the provider as installed there.
  void Install(TCompiler& ACompiler, TTargetOptions& ATargetOptions);
  // Takes both packages out of the IDE and records the provider as not installed.
  void Uninstall(TCompiler& ACompiler, TTargetOptions& ATargetOptions);

 private:
  TMetadataProvider() = default;
  // Hooks before each build; nothing to do for the providers there are.
  void BeforeCompileRuntime(TTargetOptions& /*ATargetOptions*/) {}
  void BeforeCompileDesign(TTargetOptions& /*ATargetOptions*/) {}

  TInstallData* fInstallData = nullptr;
  bool fStandard = false;
  std::string fPackageSuffix;
  std::string fDependLibPackage;
  std::string fDependLibPackageWithVersion;
  std::string fShortDescription;
  std::string fDependLibShortDescription;
  std::string fLongDescription;
  TCompileTargetPlatforms fSupportedPlatforms;
};

// The registered providers; it owns them. The per-IDE lists only refer to them.
class TMetadataProvidersList {
 public:
  explicit TMetadataProvidersList(TInstallData& AInstallData) : fInstallData(&AInstallData) {}
  TMetadataProvidersList(const TMetadataProvidersList&) = delete;
  TMetadataProvidersList& operator=(const TMetadataProvidersList&) = delete;

  TInstallData& InstallData() const { return *fInstallData; }
  TMetadataProvider* Items(int Index) const { return fItems.at(static_cast<size_t>(Index)).get(); }
  int Count() const { return static_cast<int>(fItems.size()); }

 private:
  friend class TMetadataProvider;
  TInstallData* fInstallData;
  std::vector<std::unique_ptr<TMetadataProvider>> fItems;
};

// Creates the forty providers into AList, in their fixed order.
void RegisterMetaProviders(TMetadataProvidersList& AList);
