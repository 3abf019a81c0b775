// Platform interfaces of the two kinds of top-level items: windows (kind 32) and dialogs (kind 33).
// The base bodies answer neutral values, so a platform side without windows still runs the
// toolkit: a dialog without a platform side cannot wait and says so.
#pragma once

#include "gt/imp/OGTItemImp.h"

class OGTWindowImp : public OGTItemImp {
 public:
  int32_t Kind() const override;
  virtual void BringToFront();
  // An image file (portable path) drawn at (0, 0) in its natural size behind the window's items;
  // a null or empty name removes it.
  virtual void SetBackgroundImage(const char* name);
  // Clipboard commands on the focused item; false when nothing was done.
  virtual bool Cut();
  virtual bool Copy();
  virtual bool Paste();
  virtual bool Clear();
  virtual bool SelectAll();
  // The item whose native control has the focus inside this window, or null.
  virtual OGTItem* FocusedItem() const;
};

// A dialog runs modally: BeginModal disables the owner, RunUntilEvent runs the platform's event
// loop in place until StopWaiting is called, EndModal re-enables and re-activates the owner.
class OGTDialogImp : public OGTItemImp {
 public:
  int32_t Kind() const override;
  virtual void BeginModal();
  // True when StopWaiting ended the wait. False when no further event can come: the application
  // is quitting (the quit request is kept for the outer loop) or there is no event loop at all.
  virtual bool RunUntilEvent();
  virtual void EndModal();
  virtual void StopWaiting();
  virtual void BringToFront();
};
