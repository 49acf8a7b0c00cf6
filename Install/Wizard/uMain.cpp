// The wizard form: its pages, the page sequence of each installation type,
// the IDE rows, the configuration page, and the run on the compile page.
#include "Wizard/uMain.h"

#include "CmdLineUtils.h"
#include "Compile/Compiler.h"
#include "Compile/MetaProviders.h"
#include "ExitCodes.h"
#include "SetupLog.h"
#include "SysUtils.h"
#include "Utils.h"
#include "WebAddresses.h"
#include "Wizard/FrmDirEditBrowse.h"
#include "Wizard/LicenseText.h"
#include "Wizard/RunProgress.h"
#include "Wizard/uDCCCompilerWarning.h"
#include "Wizard/uMessageForm.h"
#include "platform/ConsoleIO.h"
#include "platform/Shell.h"

namespace {

using gui::WizardButton;

constexpr int kContentLeft = 24;
constexpr int kContentTop = 72;
constexpr int kContentWidth = 550;
constexpr int kRowStep = 62;

const char* const kStrongRecommendation =
    "It is strongly recommended that you exit all Delphi IDE before running this setup program.\r\n\r\n"
    "Click Cancel to quit the setup program, then close any programs you have running.  Click Next to continue the "
    "installation.\r\n\r\n"
    "WARNING: This program is protected by copyright law and international treaties. Unauthorized reproduction or "
    "distribution of this program, or any portion of it, may result in severe civil and criminal penalties, and "
    "will be prosecuted to the maximum extent possible under law.";
const char* const kProductDescription =
    "Vexorin is a visual query builder component suite for Borland Delphi and C++ Builder which gives your "
    "end-users the ability to create complex queries via the intuitive visual interface.";
const char* const kIncompatibleVersion =
    "\"%0:s\" package should be modified according to \"%1:s\" version that you have and compiled manually. You have "
    "to change the name of \"%1:s\" run-time package according to the minor version you have installed. Edit the "
    "\"%2:s\\%3:s\" package and correct the reference to \"%1:s\" run-time package in \"requires\" section. After "
    "that you'll be able to compile this package and install the \"%4:s\" design-time package in your IDE.";
const char* const kFeedbackQuestion =
    "Thank you for evaluation of Vexorin VCL Edition!\r"
    "---------------------------------------------------------------------\r"
    "Would you like to fill a SHORT feedback form on our web-site?\r"
    "We REALLY need to know your opinion to improve our software.\r\r"
    "Thank you in advance for your concernment!";
// The core-package version from which RAD Studio 2007 can take a package without sources.
const char* const kRs2007MinimumCore = "11.0.2709.7128";

gui::Label* AddLabel(gui::Control* parent, const std::string& caption, int left, int top, int width, int height) {
  auto* label = parent->Add<gui::Label>(caption);
  label->SetWordWrap(height > 16);
  label->SetBounds(left, top, width, height);
  return label;
}

gui::WizardPage* AddPage(gui::Wizard* wizard, const std::string& name, const std::string& title,
                         const std::string& subtitle) {
  auto* page = wizard->AddPage();
  page->SetName(name);
  page->SetTitle(title);
  page->SetSubtitle(subtitle);
  return page;
}

// The welcome pages: the picture on the left, Next and Cancel.
void MakeWelcome(gui::WizardPage* page) {
  page->SetWelcome(true);
  page->SetButtonVisible(WizardButton::Back, false);
  page->Add<gui::Image>("welcome")->SetBounds(0, 0, 164, 410);
}

}  // namespace

TfMain::TfMain() {
  SetCaption("Vexorin VCL Edition");
  SetClientSize(598, 456);
  SetPosition(Position::ScreenCenter);
  CreatePages();
  FForceExtractForAllIDE = false;
  FormCreate();
}

TfMain::~TfMain() = default;

void TfMain::FormCreate() { InitInstaller(); }

// ---- The pages

void TfMain::CreatePages() {
  Wizard = Add<gui::Wizard>();
  Wizard->SetBounds(0, 0, 598, 456);
  Wizard->OnCancelButtonClick = [this] { WizardCancelButtonClick(); };
  CreateWelcomePages();
  CreateSimplePages();
  CreateTargetPages();
  CreateRunPages();
}

void TfMain::CreateWelcomePages() {
  wInstallPage = AddPage(Wizard, "wInstallPage", "Welcome to the Vexorin Installation Wizard",
                         "This wizard will install the Vexorin component on your computer.");
  MakeWelcome(wInstallPage);
  lInstall = AddLabel(wInstallPage, kStrongRecommendation, 180, 80, 400, 170);
  Label1 = AddLabel(wInstallPage, kProductDescription, 180, 262, 400, 56);

  wUpdatePage = AddPage(Wizard, "wUpdatePage", "Welcome to the Vexorin Installation Wizard",
                        "This wizard will update the Vexorin component version %s currently installed on your "
                        "computer with newer version %s.");
  MakeWelcome(wUpdatePage);
  Label2 = AddLabel(wUpdatePage, kStrongRecommendation, 180, 80, 400, 170);
  Label11 = AddLabel(wUpdatePage, kProductDescription, 180, 262, 400, 56);

  wMainternance =
      AddPage(Wizard, "wMainternance", "Vexorin maintenance", "Select the maintanance operation to perform");
  wMainternance->SetButtonVisible(WizardButton::Back, false);
  rbMainternance = wMainternance->Add<gui::RadioButton>("Add or Remove IDE installations");
  rbMainternance->SetBounds(kContentLeft, kContentTop + 8, 400, 17);
  rbMainternance->OnClick = [this] { rbMainternanceClick(); };
  auto* lMainternance =
      AddLabel(wMainternance, "Install Vexorin to new target IDE or remove installation from specific IDE.",
               kContentLeft + 20, kContentTop + 28, 500, 14);
  lMainternance->OnClick = [this] { lMainternanceLabelClick(rbMainternance); };
  rbUninstall = wMainternance->Add<gui::RadioButton>("Uninstall Vexorin");
  rbUninstall->SetBounds(kContentLeft, kContentTop + 64, 400, 17);
  rbUninstall->OnClick = [this] { rbMainternanceClick(); };
  auto* lUninstallDescription =
      AddLabel(wMainternance, "Delete Vexorin from this computer.", kContentLeft + 20, kContentTop + 84, 500, 14);
  lUninstallDescription->OnClick = [this] { lMainternanceLabelClick(rbUninstall); };
}

