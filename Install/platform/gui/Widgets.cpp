// The state of the controls and the rules both backends share.
#include "platform/gui/Widgets.h"

#include <algorithm>

#include "platform/ConsoleIO.h"
#include "platform/gui/Backend.h"
#include "platform/gui/TextView.h"

namespace gui {

// ---- Control

Control::Control(Kind kind, Control* parent) : kind_(kind), parent_(parent) {}

Control::~Control() { backend::Destroyed(*this); }

Form* Control::OwnerForm() {
  Control* control = this;
  while (control->parent_ != nullptr) control = control->parent_;
  return control->kind_ == Kind::Form ? static_cast<Form*>(control) : nullptr;
}

void Control::ClearChildren() {
  children_.clear();
  Changed();
}

void Control::Changed() { backend::Changed(*this); }

void Control::SetCaption(const std::string& value) {
  if (caption_ == value) return;
  caption_ = value;
  Changed();
}

void Control::SetVisible(bool value) {
  if (visible_ == value) return;
  visible_ = value;
  Changed();
}

void Control::SetEnabled(bool value) {
  if (enabled_ == value) return;
  enabled_ = value;
  Changed();
}

void Control::SetBounds(int left, int top, int width, int height) { bounds_ = {left, top, width, height}; }

void Control::SetFontColor(Color value) {
  if (color_ == value) return;
  color_ = value;
  Changed();
}

void Control::SetBold(bool value) {
  if (bold_ == value) return;
  bold_ = value;
  Changed();
}

bool Control::Showing() const {
  const Control* control = this;
  while (control != nullptr) {
    if (!control->visible_) return false;
    if (control->kind_ == Kind::Page) {
      const auto* wizard = static_cast<const Wizard*>(control->parent_);
      if (wizard == nullptr || wizard->ActivePage() != control) return false;
    }
    if (control->kind_ == Kind::Form) return static_cast<const Form*>(control)->IsShown();
    control = control->parent_;
  }
  return false;
}

bool Control::EnabledInTree() const {
  for (const Control* control = this; control != nullptr; control = control->parent_) {
    // A wizard page's enabled flag says whether the wizard visits it, not
    // whether its controls take input.
    if (!control->enabled_ && control->kind_ != Kind::Page) return false;
  }
  return true;
}

// ---- Simple controls

GroupBox::GroupBox(Control* parent, const std::string& caption) : Control(Kind::GroupBox, parent) {
  SetCaption(caption);
}

Label::Label(Control* parent, const std::string& caption) : Control(Kind::Label, parent) { SetCaption(caption); }

LinkLabel::LinkLabel(Control* parent, const std::string& caption) : Control(Kind::LinkLabel, parent) {
  SetCaption(caption);
  SetFontColor(kBlue);
}

CheckBox::CheckBox(Control* parent, const std::string& caption) : Control(Kind::CheckBox, parent) {
  SetCaption(caption);
}

void CheckBox::SetStateQuietly(CheckState value) {
  if (state_ == value) return;
  state_ = value;
  Changed();
}

void CheckBox::SetState(CheckState value) {
  if (state_ == value) return;
  SetStateQuietly(value);
  if (OnClick) OnClick();
}

void CheckBox::Click() {
  switch (state_) {
    case CheckState::Unchecked:
      SetState(allowGrayed_ ? CheckState::Grayed : CheckState::Checked);
      break;
    case CheckState::Checked:
      SetState(CheckState::Unchecked);
      break;
    case CheckState::Grayed:
      SetState(CheckState::Checked);
      break;
  }
}

RadioButton::RadioButton(Control* parent, const std::string& caption) : Control(Kind::RadioButton, parent) {
  SetCaption(caption);
}

void RadioButton::SetCheckedQuietly(bool value) {
  if (checked_ == value) return;
  checked_ = value;
  Changed();
  if (value && Parent() != nullptr) {
    for (const auto& sibling : Parent()->Children()) {
      if (sibling.get() != this && sibling->GetKind() == Kind::RadioButton)
        static_cast<RadioButton*>(sibling.get())->SetCheckedQuietly(false);
    }
  }
}

void RadioButton::SetChecked(bool value) {
  if (checked_ == value) return;
  SetCheckedQuietly(value);
  if (OnClick) OnClick();
}

Edit::Edit(Control* parent) : Control(Kind::Edit, parent) {}

void Edit::SetText(const std::string& value) {
  if (Text() == value) return;
  SetCaption(value);
  if (OnChange) OnChange();
}

void ListBox::SetItems(const std::vector<std::string>& items) {
  items_ = items;
  itemIndex_ = -1;
  Changed();
}

void ListBox::SetItemIndex(int value) {
  itemIndex_ = value >= 0 && value < static_cast<int>(items_.size()) ? value : -1;
  Changed();
}

void ListBox::ClickItem(int index) {
  SetItemIndex(index);
  if (OnClick) OnClick();
}

bool ImageList::AddExecutableIcon(int index, const std::string& path) {
  if (index < 0) return false;
  if (static_cast<int>(icons_.size()) <= index) icons_.resize(static_cast<size_t>(index) + 1);
  if (path.empty() || !backend::ExecutableHasIcon(path)) return false;
  icons_[static_cast<size_t>(index)] = path;
  return true;
}

bool ImageList::HasIcon(int index) const {
  return index >= 0 && index < static_cast<int>(icons_.size()) && !icons_[static_cast<size_t>(index)].empty();
}

void ComboBox::Clear() {
  items_.clear();
  itemIndex_ = -1;
  Changed();
}

void ComboBox::AddItem(const std::string& text, void* object) {
  items_.push_back({text, object});
  Changed();
}

void ComboBox::SetItemIndex(int value) {
  itemIndex_ = value >= 0 && value < static_cast<int>(items_.size()) ? value : -1;
  Changed();
}

void ComboBox::ChooseItem(int index) {
  SetItemIndex(index);
  if (OnChange) OnChange();
}

void CheckListBox::Clear() {
  lines_.clear();
  itemIndex_ = -1;
  Changed();
}

void CheckListBox::AddLine(const std::string& text, void* object) {
  lines_.push_back({text, object, false, true});
  Changed();
}

void CheckListBox::SetLineChecked(int index, bool value) {
  lines_.at(static_cast<size_t>(index)).checked = value;
  Changed();
}

void CheckListBox::SetLineEnabled(int index, bool value) {
  lines_.at(static_cast<size_t>(index)).enabled = value;
  Changed();
}

bool CheckListBox::ToggleLine(int index) {
  auto& line = lines_.at(static_cast<size_t>(index));
  if (!line.enabled) return false;
  itemIndex_ = index;
  line.checked = !line.checked;
  Changed();
  if (OnClickCheck) OnClickCheck();
  return true;
}

void ProgressBar::SetPosition(int value) {
  value = std::clamp(value, 0, maximum_);
  if (value == position_) return;
  position_ = value;
  Changed();
}

void ProgressBar::SetState(State value) {
  if (value == state_) return;
  state_ = value;
  Changed();
}

void ProgressBar::SetInTaskbar(bool value) {
  if (value == inTaskbar_) return;
  inTaskbar_ = value;
  Changed();
}

void RichEdit::Clear() {
  paragraphs_.clear();
  Changed();
}

void RichEdit::EndUpdate() {
  if (updating_ > 0) --updating_;
}

void RichEdit::AppendParagraph(const std::string& text, Color color) {
  paragraphs_.push_back({text, color});
  backend::ParagraphAdded(*this, paragraphs_.back());
}

Button::Button(Control* parent, const std::string& caption, ModalResult result)
    : Control(Kind::Button, parent), result_(result) {
  SetCaption(caption);
}

void Button::Click() {
  if (OnClick) OnClick();
  if (result_ != ModalResult::None) {
    if (Form* form = OwnerForm()) form->SetModalResult(result_);
  }
}

// ---- Form

Form::Form() : Control(Kind::Form, nullptr) {}

Form::~Form() {
  if (Application::Instance().MainForm() == this) Application::Instance().SetMainForm(nullptr);
}

void Form::SetClientSize(int width, int height) {
  clientWidth_ = width;
  clientHeight_ = height;
}

void Form::Show() {
  shown_ = true;
  modal_ = false;
  backend::FormShown(*this);
  if (OnShow) OnShow();
}

ModalResult Form::ShowModal() {
  modalResult_ = ModalResult::None;
  shown_ = true;
  modal_ = true;
  backend::FormShown(*this);
  if (OnShow) OnShow();
  if (modalResult_ == ModalResult::None) backend::RunModal(*this);
  shown_ = false;
  modal_ = false;
  return modalResult_;
}

void Form::SetModalResult(ModalResult value) {
  if (modal_) modalResult_ = value;
}

void Form::Close() {
  if (OnClose) OnClose();
  if (modal_) {
    if (modalResult_ == ModalResult::None) modalResult_ = ModalResult::Cancel;
  } else if (Application::Instance().MainForm() == this) {
    // As with a main window: the loop ends once the running handler returns.
    Application::Instance().Terminate();
  } else {
    shown_ = false;
  }
}

void Form::PressEnter() {
  if (defaultButton_ != nullptr && defaultButton_->Showing() && defaultButton_->EnabledInTree())
    defaultButton_->Click();
}

void Form::PressEsc() {
  if (cancelButton_ != nullptr && cancelButton_->Showing() && cancelButton_->EnabledInTree()) cancelButton_->Click();
}

// ---- Wizard

const char* WizardButtonCaption(WizardButton button) {
  switch (button) {
    case WizardButton::Start:
      return "To &Start Page";
    case WizardButton::Last:
      return "To &Last Page";
    case WizardButton::Back:
      return "< &Back";
    case WizardButton::Next:
      return "&Next >";
    case WizardButton::Finish:
      return "&Finish";
    case WizardButton::Cancel:
      return "Cancel";
    case WizardButton::Help:
      return "&Help";
  }
  return "";
}

WizardPage::WizardPage(Control* parent) : Control(Kind::Page, parent) {}

void WizardPage::SetPageEnabled(bool value) {
  if (PageEnabled() == value) return;
  SetEnabled(value);
  auto* wizard = static_cast<Wizard*>(Parent());
  if (!value && wizard != nullptr && wizard->ActivePage() == this) wizard->ActivePageDisabled();
}

void WizardPage::SetSubtitle(const std::string& value) {
  if (subtitle_ == value) return;
  subtitle_ = value;
  Changed();
}

bool WizardPage::ButtonVisible(WizardButton button) const { return visible_[static_cast<int>(button)]; }
bool WizardPage::ButtonEnabled(WizardButton button) const { return enabled_[static_cast<int>(button)]; }

void WizardPage::SetButtonVisible(WizardButton button, bool value) {
  if (visible_[static_cast<int>(button)] == value) return;
  visible_[static_cast<int>(button)] = value;
  Changed();
}

void WizardPage::SetButtonEnabled(WizardButton button, bool value) {
  if (enabled_[static_cast<int>(button)] == value) return;
  enabled_[static_cast<int>(button)] = value;
  Changed();
}

std::vector<WizardPage*> Wizard::Pages() const {
  std::vector<WizardPage*> pages;
  for (const auto& child : Children()) {
    if (child->GetKind() == Kind::Page) pages.push_back(static_cast<WizardPage*>(child.get()));
  }
  return pages;
}

WizardPage* Wizard::NextEnabled(WizardPage* from) const {
  const auto pages = Pages();
  auto it = std::find(pages.begin(), pages.end(), from);
  if (it == pages.end()) return nullptr;
  for (++it; it != pages.end(); ++it) {
    if ((*it)->PageEnabled()) return *it;
  }
  return nullptr;
}

WizardPage* Wizard::PriorEnabled(WizardPage* from) const {
  const auto pages = Pages();
  auto it = std::find(pages.begin(), pages.end(), from);
  if (it == pages.end()) return nullptr;
  while (it != pages.begin()) {
    --it;
    if ((*it)->PageEnabled()) return *it;
  }
  return nullptr;
}

void Wizard::Start() {
  for (WizardPage* page : Pages()) {
    if (page->PageEnabled()) {
      ShowPage(page);
      return;
    }
  }
}

void Wizard::ShowPage(WizardPage* page) {
  if (page == nullptr) return;
  if (!page->PageEnabled()) {
    WizardPage* next = NextEnabled(page);
    if (next == nullptr) next = PriorEnabled(page);
    if (next == nullptr) return;
    page = next;
  }
  WizardPage* from = active_;
  if (page->OnEnterPage) page->OnEnterPage(from);
  active_ = page;
  backend::PageShown(*this, *page);
  if (page->OnPage) page->OnPage();
}

void Wizard::ActivePageDisabled() { ShowPage(active_); }

void Wizard::ClickButton(WizardButton button) {
  WizardPage* page = active_;
  if (page == nullptr || !page->ButtonVisible(button) || !page->ButtonEnabled(button)) return;
  switch (button) {
    case WizardButton::Next: {
      bool stop = false;
      if (page->OnNextButtonClick) page->OnNextButtonClick(stop);
      if (!stop && active_ == page) {
        if (WizardPage* next = NextEnabled(page)) ShowPage(next);
      }
      break;
    }
    case WizardButton::Back:
      if (WizardPage* prior = PriorEnabled(page)) ShowPage(prior);
      break;
    case WizardButton::Finish: {
      bool stop = false;
      if (page->OnFinishButtonClick) page->OnFinishButtonClick(stop);
      break;
    }
    case WizardButton::Cancel:
      if (OnCancelButtonClick) OnCancelButtonClick();
      break;
    case WizardButton::Start:
      Start();
      break;
    case WizardButton::Last: {
      const auto pages = Pages();
      for (auto it = pages.rbegin(); it != pages.rend(); ++it) {
        if ((*it)->PageEnabled()) {
          ShowPage(*it);
          break;
        }
      }
      break;
    }
    case WizardButton::Help:
      break;
  }
}

// ---- Application and the system's dialogs

Application& Application::Instance() {
  static Application application;
  return application;
}

void Application::Run() {
  if (mainForm_ == nullptr || terminated_) return;
  backend::RunMainLoop();
}

void Application::ProcessMessages() { backend::ProcessMessages(); }

namespace {
bool unattended = false;
}  // namespace

void SetUnattended(bool value) { unattended = value; }

bool Unattended() { return unattended; }

std::string InitializeGui() { return backend::Initialize(); }

MsgResult MessageBox(const std::string& text, const std::string& caption, MsgButtons buttons, MsgIcon icon) {
  if (unattended) {
    const std::string answer = MessageBoxButtons(buttons).back();
    platform::WriteStdOut("message box \"" + caption + "\": " + text + "\nanswered \"" + answer +
                          "\" (unattended run)\n");
    if (answer == "No") return MsgResult::No;
    if (answer == "Cancel") return MsgResult::Cancel;
    return MsgResult::Ok;
  }
  return backend::MessageBox(text, caption, buttons, icon);
}

bool BrowseForFolder(FolderBrowser& browser) { return backend::BrowseForFolder(browser); }

bool KeyDown(Key key) { return backend::KeyDown(key); }

void SetClipboardText(const std::string& text) { backend::SetClipboardText(text); }

std::string ClipboardText() { return backend::ClipboardText(); }

}  // namespace gui
