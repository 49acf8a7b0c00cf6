// The wizard driven through the widget layer as a user would drive it: the
// page sequences of the four runs, the IDE rows and their refusals, the
// compiler dialog, the running-IDE check and the configuration page. Runs on
// either backend with the headless widgets.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "Compile/InstallData.h"
#include "Compile/MetaProviders.h"
#include "Compile/TargetOptions.h"
#include "PackageMachine.h"
#include "TestMachine.h"
#include "TestTools.h"
#include "Utils.h"
#include "Wizard/uMain.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/gui/Script.h"
#include "platform/gui/TextView.h"
#include "platform/gui/headless/Headless.h"

namespace {

using gui::CheckState;
using gui::WizardButton;

constexpr const char* kDelphi7 = "Delphi 7.0 (Enterprise)";
constexpr const char* kRs12Win32 = "Embarcadero RAD Studio 12 Win32 (Enterprise)";
constexpr const char* kRs12Win64 = "Embarcadero RAD Studio 12 Win64 (Enterprise)";

}  // namespace

class WizardTest : public ::testing::Test {
 protected:
  WizardTest() {
    gui::headless::SetOutput([this](const std::string& line) { shown.push_back(line); });
  }
  ~WizardTest() override {
    form.reset();
    gui::headless::SetSteps(nullptr);
    gui::headless::SetOutput(nullptr);
    InstallData.reset();
  }

  // The installation data for the IDEs installed so far, the form over it, shown.
  TfMain& Open() {
    if (!InstallData) Load();
    form = std::make_unique<TfMain>();
    gui::Application::Instance().SetMainForm(form.get());
    form->Show();
    return *form;
  }
  TInstallData& Load() {
    InstallData = std::make_unique<TInstallData>();
    return *InstallData;
  }

  // Records an installation of `version` into the named IDEs, as a run would have saved it.
  void RecordInstallation(const std::string& version, const std::vector<std::string>& ides) {
    TInstallData& data = Load();
    data.SetInstalled(true);
    data.SetInstallDir(machine->Dir() + "\\Install");
    data.SetDemoDir(machine->Dir() + "\\Demo");
    data.SaveToRegistry();
    for (const auto& name : ides) {
      TTargetOptions& options = OptionsOf(data, name);
      options.SetInstalled(true);
      options.SaveToRegistry();
    }
    platform::RegistryKey key;
    ASSERT_TRUE(key.OpenWrite(platform::RegRoot::LocalMachine, kProductRegistryKey, false));
    ASSERT_TRUE(key.WriteString("InstalledVersion", version));
    InstallData.reset();
  }

  // Steps carried out on the active window, with the answers for the
  // message boxes and dialogs they open; the steps left over.
  void Steps(const std::string& script) {
    auto source = gui::StepSource::FromSteps(gui::ParseScript(script));
    gui::StepSource* steps = source.get();
    gui::headless::SetSteps(std::move(source));
    while (const gui::ScriptStep* step = steps->Peek()) {
      const gui::ScriptStep current = *step;
      steps->Pop();
      gui::PerformStep(current, *form);
    }
  }

  // Next on every page, the licence accepted on the way, until the page comes.
  void NextUntil(const std::string& title) {
    for (int pages = 0; Title() != title; ++pages) {
      ASSERT_LT(pages, 12) << "no page " << title;
      if (form->Wizard->ActivePage() == form->wLicensePage) Steps("check \"Yes, I accept this agreement\"");
      Steps("click \"Next >\"");
    }
  }

  std::string Title() const { return form->Wizard->ActivePage()->Title(); }
  bool Enabled(WizardButton button) const { return form->Wizard->ActivePage()->ButtonEnabled(button); }

