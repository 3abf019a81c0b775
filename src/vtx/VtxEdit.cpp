// The engine's text model: content, editing, selection, word marks, caret and mouse. Layout,
// points and drawing are in VtxEditLayout.cpp.
#include "vtx/VtxEdit.h"

#include <algorithm>

#include "base/VSjis.h"
#include "gt/OGTEvent.h"
#include "vtx/VtxMarkup.h"
#include "vtx/VtxTags.h"

namespace {

const uint8_t* Bytes(const std::string& text) {
  return reinterpret_cast<const uint8_t*>(text.data());
}

// Whether the text holds the word at pos, character by character: single bytes without regard to
// letter case, double-byte characters exactly. A match always ends on a character boundary.
bool WordAt(const std::string& text, size_t pos, std::string_view word) {
  const auto* t = Bytes(text);
  const auto* w = reinterpret_cast<const uint8_t*>(word.data());
  size_t i = pos;
  size_t j = 0;
  while (j < word.size()) {
    if (i >= text.size()) return false;
    const size_t tn = VCharLength(t, text.size(), i);
    const size_t wn = VCharLength(w, word.size(), j);
    if (tn != wn) return false;
    if (tn == 2) {
      if (t[i] != w[j] || t[i + 1] != w[j + 1]) return false;
    } else if (VToUpper(t[i]) != VToUpper(w[j])) {
      return false;
    }
    i += tn;
    j += wn;
  }
  return true;
}

// The bytes without a last lead byte that has lost its second byte.
std::string_view WholeChars(std::string_view bytes) {
  const auto* b = reinterpret_cast<const uint8_t*>(bytes.data());
  size_t i = 0;
  while (i < bytes.size()) {
    if (VIsLeadByte(b[i]) && i + 1 == bytes.size()) return bytes.substr(0, i);
    i += VCharLength(b, bytes.size(), i);
  }
  return bytes;
}

}  // namespace

VtxEdit::VtxEdit() { Layout(nullptr); }

VtxEdit::~VtxEdit() = default;

// ---- content ----

void VtxEdit::Clear() {
  text_.clear();
  runs_.Clear();
  cursor_ = VtxCursor();
  styles_.Clear();
  styleChanged_ = false;
  markedWords_.clear();
  marks_.clear();
  marked_.clear();
  scroll_ = OGTPoint();
  caretX_ = 0;
  Layout(context_);
}

size_t VtxEdit::SetMarkup(const uint8_t* bytes, size_t length) {
  Clear();
  const size_t read = VtxReadMarkup(bytes, length, this);
  // The tags left open by broken-off markup do not style what is typed later.
  styles_.Clear();
  styleChanged_ = false;
  Layout(context_);
  return read;
}

std::string VtxEdit::Markup() const {
  std::string out;
  VtxWriteMarkup(text_, runs_, &out);
  return out;
}

std::string VtxEdit::TextRange(uint32_t from, uint32_t to) const {
  if (from > to) std::swap(from, to);
  from = Boundary(std::min(from, TextLength()));
  to = Boundary(std::min(to, TextLength()));
  return text_.substr(from, to - from);
}

void VtxEdit::PushStyle(int16_t kind, std::string_view value) {
  // A level that leaves the style as it was (an unknown tag, or one beyond the style's cap) is no
  // change of style.
  if (styles_.Push(kind, value, kind != kVtxTagUnknown)) styleChanged_ = true;
}

void VtxEdit::PopStyle() {
  if (styles_.Pop()) styleChanged_ = true;
}

// ---- editing ----

uint32_t VtxEdit::Boundary(uint32_t offset) const {
  if (offset >= text_.size()) return TextLength();
  // Line starts are boundaries; without current lines the walk starts at the text's start.
  uint32_t from = 0;
  if (laidOut_ && !lines_.empty()) from = lines_[LineOf(offset)].start;
  if (from > offset) from = 0;
  uint32_t at = from;
  while (at < offset) {
    const uint32_t next = at + static_cast<uint32_t>(VCharLength(Bytes(text_), text_.size(), at));
    if (next > offset) break;
    at = next;
  }
  return at;
}

uint32_t VtxEdit::NextChar(uint32_t offset) const {
  if (offset >= text_.size()) return TextLength();
  return offset + static_cast<uint32_t>(VCharLength(Bytes(text_), text_.size(), offset));
}

uint32_t VtxEdit::PrevChar(uint32_t offset) const {
  if (offset == 0) return 0;
  return Boundary(offset - 1);
}

bool VtxEdit::InsertText(uint32_t offset, std::string_view bytes, bool layout) {
  if (offset > text_.size()) return false;
  bytes = WholeChars(bytes);
  if (bytes.empty()) return true;
  if (bytes.size() > kMaxText - text_.size()) return false;
  offset = Boundary(offset);
  const auto length = static_cast<uint32_t>(bytes.size());
  runs_.Insert(offset, length, styleChanged_ ? &styles_.Flatten() : nullptr);
  styleChanged_ = false;
  text_.insert(offset, bytes);
  auto shift = [&](uint32_t at) { return at > offset ? at + length : at; };
  cursor_.Set(shift(cursor_.Start()), shift(cursor_.End()));
  AfterEdit(layout);
  return true;
}

void VtxEdit::DeleteRange(uint32_t from, uint32_t to, bool layout) {
  if (from > to) std::swap(from, to);
  to = std::min(to, TextLength());
  if (from >= to) return;
  from = Boundary(from);
  const uint32_t start = Boundary(to);
  if (start < to) to = NextChar(start);
  if (from >= to) return;
  runs_.Delete(from, to);
  text_.erase(from, to - from);
  const uint32_t count = to - from;
  auto shift = [&](uint32_t at) { return at >= to ? at - count : std::min(at, from); };
  cursor_.Set(shift(cursor_.Start()), shift(cursor_.End()));
  AfterEdit(layout);
}

