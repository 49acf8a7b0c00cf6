// The product version and the installation data.
#include "Compile/InstallData.h"

#include <gtest/gtest.h>

#include "IdeFixture.h"
#include "SysUtils.h"
#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "platform/Shell.h"

using platform::RegRoot;

TEST(VersionTest, ParsesNumbersAndEdition) {
  struct Case {
    const char* text;
    const char *shortVersion, *edition, *full;
  };
  const Case cases[] = {
      {"5.12.3.811 Professional With Sources", "5.12.3.811", "Professional Edition With Sources",
       "5.12.3.811 Professional Edition With Sources"},
      {"5.12.3 Trial", "5.12.3", "Trial Edition", "5.12.3 Trial Edition"},
      {"5..12.3", "5.12.3", "Standard Edition", "5.12.3 Standard Edition"},
      {"5.12.3.811 professional with sources", "5.12.3.811", "Professional Edition With Sources", nullptr},
      {"5.12.3.811 Trial something With Sources", "5.12.3.811", "Trial Edition With Sources", nullptr},
      {"5.12.3.811 Free", "5.12.3.811", "Free Edition", nullptr},
      {"5.12 Professional", "..", "Standard Edition", ".. Standard Edition"},
      {"  \r\n5.1.2.3\tEnterprise \r\n", "5.1.2.3", "Standard Edition", nullptr},
  };
  for (const auto& c : cases) {
    const TVersion v(c.text);
    EXPECT_EQ(v.VersionShort(), c.shortVersion) << c.text;
    EXPECT_EQ(v.Edition(), c.edition) << c.text;
    if (c.full != nullptr) {
      EXPECT_EQ(v.Version(), c.full) << c.text;
    }
  }
  EXPECT_EQ(TVersion("5.12.3.811 professional with sources").EditionText(), "professional with sources");
  for (const char* bad : {"", "  \r\n "}) {
    try {
      TVersion v(bad);
      ADD_FAILURE() << "no error for '" << bad << "'";
    } catch (const Exception& e) {
      EXPECT_EQ(std::string(e.what()), std::string("Bad version string: \"") + bad + "\"");
    }
  }
}

class InstallDataTest : public ::testing::Test {
 protected:
  InstallDataTest() {
    package = ide.Dir() + "\\Package";
    EXPECT_TRUE(platform::MakeDirectory(package));
    saved = platform::GetCurrentDir();
    platform::SetCurrentDir(package);
    WriteFile(package + "\\version", "5.12.3.811 Professional With Sources");
  }
  ~InstallDataTest() override {
    platform::SetCurrentDir(saved);
    CmdOptions.reset();
  }
  void SaveInstalled(const std::string& version, const std::string& installDir) {
    ide.SetString(RegRoot::LocalMachine, kProductRegistryKey, "InstallDir", installDir);
    ide.SetString(RegRoot::LocalMachine, kProductRegistryKey, "DemoDir", "D:\\Demos");
    ide.SetString(RegRoot::LocalMachine, kProductRegistryKey, "InstalledVersion", version);
  }

  IdeFixture ide;
  std::string package;
  std::string saved;
};

TEST_F(InstallDataTest, NewInstallationGetsDefaultFolders) {
  WriteFile(package + "\\withsrcs", "");
  ASSERT_TRUE(platform::MakeDirectory(package + "\\marlin"));  // a folder is no marker
  TInstallData data;
  EXPECT_EQ(data.InstallType(), itNew);
  EXPECT_FALSE(data.Installed());
  EXPECT_EQ(data.InstallDir(), platform::KnownFolderPath(platform::KnownFolder::ProgramFiles) + "\\Orlentix\\Vexorin");
  EXPECT_EQ(data.DemoDir(), platform::KnownFolderPath(platform::KnownFolder::CommonDocuments) + "\\Orlentix");
  EXPECT_EQ(data.PackagesDir(), data.DemoDir() + "\\Packages");
  EXPECT_EQ(data.StartFolderSelected(), "Orlentix\\Vexorin VCL Edition");
  EXPECT_EQ(data.StartFolderSelectedFull(),
            platform::KnownFolderPath(platform::KnownFolder::StartMenuPrograms) + "\\Orlentix\\Vexorin VCL Edition");
  EXPECT_TRUE(data.WithSources());
  EXPECT_FALSE(data.IncludeMarlin());
  EXPECT_TRUE(data.VisitWeb());
  EXPECT_EQ(data.Version().Version(), "5.12.3.811 Professional Edition With Sources");
}