void TfMain::CreateSimplePages() {
  wLicensePage =
      AddPage(Wizard, "wLicensePage", "License agreement", "Please read the following license agreement carefully.");
  wLicensePage->SetButtonEnabled(WizardButton::Next, false);
  AddLabel(wLicensePage, "Press PAGE DOWN key to see the rest of the agreement.", kContentLeft, kContentTop, 500, 14);
  auto* licence = wLicensePage->Add<gui::Memo>();
  licence->SetText(kLicenseText);
  licence->SetBounds(kContentLeft, kContentTop + 20, kContentWidth, 260);
  cbAgree = wLicensePage->Add<gui::CheckBox>("Yes, I accept this agreement");
  cbAgree->SetBounds(kContentLeft, kContentTop + 290, 300, 17);
  cbAgree->OnClick = [this] { cbAgreeClick(); };

  wDestinationPage = AddPage(Wizard, "wDestinationPage", "Destination Folder",
                             "Select a folder where the component will be installed.");
  AddLabel(wDestinationPage, "Setup will install Vexorin in the following folder.", kContentLeft, kContentTop,
           kContentWidth, 14);
  AddLabel(wDestinationPage,
           "To install to this folder, click Next. To install to a different folder, click Browse and select another "
           "folder.",
           kContentLeft, kContentTop + 22, kContentWidth, 28);
  auto* warning = AddLabel(wDestinationPage,
                           "WARNING: This folder will be emptied before installation. Please make sure that this "
                           "folder doesn't contain any other important information",
                           kContentLeft, kContentTop + 58, kContentWidth, 28);
  warning->SetBold(true);
  deDemosDestination = wDestinationPage->Add<TFrameDirEditBrowse>();
  deDemosDestination->LblCaption->SetCaption("Demo projects destination folder:");
  deDemosDestination->Place(kContentLeft, kContentTop + 110, kContentWidth);
  deDestination = wDestinationPage->Add<TFrameDirEditBrowse>();
  deDestination->LblCaption->SetCaption("Destination folder:");
  deDestination->Place(kContentLeft, kContentTop + 180, kContentWidth);
  wDestinationPage->OnNextButtonClick = [this](bool& Stop) { wDestinationPageNextButtonClick(Stop); };

  wFolder = AddPage(Wizard, "wFolder", "Select program folder", "Please select a Program Folder");
  AddLabel(wFolder,
           "Setup will add program icons to the Program Folder listed below. You may type a new folder name, or "
           "select one from existing folders list. Click Next to continue.",
           kContentLeft, kContentTop, kContentWidth, 28);
  auto* folderLabel = AddLabel(wFolder, "Program Folder:", kContentLeft, kContentTop + 40, 200, 14);
  eFolder = wFolder->Add<gui::Edit>();
  eFolder->SetBounds(kContentLeft, kContentTop + 56, kContentWidth, 21);
  eFolder->OnChange = [this] { eFolderChange(); };
  folderLabel->SetFocusControl(eFolder);
  auto* listLabel = AddLabel(wFolder, "Existing folders:", kContentLeft, kContentTop + 86, 200, 14);
  lFolders = wFolder->Add<gui::ListBox>();
  lFolders->SetBounds(kContentLeft, kContentTop + 102, kContentWidth, 220);
  lFolders->OnClick = [this] { lFoldersClick(); };
  listLabel->SetFocusControl(lFolders);
  wFolder->OnNextButtonClick = [this](bool& Stop) { wFolderNextButtonClick(Stop); };
}

