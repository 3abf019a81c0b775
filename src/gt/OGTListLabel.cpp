#include "gt/OGTListLabel.h"

#include <cstring>

#include "base/VSjis.h"

OGTListLabel::OGTListLabel(const char* text, int16_t width, int32_t binding) : binding_(binding) {
  SetText(text);
  SetWidth(width);
}

void OGTListLabel::SetText(const char* text) {
  if (text == nullptr) {
    text_.Reset();
    return;
  }
  const auto* bytes = reinterpret_cast<const uint8_t*>(text);
  size_t length = std::strlen(text);
  if (length > kMaxText) {
    size_t cut = kMaxText;
    if (!VIsCharBoundary(bytes, length, cut)) --cut;
    length = cut;
  }
  text_.Assign(bytes, static_cast<uint32_t>(length));
}

void OGTListLabel::SetWidth(int16_t width) { width_ = width < 0 ? 0 : width; }
