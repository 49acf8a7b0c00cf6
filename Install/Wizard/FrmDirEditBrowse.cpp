// The folder field and its browse button.
#include "Wizard/FrmDirEditBrowse.h"

#include "Wizard/BrowseFolderDlg.h"

TFrameDirEditBrowse::TFrameDirEditBrowse(gui::Control* parent) : gui::Panel(parent) {
  Bevel = Add<gui::Bevel>();
  LblCaption = Add<gui::Label>();
  EditDirectory = Add<gui::Edit>();
  EditDirectory->OnDblClick = [this] { EditDirectoryDblClick(); };
  LblCaption->SetFocusControl(EditDirectory);
  BtnDirBrowse = Add<gui::Button>("...");
  BtnDirBrowse->OnClick = [this] { BtnDirBrowseClick(); };
  Place(0, 0, 400);
}

void TFrameDirEditBrowse::Place(int left, int top, int width) {
  SetBounds(left, top, width, kHeight);
  // The line and the caption across the frame, the edit stretched up to the button at its right.
  Bevel->SetBounds(0, 0, width, 2);
  LblCaption->SetBounds(0, 8, width, 14);
  EditDirectory->SetBounds(0, 24, width - 32, 21);
  BtnDirBrowse->SetBounds(width - 26, 23, 26, 23);
}

TFrameDirEditBrowse* TFrameDirEditBrowse::Build(const std::string& Caption, const std::string& Dir,
                                                TDirEditChangeEvent OnChange, void* UserData, gui::Control* Client,
                                                const std::string& AButtonHint) {
  auto* frame = Client->Add<TFrameDirEditBrowse>();
  frame->SetName("");
  frame->LblCaption->SetCaption(Caption);
  frame->FOnChange = std::move(OnChange);
  frame->FUserData = UserData;
  frame->Place(0, 0, 400);
  frame->EditDirectory->SetText(Dir);
  frame->FHint = AButtonHint;
  return frame;
}

void TFrameDirEditBrowse::BtnDirBrowseClick() {
  // A browse already running (a second click while the browser is open) does nothing.
  if (BtnDirBrowse->Tag() != 0) return;
  BtnDirBrowse->SetTag(1);
  struct ResetTag {
    gui::Button* button;
    ~ResetTag() { button->SetTag(0); }
  } reset{BtnDirBrowse};
  std::string Dir = EditDirectory->Text();
  if (!BrowseForDirectory(Dir)) return;
  if (FOnChange) FOnChange(this, FUserData, Dir);
  if (!Dir.empty() || FAllowEmpty) EditDirectory->SetText(Dir);
}

bool TFrameDirEditBrowse::BrowseForDirectory(std::string& Dir) {
  FEmpty = false;
  TBrowseFolderDialog dialog;
  dialog.SetDialogText("Please select the directory below:");
  dialog.SetFolderName(Dir);
  dialog.OnCustomize = [this](TBrowseFolderDialog& Sender) {
    if (FAllowEmpty) Sender.AddButton("No directory");
  };
  dialog.OnCommand = [this](int CommandId, int NotifyCode) {
    if (CommandId != kAddedButtonId || NotifyCode != 0 || !FAllowEmpty) return false;
    EditDirectory->SetText("");
    FEmpty = true;
    return true;
  };
  bool result = dialog.Execute();
  if (result) Dir = dialog.FolderName();
  if (FEmpty && FAllowEmpty) {
    Dir.clear();
    result = true;
  }
  return result;
}
