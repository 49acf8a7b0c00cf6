// A window as text: what a scripted run prints and what tests compare. Each
// showing control gives a line (or a few), in the order of the tree.
#pragma once

#include <string>
#include <vector>

#include "platform/gui/Widgets.h"

namespace gui {

// The caption without its mnemonic markers ("&Next >" -> "Next >").
std::string PlainCaption(const std::string& caption);
// The window: a heading (the page's title and subtitle, or the dialog's
// caption), its showing controls, and the wizard's buttons.
std::vector<std::string> RenderWindow(Form& form);
// One control as it stands in its window, without indentation.
std::vector<std::string> RenderControl(Control& control);
// The line of a wizard's buttons as they stand on the active page.
std::string RenderWizardButtons(const Wizard& wizard);
// The message box as shown.
std::vector<std::string> RenderMessageBox(const std::string& text, const std::string& caption, MsgButtons buttons);
// The captions of a message box's buttons.
std::vector<std::string> MessageBoxButtons(MsgButtons buttons);

}  // namespace gui
