// The native windows of the widget tree: creation, layout at the form's DPI,
// keeping each window in step with its control, painting what the system
// controls do not paint themselves, and routing notifications back.
#include "platform/gui/win32/Native.h"

// clang-format off
#include <windowsx.h>
#include <commctrl.h>
#include <richedit.h>
// clang-format on

#include <cwchar>
#include <map>
#include <stdexcept>
#include <unordered_map>
#include <vector>

#include "platform/gui/TextView.h"
#include "platform/gui/win32/Taskbar.h"
#include "platform/win32/SystemLibrary.h"

namespace gui::win32 {

using platform::win32::Narrow;
using platform::win32::Wide;

namespace {

const wchar_t* const kFormClass = L"VexorinForm";
const wchar_t* const kPaneClass = L"VexorinPane";

// The wizard's geometry in 96-DPI units.
constexpr int kButtonBand = 48;  // below the pages: separator and buttons
constexpr int kHeaderBand = 58;  // the white band of an interior page
constexpr int kButtonHeight = 23;
constexpr int kButtonWidth = 75;
constexpr int kWideButtonWidth = 96;  // "To Start Page", "To Last Page"
constexpr int kWelcomeTextLeft = 180;
constexpr int kCheckMarkWidth = 18;  // a check-list line's box and its gap
constexpr int kListLineHeight = 16;
constexpr int kComboLineHeight = 18;

enum class FontStyle { Normal, Bold, Link, Title };

// What a window stands for: the control itself, or one part the backend adds.
enum class Role { Control, WizardButton, Title, Subtitle, Separator, GroupFrame };

struct Item {
  Control* control = nullptr;
  Role role = Role::Control;
  int index = 0;  // the wizard button
};

struct State {
  std::unordered_map<const Control*, HWND> windows;
  std::unordered_map<HWND, Item> items;
  // The parts of a wizard, a page and a group box.
  std::unordered_map<const Control*, std::vector<HWND>> parts;
  std::unordered_map<const Control*, int> dpi;     // per form
  std::unordered_map<const Control*, int> scroll;  // per scroll box, in pixels
  std::map<std::pair<int, FontStyle>, HFONT> fonts;
  std::map<Color, HBRUSH> brushes;
  std::map<std::string, HICON> icons;
  int nextId = 100;
  int creatingDpi = 96;  // for the measure messages sent while a list is created
  int dpiOverride = 0;
  bool syncing = false;  // text set by the backend raises no change event
  UINT syncMessage = 0;
};

State& S() {
  static State state;
  return state;
}

int Scale(int value, int dpi) { return MulDiv(value, dpi, 96); }

Form* FormOf(Control& control) { return control.OwnerForm(); }

int DpiOf(Control& control) {
  Form* form = FormOf(control);
  if (form == nullptr) return 96;
  auto it = S().dpi.find(form);
  return it != S().dpi.end() ? it->second : 96;
}

int Px(Control& control, int value) { return Scale(value, DpiOf(control)); }

HFONT Font(int dpi, FontStyle style) {
  auto& font = S().fonts[{dpi, style}];
  if (font == nullptr) {
    const int points = style == FontStyle::Title ? 10 : 8;
    font = CreateFontW(-MulDiv(points, dpi, 72), 0, 0, 0,
                       style == FontStyle::Bold || style == FontStyle::Title ? FW_BOLD : FW_NORMAL, FALSE,
                       style == FontStyle::Link ? TRUE : FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"Tahoma");
    if (font == nullptr) font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  }
  return font;
}

FontStyle StyleOf(const Control& control) {
  if (control.GetKind() == Kind::LinkLabel) return FontStyle::Link;
  return control.Bold() ? FontStyle::Bold : FontStyle::Normal;
}

HBRUSH Brush(Color color) {
  auto& brush = S().brushes[color];
  if (brush == nullptr) brush = CreateSolidBrush(color);
  return brush;
}

COLORREF SystemColor(int index) { return GetSysColor(index); }

bool IsWelcomePage(const Control* control) {
  return control != nullptr && control->GetKind() == Kind::Page && static_cast<const WizardPage*>(control)->Welcome();
}

// The colour behind a control: a coloured panel, a welcome page (white) or
// the dialog face.
COLORREF BackgroundOf(const Control* control) {
  for (const Control* c = control; c != nullptr; c = c->Parent()) {
    if (c->GetKind() == Kind::Panel) {
      const Color background = static_cast<const Panel*>(c)->Background();
      if (background != kDefaultColor) return background;
    }
    if (IsWelcomePage(c)) return kWhite;
    if (c->GetKind() == Kind::Memo || c->GetKind() == Kind::Edit) return SystemColor(COLOR_WINDOW);
  }
  return SystemColor(COLOR_BTNFACE);
}

Item* ItemOf(HWND hwnd) {
  auto it = S().items.find(hwnd);
  return it != S().items.end() ? &it->second : nullptr;
}

void Remember(HWND hwnd, Control* control, Role role = Role::Control, int index = 0) {
  S().items[hwnd] = {control, role, index};
  if (role == Role::Control) {
    S().windows[control] = hwnd;
  } else {
    S().parts[control].push_back(hwnd);
  }
}

// Forgets the windows of the control and its children (their windows go with
// their parent's).
void Forget(const Control& control) {
  for (const auto& child : control.Children()) Forget(*child);
  if (auto it = S().windows.find(&control); it != S().windows.end()) {
    S().items.erase(it->second);
    S().windows.erase(it);
  }
  if (auto it = S().parts.find(&control); it != S().parts.end()) {
    for (HWND part : it->second) S().items.erase(part);
    S().parts.erase(it);
  }
  S().scroll.erase(&control);
  S().dpi.erase(&control);
}

HWND Part(const Control& control, Role role, int index = 0) {
  auto it = S().parts.find(&control);
  if (it == S().parts.end()) return nullptr;
  for (HWND part : it->second) {
    const Item* item = ItemOf(part);
    if (item != nullptr && item->role == role && item->index == index) return part;
  }
  return nullptr;
}

[[noreturn]] void Fail(const char* call) {
  throw std::runtime_error(std::string(call) + " failed with system error " + std::to_string(GetLastError()));
}

HWND MakeWindow(DWORD exStyle, const wchar_t* cls, const std::wstring& text, DWORD style, HWND parent, int id) {
  HWND hwnd = CreateWindowExW(exStyle, cls, text.c_str(), style, 0, 0, 0, 0, parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  if (hwnd == nullptr) Fail("CreateWindowExW");
  return hwnd;
}

int NextId() {
  if (S().nextId >= 0x7000) S().nextId = 100;
  return S().nextId++;
}

// ---- Layout

// The rectangle of a control in its parent window, in pixels.
RECT PlaceOf(Control& control) {
  const int dpi = DpiOf(control);
  Control* parent = control.Parent();
  if (control.GetKind() == Kind::Page && parent != nullptr) {
    const Rect& wizard = parent->Bounds();
    return {0, 0, Scale(wizard.width, dpi), Scale(wizard.height - kButtonBand, dpi)};
  }
  const Rect& b = control.Bounds();
  int top = Scale(b.top, dpi);
  if (parent != nullptr && parent->GetKind() == Kind::ScrollBox) {
    auto it = S().scroll.find(parent);
    if (it != S().scroll.end()) top -= it->second;
  }
  const int left = Scale(b.left, dpi);
  return {left, top, left + Scale(b.width, dpi), top + Scale(b.height, dpi)};
}

void Move(HWND hwnd, int left, int top, int width, int height) {
  SetWindowPos(hwnd, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void LayoutWizardButtons(Wizard& wizard) {
  const int dpi = DpiOf(wizard);
  const Rect& b = wizard.Bounds();
  WizardPage* page = wizard.ActivePage();
  if (HWND line = Part(wizard, Role::Separator))
    Move(line, 0, Scale(b.height - kButtonBand, dpi), Scale(b.width, dpi), 2);
  // From the right: Help, Cancel, then Finish, Next, Back, Last, Start side by side.
  int right = b.width - 11;
  const int top = b.height - 35;
  const WizardButton order[] = {WizardButton::Help, WizardButton::Cancel, WizardButton::Finish, WizardButton::Next,
                                WizardButton::Back, WizardButton::Last,   WizardButton::Start};
  for (const WizardButton button : order) {
    HWND hwnd = Part(wizard, Role::WizardButton, static_cast<int>(button));
    if (hwnd == nullptr) continue;
    const bool visible = page != nullptr && page->ButtonVisible(button);
    ShowWindow(hwnd, visible ? SW_SHOWNA : SW_HIDE);
    if (!visible) continue;
    EnableWindow(hwnd, page->ButtonEnabled(button));
    const int width = button == WizardButton::Start || button == WizardButton::Last ? kWideButtonWidth : kButtonWidth;
    Move(hwnd, Scale(right - width, dpi), Scale(top, dpi), Scale(width, dpi), Scale(kButtonHeight, dpi));
    right -= width;
    if (button == WizardButton::Help || button == WizardButton::Cancel) right -= 11;
    if (button == WizardButton::Last) right -= 6;
  }
  // Next is the default button unless the page has Finish instead.
  const bool finish =
      page != nullptr && page->ButtonVisible(WizardButton::Finish) && !page->ButtonVisible(WizardButton::Next);
  for (const WizardButton button : {WizardButton::Next, WizardButton::Finish}) {
    HWND hwnd = Part(wizard, Role::WizardButton, static_cast<int>(button));
    const bool isDefault = (button == WizardButton::Finish) == finish;
    if (hwnd != nullptr) SendMessageW(hwnd, BM_SETSTYLE, isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
  }
}

void LayoutPageHeader(WizardPage& page) {
  const int dpi = DpiOf(page);
  const int width = page.Parent() != nullptr ? page.Parent()->Bounds().width : 0;
  HWND title = Part(page, Role::Title);
  HWND subtitle = Part(page, Role::Subtitle);
  if (title == nullptr || subtitle == nullptr) return;
  if (page.Welcome()) {
    Move(title, Scale(kWelcomeTextLeft, dpi), Scale(12, dpi), Scale(width - kWelcomeTextLeft - 16, dpi),
         Scale(18, dpi));
    Move(subtitle, Scale(kWelcomeTextLeft, dpi), Scale(34, dpi), Scale(width - kWelcomeTextLeft - 16, dpi),
         Scale(42, dpi));
    SendMessageW(title, WM_SETFONT, reinterpret_cast<WPARAM>(Font(dpi, FontStyle::Title)), FALSE);
  } else {
    Move(title, Scale(16, dpi), Scale(9, dpi), Scale(width - 32, dpi), Scale(15, dpi));
    Move(subtitle, Scale(32, dpi), Scale(26, dpi), Scale(width - 48, dpi), Scale(28, dpi));
    SendMessageW(title, WM_SETFONT, reinterpret_cast<WPARAM>(Font(dpi, FontStyle::Bold)), FALSE);
  }
  SendMessageW(subtitle, WM_SETFONT, reinterpret_cast<WPARAM>(Font(dpi, FontStyle::Normal)), FALSE);
}

void UpdateScrollBar(ScrollBox& box, HWND hwnd) {
  RECT client{};
  GetClientRect(hwnd, &client);
  SCROLLINFO info{};
  info.cbSize = sizeof(info);
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  info.nMin = 0;
  info.nMax = Px(box, box.ScrollRange());
  info.nPage = static_cast<UINT>(client.bottom);
  info.nPos = S().scroll[&box];
  SetScrollInfo(hwnd, SB_VERT, &info, TRUE);
}

// Places the control's window and its children's, with their fonts.
void Layout(Control& control) {
  HWND hwnd = WindowOf(control);
  if (hwnd == nullptr) return;
  const int dpi = DpiOf(control);
  if (control.GetKind() != Kind::Form) {
    const RECT r = PlaceOf(control);
    Move(hwnd, r.left, r.top, r.right - r.left, r.bottom - r.top);
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(Font(dpi, StyleOf(control))), FALSE);
  }
  if (control.GetKind() == Kind::GroupBox) {
    if (HWND frame = Part(control, Role::GroupFrame)) {
      Move(frame, 0, 0, Px(control, control.Bounds().width), Px(control, control.Bounds().height));
      SendMessageW(frame, WM_SETFONT, reinterpret_cast<WPARAM>(Font(dpi, FontStyle::Normal)), FALSE);
    }
  }
  if (control.GetKind() == Kind::Wizard) {
    for (int i = 0; i < kWizardButtonCount; ++i) {
      if (HWND button = Part(control, Role::WizardButton, i))
        SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(Font(dpi, FontStyle::Normal)), FALSE);
    }
    LayoutWizardButtons(static_cast<Wizard&>(control));
  }
  if (control.GetKind() == Kind::Page) LayoutPageHeader(static_cast<WizardPage&>(control));
  if (control.GetKind() == Kind::ComboBox) {
    SendMessageW(hwnd, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), Scale(kComboLineHeight, dpi));
    SendMessageW(hwnd, CB_SETITEMHEIGHT, 0, Scale(kComboLineHeight, dpi));
    // The drop-down list's height counts in the window's height.
    const RECT r = PlaceOf(control);
    Move(hwnd, r.left, r.top, r.right - r.left, Scale(200, dpi));
  }
  if (control.GetKind() == Kind::CheckListBox) SendMessageW(hwnd, LB_SETITEMHEIGHT, 0, Scale(kListLineHeight, dpi));
  for (const auto& child : control.Children()) Layout(*child);
  if (control.GetKind() == Kind::ScrollBox) UpdateScrollBar(static_cast<ScrollBox&>(control), hwnd);
}

// ---- Keeping windows in step

bool ShownByItself(const Control& control) {
  if (!control.Visible()) return false;
  if (control.GetKind() == Kind::Page) {
    const auto* wizard = static_cast<const Wizard*>(control.Parent());
    return wizard != nullptr && wizard->ActivePage() == &control;
  }
  return true;
}

std::wstring TextOf(HWND hwnd) {
  const int length = GetWindowTextLengthW(hwnd);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(hwnd, text.data(), length + 1)));
  return text;
}

void SetText(HWND hwnd, const std::wstring& text) {
  if (TextOf(hwnd) == text) return;
  const bool syncing = S().syncing;
  S().syncing = true;
  SetWindowTextW(hwnd, text.c_str());
  S().syncing = syncing;
}

int CheckOf(CheckState state) {
  switch (state) {
    case CheckState::Checked:
      return BST_CHECKED;
    case CheckState::Grayed:
      return BST_INDETERMINATE;
    default:
      return BST_UNCHECKED;
  }
}

template <class Strings>
void SyncStrings(HWND hwnd, const Strings& strings, UINT count, UINT reset, UINT add, UINT getLength, UINT getText) {
  bool same = static_cast<size_t>(SendMessageW(hwnd, count, 0, 0)) == strings.size();
  for (size_t i = 0; same && i < strings.size(); ++i) {
    const std::wstring wanted = Wide(strings[i]);
    const auto length = SendMessageW(hwnd, getLength, i, 0);
    std::wstring text(static_cast<size_t>(length < 0 ? 0 : length) + 1, L'\0');
    SendMessageW(hwnd, getText, i, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(length < 0 ? 0 : length));
    same = text == wanted;
  }
  if (same) return;
  SendMessageW(hwnd, WM_SETREDRAW, FALSE, 0);
  SendMessageW(hwnd, reset, 0, 0);
  for (const auto& text : strings) SendMessageW(hwnd, add, 0, reinterpret_cast<LPARAM>(Wide(text).c_str()));
  SendMessageW(hwnd, WM_SETREDRAW, TRUE, 0);
}

void SyncOne(Control& control) {
  HWND hwnd = WindowOf(control);
  if (hwnd == nullptr) return;
  const bool visible = ShownByItself(control);
  if (((GetWindowLongW(hwnd, GWL_STYLE) & WS_VISIBLE) != 0) != visible) ShowWindow(hwnd, visible ? SW_SHOWNA : SW_HIDE);
  if (control.GetKind() != Kind::Form && control.GetKind() != Kind::Page && control.GetKind() != Kind::Wizard)
    EnableWindow(hwnd, control.EnabledInTree());
  switch (control.GetKind()) {
    case Kind::Form:
      SetText(hwnd, Wide(control.Caption()));
      break;
    case Kind::Label:
    case Kind::LinkLabel:
    case Kind::Button:
    case Kind::CheckBox:
    case Kind::RadioButton:
    case Kind::Edit:
    case Kind::Memo:
      SetText(hwnd, WindowText(control.Caption()));
      break;
    case Kind::Panel:
    case Kind::Image:
      InvalidateRect(hwnd, nullptr, TRUE);
      break;
    case Kind::GroupBox:
      if (HWND frame = Part(control, Role::GroupFrame)) {
        SetText(frame, Wide(control.Caption()));
        EnableWindow(frame, control.EnabledInTree());
      }
      break;
    case Kind::ListBox: {
      auto& list = static_cast<ListBox&>(control);
      SyncStrings(hwnd, list.Items(), LB_GETCOUNT, LB_RESETCONTENT, LB_ADDSTRING, LB_GETTEXTLEN, LB_GETTEXT);
      SendMessageW(hwnd, LB_SETCURSEL, static_cast<WPARAM>(list.ItemIndex()), 0);
      break;
    }
    case Kind::CheckListBox: {
      auto& list = static_cast<CheckListBox&>(control);
      std::vector<std::string> texts;
      for (const auto& line : list.Lines()) texts.push_back(line.text);
      SyncStrings(hwnd, texts, LB_GETCOUNT, LB_RESETCONTENT, LB_ADDSTRING, LB_GETTEXTLEN, LB_GETTEXT);
      // Each line's state as its item data, for screen readers and the automation tool.
      for (size_t i = 0; i < list.Lines().size(); ++i) {
        const auto& line = list.Lines()[i];
        SendMessageW(hwnd, LB_SETITEMDATA, i, (line.checked ? kLineChecked : 0) | (line.enabled ? kLineEnabled : 0));
      }
      if (SendMessageW(hwnd, LB_GETCURSEL, 0, 0) != list.ItemIndex())
        SendMessageW(hwnd, LB_SETCURSEL, static_cast<WPARAM>(list.ItemIndex()), 0);
      InvalidateRect(hwnd, nullptr, TRUE);
      break;
    }
    case Kind::ComboBox: {
      auto& combo = static_cast<ComboBox&>(control);
      std::vector<std::string> texts;
      for (const auto& item : combo.Items()) texts.push_back(item.text);
      SyncStrings(hwnd, texts, CB_GETCOUNT, CB_RESETCONTENT, CB_ADDSTRING, CB_GETLBTEXTLEN, CB_GETLBTEXT);
      SendMessageW(hwnd, CB_SETCURSEL, static_cast<WPARAM>(combo.ItemIndex()), 0);
      break;
    }
    case Kind::RichEdit:
      if (static_cast<RichEdit&>(control).Paragraphs().empty()) SetText(hwnd, L"");
      break;
    case Kind::ProgressBar: {
      const auto& bar = static_cast<ProgressBar&>(control);
      SendMessageW(hwnd, PBM_SETRANGE32, 0, bar.Maximum());
      SendMessageW(hwnd, PBM_SETPOS, static_cast<WPARAM>(bar.Position()), 0);
      SendMessageW(hwnd, PBM_SETSTATE, bar.GetState() == ProgressBar::State::Error ? PBST_ERROR : PBST_NORMAL, 0);
      ShowTaskbarProgress(GetAncestor(hwnd, GA_ROOT), bar);
      break;
    }
    case Kind::Page: {
      auto& page = static_cast<WizardPage&>(control);
      if (HWND title = Part(page, Role::Title)) SetText(title, WindowText(page.Title()));
      if (HWND subtitle = Part(page, Role::Subtitle)) SetText(subtitle, WindowText(page.Subtitle()));
      if (auto* wizard = static_cast<Wizard*>(page.Parent()); wizard != nullptr && wizard->ActivePage() == &page)
        LayoutWizardButtons(*wizard);
      break;
    }
    default:
      break;
  }
  if (control.GetKind() == Kind::CheckBox) {
    auto& box = static_cast<CheckBox&>(control);
    const LONG style = GetWindowLongW(hwnd, GWL_STYLE);
    const LONG kindBits = box.AllowGrayed() ? BS_3STATE : BS_CHECKBOX;
    if ((style & BS_TYPEMASK) != kindBits) SendMessageW(hwnd, BM_SETSTYLE, kindBits, TRUE);
    SendMessageW(hwnd, BM_SETCHECK, CheckOf(box.State()), 0);
  }
  if (control.GetKind() == Kind::RadioButton)
    SendMessageW(hwnd, BM_SETCHECK, static_cast<RadioButton&>(control).Checked() ? BST_CHECKED : BST_UNCHECKED, 0);
  if (control.GetKind() == Kind::Label || control.GetKind() == Kind::LinkLabel || control.GetKind() == Kind::Button) {
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(Font(DpiOf(control), StyleOf(control))), TRUE);
    InvalidateRect(hwnd, nullptr, TRUE);
  }
}

