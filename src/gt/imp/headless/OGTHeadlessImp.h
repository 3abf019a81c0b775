// The state every headless item implementation keeps, and the template that realises the item
// operations on it for each implementation interface. A node is what a person would see of one
// native control: its place, size, visibility, activation, enabling, text, value and font. Its
// native behaviour (what a press or a key does when the toolkit item lets it through) is given by
// the concrete classes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "gt/imp/OGTItemImp.h"

class OGTEvent;
class OGTHeadlessScreen;

class OGTHeadlessNode {
 public:
  // The parent item is not kept: the item tree gives the native parent when it is needed.
  OGTHeadlessNode(std::shared_ptr<OGTHeadlessScreen> screen, OGTItem* parent);
  virtual ~OGTHeadlessNode();
  OGTHeadlessNode(const OGTHeadlessNode&) = delete;
  OGTHeadlessNode& operator=(const OGTHeadlessNode&) = delete;

  virtual OGTItemImp& AsImp() = 0;
  virtual const OGTItemImp& AsImp() const = 0;
  OGTItem* NodeItem() const { return AsImp().Item(); }
  OGTHeadlessScreen& Screen() const { return *screen_; }

  // Whether this kind of control takes the keyboard focus at all.
  virtual bool Focusable() const { return false; }
  // Windows and dialogs.
  virtual bool IsTopLevel() const { return false; }
  // What a click does natively; false for controls that cannot be pressed.
  virtual bool Press() { return false; }
  // What a key does natively once the toolkit item let it through.
  virtual void NativeKey(const OGTEvent& event);
  virtual void FocusGained() {}
  virtual void FocusLost() {}
  // Draws what the platform draws by itself for this control.
  virtual void NativeDraw(OGTContext* context);

  // The nearest ancestor that has a headless node, or null.
  OGTHeadlessNode* ParentNode() const;
  // The window or dialog this node lives in (itself for a top-level node); null when detached.
  OGTHeadlessNode* TopLevel();
  // A person can reach it: it and every ancestor are visible and enabled, and no modal dialog
  // other than its own window is waiting.
  bool Reachable();
  // Shared by the node and whoever must learn that it was deleted during a callback.
  std::weak_ptr<bool> AliveToken() const { return alive_; }

  static OGTHeadlessNode* Of(const OGTItem* item);
  static OGTHeadlessNode* Of(OGTItemImp* imp);

  int32_t variant_ = 0;
  int32_t x_ = 0;
  int32_t y_ = 0;
  int32_t width_ = 0;
  int32_t height_ = 0;
  bool visible_ = false;
  bool active_ = false;
  bool enabled_ = false;
  std::string text_;
  int32_t value_ = 0;
  int32_t invalidations_ = 0;

 protected:
  std::shared_ptr<OGTHeadlessScreen> screen_;

 private:
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

// The item operations of an implementation interface realised on the node's state.
template <class Interface>
class OGTHeadlessImp : public Interface, public OGTHeadlessNode {
 public:
  using OGTHeadlessNode::OGTHeadlessNode;

  OGTItemImp& AsImp() override { return *this; }
  const OGTItemImp& AsImp() const override { return *this; }

  void Create(OGTItem* item, int32_t variant) override;
  void SetPosition(int32_t x, int32_t y, bool redraw) override;
  void GetPosition(int32_t& x, int32_t& y) const override;
  void SetSize(int32_t width, int32_t height, bool redraw) override;
  void GetSize(int32_t& width, int32_t& height) const override;
  bool IsVisible() const override;
  void Show() override;
  void Hide() override;
  bool IsActive() const override;
  void Activate() override;
  void Deactivate() override;
  bool IsEnabled() const override;
  void Enable() override;
  void Disable() override;
  void SetText(const char* text) override;
  void GetText(char* buffer, size_t size) const override;
  void SetValue(int32_t value) override;
  void GetValue(int32_t& value) const override;
  void Draw(OGTContext* context) override;
  void Invalidate(const OGTRect& rect) override;
  void InvalidateAll() override;
  void Update(bool withChildren) override;
  // Counted as an invalidation: the moved content is drawn again from the item's state.
  void ScrollContents(const OGTRect& rect, int32_t dx, int32_t dy, bool redraw) override;
  bool CanTakeFocus() const override;
  void TakeFocus() override;

 private:
  // Hiding or disabling a control takes the focus away from it and from what it holds.
  void LoseFocusWithin();
};
