// vxauto: clicks through the Windows setup program from outside, as a user
// would. It starts the program, then carries out the steps of a script (the
// language of scripted runs, see README) on the program's windows through
// window messages: it reads the page title, clicks buttons by caption, sets
// boxes, types into edits, picks list entries, answers message boxes and
// works the folder browser. With --shots it saves a picture of every page
// and dialog it meets.
//
//   vxauto [--shots FOLDER] [--timeout SECONDS] SCRIPT PROGRAM [ARGUMENTS...]
//
// Exit code: the program's own when every step was done and the program
// ended; 3 when a step could not be done (the program is then ended); 2 for a
// bad command line or a script that cannot be read.
#include <cstdio>
#include <cwchar>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/gui/Script.h"
#include "platform/gui/win32/Native.h"
#include "platform/win32/Win32Util.h"

namespace {

using platform::win32::Narrow;
using platform::win32::Wide;

constexpr int kExitBadUsage = 2;
constexpr int kExitStepFailed = 3;
constexpr DWORD kPollMs = 50;

class StepFailed : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct Options {
  std::string shots;
  DWORD timeoutMs = 20000;
  std::string script;
  std::wstring commandLine;
};

std::string Plain(std::wstring text) {
  std::string plain;
  for (const char c : Narrow(text)) {
    if (c != '&') plain += c;
  }
  const size_t first = plain.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  plain = plain.substr(first, plain.find_last_not_of(" \t") - first + 1);
  for (auto& c : plain) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  return plain;
}

bool Same(const std::wstring& caption, const std::string& wanted) { return Plain(caption) == Plain(Wide(wanted)); }

std::wstring TextOf(HWND hwnd) {
  wchar_t buffer[4096] = {};
  DWORD_PTR length = 0;
  SendMessageTimeoutW(hwnd, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 5000, &length);
  return std::wstring(buffer, length);
}

std::wstring ClassOf(HWND hwnd) {
  wchar_t name[64] = {};
  GetClassNameW(hwnd, name, 64);
  return name;
}

LONG StyleOf(HWND hwnd) { return GetWindowLongW(hwnd, GWL_STYLE); }

using ScriptArgs = std::vector<std::string>;

class Driver {
 public:
  explicit Driver(Options options) : options_(std::move(options)) {}

  int Run(const std::vector<gui::ScriptStep>& steps) {
    Start();
    for (size_t i = 0; i < steps.size(); ++i) {
      const auto& step = steps[i];
      // A step done while the installation runs follows a step that must not
      // wait for the run to end.
      whileRunning_ = step.whileRunning || (i + 1 < steps.size() && steps[i + 1].whileRunning);
      try {
        Perform(step);
      } catch (const StepFailed& e) {
        std::fprintf(stderr, "vxauto: %s: %s\n", step.Describe().c_str(), e.what());
        std::fprintf(stderr, "vxauto: the window shown: \"%s\"\n", Narrow(TitleOf(ActiveWindow())).c_str());
        TerminateProcess(process_.hProcess, kExitStepFailed);
        return kExitStepFailed;
      }
    }
    if (WaitForSingleObject(process_.hProcess, options_.timeoutMs) != WAIT_OBJECT_0) {
      std::fprintf(stderr, "vxauto: the script ended, but the program still shows \"%s\"\n",
                   Narrow(TitleOf(ActiveWindow())).c_str());
      TerminateProcess(process_.hProcess, kExitStepFailed);
      return kExitStepFailed;
    }
    DWORD code = 0;
    GetExitCodeProcess(process_.hProcess, &code);
    return static_cast<int>(code);
  }

 private:
  void Start() {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    std::wstring commandLine = options_.commandLine;
    if (CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &process_) == FALSE)
      throw std::runtime_error("CreateProcessW failed with system error " + std::to_string(GetLastError()));
    syncMessage_ = RegisterWindowMessageW(gui::win32::kSyncName);
    started_ = GetTickCount();
  }

