#include "gt/OGTMessageBox.h"

#include <memory>
#include <string>

#include "base/VString.h"
#include "gt/OGTButton.h"
#include "gt/OGTDialog.h"
#include "gt/OGTEvent.h"
#include "gt/OGTField.h"
#include "gt/OGTLabel.h"
#include "gt/OGTSound.h"
#include "gt/OGTTexts.h"

namespace {

bool IsGiven(const char* text) { return text != nullptr && text[0] != 0; }

std::unique_ptr<OGTDialog> MakeDialog(int32_t variant, int32_t width, int32_t height,
                                      OGTTextId title) {
  auto dialog = std::make_unique<OGTDialog>();
  dialog->Create(variant, nullptr);
  dialog->SetPosition(100, 100, true);
  dialog->SetSize(width, height, true);
  dialog->SetText(OGTText(title).c_str());
  return dialog;
}

// Creates a control in the dialog and places it; the dialog owns it from then on.
template <class Control>
Control* AddControl(OGTDialog& dialog, int32_t x, int32_t y, int32_t width, int32_t height,
                    const char* text) {
  auto control = std::make_unique<Control>();
  control->Create(0, &dialog);
  Control* placed = control.get();
  dialog.AddChild(std::move(control), -1);
  placed->SetPosition(x, y, true);
  placed->SetSize(width, height, true);
  placed->SetText(text);
  placed->Activate();
  placed->Enable();
  placed->Show();
  return placed;
}

// Shows the dialog modally until one of the two buttons is pressed; null when no event can come.
OGTItem* RunModal(OGTDialog& dialog, const OGTItem* first, const OGTItem* second) {
  dialog.Show();
  dialog.BeginModal();
  OGTItem* answer = nullptr;
  while (answer == nullptr && !dialog.WaitOver()) {
    OGTItem* item = dialog.WaitForEvent();
    if (item != nullptr && (item == first || item == second) &&
        dialog.LastEventCode() == kOGTEventButtonPressed) {
      answer = item;
    }
  }
  dialog.EndModal();
  return answer;
}

}  // namespace

void ShowMessage(const char* text, const char* buttonCaption, bool beep) {
  if (beep) Beep();
  std::unique_ptr<OGTDialog> dialog = MakeDialog(2, 350, 129, kOGTTextConfirmTitle);
  AddControl<OGTLabel>(*dialog, 10, 10, 330, 45, text);
  auto* button = AddControl<OGTButton>(
      *dialog, 257, 92, 80, 22,
      IsGiven(buttonCaption) ? buttonCaption : OGTText(kOGTTextAgree).c_str());
  button->SetDefault(true);
  dialog->SetDefaultButton(button);
  dialog->SetCancelButton(button);
  RunModal(*dialog, button, nullptr);
}

bool AskYesNo(const char* text, const char* yesCaption, const char* noCaption) {
  std::unique_ptr<OGTDialog> dialog = MakeDialog(2, 350, 129, kOGTTextQuestionTitle);
  AddControl<OGTLabel>(*dialog, 10, 10, 330, 45, text);
  auto* yes = AddControl<OGTButton>(
      *dialog, 257, 92, 80, 22, IsGiven(yesCaption) ? yesCaption : OGTText(kOGTTextYes).c_str());
  auto* no = AddControl<OGTButton>(*dialog, 10, 92, 80, 22,
                                   IsGiven(noCaption) ? noCaption : OGTText(kOGTTextNo).c_str());
  yes->SetDefault(true);
  dialog->SetDefaultButton(yes);
  dialog->SetCancelButton(no);
  return RunModal(*dialog, yes, no) == yes;
}

void ShowError(int32_t code, const char* message) {
  std::string text = OGTText(kOGTTextErrorPrefix) + std::to_string(code);
  if (IsGiven(message)) {
    text += '\r';
    text += message;
  }
  ShowMessage(text.c_str(), nullptr, true);
}

bool AskText(const char* prompt, VString& result, const char* initialText, bool withExample) {
  int32_t height = withExample ? 312 : 160;
  int32_t buttonY = withExample ? 274 : 122;
  std::unique_ptr<OGTDialog> dialog = MakeDialog(1, 430, height, kOGTTextFindTitle);
  AddControl<OGTLabel>(*dialog, 10, 10, 410, 30, prompt);
  auto* field = AddControl<OGTField>(*dialog, 10, 40, 410, 70, initialText);
  // The answer keeps kAskTextLimit bytes; the limit stops the user from typing more than that.
  field->SetTextLimit(kAskTextLimit);
  if (withExample) {
    AddControl<OGTLabel>(*dialog, 10, 115, 410, 150, OGTText(kOGTTextQueryExample).c_str());
  }
  auto* run = AddControl<OGTButton>(*dialog, 337, buttonY, 80, 23, OGTText(kOGTTextRun).c_str());
  auto* cancel =
      AddControl<OGTButton>(*dialog, 10, buttonY, 80, 23, OGTText(kOGTTextCancel).c_str());
  run->SetDefault(true);
  dialog->SetDefaultButton(run);
  dialog->SetCancelButton(cancel);
  if (RunModal(*dialog, run, cancel) != run) return false;
  char buffer[kAskTextLimit + 1];
  field->GetText(buffer, sizeof buffer);
  result = buffer;
  return true;
}
