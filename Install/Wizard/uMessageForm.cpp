// The message window: a word-wrapping text, "Close" and "Copy to Clipboard".
#include "Wizard/uMessageForm.h"

TfMessageForm::TfMessageForm() {
  SetCaption("Message");
  SetClientSize(401, 161);
  SetPosition(Position::MainFormCenter);
  lblMessage = Add<gui::Label>();
  lblMessage->SetWordWrap(true);
  lblMessage->SetBounds(8, 8, 385, 112);
  btnCopyToClipbrd = Add<gui::Button>("Copy to Clipboard");
  btnCopyToClipbrd->SetBounds(8, 128, 113, 25);
  btnCopyToClipbrd->OnClick = [this] { btnCopyToClipbrdClick(); };
  btnClose = Add<gui::Button>("Close", gui::ModalResult::Close);
  btnClose->SetBounds(318, 128, 75, 25);
  SetDefaultButton(btnClose);
  SetCancelButton(btnClose);
}

void TfMessageForm::btnCopyToClipbrdClick() { gui::SetClipboardText(lblMessage->Caption()); }

void ShowMessageForm(const std::string& ACaption, const std::string& AMessage) {
  TfMessageForm form;
  form.SetCaption(ACaption);
  form.lblMessage->SetCaption(AMessage);
  form.ShowModal();
}
