// Scripts of user steps: the language, where steps come from, and carrying
// out a step on a window. A scripted run follows the steps as a user would:
//
//   # a comment                  blank lines and comments are skipped
//   expect "TITLE"               the page (or dialog) shown now has this title
//   click "CAPTION"              a button, check box, radio button, link or
//                                check-list line with this caption
//   check "CAPTION"              a check box or check-list line, checked
//   uncheck "CAPTION"            ... unchecked
//   choose "CAPTION"             a radio button
//   type "LABEL" "TEXT"          the edit named by the label gets the text
//   dblclick "LABEL"             a double click in the edit named by the label
//   pick "LABEL" "ENTRY"         the list or drop-down named by the label: the entry
//   answer "BUTTON"              the open message box or dialog: press that button
//   key Enter | key Esc          the key on the open dialog
//   close                        the open dialog's close box
//   browse "FOLDER"              the next folder browser: choose the folder
//   browse cancel                ... cancel it
//   browse button "CAPTION"      ... press its added button ("No directory")
//   hold-keys                    Shift, Ctrl and Alt are held for the next click
//   while-running STEP           the step is done while the installation runs
//
// Captions are compared without their "&" markers and without regard to case.
// A quote inside a quoted text is written twice; backslashes are plain.
#pragma once

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/gui/Widgets.h"

namespace gui {

// A step that cannot be done, or a script that cannot be read.
class ScriptError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A scripted run failed: the step, its error and the window have been
// printed. Deliberately not a std::exception, so that no error handler of
// the program takes it for an error of its own and goes on.
struct ScriptFailed {
  std::string message;
};

struct ScriptStep {
  int line = 0;  // in the script; 0 for a step typed at the terminal
  bool whileRunning = false;
  std::string verb;
  std::vector<std::string> args;
  // "line 4: click "Next >"" (or the step alone for a typed one).
  std::string Describe() const;
};

// One line of a script; nothing for a blank line or a comment. Raises
// ScriptError for an unknown step, a wrong number of arguments or an
// unterminated quote.
std::optional<ScriptStep> ParseScriptLine(const std::string& text, int lineNumber);
// Every step of a script text.
std::vector<ScriptStep> ParseScript(const std::string& text);

// Where the steps of a run come from.
class StepSource {
 public:
  virtual ~StepSource() = default;
  // The next step, or null at the end.
  virtual const ScriptStep* Peek() = 0;
  virtual void Pop() = 0;
  // Steps typed at a terminal: a failed step is reported and the next one read.
  virtual bool Interactive() const = 0;

  // The steps of a script.
  static std::unique_ptr<StepSource> FromSteps(std::vector<ScriptStep> steps);
  // Steps read from standard input one line at a time, with a prompt.
  static std::unique_ptr<StepSource> FromTerminal();
};

// Whether the step belongs to a message box or a folder browser.
bool AnswersMessageBox(const ScriptStep& step);
bool AnswersFolderBrowser(const ScriptStep& step);

// Carries out a step on the window; raises ScriptError when it cannot.
void PerformStep(const ScriptStep& step, Form& window);
// Shift, Ctrl and Alt as a "hold-keys" step left them: held until the end of
// the next click.
bool ScriptKeysHeld();

// The title a window shows: the wizard's page title, or the form's caption.
std::string WindowTitle(Form& window);

}  // namespace gui
