// Windows rendered as text lines.
#include "platform/gui/TextView.h"

namespace gui {

namespace {

// The lines of a text broken at CR LF, CR or LF.
std::vector<std::string> TextLines(const std::string& text) {
  std::vector<std::string> lines(1);
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      lines.emplace_back();
    } else {
      lines.back() += c;
    }
  }
  return lines;
}

// "prefix" before the first line of the text, blanks of its width before the others.
void AddText(std::vector<std::string>& out, const std::string& prefix, const std::string& text,
             const std::string& suffix = "") {
  const auto lines = TextLines(text);
  for (size_t i = 0; i < lines.size(); ++i) {
    std::string line = (i == 0 ? prefix : std::string(prefix.size(), ' ')) + lines[i];
    if (i + 1 == lines.size()) line += suffix;
    out.push_back(line);
  }
}

std::string Marks(const Control& control) {
  std::string marks;
  if (control.FontColor() == kRed) marks += " (red)";
  if (control.Bold()) marks += " (bold)";
  if (!control.EnabledInTree()) marks += " (disabled)";
  return marks;
}

const char* CheckMark(CheckState state) {
  switch (state) {
    case CheckState::Checked:
      return "[x] ";
    case CheckState::Grayed:
      return "[-] ";
    case CheckState::Unchecked:
      break;
  }
  return "[ ] ";
}

void RenderTree(Control& control, const std::string& indent, std::vector<std::string>& out) {
  for (const auto& child : control.Children()) {
    if (!child->Visible()) continue;
    if (child->GetKind() == Kind::Page) {
      const auto* wizard = static_cast<const Wizard*>(&control);
      if (wizard->ActivePage() != child.get()) continue;
    }
    for (const auto& line : RenderControl(*child)) out.push_back(indent + line);
    const bool container = child->GetKind() == Kind::GroupBox;
    RenderTree(*child, container ? indent + "  " : indent, out);
  }
}

}  // namespace

std::string PlainCaption(const std::string& caption) {
  std::string plain;
  for (size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&') {
      if (i + 1 < caption.size() && caption[i + 1] == '&') {
        plain += '&';
        ++i;
      }
      continue;
    }
    plain += caption[i];
  }
  return plain;
}

std::vector<std::string> RenderControl(Control& control) {
  std::vector<std::string> out;
  const std::string caption = PlainCaption(control.Caption());
  switch (control.GetKind()) {
    case Kind::Label:
      AddText(out, "label: ", control.Caption(), Marks(control));
      break;
    case Kind::LinkLabel:
      out.push_back("link: " + control.Caption() + Marks(control));
      break;
    case Kind::CheckBox:
      AddText(out, CheckMark(static_cast<CheckBox&>(control).State()), caption, Marks(control));
      break;
    case Kind::RadioButton:
      out.push_back(std::string(static_cast<RadioButton&>(control).Checked() ? "(*) " : "( ) ") + caption +
                    Marks(control));
      break;
    case Kind::Edit:
      out.push_back("edit: \"" + control.Caption() + "\"" + Marks(control));
      break;
    case Kind::Memo: {
      const auto lines = TextLines(control.Caption());
      out.push_back("text box: \"" + lines.front() + "\" (" + std::to_string(lines.size()) + " lines)");
      break;
    }
    case Kind::ListBox: {
      auto& list = static_cast<ListBox&>(control);
      out.push_back("list:" + Marks(control));
      for (size_t i = 0; i < list.Items().size(); ++i) {
        out.push_back(std::string(static_cast<int>(i) == list.ItemIndex() ? "  > " : "  - ") + list.Items()[i]);
      }
      break;
    }
    case Kind::ComboBox: {
      auto& combo = static_cast<ComboBox&>(control);
      out.push_back("drop-down:" + Marks(control));
      for (size_t i = 0; i < combo.Items().size(); ++i) {
        const int index = static_cast<int>(i);
        const bool icon = combo.Images() != nullptr && combo.Images()->HasIcon(index);
        out.push_back(std::string(index == combo.ItemIndex() ? "  > " : "  - ") + (icon ? "[icon] " : "") +
                      combo.Items()[i].text);
      }
      break;
    }
    case Kind::CheckListBox: {
      auto& list = static_cast<CheckListBox&>(control);
      out.push_back("check list:" + Marks(control));
      for (const auto& line : list.Lines()) {
        out.push_back(std::string("  ") + (line.checked ? "[x] " : "[ ] ") + line.text +
                      (line.enabled ? "" : " (disabled)"));
      }
      break;
    }
    case Kind::RichEdit:
      out.push_back("output: " + std::to_string(static_cast<RichEdit&>(control).Paragraphs().size()) + " lines");
      break;
    case Kind::ProgressBar: {
      const auto& bar = static_cast<ProgressBar&>(control);
      const int percent = bar.Maximum() > 0 ? bar.Position() * 100 / bar.Maximum() : 0;
      out.push_back("progress: " + std::to_string(percent) + "%" +
                    (bar.GetState() == ProgressBar::State::Error ? " (error)" : "") + Marks(control));
      break;
    }
    case Kind::Image:
      out.push_back("picture: " + control.Caption());
      break;
    case Kind::Button: {
      const Form* form = control.OwnerForm();
      std::string line = "button: " + caption;
      if (form != nullptr && form->DefaultButton() == &control) line += " (default)";
      out.push_back(line + Marks(control));
      break;
    }
    case Kind::GroupBox:
      out.push_back("group: " + control.Caption() + Marks(control));
      break;
    case Kind::Panel:
      if (!control.Caption().empty()) AddText(out, "band: ", control.Caption(), Marks(control));
      break;
    case Kind::Wizard:
    case Kind::Page:
    case Kind::Form:
    case Kind::ScrollBox:
    case Kind::Bevel:
      break;
  }
  return out;
}

