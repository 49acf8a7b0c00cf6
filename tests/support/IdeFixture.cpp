#include "IdeFixture.h"

#include <gtest/gtest.h>

#include <iterator>
#include <stdexcept>

#include "Utils.h"
#include "platform/FileSystem.h"
#include "platform/Shell.h"

using platform::RegRoot;

namespace {

// The IDEs' product keys below HKLM and HKCU (and the user key names tests
// give with -r options). Vendor keys themselves may hold other things: Wine's
// prefix has Borland\Database Engine.
const char* const kProductKeys[] = {"Software\\Borland\\Delphi",  "Software\\Borland\\C++Builder",
                                    "Software\\Borland\\BDS",     "Software\\CodeGear\\BDS",
                                    "Software\\Embarcadero\\BDS", "Software\\Embarcadero\\Win32Only"};
const char* const kVendors[] = {"Borland", "CodeGear", "Embarcadero"};

int MajorOf(const std::string& version) { return std::stoi(version.substr(0, version.find('.'))); }

}  // namespace

// Present while IDE keys on this machine belong to the tests (also after a
// run that crashed), so a machine with real IDEs is never touched.
const char* const kOwnerMarker = "Software\\VexorinTestIdeFixture";

IdeFixture::IdeFixture() {
  bool vendorKeys = false;
  for (const char* key : kProductKeys) {
    for (auto root : {RegRoot::LocalMachine, RegRoot::CurrentUser})
      vendorKeys = vendorKeys || platform::RegKeyExists(root, key);
  }
  if (vendorKeys && !platform::RegKeyExists(RegRoot::CurrentUser, kOwnerMarker)) {
    throw std::runtime_error("this machine has IDE registry keys the tests did not make; refusing to touch them");
  }
  CreateKey(RegRoot::CurrentUser, kOwnerMarker);
  Cleanup();
}

IdeFixture::~IdeFixture() {
  Cleanup();
  platform::RegDeleteKeyTree(RegRoot::CurrentUser, kOwnerMarker);
}

void IdeFixture::Cleanup() {
  for (const char* key : kProductKeys) {
    platform::RegDeleteKeyTree(RegRoot::LocalMachine, key);
    platform::RegDeleteKeyTree(RegRoot::CurrentUser, key);
  }
  for (const char* vendor : kVendors) {
    RemoveTree(platform::KnownFolderPath(platform::KnownFolder::RoamingAppData) + "\\" + vendor);
  }
  platform::RegDeleteKeyTree(RegRoot::LocalMachine, "Software\\Orlenta Software");
}

void IdeFixture::SetString(RegRoot root, const std::string& key, const std::string& name, const std::string& value) {
  platform::RegistryKey k;
  ASSERT_TRUE(k.OpenWrite(root, key, true)) << key;
  ASSERT_TRUE(k.WriteString(name, value)) << key << " " << name;
}

void IdeFixture::SetDWord(RegRoot root, const std::string& key, const std::string& name, uint32_t value) {
  platform::RegistryKey k;
  ASSERT_TRUE(k.OpenWrite(root, key, true)) << key;
  ASSERT_TRUE(k.WriteDWord(name, value)) << key << " " << name;
}

void IdeFixture::CreateKey(RegRoot root, const std::string& key) {
  platform::RegistryKey k;
  ASSERT_TRUE(k.OpenWrite(root, key, true)) << key;
}

void IdeFixture::WriteText(const std::string& path, const std::string& text) {
  ASSERT_TRUE(SafeForceDirectories(ExtractFileDir(path))) << path;
  WriteFile(path, text);
}

std::string IdeFixture::AddBds(const std::string& vendorRoot, const std::string& version, const std::string& edition,
                               const std::string& userKeyName) {
  const std::string root = Dir() + "\\" + vendorRoot + "\\" + version;
  const std::string machineKey = "Software\\" + vendorRoot + "\\BDS\\" + version;
  SetString(RegRoot::LocalMachine, machineKey, "RootDir", root + "\\");
  SetString(RegRoot::LocalMachine, machineKey, "App", root + "\\bin\\bds.exe");
  SetString(RegRoot::LocalMachine, machineKey, "Edition", edition);
  CreateKey(RegRoot::CurrentUser, "Software\\" + vendorRoot + "\\" + userKeyName + "\\" + version);
  WriteText(root + "\\bin\\bds.exe", "MZ");
  const int major = MajorOf(version);
  // The versioned database design package marks a full edition. Its number
  // is the product version up to BDS 23, the major version from BDS 37 on.
  static const int kProductVersion[] = {0,  1,  8,  9,  10, 11, 12, 14, 15, 16, 17, 18,
                                        19, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29};
  const int number = major < static_cast<int>(std::size(kProductVersion)) ? kProductVersion[major] : major;
  const std::string suffix = major == 5 ? "100" : std::to_string(number) + "0";
  WriteText(root + "\\bin\\dcldb" + suffix + ".bpl", "MZ");
  if (major >= 5) {
    WriteText(root + "\\bin\\rsvars.bat",
              "@SET BDS=" + root + "\r\n@SET BDSCOMMONDIR=" + Dir() + "\\Public\\RAD Studio\\" + version + "\r\n");
  }
  return root;
}

std::string IdeFixture::AddClassic(const std::string& product, const std::string& version, const std::string& edition) {
  const std::string root = Dir() + "\\" + product + version;
  const std::string machineKey = "Software\\Borland\\" + product + "\\" + version;
  const std::string exe = product == "Delphi" ? "delphi32.exe" : "bcb.exe";
  SetString(RegRoot::LocalMachine, machineKey, "RootDir", root + "\\");
  SetString(RegRoot::LocalMachine, machineKey, "App", root + "\\Bin\\" + exe);
  SetString(RegRoot::LocalMachine, machineKey, "Version", edition);
  CreateKey(RegRoot::CurrentUser, "Software\\Borland\\" + product + "\\" + version);
  WriteText(root + "\\Bin\\" + exe, "MZ");
  WriteText(root + "\\Bin\\dcldb" + std::to_string(MajorOf(version)) + "0.bpl", "MZ");
  return root;
}
