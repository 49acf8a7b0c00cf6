// A wrapper of the shell's folder browser with the options the folder field
// uses: the text above the tree, the initial folder, centring, a Help button
// and buttons added by the caller.
#pragma once

#include <functional>
#include <string>

enum TBrowseKind { bfFolders, bfComputers };
enum TDialogPosition { dpDefault, dpScreenCenter };

// The command identifier of a button added to the browser.
inline constexpr int kAddedButtonId = 65535;

class TBrowseFolderDialog {
 public:
  TBrowseFolderDialog() = default;

  bool DesktopRoot() const { return FDesktopRoot; }
  void SetDesktopRoot(bool value) { FDesktopRoot = value; }
  TBrowseKind BrowseKind() const { return FBrowseKind; }
  void SetBrowseKind(TBrowseKind value) { FBrowseKind = value; }
  TDialogPosition Position() const { return FPosition; }
  void SetPosition(TDialogPosition value) { FPosition = value; }
  const std::string& DialogText() const { return FText; }
  void SetDialogText(const std::string& value) { FText = value; }
  const std::string& FolderName() const { return FFolderName; }
  void SetFolderName(const std::string& value) { FFolderName = value; }
  const std::string& SelectedName() const { return FSelectedName; }
  int HelpContext() const { return FHelpContext; }
  void SetHelpContext(int value) { FHelpContext = value; }

  // After initialisation, to add buttons with AddButton.
  std::function<void(TBrowseFolderDialog& Sender)> OnCustomize;
  // A command of the browser window; true when the handler dealt with it.
  std::function<bool(int CommandId, int NotifyCode)> OnCommand;
  // May overrule the enabling of the OK button.
  std::function<void(bool& Enable)> OnEnableOKBtn;

  // Adds a push button to the browser (one is supported beside Help).
  void AddButton(const std::string& ACaption) { FAddedButton = ACaption; }
  // True when a folder was chosen; FolderName is then that folder with one
  // trailing backslash removed (a drive root gives "C:").
  bool Execute();

 private:
  int FHelpContext = 0;
  bool FDesktopRoot = true;
  TBrowseKind FBrowseKind = bfFolders;
  TDialogPosition FPosition = dpScreenCenter;
  std::string FText;
  std::string FSelectedName;
  std::string FFolderName;
  std::string FAddedButton;
};