void TfMain::CreateTargetPages() {
  wCompilationMode = AddPage(Wizard, "wCompilationMode", "Select compilation mode",
                             "Choose the visual components library to compile Vexorin with.");
  AddLabel(wCompilationMode,
           "Vexorin could be compiled either with the standard VCL controls or with one of the third-party packages. "
           "\r\nYou may run the installation package later at any time to change the compilation type.",
           kContentLeft, kContentTop, kContentWidth, 42);
  struct ModeButton {
    gui::RadioButton** button;
    const char* caption;
    TCompilationModeType mode;
  };
  const ModeButton modes[] = {
      {&rbCompilationModeStandard, "Compile Vexorin using standard VCL Controls", cmVCL},
      {&rbCompilationModeTnt, "Compile Vexorin using TnT Unicode Controls", cmTnt},
      {&rbCompilationModeTMS, "Compile Vexorin using TMS Unicode Controls", cmTMS},
      {&rbCompilationModeDevExpress, "Compile Vexorin using DevExpress Controls", cmDevExpress},
  };
  int top = kContentTop + 50;
  for (const auto& mode : modes) {
    *mode.button = wCompilationMode->Add<gui::RadioButton>(mode.caption);
    (*mode.button)->SetBounds(kContentLeft, top, 400, 17);
    const TCompilationModeType value = mode.mode;
    (*mode.button)->OnClick = [value] {
      if (InstallData) InstallData->SetCompilationMode(value);
    };
    top += 24;
  }
  AddLabel(wCompilationMode,
           "The TNT Unicode controls are the accepted defacto standard solution for creating Unicode enabled "
           "applications with Delphi and C++Builder. TNT Unicode Controls are free and could be downloaded from",
           kContentLeft, top + 8, kContentWidth, 42);
  lblLink1 = wCompilationMode->Add<gui::LinkLabel>(web::kTntControlsDownload);
  lblLink1->SetBounds(kContentLeft, top + 52, kContentWidth, 14);
  lblLink1->OnClick = [this] { lblLinkClick(lblLink1); };
  AddLabel(wCompilationMode,
           "The commercial version that is known as TMS Unicode Component Pack, is available at the TMS Software "
           "web-site:",
           kContentLeft, top + 76, kContentWidth, 28);
  Label23 = wCompilationMode->Add<gui::LinkLabel>(web::kTmsUnicodePack);
  Label23->SetBounds(kContentLeft, top + 106, kContentWidth, 14);
  Label23->OnClick = [this] { lblLinkClick(Label23); };

  wIDEPage =
      AddPage(Wizard, "wIDEPage", "Choose IDE Targets", "Select all target IDEs where Vexorin should be installed");
  scrollIDE = wIDEPage->Add<gui::ScrollBox>();
  scrollIDE->SetBounds(kContentLeft - 16, kContentTop - 8, kContentWidth + 16, 330);
  wIDEPage->OnPage = [this] { wIDEPagePage(); };
  wIDEPage->OnNextButtonClick = [this](bool& Stop) { wIDEPageNextButtonClick(Stop); };

  wConfigPage = AddPage(Wizard, "wConfigPage", "Configuration", "Choose installation options for selected targets.");
  auto* optionsFor = AddLabel(wConfigPage, "Options for", kContentLeft, kContentTop + 3, 70, 14);
  cTarget = wConfigPage->Add<gui::ComboBox>();
  cTarget->SetBounds(kContentLeft + 76, kContentTop, 340, 22);
  cTarget->SetImages(&ImageListTargets);
  optionsFor->SetFocusControl(cTarget);
  cbIDERegistration = wConfigPage->Add<gui::CheckBox>("IDE registration");
  cbIDERegistration->SetBounds(kContentLeft + 428, kContentTop + 2, 122, 17);
  cbIDERegistration->OnClick = [this] {
    if (auto* options = SelectedTarget()) options->SetIDERegistration(cbIDERegistration->Checked());
  };
  gbOptions = wConfigPage->Add<gui::GroupBox>("Installation options");
  gbOptions->SetBounds(kContentLeft, kContentTop + 32, kContentWidth, 300);
  cbCompileFromSource = gbOptions->Add<gui::CheckBox>("Compile Packages from sources");
  cbCompileFromSource->SetBounds(12, 20, 250, 17);
  cbCompileFromSource->OnClick = [this] {
    if (auto* options = SelectedTarget()) options->SetCompilePackages(cbCompileFromSource->Checked());
  };
  cbAddSource = gbOptions->Add<gui::CheckBox>("Add source location");
  cbAddSource->SetBounds(12, 42, 250, 17);
  cbAddSource->OnClick = [this] {
    if (auto* options = SelectedTarget()) options->SetAddSourceLocation(cbAddSource->Checked());
  };
  checkBoxExtractObjFromLib = gbOptions->Add<gui::CheckBox>("Extract OBJ files from LIB");
  checkBoxExtractObjFromLib->SetBounds(12, 64, 250, 17);
  checkBoxExtractObjFromLib->OnClick = [this] {
    if (auto* options = SelectedTarget()) options->SetExtractObjFromLib(checkBoxExtractObjFromLib->Checked());
  };
  AddLabel(gbOptions, "Select additional connectivity packages to compile:", 12, 92, 400, 14);
  clMetaProviders = gbOptions->Add<gui::CheckListBox>();
  clMetaProviders->SetBounds(12, 110, kContentWidth - 24, 180);
  clMetaProviders->OnClickCheck = [this] { clMetaProvidersClickCheck(); };
  wConfigPage->OnEnterPage = [this](gui::WizardPage*) { wConfigPageEnterPage(); };
}

void TfMain::CreateRunPages() {
  wUninstall = AddPage(Wizard, "wUninstall", "", "");
  lUninstall = AddLabel(wUninstall, "", kContentLeft, kContentTop, kContentWidth, 28);
  auto* installGroup = wUninstall->Add<gui::GroupBox>(" Vexorin installation folder ");
  installGroup->SetBounds(kContentLeft, kContentTop + 36, kContentWidth, 48);
  lInstallDir = AddLabel(installGroup, "", 12, 20, kContentWidth - 24, 14);
  lInstallDir->SetBold(true);
  auto* demosGroup = wUninstall->Add<gui::GroupBox>(" Vexorin demo projects installation folder ");
  demosGroup->SetBounds(kContentLeft, kContentTop + 92, kContentWidth, 48);
  lDemosDir = AddLabel(demosGroup, "", 12, 20, kContentWidth - 24, 14);
  lDemosDir->SetBold(true);
  lUWarning = AddLabel(wUninstall, "", kContentLeft, kContentTop + 152, kContentWidth, 42);
  lUWarning->SetBold(true);
  wUninstall->OnEnterPage = [this](gui::WizardPage*) { wUninstallPage(); };

  wCompile = AddPage(Wizard, "wCompile", "Compiling and Installing Packages",
                     "Vexorin packages will be compiled and installed now for selected Delphi and C++Builder "
                     "versions.");
  wCompile->SetButtonVisible(WizardButton::Back, false);
  wCompile->SetButtonEnabled(WizardButton::Back, false);
  wCompile->SetButtonEnabled(WizardButton::Next, false);
  AddLabel(wCompile, "Installation progress:", kContentLeft, kContentTop, 200, 14);
  mOutput = wCompile->Add<gui::RichEdit>();
  mOutput->SetBounds(kContentLeft, kContentTop + 18, kContentWidth, 230);
  pbRunProgress = wCompile->Add<gui::ProgressBar>(kRunProgressMaximum);
  pbRunProgress->SetBounds(kContentLeft, kContentTop + 254, kContentWidth, 16);
  lblCompilerProgress = AddLabel(wCompile, "", kContentLeft, kContentTop + 276, kContentWidth, 42);
  lblCompilerProgress->SetWordWrap(true);
  wCompile->OnPage = [this] { wCompilePage(); };

  wFinish = AddPage(Wizard, "wFinish", "Installation completed", "Vexorin Setup is now complete");
  wFinish->SetButtonVisible(WizardButton::Next, false);
  wFinish->SetButtonVisible(WizardButton::Cancel, false);
  wFinish->SetButtonVisible(WizardButton::Finish, true);
  imageInformation = wFinish->Add<gui::Image>("information");
  imageInformation->SetBounds(kContentLeft, kContentTop, 32, 32);
  imageExclamation = wFinish->Add<gui::Image>("exclamation");
  imageExclamation->SetBounds(kContentLeft, kContentTop, 32, 32);
  lFinishResult = AddLabel(wFinish, "", kContentLeft + 44, kContentTop + 8, 500, 28);
  lbWasError = AddLabel(wFinish, "An error occurred during the installation of the component.", kContentLeft + 44,
                        kContentTop + 8, 500, 14);
  lbWasError->SetBold(true);
  lbWasError->SetFontColor(gui::kRed);
  Label17 = AddLabel(wFinish, "Setup Log was saved at", kContentLeft + 44, kContentTop + 40, 500, 14);
  lSetupLogPath = AddLabel(wFinish, "", kContentLeft + 44, kContentTop + 56, 500, 14);
  lbErrorDescription =
      AddLabel(wFinish, "You can review it for errors or send it to Orlenta Software for investigation.",
               kContentLeft + 44, kContentTop + 76, 500, 28);
  btnOpenLogFile = wFinish->Add<gui::Button>("Open the log file");
  btnOpenLogFile->SetBounds(kContentLeft + 44, kContentTop + 108, 160, 25);
  btnOpenLogFile->OnClick = [this] { btnOpenLogFileClick(); };
  btnOpenLogFolder = wFinish->Add<gui::Button>("Open the containing folder");
  btnOpenLogFolder->SetBounds(kContentLeft + 212, kContentTop + 108, 160, 25);
  btnOpenLogFolder->OnClick = [this] { btnOpenLogFolderClick(); };
  btnSumbitAssist = wFinish->Add<gui::Button>("Submit a request for assistance");
  btnSumbitAssist->SetBounds(kContentLeft + 44, kContentTop + 140, 200, 25);
  btnSumbitAssist->OnClick = [this] { btnSumbitAssistClick(); };
  cbVisitWeb = wFinish->Add<gui::CheckBox>("Open the Vexorin Knowledge Book");
  cbVisitWeb->SetBounds(kContentLeft + 44, kContentTop + 180, 300, 17);
  cbVisitWeb->SetStateQuietly(gui::CheckState::Checked);
  cbVisitWeb->OnClick = [this] { cbVisitWebClick(); };
  lblOpenSiteDescription = AddLabel(wFinish,
                                    "There you will find: \r\n- Quick Start Guide\r\n- Answers to the frequently asked "
                                    "questions\r\n- Basics of working with the component\r\n- Troubleshooting\r\n- "
                                    "Tips and tricks",
                                    kContentLeft + 62, kContentTop + 202, 480, 90);
  wFinish->OnEnterPage = [this](gui::WizardPage*) { wFinishEnterPage(); };
  wFinish->OnFinishButtonClick = [this](bool& Stop) { wFinishFinishButtonClick(Stop); };
}

