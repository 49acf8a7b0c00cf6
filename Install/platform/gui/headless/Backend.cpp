// The headless backend: the controls keep their state only. The windows are
// printed as text when they are shown and their changes as they happen, and
// the loops take the user's steps from a script or the terminal.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "platform/gui/Backend.h"
#include "platform/gui/TextView.h"
#include "platform/gui/headless/Headless.h"

namespace gui::headless {

namespace {

struct State {
  std::function<void(const std::string&)> output;
  std::unique_ptr<StepSource> steps;
  std::vector<Form*> modal;       // the open modal forms, the active one last
  std::vector<Control*> pending;  // changed since the last print, in order
  std::string lastParagraph;      // the pane's latest text, not printed twice
  // What was last printed of each progress bar: a bar moves in small steps,
  // and only a change that shows is printed.
  std::map<const Control*, std::string> lastProgress;
  std::string clipboard;
};

State& S() {
  static State state;
  return state;
}

void Print(std::string line) {
  while (!line.empty() && line.back() == ' ') line.pop_back();
  if (S().output) {
    S().output(line);
  } else {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
  }
}

void Print(const std::vector<std::string>& lines) {
  for (const auto& line : lines) Print(line);
}

bool StandardInputIsTerminal() {
#ifdef _WIN32
  return _isatty(_fileno(stdin)) != 0;
#else
  return isatty(STDIN_FILENO) != 0;
#endif
}

Form* ActiveWindow() {
  if (!S().modal.empty()) return S().modal.back();
  return Application::Instance().MainForm();
}

// Notes what a printed window shows of its progress bars.
void RememberProgress(Control& control) {
  if (control.GetKind() == Kind::ProgressBar) {
    const auto lines = RenderControl(control);
    S().lastProgress[&control] = lines.empty() ? std::string() : lines.front();
  }
  for (const auto& child : control.Children()) RememberProgress(*child);
}

// Prints what changed on the active window since the last print.
void Flush() {
  auto pending = std::move(S().pending);
  S().pending.clear();
  Form* window = ActiveWindow();
  for (Control* control : pending) {
    if (control->OwnerForm() != window || !control->Showing()) continue;
    if (control->GetKind() == Kind::Page) {
      Print("  ~ " + RenderWizardButtons(*static_cast<Wizard*>(control->Parent())));
      continue;
    }
    if (control->GetKind() == Kind::Label && control->Caption() == S().lastParagraph) continue;
    const auto lines = RenderControl(*control);
    if (control->GetKind() == Kind::ProgressBar) {
      std::string& last = S().lastProgress[control];
      if (!lines.empty() && lines.front() == last) continue;
      last = lines.empty() ? std::string() : lines.front();
    }
    for (const auto& line : lines) Print("  ~ " + line);
  }
}

[[noreturn]] void Fail(const ScriptStep* step, const std::string& message) {
  const std::string text = step != nullptr ? step->Describe() + ": " + message : message;
  Print("script error: " + text);
  if (Form* window = ActiveWindow(); window != nullptr && window->IsShown()) Print(RenderWindow(*window));
  std::fprintf(stderr, "setup: script error: %s\n", text.c_str());
  throw ScriptFailed{text};
}

// Takes the next step for a window; in a script a failed step ends the run,
// at the terminal it is reported and the next one read.
void PerformNext(Form& window) {
  const ScriptStep* step = S().steps->Peek();
  const ScriptStep current = *step;
  S().steps->Pop();
  try {
    PerformStep(current, window);
  } catch (const ScriptError& e) {
    if (!S().steps->Interactive()) Fail(&current, e.what());
    Print(std::string("error: ") + e.what());
  }
  Flush();
}

}  // namespace

void SetOutput(std::function<void(const std::string& line)> output) { S().output = std::move(output); }

void SetSteps(std::unique_ptr<StepSource> steps) { S().steps = std::move(steps); }

}  // namespace gui::headless