  gui::CheckBox& Row(const std::string& name) {
    for (const auto& child : form->scrollIDE->Children()) {
      if (child->GetKind() == gui::Kind::CheckBox && child->Caption() == name)
        return static_cast<gui::CheckBox&>(*child);
    }
    throw std::runtime_error("no row " + name);
  }
  gui::Label& Status(const std::string& name) {
    gui::CheckBox* box = &Row(name);
    for (const auto& child : form->scrollIDE->Children()) {
      if (child->GetKind() == gui::Kind::Label && child->Data() == box) return static_cast<gui::Label&>(*child);
    }
    throw std::runtime_error("no status for " + name);
  }
  std::vector<std::string> RowNames() const {
    std::vector<std::string> names;
    for (const auto& child : form->scrollIDE->Children()) {
      if (child->GetKind() == gui::Kind::CheckBox) names.push_back(child->Caption());
    }
    return names;
  }
  bool Shown(const std::string& line) const { return std::find(shown.begin(), shown.end(), line) != shown.end(); }

  std::optional<PackageMachine> machine{std::in_place};
  std::unique_ptr<TfMain> form;
  std::vector<std::string> shown;
};

TEST_F(WizardTest, NewInstallationLeadsThroughEveryPage) {
  machine->SetMarker("withsrcs", true);
  machine->Install("delphi7");
  const std::string programs = platform::KnownFolderPath(platform::KnownFolder::StartMenuPrograms);
  // A group of the user's own; on win32 it is the real Start menu's, so it goes again.
  const std::string group = programs + "\\Vexorin Tools";
  ASSERT_TRUE(SafeForceDirectories(group));
  struct RemoveGroup {
    std::string path;
    ~RemoveGroup() { RemoveTree(path); }
  } removeGroup{group};
  Open();
  EXPECT_EQ(Title(), "Welcome to the Vexorin Installation Wizard");
  EXPECT_FALSE(form->Wizard->ActivePage()->ButtonVisible(WizardButton::Back));

  Steps("click \"Next >\"");
  EXPECT_EQ(Title(), "License agreement");
  EXPECT_FALSE(Enabled(WizardButton::Next));
  Steps("check \"Yes, I accept this agreement\"");
  EXPECT_TRUE(Enabled(WizardButton::Next));
  Steps("uncheck \"Yes, I accept this agreement\"");
  EXPECT_FALSE(Enabled(WizardButton::Next));
  EXPECT_THROW(Steps("click \"Next >\""), gui::ScriptError);

  Steps(R"(check "Yes, I accept this agreement"
           click "Next >"
           expect "Destination Folder"
           type "Destination folder:" "D:\Components\Vexorin"
           type "Demo projects destination folder:" "D:\Components\Demos"
           click "Next >"
           expect "Select program folder")");
  EXPECT_EQ(InstallData->InstallDir(), "D:\\Components\\Vexorin");
  EXPECT_EQ(InstallData->DemoDir(), "D:\\Components\\Demos");

  Steps("type \"Program Folder:\" \"\"");
  EXPECT_FALSE(Enabled(WizardButton::Next));
  Steps("pick \"Existing folders:\" \"Vexorin Tools\"");
  EXPECT_EQ(form->eFolder->Text(), "Vexorin Tools");
  EXPECT_TRUE(Enabled(WizardButton::Next));
  Steps(R"(click "Next >"
           expect "Select compilation mode"
           choose "Compile Vexorin using TnT Unicode Controls")");
  EXPECT_EQ(InstallData->StartFolderSelected(), "Vexorin Tools");
  EXPECT_EQ(InstallData->CompilationMode(), cmTnt);
  Steps(R"(choose "Compile Vexorin using standard VCL Controls"
           click "Next >"
           expect "Choose IDE Targets"
           click "Next >"
           expect "Configuration"
           click "< Back"
           click "< Back"
           click "< Back"
           expect "Select program folder")");
}

TEST_F(WizardTest, WithoutSourcesTheCompilationModePageIsSkipped) {
  machine->Install("delphi7");
  Open();
  NextUntil("Choose IDE Targets");
}

