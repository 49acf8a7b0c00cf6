// The widget layer the wizard's forms are written on: a small retained-mode
// tree of controls with the properties and events the forms use. The state
// and its rules (check-box cycling, radio groups, the wizard's page skipping)
// live here, shared by both backends; a backend shows the tree (native
// windows, or text for scripted runs) and runs the modal loops.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace gui {

enum class Kind {
  Form,
  Wizard,
  Page,
  Panel,
  GroupBox,
  ScrollBox,
  Label,
  LinkLabel,
  CheckBox,
  RadioButton,
  Edit,
  Memo,
  ListBox,
  ComboBox,
  CheckListBox,
  RichEdit,
  ProgressBar,
  Image,
  Button,
  Bevel,
};

// Colours as 0x00BBGGRR, as Windows keeps them; kDefaultColor is the
// control's own (window text) colour.
using Color = uint32_t;
inline constexpr Color kDefaultColor = 0xFF000000u;
inline constexpr Color kRed = 0x000000FFu;
inline constexpr Color kBlue = 0x00FF0000u;
inline constexpr Color kWhite = 0x00FFFFFFu;
inline constexpr Color kTeal = 0x00808000u;

// What a dialog's button gives when it closes the dialog.
enum class ModalResult { None, Ok, Cancel, Abort, Retry, Ignore, Yes, No, Close };

struct Rect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

class Form;

class Control {
 public:
  Control(Kind kind, Control* parent);
  virtual ~Control();
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  Kind GetKind() const { return kind_; }
  Control* Parent() const { return parent_; }
  // The form the control belongs to (itself for a form).
  Form* OwnerForm();
  const std::vector<std::unique_ptr<Control>>& Children() const { return children_; }

  // Creates a child control owned by this one.
  template <class T, class... Args>
  T* Add(Args&&... args) {
    auto child = std::make_unique<T>(this, std::forward<Args>(args)...);
    T* raw = child.get();
    children_.push_back(std::move(child));
    return raw;
  }
  // Destroys every child control.
  void ClearChildren();

  const std::string& Name() const { return name_; }
  void SetName(const std::string& value) { name_ = value; }
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& value);
  bool Visible() const { return visible_; }
  void SetVisible(bool value);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value);
  const Rect& Bounds() const { return bounds_; }
  void SetBounds(int left, int top, int width, int height);
  Color FontColor() const { return color_; }
  void SetFontColor(Color value);
  bool Bold() const { return bold_; }
  void SetBold(bool value);
  // Extra values a form keeps with a control (what a row refers to).
  void* Data() const { return data_; }
  void SetData(void* value) { data_ = value; }
  int Tag() const { return tag_; }
  void SetTag(int value) { tag_ = value; }

  // Visible, with every parent visible, on a form that is shown; for a
  // wizard page, the page is the active one.
  bool Showing() const;
  // Enabled, with every parent enabled.
  bool EnabledInTree() const;

  std::function<void()> OnClick;

 protected:
  // Tells the backend that something it shows has changed.
  void Changed();

 private:
  Kind kind_;
  Control* parent_;
  std::vector<std::unique_ptr<Control>> children_;
  std::string name_;
  std::string caption_;
  bool visible_ = true;
  bool enabled_ = true;
  Rect bounds_;
  Color color_ = kDefaultColor;
  bool bold_ = false;
  void* data_ = nullptr;
  int tag_ = 0;
};

class Panel : public Control {
 public:
  explicit Panel(Control* parent, Color background = kDefaultColor)
      : Control(Kind::Panel, parent), background_(background) {}
  Color Background() const { return background_; }

 private:
  Color background_;
};

class GroupBox : public Control {
 public:
  explicit GroupBox(Control* parent, const std::string& caption = "");
};

// Children may lie beyond its height; it scrolls vertically.
class ScrollBox : public Control {
 public:
  explicit ScrollBox(Control* parent) : Control(Kind::ScrollBox, parent) {}
  int ScrollRange() const { return range_; }
  void SetScrollRange(int value) { range_ = value; }

 private:
  int range_ = 0;
};

class Label : public Control {
 public:
  explicit Label(Control* parent, const std::string& caption = "");
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool value) { wordWrap_ = value; }
  // The control this label names: scripts find an edit or list by its label.
  Control* FocusControl() const { return focusControl_; }
  void SetFocusControl(Control* value) { focusControl_ = value; }

 private:
  bool wordWrap_ = false;
  Control* focusControl_ = nullptr;
};

