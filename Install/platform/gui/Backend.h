// What the widget layer asks of its backend: to show changes, to run the
// modal loops and the message loop, and the system's dialogs. One set of
// definitions per backend (headless/, win32/).
#pragma once

#include <string>

#include "platform/gui/Widgets.h"

namespace gui::backend {

// Prepares the program's windows; an error text when it cannot.
std::string Initialize();
// A property of the control that the backend shows has changed.
void Changed(Control& control);
// The control is going away.
void Destroyed(Control& control);
// A paragraph was appended to a rich-text pane.
void ParagraphAdded(RichEdit& pane, const RichEdit::Paragraph& paragraph);
// The form has just been shown, or the wizard has shown a page.
void FormShown(Form& form);
void PageShown(Wizard& wizard, WizardPage& page);
// Returns when the form has a modal result.
void RunModal(Form& form);
// Returns when the application is terminated.
void RunMainLoop();
void ProcessMessages();
MsgResult MessageBox(const std::string& text, const std::string& caption, MsgButtons buttons, MsgIcon icon);
bool BrowseForFolder(FolderBrowser& browser);
bool KeyDown(Key key);
void SetClipboardText(const std::string& text);
std::string ClipboardText();
bool ExecutableHasIcon(const std::string& path);

}  // namespace gui::backend