// ---- Creating windows

void Create(Control& control, HWND parent);

void CreateChildren(Control& control, HWND hwnd) {
  for (const auto& child : control.Children()) Create(*child, hwnd);
}

void CreateWizardParts(Wizard& wizard, HWND hwnd) {
  HWND line = MakeWindow(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_ETCHEDHORZ, hwnd, NextId());
  Remember(line, &wizard, Role::Separator);
  for (int i = 0; i < kWizardButtonCount; ++i) {
    HWND button = MakeWindow(0, L"BUTTON", Wide(WizardButtonCaption(static_cast<WizardButton>(i))),
                             WS_CHILD | WS_TABSTOP | BS_PUSHBUTTON, hwnd, kWizardButtonId + i);
    Remember(button, &wizard, Role::WizardButton, i);
  }
}

void CreatePageHeader(WizardPage& page, HWND hwnd) {
  HWND title =
      MakeWindow(0, L"STATIC", WindowText(page.Title()), WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, hwnd, kTitleId);
  Remember(title, &page, Role::Title);
  HWND subtitle = MakeWindow(0, L"STATIC", WindowText(page.Subtitle()), WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX,
                             hwnd, kSubtitleId);
  Remember(subtitle, &page, Role::Subtitle);
}

// Double clicks in an edit, and the check marks of a check list (mouse and Space).
LRESULT CALLBACK InputProc(HWND h, UINT m, WPARAM w, LPARAM l, UINT_PTR, DWORD_PTR) {
  Item* item = ItemOf(h);
  if (item == nullptr) return DefSubclass(h, m, w, l);
  if (item->control->GetKind() == Kind::Edit && m == WM_LBUTTONDBLCLK) {
    const LRESULT result = DefSubclass(h, m, w, l);
    if (auto& handler = static_cast<Edit*>(item->control)->OnDblClick) handler();
    return result;
  }
  if (item->control->GetKind() == Kind::CheckListBox) {
    auto* list = static_cast<CheckListBox*>(item->control);
    if (m == WM_LBUTTONDOWN || m == WM_LBUTTONDBLCLK) {
      const LRESULT result = DefSubclass(h, m, w, l);
      const auto hit = SendMessageW(h, LB_ITEMFROMPOINT, 0, l);
      const int index = LOWORD(hit);
      if (HIWORD(hit) == 0 && GET_X_LPARAM(l) < Px(*list, kCheckMarkWidth) &&
          index < static_cast<int>(list->Lines().size()))
        list->ToggleLine(index);
      return result;
    }
    if (m == WM_KEYDOWN && w == VK_SPACE) {
      const auto index = SendMessageW(h, LB_GETCURSEL, 0, 0);
      if (index >= 0 && index < static_cast<LRESULT>(list->Lines().size())) list->ToggleLine(static_cast<int>(index));
      return 0;
    }
  }
  return DefSubclass(h, m, w, l);
}