// ---- Setting up

void TfMain::InitInstaller() {
  TInstallData& data = *InstallData;
  switch (data.InstallType()) {
    case itNew:
      lInstall->SetCaption(Format(lInstall->Caption(), {data.Version().Version()}));
      wUpdatePage->SetPageEnabled(false);
      wMainternance->SetPageEnabled(false);
      wFolder->SetPageEnabled(true);
      wCompilationMode->SetPageEnabled(data.WithSources());
      wUninstall->SetPageEnabled(false);
      break;
    case itUpdate:
      wInstallPage->SetPageEnabled(false);
      wMainternance->SetPageEnabled(false);
      wFolder->SetPageEnabled(false);
      wDestinationPage->SetPageEnabled(false);
      wCompilationMode->SetPageEnabled(data.WithSources());
      wUpdatePage->SetSubtitle(Format(
          wUpdatePage->Subtitle(),
          {data.InstalledVersion() != nullptr ? data.InstalledVersion()->Version() : "", data.Version().Version()}));
      break;
    case itMainternance:
    case itUninstall:
      wInstallPage->SetPageEnabled(false);
      wUpdatePage->SetPageEnabled(false);
      wLicensePage->SetPageEnabled(false);
      wFolder->SetPageEnabled(false);
      wDestinationPage->SetPageEnabled(false);
      wCompilationMode->SetPageEnabled(data.WithSources());
      break;
  }
  deDestination->EditDirectory->SetText(data.InstallDir());
  deDemosDestination->EditDirectory->SetText(data.DemoDir());
  BuildIDECheckBoxes();
  UpdateIDEPageButtons();
  eFolder->SetText(data.StartFolderSelected());
  lFolders->SetItems(data.StartProgramFoldersList());
  eFolderChange();
  switch (data.CompilationMode()) {
    case cmTnt:
      rbCompilationModeTnt->SetChecked(true);
      break;
    case cmTMS:
      rbCompilationModeTMS->SetChecked(true);
      break;
    case cmDevExpress:
      rbCompilationModeDevExpress->SetChecked(true);
      break;
    default:
      rbCompilationModeStandard->SetChecked(true);
      break;
  }
  // Maintenance opens with "Add or Remove IDE installations" chosen, the
  // choice that changes nothing by itself; the pages then follow it.
  if (data.InstallType() == itMainternance) {
    rbMainternance->SetChecked(true);
    UpdateIDEPageButtons();
  }
  Wizard->Start();
}

// ---- Welcome, maintenance, licence, destination, program folder

void TfMain::WizardCancelButtonClick() { Close(); }

void TfMain::cbAgreeClick() { wLicensePage->SetButtonEnabled(WizardButton::Next, cbAgree->Checked()); }

void TfMain::rbMainternanceClick() {
  TInstallData& data = *InstallData;
  if (rbMainternance->Checked()) {
    data.SetInstallType(itMainternance);
    wIDEPage->SetPageEnabled(true);
    wConfigPage->SetPageEnabled(true);
    wUninstall->SetPageEnabled(false);
    cbVisitWeb->SetVisible(true);
    lblOpenSiteDescription->SetVisible(true);
    cbVisitWeb->SetStateQuietly(data.VisitWeb() ? gui::CheckState::Checked : gui::CheckState::Unchecked);
    wCompilationMode->SetPageEnabled(data.WithSources());
  } else {
    data.SetInstallType(itUninstall);
    wIDEPage->SetPageEnabled(false);
    wConfigPage->SetPageEnabled(false);
    wUninstall->SetPageEnabled(true);
    cbVisitWeb->SetVisible(false);
    lblOpenSiteDescription->SetVisible(false);
    cbVisitWeb->SetStateQuietly(gui::CheckState::Unchecked);
    wCompilationMode->SetPageEnabled(false);
  }
}