  // The process's visible top-level windows.
  std::vector<HWND> Windows() const {
    struct Search {
      DWORD pid;
      std::vector<HWND> found;
    } search{process_.dwProcessId, {}};
    struct Each {
      static BOOL CALLBACK Window(HWND hwnd, LPARAM data) {
        auto* s = reinterpret_cast<Search*>(data);
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        if (pid == s->pid && IsWindowVisible(hwnd)) s->found.push_back(hwnd);
        return TRUE;
      }
    };
    EnumWindows(Each::Window, reinterpret_cast<LPARAM>(&search));
    return search.found;
  }

  // The window that takes the user's input: the enabled one, topmost first.
  HWND ActiveWindow() const {
    for (HWND hwnd : Windows()) {
      if (IsWindowEnabled(hwnd)) return hwnd;
    }
    return nullptr;
  }

  HWND FormWindow() const {
    for (HWND hwnd : Windows()) {
      if (ClassOf(hwnd) == L"VexorinForm" && GetWindow(hwnd, GW_OWNER) == nullptr) return hwnd;
    }
    for (HWND hwnd : Windows()) {
      if (ClassOf(hwnd) == L"VexorinForm") return hwnd;
    }
    return nullptr;
  }

  // Waits until the program has handled every message posted so far and,
  // unless the step is done while the installation runs, until no handler
  // is running (as a user waits for the run to end).
  void Settle() {
    const DWORD start = GetTickCount();
    for (;;) {
      if (WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0) return;
      HWND form = FormWindow();
      // A message box before any form (the program cannot start): no handler runs.
      if (form == nullptr && ActiveWindow() != nullptr) return;
      if (form != nullptr) {
        const auto cookie = ++cookie_;
        PostMessageW(form, syncMessage_, 0, static_cast<LPARAM>(cookie));
        while (GetTickCount() - start < options_.timeoutMs) {
          const auto value = reinterpret_cast<UINT_PTR>(GetPropW(form, gui::win32::kSyncName));
          if (value / 2 == cookie) {
            busy_ = (value & 1) != 0;
            if (!busy_ || whileRunning_) return;
            break;
          }
          if (!IsWindow(form) || WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0) break;
          Sleep(10);
        }
      }
      if (GetTickCount() - start >= options_.timeoutMs)
        throw StepFailed(busy_ ? "the program is still busy" : "the program does not answer");
      Sleep(kPollMs);
    }
  }

  static std::vector<HWND> Descendants(HWND parent) {
    std::vector<HWND> found;
    struct Each {
      static BOOL CALLBACK Child(HWND hwnd, LPARAM data) {
        if (IsWindowVisible(hwnd)) reinterpret_cast<std::vector<HWND>*>(data)->push_back(hwnd);
        return TRUE;
      }
    };
    EnumChildWindows(parent, Each::Child, reinterpret_cast<LPARAM>(&found));
    return found;
  }

  // A wizard's page title, or the window's caption.
  static std::wstring TitleOf(HWND window) {
    if (window == nullptr) return L"";
    for (HWND child : Descendants(window)) {
      if (GetDlgCtrlID(child) == gui::win32::kTitleId) return TextOf(child);
    }
    return TextOf(window);
  }

  static bool IsWizard(HWND window) { return !TitleOf(window).empty() && TitleOf(window) != TextOf(window); }

  static bool IsBrowser(HWND window) {
    for (HWND child : Descendants(window)) {
      if (ClassOf(child) == L"SysTreeView32") return true;
    }
    return false;
  }

  // Waits for a window that takes input and satisfies the test.
  template <class Test>
  HWND WaitFor(const char* what, Test test) {
    const DWORD start = GetTickCount();
    for (;;) {
      HWND window = ActiveWindow();
      if (window != nullptr && test(window)) return window;
      if (WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0) throw StepFailed("the program has ended");
      if (GetTickCount() - start >= options_.timeoutMs) throw StepFailed(std::string("no ") + what + " came");
      Sleep(kPollMs);
    }
  }

