// An installer package folder (the current directory while it lives) on a
// machine with IDEs installed from profiles, on either backend. The IDEs, the
// product key and the folders go again at the end.
#pragma once

#include <deque>
#include <memory>
#include <string>

#include "IdeFixture.h"
#include "common/IdeProfiles.h"

class TInstallData;
class TMetadataProvider;
class TTargetOptions;

class PackageMachine {
 public:
  // The package holds a version file with `version`.
  explicit PackageMachine(const std::string& version = "5.12.3.811 Professional With Sources");
  ~PackageMachine();
  PackageMachine(const PackageMachine&) = delete;
  PackageMachine& operator=(const PackageMachine&) = delete;

  const ideprofiles::InstalledIde& Install(const std::string& profile, const ideprofiles::IdeOptions& options = {});
  // Adds or removes a marker file of the package ("withsrcs", "metapvds", ...).
  void SetMarker(const std::string& name, bool present);
  IdeFixture& Fixture() { return fixture_; }
  const std::string& Dir() const { return fixture_.Dir(); }
  // The package folder, the current directory.
  const std::string& PackageDir() const { return package_; }

 private:
  IdeFixture fixture_;
  std::string package_;
  std::string savedDir_;
  std::deque<ideprofiles::InstalledIde> installed_;  // stable references
};

// The options of the IDE whose display name begins with `name`; fails the
// test (and throws) when there is none.
TTargetOptions& OptionsOf(const TInstallData& data, const std::string& name);
// The registered provider with that short description ("NexusDB v3").
TMetadataProvider& ProviderNamed(const TInstallData& data, const std::string& shortDescription);
