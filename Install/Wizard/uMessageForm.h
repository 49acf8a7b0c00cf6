// A message window whose text can be copied to the clipboard.
#pragma once

#include <string>

#include "platform/gui/Widgets.h"

class TfMessageForm : public gui::Form {
 public:
  TfMessageForm();
  void btnCopyToClipbrdClick();

  gui::Label* lblMessage;
  gui::Button* btnClose;
  gui::Button* btnCopyToClipbrd;
};

// Shows the text in a message window with the caption, modally.
void ShowMessageForm(const std::string& ACaption, const std::string& AMessage);
