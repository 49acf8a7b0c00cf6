// The script language, its sources and the steps carried out on a window.
#include "platform/gui/Script.h"

#include <cstdio>
#include <iostream>

#include "platform/Text.h"
#include "platform/gui/TextView.h"

namespace gui {

namespace {

struct VerbInfo {
  const char* name;
  size_t minArgs;
  size_t maxArgs;
};

constexpr VerbInfo kVerbs[] = {
    {"expect", 1, 1}, {"click", 1, 1},  {"check", 1, 1},     {"uncheck", 1, 1}, {"choose", 1, 1},
    {"type", 2, 2},   {"pick", 2, 2},   {"dblclick", 1, 1},  {"answer", 1, 1},  {"key", 1, 1},
    {"close", 0, 0},  {"browse", 1, 2}, {"hold-keys", 0, 0},
};

bool keysHeld = false;

std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool SameCaption(const std::string& caption, const std::string& wanted) {
  return platform::SameTextAscii(Trimmed(PlainCaption(caption)), Trimmed(PlainCaption(wanted)));
}

// The words of a line: bare words and double-quoted texts, in which a quote
// is written twice; a backslash is a plain character, as in Windows paths.
std::vector<std::string> Words(const std::string& text, int lineNumber) {
  std::vector<std::string> words;
  size_t i = 0;
  while (i < text.size()) {
    if (text[i] == ' ' || text[i] == '\t') {
      ++i;
      continue;
    }
    std::string word;
    if (text[i] == '"') {
      ++i;
      bool closed = false;
      while (i < text.size()) {
        if (text[i] == '"' && i + 1 < text.size() && text[i + 1] == '"') {
          word += '"';
          i += 2;
        } else if (text[i] == '"') {
          closed = true;
          ++i;
          break;
        } else {
          word += text[i++];
        }
      }
      if (!closed) throw ScriptError("line " + std::to_string(lineNumber) + ": a quote is not closed");
    } else {
      while (i < text.size() && text[i] != ' ' && text[i] != '\t') word += text[i++];
    }
    words.push_back(word);
  }
  return words;
}

// Every showing control of the window, in the order of the tree.
void Collect(Control& control, std::vector<Control*>& out) {
  for (const auto& child : control.Children()) {
    if (!child->Showing()) continue;
    out.push_back(child.get());
    Collect(*child, out);
  }
}

std::vector<Control*> ShowingControls(Form& window) {
  std::vector<Control*> controls;
  Collect(window, controls);
  return controls;
}

Wizard* FindWizard(Form& window) {
  for (const auto& child : window.Children()) {
    if (child->GetKind() == Kind::Wizard) return static_cast<Wizard*>(child.get());
  }
  return nullptr;
}

[[noreturn]] void Fail(const std::string& message) { throw ScriptError(message); }

void RequireEnabled(const Control& control, const std::string& caption) {
  if (!control.EnabledInTree()) Fail("\"" + caption + "\" is disabled");
}

// The check-list line with the caption: its list and index.
bool FindListLine(Form& window, const std::string& caption, CheckListBox*& list, int& index) {
  for (Control* control : ShowingControls(window)) {
    if (control->GetKind() != Kind::CheckListBox) continue;
    auto* lines = static_cast<CheckListBox*>(control);
    for (size_t i = 0; i < lines->Lines().size(); ++i) {
      if (SameCaption(lines->Lines()[i].text, caption)) {
        list = lines;
        index = static_cast<int>(i);
        return true;
      }
    }
  }
  return false;
}

void ToggleListLine(CheckListBox& list, int index, const std::string& caption) {
  RequireEnabled(list, caption);
  if (!list.ToggleLine(index)) Fail("the line \"" + caption + "\" is disabled");
}

Control* FindByCaption(Form& window, const std::string& caption, std::initializer_list<Kind> kinds) {
  for (Control* control : ShowingControls(window)) {
    for (const Kind kind : kinds) {
      if (control->GetKind() == kind && SameCaption(control->Caption(), caption)) return control;
    }
  }
  return nullptr;
}

// The control a label with the caption names.
Control* FindByLabel(Form& window, const std::string& caption) {
  for (Control* control : ShowingControls(window)) {
    if (control->GetKind() != Kind::Label || !SameCaption(control->Caption(), caption)) continue;
    if (Control* target = static_cast<Label*>(control)->FocusControl()) return target;
  }
  Fail("no field is labelled \"" + caption + "\"");
}

void Click(Form& window, const std::string& caption) {
  if (Wizard* wizard = FindWizard(window); wizard != nullptr && wizard->ActivePage() != nullptr) {
    WizardPage* page = wizard->ActivePage();
    for (int i = 0; i < kWizardButtonCount; ++i) {
      const auto button = static_cast<WizardButton>(i);
      if (!page->ButtonVisible(button) || !SameCaption(WizardButtonCaption(button), caption)) continue;
      if (!page->ButtonEnabled(button)) Fail("the button \"" + caption + "\" is disabled");
      wizard->ClickButton(button);
      return;
    }
  }
  Control* control =
      FindByCaption(window, caption, {Kind::Button, Kind::CheckBox, Kind::RadioButton, Kind::LinkLabel, Kind::Label});
  if (control != nullptr && (control->GetKind() != Kind::Label || control->OnClick)) {
    RequireEnabled(*control, caption);
    switch (control->GetKind()) {
      case Kind::Button:
        static_cast<Button*>(control)->Click();
        return;
      case Kind::CheckBox:
        static_cast<CheckBox*>(control)->Click();
        return;
      case Kind::RadioButton:
        static_cast<RadioButton*>(control)->Click();
        return;
      default:
        if (control->OnClick) control->OnClick();
        return;
    }
  }
  CheckListBox* list = nullptr;
  int index = -1;
  if (FindListLine(window, caption, list, index)) {
    ToggleListLine(*list, index, caption);
    return;
  }
  Fail("nothing to click is captioned \"" + caption + "\"");
}

void SetChecked(Form& window, const std::string& caption, bool checked) {
  if (Control* control = FindByCaption(window, caption, {Kind::CheckBox})) {
    auto* box = static_cast<CheckBox*>(control);
    RequireEnabled(*box, caption);
    // A three-state box passes through its states as clicks take it.
    for (int clicks = 0; clicks < 3 && box->Checked() != checked; ++clicks) box->Click();
    if (box->Checked() != checked) Fail("\"" + caption + "\" did not change");
    return;
  }
  CheckListBox* list = nullptr;
  int index = -1;
  if (FindListLine(window, caption, list, index)) {
    if (list->Lines()[static_cast<size_t>(index)].checked != checked) ToggleListLine(*list, index, caption);
    return;
  }
  Fail("no check box is captioned \"" + caption + "\"");
}

void Choose(Form& window, const std::string& caption) {
  Control* control = FindByCaption(window, caption, {Kind::RadioButton});
  if (control == nullptr) Fail("no radio button is captioned \"" + caption + "\"");
  RequireEnabled(*control, caption);
  static_cast<RadioButton*>(control)->Click();
}

void Type(Form& window, const std::string& label, const std::string& text) {
  Control* control = FindByLabel(window, label);
  if (control->GetKind() != Kind::Edit) Fail("\"" + label + "\" does not name an edit");
  RequireEnabled(*control, label);
  static_cast<Edit*>(control)->SetText(text);
}

void Pick(Form& window, const std::string& label, const std::string& entry) {
  Control* control = FindByLabel(window, label);
  RequireEnabled(*control, label);
  if (control->GetKind() == Kind::ListBox) {
    auto* list = static_cast<ListBox*>(control);
    for (size_t i = 0; i < list->Items().size(); ++i) {
      if (SameCaption(list->Items()[i], entry)) {
        list->ClickItem(static_cast<int>(i));
        return;
      }
    }
  } else if (control->GetKind() == Kind::ComboBox) {
    auto* combo = static_cast<ComboBox*>(control);
    for (size_t i = 0; i < combo->Items().size(); ++i) {
      if (SameCaption(combo->Items()[i].text, entry)) {
        combo->ChooseItem(static_cast<int>(i));
        return;
      }
    }
  } else {
    Fail("\"" + label + "\" does not name a list");
  }
  Fail("\"" + label + "\" has no entry \"" + entry + "\"");
}

// Steps from a script's lines.
class ListSource : public StepSource {
 public:
  explicit ListSource(std::vector<ScriptStep> steps) : steps_(std::move(steps)) {}
  const ScriptStep* Peek() override { return next_ < steps_.size() ? &steps_[next_] : nullptr; }
  void Pop() override {
    if (next_ < steps_.size()) ++next_;
  }
  bool Interactive() const override { return false; }

