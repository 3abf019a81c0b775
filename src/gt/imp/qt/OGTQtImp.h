// What every Qt item implementation keeps, and the template that realises the item operations on
// a widget for each implementation interface. A node owns one widget (a form window's sub-window,
// a dialog, a control); controls are children of the client area of the nearest ancestor item that
// has a node, and every position the toolkit gives or reads is in the coordinates of the window's
// client area, whatever widget the control's native parent is.
//
// Controls start hidden and disabled, windows and dialogs hidden and enabled, as the toolkit's
// creation pattern (create, place, then enable and show) expects. Texts are kept as the Shift-JIS
// bytes the toolkit set, so that reading a text the user cannot change answers exactly those
// bytes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <QPoint>
#include <QPointer>
#include <QString>
#include <QWidget>

#include "gt/imp/OGTItemImp.h"

class OGTContext;
class OGTEvent;
class OGTQtShared;
class OGTQtSurface;
class QKeyEvent;
class QMouseEvent;
class QPainter;

class OGTQtNode {
 public:
  explicit OGTQtNode(std::shared_ptr<OGTQtShared> shared);
  // Hides the widget and hands it to the event loop for deletion.
  virtual ~OGTQtNode();
  OGTQtNode(const OGTQtNode&) = delete;
  OGTQtNode& operator=(const OGTQtNode&) = delete;

  virtual OGTItemImp& AsImp() = 0;
  OGTItem* NodeItem() { return AsImp().Item(); }
  // The outermost widget (the sub-window or dialog of a window).
  QWidget* Widget() const { return widget_; }
  // Where the widgets of child items live.
  virtual QWidget* Client() const { return widget_; }
  // The drawn surface of the item, or null for a native control.
  virtual OGTQtSurface* Surface() const { return nullptr; }
  virtual bool IsTopLevel() const { return false; }
  const std::shared_ptr<OGTQtShared>& Shared() const { return shared_; }

  // Events from the widget. Each may delete this node; nothing of it is used afterwards.
  // True when the toolkit handled the key and the widget must not.
  virtual bool KeyPressed(QKeyEvent* event);
  // A mouse event that reached the receiver; true when it is done with (drawn surfaces take
  // every mouse event).
  virtual bool MouseEvent(QWidget* receiver, QMouseEvent* event);
  virtual void FocusLost(Qt::FocusReason) {}
  // The user asked to close the widget's window.
  virtual void CloseRequested() {}
  // Return, Enter or Escape that reached a dialog; true when it acted on it.
  virtual bool DialogKey(QKeyEvent*) { return false; }
  // Draws the item into its surface's picture; the painter is in widget coordinates.
  void PaintSurface(QPainter& painter, OGTQtSurface* surface);
  // Shared by the node and whoever must learn that it was deleted during a callback.
  std::weak_ptr<bool> AliveToken() const { return alive_; }

  static OGTQtNode* Of(const OGTItem* item);
  static OGTQtNode* Of(OGTItemImp* imp);
  static OGTQtNode* OfWidget(QWidget* widget);

 protected:
  // Takes the widget as this node's own and links it.
  void Adopt(QWidget* widget);
  // Links a further widget (a window's client area) to this node.
  void Link(QWidget* widget);
  // Draws what the item shows on its surface through the context of a paint.
  virtual void PaintItems(OGTContext* context);
  // Windows and dialogs: items without a platform side of their own (composites such as image
  // fields) lie on the client surface. The window draws them after itself and gives them the
  // mouse events that fall on them.
  void PaintWithOwnerless(OGTContext* context);
  bool MouseWithOwnerless(QWidget* receiver, QMouseEvent* event);
  // The native parent of a new control: the client of the nearest ancestor item with a node.
  QWidget* ParentClient() const;
  // The mouse position in window coordinates.
  QPoint MouseInWindow() const;
  // A drawing context for an event, on the item's surface or else on its window's client.
  std::unique_ptr<OGTContext> EventContext();
  // The toolkit's record of a mouse event that reached the receiver; false when the toolkit
  // does not take it. A press soon after a single press near the same place is a double click;
  // the moves and the release that follow a press have its count.
  bool TranslateMouse(QWidget* receiver, QMouseEvent* event, OGTEvent& out);

  std::shared_ptr<OGTQtShared> shared_;

 private:
  QPointer<QWidget> widget_;
  std::vector<QPointer<QWidget>> linked_;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  uint64_t lastPress_ = 0;
  QPoint lastPressAt_;
  bool lastPressSingle_ = false;
  bool secondPressSeen_ = false;
  int16_t pressCount_ = 1;
};

template <class Interface>
class OGTQtImp : public Interface, public OGTQtNode {
 public:
  using OGTQtNode::OGTQtNode;

  OGTItemImp& AsImp() override { return *this; }

  // Makes the widget (Build) as a child of the parent's client, hidden and disabled.
  void Create(OGTItem* item, int32_t variant) override;
  void SetPosition(int32_t x, int32_t y, bool redraw) override;
  void GetPosition(int32_t& x, int32_t& y) const override;
  void SetSize(int32_t width, int32_t height, bool redraw) override;
  void GetSize(int32_t& width, int32_t& height) const override;
  bool IsVisible() const override;
  void Show() override;
  void Hide() override;
  bool IsActive() const override { return active_; }
  void Activate() override { active_ = true; }
  void Deactivate() override { active_ = false; }
  bool IsEnabled() const override;
  void Enable() override;
  void Disable() override;
  void SetText(const char* text) override;
  void GetText(char* buffer, size_t size) const override;
  void SetFont(const OGTFont& font) override;
  void SetValue(int32_t value) override { value_ = value; }
  void GetValue(int32_t& value) const override { value = value_; }
  void Draw(OGTContext* context) override { NativeDraw(context); }
  void Invalidate(const OGTRect& rect) override;
  void InvalidateAll() override;
  void Update(bool withChildren) override;
  void ScrollContents(const OGTRect& rect, int32_t dx, int32_t dy, bool redraw) override;
  bool CanTakeFocus() const override;
  void TakeFocus() override;
  void ChildAdded(OGTItemImp* child, int32_t position) override;

 protected:
  // Makes the widget under the native parent (which may be null).
  virtual QWidget* Build(QWidget* parent) = 0;
  virtual void ApplyText(const QString&) {}
  // What the platform draws itself for drawn controls, through the item's context.
  virtual void NativeDraw(OGTContext*) {}
  // The bounds in window coordinates.
  OGTRect Bounds() const;

  int32_t variant_ = 0;
  std::string text_;
  int32_t value_ = 0;
  bool active_ = false;
};