  HWND Window() {
    Settle();
    return WaitFor("window", [](HWND window) { return window != nullptr; });
  }

  // The visible control of the window with the caption, of the classes given.
  static HWND Find(HWND window, const std::string& caption, std::initializer_list<const wchar_t*> classes) {
    for (HWND child : Descendants(window)) {
      const std::wstring cls = ClassOf(child);
      for (const wchar_t* wanted : classes) {
        if (lstrcmpiW(cls.c_str(), wanted) != 0) continue;
        if (lstrcmpiW(wanted, L"Static") == 0 && (StyleOf(child) & SS_NOTIFY) == 0) continue;
        if (lstrcmpiW(wanted, L"Button") == 0 && (StyleOf(child) & BS_TYPEMASK) == BS_GROUPBOX) continue;
        if (Same(TextOf(child), caption)) return child;
      }
    }
    return nullptr;
  }

  // The check-list line with the caption: its list and index.
  static bool FindLine(HWND window, const std::string& caption, HWND& list, int& index) {
    for (HWND child : Descendants(window)) {
      if (lstrcmpiW(ClassOf(child).c_str(), L"ListBox") != 0 || (StyleOf(child) & LBS_OWNERDRAWFIXED) == 0) continue;
      const auto count = SendMessageW(child, LB_GETCOUNT, 0, 0);
      for (int i = 0; i < count; ++i) {
        if (Same(ListText(child, i, LB_GETTEXTLEN, LB_GETTEXT), caption)) {
          list = child;
          index = i;
          return true;
        }
      }
    }
    return false;
  }

  static std::wstring ListText(HWND list, int index, UINT getLength, UINT getText) {
    const auto length = SendMessageW(list, getLength, static_cast<WPARAM>(index), 0);
    if (length <= 0) return L"";
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    SendMessageW(list, getText, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(length));
    return text;
  }

  static void RequireEnabled(HWND control, const std::string& caption) {
    if (IsWindowEnabled(control) == FALSE) throw StepFailed("\"" + caption + "\" is disabled");
  }

  void Press(HWND button) {
    PostMessageW(button, BM_CLICK, 0, 0);
    Settle();
  }

  void ClickAt(HWND control, int x, int y) {
    const LPARAM at = MAKELPARAM(x, y);
    PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(control, WM_LBUTTONUP, 0, at);
    Settle();
  }

