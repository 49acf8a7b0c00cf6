// A folder field: a caption, an edit and a browse button.
#pragma once

#include <functional>
#include <string>

#include "platform/gui/Widgets.h"

class TFrameDirEditBrowse;
// Called with the chosen folder before it is put into the edit; may change it.
using TDirEditChangeEvent = std::function<void(TFrameDirEditBrowse* Sender, void* UserData, std::string& Dir)>;

class TFrameDirEditBrowse : public gui::Panel {
 public:
  explicit TFrameDirEditBrowse(gui::Control* parent);

  // A frame placed in Client with the caption, folder, change handler and button hint.
  static TFrameDirEditBrowse* Build(const std::string& Caption, const std::string& Dir, TDirEditChangeEvent OnChange,
                                    void* UserData, gui::Control* Client, const std::string& AButtonHint);

  // Places the frame in its parent; the edit stretches with the width.
  void Place(int left, int top, int width);
  static constexpr int kHeight = 50;

  void BtnDirBrowseClick();
  void EditDirectoryDblClick() { BtnDirBrowseClick(); }

  const TDirEditChangeEvent& OnChange() const { return FOnChange; }
  void SetOnChange(TDirEditChangeEvent value) { FOnChange = std::move(value); }
  bool AllowEmpty() const { return FAllowEmpty; }
  void SetAllowEmpty(bool value) { FAllowEmpty = value; }

  gui::Bevel* Bevel;
  gui::Label* LblCaption;
  gui::Edit* EditDirectory;
  gui::Button* BtnDirBrowse;

 private:
  bool BrowseForDirectory(std::string& Dir);

  TDirEditChangeEvent FOnChange;
  void* FUserData = nullptr;
  bool FAllowEmpty = false;
  bool FEmpty = false;
  std::string FHint = "Browse...";
};