namespace gui::backend {

using namespace gui::headless;

std::string Initialize() {
  if (const char* path = std::getenv(kScriptVariable); path != nullptr && *path != '\0') {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::string("cannot read the script ") + path + " named by " + kScriptVariable;
    std::ostringstream text;
    text << in.rdbuf();
    try {
      SetSteps(StepSource::FromSteps(ParseScript(text.str())));
    } catch (const ScriptError& e) {
      return std::string("the script ") + path + ": " + e.what();
    }
    return {};
  }
  // An unattended run needs nobody: without a script the windows only show.
  if (Unattended()) return {};
  if (!StandardInputIsTerminal())
    return std::string("no script and no terminal: name a script of steps in ") + kScriptVariable +
           " (see README), or run the program from a terminal and type the steps";
  SetSteps(StepSource::FromTerminal());
  return {};
}

void Changed(Control& control) {
  auto& pending = S().pending;
  for (Control* item : pending) {
    if (item == &control) return;
  }
  pending.push_back(&control);
}

void Destroyed(Control& control) {
  S().lastProgress.erase(&control);
  auto& pending = S().pending;
  for (auto it = pending.begin(); it != pending.end();) {
    it = *it == &control ? pending.erase(it) : it + 1;
  }
}

void ParagraphAdded(RichEdit& pane, const RichEdit::Paragraph& paragraph) {
  if (!pane.Showing()) return;
  // The progress label repeats the pane's latest line: shown once, here.
  auto& pending = S().pending;
  for (auto it = pending.begin(); it != pending.end();) {
    const bool repeat = (*it)->GetKind() == Kind::Label && (*it)->Caption() == paragraph.text;
    it = repeat ? pending.erase(it) : it + 1;
  }
  Flush();
  Print((paragraph.color == kRed ? "  ! " : "  | ") + paragraph.text);
  S().lastParagraph = paragraph.text;
}

void FormShown(Form& form) {
  if (&form != Application::Instance().MainForm()) S().modal.push_back(&form);
  S().pending.clear();
  Print(RenderWindow(form));
  RememberProgress(form);
}

void PageShown(Wizard& wizard, WizardPage& /*page*/) {
  Form* form = wizard.OwnerForm();
  if (form == nullptr || !form->IsShown()) return;
  S().pending.clear();
  Print(RenderWindow(*form));
  RememberProgress(*form);
}

void RunModal(Form& form) {
  struct Pop {
    ~Pop() {
      if (!S().modal.empty()) S().modal.pop_back();
    }
  } pop;
  while (form.GetModalResult() == ModalResult::None) {
    if (!S().steps) {
      // Nobody answers in a test without steps: the dialog is closed.
      form.Close();
      break;
    }
    if (S().steps->Peek() == nullptr) {
      if (S().steps->Interactive()) {
        form.Close();
        break;
      }
      Fail(nullptr, "the script ended while the dialog \"" + form.Caption() + "\" is open");
    }
    PerformNext(form);
  }
}

void RunMainLoop() {
  Application& app = Application::Instance();
  while (!app.Terminated() && app.MainForm() != nullptr) {
    if (!S().steps) break;
    if (S().steps->Peek() == nullptr) {
      if (S().steps->Interactive()) break;
      Fail(nullptr, "the script ended while \"" + WindowTitle(*app.MainForm()) + "\" is shown");
    }
    PerformNext(*app.MainForm());
  }
}

void ProcessMessages() {
  Flush();
  if (!S().steps) return;
  Form* window = ActiveWindow();
  while (window != nullptr && S().steps->Peek() != nullptr && S().steps->Peek()->whileRunning) PerformNext(*window);
}

MsgResult MessageBox(const std::string& text, const std::string& caption, MsgButtons buttons, MsgIcon /*icon*/) {
  Flush();
  Print(RenderMessageBox(text, caption, buttons));
  const auto captions = MessageBoxButtons(buttons);
  auto result = [&](const std::string& button) {
    if (button == "Cancel") return MsgResult::Cancel;
    if (button == "Yes") return MsgResult::Yes;
    if (button == "No") return MsgResult::No;
    return MsgResult::Ok;
  };
  if (!S().steps) return result(captions.front());
  for (;;) {
    const ScriptStep* step = S().steps->Peek();
    if (step == nullptr) {
      if (S().steps->Interactive()) return result(captions.back());
      Fail(nullptr, "a message box is open and the script has no answer: \"" + text + "\"");
    }
    const ScriptStep current = *step;
    S().steps->Pop();
    std::string error;
    if (!AnswersMessageBox(current)) {
      error = "a message box is open: \"" + text + "\"";
    } else {
      for (const auto& button : captions) {
        if (platform::SameTextAscii(button, current.args[0])) return result(button);
      }
      error = "the message box has no button \"" + current.args[0] + "\"";
    }
    if (!S().steps->Interactive()) Fail(&current, error);
    Print("error: " + error);
  }
}

bool BrowseForFolder(FolderBrowser& browser) {
  Flush();
  Print("=== folder browser \"" + browser.text + "\"");
  Print("  folder: \"" + browser.folderName + "\"");
  if (!browser.extraButton.empty()) Print("  button: " + browser.extraButton);
  if (!S().steps) return false;
  for (;;) {
    const ScriptStep* step = S().steps->Peek();
    if (step == nullptr) {
      if (S().steps->Interactive()) return false;
      Fail(nullptr, "a folder browser is open and the script has no answer");
    }
    const ScriptStep current = *step;
    S().steps->Pop();
    std::string error;
    if (!AnswersFolderBrowser(current)) {
      error = "a folder browser is open";
    } else if (current.args.size() == 2) {
      if (!browser.extraButton.empty() && platform::SameTextAscii(browser.extraButton, current.args[1])) {
        if (browser.onExtraButton) browser.onExtraButton();
        return false;
      }
      error = "the folder browser has no button \"" + current.args[1] + "\"";
    } else if (current.args[0] == "cancel") {
      return false;
    } else {
      std::string folder = current.args[0];
      bool enable = platform::DirectoryExists(folder);
      if (browser.onEnableOk) browser.onEnableOk(enable);
      if (enable) {
        if (folder.size() > 1 && folder.back() == '\\') folder.pop_back();
        browser.folderName = folder;
        return true;
      }
      error = "\"" + folder + "\" cannot be chosen: OK is disabled";
    }
    if (!S().steps->Interactive()) Fail(&current, error);
    Print("error: " + error);
  }
}

bool KeyDown(Key /*key*/) { return ScriptKeysHeld(); }

void SetClipboardText(const std::string& text) { S().clipboard = text; }

std::string ClipboardText() { return S().clipboard; }

bool ExecutableHasIcon(const std::string& path) { return platform::FileExists(path); }

}  // namespace gui::backend
