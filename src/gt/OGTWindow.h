// A top-level item: a form window. It handles the focus events 71 and 72 of its items and passes
// no event further up; when it is deleted it tells its parent with event 61 before deleting its
// children. Focus moves only among the window's direct children, in child order.
#pragma once

#include <memory>

#include "gt/OGTCompositItem.h"

class OGTWindowImp;

class OGTWindow : public OGTCompositItem {
 public:
  OGTWindow();
  ~OGTWindow() override;

  int32_t Kind() const override;
  // Variant 0: resizable with caption and system menu; 1: fixed size with caption and system
  // menu; 2 and above: caption only.
  OGTItemImp* Create(int32_t variant, OGTCompositItem* parent) override;
  // Shows the window, then focuses its first focusable child.
  void Show() override;
  // 71 focuses the previous item, 72 the next; nothing goes further up.
  void OnEvent(OGTItem* item, int32_t code) override;

  // When the implementation is a window or a dialog.
  virtual void BringToFront();
  // Asked before the platform closes the window at the user's request.
  virtual bool CanClose();
  // Clipboard commands on the focused item of a plain or database window; false otherwise.
  virtual bool Cut();
  virtual bool Copy();
  virtual bool Paste();
  virtual bool Clear();
  virtual bool SelectAll();
  // The focused item of a plain or database window; null otherwise.
  virtual OGTItem* FocusedItem() const;
  // The first child in order that can take the focus takes it; answers whether one did.
  virtual bool FocusFirst();
  // From the focused child onwards (backwards), wrapping round; see the .cpp.
  virtual bool FocusNext(bool backward);

  // The background image file (portable path); null or empty removes it.
  void SetImageName(const char* name);
  // Null when there is no background image.
  const VString* ImageName() const { return imageName_.get(); }
  void SetUpdateScript(const char* script);
  void SetUpdateScript(const VString& script) { updateScript_ = script; }
  const VString& UpdateScript() const { return updateScript_; }

 protected:
  // The implementation when it is a window's (kind 32), else null.
  OGTWindowImp* WindowImp() const;

 private:
  std::unique_ptr<VString> imageName_;
  VString updateScript_;
};