void VtxEdit::AfterEdit(bool layout) {
  FindMarks();
  if (layout) {
    Layout(context_);
  } else {
    laidOut_ = false;
  }
}

bool VtxEdit::ReplaceSelection(std::string_view bytes) {
  const uint32_t low = cursor_.Low();
  if (!cursor_.IsEmpty()) DeleteRange(low, cursor_.High(), false);
  const uint32_t before = TextLength();
  const bool taken = InsertText(low, bytes, true);
  cursor_.Collapse(low + (TextLength() - before));
  RememberCaretX();
  return taken;
}

bool VtxEdit::DeleteBackward() {
  if (!cursor_.IsEmpty()) {
    const uint32_t low = cursor_.Low();
    DeleteRange(low, cursor_.High(), true);
    cursor_.Collapse(low);
  } else {
    const uint32_t end = cursor_.End();
    if (end == 0) return false;
    const uint32_t previous = PrevChar(end);
    DeleteRange(previous, end, true);
    cursor_.Collapse(previous);
  }
  RememberCaretX();
  return true;
}

bool VtxEdit::DeleteForward() {
  if (!cursor_.IsEmpty()) return DeleteBackward();
  const uint32_t end = cursor_.End();
  if (end >= text_.size()) return false;
  DeleteRange(end, NextChar(end), true);
  cursor_.Collapse(end);
  RememberCaretX();
  return true;
}

// ---- selection ----

void VtxEdit::SetSelection(int64_t start, int64_t end) {
  auto clamp = [&](int64_t at) {
    return Boundary(static_cast<uint32_t>(std::clamp<int64_t>(at, 0, TextLength())));
  };
  cursor_.Set(clamp(start), clamp(end));
  RememberCaretX();
}

void VtxEdit::SelectAll() {
  cursor_.Set(0, TextLength());
  RememberCaretX();
}

// ---- word marks ----

void VtxEdit::MarkWord(std::string_view word) {
  if (word.empty()) return;
  markedWords_.emplace_back(word);
  FindMarks();
}

void VtxEdit::ClearWordMarks() {
  markedWords_.clear();
  marks_.clear();
  marked_.clear();
}

bool VtxEdit::GetMark(size_t index, uint32_t* start, uint32_t* end) const {
  if (index >= marks_.size()) return false;
  *start = marks_[index].first;
  *end = marks_[index].second;
  return true;
}

void VtxEdit::FindMarks() {
  marks_.clear();
  marked_.clear();
  if (markedWords_.empty()) return;
  marked_.assign(text_.size(), 0);
  for (const std::string& word : markedWords_) {
    for (size_t i = 0; i < text_.size(); i += VCharLength(Bytes(text_), text_.size(), i)) {
      if (!WordAt(text_, i, word)) continue;
      const auto start = static_cast<uint32_t>(i);
      const auto end = static_cast<uint32_t>(i + word.size());
      marks_.emplace_back(start, end);
      std::fill(marked_.begin() + start, marked_.begin() + end, 1);
    }
  }
}

// ---- caret and mouse ----

void VtxEdit::RememberCaretX() {
  if (!laidOut_ || lines_.empty()) return;
  caretX_ = LineX(LineOf(cursor_.End()), cursor_.End());
}

bool VtxEdit::MoveCaret(uint16_t key, bool shift) {
  if (!laidOut_) Layout(context_);
  const VtxCursor before = cursor_;
  const uint32_t start = cursor_.Start();
  const uint32_t end = cursor_.End();
  switch (key) {
    case kOGTKeyArrowLeft:
    case kOGTKeyArrowRight: {
      const bool left = key == kOGTKeyArrowLeft;
      if (shift) {
        cursor_.Set(start, left ? PrevChar(end) : NextChar(end));
      } else if (!cursor_.IsEmpty()) {
        cursor_.Collapse(left ? cursor_.Low() : cursor_.High());
      } else {
        cursor_.Collapse(left ? PrevChar(end) : NextChar(end));
      }
      RememberCaretX();
      break;
    }
    case kOGTKeyArrowUp: {
      // Without Shift the move starts from the selection's start, with Shift from its end.
      const size_t line = LineOf(shift ? end : start);
      if (line == 0) return false;
      const uint32_t target = OffsetInLine(line - 1, caretX_);
      if (shift) {
        cursor_.Set(start, target);
      } else {
        cursor_.Collapse(target);
      }
      break;
    }
    case kOGTKeyArrowDown: {
      const size_t line = LineOf(end);
      if (line + 1 >= lines_.size()) return false;
      const uint32_t target = OffsetInLine(line + 1, caretX_);
      if (shift) {
        cursor_.Set(start, target);
      } else {
        cursor_.Collapse(target);
      }
      break;
    }
    default:
      return false;
  }
  return cursor_.Start() != before.Start() || cursor_.End() != before.End();
}

void VtxEdit::Press(uint32_t offset, bool shift) {
  offset = Boundary(std::min(offset, TextLength()));
  if (!shift) {
    cursor_.Collapse(offset);
  } else {
    const uint32_t start = cursor_.Start();
    const uint32_t end = cursor_.End();
    // Extending beyond the start, away from the end, turns the selection round.
    const bool turns = (start < end && offset < start) || (end < start && offset > start);
    cursor_.Set(turns ? end : start, offset);
  }
  RememberCaretX();
}

void VtxEdit::Release(uint32_t offset) {
  offset = Boundary(std::min(offset, TextLength()));
  if (offset != cursor_.End()) cursor_.Set(cursor_.Start(), offset);
  RememberCaretX();
}