  void ToggleLine(HWND list, int index, const std::string& caption) {
    RequireEnabled(list, caption);
    const auto data = SendMessageW(list, LB_GETITEMDATA, static_cast<WPARAM>(index), 0);
    if ((data & gui::win32::kLineEnabled) == 0) throw StepFailed("the line \"" + caption + "\" is disabled");
    SendMessageW(list, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
    const auto top = SendMessageW(list, LB_GETTOPINDEX, 0, 0);
    const auto height = SendMessageW(list, LB_GETITEMHEIGHT, 0, 0);
    ClickAt(list, 4, static_cast<int>((index - top) * height + height / 2));
  }

  void Click(const std::string& caption) {
    HWND window = Window();
    if (HWND control = Find(window, caption, {L"Button"})) {
      RequireEnabled(control, caption);
      Press(control);
    } else if (HWND label = Find(window, caption, {L"Static"})) {
      RequireEnabled(label, caption);
      ClickAt(label, 1, 1);
    } else {
      HWND list = nullptr;
      int index = 0;
      if (!FindLine(window, caption, list, index))
        throw StepFailed("nothing to click is captioned \"" + caption + "\"");
      ToggleLine(list, index, caption);
    }
    ReleaseKeys();
  }

  void SetChecked(const std::string& caption, bool checked) {
    HWND window = Window();
    if (HWND box = Find(window, caption, {L"Button"})) {
      RequireEnabled(box, caption);
      // A three-state box passes through its states as clicks take it.
      for (int clicks = 0; clicks < 3 && (SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED) != checked; ++clicks)
        Press(box);
      if ((SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED) != checked)
        throw StepFailed("\"" + caption + "\" did not change");
      return;
    }
    HWND list = nullptr;
    int index = 0;
    if (!FindLine(window, caption, list, index)) throw StepFailed("no check box is captioned \"" + caption + "\"");
    const auto data = SendMessageW(list, LB_GETITEMDATA, static_cast<WPARAM>(index), 0);
    if (((data & gui::win32::kLineChecked) != 0) != checked) ToggleLine(list, index, caption);
  }

  // The control a label names: the next window after it.
  HWND Labelled(HWND window, const std::string& caption) {
    for (HWND child : Descendants(window)) {
      if (lstrcmpiW(ClassOf(child).c_str(), L"Static") != 0 || !Same(TextOf(child), caption)) continue;
      if (HWND next = GetWindow(child, GW_HWNDNEXT)) return next;
    }
    throw StepFailed("no field is labelled \"" + caption + "\"");
  }

  void Type(const std::string& label, const std::string& text) {
    HWND edit = Labelled(Window(), label);
    if (lstrcmpiW(ClassOf(edit).c_str(), L"Edit") != 0) throw StepFailed("\"" + label + "\" does not name an edit");
    RequireEnabled(edit, label);
    const std::wstring wide = Wide(text);
    DWORD_PTR result = 0;
    SendMessageTimeoutW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()), SMTO_ABORTIFHUNG,
                        options_.timeoutMs, &result);
    Settle();
  }

  void Pick(const std::string& label, const std::string& entry) {
    HWND list = Labelled(Window(), label);
    RequireEnabled(list, label);
    const bool combo = lstrcmpiW(ClassOf(list).c_str(), L"ComboBox") == 0;
    if (!combo && lstrcmpiW(ClassOf(list).c_str(), L"ListBox") != 0)
      throw StepFailed("\"" + label + "\" does not name a list");
    const auto count = SendMessageW(list, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0);
    for (int i = 0; i < count; ++i) {
      const std::wstring text =
          combo ? ListText(list, i, CB_GETLBTEXTLEN, CB_GETLBTEXT) : ListText(list, i, LB_GETTEXTLEN, LB_GETTEXT);
      if (!Same(text, entry)) continue;
      SendMessageW(list, combo ? CB_SETCURSEL : LB_SETCURSEL, static_cast<WPARAM>(i), 0);
      PostMessageW(GetParent(list), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), combo ? CBN_SELCHANGE : LBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(list));
      Settle();
      return;
    }
    throw StepFailed("\"" + label + "\" has no entry \"" + entry + "\"");
  }

  void Answer(const std::string& caption) {
    HWND window = WaitFor("message box or dialog", [](HWND w) { return !IsWizard(w); });
    Shoot(window);
    HWND button = Find(window, caption, {L"Button"});
    if (button == nullptr) throw StepFailed("the dialog has no button \"" + caption + "\"");
    RequireEnabled(button, caption);
    Press(button);
  }

  void Key(const std::string& key) {
    Settle();
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    HWND target = ActiveWindow();
    if (GetGUIThreadInfo(process_.dwThreadId, &info) != FALSE && info.hwndFocus != nullptr) target = info.hwndFocus;
    const WPARAM code = key == "Enter" ? VK_RETURN : VK_ESCAPE;
    PostMessageW(target, WM_KEYDOWN, code, 1);
    PostMessageW(target, WM_KEYUP, code, 0xC0000001);
    Settle();
  }

  void Browse(const ScriptArgs& args) {
    HWND browser = WaitFor("folder browser", [](HWND w) { return IsBrowser(w); });
    Shoot(browser);
    if (args.size() == 2) {
      HWND button = Find(browser, args[1], {L"Button"});
      if (button == nullptr) throw StepFailed("the folder browser has no button \"" + args[1] + "\"");
      Press(button);
      return;
    }
    if (args[0] == "cancel") {
      Press(GetDlgItem(browser, IDCANCEL));
      return;
    }
    // The folder is selected as the program itself would: the browser's
    // selection message with the path, written into the program's memory.
    const std::wstring folder = Wide(args[0]);
    const SIZE_T bytes = (folder.size() + 1) * sizeof(wchar_t);
    void* remote = VirtualAllocEx(process_.hProcess, nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (remote == nullptr)
      throw StepFailed("VirtualAllocEx failed with system error " + std::to_string(GetLastError()));
    struct Free {
      HANDLE process;
      void* memory;
      ~Free() { VirtualFreeEx(process, memory, 0, MEM_RELEASE); }
    } free{process_.hProcess, remote};
    if (WriteProcessMemory(process_.hProcess, remote, folder.c_str(), bytes, nullptr) == FALSE)
      throw StepFailed("WriteProcessMemory failed with system error " + std::to_string(GetLastError()));
    DWORD_PTR result = 0;
    SendMessageTimeoutW(browser, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(remote), SMTO_ABORTIFHUNG,
                        options_.timeoutMs, &result);
    Settle();
    HWND ok = GetDlgItem(browser, IDOK);
    if (ok == nullptr || IsWindowEnabled(ok) == FALSE)
      throw StepFailed("\"" + args[0] + "\" cannot be chosen: OK is disabled");
    Press(ok);
  }

  void HoldKeys() {
    std::vector<INPUT> inputs;
    for (const WORD key : {VK_SHIFT, VK_CONTROL, VK_MENU}) {
      INPUT input{};
      input.type = INPUT_KEYBOARD;
      input.ki.wVk = key;
      inputs.push_back(input);
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    keysHeld_ = true;
  }

  void ReleaseKeys() {
    if (!keysHeld_) return;
    keysHeld_ = false;
    std::vector<INPUT> inputs;
    for (const WORD key : {VK_MENU, VK_CONTROL, VK_SHIFT}) {
      INPUT input{};
      input.type = INPUT_KEYBOARD;
      input.ki.wVk = key;
      input.ki.dwFlags = KEYEVENTF_KEYUP;
      inputs.push_back(input);
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  }

  void Perform(const gui::ScriptStep& step) {
    const auto& args = step.args;
    if (step.verb == "expect") {
      Settle();
      const DWORD start = GetTickCount();
      HWND window = ActiveWindow();
      while (window == nullptr || TitleOf(window) != Wide(args[0])) {
        if (WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0)
          throw StepFailed("expected \"" + args[0] + "\", but the program has ended");
        if (GetTickCount() - start >= options_.timeoutMs)
          throw StepFailed("expected \"" + args[0] + "\", but \"" + Narrow(TitleOf(window)) + "\" is shown");
        Sleep(kPollMs);
        window = ActiveWindow();
      }
      if (!firstShown_) {
        firstShown_ = true;
        std::printf("vxauto: \"%s\" shown %lu ms after the start\n", args[0].c_str(),
                    static_cast<unsigned long>(GetTickCount() - started_));
        std::fflush(stdout);
      }
      Shoot(window);
    } else if (step.verb == "click") {
      Click(args[0]);
    } else if (step.verb == "check" || step.verb == "uncheck") {
      SetChecked(args[0], step.verb == "check");
    } else if (step.verb == "choose") {
      HWND radio = Find(Window(), args[0], {L"Button"});
      if (radio == nullptr) throw StepFailed("no radio button is captioned \"" + args[0] + "\"");
      RequireEnabled(radio, args[0]);
      Press(radio);
    } else if (step.verb == "type") {
      Type(args[0], args[1]);
    } else if (step.verb == "dblclick") {
      HWND edit = Labelled(Window(), args[0]);
      RequireEnabled(edit, args[0]);
      PostMessageW(edit, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(2, 2));
      Settle();
    } else if (step.verb == "pick") {
      Pick(args[0], args[1]);
    } else if (step.verb == "answer") {
      Answer(args[0]);
    } else if (step.verb == "key") {
      Key(args[0]);
    } else if (step.verb == "close") {
      PostMessageW(Window(), WM_SYSCOMMAND, SC_CLOSE, 0);
      Settle();
    } else if (step.verb == "browse") {
      Browse(args);
    } else if (step.verb == "hold-keys") {
      HoldKeys();
    }
  }

  // A picture of the window, once per title, into the shots folder.
  void Shoot(HWND window) {
    if (options_.shots.empty() || window == nullptr) return;
    const std::string title = Narrow(TitleOf(window));
    for (const auto& taken : shotTitles_) {
      if (taken == title) return;
    }
    shotTitles_.push_back(title);
    // Over any other window (a folder the program opened), painted anew.
    SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
    Sleep(300);  // the window paints what the last message changed
    RECT r{};
    GetWindowRect(window, &r);
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    const DWORD stride = static_cast<DWORD>((width * 3 + 3) & ~3);
    const DWORD size = stride * static_cast<DWORD>(height);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info.bmiHeader);
    file.bfSize = file.bfOffBits + size;
    char name[32];
    std::snprintf(name, sizeof(name), "%02d-", static_cast<int>(shotTitles_.size()));
    std::string slug;
    for (const char c : title) {
      if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
        slug += c;
      } else if (c >= 'A' && c <= 'Z') {
        slug += static_cast<char>(c + 32);
      } else if (!slug.empty() && slug.back() != '-') {
        slug += '-';
      }
    }
    while (!slug.empty() && slug.back() == '-') slug.pop_back();
    std::ofstream out(options_.shots + "\\" + name + slug + ".bmp", std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof(file));
    out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof(info.bmiHeader));
    out.write(static_cast<const char*>(bits), size);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    if (!out) std::fprintf(stderr, "vxauto: cannot write the picture of \"%s\"\n", title.c_str());
  }

  Options options_;
  PROCESS_INFORMATION process_{};
  UINT syncMessage_ = 0;
  UINT_PTR cookie_ = 0;
  bool keysHeld_ = false;
  bool whileRunning_ = false;
  bool busy_ = false;
  bool firstShown_ = false;
  DWORD started_ = 0;
  std::vector<std::string> shotTitles_;
};

