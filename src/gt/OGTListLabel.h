// One column of a list: its heading, its width and a binding value that the row data interprets
// (a database list reads it as item number and occurrence). The heading is a copy of at most
// kMaxText bytes, cut back to a character boundary, so it never ends in half a double-byte
// character. Widths never go below 0.
#pragma once

#include <cstdint>

#include "base/VObj.h"
#include "base/VString.h"

class OGTListLabel : public VObj {
 public:
  static constexpr int32_t kKind = 100;
  static constexpr uint32_t kMaxText = 127;

  OGTListLabel(const char* text, int16_t width, int32_t binding);

  int32_t Kind() const { return kKind; }
  const VString& Text() const { return text_; }
  // Null sets the empty heading.
  void SetText(const char* text);
  int16_t Width() const { return width_; }
  void SetWidth(int16_t width);
  int32_t Binding() const { return binding_; }
  void SetBinding(int32_t binding) { binding_ = binding; }

 private:
  VString text_;
  int16_t width_ = 0;
  int32_t binding_ = 0;
};
