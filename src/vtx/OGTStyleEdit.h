// The styled-text item (kind 23): it shows and edits styled text on a surface of its own, through
// the styled-text engine (VtxEdit), which it makes when it first needs it together with the drawing
// context the engine measures with. Text comes in and goes out as markup.
//
// Geometry: an item taller than kBarThreshold units has a vertical scroll bar at its right edge
// (when the platform makes scroll bars); the text area is the rest, inset by kInset units; lines
// are broken to the text area's width less twice the engine's margin. The bar scrolls by kLineStep
// units per line and by the text area's height per page.
//
// Keys: Return and Enter send event 21 to the form, Tab 72 (71 with Shift); the arrows move the
// caret (Shift extends the selection); Backspace deletes the selection or the character before the
// caret and Delete the one after it; a typed character replaces the selection. A "<" is refused
// with the alert sound: the markup has no way to keep it as text. Other control keys are left to
// the platform.
//
// Mouse: a press in the text places the caret (Shift extends the selection), the release ends the
// selection there; a press on the bar is the bar's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "gt/OGTCompositItem.h"
#include "gt/OGTGraphics.h"
#include "gt/OGTSelectedText.h"

class OGTContext;
class OGTScrollBar;
class VtxEdit;

class OGTStyleEdit : public OGTCompositItem, public OGTSelectedText {
 public:
  static constexpr int32_t kLineStep = 15;
  static constexpr int32_t kBarThreshold = 32;
  static constexpr int32_t kInset = 2;
  static constexpr OGTColor kBackColor = colorWhite;
  static constexpr OGTColor kFrameColor = colorGray;
  // Answers of HitTest.
  static constexpr int32_t kHitOutside = -1;
  static constexpr int32_t kHitText = 0;
  static constexpr int32_t kHitContent = 1;
  static constexpr int32_t kHitBar = 2;

  OGTStyleEdit();
  ~OGTStyleEdit() override;

  int32_t Kind() const override;
  // Makes the item's surface.
  OGTItemImp* Create(int32_t variant, OGTCompositItem* parent) override;
  void SetPosition(int32_t x, int32_t y, bool redraw) override;
  void SetSize(int32_t width, int32_t height, bool redraw) override;
  // The item's text is its markup: setting it loads the markup.
  void SetText(const char* text) override;
  // The plain text, at most size - 1 bytes, never ending inside a double-byte character.
  void GetText(char* buffer, size_t size) const override;
  // The base font the runs' styles apply to.
  void SetFont(const OGTFont& font) override;
  // Background, frame, then the text; the context's clip is restored afterwards.
  void Draw(OGTContext* context) override;
  void OnMouse(OGTEvent* event) override;
  void OnKey(OGTEvent* event, bool& handled) override;
  // Events of its own bar scroll the text; others go up.
  void OnEvent(OGTItem* item, int32_t code) override;
  void RemoveChild(OGTItem* child) override;

  // OGTSelectedText.
  bool SelectedText(std::string* text) const override;
  bool ReplaceSelectedText(std::string_view text) override;
  bool DeleteSelectedText() override;
  bool SelectWholeText() override;

  // Replaces everything (text, runs, selection, marks, scrolling) with the markup; redraws, and
  // with redraw brings the scroll bar up to date as well.
  virtual void SetMarkup(const char* bytes, size_t length, bool redraw);
  // A zero-terminated markup; null is the empty one.
  virtual void SetMarkup(const char* text, bool redraw);
  // At most size - 1 bytes of the markup, never ending inside a double-byte character, and a
  // terminating zero; length receives the bytes copied.
  virtual void GetMarkup(char* buffer, size_t size, size_t* length) const;
  virtual size_t MarkupLength() const;
  // The text between two offsets (ordered; nothing for a range that is empty or starts beyond the
  // text), at most size - 1 bytes, zero-terminated.
  virtual void GetTextRange(int64_t from, int64_t to, char* buffer, size_t size) const;
  virtual uint32_t TextLength() const;
  // Offsets are clamped to the text and never split a double-byte character.
  virtual void SetSelection(int64_t start, int64_t end);
  virtual void SelectAllText();
  virtual void GetSelection(uint32_t* start, uint32_t* end) const;
  virtual uint32_t SelectionLength() const;
  virtual void MarkWord(std::string_view word);
  virtual void ClearWordMarks();
  virtual int32_t MarkCount() const;
  // False outside 0 .. count - 1.
  virtual bool GetMark(int32_t index, uint32_t* start, uint32_t* end) const;

  // Typing: the selection is replaced by whole characters; false when nothing was taken.
  virtual bool TypeText(std::string_view bytes);
  // kHitText, kHitContent (inside the item, off the text area but not on the bar), kHitBar or
  // kHitOutside.
  virtual int32_t HitTest(const OGTPoint& point) const;
  // The bounds less the bar.
  virtual void ContentRect(OGTRect& rect) const;
  // The content inset by kInset.
  virtual void TextArea(OGTRect& rect) const;
  // Scrolls the text so that y is at the text area's top (clamped); the bar follows.
  virtual void ScrollTo(int32_t y);
  virtual int32_t ScrollPosition() const;
  // Provides or drops the bar for the item's height, places it, and lays the text out for the
  // text area.
  virtual void Relayout();

  std::string Markup() const;
  // The engine, made (with the context it measures with) on first use.
  VtxEdit& Engine();
  const VtxEdit* EngineIfMade() const { return edit_.get(); }
  OGTScrollBar* VerticalBar() const { return bar_; }

 protected:
  // The user changed the text: it is modified, laid out, scrolled to the caret and redrawn.
  void AfterUserEdit();

 private:
  // The caret and selection moved: scroll to the caret and redraw.
  void AfterMove();
  void UpdateBar();
  bool HasFocus() const;
  void OnBar(OGTScrollBar* bar, int32_t code);

  std::unique_ptr<OGTContext> context_;
  std::unique_ptr<VtxEdit> edit_;
  OGTScrollBar* bar_ = nullptr;
  bool pressForeign_ = false;
};
