// The no-IDE dialog: what was not found, the download page, a word on the
// vendor's end-user product, and the two ways on.
#include "Wizard/uNoIDEWarning.h"

#include "Compile/InstallData.h"
#include "WebAddresses.h"
#include "platform/Shell.h"

TfNoIDEWarning::TfNoIDEWarning() {
  SetCaption("Vexorin Trial Version");
  SetClientSize(752, 513);
  SetPosition(Position::ScreenCenter);
  auto* picture = Add<gui::Panel>(gui::kWhite);
  picture->SetBounds(0, 0, 200, 465);
  picture->Add<gui::Image>("product")->SetBounds(16, 16, 168, 420);

  auto* body = Add<gui::Panel>(gui::kWhite);
  body->SetBounds(200, 0, 552, 465);
  auto* title = body->Add<gui::Panel>(gui::kTeal);
  title->SetCaption("Thank you for your interest to our products!");
  title->SetFontColor(gui::kWhite);
  title->SetBold(true);
  title->SetBounds(8, 8, 536, 24);
  Label1 = body->Add<gui::Label>(
      "Vexorin installation package has detected none of supported development environments, such as Borland "
      "Delphi, C++ Builder, Borland/Codegear RAD Development Studio or Turbo Delphi/C++ Builder, are installed on "
      "this PC.\r\n \r\nIf you feel this is wrong, please try to re-install your development environment. Also you "
      "may continue with the installation to copy all necessary files to your hard drive. You will be able to "
      "compile and install Vexorin packages later by hand.\r\n \r\nPlease check at the download page if you use the "
      "latest version of Vexorin and your development environment is supported by it.");
  Label1->SetWordWrap(true);
  Label1->SetBounds(16, 40, 520, 150);
  body->Add<gui::Label>("Download page:")->SetBounds(16, 196, 94, 14);
  auto* download = body->Add<gui::Label>(web::kProductDownload);
  download->SetFontColor(gui::kRed);
  download->SetBold(true);
  download->SetBounds(110, 196, 420, 14);

  auto* adTitle = body->Add<gui::Panel>(gui::kTeal);
  adTitle->SetCaption("End-user SQL Query Tool");
  adTitle->SetFontColor(gui::kWhite);
  adTitle->SetBold(true);
  adTitle->SetBounds(8, 224, 536, 24);
  auto* ad = body->Add<gui::Label>(
      "Your end-users need to query their data themselves?\r\nSkyvane is a stand-alone query tool that lets anyone "
      "build, run and share database queries visually, without writing SQL.");
  ad->SetWordWrap(true);
  ad->SetBounds(16, 256, 520, 60);
  body->Add<gui::Label>("Product page:")->SetBounds(16, 324, 90, 14);
  body->Add<gui::Label>(web::kSkyvaneProductPage)->SetBounds(110, 324, 420, 14);
  auto* signature = body->Add<gui::Label>("Sincerely,\r\nOrlenta Software Team");
  signature->SetBounds(380, 410, 156, 30);

  lVersion = Add<gui::Label>(InstallData ? InstallData->Version().Version() : std::string());
  lVersion->SetBold(true);
  lVersion->SetBounds(8, 482, 380, 14);
  bPurchase = Add<gui::Button>("Download Skyvane Now", gui::ModalResult::Ok);
  bPurchase->SetBold(true);
  bPurchase->SetBounds(396, 476, 160, 27);
  bPurchase->OnClick = [this] { bPurchaseClick(); };
  BitBtn2 = Add<gui::Button>("Continue with the installation", gui::ModalResult::Cancel);
  BitBtn2->SetBounds(564, 476, 180, 27);
  SetDefaultButton(bPurchase);
  SetCancelButton(BitBtn2);
}

void TfNoIDEWarning::bPurchaseClick() { platform::ShellOpen(web::kSkyvaneDownload); }