 private:
  std::vector<ScriptStep> steps_;
  size_t next_ = 0;
};

// Steps typed at the terminal, one line at a time.
class TerminalSource : public StepSource {
 public:
  const ScriptStep* Peek() override {
    while (!current_ && !ended_) {
      std::fputs("> ", stdout);
      std::fflush(stdout);
      std::string line;
      if (!std::getline(std::cin, line)) {
        ended_ = true;
        break;
      }
      if (!line.empty() && line.back() == '\r') line.pop_back();
      try {
        current_ = ParseScriptLine(line, 0);
      } catch (const ScriptError& e) {
        std::printf("error: %s\n", e.what());
      }
    }
    return current_ ? &*current_ : nullptr;
  }
  void Pop() override { current_.reset(); }
  bool Interactive() const override { return true; }

 private:
  std::optional<ScriptStep> current_;
  bool ended_ = false;
};

}  // namespace

std::string ScriptStep::Describe() const {
  std::string text = whileRunning ? "while-running " + verb : verb;
  for (const auto& arg : args) text += " \"" + arg + "\"";
  return line > 0 ? "line " + std::to_string(line) + ": " + text : text;
}

std::optional<ScriptStep> ParseScriptLine(const std::string& text, int lineNumber) {
  auto words = Words(text, lineNumber);
  if (words.empty() || words.front().front() == '#') return std::nullopt;
  ScriptStep step;
  step.line = lineNumber;
  size_t first = 0;
  if (words[0] == "while-running") {
    step.whileRunning = true;
    first = 1;
  }
  const std::string where = lineNumber > 0 ? "line " + std::to_string(lineNumber) + ": " : "";
  if (first >= words.size()) throw ScriptError(where + "while-running needs a step");
  step.verb = words[first];
  step.args.assign(words.begin() + static_cast<long>(first) + 1, words.end());
  for (const auto& verb : kVerbs) {
    if (step.verb != verb.name) continue;
    if (step.args.size() < verb.minArgs || step.args.size() > verb.maxArgs)
      throw ScriptError(where + "wrong number of arguments for \"" + step.verb + "\"");
    if (step.verb == "key" && step.args[0] != "Enter" && step.args[0] != "Esc")
      throw ScriptError(where + "key takes Enter or Esc");
    if (step.verb == "browse" && step.args.size() == 2 && step.args[0] != "button")
      throw ScriptError(where + "browse takes a folder, cancel, or button \"CAPTION\"");
    return step;
  }
  throw ScriptError(where + "unknown step \"" + step.verb + "\"");
}

std::vector<ScriptStep> ParseScript(const std::string& text) {
  std::vector<ScriptStep> steps;
  int number = 0;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    ++number;
    if (auto step = ParseScriptLine(line, number)) steps.push_back(*step);
    start = end + 1;
  }
  return steps;
}