std::wstring Quoted(const std::wstring& argument) {
  if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos) return argument;
  std::wstring quoted = L"\"";
  size_t backslashes = 0;
  for (const wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, L'\\');
  return quoted + L"\"";
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  Options options;
  int i = 1;
  for (; i < argc; ++i) {
    const std::wstring arg = argv[i];
    if (arg == L"--shots" && i + 1 < argc) {
      options.shots = Narrow(argv[++i]);
    } else if (arg == L"--timeout" && i + 1 < argc) {
      options.timeoutMs = static_cast<DWORD>(std::wcstoul(argv[++i], nullptr, 10)) * 1000;
    } else {
      break;
    }
  }
  if (argc - i < 2) {
    std::fprintf(stderr, "usage: vxauto [--shots FOLDER] [--timeout SECONDS] SCRIPT PROGRAM [ARGUMENTS...]\n");
    return kExitBadUsage;
  }
  options.script = Narrow(argv[i]);
  for (int a = i + 1; a < argc; ++a) {
    if (!options.commandLine.empty()) options.commandLine += L' ';
    options.commandLine += Quoted(argv[a]);
  }
  std::ifstream in(Wide(options.script).c_str(), std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "vxauto: cannot read the script %s\n", options.script.c_str());
    return kExitBadUsage;
  }
  std::ostringstream text;
  text << in.rdbuf();
  std::vector<gui::ScriptStep> steps;
  try {
    steps = gui::ParseScript(text.str());
  } catch (const gui::ScriptError& e) {
    std::fprintf(stderr, "vxauto: the script %s: %s\n", options.script.c_str(), e.what());
    return kExitBadUsage;
  }
  try {
    Driver driver(std::move(options));
    return driver.Run(steps);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "vxauto: %s\n", e.what());
    return kExitBadUsage;
  }
}
