// Builds exactly the IDE registry keys and files a discovery test needs,
// through the platform layer, so the same test runs on simwin and on win32.
// Everything below the IDE vendors' keys and folders is removed afterwards.
#pragma once

#include <cstdint>
#include <string>

#include "TestMachine.h"
#include "platform/Registry.h"

class IdeFixture {
 public:
  IdeFixture();
  ~IdeFixture();

  const std::string& Dir() const { return machine_.Dir(); }

  void SetString(platform::RegRoot root, const std::string& key, const std::string& name, const std::string& value);
  void SetDWord(platform::RegRoot root, const std::string& key, const std::string& name, uint32_t value);
  void CreateKey(platform::RegRoot root, const std::string& key);
  void WriteText(const std::string& path, const std::string& text);  // creates missing folders
  // Removes every IDE key and the IDEs' roaming settings.
  void Reset() { Cleanup(); }

  // A minimal valid BDS IDE: machine key with RootDir, App and Edition, the
  // user key, bds.exe, dcldb and rsvars.bat. Returns the root folder.
  // `vendorRoot` is "Borland", "CodeGear" or "Embarcadero".
  std::string AddBds(const std::string& vendorRoot, const std::string& version, const std::string& edition,
                     const std::string& userKeyName = "BDS");
  // A minimal valid Delphi or C++Builder 6/7 ("Delphi", "C++Builder").
  std::string AddClassic(const std::string& product, const std::string& version, const std::string& edition);

 private:
  void Cleanup();
  TestMachine machine_;
};