TEST_F(InstallDataTest, InstallationTypeFollowsTheSavedVersion) {
  struct Case {
    const char *saved, *installDir;
    TInstallType type;
  };
  const Case cases[] = {
      {"5.12.3.811 Professional Edition With Sources", "C:\\Vexorin", itMainternance},
      {"5.12.3.811 Trial Edition", "C:\\Vexorin", itUpdate},
      {"5.13.0 Professional Edition With Sources", "C:\\Vexorin", itUpdate},  // older package over newer
      {"5.12.3.811 Professional Edition With Sources", "", itNew},
      {"", "C:\\Vexorin", itNew},  // no version recorded: loading stops
  };
  for (const auto& c : cases) {
    SaveInstalled(c.saved, c.installDir);
    TInstallData data;
    EXPECT_EQ(data.InstallType(), c.type) << c.saved << " in '" << c.installDir << "'";
  }
  // A missing version keeps the saved folder as the proposal.
  TInstallData data;
  EXPECT_EQ(data.InstallDir(), "C:\\Vexorin");
  EXPECT_EQ(data.InstalledVersion(), nullptr);
}

TEST_F(InstallDataTest, SavedSettingsRoundTrip) {
  WriteFile(package + "\\withsrcs", "");
  SaveInstalled("5.12.3.811 Professional Edition With Sources", "C:\\Vexorin");
  {
    TInstallData data;
    data.SetVisitWeb(false);
    data.SetCompilationMode(cmTMS);
    data.SetInstalled(true);
    data.SaveToRegistry();
  }
  platform::RegistryKey key;
  ASSERT_TRUE(key.OpenRead(RegRoot::LocalMachine, kProductRegistryKey));
  EXPECT_EQ(key.ReadString("StartFolder"), "Orlentix\\Vexorin VCL Edition");
  EXPECT_EQ(key.ReadDWord("Visit Web"), 0u);
  EXPECT_EQ(key.ReadDWord("CompilationMode"), 2u);
  {
    TInstallData data;
    EXPECT_FALSE(data.VisitWeb());
    EXPECT_EQ(data.CompilationMode(), cmTMS);
    EXPECT_EQ(data.DemoDir(), "D:\\Demos");
    data.SetInstalled(false);
    data.SaveToRegistry();
  }
  EXPECT_FALSE(platform::RegKeyExists(RegRoot::LocalMachine, kProductRegistryKey));
  // Without sources the saved mode does not count.
  SaveInstalled("5.12.3.811 Professional Edition With Sources", "C:\\Vexorin");
  ide.SetDWord(RegRoot::LocalMachine, kProductRegistryKey, "CompilationMode", 2);
  ASSERT_TRUE(platform::RemoveFile(package + "\\withsrcs"));
  TInstallData data;
  EXPECT_EQ(data.CompilationMode(), cmVCL);
}

TEST_F(InstallDataTest, VersionFileIsReadAsText) {
  WriteFile(package + "\\version", "\r\n5.12.3 Trial\r\n\r\n");
  {
    TInstallData data;
    EXPECT_EQ(data.Version().Version(), "5.12.3 Trial Edition");
  }
  WriteFile(package + "\\version", " \r\n");
  try {
    TInstallData data;
    ADD_FAILURE() << "no error";
  } catch (const Exception& e) {
    EXPECT_EQ(std::string(e.what()).rfind("Bad version string: ", 0), 0u) << e.what();
  }
}