void TfMain::lMainternanceLabelClick(gui::RadioButton* radio) {
  SetActiveControl(radio);
  radio->SetChecked(true);
}

void TfMain::wDestinationPageNextButtonClick(bool& /*Stop*/) {
  InstallData->SetInstallDir(deDestination->EditDirectory->Text());
  InstallData->SetDemoDir(deDemosDestination->EditDirectory->Text());
}

void TfMain::eFolderChange() { wFolder->SetButtonEnabled(WizardButton::Next, !eFolder->Text().empty()); }

void TfMain::lFoldersClick() {
  if (lFolders->ItemIndex() >= 0) eFolder->SetText(lFolders->Items()[static_cast<size_t>(lFolders->ItemIndex())]);
}

void TfMain::wFolderNextButtonClick(bool& /*Stop*/) { InstallData->SetStartFolderSelected(eFolder->Text()); }

void TfMain::wUninstallPage() {
  const bool update = InstallData->InstallType() == itUpdate;
  lInstallDir->SetCaption(InstallData->InstallDir());
  lDemosDir->SetCaption(InstallData->DemoDir());
  if (update) {
    lUninstall->SetCaption("You have selected to update the Vexorin component in the folder listed below.");
    lUWarning->SetCaption(
        "WARNING: This folder will be emptied before update. Please make sure that this folder doesn't contain any "
        "other important information before pressing the Next button.");
    wUninstall->SetTitle("Begin update");
    wUninstall->SetSubtitle(
        "Vexorin is about to be updated. Please check the information below and press the Next button when ready.");
  } else {
    lUninstall->SetCaption("You have selected to uninstall the Vexorin component completely from your computer.");
    lUWarning->SetCaption(
        "WARNING: This folder will be completely removed from your hard disk. Please make sure that this folder "
        "doesn't contain any other important information before pressing the Next button.");
    wUninstall->SetTitle("Begin uninstall");
    wUninstall->SetSubtitle(
        "Vexorin is about to be uninstalled. Please check the information below and press the Next button when "
        "ready.");
  }
}

// ---- Compilation mode and IDE targets

void TfMain::lblLinkClick(gui::Control* Sender) {
  if (Sender != nullptr && Sender->GetKind() == gui::Kind::LinkLabel) platform::ShellOpen(Sender->Caption());
}

void TfMain::BuildIDECheckBoxes() {
  TInstallData& data = *InstallData;
  TTargetOptionsList& targets = data.TargetOptions();
  int y = 10;
  for (int i = targets.Count() - 1; i >= 0; --i) {
    TTargetOptions& options = *targets.Items(i);
    const TCompileTarget& target = options.Target();
    const bool offered = target.Version() > 5 || (target.Version() == 5 && target.IsDelphi());
    if (!offered) {
      options.SetAction(atDoNothing);
      continue;
    }
    auto* box = scrollIDE->Add<gui::CheckBox>(target.DisplayName());
    box->SetBounds(30, y, scrollIDE->Bounds().width - 50, 17);
    box->SetData(&options);
    switch (data.InstallType()) {
      case itNew:
        options.SetAction(atInstall);
        box->SetStateQuietly(gui::CheckState::Checked);
        break;
      case itUpdate:
        options.SetAction(options.Installed() ? atInstall : atDoNothing);
        box->SetStateQuietly(options.Installed() ? gui::CheckState::Checked : gui::CheckState::Unchecked);
        break;
      case itMainternance:
      case itUninstall:
        if (options.Installed()) {
          box->SetAllowGrayed(true);
          box->SetStateQuietly(gui::CheckState::Grayed);
        }
        break;
    }
    box->OnClick = [this, box] { IDECheckBoxClick(box); };
    y += kRowStep;
    auto* status = scrollIDE->Add<gui::Label>();
    status->SetBounds(box->Bounds().left + 20, box->Bounds().top + box->Bounds().height + 2,
                      scrollIDE->Bounds().width - 70, 30);
    status->SetWordWrap(true);
    status->SetData(box);
    UpdateTargetStatus(options, *box, *status);
  }
  auto* extractAll = scrollIDE->Add<gui::CheckBox>("Extract packages for all supported IDE");
  extractAll->SetBounds(30, y, scrollIDE->Bounds().width - 50, 17);
  extractAll->OnClick = [this, extractAll] { ForceExtractIDEClick(extractAll); };
  scrollIDE->SetScrollRange(y + kRowStep);
}

