// Headless windows and dialogs. Both are top-level nodes, created enabled and hidden as native
// windows are. A dialog's modal wait takes the scripted user's next actions until one of them
// makes an item event (which stops the wait), a quit is requested, or the queue runs dry (which
// throws).
#pragma once

#include <memory>
#include <string>

#include "gt/imp/OGTWindowImp.h"
#include "gt/imp/headless/OGTHeadlessImp.h"

class OGTHeadlessWindowImp : public OGTHeadlessImp<OGTWindowImp> {
 public:
  OGTHeadlessWindowImp(std::shared_ptr<OGTHeadlessScreen> screen, OGTItem* parent);
  ~OGTHeadlessWindowImp() override;

  bool IsTopLevel() const override { return true; }
  void NativeDraw(OGTContext* context) override;

  void BringToFront() override;
  void SetBackgroundImage(const char* name) override;
  bool Cut() override;
  bool Copy() override;
  bool Paste() override;
  bool Clear() override;
  bool SelectAll() override;
  OGTItem* FocusedItem() const override;

  const std::string& BackgroundImage() const { return background_; }

 private:
  std::string background_;
};

class OGTHeadlessDialogImp : public OGTHeadlessImp<OGTDialogImp> {
 public:
  OGTHeadlessDialogImp(std::shared_ptr<OGTHeadlessScreen> screen, OGTItem* parent);
  ~OGTHeadlessDialogImp() override;

  bool IsTopLevel() const override { return true; }

  // Records the dialog as seen and makes it the innermost modal one.
  void BeginModal() override;
  bool RunUntilEvent() override;
  void EndModal() override;
  void StopWaiting() override { stopped_ = true; }
  void BringToFront() override;

  bool IsModal() const { return modal_; }

 private:
  bool modal_ = false;
  bool stopped_ = false;
  OGTHeadlessNode* previousFocus_ = nullptr;
  std::weak_ptr<bool> previousAlive_;
};

// What a person sees of a window or dialog and its controls.
struct OGTSeen;
OGTSeen OGTSnapshot(OGTHeadlessNode& topLevel);
