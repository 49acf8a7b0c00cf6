#include "PackageMachine.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "CmdLineUtils.h"
#include "Compile/InstallData.h"
#include "Compile/MetaProviders.h"
#include "Compile/TargetOptions.h"
#include "TestMachine.h"
#include "platform/Environment.h"
#include "platform/FileSystem.h"

PackageMachine::PackageMachine(const std::string& version) {
  package_ = fixture_.Dir() + "\\Package";
  EXPECT_TRUE(platform::MakeDirectory(package_));
  savedDir_ = platform::GetCurrentDir();
  platform::SetCurrentDir(package_);
  WriteFile(package_ + "\\version", version);
}

PackageMachine::~PackageMachine() {
  platform::SetCurrentDir(savedDir_);
  for (auto it = installed_.rbegin(); it != installed_.rend(); ++it) ideprofiles::UninstallIde(*it);
  CmdOptions.reset();
}

const ideprofiles::InstalledIde& PackageMachine::Install(const std::string& profile,
                                                         const ideprofiles::IdeOptions& options) {
  installed_.push_back(ideprofiles::InstallIde(profile, options));
  return installed_.back();
}

void PackageMachine::SetMarker(const std::string& name, bool present) {
  const std::string path = package_ + "\\" + name;
  if (present) {
    WriteFile(path, "");
  } else if (platform::FileExists(path)) {
    EXPECT_TRUE(platform::RemoveFile(path)) << path;
  }
}

TTargetOptions& OptionsOf(const TInstallData& data, const std::string& name) {
  const TTargetOptionsList& list = data.TargetOptions();
  for (int i = 0; i < list.Count(); ++i) {
    if (list.Items(i)->Target().DisplayName().rfind(name, 0) == 0) return *list.Items(i);
  }
  ADD_FAILURE() << "no IDE named " << name;
  throw std::runtime_error("no IDE named " + name);
}

TMetadataProvider& ProviderNamed(const TInstallData& data, const std::string& shortDescription) {
  const TMetadataProvidersList& list = data.MetaProviders();
  for (int i = 0; i < list.Count(); ++i) {
    if (list.Items(i)->ShortDescription() == shortDescription) return *list.Items(i);
  }
  ADD_FAILURE() << "no provider " << shortDescription;
  throw std::runtime_error("no provider " + shortDescription);
}