void TfMain::UpdateTargetStatus(TTargetOptions& Options, gui::CheckBox& CheckBox, gui::Label& StatusLabel) {
  const TInstallData& data = Options.InstallData();
  const TCompileTarget& target = Options.Target();
  std::string refusal;
  if (!Options.LoadError().empty()) {
    // The IDE's configuration could not be read: the reason, as the error said it.
    refusal = Options.LoadError();
  } else if (!Options.IsSupportDB()) {
    refusal =
        "Cannot find valid IDE settings in the registry. Please start IDE at least once after installation to fill "
        "IDE registry section.\r Vexorin can not be installed.";
  } else if (!Options.HaveDCCCompiler()) {
    refusal = Options.IsTurbo()
                  ? "The \"Turbo\" IDE edition has no command-line Delphi compiler (dcc32.exe).\rPlease download it "
                    "from CodeGear site: " +
                        Options.HaveDCCCompilerLink() + " and run the installer again."
                  : "This IDE version has no dcc32.exe compiler.\rPlease reinstall your IDE in order to fix this "
                    "problem.";
  } else if (!Options.IsSupportCompilationMode()) {
    switch (data.CompilationMode()) {
      case cmTnt:
        refusal =
            "You chose to compile Vexorin with TnT Unicode controls,\rbut this IDE have no Tnt Unicode controls "
            "installed.";
        break;
      case cmTMS:
        refusal =
            "You chose to compile Vexorin with TMS Unicode controls,\rbut this IDE have no TMS Unicode controls "
            "installed.";
        break;
      default:
        refusal =
            "You chose to compile Vexorin with DevExpress controls,\rbut this IDE doesn't have all required packages "
            "installed (ExpressTreeList).";
        break;
    }
  } else if (target.IsBDS() && target.IDEVersion() == 5 && !data.WithSources() &&
             Options.GetCoreIDEVersion() < kRs2007MinimumCore) {
    refusal =
        "You have to update your D2007 IDE version before installing Vexorin.\rPlease install Service Pack 1 for "
        "Delphi2007 and run the installer again.";
  }

  if (!refusal.empty()) {
    CheckBox.SetChecked(false);
    CheckBox.SetEnabled(false);
    StatusLabel.SetCaption(refusal);
    StatusLabel.SetFontColor(gui::kRed);
    return;
  }

  CheckBox.SetEnabled(true);
  const bool checked = CheckBox.State() == gui::CheckState::Checked;
  std::string word;
  switch (data.InstallType()) {
    case itNew:
      word = checked ? "Install" : "Don't install";
      break;
    case itUpdate:
      if (Options.Installed()) {
        word = checked ? "Update" : "Uninstall";
      } else {
        word = checked ? "Install" : "Do nothing";
      }
      break;
    case itMainternance:
    case itUninstall:
      if (CheckBox.AllowGrayed()) {
        word = CheckBox.State() == gui::CheckState::Grayed ? "Do nothing" : checked ? "Reinstall" : "Uninstall";
      } else {
        word = checked ? "Install" : "Do nothing";
      }
      break;
  }
  std::string text = "Action: " + word;
  if (Options.Action() == atInstall && data.CompilationMode() == cmDevExpress && Options.IsOldDevExpressDetected()) {
    text +=
        "\rThe installer supports compilation of Vexorin with DevExpress controls library v.18.2 and higher.\r"
        "Please contact support if you have an earlier version.";
  }
  StatusLabel.SetCaption(text);
  StatusLabel.SetFontColor(gui::kDefaultColor);
}

void TfMain::UpdateAllTargetStatus() {
  for (const auto& child : scrollIDE->Children()) {
    if (child->GetKind() != gui::Kind::Label || child->Data() == nullptr) continue;
    auto* box = static_cast<gui::CheckBox*>(child->Data());
    UpdateTargetStatus(*static_cast<TTargetOptions*>(box->Data()), *box, *static_cast<gui::Label*>(child.get()));
  }
}

void TfMain::UpdateIDEPageButtons() {
  const TTargetOptionsList& targets = InstallData->TargetOptions();
  wIDEPage->SetButtonEnabled(WizardButton::Next, targets.HaveChanges() || InstallData->InstallType() == itNew);
  wConfigPage->SetPageEnabled(targets.InstallCount() > 0);
}

void TfMain::IDECheckBoxClick(gui::CheckBox* Sender) {
  auto& options = *static_cast<TTargetOptions*>(Sender->Data());
  switch (Sender->State()) {
    case gui::CheckState::Unchecked:
      options.SetAction(options.Installed() ? atUninstall : atDoNothing);
      break;
    case gui::CheckState::Checked:
      options.SetAction(atInstall);
      break;
    case gui::CheckState::Grayed:
      options.SetAction(atDoNothing);
      break;
  }
  UpdateAllTargetStatus();
  UpdateIDEPageButtons();
}

void TfMain::ForceExtractIDEClick(gui::CheckBox* Sender) { FForceExtractForAllIDE = Sender->Checked(); }

void TfMain::wIDEPagePage() { UpdateAllTargetStatus(); }

void TfMain::wIDEPageNextButtonClick(bool& Stop) {
  TTargetOptionsList& targets = InstallData->TargetOptions();
  bool exitChosen = false;
  for (int i = 0; i < targets.Count(); ++i) {
    TTargetOptions& options = *targets.Items(i);
    if (options.Action() == atDoNothing || options.Target().Version() < 10 || !options.IsTurbo() ||
        options.HaveDCCCompiler())
      continue;
    if (FUnattended) {
      options.SetAction(atDoNothing);
      Note(options.Target().DisplayName() +
           " has no command-line compiler: the unattended run goes on without this IDE.");
      continue;
    }
    for (;;) {
      TfDCCCompilerWarning dialog;
      dialog.lblWarning->SetCaption(Format(dialog.lblWarning->Caption(), {options.Target().DisplayName()}));
      const gui::ModalResult result = dialog.ShowModal();
      if (result == gui::ModalResult::Retry) {
        if (options.HaveDCCCompiler()) break;
        continue;
      }
      if (result != gui::ModalResult::Ignore) exitChosen = true;
      break;
    }
  }
  if (exitChosen) {
    // The window closes; the wizard does not go on to another page.
    Stop = true;
    Close();
    return;
  }
  // --ignore-ide lets a running IDE through, as Shift, Ctrl and Alt held down do.
  if (Stop || CmdOptions->IgnoreIDE()) return;
  for (int i = 0; i < targets.Count(); ++i) {
    TTargetOptions& options = *targets.Items(i);
    if (options.Action() == atDoNothing || !options.IDERunning()) continue;
    if (gui::KeyDown(gui::Key::Shift) && gui::KeyDown(gui::Key::Ctrl) && gui::KeyDown(gui::Key::Alt)) continue;
    Stop = true;
    if (FUnattended) {
      // Nothing has been written yet: the run ends here.
      platform::WriteStdOut(options.Target().DisplayName() +
                            " IDE is running. Please close it before continue.\nNothing was changed.\n");
      FExitCode = kExitRefused;
      Close();
      return;
    }
    gui::MessageBox(options.Target().DisplayName() + " IDE is running. Please close it before continue.",
                    gui::Application::Instance().Title(), gui::MsgButtons::Ok, gui::MsgIcon::Warning);
  }
}

// ---- Configuration