void Create(Control& control, HWND parent) {
  if (WindowOf(control) != nullptr) return;
  const std::wstring caption = WindowText(control.Caption());
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
  DWORD exStyle = 0;
  const wchar_t* cls = kPaneClass;
  std::wstring text = caption;
  switch (control.GetKind()) {
    case Kind::Wizard:
    case Kind::Page:
    case Kind::Panel:
    case Kind::GroupBox:
    case Kind::Image:
      style |= WS_CLIPCHILDREN;
      exStyle |= WS_EX_CONTROLPARENT;
      text.clear();
      break;
    case Kind::ScrollBox:
      style |= WS_CLIPCHILDREN | WS_VSCROLL;
      exStyle |= WS_EX_CONTROLPARENT;
      break;
    case Kind::Label:
      cls = L"STATIC";
      style |= SS_NOPREFIX | (static_cast<Label&>(control).WordWrap() ? SS_LEFT : SS_LEFTNOWORDWRAP);
      if (control.OnClick) style |= SS_NOTIFY;
      break;
    case Kind::LinkLabel:
      cls = L"STATIC";
      style |= SS_NOPREFIX | SS_LEFTNOWORDWRAP | SS_NOTIFY;
      break;
    case Kind::Bevel:
      cls = L"STATIC";
      style |= SS_ETCHEDHORZ;
      break;
    case Kind::CheckBox:
      cls = L"BUTTON";
      style |= WS_TABSTOP | (static_cast<CheckBox&>(control).AllowGrayed() ? BS_3STATE : BS_CHECKBOX);
      break;
    case Kind::RadioButton: {
      cls = L"BUTTON";
      style |= WS_TABSTOP | BS_RADIOBUTTON;
      // The first radio button of a parent starts a group.
      bool first = true;
      for (const auto& sibling : control.Parent()->Children()) {
        if (sibling.get() == &control) break;
        if (sibling->GetKind() == Kind::RadioButton) first = false;
      }
      if (first) style |= WS_GROUP;
      break;
    }
    case Kind::Button:
      cls = L"BUTTON";
      style |= WS_TABSTOP | BS_PUSHBUTTON;
      break;
    case Kind::Edit:
      cls = L"EDIT";
      style |= WS_TABSTOP | ES_AUTOHSCROLL;
      exStyle |= WS_EX_CLIENTEDGE;
      break;
    case Kind::Memo:
      cls = L"EDIT";
      style |= WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL;
      exStyle |= WS_EX_CLIENTEDGE;
      break;
    case Kind::ListBox:
      cls = L"LISTBOX";
      style |= WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
      exStyle |= WS_EX_CLIENTEDGE;
      text.clear();
      break;
    case Kind::CheckListBox:
      cls = L"LISTBOX";
      style |= WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS;
      exStyle |= WS_EX_CLIENTEDGE;
      text.clear();
      break;
    case Kind::ComboBox:
      cls = L"COMBOBOX";
      style |= WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS;
      text.clear();
      break;
    case Kind::RichEdit:
      cls = RICHEDIT_CLASSW;
      style |= WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL;
      exStyle |= WS_EX_CLIENTEDGE;
      text.clear();
      break;
    case Kind::ProgressBar:
      cls = PROGRESS_CLASSW;
      text.clear();
      break;
    case Kind::Form:
      return;
  }
  const int id = control.GetKind() == Kind::Wizard ? 0 : NextId();
  S().creatingDpi = DpiOf(control);
  HWND hwnd = MakeWindow(exStyle, cls, text, style, parent, id);
  Remember(hwnd, &control);
  if (control.GetKind() == Kind::GroupBox) {
    // The frame lies under the group's controls and paints none of them over.
    HWND frame =
        MakeWindow(0, L"BUTTON", caption, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | BS_GROUPBOX, hwnd, NextId());
    Remember(frame, &control, Role::GroupFrame);
  }
  if (control.GetKind() == Kind::Edit || control.GetKind() == Kind::CheckListBox) SetSubclass(hwnd, InputProc, 1, 0);
  if (control.GetKind() == Kind::RichEdit) {
    SendMessageW(hwnd, EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(SystemColor(COLOR_WINDOW)));
    for (const auto& paragraph : static_cast<RichEdit&>(control).Paragraphs())
      AppendParagraph(static_cast<RichEdit&>(control), paragraph);
  }
  if (control.GetKind() == Kind::Page) CreatePageHeader(static_cast<WizardPage&>(control), hwnd);
  CreateChildren(control, hwnd);
  if (HWND frame = Part(control, Role::GroupFrame))
    SetWindowPos(frame, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  // The wizard's buttons come after the pages in the tab order.
  if (control.GetKind() == Kind::Wizard) CreateWizardParts(static_cast<Wizard&>(control), hwnd);
}

void SyncTree(Control& control) {
  SyncOne(control);
  for (const auto& child : control.Children()) SyncTree(*child);
}

// ---- Painting

void PaintPane(Control& control, HWND hwnd, HDC dc) {
  RECT client{};
  GetClientRect(hwnd, &client);
  FillRect(dc, &client, Brush(BackgroundOf(&control)));
  const int dpi = DpiOf(control);
  if (control.GetKind() == Kind::Page && !static_cast<WizardPage&>(control).Welcome()) {
    RECT band{0, 0, client.right, Scale(kHeaderBand, dpi)};
    FillRect(dc, &band, Brush(kWhite));
    RECT line{0, band.bottom, client.right, band.bottom + 2};
    DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
  }
  if (control.GetKind() == Kind::Panel && !control.Caption().empty()) {
    HGDIOBJ old = SelectObject(dc, Font(dpi, StyleOf(control)));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, control.FontColor() == kDefaultColor ? SystemColor(COLOR_WINDOWTEXT) : control.FontColor());
    RECT text = client;
    text.left += Scale(8, dpi);
    const std::wstring caption = Wide(control.Caption());
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, old);
  }
  if (control.GetKind() == Kind::Image) {
    const std::string& picture = control.Caption();
    if (picture == "information" || picture == "exclamation") {
      HICON icon = LoadIconW(nullptr, picture == "information" ? IDI_INFORMATION : IDI_WARNING);
      DrawIconEx(dc, 0, 0, icon, client.right, client.bottom, 0, nullptr, DI_NORMAL);
      return;
    }
    std::wstring name = Wide(picture);
    for (auto& c : name) c = static_cast<wchar_t>(towupper(c));
    HBITMAP bitmap = static_cast<HBITMAP>(
        LoadImageW(GetModuleHandleW(nullptr), name.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (bitmap == nullptr) return;
    BITMAP info{};
    GetObjectW(bitmap, sizeof(info), &info);
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, bitmap);
    SetStretchBltMode(dc, HALFTONE);
    StretchBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(bitmap);
  }
}

