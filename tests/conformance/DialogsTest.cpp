// The small dialogs and the folder field, driven as a user drives them.
#include <gtest/gtest.h>

#include "TestMachine.h"
#include "Wizard/FrmDirEditBrowse.h"
#include "Wizard/uDCCCompilerWarning.h"
#include "Wizard/uMessageForm.h"
#include "platform/FileSystem.h"
#include "platform/gui/Script.h"
#include "platform/gui/headless/Headless.h"

namespace {

// Answers for the dialogs and browsers the next actions open.
void Answers(const std::string& script) {
  gui::headless::SetSteps(gui::StepSource::FromSteps(gui::ParseScript(script)));
}

struct Quiet {
  Quiet() {
    gui::headless::SetOutput([this](const std::string& line) { shown.push_back(line); });
  }
  ~Quiet() {
    gui::headless::SetSteps(nullptr);
    gui::headless::SetOutput(nullptr);
  }
  std::vector<std::string> shown;
};

}  // namespace

TEST(DialogsTest, MessageFormClosesWithEnterOrEscAndCopiesItsText) {
  Quiet quiet;
  for (const char* key : {"key Enter", "key Esc", "answer \"Close\""}) {
    SCOPED_TRACE(key);
    Answers(std::string("answer \"Copy to Clipboard\"\n") + key);
    ShowMessageForm("Incompatible package version", "Edit the package.");
    EXPECT_EQ(gui::ClipboardText(), "Edit the package.");
  }
  EXPECT_EQ(quiet.shown.front(), "=== dialog \"Incompatible package version\"");
}

TEST(DialogsTest, CompilerWarningKeys) {
  Quiet quiet;
  const struct {
    const char* step;
    gui::ModalResult result;
  } cases[] = {
      {"key Esc", gui::ModalResult::Retry},
      {"key Enter", gui::ModalResult::Ignore},
      {"answer \"Exit\"", gui::ModalResult::Cancel},
      {"close", gui::ModalResult::Cancel},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.step);
    Answers(c.step);
    TfDCCCompilerWarning dialog;
    EXPECT_EQ(dialog.ShowModal(), c.result);
  }
}

TEST(DialogsTest, FolderFieldTakesWhatTheBrowserGives) {
  TestMachine machine;
  Quiet quiet;
  gui::Form form;
  auto* frame = TFrameDirEditBrowse::Build("Destination folder:", machine.Dir(), nullptr, nullptr, &form, "Browse...");
  ASSERT_TRUE(platform::MakeDirectory(machine.Dir() + "\\Chosen"));
  const struct {
    const char* what;
    bool allowEmpty;
    std::string answer;
    std::string edit;  // afterwards
  } cases[] = {
      {"a folder", false, "browse \"" + machine.Dir() + "\\Chosen\\\"", machine.Dir() + "\\Chosen"},
      {"cancelled", false, "browse cancel", machine.Dir() + "\\Chosen"},
      {"a drive root", false, "browse \"C:\\\"", "C:"},
      {"no directory", true, "browse button \"No directory\"", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    frame->SetAllowEmpty(c.allowEmpty);
    Answers(c.answer);
    frame->BtnDirBrowseClick();
    EXPECT_EQ(frame->EditDirectory->Text(), c.edit);
  }
  // A folder that is not there cannot be chosen, and without AllowEmpty there
  // is no "No directory" button.
  frame->SetAllowEmpty(false);
  for (const char* answer : {"browse \"C:\\Nowhere\"", "browse button \"No directory\""}) {
    Answers(answer);
    EXPECT_THROW(frame->BtnDirBrowseClick(), gui::ScriptFailed) << answer;
  }
  EXPECT_EQ(frame->EditDirectory->Text(), "");
  // A double click in the edit browses too; the change handler may alter the folder.
  frame->SetOnChange([](TFrameDirEditBrowse*, void*, std::string& dir) { dir += "\\Vexorin"; });
  Answers("browse \"" + machine.Dir() + "\\Chosen\"");
  frame->EditDirectoryDblClick();
  EXPECT_EQ(frame->EditDirectory->Text(), machine.Dir() + "\\Chosen\\Vexorin");
}