std::string RenderWizardButtons(const Wizard& wizard) {
  std::string line = "buttons:";
  const WizardPage* page = wizard.ActivePage();
  if (page == nullptr) return line;
  for (int i = 0; i < kWizardButtonCount; ++i) {
    const auto button = static_cast<WizardButton>(i);
    if (!page->ButtonVisible(button)) continue;
    line += " [" + PlainCaption(WizardButtonCaption(button)) + (page->ButtonEnabled(button) ? "" : " (disabled)") + "]";
  }
  return line;
}

std::vector<std::string> RenderWindow(Form& form) {
  std::vector<std::string> out;
  const Wizard* wizard = nullptr;
  for (const auto& child : form.Children()) {
    if (child->GetKind() == Kind::Wizard) wizard = static_cast<const Wizard*>(child.get());
  }
  if (wizard != nullptr && wizard->ActivePage() != nullptr) {
    out.push_back("=== page \"" + wizard->ActivePage()->Title() + "\"");
    if (!wizard->ActivePage()->Subtitle().empty()) AddText(out, "    ", wizard->ActivePage()->Subtitle());
  } else {
    out.push_back("=== dialog \"" + form.Caption() + "\"");
  }
  RenderTree(form, "  ", out);
  if (wizard != nullptr) out.push_back("  " + RenderWizardButtons(*wizard));
  return out;
}

std::vector<std::string> MessageBoxButtons(MsgButtons buttons) {
  switch (buttons) {
    case MsgButtons::Ok:
      return {"OK"};
    case MsgButtons::OkCancel:
      return {"OK", "Cancel"};
    case MsgButtons::YesNo:
      return {"Yes", "No"};
    case MsgButtons::YesNoCancel:
      return {"Yes", "No", "Cancel"};
  }
  return {"OK"};
}

std::vector<std::string> RenderMessageBox(const std::string& text, const std::string& caption, MsgButtons buttons) {
  std::vector<std::string> out;
  out.push_back("=== message box \"" + caption + "\"");
  AddText(out, "  ", text);
  std::string line = "  buttons:";
  for (const auto& button : MessageBoxButtons(buttons)) line += " [" + button + "]";
  out.push_back(line);
  return out;
}

}  // namespace gui