TEST_F(WizardTest, UpdateWelcomesWithBothVersionsAndConfirmsTheUpdate) {
  machine->SetMarker("withsrcs", true);
  machine->Install("delphi7");
  machine->Install("bds23");
  RecordInstallation("5.12.2.700 Professional Edition With Sources", {kDelphi7});
  Open();
  EXPECT_EQ(InstallData->InstallType(), itUpdate);
  EXPECT_EQ(Title(), "Welcome to the Vexorin Installation Wizard");
  EXPECT_EQ(form->Wizard->ActivePage()->Subtitle(),
            "This wizard will update the Vexorin component version 5.12.2.700 Professional Edition With Sources "
            "currently installed on your computer with newer version 5.12.3.811 Professional Edition With Sources.");
  Steps(R"(click "Next >"
           expect "License agreement"
           check "Yes, I accept this agreement"
           click "Next >"
           expect "Select compilation mode"
           click "Next >"
           expect "Choose IDE Targets"
           click "Next >"
           expect "Configuration"
           click "Next >"
           expect "Begin update")");
  EXPECT_EQ(form->wUninstall->Subtitle(),
            "Vexorin is about to be updated. Please check the information below and press the Next button when ready.");
  EXPECT_EQ(form->lUninstall->Caption(),
            "You have selected to update the Vexorin component in the folder listed below.");
  EXPECT_EQ(form->lInstallDir->Caption(), machine->Dir() + "\\Install");
  EXPECT_TRUE(form->lInstallDir->Bold());
}

TEST_F(WizardTest, MaintenanceChoiceSwitchesBetweenTheTwoRuns) {
  machine->SetMarker("withsrcs", true);
  machine->Install("delphi7");
  RecordInstallation("5.12.3.811 Professional Edition With Sources", {kDelphi7});
  Open();
  EXPECT_EQ(Title(), "Vexorin maintenance");
  EXPECT_FALSE(form->Wizard->ActivePage()->ButtonVisible(WizardButton::Back));
  // The page opens with the choice that changes nothing by itself.
  EXPECT_TRUE(form->rbMainternance->Checked());
  EXPECT_EQ(InstallData->InstallType(), itMainternance);

  Steps("click \"Delete Vexorin from this computer.\"");
  EXPECT_TRUE(form->rbUninstall->Checked());
  EXPECT_EQ(InstallData->InstallType(), itUninstall);
  EXPECT_FALSE(form->wIDEPage->PageEnabled());
  EXPECT_FALSE(form->wConfigPage->PageEnabled());
  EXPECT_FALSE(form->wCompilationMode->PageEnabled());
  EXPECT_FALSE(form->cbVisitWeb->Visible());
  Steps(R"(click "Next >"
           expect "Begin uninstall")");
  EXPECT_EQ(form->lUWarning->Caption(),
            "WARNING: This folder will be completely removed from your hard disk. Please make sure that this folder "
            "doesn't contain any other important information before pressing the Next button.");

  Steps(R"(click "< Back"
           choose "Add or Remove IDE installations")");
  EXPECT_EQ(InstallData->InstallType(), itMainternance);
  EXPECT_TRUE(form->wIDEPage->PageEnabled());
  EXPECT_TRUE(form->wConfigPage->PageEnabled());
  EXPECT_FALSE(form->wUninstall->PageEnabled());
  EXPECT_TRUE(form->wCompilationMode->PageEnabled());
  EXPECT_TRUE(form->cbVisitWeb->Visible());
  Steps(R"(click "Next >"
           expect "Select compilation mode"
           click "Next >"
           expect "Choose IDE Targets")");
}

