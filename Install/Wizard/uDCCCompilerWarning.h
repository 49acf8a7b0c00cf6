// The warning that an IDE lacks the command-line compiler: Retry, Continue
// Anyway or Exit.
#pragma once

#include "platform/gui/Widgets.h"

class TfDCCCompilerWarning : public gui::Form {
 public:
  TfDCCCompilerWarning();
  void lblLinkClick();

  gui::Label* lblWarning;
  gui::Label* Label2;
  gui::LinkLabel* lblLink;
  gui::Label* Label4;
  gui::Label* Label5;
  gui::Label* Label6;
  gui::Button* bRetry;
  gui::Button* bContinue;
  gui::Button* bCancel;
};
