// The native windows of every page and dialog at 96 and 144 DPI: each
// control's text, measured with its font, fits its rectangle. Runs in the
// Windows build with the win32 backend (under Wine with a display).
#include <gtest/gtest.h>

#include <memory>

#include "Compile/InstallData.h"
#include "PackageMachine.h"
#include "Wizard/uDCCCompilerWarning.h"
#include "Wizard/uMain.h"
#include "Wizard/uMessageForm.h"
#include "Wizard/uNoIDEWarning.h"
#include "platform/gui/Widgets.h"
#include "platform/gui/win32/Native.h"

namespace {

std::string Describe(const std::vector<gui::win32::Clipped>& clipped) {
  std::string text;
  for (const auto& c : clipped) {
    text += "\"" + c.name + "\": text " + std::to_string(c.textWidth) + "x" + std::to_string(c.textHeight) + " in " +
            std::to_string(c.width) + "x" + std::to_string(c.height) + "\n";
  }
  return text;
}

class LayoutTest : public ::testing::TestWithParam<int> {
 protected:
  static void SetUpTestSuite() { ASSERT_EQ(gui::InitializeGui(), ""); }
  LayoutTest() { gui::win32::SetDpiOverride(GetParam()); }
  ~LayoutTest() override {
    gui::win32::SetDpiOverride(0);
    InstallData.reset();
  }

  // Every page of the wizard shown in turn (without running its handlers),
  // with its clipped texts.
  std::string ClippedOnEveryPage(TfMain& form) {
    std::string found;
    form.wUninstallPage();
    for (gui::WizardPage* page : form.Wizard->Pages()) {
      page->OnEnterPage = nullptr;
      page->OnPage = nullptr;
      page->SetPageEnabled(true);
      form.Wizard->ShowPage(page);
      const auto clipped = gui::win32::FindClippedText(form);
      if (!clipped.empty()) found += page->Name() + ":\n" + Describe(clipped);
    }
    return found;
  }

  PackageMachine machine;
};

TEST_P(LayoutTest, NoTextOfTheWizardIsClipped) {
  machine.SetMarker("withsrcs", true);
  machine.SetMarker("metapvds", true);
  machine.Install("delphi7");
  machine.Install("bds23");
  InstallData = std::make_unique<TInstallData>();
  TfMain form;
  gui::Application::Instance().SetMainForm(&form);
  form.Show();
  EXPECT_EQ(gui::win32::FormDpi(form), GetParam());
  EXPECT_EQ(ClippedOnEveryPage(form), "");
  // The finish page after a run with errors shows its other texts.
  form.lbWasError->SetVisible(true);
  form.lbErrorDescription->SetVisible(true);
  form.btnOpenLogFile->SetVisible(true);
  form.btnOpenLogFolder->SetVisible(true);
  form.btnSumbitAssist->SetVisible(true);
  form.lSetupLogPath->SetCaption("C:\\Program Files (x86)\\Orlentix\\Vexorin\\setup.log");
  EXPECT_EQ(Describe(gui::win32::FindClippedText(form)), "");
  gui::Application::Instance().SetMainForm(nullptr);
}

TEST_P(LayoutTest, NoTextOfTheDialogsIsClipped) {
  InstallData = std::make_unique<TInstallData>();
  {
    TfDCCCompilerWarning dialog;
    dialog.lblWarning->SetCaption(
        "The installer has detected that your CodeGear Turbo Delphi 2006 Win32 (Turbo "
        "Explorer) doesn't have the Delphi command-line compiler (dcc32.exe) which is "
        "required in order to compile third-party connectivity packages.");
    dialog.Show();
    EXPECT_EQ(Describe(gui::win32::FindClippedText(dialog)), "");
  }
  {
    TfMessageForm dialog;
    dialog.SetCaption("Incompatible package version");
    dialog.lblMessage->SetCaption(
        "\"NexusDB v3 Connectivity\" package should be modified according to \"NexusDB\" version that you have and "
        "compiled manually. You have to change the name of \"NexusDB\" run-time package according to the minor "
        "version you have installed. Edit the \"Packages\\Delphi7\\vxNexusDB3D7.dpk\" package and correct the "
        "reference to \"NexusDB\" run-time package in \"requires\" section.");
    dialog.Show();
    EXPECT_EQ(Describe(gui::win32::FindClippedText(dialog)), "");
  }
  {
    TfNoIDEWarning dialog;
    dialog.Show();
    EXPECT_EQ(Describe(gui::win32::FindClippedText(dialog)), "");
  }
}

INSTANTIATE_TEST_SUITE_P(Dpi, LayoutTest, ::testing::Values(96, 144),
                         [](const ::testing::TestParamInfo<int>& info) { return std::to_string(info.param); });

}  // namespace