// Blue text with a hand cursor; a click runs OnClick.
class LinkLabel : public Control {
 public:
  explicit LinkLabel(Control* parent, const std::string& caption = "");
};

enum class CheckState { Unchecked, Checked, Grayed };

class CheckBox : public Control {
 public:
  explicit CheckBox(Control* parent, const std::string& caption = "");
  CheckState State() const { return state_; }
  bool Checked() const { return state_ == CheckState::Checked; }
  // Runs OnClick when the state changes, as a click would.
  void SetState(CheckState value);
  void SetChecked(bool value) { SetState(value ? CheckState::Checked : CheckState::Unchecked); }
  // Sets the state without running OnClick.
  void SetStateQuietly(CheckState value);
  bool AllowGrayed() const { return allowGrayed_; }
  void SetAllowGrayed(bool value) { allowGrayed_ = value; }
  // A user's click: unchecked -> checked -> unchecked, or for a three-state
  // box grayed -> checked -> unchecked -> grayed.
  void Click();

 private:
  CheckState state_ = CheckState::Unchecked;
  bool allowGrayed_ = false;
};

// The radio buttons of one parent form a group: checking one unchecks the others.
class RadioButton : public Control {
 public:
  explicit RadioButton(Control* parent, const std::string& caption = "");
  bool Checked() const { return checked_; }
  // Runs OnClick when the state changes.
  void SetChecked(bool value);
  void SetCheckedQuietly(bool value);
  void Click() { SetChecked(true); }

 private:
  bool checked_ = false;
};

class Edit : public Control {
 public:
  explicit Edit(Control* parent);
  const std::string& Text() const { return Caption(); }
  // Runs OnChange when the text changes.
  void SetText(const std::string& value);
  std::function<void()> OnChange;
  std::function<void()> OnDblClick;
};

// Multi-line read-only text with a vertical scroll bar (the licence).
class Memo : public Control {
 public:
  explicit Memo(Control* parent) : Control(Kind::Memo, parent) {}
  const std::string& Text() const { return Caption(); }
  void SetText(const std::string& value) { SetCaption(value); }
};

class ListBox : public Control {
 public:
  explicit ListBox(Control* parent) : Control(Kind::ListBox, parent) {}
  const std::vector<std::string>& Items() const { return items_; }
  void SetItems(const std::vector<std::string>& items);
  int ItemIndex() const { return itemIndex_; }
  void SetItemIndex(int value);
  // A user's click on an entry: selects it and runs OnClick.
  void ClickItem(int index);

 private:
  std::vector<std::string> items_;
  int itemIndex_ = -1;
};

// The small icons of a drop-down list, one per item index.
class ImageList {
 public:
  void Clear() { icons_.clear(); }
  // The shell's small icon of an executable at the index; false when the file
  // is missing or has none, and the index stays without an icon.
  bool AddExecutableIcon(int index, const std::string& path);
  bool HasIcon(int index) const;
  // The executable whose icon stands at the index; empty without one.
  std::string IconPath(int index) const { return HasIcon(index) ? icons_[static_cast<size_t>(index)] : std::string(); }
  int Width() const { return 16; }

 private:
  std::vector<std::string> icons_;
};

// An owner-drawn drop-down list of items, each with an object.
class ComboBox : public Control {
 public:
  explicit ComboBox(Control* parent) : Control(Kind::ComboBox, parent) {}
  struct Item {
    std::string text;
    void* object = nullptr;
  };
  const std::vector<Item>& Items() const { return items_; }
  void Clear();
  void AddItem(const std::string& text, void* object);
  int ItemIndex() const { return itemIndex_; }
  // Selects without running OnChange, as setting it from code does.
  void SetItemIndex(int value);
  // A user's choice: selects it and runs OnChange.
  void ChooseItem(int index);
  ImageList* Images() const { return images_; }
  void SetImages(ImageList* value) { images_ = value; }
  std::function<void()> OnChange;

 private:
  std::vector<Item> items_;
  int itemIndex_ = -1;
  ImageList* images_ = nullptr;
};

// Lines with a check mark each; a line can be disabled.
class CheckListBox : public Control {
 public:
  explicit CheckListBox(Control* parent) : Control(Kind::CheckListBox, parent) {}
  struct Line {
    std::string text;
    void* object = nullptr;
    bool checked = false;
    bool enabled = true;
  };
  const std::vector<Line>& Lines() const { return lines_; }
  void Clear();
  void AddLine(const std::string& text, void* object);
  void SetLineChecked(int index, bool value);
  void SetLineEnabled(int index, bool value);
  int ItemIndex() const { return itemIndex_; }
  void SetItemIndex(int value) { itemIndex_ = value; }
  // A user's click on a line's check mark: an enabled line toggles, becomes
  // the selected line and OnClickCheck runs; a disabled line does nothing.
  bool ToggleLine(int index);
  void Repaint() { Changed(); }
  std::function<void()> OnClickCheck;