std::unique_ptr<StepSource> StepSource::FromSteps(std::vector<ScriptStep> steps) {
  return std::make_unique<ListSource>(std::move(steps));
}

std::unique_ptr<StepSource> StepSource::FromTerminal() { return std::make_unique<TerminalSource>(); }

bool AnswersMessageBox(const ScriptStep& step) { return step.verb == "answer"; }

bool AnswersFolderBrowser(const ScriptStep& step) { return step.verb == "browse"; }

bool ScriptKeysHeld() { return keysHeld; }

std::string WindowTitle(Form& window) {
  if (Wizard* wizard = FindWizard(window); wizard != nullptr && wizard->ActivePage() != nullptr)
    return wizard->ActivePage()->Title();
  return window.Caption();
}

void PerformStep(const ScriptStep& step, Form& window) {
  const auto& args = step.args;
  if (step.verb == "expect") {
    const std::string title = WindowTitle(window);
    if (title != args[0]) Fail("expected \"" + args[0] + "\", but \"" + title + "\" is shown");
  } else if (step.verb == "click") {
    // The keys stay held until the click's handlers have run.
    struct Release {
      ~Release() { keysHeld = false; }
    } release;
    Click(window, args[0]);
  } else if (step.verb == "check" || step.verb == "uncheck") {
    SetChecked(window, args[0], step.verb == "check");
  } else if (step.verb == "choose") {
    Choose(window, args[0]);
  } else if (step.verb == "type") {
    Type(window, args[0], args[1]);
  } else if (step.verb == "dblclick") {
    Control* control = FindByLabel(window, args[0]);
    if (control->GetKind() != Kind::Edit) Fail("\"" + args[0] + "\" does not name an edit");
    RequireEnabled(*control, args[0]);
    if (auto& handler = static_cast<Edit*>(control)->OnDblClick) handler();
  } else if (step.verb == "pick") {
    Pick(window, args[0], args[1]);
  } else if (step.verb == "answer") {
    if (FindWizard(window) != nullptr) Fail("no message box or dialog is open");
    Control* button = FindByCaption(window, args[0], {Kind::Button});
    if (button == nullptr) Fail("the dialog has no button \"" + args[0] + "\"");
    RequireEnabled(*button, args[0]);
    static_cast<Button*>(button)->Click();
  } else if (step.verb == "key") {
    if (args[0] == "Enter") {
      window.PressEnter();
    } else {
      window.PressEsc();
    }
  } else if (step.verb == "close") {
    window.CloseBox();
  } else if (step.verb == "browse") {
    Fail("no folder browser is open");
  } else if (step.verb == "hold-keys") {
    keysHeld = true;
  }
}

}  // namespace gui
