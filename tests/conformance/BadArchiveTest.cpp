// A data.arc that cannot be unpacked: cut short, damaged, or protected by a
// password (the contents only, or the names too). Each ends in the archiver's
// fatal error with nothing recorded as installed, and the archiver never
// waits for a password (ctest gives this test a time limit).
#include <gtest/gtest.h>

#include "Compile/Compiler.h"
#include "Compile/InstallData.h"
#include "EngineMachine.h"
#include "SysUtils.h"
#include "TestMachine.h"
#include "TestTools.h"
#include "Utils.h"
#include "platform/Environment.h"
#include "platform/FileSystem.h"

TEST(BadArchiveTest, TruncatedCorruptAndPasswordProtected) {
  EngineMachine machine;
  machine.Install("delphi7");
  machine.Load();
  const std::string dir = machine.Package().PackageDir();
  InstallProgram(ARCHIVER_PATH, dir + "\\7z.exe");
  if (std::string(ARCHIVER_DLL_PATH) != "") InstallProgram(ARCHIVER_DLL_PATH, dir + "\\7z.dll");
  InstallProgram(SAMPLE_PACKAGE_DIR "/data.arc", dir + "\\data.arc");
  const std::string whole = platform::ReadFileBytes(dir + "\\data.arc").value_or("");
  ASSERT_GT(whole.size(), 1000u);
  std::string corrupt = whole;
  for (size_t i = corrupt.size() / 3; i < corrupt.size() / 3 + 64; ++i) corrupt[i] = static_cast<char>(~corrupt[i]);
  struct Case {
    const char* what;
    std::string bytes;  // "" to take the file of the build
    std::string file;
  };
  const Case cases[] = {
      {"cut short", whole.substr(0, whole.size() / 2), ""},
      {"only its signature", whole.substr(0, 32), ""},
      {"damaged in the middle", corrupt, ""},
      {"a password on the contents", "", BAD_ARCHIVES_DIR "/password.arc"},
      {"a password on the contents and the names", "", BAD_ARCHIVES_DIR "/password-names.arc"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.file.empty()) {
      WriteFile(dir + "\\data.arc", c.bytes);
    } else {
      InstallProgram(c.file, dir + "\\data.arc");
    }
    InstallData->SetInstalled(true);
    std::string message;
    {
      ProgramInPackage program(dir, {"7z.exe", "7z.dll", "data.arc"});
      try {
        machine.compiler.ExtractArchive(false);
      } catch (const Exception& e) {
        message = e.Message();
      }
    }
    EXPECT_TRUE(platform::SetCurrentDir(dir));
    EXPECT_EQ(message, "Error extracting component files from archive.\rFatal error");
    EXPECT_FALSE(InstallData->Installed());
  }
}
