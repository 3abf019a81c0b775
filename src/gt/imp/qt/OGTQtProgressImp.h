// The Qt progress window: a small dialog over the main frame, modal for the whole application,
// with the text, a bar of the share done (moving on its own when the share is not known) and,
// when the work can be stopped, a cancel button. The work runs on the event loop's thread, so
// each update lets Qt draw the window and take the person's input there; while it shows the other
// windows take no input, so only its button (or Escape, or its close box) can act, and each of
// those asks for a cancel. A window that cannot be cancelled ignores them.
#pragma once

#include <memory>

#include <QPointer>
#include <QWidget>

#include "gt/imp/OGTProgressImp.h"

class OGTQtShared;
class OGTQtProgressDialog;

class OGTQtProgressImp : public OGTProgressImp {
 public:
  explicit OGTQtProgressImp(std::shared_ptr<OGTQtShared> shared);
  ~OGTQtProgressImp() override;

  void Open(const char* title, bool cancellable) override;
  void Update(const char* text, int32_t perMille) override;
  bool CancelRequested() override;
  void Close() override;

  // The window while it is open (for tests), or null.
  QWidget* Window() const;

 private:
  std::shared_ptr<OGTQtShared> shared_;
  QPointer<OGTQtProgressDialog> dialog_;
};
