// The win32 backend's native windows: one window per control of the widget
// tree, created when its form is shown, kept in step with the control's
// state, and laid out in 96-DPI units scaled for the form's monitor.
#pragma once

#include <string>
#include <vector>

#include "platform/gui/Widgets.h"
#include "platform/win32/Win32Util.h"
// clang-format off
#include <commctrl.h>
// clang-format on

namespace gui::win32 {

// Control identifiers the automation tool reads: the header of a wizard page.
inline constexpr int kTitleId = 0x7F01;
inline constexpr int kSubtitleId = 0x7F02;
// The first identifier of the wizard's seven buttons, in WizardButton order.
inline constexpr int kWizardButtonId = 0x7F10;
// The item data of a check-list line.
inline constexpr LPARAM kLineChecked = 1;
inline constexpr LPARAM kLineEnabled = 2;
// The message the automation tool posts after a step; the form stores its
// lParam times two in the window property of the same name once the step is
// handled, plus one when a handler is still running (the installation run
// lets messages through while it works).
inline constexpr const wchar_t* kSyncName = L"Vexorin.Automation.Sync";

// Messages let through by a running handler (ProcessMessages), not by a
// message loop of its own (a modal form, a message box, the folder browser).
// Each loop saves and clears it; ProcessMessages sets it.
bool& HandlerRunning();

// Loads the common controls (comctl32.dll from the system folder, version 6
// through the program's manifest) and registers their classes; an error text
// naming the call that failed.
std::string LoadCommonControls();
// SetWindowSubclass and DefSubclassProc of the loaded common controls.
BOOL SetSubclass(HWND hwnd, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR data);
LRESULT DefSubclass(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Registers the window classes and loads the rich-edit library from the
// system folder; an error text naming the call that failed.
std::string RegisterClasses();

// The form's window with all its controls; created on first use.
HWND FormWindow(Form& form, HWND owner);
// The window of a control, or null when it has none (yet).
HWND WindowOf(const Control& control);
// Destroys the form's windows (a modal form that closed).
void DestroyFormWindow(Form& form);

// Brings the control's window (and those of its children) in step with its state.
void Sync(Control& control);
void ControlDestroyed(Control& control);
void AppendParagraph(RichEdit& pane, const RichEdit::Paragraph& paragraph);
// The wizard shows its active page: header, buttons, focus on the first control.
void ShowActivePage(Wizard& wizard);
// Focus on the form's active control, or the first control that takes it.
void FocusFirst(Form& form);

// The modal forms open, the top one last.
std::vector<Form*>& OpenModalForms();

// The form whose window (or child window) this is.
Form* FormOfWindow(HWND hwnd);
// Whether a key message is one the form's keyboard handling takes.
bool TranslateFormKeys(Form& form, MSG& msg);

// Text from UTF-8 with Windows line breaks (a lone CR or LF becomes CR LF).
std::wstring WindowText(const std::string& text);

// The DPI the form is laid out for.
int FormDpi(const Form& form);
// Overrides the DPI of the next forms shown (for the layout check); 0 resets.
void SetDpiOverride(int dpi);

// A control whose text does not fit its rectangle.
struct Clipped {
  std::string name;  // the control's caption (or name)
  int textWidth = 0, textHeight = 0, width = 0, height = 0;
};
// Measures the text of each showing control of the form with its font at
// the form's DPI against the control's rectangle.
std::vector<Clipped> FindClippedText(Form& form);

}  // namespace gui::win32