 private:
  std::vector<Line> lines_;
  int itemIndex_ = -1;
};

// Read-only rich text: paragraphs with their colour.
class RichEdit : public Control {
 public:
  explicit RichEdit(Control* parent) : Control(Kind::RichEdit, parent) {}
  struct Paragraph {
    std::string text;
    Color color = kDefaultColor;
  };
  const std::vector<Paragraph>& Paragraphs() const { return paragraphs_; }
  void Clear();
  void BeginUpdate() { ++updating_; }
  void EndUpdate();
  // Appends a paragraph in the colour, in plain style, and scrolls to it.
  void AppendParagraph(const std::string& text, Color color);

 private:
  std::vector<Paragraph> paragraphs_;
  int updating_ = 0;
};

// A bar that fills from 0 to its maximum. One bar of a form may also show
// its progress on the form's taskbar button while the form is shown.
class ProgressBar : public Control {
 public:
  enum class State { Normal, Error };
  explicit ProgressBar(Control* parent, int maximum = 100) : Control(Kind::ProgressBar, parent), maximum_(maximum) {}
  int Maximum() const { return maximum_; }
  int Position() const { return position_; }
  // Kept within 0 and the maximum.
  void SetPosition(int value);
  State GetState() const { return state_; }
  void SetState(State value);
  bool InTaskbar() const { return inTaskbar_; }
  void SetInTaskbar(bool value);

 private:
  int maximum_;
  int position_ = 0;
  State state_ = State::Normal;
  bool inTaskbar_ = false;
};

class Image : public Control {
 public:
  // `picture` names one of the program's pictures.
  Image(Control* parent, const std::string& picture) : Control(Kind::Image, parent) { SetCaption(picture); }
};

class Bevel : public Control {
 public:
  explicit Bevel(Control* parent) : Control(Kind::Bevel, parent) {}
};

class Button : public Control {
 public:
  explicit Button(Control* parent, const std::string& caption = "", ModalResult result = ModalResult::None);
  ModalResult Result() const { return result_; }
  // A user's click: runs OnClick, then a button with a modal result closes
  // its modal form with it.
  void Click();

 private:
  ModalResult result_;
};

// A top-level window. Enter presses the default button, Esc the cancel button.
class Form : public Control {
 public:
  Form();
  ~Form() override;

  void SetClientSize(int width, int height);
  int ClientWidth() const { return clientWidth_; }
  int ClientHeight() const { return clientHeight_; }
  enum class Position { ScreenCenter, MainFormCenter };
  void SetPosition(Position value) { position_ = value; }
  Position GetPosition() const { return position_; }
  Button* DefaultButton() const { return defaultButton_; }
  void SetDefaultButton(Button* value) { defaultButton_ = value; }
  Button* CancelButton() const { return cancelButton_; }
  void SetCancelButton(Button* value) { cancelButton_ = value; }
  Control* ActiveControl() const { return activeControl_; }
  void SetActiveControl(Control* value) { activeControl_ = value; }

  bool IsShown() const { return shown_; }
  // Shows the form modeless (the main form).
  void Show();
  // Shows the form and runs its modal loop until a modal result is set.
  ModalResult ShowModal();
  ModalResult GetModalResult() const { return modalResult_; }
  void SetModalResult(ModalResult value);
  // Closes the form: a modal form ends its loop with Cancel, the main form
  // ends the program.
  void Close();
  // The keys of a dialog: Enter, Esc, and the window's close box.
  void PressEnter();
  void PressEsc();
  void CloseBox() { Close(); }
  std::function<void()> OnShow;
  std::function<void()> OnClose;

 private:
  int clientWidth_ = 0;
  int clientHeight_ = 0;
  Position position_ = Position::ScreenCenter;
  Button* defaultButton_ = nullptr;
  Button* cancelButton_ = nullptr;
  Control* activeControl_ = nullptr;
  bool shown_ = false;
  bool modal_ = false;
  ModalResult modalResult_ = ModalResult::None;
};

// The buttons of a wizard, in the order they stand.
enum class WizardButton { Start, Last, Back, Next, Finish, Cancel, Help };
inline constexpr int kWizardButtonCount = 7;
// Their captions.
const char* WizardButtonCaption(WizardButton button);

class Wizard;

