#include "gt/OGTDialog.h"

#include <gtest/gtest.h>

#include <memory>

#include "Sjis.h"
#include "gt/OGTButton.h"
#include "gt/OGTEvent.h"
#include "gt/OGTField.h"
#include "gt/OGTMessageBox.h"
#include "gt/imp/headless/OGTHeadlessFactory.h"

namespace {

class DialogTest : public ::testing::Test {
 protected:
  // A dialog with a field and two buttons, as a form of type 2 would build it.
  DialogTest() : dialog_(std::make_unique<OGTDialog>()) {
    dialog_->Create(0, nullptr);
    dialog_->SetText("Form");
    field_ = Add<OGTField>(1, "");
    ok_ = Add<OGTButton>(2, "OK");
    cancel_ = Add<OGTButton>(3, "Cancel");
    dialog_->SetDefaultButton(ok_);
    dialog_->SetCancelButton(cancel_);
    dialog_->Show();
  }

  template <class T>
  T* Add(int32_t id, const char* text) {
    auto* item = new T;
    item->Create(0, dialog_.get());
    dialog_->AddChild(std::unique_ptr<OGTItem>(item), -1);
    item->SetID(id);
    item->SetText(text);
    item->Enable();
    item->Show();
    return item;
  }

  OGTHeadlessFactory factory_;
  std::unique_ptr<OGTDialog> dialog_;
  OGTField* field_;
  OGTButton* ok_;
  OGTButton* cancel_;
};

TEST_F(DialogTest, WaitRecordsEveryEventAndCallersKeepWaiting) {
  OGTHeadlessUser& user = factory_.User();
  user.ThenType("abc").ThenKey(kOGTKeyTab).ThenPressID(2);
  dialog_->BeginModal();
  EXPECT_EQ(factory_.Screen().ModalStack().size(), 1u);
  // Typing makes no event; Tab is the dialog's own key and moves to the OK button, which
  // makes the field report its change.
  EXPECT_EQ(dialog_->WaitForEvent(), field_);
  EXPECT_EQ(dialog_->LastEventCode(), kOGTEventChanged);
  EXPECT_EQ(dialog_->WaitForEvent(), ok_);
  EXPECT_EQ(dialog_->LastEventCode(), kOGTEventButtonPressed);
  dialog_->EndModal();
  EXPECT_EQ(dialog_->LastEventItem(), nullptr);
  EXPECT_FALSE(dialog_->IsVisible());
  EXPECT_TRUE(factory_.Screen().ModalStack().empty());
  EXPECT_EQ(field_->Text(), "abc");
}

TEST_F(DialogTest, TheCloseBoxOfAModalDialogPressesCancel) {
  factory_.User().ThenClose();
  dialog_->BeginModal();
  EXPECT_EQ(dialog_->WaitForEvent(), cancel_);
  dialog_->EndModal();

  dialog_->SetCancelButton(nullptr);  // without a cancel button the close box does nothing
  factory_.User().ThenClose().ThenPress("OK");
  dialog_->Show();  // the end of the last wait hid it
  dialog_->BeginModal();
  EXPECT_EQ(dialog_->WaitForEvent(), ok_);
  dialog_->EndModal();
}

TEST_F(DialogTest, AMessageBoxInsideAWaitTakesTheNextSteps) {
  bool answer = false;
  // The inner box is shown from a step of the outer wait, as a script run by a button would.
  factory_.User()
      .ThenDo("ask inside", [&](OGTDialog&) { answer = AskYesNo("inner?"); })
      .ThenPress(Sj("はい"))
      .ThenPress("Cancel");
  dialog_->BeginModal();
  EXPECT_EQ(dialog_->WaitForEvent(), cancel_);
  dialog_->EndModal();
  EXPECT_TRUE(answer);
  ASSERT_EQ(factory_.Screen().Seen().size(), 2u);
  EXPECT_EQ(factory_.Screen().Seen()[0].title, "Form");
  EXPECT_EQ(factory_.Screen().Seen()[1].title, Sj("質問..."));
}

TEST_F(DialogTest, RemovedButtonsAreForgotten) {
  dialog_->RemoveChild(ok_);
  EXPECT_EQ(dialog_->DefaultButton(), nullptr);
  delete ok_;
  factory_.User().ThenKey(kOGTKeyReturn).ThenKey(kOGTKeyEscape);
  dialog_->BeginModal();
  // Return finds no default button and reaches the field, which sends 21.
  EXPECT_EQ(dialog_->WaitForEvent(), field_);
  EXPECT_EQ(dialog_->LastEventCode(), kOGTEventReturn);
  EXPECT_EQ(dialog_->WaitForEvent(), cancel_);
  dialog_->EndModal();
}

TEST(OGTDialogWithoutFactory, WaitIsOverAtOnce) {
  ASSERT_EQ(OGTImpFactory::Current(), nullptr);
  OGTDialog dialog;
  dialog.Create(2, nullptr);
  dialog.BeginModal();
  EXPECT_FALSE(dialog.WaitOver());
  EXPECT_EQ(dialog.WaitForEvent(), nullptr);
  EXPECT_TRUE(dialog.WaitOver());  // a caller looping on events would otherwise never return
  dialog.EndModal();
}

}  // namespace
