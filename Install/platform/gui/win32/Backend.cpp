// The win32 backend: native windows for the forms (Native.cpp), the message
// loops with the dialog keys, and the system's dialogs: message box, the
// shell's folder browser, the clipboard and the key state.
#include "platform/gui/Backend.h"

// clang-format off
#include "platform/win32/Win32Util.h"
#include <commctrl.h>
// clang-format on
// The widget layer's MessageBox, not the macro of windows.h.
#undef MessageBox

#include <stdexcept>

#include "platform/FileSystem.h"
#include "platform/gui/win32/Native.h"

namespace gui::win32 {

using platform::win32::Narrow;
using platform::win32::Wide;

namespace {

// The identifier of a button added to the folder browser.
constexpr int kAddedButtonId = 65535;
constexpr int kAddedButtonLeft = 12;

// The window that is active for the user: the top modal form, or the main form.
Form* ActiveForm() {
  if (!OpenModalForms().empty()) return OpenModalForms().back();
  return Application::Instance().MainForm();
}

HWND ActiveWindow() {
  Form* form = ActiveForm();
  return form != nullptr ? WindowOf(*form) : nullptr;
}

// Handles one message: the active form's keys (Tab, mnemonics, Enter, Esc), else dispatched.
void Dispatch(MSG& msg) {
  if (Form* form = ActiveForm(); form != nullptr && TranslateFormKeys(*form, msg)) return;
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}

// Enables or disables the windows of every form shown, but the one given.
void EnableOtherForms(const Form* except, bool enable) {
  std::vector<Form*> forms = OpenModalForms();
  if (Form* main = Application::Instance().MainForm()) forms.push_back(main);
  for (Form* form : forms) {
    if (form == except) continue;
    if (HWND hwnd = WindowOf(*form)) EnableWindow(hwnd, enable ? TRUE : FALSE);
  }
}

// A loop of its own: what it dispatches is not let through by a running handler.
struct OwnLoop {
  bool saved = HandlerRunning();
  OwnLoop() { HandlerRunning() = false; }
  ~OwnLoop() { HandlerRunning() = saved; }
  OwnLoop(const OwnLoop&) = delete;
  OwnLoop& operator=(const OwnLoop&) = delete;
};

struct Browse {
  FolderBrowser* browser = nullptr;
  HWND hwnd = nullptr;
};

HWND FirstButton(HWND dialog) {
  for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t cls[16] = {};
    GetClassNameW(child, cls, 16);
    const LONG type = GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK;
    if (lstrcmpiW(cls, L"Button") == 0 && (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON)) return child;
  }
  return nullptr;
}

// A push button on the browser, 12 pixels from its left edge, level with its
// first button and as high, in the browser's font; width 0: as its first button.
void AddBrowserButton(HWND dialog, const std::wstring& caption, bool widthOfText) {
  HWND first = FirstButton(dialog);
  if (first == nullptr) return;
  RECT r{};
  GetWindowRect(first, &r);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
  int width = r.right - r.left;
  if (widthOfText) {
    HDC dc = GetDC(dialog);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size{};
    GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &size);
    const int padding = MulDiv(16, GetDeviceCaps(dc, LOGPIXELSX), 96);
    SelectObject(dc, old);
    ReleaseDC(dialog, dc);
    width = size.cx + padding;
  }
  HWND button = CreateWindowExW(0, L"BUTTON", caption.c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
                                kAddedButtonLeft, r.top, width, r.bottom - r.top, dialog,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(kAddedButtonId)),
                                GetModuleHandleW(nullptr), nullptr);
  if (button != nullptr) SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

LRESULT CALLBACK BrowserProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
  auto* browse = reinterpret_cast<Browse*>(data);
  if (message == WM_COMMAND && LOWORD(wParam) == kAddedButtonId && HIWORD(wParam) == 0) {
    FolderBrowser& browser = *browse->browser;
    if (!browser.extraButton.empty()) {
      if (browser.onExtraButton) browser.onExtraButton();
      PostMessageW(hwnd, WM_CLOSE, 0, 0);
    }
    // The Help button has no help file to show.
    return 0;
  }
  if (message == WM_NCDESTROY) browse->hwnd = nullptr;
  return DefSubclass(hwnd, message, wParam, lParam);
}