TTargetOptions* TfMain::SelectedTarget() const {
  const int index = cTarget->ItemIndex();
  if (index < 0) return nullptr;
  return static_cast<TTargetOptions*>(cTarget->Items()[static_cast<size_t>(index)].object);
}

void TfMain::wConfigPageEnterPage() {
  cTarget->OnChange = nullptr;
  cTarget->Clear();
  ImageListTargets.Clear();
  TTargetOptionsList& targets = InstallData->TargetOptions();
  for (int i = targets.Count() - 1; i >= 0; --i) {
    TTargetOptions& options = *targets.Items(i);
    if (options.Action() != atInstall) continue;
    const int index = static_cast<int>(cTarget->Items().size());
    cTarget->AddItem(options.Target().DisplayName(), &options);
    ImageListTargets.AddExecutableIcon(index, options.Target().Executable());
  }
  cTarget->SetItemIndex(cTarget->Items().empty() ? -1 : 0);
  cTarget->OnChange = [this] { cTargetChange(); };
  cTargetChange();
}

void TfMain::cTargetChange() {
  TTargetOptions* options = SelectedTarget();
  if (options == nullptr) {
    gbOptions->SetEnabled(false);
    return;
  }
  gbOptions->SetEnabled(true);
  const bool withSources = InstallData->WithSources();
  cbCompileFromSource->SetEnabled(withSources && options->HaveDCCCompiler());
  cbCompileFromSource->SetChecked(options->CompilePackages());
  cbIDERegistration->SetEnabled(options->IsSupportDesigner());
  cbIDERegistration->SetChecked(options->IsSupportDesigner() && options->IDERegistration());
  checkBoxExtractObjFromLib->SetEnabled(options->Target().Version() >= 14);
  checkBoxExtractObjFromLib->SetChecked(options->ExtractObjFromLib());
  cbAddSource->SetEnabled(withSources);
  cbAddSource->SetChecked(options->AddSourceLocation() && withSources);
  // The shown states are the IDE's options from now on, also where a box
  // kept its state and so ran no click handler.
  options->SetCompilePackages(cbCompileFromSource->Checked());
  options->SetIDERegistration(cbIDERegistration->Checked());
  options->SetExtractObjFromLib(checkBoxExtractObjFromLib->Checked());
  options->SetAddSourceLocation(cbAddSource->Checked());

  clMetaProviders->Clear();
  TMetadataProvidersList& providers = InstallData->MetaProviders();
  for (int i = 0; i < providers.Count(); ++i) {
    TMetadataProvider& provider = *providers.Items(i);
    clMetaProviders->AddLine(provider.LongDescription(), &provider);
    clMetaProviders->SetLineEnabled(i, options->CanInstallMetaProvider(provider));
    clMetaProviders->SetLineChecked(i, options->IsMetaProviderSheduledForInstall(provider));
  }
}

void TfMain::clMetaProvidersClickCheck() {
  TTargetOptions* options = SelectedTarget();
  const int index = clMetaProviders->ItemIndex();
  if (options == nullptr || index < 0) return;
  const auto& line = clMetaProviders->Lines()[static_cast<size_t>(index)];
  auto& provider = *static_cast<TMetadataProvider*>(line.object);
  TCompileTarget& target = options->Target();
  if (line.checked) {
    if (provider.IsDependLibHaveRightVersion(target)) {
      options->SetMetaProviderSheduledForInstall(provider);
    } else {
      clMetaProviders->SetLineChecked(index, false);
      const std::string packagesDir = ExcludeTrailingPathDelimiter(
          ExtractRelativePath(IncludeTrailingPathDelimiter(InstallData->InstallDir()), options->PackagesDir()));
      ShowMessageForm("Incompatible package version",
                      Format(kIncompatibleVersion,
                             {provider.ShortDescription() + " Connectivity", provider.DependLibShortDescription(),
                              packagesDir, TCompiler::GetPackageName(target, provider.GetRuntimePackageName(target)),
                              TCompiler::GetPackageName(target, provider.GetDesignPackageName(target))}));
    }
  } else {
    options->SetMetaProviderSheduledForRemove(provider);
  }
  clMetaProviders->Repaint();
}

// ---- Compile and finish

void TfMain::wCompilePage() {
  if (FCompiled) return;
  InstallData->SaveToRegistry();
  FBuildLog.clear();
  pbRunProgress->SetPosition(0);
  pbRunProgress->SetState(gui::ProgressBar::State::Normal);
  pbRunProgress->SetInTaskbar(true);
  RunEngine();
  pbRunProgress->SetPosition(kRunProgressMaximum);
  SaveSetupLog();
  wCompile->SetButtonEnabled(WizardButton::Cancel, false);
  wCompile->SetButtonEnabled(WizardButton::Next, true);
  FCompiled = true;
}

void TfMain::RunEngine() {
  TCompiler engine;
  engine.Logger().SetOnLogMessage(
      [this](TLogBase* ASender, TDateTime ATimeStamp, TLogSeverity ASeverity, const std::string& AMessage) {
        LoggerLogMessage(ASender, ATimeStamp, ASeverity, AMessage);
      });
  engine.SetOnIdle([] { gui::Application::Instance().ProcessMessages(); });
  engine.SetOnProgress([this](const TEngineProgress& AProgress) {
    const int position = RunProgressPosition(InstallData->InstallType(), AProgress);
    if (position >= 0) pbRunProgress->SetPosition(position);
  });
  for (const auto& note : FNotes) engine.Logger().Info(note);
  // An error that leaves the engine ends the run; it is logged like every
  // other error so that the log of the run is kept and the finish page
  // reports it.
  try {
    switch (InstallData->InstallType()) {
      case itUninstall:
        engine.Uninstall();
        engine.Remove();
        engine.Logger().Info("Uninstall completed");
        return;
      case itUpdate:
        engine.Uninstall();
        engine.Remove();
        engine.Extract(FForceExtractForAllIDE);
        engine.Compile();
        break;
      case itNew:
        engine.Extract(FForceExtractForAllIDE);
        engine.Compile();
        break;
      case itMainternance:
        engine.Compile();
        break;
    }
    engine.Logger().Info("Installation completed");
  } catch (const std::exception& e) {
    engine.Logger().Error(std::string("The installation stopped: ") + e.what());
  }
}

