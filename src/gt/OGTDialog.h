// A modal dialog. It records the item and code of each event from its items and tells the platform
// to stop waiting, so that a caller can run BeginModal, then WaitForEvent until the item it wants
// answers, then EndModal. It also names its default button (Return) and cancel button (Escape).
#pragma once

#include "gt/OGTWindow.h"

class OGTDialogImp;

class OGTDialog : public OGTWindow {
 public:
  OGTDialog();
  ~OGTDialog() override;

  int32_t Kind() const override;
  // Variant bit 1 (value 2): the platform centres the dialog.
  OGTItemImp* Create(int32_t variant, OGTCompositItem* parent) override;
  // Records the event, stops the wait, then passes the event up as a composite does.
  void OnEvent(OGTItem* item, int32_t code) override;
  void RemoveChild(OGTItem* child) override;

  // Clears the last event; the platform disables the owner window.
  virtual void BeginModal();
  // Clears the last event and runs the platform's event loop until an event is recorded; answers
  // its item, which may be null. Check WaitOver before waiting again.
  virtual OGTItem* WaitForEvent();
  // The platform re-enables and re-activates the owner; the last event is cleared.
  virtual void EndModal();

  OGTItem* LastEventItem() const { return lastItem_; }
  int32_t LastEventCode() const { return lastCode_; }
  // True once a wait ended without an event because none can come: there is no platform side,
  // or the application is quitting. A caller must stop waiting then, or it would never return.
  bool WaitOver() const { return waitOver_; }

  void SetDefaultButton(OGTItem* button) { defaultButton_ = button; }
  OGTItem* DefaultButton() const { return defaultButton_; }
  void SetCancelButton(OGTItem* button) { cancelButton_ = button; }
  OGTItem* CancelButton() const { return cancelButton_; }

 private:
  OGTDialogImp* DialogImp() const;
  void ClearLastEvent();

  OGTItem* lastItem_ = nullptr;
  int32_t lastCode_ = 0;
  OGTItem* defaultButton_ = nullptr;
  OGTItem* cancelButton_ = nullptr;
  bool waitOver_ = false;
};