int CALLBACK BrowseCallback(HWND hwnd, UINT message, LPARAM lParam, LPARAM data) {
  auto* browse = reinterpret_cast<Browse*>(data);
  FolderBrowser& browser = *browse->browser;
  switch (message) {
    case BFFM_INITIALIZED: {
      browse->hwnd = hwnd;
      if (browser.screenCenter) {
        RECT r{};
        GetWindowRect(hwnd, &r);
        SetWindowPos(hwnd, nullptr, (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2,
                     (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      }
      SetSubclass(hwnd, BrowserProc, 1, reinterpret_cast<DWORD_PTR>(browse));
      if (!browser.folderName.empty() && platform::DirectoryExists(browser.folderName)) {
        const std::wstring folder = Wide(browser.folderName);
        SendMessageW(hwnd, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(folder.c_str()));
      }
      if (browser.helpContext != 0) AddBrowserButton(hwnd, L"&Help", false);
      if (!browser.extraButton.empty()) AddBrowserButton(hwnd, Wide(browser.extraButton), true);
      break;
    }
    case BFFM_SELCHANGED: {
      browse->hwnd = hwnd;
      wchar_t path[MAX_PATH] = {};
      bool enable = false;
      if (SHGetPathFromIDListW(reinterpret_cast<PCIDLIST_ABSOLUTE>(lParam), path) != FALSE)
        enable = platform::DirectoryExists(Narrow(path));
      if (browser.onEnableOk) browser.onEnableOk(enable);
      SendMessageW(hwnd, BFFM_ENABLEOK, 0, enable ? TRUE : FALSE);
      break;
    }
    default:
      break;
  }
  return 0;
}

}  // namespace

}  // namespace gui::win32

namespace gui::backend {

using namespace gui::win32;

std::string Initialize() {
  if (std::string error = LoadCommonControls(); !error.empty()) return error;
  // The shell's folder browser needs COM in this thread.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  if (FAILED(com)) return "CoInitializeEx failed with " + std::to_string(static_cast<unsigned long>(com));
  return RegisterClasses();
}

void Changed(Control& control) { Sync(control); }

void Destroyed(Control& control) {
  auto& modal = OpenModalForms();
  for (auto it = modal.begin(); it != modal.end();) it = *it == &control ? modal.erase(it) : it + 1;
  ControlDestroyed(control);
}

void ParagraphAdded(RichEdit& pane, const RichEdit::Paragraph& paragraph) { AppendParagraph(pane, paragraph); }

void FormShown(Form& form) {
  const bool main = Application::Instance().MainForm() == &form;
  HWND owner = main ? nullptr : ActiveWindow();
  HWND hwnd = FormWindow(form, owner);
  if (!main) OpenModalForms().push_back(&form);
  ShowWindow(hwnd, SW_SHOW);
  UpdateWindow(hwnd);
  SetForegroundWindow(hwnd);
  FocusFirst(form);
}

void PageShown(Wizard& wizard, WizardPage& /*page*/) { ShowActivePage(wizard); }

void RunModal(Form& form) {
  OwnLoop loop;
  EnableOtherForms(&form, false);
  struct Restore {
    Form& form;
    ~Restore() {
      auto& modal = OpenModalForms();
      if (!modal.empty() && modal.back() == &form) modal.pop_back();
      EnableOtherForms(&form, true);
      DestroyFormWindow(form);
      if (HWND active = ActiveWindow()) SetActiveWindow(active);
    }
  } restore{form};
  while (form.GetModalResult() == ModalResult::None) {
    MSG msg{};
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
      PostQuitMessage(0);
      form.Close();
      break;
    }
    Dispatch(msg);
  }
}

void RunMainLoop() {
  Application& app = Application::Instance();
  while (!app.Terminated() && app.MainForm() != nullptr) {
    MSG msg{};
    if (GetMessageW(&msg, nullptr, 0, 0) <= 0) break;
    Dispatch(msg);
  }
}

void ProcessMessages() {
  const bool saved = HandlerRunning();
  HandlerRunning() = true;
  struct Restore {
    bool saved;
    ~Restore() { HandlerRunning() = saved; }
  } restore{saved};
  MSG msg{};
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE) != FALSE) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    Dispatch(msg);
  }
}