HICON SmallIcon(const std::string& path) {
  auto it = S().icons.find(path);
  if (it != S().icons.end()) return it->second;
  SHFILEINFOW info{};
  HICON icon = nullptr;
  if (SHGetFileInfoW(Wide(path).c_str(), 0, &info, sizeof(info), SHGFI_ICON | SHGFI_SMALLICON) != 0) icon = info.hIcon;
  S().icons[path] = icon;
  return icon;
}

void DrawListLine(Control& control, const DRAWITEMSTRUCT& draw) {
  HDC dc = draw.hDC;
  RECT r = draw.rcItem;
  const bool selected = (draw.itemState & ODS_SELECTED) != 0;
  const bool inEdit = (draw.itemState & ODS_COMBOBOXEDIT) != 0;
  FillRect(dc, &r, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  if (draw.itemID == static_cast<UINT>(-1)) return;
  const int index = static_cast<int>(draw.itemID);
  std::string text;
  bool enabled = control.EnabledInTree();
  SetBkMode(dc, TRANSPARENT);
  if (control.GetKind() == Kind::CheckListBox) {
    auto& list = static_cast<CheckListBox&>(control);
    if (index >= static_cast<int>(list.Lines().size())) return;
    const auto& line = list.Lines()[static_cast<size_t>(index)];
    text = line.text;
    enabled = enabled && line.enabled;
    const int box = Px(control, 13);
    RECT mark{r.left + Px(control, 2), r.top + (r.bottom - r.top - box) / 2, 0, 0};
    mark.right = mark.left + box;
    mark.bottom = mark.top + box;
    DrawFrameControl(dc, &mark, DFC_BUTTON,
                     DFCS_BUTTONCHECK | DFCS_FLAT | (line.checked ? DFCS_CHECKED : 0) | (enabled ? 0 : DFCS_INACTIVE));
    r.left += Px(control, kCheckMarkWidth);
  } else {
    auto& combo = static_cast<ComboBox&>(control);
    if (index >= static_cast<int>(combo.Items().size())) return;
    text = combo.Items()[static_cast<size_t>(index)].text;
    if (combo.Images() != nullptr) {
      const int size = Px(control, 16);
      const std::string path = combo.Images()->IconPath(index);
      if (HICON icon = path.empty() ? nullptr : SmallIcon(path))
        DrawIconEx(dc, r.left + Px(control, 2), r.top + (r.bottom - r.top - size) / 2, icon, size, size, 0, nullptr,
                   DI_NORMAL);
      r.left += size + Px(control, 6);
    }
  }
  SetTextColor(dc, SystemColor(!enabled ? COLOR_GRAYTEXT : selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  const std::wstring wide = Wide(text);
  r.left += Px(control, 2);
  DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &r, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  if ((draw.itemState & ODS_FOCUS) != 0 && !inEdit) DrawFocusRect(dc, &draw.rcItem);
}

void Scroll(ScrollBox& box, HWND hwnd, int position) {
  RECT client{};
  GetClientRect(hwnd, &client);
  const int range = Px(box, box.ScrollRange());
  const int limit = range > client.bottom ? range - client.bottom : 0;
  position = position < 0 ? 0 : position > limit ? limit : position;
  int& current = S().scroll[&box];
  const int delta = current - position;
  if (delta == 0) return;
  current = position;
  ScrollWindowEx(hwnd, 0, delta, nullptr, nullptr, nullptr, nullptr, SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
  UpdateScrollBar(box, hwnd);
}

bool OnTopOfModal(Control& control);

// Notifications from the children of a form or pane.
bool Command(HWND child, int code) {
  Item* item = ItemOf(child);
  if (item == nullptr || !OnTopOfModal(*item->control)) return false;
  Control& control = *item->control;
  if (item->role == Role::WizardButton) {
    if (code == BN_CLICKED) static_cast<Wizard&>(control).ClickButton(static_cast<WizardButton>(item->index));
    return true;
  }
  if (item->role != Role::Control) return false;
  switch (control.GetKind()) {
    case Kind::Button:
      if (code == BN_CLICKED) static_cast<Button&>(control).Click();
      return true;
    case Kind::CheckBox:
      if (code == BN_CLICKED) {
        static_cast<CheckBox&>(control).Click();
        SyncOne(control);
      }
      return true;
    case Kind::RadioButton:
      if (code == BN_CLICKED && !static_cast<RadioButton&>(control).Checked()) {
        static_cast<RadioButton&>(control).Click();
        SyncOne(control);
      }
      return true;
    case Kind::Label:
    case Kind::LinkLabel:
      if (code == STN_CLICKED && control.OnClick) control.OnClick();
      return true;
    case Kind::Edit:
      if (code == EN_CHANGE && !S().syncing) static_cast<Edit&>(control).SetText(Narrow(TextOf(child)));
      return true;
    case Kind::ListBox:
      if (code == LBN_SELCHANGE)
        static_cast<ListBox&>(control).ClickItem(static_cast<int>(SendMessageW(child, LB_GETCURSEL, 0, 0)));
      return true;
    case Kind::CheckListBox:
      if (code == LBN_SELCHANGE)
        static_cast<CheckListBox&>(control).SetItemIndex(static_cast<int>(SendMessageW(child, LB_GETCURSEL, 0, 0)));
      return true;
    case Kind::ComboBox:
      if (code == CBN_SELCHANGE)
        static_cast<ComboBox&>(control).ChooseItem(static_cast<int>(SendMessageW(child, CB_GETCURSEL, 0, 0)));
      return true;
    default:
      return false;
  }
}

Wizard* WizardOf(Form& form) {
  for (const auto& child : form.Children()) {
    if (child->GetKind() == Kind::Wizard) return static_cast<Wizard*>(child.get());
  }
  return nullptr;
}

// Enter and Esc: a focused push button is clicked by Enter; otherwise the
// form's default and cancel buttons, or the wizard's Next (Finish) and Cancel.
void DialogKey(Form& form, bool enter) {
  if (enter) {
    if (Item* item = ItemOf(GetFocus()); item != nullptr && FormOf(*item->control) == &form) {
      const bool button =
          (item->role == Role::Control && item->control->GetKind() == Kind::Button) || item->role == Role::WizardButton;
      if (button) {
        Command(GetFocus(), BN_CLICKED);
        return;
      }
    }
  }
  if (Wizard* wizard = WizardOf(form); wizard != nullptr && wizard->ActivePage() != nullptr) {
    WizardPage* page = wizard->ActivePage();
    if (!enter) {
      wizard->ClickButton(WizardButton::Cancel);
    } else if (page->ButtonVisible(WizardButton::Next) && page->ButtonEnabled(WizardButton::Next)) {
      wizard->ClickButton(WizardButton::Next);
    } else {
      wizard->ClickButton(WizardButton::Finish);
    }
    return;
  }
  if (enter) {
    form.PressEnter();
  } else {
    form.PressEsc();
  }
}

LRESULT CALLBACK PaneProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Item* item = ItemOf(hwnd);
  Control* control = item != nullptr ? item->control : nullptr;
  switch (message) {
    case WM_COMMAND:
      if (lParam != 0) {
        if (Command(reinterpret_cast<HWND>(lParam), HIWORD(wParam))) return 0;
      } else if (control != nullptr && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        if (Form* form = FormOf(*control); form != nullptr && OnTopOfModal(*form))
          DialogKey(*form, LOWORD(wParam) == IDOK);
        return 0;
      }
      break;
    case WM_MEASUREITEM: {
      auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      measure->itemHeight = static_cast<UINT>(
          Scale(measure->CtlType == ODT_COMBOBOX ? kComboLineHeight : kListLineHeight, S().creatingDpi));
      return TRUE;
    }
    case WM_DRAWITEM: {
      const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (Item* drawn = ItemOf(draw->hwndItem); drawn != nullptr && drawn->role == Role::Control) {
        DrawListLine(*drawn->control, *draw);
        return TRUE;
      }
      break;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      Item* child = ItemOf(reinterpret_cast<HWND>(lParam));
      if (child == nullptr) break;
      COLORREF background = BackgroundOf(child->control);
      if (child->role == Role::Title || child->role == Role::Subtitle) background = kWhite;
      if (child->role == Role::Control && child->control->GetKind() == Kind::Memo)
        background = SystemColor(COLOR_WINDOW);
      if (child->role == Role::Control && child->control->FontColor() != kDefaultColor &&
          IsWindowEnabled(reinterpret_cast<HWND>(lParam)))
        SetTextColor(dc, child->control->FontColor());
      SetBkColor(dc, background);
      return reinterpret_cast<LRESULT>(Brush(background));
    }
    case WM_SETCURSOR: {
      Item* child = ItemOf(reinterpret_cast<HWND>(wParam));
      if (child != nullptr && child->role == Role::Control &&
          (child->control->GetKind() == Kind::LinkLabel ||
           (child->control->GetKind() == Kind::Label && child->control->OnClick))) {
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
      }
      break;
    }
    case WM_ERASEBKGND:
      if (control != nullptr && control->GetKind() != Kind::Form) {
        PaintPane(*control, hwnd, reinterpret_cast<HDC>(wParam));
        return TRUE;
      }
      break;
    case WM_PAINT:
      if (control != nullptr && control->GetKind() == Kind::Image) {
        PAINTSTRUCT paint{};
        HDC dc = BeginPaint(hwnd, &paint);
        PaintPane(*control, hwnd, dc);
        EndPaint(hwnd, &paint);
        return 0;
      }
      break;
    case WM_VSCROLL:
    case WM_MOUSEWHEEL:
      if (control != nullptr && control->GetKind() == Kind::ScrollBox) {
        auto& box = static_cast<ScrollBox&>(*control);
        const int line = Px(box, 20);
        int position = S().scroll[&box];
        RECT client{};
        GetClientRect(hwnd, &client);
        if (message == WM_MOUSEWHEEL) {
          position -= GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA * 3 * line;
        } else {
          switch (LOWORD(wParam)) {
            case SB_LINEUP:
              position -= line;
              break;
            case SB_LINEDOWN:
              position += line;
              break;
            case SB_PAGEUP:
              position -= client.bottom;
              break;
            case SB_PAGEDOWN:
              position += client.bottom;
              break;
            case SB_THUMBTRACK:
            case SB_THUMBPOSITION:
              position = HIWORD(wParam);
              break;
            case SB_TOP:
              position = 0;
              break;
            case SB_BOTTOM:
              position = Px(box, box.ScrollRange());
              break;
            default:
              break;
          }
        }
        Scroll(box, hwnd, position);
        return 0;
      }
      break;
    default:
      break;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK FormProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Item* item = ItemOf(hwnd);
  Form* form = item != nullptr ? static_cast<Form*>(item->control) : nullptr;
  if (message == S().syncMessage && S().syncMessage != 0) {
    const auto value = static_cast<UINT_PTR>(lParam) * 2 + (HandlerRunning() ? 1 : 0);
    SetPropW(hwnd, kSyncName, reinterpret_cast<HANDLE>(value));
    return 0;
  }
  switch (message) {
    case WM_CLOSE:
      if (form != nullptr && OnTopOfModal(*form)) form->CloseBox();
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        SetPropW(hwnd, L"Vexorin.Focus", GetFocus());
      } else if (HWND focus = static_cast<HWND>(GetPropW(hwnd, L"Vexorin.Focus"));
                 focus != nullptr && IsWindow(focus)) {
        SetFocus(focus);
        return 0;
      }
      break;
    case WM_DPICHANGED:
      if (form != nullptr) {
        S().dpi[form] = HIWORD(wParam);
        const auto* suggested = reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(hwnd, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        Layout(*form);
        InvalidateRect(hwnd, nullptr, TRUE);
      }
      return 0;
    case WM_NCDESTROY:
      RemovePropW(hwnd, L"Vexorin.Focus");
      RemovePropW(hwnd, kSyncName);
      break;
    default:
      break;
  }
  return PaneProc(hwnd, message, wParam, lParam);
}

// The modal forms open, the top one last.
std::vector<Form*>& ModalStack() {
  static std::vector<Form*> stack;
  return stack;
}

bool OnTopOfModal(Control& control) {
  Form* form = FormOf(control);
  return ModalStack().empty() || ModalStack().back() == form;
}

int SystemDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

// The DPI of a window's monitor (Windows 10 and later), else the system's.
int WindowDpi(HWND hwnd) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  if (getDpiForWindow != nullptr && hwnd != nullptr) {
    const UINT dpi = getDpiForWindow(hwnd);
    if (dpi != 0) return static_cast<int>(dpi);
  }
  return SystemDpi();
}

}  // namespace

bool& HandlerRunning() {
  static bool running = false;
  return running;
}

std::wstring WindowText(const std::string& text) {
  std::string fixed;
  fixed.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      fixed += "\r\n";
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else if (text[i] == '\n') {
      fixed += "\r\n";
    } else {
      fixed += text[i];
    }
  }
  return Wide(fixed);
}

namespace {

// The functions of comctl32.dll the windows use; LoadCommonControls fills them.
decltype(&SetWindowSubclass) setWindowSubclass = nullptr;
decltype(&DefSubclassProc) defSubclassProc = nullptr;

std::string LoadFailed(const char* what) {
  return std::string(what) + " failed with system error " + std::to_string(GetLastError());
}

}  // namespace

std::string LoadCommonControls() {
  using platform::win32::SystemFunction;
  const auto init = SystemFunction<decltype(&InitCommonControlsEx)>(L"comctl32.dll", "InitCommonControlsEx");
  if (init == nullptr) return LoadFailed("Loading InitCommonControlsEx of comctl32.dll");
  setWindowSubclass = SystemFunction<decltype(&SetWindowSubclass)>(L"comctl32.dll", "SetWindowSubclass");
  if (setWindowSubclass == nullptr) return LoadFailed("Loading SetWindowSubclass of comctl32.dll");
  defSubclassProc = SystemFunction<decltype(&DefSubclassProc)>(L"comctl32.dll", "DefSubclassProc");
  if (defSubclassProc == nullptr) return LoadFailed("Loading DefSubclassProc of comctl32.dll");
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof(controls);
  controls.dwICC = ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES | ICC_PROGRESS_CLASS;
  if (init(&controls) == FALSE) return "InitCommonControlsEx failed";
  return {};
}

BOOL SetSubclass(HWND hwnd, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR data) {
  return setWindowSubclass(hwnd, proc, id, data);
}

LRESULT DefSubclass(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return defSubclassProc(hwnd, message, wParam, lParam);
}

std::string RegisterClasses() {
  S().syncMessage = RegisterWindowMessageW(kSyncName);
  // riched20.dll is not a known DLL: from the system folder only.
  if (platform::win32::SystemLibrary(L"riched20.dll") == nullptr) return LoadFailed("LoadLibraryExW(riched20.dll)");
  WNDCLASSEXW form{};
  form.cbSize = sizeof(form);
  form.lpfnWndProc = FormProc;
  form.hInstance = GetModuleHandleW(nullptr);
  form.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  form.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  form.hIcon = LoadIconW(form.hInstance, L"MAINICON");
  form.lpszClassName = kFormClass;
  if (RegisterClassExW(&form) == 0)
    return "RegisterClassExW(VexorinForm) failed with system error " + std::to_string(GetLastError());
  WNDCLASSEXW pane = form;
  pane.lpfnWndProc = PaneProc;
  pane.hIcon = nullptr;
  pane.hbrBackground = nullptr;
  pane.lpszClassName = kPaneClass;
  if (RegisterClassExW(&pane) == 0)
    return "RegisterClassExW(VexorinPane) failed with system error " + std::to_string(GetLastError());
  return {};
}

HWND WindowOf(const Control& control) {
  auto it = S().windows.find(&control);
  return it != S().windows.end() ? it->second : nullptr;
}

int FormDpi(const Form& form) {
  auto it = S().dpi.find(&form);
  return it != S().dpi.end() ? it->second : 96;
}

void SetDpiOverride(int dpi) { S().dpiOverride = dpi; }

HWND FormWindow(Form& form, HWND owner) {
  if (HWND existing = WindowOf(form)) return existing;
  const bool main = Application::Instance().MainForm() == &form;
  DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  if (main) style |= WS_MINIMIZEBOX;
  const DWORD exStyle = WS_EX_CONTROLPARENT | (main ? WS_EX_APPWINDOW : WS_EX_DLGMODALFRAME);
  HWND hwnd = CreateWindowExW(exStyle, kFormClass, Wide(form.Caption()).c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT,
                              100, 100, owner, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (hwnd == nullptr) Fail("CreateWindowExW");
  Remember(hwnd, &form);
  const int dpi = S().dpiOverride != 0 ? S().dpiOverride : WindowDpi(hwnd);
  S().dpi[&form] = dpi;
  // The window around the client area, centred on the screen or on the main form.
  RECT frame{0, 0, Scale(form.ClientWidth(), dpi), Scale(form.ClientHeight(), dpi)};
  AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  RECT area{};
  HWND mainWindow =
      Application::Instance().MainForm() != nullptr ? WindowOf(*Application::Instance().MainForm()) : nullptr;
  if (form.GetPosition() == Form::Position::MainFormCenter && mainWindow != nullptr && mainWindow != hwnd) {
    GetWindowRect(mainWindow, &area);
  } else {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(owner != nullptr ? owner : hwnd, MONITOR_DEFAULTTOPRIMARY), &monitor);
    area = monitor.rcWork;
  }
  SetWindowPos(hwnd, nullptr, area.left + (area.right - area.left - width) / 2,
               area.top + (area.bottom - area.top - height) / 2, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(Font(dpi, FontStyle::Normal)), FALSE);
  CreateChildren(form, hwnd);
  Layout(form);
  SyncTree(form);
  return hwnd;
}

void DestroyFormWindow(Form& form) {
  HWND hwnd = WindowOf(form);
  if (hwnd == nullptr) return;
  Forget(form);
  DestroyWindow(hwnd);
}

void Sync(Control& control) {
  HWND hwnd = WindowOf(control);
  if (hwnd == nullptr) {
    // A new control under a parent that has its window: created once it
    // is one of the parent's children (not while it is being constructed).
    Control* parent = control.Parent();
    HWND parentWindow = parent != nullptr ? WindowOf(*parent) : nullptr;
    if (parentWindow == nullptr) return;
    bool added = false;
    for (const auto& child : parent->Children()) added = added || child.get() == &control;
    if (!added) return;
    Create(control, parentWindow);
    Layout(control);
  } else {
    // Children added since the window was made.
    bool added = false;
    for (const auto& child : control.Children()) {
      if (WindowOf(*child) == nullptr && child->GetKind() != Kind::Form) {
        Create(*child, hwnd);
        added = true;
      }
    }
    if (added) Layout(control);
  }
  SyncTree(control);
}

void ControlDestroyed(Control& control) {
  HWND hwnd = WindowOf(control);
  if (hwnd == nullptr) return;
  Forget(control);
  DestroyWindow(hwnd);
}

void AppendParagraph(RichEdit& pane, const RichEdit::Paragraph& paragraph) {
  HWND hwnd = WindowOf(pane);
  if (hwnd == nullptr) return;
  CHARRANGE end{-1, -1};
  SendMessageW(hwnd, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&end));
  CHARFORMAT2W format{};
  format.cbSize = sizeof(format);
  format.dwMask = CFM_COLOR | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_FACE | CFM_SIZE;
  format.crTextColor = paragraph.color == kDefaultColor ? SystemColor(COLOR_WINDOWTEXT) : paragraph.color;
  format.yHeight = 8 * 20;
  wcscpy(format.szFaceName, L"Tahoma");
  SendMessageW(hwnd, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
  const std::wstring text = (GetWindowTextLengthW(hwnd) > 0 ? L"\r\n" : L"") + WindowText(paragraph.text);
  SendMessageW(hwnd, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
  SendMessageW(hwnd, WM_VSCROLL, SB_BOTTOM, 0);
}

void ShowActivePage(Wizard& wizard) {
  if (WindowOf(wizard) == nullptr) return;
  for (WizardPage* page : wizard.Pages()) Sync(*page);
  LayoutWizardButtons(wizard);
  if (Form* form = FormOf(wizard)) FocusFirst(*form);
}

namespace {

bool TakesFocus(const Control& control) {
  switch (control.GetKind()) {
    case Kind::CheckBox:
    case Kind::Edit:
    case Kind::Memo:
    case Kind::ListBox:
    case Kind::ComboBox:
    case Kind::CheckListBox:
    case Kind::Button:
    case Kind::RichEdit:
      return true;
    case Kind::RadioButton:
      return true;
    default:
      return false;
  }
}

Control* FirstFocusable(Control& control) {
  for (const auto& child : control.Children()) {
    if (!child->Showing() || !child->EnabledInTree()) continue;
    if (child->GetKind() == Kind::RadioButton && !static_cast<RadioButton&>(*child).Checked()) {
      // The checked button of a group takes the focus; else the first.
      bool anyChecked = false;
      for (const auto& sibling : control.Children())
        if (sibling->GetKind() == Kind::RadioButton && static_cast<RadioButton&>(*sibling).Checked()) anyChecked = true;
      if (anyChecked) continue;
    }
    if (TakesFocus(*child) && WindowOf(*child) != nullptr) return child.get();
    if (Control* inner = FirstFocusable(*child)) return inner;
  }
  return nullptr;
}

}  // namespace

void FocusFirst(Form& form) {
  HWND target = nullptr;
  if (Control* active = form.ActiveControl(); active != nullptr && active->Showing() && active->EnabledInTree())
    target = WindowOf(*active);
  if (target == nullptr) {
    if (Wizard* wizard = WizardOf(form); wizard != nullptr && wizard->ActivePage() != nullptr) {
      if (Control* first = FirstFocusable(*wizard->ActivePage())) target = WindowOf(*first);
      if (target == nullptr) {
        for (const WizardButton button : {WizardButton::Next, WizardButton::Finish, WizardButton::Cancel}) {
          HWND hwnd = Part(*wizard, Role::WizardButton, static_cast<int>(button));
          if (hwnd != nullptr && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd)) {
            target = hwnd;
            break;
          }
        }
      }
    } else if (Control* first = FirstFocusable(form)) {
      target = WindowOf(*first);
    }
  }
  if (target != nullptr) SetFocus(target);
}

Form* FormOfWindow(HWND hwnd) {
  for (HWND h = hwnd; h != nullptr; h = GetParent(h)) {
    if (Item* item = ItemOf(h);
        item != nullptr && item->control->GetKind() == Kind::Form && item->role == Role::Control)
      return static_cast<Form*>(item->control);
    if ((GetWindowLongW(h, GWL_STYLE) & WS_CHILD) == 0) break;
  }
  return nullptr;
}

bool TranslateFormKeys(Form& form, MSG& msg) {
  HWND hwnd = WindowOf(form);
  if (hwnd == nullptr) return false;
  return IsDialogMessageW(hwnd, &msg) != FALSE;
}

std::vector<Form*>& OpenModalForms() { return ModalStack(); }

std::vector<Clipped> FindClippedText(Form& form) {
  std::vector<Clipped> clipped;
  HDC dc = GetDC(nullptr);
  if (dc == nullptr) Fail("GetDC");
  struct Release {
    HDC dc;
    ~Release() { ReleaseDC(nullptr, dc); }
  } release{dc};
  const int dpi = FormDpi(form);
  auto measure = [&](const std::string& name, const std::wstring& text, HFONT font, int width, int height, bool wrap,
                     int padding) {
    if (text.empty()) return;
    HGDIOBJ old = SelectObject(dc, font);
    RECT r{0, 0, width - padding, 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
              DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS | (wrap ? DT_WORDBREAK : 0));
    SelectObject(dc, old);
    if (r.right > width - padding || r.bottom > height) clipped.push_back({name, r.right, r.bottom, width, height});
  };
  auto sizeOf = [](HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return std::pair<int, int>(r.right - r.left, r.bottom - r.top);
  };
  std::vector<Control*> pending{&form};
  while (!pending.empty()) {
    Control* control = pending.back();
    pending.pop_back();
    for (const auto& child : control->Children()) pending.push_back(child.get());
    HWND hwnd = WindowOf(*control);
    if (hwnd == nullptr || !control->Showing()) continue;
    const auto [width, height] = sizeOf(hwnd);
    const std::string name = control->Caption().empty() ? control->Name() : PlainCaption(control->Caption());
    const std::wstring text = WindowText(control->Caption());
    HFONT font = Font(dpi, StyleOf(*control));
    switch (control->GetKind()) {
      case Kind::Label:
        measure(name, text, font, width, height, static_cast<Label*>(control)->WordWrap(), 0);
        break;
      case Kind::LinkLabel:
        measure(name, text, font, width, height, false, 0);
        break;
      case Kind::CheckBox:
      case Kind::RadioButton:
        measure(name, Wide(PlainCaption(control->Caption())), font, width, height, false, Scale(18, dpi));
        break;
      case Kind::Button:
        measure(name, Wide(PlainCaption(control->Caption())), font, width, height, false, Scale(8, dpi));
        break;
      case Kind::Panel:
        measure(name, text, font, width, height, false, Scale(16, dpi));
        break;
      case Kind::GroupBox:
        measure(name, text, Font(dpi, FontStyle::Normal), width, height, false, Scale(16, dpi));
        break;
      case Kind::ComboBox: {
        // Each entry beside its icon, left of the drop-down arrow.
        auto* combo = static_cast<ComboBox*>(control);
        const int padding = Scale(4 + 16 + 6 + 2 + 4, dpi) + GetSystemMetrics(SM_CXVSCROLL);
        for (const auto& item : combo->Items())
          measure(item.text, Wide(item.text), font, width, Scale(kComboLineHeight, dpi), false, padding);
        break;
      }
      case Kind::Page: {
        auto* page = static_cast<WizardPage*>(control);
        for (const Role role : {Role::Title, Role::Subtitle}) {
          HWND part = Part(*page, role);
          if (part == nullptr) continue;
          const auto [w, h] = sizeOf(part);
          const bool title = role == Role::Title;
          const HFONT partFont =
              title ? Font(dpi, page->Welcome() ? FontStyle::Title : FontStyle::Bold) : Font(dpi, FontStyle::Normal);
          measure(title ? "title of " + page->Name() : "subtitle of " + page->Name(),
                  WindowText(title ? page->Title() : page->Subtitle()), partFont, w, h, !title, 0);
        }
        break;
      }
      case Kind::Wizard:
        for (int i = 0; i < kWizardButtonCount; ++i) {
          HWND button = Part(*control, Role::WizardButton, i);
          if (button == nullptr || !IsWindowVisible(button)) continue;
          const auto [w, h] = sizeOf(button);
          measure(PlainCaption(WizardButtonCaption(static_cast<WizardButton>(i))),
                  Wide(PlainCaption(WizardButtonCaption(static_cast<WizardButton>(i)))), font, w, h, false,
                  Scale(8, dpi));
        }
        break;
      default:
        break;
    }
  }
  return clipped;
}

}  // namespace gui::win32
