// The folder browser wrapper over the widget layer's browser.
#include "Wizard/BrowseFolderDlg.h"

#include "platform/gui/Widgets.h"

bool TBrowseFolderDialog::Execute() {
  FAddedButton.clear();
  if (OnCustomize) OnCustomize(*this);
  gui::FolderBrowser browser;
  browser.text = FText;
  browser.folderName = FFolderName;
  browser.desktopRoot = FDesktopRoot;
  browser.screenCenter = FPosition == dpScreenCenter;
  browser.helpContext = FHelpContext;
  browser.extraButton = FAddedButton;
  browser.onExtraButton = [this] {
    if (OnCommand) OnCommand(kAddedButtonId, 0);
  };
  browser.onEnableOk = [this](bool& enable) {
    if (OnEnableOKBtn) OnEnableOKBtn(enable);
  };
  if (!gui::BrowseForFolder(browser)) return false;
  FFolderName = browser.folderName;
  FSelectedName = FFolderName;
  return true;
}