MsgResult MessageBox(const std::string& text, const std::string& caption, MsgButtons buttons, MsgIcon icon) {
  UINT flags = MB_OK;
  switch (buttons) {
    case MsgButtons::OkCancel:
      flags = MB_OKCANCEL;
      break;
    case MsgButtons::YesNo:
      flags = MB_YESNO;
      break;
    case MsgButtons::YesNoCancel:
      flags = MB_YESNOCANCEL;
      break;
    default:
      break;
  }
  switch (icon) {
    case MsgIcon::Information:
      flags |= MB_ICONINFORMATION;
      break;
    case MsgIcon::Warning:
      flags |= MB_ICONWARNING;
      break;
    case MsgIcon::Error:
      flags |= MB_ICONERROR;
      break;
    case MsgIcon::Question:
      flags |= MB_ICONQUESTION;
      break;
    default:
      break;
  }
  HWND owner = ActiveWindow();
  OwnLoop loop;
  const int answer = MessageBoxW(owner, WindowText(text).c_str(), Wide(caption).c_str(),
                                 flags | (owner == nullptr ? MB_TASKMODAL : 0u));
  switch (answer) {
    case IDOK:
      return MsgResult::Ok;
    case IDYES:
      return MsgResult::Yes;
    case IDNO:
      return MsgResult::No;
    default:
      return MsgResult::Cancel;
  }
}

bool BrowseForFolder(FolderBrowser& browser) {
  Browse browse;
  browse.browser = &browser;
  PIDLIST_ABSOLUTE root = nullptr;
  if (!browser.desktopRoot) {
    const HRESULT hr = SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &root);
    if (FAILED(hr))
      throw std::runtime_error("SHGetSpecialFolderLocation failed with " +
                               std::to_string(static_cast<unsigned long>(hr)));
  }
  struct FreeRoot {
    PIDLIST_ABSOLUTE root;
    ~FreeRoot() { CoTaskMemFree(root); }
  } freeRoot{root};
  wchar_t displayName[MAX_PATH] = {};
  const std::wstring title = Wide(browser.text);
  BROWSEINFOW info{};
  info.hwndOwner = ActiveWindow();
  info.pidlRoot = root;
  info.pszDisplayName = displayName;
  info.lpszTitle = title.empty() ? nullptr : title.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_RETURNFSANCESTORS;
  info.lpfn = BrowseCallback;
  info.lParam = reinterpret_cast<LPARAM>(&browse);

  HWND active = GetActiveWindow();
  EnableOtherForms(nullptr, false);
  PIDLIST_ABSOLUTE chosen = nullptr;
  {
    struct Reenable {
      HWND active;
      ~Reenable() {
        EnableOtherForms(nullptr, true);
        if (active != nullptr) SetActiveWindow(active);
      }
    } reenable{active};
    OwnLoop loop;
    chosen = SHBrowseForFolderW(&info);
  }
  if (chosen == nullptr) return false;
  wchar_t path[MAX_PATH] = {};
  const BOOL havePath = SHGetPathFromIDListW(chosen, path);
  CoTaskMemFree(chosen);
  if (havePath == FALSE) throw std::runtime_error("SHGetPathFromIDListW failed for the chosen folder");
  std::string folder = Narrow(path);
  if (folder.size() > 1 && folder.back() == '\\') folder.pop_back();
  browser.folderName = folder;
  return true;
}

bool KeyDown(Key key) {
  const int code = key == Key::Shift ? VK_SHIFT : key == Key::Ctrl ? VK_CONTROL : VK_MENU;
  return (GetAsyncKeyState(code) & 0x8000) != 0;
}

void SetClipboardText(const std::string& text) {
  const std::wstring wide = Wide(text);
  if (OpenClipboard(ActiveWindow()) == FALSE) return;
  struct Close {
    ~Close() { CloseClipboard(); }
  } close;
  EmptyClipboard();
  const size_t bytes = (wide.size() + 1) * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (memory == nullptr) return;
  void* target = GlobalLock(memory);
  if (target == nullptr) {
    GlobalFree(memory);
    return;
  }
  memcpy(target, wide.c_str(), bytes);
  GlobalUnlock(memory);
  if (SetClipboardData(CF_UNICODETEXT, memory) == nullptr) GlobalFree(memory);
}

std::string ClipboardText() {
  if (OpenClipboard(nullptr) == FALSE) return {};
  struct Close {
    ~Close() { CloseClipboard(); }
  } close;
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  if (data == nullptr) return {};
  const auto* text = static_cast<const wchar_t*>(GlobalLock(data));
  if (text == nullptr) return {};
  std::string result = Narrow(text);
  GlobalUnlock(data);
  return result;
}

bool ExecutableHasIcon(const std::string& path) {
  if (!platform::FileExists(path)) return false;
  SHFILEINFOW info{};
  if (SHGetFileInfoW(Wide(path).c_str(), 0, &info, sizeof(info), SHGFI_ICON | SHGFI_SMALLICON) == 0) return false;
  if (info.hIcon != nullptr) DestroyIcon(info.hIcon);
  return true;
}

}  // namespace gui::backend
