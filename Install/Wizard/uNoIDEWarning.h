// The start-up dialog shown when no IDE was found and nothing is installed.
#pragma once

#include "platform/gui/Widgets.h"

class TfNoIDEWarning : public gui::Form {
 public:
  TfNoIDEWarning();
  void bPurchaseClick();

  gui::Label* Label1;
  gui::Label* lVersion;
  gui::Button* bPurchase;
  gui::Button* BitBtn2;
};
