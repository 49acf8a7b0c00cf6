// The wizard: the program's main window with its twelve pages, leading
// through a new installation, an update, maintenance or an uninstallation,
// and running the engine on its compile page.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "Compile/InstallData.h"
#include "Compile/TargetOptions.h"
#include "platform/gui/Widgets.h"
#include "uLogger.h"

class TFrameDirEditBrowse;

class TfMain : public gui::Form {
 public:
  TfMain();
  ~TfMain() override;

  void FormCreate();
  void InitInstaller();

  // Welcome, maintenance, licence, destination and program folder.
  void WizardCancelButtonClick();
  void cbAgreeClick();
  void rbMainternanceClick();
  void lMainternanceLabelClick(gui::RadioButton* radio);
  void wDestinationPageNextButtonClick(bool& Stop);
  void eFolderChange();
  void lFoldersClick();
  void wFolderNextButtonClick(bool& Stop);
  void wUninstallPage();

  // Compilation mode, IDE targets and configuration.
  void lblLinkClick(gui::Control* Sender);
  void IDECheckBoxClick(gui::CheckBox* Sender);
  void ForceExtractIDEClick(gui::CheckBox* Sender);
  void wIDEPagePage();
  void wIDEPageNextButtonClick(bool& Stop);
  void wConfigPageEnterPage();
  void cTargetChange();
  void clMetaProvidersClickCheck();

  // Compile and finish.
  void wCompilePage();
  void LoggerLogMessage(TLogBase* ASender, TDateTime ATimeStamp, TLogSeverity ASeverity, const std::string& AMessage);
  void wFinishEnterPage();
  void btnOpenLogFileClick();
  void btnOpenLogFolderClick();
  void btnSumbitAssistClick();
  void cbVisitWebClick();
  void wFinishFinishButtonClick(bool& Stop);

  // Goes through the pages without a person, as a user who presses Next on
  // every page would (--autoinstall, --autoupdate): the licence accepted, the
  // folders and modes as offered; with --autoinstall every IDE that can take
  // the suite gets it. Every question gets its safe answer and a line saying so.
  void RunUnattended();
  // kExitSuccess, or what an unattended run ended with.
  int ExitCode() const { return FExitCode; }

  const std::vector<std::string>& BuildLog() const { return FBuildLog; }
  bool wasErrors() const { return FWasErrors; }
  bool Compiled() const { return FCompiled; }
  bool forceExtractForAllIDE() const { return FForceExtractForAllIDE; }

  gui::Wizard* Wizard;
  gui::WizardPage* wInstallPage;
  gui::WizardPage* wUpdatePage;
  gui::WizardPage* wMainternance;
  gui::WizardPage* wLicensePage;
  gui::WizardPage* wDestinationPage;
  gui::WizardPage* wFolder;
  gui::WizardPage* wCompilationMode;
  gui::WizardPage* wIDEPage;
  gui::WizardPage* wConfigPage;
  gui::WizardPage* wUninstall;
  gui::WizardPage* wCompile;
  gui::WizardPage* wFinish;

  gui::Label* lInstall;
  gui::Label* Label1;
  gui::Label* Label2;
  gui::Label* Label11;
  gui::RadioButton* rbMainternance;
  gui::RadioButton* rbUninstall;
  gui::CheckBox* cbAgree;
  TFrameDirEditBrowse* deDemosDestination;
  TFrameDirEditBrowse* deDestination;
  gui::Edit* eFolder;
  gui::ListBox* lFolders;
  gui::RadioButton* rbCompilationModeStandard;
  gui::RadioButton* rbCompilationModeTnt;
  gui::RadioButton* rbCompilationModeTMS;
  gui::RadioButton* rbCompilationModeDevExpress;
  gui::LinkLabel* lblLink1;
  gui::LinkLabel* Label23;
  gui::ScrollBox* scrollIDE;
  gui::ComboBox* cTarget;
  gui::ImageList ImageListTargets;
  gui::CheckBox* cbIDERegistration;
  gui::GroupBox* gbOptions;
  gui::CheckBox* cbCompileFromSource;
  gui::CheckBox* cbAddSource;
  gui::CheckBox* checkBoxExtractObjFromLib;
  gui::CheckListBox* clMetaProviders;
  gui::Label* lUninstall;
  gui::Label* lUWarning;
  gui::Label* lInstallDir;
  gui::Label* lDemosDir;
  gui::RichEdit* mOutput;
  gui::ProgressBar* pbRunProgress;
  gui::Label* lblCompilerProgress;
  gui::Image* imageInformation;
  gui::Image* imageExclamation;
  gui::Label* lFinishResult;
  gui::Label* lbWasError;
  gui::Label* Label17;
  gui::Label* lSetupLogPath;
  gui::Label* lbErrorDescription;
  gui::Button* btnOpenLogFile;
  gui::Button* btnOpenLogFolder;
  gui::Button* btnSumbitAssist;
  gui::CheckBox* cbVisitWeb;
  gui::Label* lblOpenSiteDescription;

 private:
  void CreatePages();
  void CreateWelcomePages();
  void CreateSimplePages();
  void CreateTargetPages();
  void CreateRunPages();
  void BuildIDECheckBoxes();
  void UpdateTargetStatus(TTargetOptions& Options, gui::CheckBox& CheckBox, gui::Label& StatusLabel);
  void UpdateAllTargetStatus();
  void UpdateIDEPageButtons();
  TTargetOptions* SelectedTarget() const;
  // The run of the installation type with the engine; the closing message.
  void RunEngine();
  // The log written after a run; a failure is logged and shown.
  void SaveSetupLog();

  std::vector<std::string> FBuildLog;
  bool FWasErrors = false;
  bool FCompiled = false;
  bool FForceExtractForAllIDE = false;
  // Whether setup.log was written for this run.
  bool FLogWritten = false;
  // A line for standard output and for the log of the run, which starts later.
  void Note(const std::string& text);
  bool FUnattended = false;
  int FExitCode = 0;
  std::vector<std::string> FNotes;
};
