// The platform side of an item. Every toolkit item forwards its platform work to one object of a
// class derived from OGTItemImp, made by the current factory. The base answers neutral values and
// does nothing, so a platform side overrides only what its widgets can do. Operations 36 to 39 are
// the way back: the platform calls them and they reach the item.
//
// Lifetime: an item deletes its implementation after clearing the implementation's back-pointer,
// so a callback that arrives during that deletion finds no item. When the platform destroys a
// native window at the user's request it calls DeleteWithItem, which deletes the toolkit item too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

class OGTContext;
class OGTEvent;
class OGTFont;
class OGTItem;
class OGTRect;

class OGTItemImp {
 public:
  OGTItemImp();
  virtual ~OGTItemImp();
  OGTItemImp(const OGTItemImp&) = delete;
  OGTItemImp& operator=(const OGTItemImp&) = delete;

  // The kind code of the interface: 32 window, 33 dialog, 12 field, and so on.
  virtual int32_t Kind() const = 0;
  // Makes the native object as a child of the parent's native object; the base stores the item.
  virtual void Create(OGTItem* item, int32_t variant);
  // Positions are relative to the parent window's client area.
  virtual void SetPosition(int32_t x, int32_t y, bool redraw);
  virtual void GetPosition(int32_t& x, int32_t& y) const;
  virtual void SetSize(int32_t width, int32_t height, bool redraw);
  virtual void GetSize(int32_t& width, int32_t& height) const;
  // (y, x, y + height, x + width) from GetPosition and GetSize.
  virtual void GetBounds(OGTRect& rect) const;
  virtual bool IsVisible() const;
  virtual void Show();
  virtual void Hide();
  virtual bool IsActive() const;
  virtual void Activate();
  virtual void Deactivate();
  virtual bool IsEnabled() const;
  virtual void Enable();
  virtual void Disable();
  // Shift-JIS text; null sets the empty text.
  virtual void SetText(const char* text);
  // At most size - 1 bytes, never ending inside a double-byte character, and a terminating zero.
  virtual void GetText(char* buffer, size_t size) const;
  // The base keeps a copy of the font (made on first use); controls also apply it natively.
  virtual void SetFont(const OGTFont& font);
  // Copies the kept font out; leaves the caller's font alone when none was set.
  virtual void GetFont(OGTFont& font) const;
  virtual void SetValue(int32_t value);
  virtual void GetValue(int32_t& value) const;
  virtual void Draw(OGTContext* context);
  virtual void Invalidate(const OGTRect& rect);
  virtual void InvalidateAll();
  virtual void Validate(const OGTRect& rect);
  virtual void ValidateAll();
  // Repaints now.
  virtual void Update(bool withChildren);
  virtual void ScrollContents(const OGTRect& rect, int32_t dx, int32_t dy, bool redraw);
  // Native handling of a mouse event the item passed on.
  virtual void HandleMouse(OGTEvent* event);
  // Native handling of a key event the item passed on; handled = true stops the native default.
  virtual void HandleKey(OGTEvent* event, bool& handled);
  virtual bool CanTakeFocus() const;
  virtual void TakeFocus();
  // The native object of a child item is adopted or released.
  virtual void ChildAdded(OGTItemImp* child, int32_t position);
  virtual void ChildRemoved(OGTItemImp* child);

  // Callbacks into the toolkit, made by the platform side.
  // On each paint, with a fresh context: the item's Draw.
  virtual void PaintCallback(OGTContext* context);
  // Button down, up, and moves while captured: the item's mouse handler.
  virtual void MouseCallback(OGTEvent* event);
  // Key down: the item's key handler; handled tells whether the native default is stopped.
  virtual void KeyCallback(OGTEvent* event, bool& handled);
  // Every item event starts here: the item's OnEvent(item, code).
  virtual void Notify(int32_t code);

  OGTItem* Item() const { return item_; }
  // Called by the item before it deletes its implementation.
  void DetachItem() { item_ = nullptr; }
  // The platform destroyed the native object at the user's request: the implementation and its
  // item are both deleted (the item leaves its parent, which a window tells with event 61).
  static void DeleteWithItem(OGTItemImp* imp);
  // The user asked to close a window (close box or menu): a window item is asked CanClose first;
  // when the close goes ahead the implementation and its item are deleted. Answers whether they
  // were.
  static bool CloseAtUserRequest(OGTItemImp* imp);

 protected:
  OGTItem* item_ = nullptr;
  std::unique_ptr<OGTFont> font_;
};