// The action word of each installation type and box state, and the action it sets.
TEST_F(WizardTest, RowsShowTheActionOfTheirState) {
  machine->Install("delphi7");
  machine->Install("bds23");
  struct Case {
    const char* what;
    bool installed;     // the product is installed (update or maintenance)
    const char* saved;  // its version, 5.12.3.811 being maintenance
    const char* ide;
    bool ideInstalled;
    std::vector<std::pair<std::string, TActionType>> clicks;  // the word and action at start and after each click
  };
  const Case cases[] = {
      {"new",
       false,
       "",
       kDelphi7,
       false,
       {{"Install", atInstall}, {"Don't install", atDoNothing}, {"Install", atInstall}}},
      {"update, installed",
       true,
       "5.12.2.700 Professional Edition With Sources",
       kDelphi7,
       true,
       {{"Update", atInstall}, {"Uninstall", atUninstall}, {"Update", atInstall}}},
      {"update, other",
       true,
       "5.12.2.700 Professional Edition With Sources",
       kRs12Win32,
       false,
       {{"Do nothing", atDoNothing}, {"Install", atInstall}, {"Do nothing", atDoNothing}}},
      {"maintenance, installed",
       true,
       "5.12.3.811 Professional Edition With Sources",
       kDelphi7,
       true,
       {{"Do nothing", atDoNothing},
        {"Reinstall", atInstall},
        {"Uninstall", atUninstall},
        {"Do nothing", atDoNothing}}},
      {"maintenance, other",
       true,
       "5.12.3.811 Professional Edition With Sources",
       kRs12Win32,
       false,
       {{"Do nothing", atDoNothing}, {"Install", atInstall}, {"Do nothing", atDoNothing}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.installed) RecordInstallation(c.saved, {kDelphi7});
    Open();
    TTargetOptions& options = OptionsOf(*InstallData, c.ide);
    for (size_t i = 0; i < c.clicks.size(); ++i) {
      if (i > 0) Row(c.ide).Click();
      EXPECT_EQ(Status(c.ide).Caption(), "Action: " + c.clicks[i].first);
      EXPECT_EQ(Status(c.ide).FontColor(), gui::kDefaultColor);
      EXPECT_EQ(options.Action(), c.clicks[i].second);
    }
    form.reset();
    InstallData.reset();
    platform::RegDeleteKeyTree(platform::RegRoot::LocalMachine, kProductRegistryKey);
  }
}

TEST_F(WizardTest, RowsAreOfferedInReverseOrderFromDelphi5AndCBuilder6On) {
  machine->Install("bcb5");
  machine->Install("delphi7");
  machine->Install("bcb6");
  machine->Install("bds23");
  Open();
  EXPECT_EQ(RowNames(),
            (std::vector<std::string>{kRs12Win64, kRs12Win32, "Delphi 7.0 (Enterprise)", "C++Builder 6.0 (Enterprise)",
                                      "Extract packages for all supported IDE"}));
  NextUntil("Choose IDE Targets");
  Steps("check \"Extract packages for all supported IDE\"");
  EXPECT_TRUE(form->forceExtractForAllIDE());
}

// Each refusal: the text in red, the box unchecked and disabled.
TEST_F(WizardTest, RefusedIdesShowTheirReasonInRed) {
  struct Case {
    const char* what;
    const char* profile;
    ideprofiles::IdeOptions options;
    bool withSources;
    const char* row;
    std::string text;
  };
  ideprofiles::IdeOptions personal;
  personal.edition = "Personal";
  ideprofiles::IdeOptions noCompiler;
  noCompiler.commandLineCompiler = false;
  ideprofiles::IdeOptions turbo;
  turbo.edition = "Turbo Explorer";
  turbo.commandLineCompiler = false;
  ideprofiles::IdeOptions oldCore;
  oldCore.coreVersion = "11.0.2709.7127";
  const Case cases[] = {
      {"no database packages", "delphi7", personal, false, "Delphi 7.0 (Personal)",
       "Cannot find valid IDE settings in the registry. Please start IDE at least once after installation to fill IDE "
       "registry section.\r Vexorin can not be installed."},
      {"no compiler", "delphi7", noCompiler, false, kDelphi7,
       "This IDE version has no dcc32.exe compiler.\rPlease reinstall your IDE in order to fix this problem."},
      {"Turbo without compiler", "bds4", turbo, false, "Borland Developer Studio 2006 (Turbo Explorer)",
       "The \"Turbo\" IDE edition has no command-line Delphi compiler (dcc32.exe).\rPlease download it from "
       "CodeGear site: https://www.embarcadero.com/downloads and run the installer again."},
      {"RAD Studio 2007 before Service Pack 1", "bds5", oldCore, false, "CodeGear RAD Studio 2007 (Enterprise)",
       "You have to update your D2007 IDE version before installing Vexorin.\rPlease install Service Pack 1 for "
       "Delphi2007 and run the installer again."},
      {"RAD Studio 2007 before Service Pack 1, with sources", "bds5", oldCore, true,
       "CodeGear RAD Studio 2007 (Enterprise)", "Action: Install"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    machine.reset();
    machine.emplace();
    machine->SetMarker("withsrcs", c.withSources);
    machine->Install(c.profile, c.options);
    Open();
    const bool refused = StrStartsWith(c.text, "Action: ", false) == false;
    EXPECT_EQ(Status(c.row).Caption(), c.text);
    EXPECT_EQ(Status(c.row).FontColor(), refused ? gui::kRed : gui::kDefaultColor);
    EXPECT_EQ(Row(c.row).Enabled(), !refused);
    EXPECT_EQ(Row(c.row).Checked(), !refused);
    form.reset();
    InstallData.reset();
  }
}

TEST_F(WizardTest, ACompilationModeRefusalGoesAwayWithTheMode) {
  machine->SetMarker("withsrcs", true);
  machine->Install("delphi7");
  Open();
  NextUntil("Select compilation mode");
  Steps(R"(choose "Compile Vexorin using TMS Unicode Controls"
           click "Next >")");
  EXPECT_EQ(Status(kDelphi7).Caption(),
            "You chose to compile Vexorin with TMS Unicode controls,\rbut this IDE have no TMS Unicode controls "
            "installed.");
  EXPECT_EQ(Status(kDelphi7).FontColor(), gui::kRed);
  EXPECT_FALSE(Row(kDelphi7).Enabled());
  EXPECT_FALSE(Row(kDelphi7).Checked());
  EXPECT_EQ(OptionsOf(*InstallData, kDelphi7).Action(), atDoNothing);
  // Nothing chosen in a new installation: Next stays, the configuration page goes.
  EXPECT_TRUE(Enabled(WizardButton::Next));
  EXPECT_FALSE(form->wConfigPage->PageEnabled());

  Steps(R"(click "< Back"
           choose "Compile Vexorin using standard VCL Controls"
           click "Next >")");
  EXPECT_EQ(Status(kDelphi7).Caption(), "Action: Don't install");
  EXPECT_TRUE(Row(kDelphi7).Enabled());
  EXPECT_FALSE(Row(kDelphi7).Checked());
}

TEST_F(WizardTest, OldDevExpressLibraryIsNamed) {
  machine->SetMarker("withsrcs", true);
  machine->Install("delphi7");
  TInstallData& data = Load();
  data.SetCompilationMode(cmDevExpress);
  TCompileTarget& d7 = OptionsOf(data, kDelphi7).Target();
  for (const char* package : {"dclcxLibraryD7.bpl", "dclcxTreeListD7.bpl", "dclcxEditorsD7.bpl"})
    d7.KnownPackages().Add(std::string("C:\\DevExpress\\") + package, "");
  Open();
  EXPECT_EQ(Status(kDelphi7).Caption(),
            "Action: Install\rThe installer supports compilation of Vexorin with DevExpress controls library v.18.2 "
            "and higher.\rPlease contact support if you have an earlier version.");
}

TEST_F(WizardTest, MaintenanceNextFollowsTheChanges) {
  machine->Install("delphi7");
  machine->Install("bds23");
  RecordInstallation("5.12.3.811 Professional Edition With Sources", {kDelphi7});
  Open();
  Steps("click \"Next >\"");
  EXPECT_EQ(Title(), "Choose IDE Targets");
  EXPECT_FALSE(Enabled(WizardButton::Next));
  EXPECT_FALSE(form->wConfigPage->PageEnabled());
  Steps("check \"" + std::string(kRs12Win32) + "\"");
  EXPECT_TRUE(Enabled(WizardButton::Next));
  EXPECT_TRUE(form->wConfigPage->PageEnabled());
  Steps("uncheck \"" + std::string(kRs12Win32) + "\"");
  EXPECT_FALSE(Enabled(WizardButton::Next));
  // Uninstalling needs no configuration.
  Steps("click \"" + std::string(kDelphi7) + "\"\nclick \"" + std::string(kDelphi7) + "\"");
  EXPECT_EQ(OptionsOf(*InstallData, kDelphi7).Action(), atUninstall);
  EXPECT_TRUE(Enabled(WizardButton::Next));
  EXPECT_FALSE(form->wConfigPage->PageEnabled());
}

TEST_F(WizardTest, TurboWithoutCompilerAsksRetryContinueOrExit) {
  ideprofiles::IdeOptions turbo;
  turbo.edition = "Turbo Explorer";
  turbo.commandLineCompiler = false;
  machine->Install("bds4", turbo);
  machine->Install("delphi7");
  const std::string turboName = "Borland Developer Studio 2006 (Turbo Explorer)";
  RecordInstallation("5.12.2.700 Professional Edition With Sources", {turboName, kDelphi7});
  Open();
  NextUntil("Choose IDE Targets");
  // Refused, the Turbo IDE is to lose the suite: the compiler warning comes.
  EXPECT_EQ(OptionsOf(*InstallData, turboName).Action(), atUninstall);
  Steps(R"(click "Next >"
           answer "Retry"
           key Esc
           answer "Continue Anyway")");
  EXPECT_EQ(std::count(shown.begin(), shown.end(), "=== dialog \"Warning\""), 3);
  EXPECT_TRUE(Shown("  label: The installer has detected that your " + turboName +
                    " doesn't have the Delphi command-line compiler (dcc32.exe) which is required in order to compile "
                    "third-party connectivity packages."));
  EXPECT_EQ(Title(), "Configuration");
  EXPECT_FALSE(gui::Application::Instance().Terminated());

  Steps(R"(click "< Back"
           click "Next >"
           answer "Exit")");
  EXPECT_TRUE(gui::Application::Instance().Terminated());
  EXPECT_EQ(Title(), "Choose IDE Targets");
}

TEST_F(WizardTest, RunningIdesKeepTheWizardOnThePageUnlessThreeKeysAreHeld) {
  const auto& d7 = machine->Install("delphi7");
  const auto& rs12 = machine->Install("bds23");
  Open();
  NextUntil("Choose IDE Targets");
  {
    RunningProcess delphi(d7.executable);
    RunningProcess studio(rs12.executable);
    Steps(R"(click "Next >"
             answer "OK"
             answer "OK"
             answer "OK")");
    EXPECT_EQ(Title(), "Choose IDE Targets");
    for (const char* name : {kRs12Win32, kRs12Win64, kDelphi7}) {
      EXPECT_TRUE(Shown(std::string("  ") + name + " IDE is running. Please close it before continue."));
    }
    Steps(R"(hold-keys
             click "Next >")");
    EXPECT_EQ(Title(), "Configuration");
  }
}

TEST_F(WizardTest, ConfigurationPageShowsTheChosenIdesOptions) {
  machine->SetMarker("withsrcs", true);
  machine->SetMarker("metapvds", true);
  machine->Install("delphi7");
  machine->Install("bds23");
  TInstallData& data = Load();
  data.SetInstallDir(machine->Dir() + "\\Install");
  data.SetDemoDir(machine->Dir() + "\\Demo");
  TTargetOptions& rs12 = OptionsOf(data, kRs12Win32);
  rs12.Target().KnownPackages().Add("C:\\NexusDB\\nexusdb310dsg290.bpl", "");
  OptionsOf(data, kRs12Win64).SetIDERegistration(true);
  Open();
  NextUntil("Configuration");
  ASSERT_EQ(form->cTarget->Items().size(), 3u);
  EXPECT_EQ(form->cTarget->Items()[0].text, kRs12Win64);
  EXPECT_EQ(form->cTarget->Items()[1].text, kRs12Win32);
  EXPECT_EQ(form->cTarget->Items()[2].text, kDelphi7);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(form->ImageListTargets.HasIcon(i)) << i;

  // Win64: no IDE registration, and the shown state is stored.
  EXPECT_FALSE(form->cbIDERegistration->Enabled());
  EXPECT_FALSE(form->cbIDERegistration->Checked());
  EXPECT_FALSE(OptionsOf(*InstallData, kRs12Win64).IDERegistration());

  Steps("pick \"Options for\" \"" + std::string(kRs12Win32) + "\"");
  EXPECT_TRUE(form->cbIDERegistration->Enabled());
  Steps(R"(check "Vexorin Component NexusDB v3 Connectivity"
           answer "Close")");
  EXPECT_TRUE(Shown("=== dialog \"Incompatible package version\""));
  EXPECT_TRUE(Shown(
      "  label: \"NexusDB v3 Connectivity\" package should be modified according to \"NexusDB v3\" version that you "
      "have and compiled manually. You have to change the name of \"NexusDB v3\" run-time package according to the "
      "minor version you have installed. Edit the \"..\\Demo\\Packages\\RadStudio12\\VxVexorinNexusDB3D29.dpk\" "
      "package and correct the reference to \"NexusDB v3\" run-time package in \"requires\" section. After that "
      "you'll be able to compile this package and install the \"VxVexorinDsgnNexusDB3D29.dpk\" design-time package "
      "in your IDE."));
  const TMetadataProvider& nexus = ProviderNamed(*InstallData, "NexusDB v3");
  EXPECT_FALSE(rs12.IsMetaProviderSheduledForInstall(nexus));
  const auto& lines = form->clMetaProviders->Lines();
  const auto nexusLine = std::find_if(lines.begin(), lines.end(), [](const auto& line) {
    return line.text == "Vexorin Component NexusDB v3 Connectivity";
  });
  ASSERT_NE(nexusLine, lines.end());
  EXPECT_FALSE(nexusLine->checked);

  Steps("uncheck \"Vexorin Component FireDAC Connectivity\"");
  EXPECT_FALSE(rs12.IsMetaProviderSheduledForInstall(ProviderNamed(*InstallData, "FireDAC")));
  Steps("check \"Vexorin Component FireDAC Connectivity\"");
  EXPECT_TRUE(rs12.IsMetaProviderSheduledForInstall(ProviderNamed(*InstallData, "FireDAC")));
}

TEST_F(WizardTest, ALineThatCannotBeInstalledStillShowsItsSchedule) {
  // RAD Studio 12 has FireDAC, and its key has no value for it: FireDAC is
  // scheduled. Without the connectivity marker only the standard providers
  // can be chosen, so the line is disabled all the same.
  machine->Install("bds23");
  RecordInstallation("5.12.3.811 Professional Edition With Sources", {kRs12Win32});
  {
    TInstallData& data = Load();
    platform::RegistryKey key;
    ASSERT_TRUE(key.OpenWrite(platform::RegRoot::LocalMachine, OptionsOf(data, kRs12Win32).RegistryKey(), false));
    ASSERT_TRUE(key.DeleteValue(ProviderNamed(data, "FireDAC").RegKey()));
    InstallData.reset();
  }
  Open();
  Steps(R"s(click "Next >"
           click "Embarcadero RAD Studio 12 Win32 (Enterprise)"
           click "Next >"
           expect "Configuration"
           pick "Options for" "Embarcadero RAD Studio 12 Win32 (Enterprise)")s");
  EXPECT_TRUE(Shown("      [x] Vexorin Component FireDAC Connectivity (disabled)"));
  EXPECT_THROW(Steps("uncheck \"Vexorin Component FireDAC Connectivity\""), gui::ScriptError);
  EXPECT_TRUE(
      OptionsOf(*InstallData, kRs12Win32).IsMetaProviderSheduledForInstall(ProviderNamed(*InstallData, "FireDAC")));
}

TEST_F(WizardTest, AnIdeWhoseConfigurationCannotBeReadIsRefusedWithTheError) {
  machine->Install("delphi7");
  const auto& rs12 = machine->Install("bds23");
  const std::string rsvars = rs12.rootDir + "bin\\rsvars.bat";
  ASSERT_TRUE(platform::RemoveFile(rsvars));
  Open();
  for (const char* name : {kRs12Win32, kRs12Win64}) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(StrStartsWith(Status(name).Caption(), "Cannot read " + rsvars + ": ", false)) << Status(name).Caption();
    EXPECT_EQ(Status(name).FontColor(), gui::kRed);
    EXPECT_FALSE(Row(name).Enabled());
    EXPECT_FALSE(Row(name).Checked());
    EXPECT_EQ(OptionsOf(*InstallData, name).Action(), atDoNothing);
  }
  EXPECT_EQ(Status(kDelphi7).Caption(), "Action: Install");
}