void TfMain::SaveSetupLog() {
  FLogWritten = false;
  if (InstallData->InstallType() == itUninstall) {
    Label17->SetVisible(false);
    lSetupLogPath->SetVisible(false);
    return;
  }
  try {
    lSetupLogPath->SetCaption(WriteSetupLog(InstallData->InstallDir(), FBuildLog));
    FLogWritten = true;
  } catch (const Exception& e) {
    // The run itself is done: the failure is shown as an error of the run.
    Label17->SetVisible(false);
    lSetupLogPath->SetVisible(false);
    mOutput->BeginUpdate();
    mOutput->AppendParagraph("The setup log could not be saved: " + e.Message(), gui::kRed);
    mOutput->EndUpdate();
    FWasErrors = true;
    pbRunProgress->SetState(gui::ProgressBar::State::Error);
  }
}

void TfMain::LoggerLogMessage(TLogBase* /*ASender*/, TDateTime ATimeStamp, TLogSeverity ASeverity,
                              const std::string& AMessage) {
  FBuildLog.push_back(FormatLogLine(ATimeStamp, ASeverity, AMessage));
  lblCompilerProgress->SetCaption(AMessage);
  if (ASeverity != lsDebug) {
    mOutput->BeginUpdate();
    gui::Color color = gui::kDefaultColor;
    if (ASeverity >= lsError) {
      color = gui::kRed;
      FWasErrors = true;
      pbRunProgress->SetState(gui::ProgressBar::State::Error);
    }
    mOutput->AppendParagraph(AMessage, color);
    mOutput->EndUpdate();
  }
  gui::Application::Instance().ProcessMessages();
}

void TfMain::wFinishEnterPage() {
  // The run is over and its result on the page: the taskbar button shows no progress any more.
  pbRunProgress->SetInTaskbar(false);
  const bool uninstall = InstallData->InstallType() == itUninstall;
  std::string result;
  if (uninstall) {
    if (gui::MessageBox(kFeedbackQuestion, gui::Application::Instance().Title(), gui::MsgButtons::YesNo,
                        gui::MsgIcon::Question) == gui::MsgResult::Yes) {
      platform::ShellOpen(web::kUninstallFeedback + InstallData->Version().VersionShort());
    }
    result = FWasErrors ? "Vexorin uninstall completed with errors. See Setup Log for additional information."
                        : "Vexorin component is now completely uninstalled from your computer";
    cbVisitWeb->SetVisible(false);
  } else {
    result = FWasErrors ? "Vexorin Setup completed with errors. See Setup Log for additional information."
                        : "Vexorin component is installed successfully";
  }
  imageInformation->SetVisible(!FWasErrors);
  imageExclamation->SetVisible(FWasErrors);
  lFinishResult->SetCaption(result);
  lFinishResult->SetVisible(!FWasErrors);
  lbWasError->SetVisible(FWasErrors);
  Label17->SetVisible(FLogWritten);
  lSetupLogPath->SetVisible(FLogWritten);
  lbErrorDescription->SetVisible(FWasErrors);
  // Without a log of this run there is nothing for the two log buttons to open.
  btnOpenLogFile->SetVisible(FWasErrors && FLogWritten);
  btnOpenLogFolder->SetVisible(FWasErrors && FLogWritten);
  btnSumbitAssist->SetVisible(FWasErrors);
  lblOpenSiteDescription->SetVisible(!uninstall);
}

void TfMain::btnOpenLogFileClick() {
  platform::ShellOpen(IncludeTrailingPathDelimiter(InstallData->InstallDir()) + "setup.log");
}

void TfMain::btnOpenLogFolderClick() { platform::ShellOpen("explorer.exe", InstallData->InstallDir()); }

void TfMain::btnSumbitAssistClick() { platform::ShellOpen(web::kSupportRequest); }

void TfMain::cbVisitWebClick() { InstallData->SetVisitWeb(cbVisitWeb->Checked()); }

void TfMain::wFinishFinishButtonClick(bool& /*Stop*/) {
  if (cbVisitWeb->Showing() && cbVisitWeb->EnabledInTree() && cbVisitWeb->Checked())
    platform::ShellOpen(web::kKnowledgeBook);
  Close();
}

// ---- Unattended runs

void TfMain::Note(const std::string& text) {
  FNotes.push_back(text);
  platform::WriteStdOut(text + "\n");
}

void TfMain::RunUnattended() {
  FUnattended = true;
  // --autoupdate touches only the IDEs that have the suite, also beside --autoinstall.
  const bool installEverywhere = CmdOptions->AutoInstall() && !CmdOptions->AutoUpdate();
  const char* option = installEverywhere ? "--autoinstall" : "--autoupdate";
  gui::Application& application = gui::Application::Instance();
  for (gui::WizardPage* page = Wizard->ActivePage(); page != wFinish && !application.Terminated();
       page = Wizard->ActivePage()) {
    if (page == wMainternance) rbMainternance->SetChecked(true);
    if (page == wLicensePage) {
      cbAgree->SetChecked(true);
      Note(std::string("The licence agreement is accepted by ") + option + ".");
    }
    if (page == wIDEPage && installEverywhere) {
      for (const auto& child : scrollIDE->Children()) {
        if (child->GetKind() != gui::Kind::CheckBox || child->Data() == nullptr || !child->Enabled()) continue;
        static_cast<gui::CheckBox*>(child.get())->SetState(gui::CheckState::Checked);
      }
    }
    if (!page->ButtonVisible(WizardButton::Next) || !page->ButtonEnabled(WizardButton::Next)) break;
    Wizard->ClickButton(WizardButton::Next);
    if (Wizard->ActivePage() == page) break;
  }
  if (Wizard->ActivePage() != wFinish) return;
  FExitCode = FWasErrors ? kExitCompletedWithErrors : kExitSuccess;
  if (FLogWritten) platform::WriteStdOut("setup.log: " + lSetupLogPath->Caption() + "\n");
  // Without --autoclose the finish page stays for whoever looks.
  if (CmdOptions->AutoCloseAfterSuccess() && !FWasErrors) Close();
}