class WizardPage : public Control {
 public:
  explicit WizardPage(Control* parent);
  bool Welcome() const { return welcome_; }
  void SetWelcome(bool value) { welcome_ = value; }
  // A page's enabled flag decides whether the wizard shows it at all.
  bool PageEnabled() const { return Enabled(); }
  void SetPageEnabled(bool value);
  const std::string& Title() const { return Caption(); }
  void SetTitle(const std::string& value) { SetCaption(value); }
  const std::string& Subtitle() const { return subtitle_; }
  void SetSubtitle(const std::string& value);
  bool ButtonVisible(WizardButton button) const;
  bool ButtonEnabled(WizardButton button) const;
  void SetButtonVisible(WizardButton button, bool value);
  void SetButtonEnabled(WizardButton button, bool value);

  // Before the page is shown, with the page the wizard comes from (or null).
  std::function<void(WizardPage* fromPage)> OnEnterPage;
  // After the page has been shown.
  std::function<void()> OnPage;
  std::function<void(bool& stop)> OnNextButtonClick;
  std::function<void(bool& stop)> OnFinishButtonClick;

 private:
  bool welcome_ = false;
  std::string subtitle_;
  bool visible_[kWizardButtonCount] = {false, false, true, true, false, true, false};
  bool enabled_[kWizardButtonCount] = {true, true, true, true, true, true, true};
};

class Wizard : public Control {
 public:
  explicit Wizard(Control* parent) : Control(Kind::Wizard, parent) {}
  WizardPage* AddPage() { return Add<WizardPage>(); }
  std::vector<WizardPage*> Pages() const;
  WizardPage* ActivePage() const { return active_; }
  // Shows the first enabled page.
  void Start();
  // Shows a page: its enter event, then the page, then its page event. A
  // disabled page passes on to the next enabled page after it, or the
  // nearest one before it.
  void ShowPage(WizardPage* page);
  // A user's click on one of the active page's buttons.
  void ClickButton(WizardButton button);
  // The active page became disabled: move as when it is shown.
  void ActivePageDisabled();
  std::function<void()> OnCancelButtonClick;

 private:
  WizardPage* NextEnabled(WizardPage* from) const;
  WizardPage* PriorEnabled(WizardPage* from) const;

  WizardPage* active_ = nullptr;
};

// The application: its title, its main form and the message loop.
class Application {
 public:
  static Application& Instance();
  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& value) { title_ = value; }
  Form* MainForm() const { return mainForm_; }
  // A new main form starts a new run of the message loop.
  void SetMainForm(Form* value) {
    mainForm_ = value;
    terminated_ = false;
  }
  // Runs the message loop until the main form closes; returns at once without
  // one, or when it has closed already.
  void Run();
  // Lets the backend handle what is pending (paint, clicks, keys).
  void ProcessMessages();
  // The main form closed: the loop ends.
  void Terminate() { terminated_ = true; }
  bool Terminated() const { return terminated_; }

 private:
  std::string title_;
  Form* mainForm_ = nullptr;
  bool terminated_ = false;
};

// An unattended run: nobody answers questions. A message box is not shown;
// it gets its last button (OK, No or Cancel: the answer that changes least)
// and a line on standard output says so. Set before InitializeGui.
void SetUnattended(bool value);
bool Unattended();

// Prepares the backend for the program's windows; an error text when the
// program cannot show them (the headless program with neither a script nor
// a terminal).
std::string InitializeGui();

enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgIcon { None, Information, Warning, Error, Question };
enum class MsgResult { Ok, Cancel, Yes, No };

// A message box over the active window.
MsgResult MessageBox(const std::string& text, const std::string& caption, MsgButtons buttons = MsgButtons::Ok,
                     MsgIcon icon = MsgIcon::None);

// The shell's folder browser.
struct FolderBrowser {
  std::string text;        // above the tree
  std::string folderName;  // the folder to select at first; the chosen one on return
  bool desktopRoot = true;
  bool screenCenter = true;
  int helpContext = 0;                           // 0: no Help button
  std::string extraButton;                       // an added button ("No directory"), empty for none
  std::function<void()> onExtraButton;           // its click; the browser then ends as cancelled
  std::function<void(bool& enable)> onEnableOk;  // may overrule the OK button's enabling
};
// True when a folder was chosen (in folderName, without a trailing backslash).
bool BrowseForFolder(FolderBrowser& browser);

enum class Key { Shift, Ctrl, Alt };
// Whether the key is held down now.
bool KeyDown(Key key);

void SetClipboardText(const std::string& text);
std::string ClipboardText();

}  // namespace gui
