#include "gt/imp/OGTPlatformRules.h"

#include "base/VPath.h"
#include "gt/OGTGraphics.h"
#include "gt/OGTTexts.h"

const std::string& OGTDrawingFace(const OGTFont& font) {
  const std::string& face = font.Face();
  if (face == "sys_mincho") return OGTText(kOGTTextFaceMinchoP);
  if (face == "sys_fixed") return OGTText(kOGTTextFaceGothic);
  return OGTText(kOGTTextFaceGothicP);
}

int32_t OGTDrawingPointSize(int16_t size) {
  if (size < 1 || size == 12) return 10;
  if (size < 12) return 8;
  return size;
}

int32_t OGTControlPointSize(int16_t size) {
  if (size <= 0 || size == 12) return 10;
  if (size <= 8) return 8;
  return size;
}

const std::string& OGTControlFace(const OGTFont& font) {
  return font.HasFace() ? font.Face() : OGTText(kOGTTextFaceGothicP);
}

int32_t OGTFontWeight(uint16_t style) { return (style & kOGTBold) ? 700 : 400; }
int32_t OGTButtonImageIndex(int32_t variant, bool heldDown, bool enabled, int32_t value,
                            bool hasDisabledImage) {
  if (!enabled && hasDisabledImage) return 2;
  bool pressedLook = (variant == 1 || variant == 2) ? (value != 0) != heldDown : heldDown;
  return pressedLook ? 1 : 0;
}

bool OGTFontItalic(uint16_t style) { return (style & kOGTItalic) != 0; }

VResult OGTToNativePath(std::string_view portable, std::string* native) {
  return VPlatformPath(portable, native);
}
