// The base of everything on screen. An item holds the platform-neutral state (variant, identifier,
// parent, script, modified and mark flags) and forwards all platform work to one implementation
// made by the current factory. Without an implementation every forwarding operation does nothing
// and every query answers 0, false, null or the empty text, so the toolkit runs without a screen.
//
// Events travel upwards: OnEvent passes to the parent until a window or dialog handles it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "base/VString.h"

class OGTCompositItem;
class OGTContext;
class OGTEvent;
class OGTFont;
class OGTImpFactory;
class OGTItemImp;
class OGTRect;

class OGTItem {
 public:
  OGTItem();
  // Leaves the parent, then deletes the implementation after detaching it.
  virtual ~OGTItem();
  OGTItem(const OGTItem&) = delete;
  OGTItem& operator=(const OGTItem&) = delete;

  virtual int32_t Kind() const;
  // Stores the variant and the parent, asks the current factory for this kind's implementation
  // and creates it. Answers the implementation (null without a factory). Creating again replaces
  // the implementation.
  virtual OGTItemImp* Create(int32_t variant, OGTCompositItem* parent);
  virtual void SetID(int32_t id);
  virtual int32_t GetID() const;
  virtual bool HasID(int32_t id) const;
  // This item when its identifier matches, else null.
  virtual OGTItem* FindByID(int32_t id);
  virtual void SetPosition(int32_t x, int32_t y, bool redraw);
  virtual void GetPosition(int32_t& x, int32_t& y) const;
  virtual void SetSize(int32_t width, int32_t height, bool redraw);
  virtual void GetSize(int32_t& width, int32_t& height) const;
  virtual void GetBounds(OGTRect& rect) const;
  virtual void Show();
  virtual void Hide();
  virtual void Activate();
  virtual void Deactivate();
  virtual void Enable();
  virtual void Disable();
  // Shift-JIS text; null sets the empty text.
  virtual void SetText(const char* text);
  // At most size - 1 bytes, never ending inside a double-byte character, zero-terminated.
  virtual void GetText(char* buffer, size_t size) const;
  virtual void SetFont(const OGTFont& font);
  virtual void GetFont(OGTFont& font) const;
  virtual void SetValue(int32_t value);
  virtual void GetValue(int32_t& value) const;
  virtual void Draw(OGTContext* context);
  virtual void Invalidate(const OGTRect& rect);
  virtual void Invalidate();
  // This item, then every ancestor.
  virtual void InvalidateUp();
  virtual void Validate(const OGTRect& rect);
  virtual void Validate();
  virtual void Update(bool withChildren);
  virtual void ScrollContents(const OGTRect& rect, int32_t dx, int32_t dy, bool redraw);
  // Called by the platform for mouse events; the default lets the implementation handle it.
  virtual void OnMouse(OGTEvent* event);
  // A notice about a child's implementation; passed up the tree. The toolkit acts on none, a
  // platform side or an application may.
  virtual void OnChildImpNotice(OGTItem* child, int32_t notice);
  // Called by the platform for key events; the default lets the implementation decide whether
  // the native handling runs (handled = true stops it).
  virtual void OnKey(OGTEvent* event, bool& handled);
  // An event from item (this one or a descendant); the default passes it to the parent.
  virtual void OnEvent(OGTItem* item, int32_t code);
  virtual void SetScript(const VString& script);
  // Null clears the script.
  virtual void SetScript(const char* script);
  virtual uint32_t GetScriptLength() const;
  virtual void GetScript(VString& script) const;
  // At most size - 1 bytes, never ending inside a double-byte character, zero-terminated.
  virtual void GetScript(char* buffer, size_t size) const;
  virtual bool IsModified() const;
  virtual void SetModified(bool flag);
  virtual void ClearModified();
  virtual bool IsMarked() const;
  virtual void SetMarked(bool flag);
  // Clears the mark if it is set, and then redraws the item when asked.
  virtual void ClearMarked(bool redraw);
  virtual bool CanFocus() const;
  virtual void TakeFocus();

  // Queries of the implementation's state (false without one). An item drawn without a native
  // object of its own answers whether it is shown itself.
  virtual bool IsVisible() const;
  bool IsActive() const;
  bool IsEnabled() const;
  // The whole text of the item.
  std::string Text() const;

  OGTItemImp* Imp() const { return imp_.get(); }
  OGTCompositItem* Parent() const { return parent_; }
  int32_t Variant() const { return variant_; }
  const VString& Script() const { return script_; }

  // The platform deletes the implementation itself (see OGTItemImp::DeleteWithItem).
  void AbandonImp() { ownsImp_ = false; }

 protected:
  // Stores the variant and the parent and adopts a freshly made implementation (which may be
  // null), creating its native object.
  OGTItemImp* AdoptImp(int32_t variant, OGTCompositItem* parent, std::unique_ptr<OGTItemImp> imp);
  // Deletes the implementation after detaching it, unless the platform owns its deletion.
  void DropImp();

 private:
  friend class OGTCompositItem;

  std::unique_ptr<OGTItemImp> imp_;
  OGTCompositItem* parent_ = nullptr;
  int32_t variant_ = 0;
  int32_t id_ = 0;
  bool modified_ = false;
  bool marked_ = false;
  bool ownsImp_ = true;
  VString script_;
};
