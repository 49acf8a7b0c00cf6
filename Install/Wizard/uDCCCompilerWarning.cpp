// The compiler warning dialog. Esc means Retry, Enter Continue Anyway.
#include "Wizard/uDCCCompilerWarning.h"

#include "WebAddresses.h"
#include "platform/Shell.h"

TfDCCCompilerWarning::TfDCCCompilerWarning() {
  SetCaption("Warning");
  SetClientSize(431, 259);
  SetPosition(Position::ScreenCenter);
  lblWarning = Add<gui::Label>(
      "The installer has detected that your %s doesn't have the Delphi command-line compiler (dcc32.exe) which is "
      "required in order to compile third-party connectivity packages.");
  lblWarning->SetWordWrap(true);
  lblWarning->SetBounds(8, 8, 415, 52);
  Label2 = Add<gui::Label>(
      "You may select not to compile these packages during the installation procedure and compile them later from "
      "the IDE. Or you may download this compiler being a registered user of Professional Edition from the following "
      "location:");
  Label2->SetWordWrap(true);
  Label2->SetBounds(8, 62, 415, 52);
  lblLink = Add<gui::LinkLabel>(web::kCommandLineCompilerDownload);
  lblLink->SetBounds(8, 116, 415, 14);
  lblLink->OnClick = [this] { lblLinkClick(); };
  Label4 = Add<gui::Label>(
      "Press the \"Retry\" button if you already have downloaded and placed the command-line compiler in your "
      "Delphi/Bin directory.");
  Label4->SetWordWrap(true);
  Label4->SetBounds(8, 132, 415, 28);
  Label5 = Add<gui::Label>(
      "Press the \"Continue Anyway\" button to install Vexorin without third-party connectivity "
      "packages.");
  Label5->SetWordWrap(true);
  Label5->SetBounds(8, 162, 415, 28);
  Label6 = Add<gui::Label>("Press the \"Exit\" button to quit the installer.");
  Label6->SetBounds(8, 192, 415, 14);
  bRetry = Add<gui::Button>("&Retry", gui::ModalResult::Retry);
  bRetry->SetBounds(104, 226, 97, 25);
  bContinue = Add<gui::Button>("Continue Anyway", gui::ModalResult::Ignore);
  bContinue->SetBounds(209, 226, 113, 25);
  bCancel = Add<gui::Button>("Exit", gui::ModalResult::Cancel);
  bCancel->SetBounds(330, 226, 93, 25);
  SetCancelButton(bRetry);
  SetDefaultButton(bContinue);
  SetActiveControl(bContinue);
}

void TfDCCCompilerWarning::lblLinkClick() { platform::ShellOpen(lblLink->Caption()); }
