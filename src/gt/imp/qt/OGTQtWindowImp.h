// Qt windows and dialogs.
//
// A form window is a sub-window of the main frame's multiple-document area (a top-level window
// when the factory has no area). Variant 0 is resizable with a caption and the system menu, 1 has
// a fixed size with a caption and the system menu, 2 and above a fixed size with a caption only.
// Its position is its place in the area, counted from the area's origin however far the area is
// scrolled; its size is the size of its client area (the frame is added around it). The close box
// asks the toolkit window's CanClose; when the close goes ahead the window's implementation and
// item are deleted.
//
// A dialog is a top-level window over the main frame, its size fixed to its client area. Variant
// bit 1 centres it over the main frame whenever its position is set (and again when its size is
// set afterwards, so that it ends up centred). Modal, it blocks input to every other window; its
// wait runs a nested event loop that ends when the toolkit stops waiting or when the application
// quits (the quit is then posted again for the loop outside, and no further wait starts). Return
// presses the toolkit dialog's default button and Escape or the close box its cancel button; a
// dialog without a cancel button that is not modal closes like a window.
#pragma once

#include <QImage>
#include <QMdiSubWindow>
#include <QPointer>

#include "gt/imp/OGTWindowImp.h"
#include "gt/imp/qt/OGTQtImp.h"
#include "gt/imp/qt/OGTQtWidgets.h"

class QEventLoop;

class OGTQtWindowImp : public OGTQtImp<OGTWindowImp> {
 public:
  using OGTQtImp::OGTQtImp;

  void Create(OGTItem* item, int32_t variant) override;
  QWidget* Client() const override;
  OGTQtSurface* Surface() const override;
  bool IsTopLevel() const override { return true; }

  void SetPosition(int32_t x, int32_t y, bool redraw) override;
  void GetPosition(int32_t& x, int32_t& y) const override;
  void SetSize(int32_t width, int32_t height, bool redraw) override;
  void GetSize(int32_t& width, int32_t& height) const override;
  bool IsActive() const override;
  void Activate() override;
  void InvalidateAll() override;
  void Update(bool withChildren) override;

  void BringToFront() override;
  void SetBackgroundImage(const char* name) override;
  bool Cut() override;
  bool Copy() override;
  bool Paste() override;
  bool Clear() override;
  bool SelectAll() override;
  OGTItem* FocusedItem() const override;

  bool MouseEvent(QWidget* receiver, QMouseEvent* event) override;
  void CloseRequested() override;

 protected:
  QWidget* Build(QWidget*) override { return nullptr; }
  void ApplyText(const QString& text) override;
  void NativeDraw(OGTContext* context) override;
  // The window, then the items without a platform side of their own that lie on its surface.
  void PaintItems(OGTContext* context) override;

 private:
  class OGTFieldImp* FocusedField() const;
  // A focused item that keeps its own text (a styled-text item), or null.
  class OGTSelectedText* FocusedText() const;
  // How far the area is scrolled: a position in the area is the widget's place plus this.
  QPoint AreaScroll() const;

  QPointer<QMdiSubWindow> sub_;
  QPointer<OGTQtSurface> client_;
  QImage background_;
};

class OGTQtDialogImp : public OGTQtImp<OGTDialogImp> {
 public:
  using OGTQtImp::OGTQtImp;
  ~OGTQtDialogImp() override;

  void Create(OGTItem* item, int32_t variant) override;
  QWidget* Client() const override;
  OGTQtSurface* Surface() const override;
  bool IsTopLevel() const override { return true; }

  void SetPosition(int32_t x, int32_t y, bool redraw) override;
  void SetSize(int32_t width, int32_t height, bool redraw) override;
  void GetPosition(int32_t& x, int32_t& y) const override;
  void GetSize(int32_t& width, int32_t& height) const override;
  bool IsActive() const override;
  void Activate() override;
  void InvalidateAll() override;
  void Update(bool withChildren) override;

  void BeginModal() override;
  bool RunUntilEvent() override;
  void EndModal() override;
  void StopWaiting() override;
  void BringToFront() override;

  bool MouseEvent(QWidget* receiver, QMouseEvent* event) override;
  void CloseRequested() override;
  bool DialogKey(QKeyEvent* event) override;

  bool IsModal() const { return modal_; }

 protected:
  QWidget* Build(QWidget*) override { return nullptr; }
  void ApplyText(const QString& text) override;
  void PaintItems(OGTContext* context) override;

 private:
  void Centre();
  // Presses the toolkit button natively; false when it cannot be pressed.
  static bool Press(OGTItem* button);

  QPointer<OGTQtSurface> client_;
  QPointer<QWidget> previousFocus_;
  QEventLoop* loop_ = nullptr;
  bool modal_ = false;
  bool stopped_ = false;
  bool centred_ = false;
};
