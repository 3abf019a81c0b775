// Rules every platform side applies in the same way: which face and point size a toolkit font is
// drawn with, the font of the controls, and the mapping of portable paths for sounds and images.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/VBase.h"

class OGTFont;

// "sys_gothic", "sys_mincho" and "sys_fixed" name the proportional gothic, proportional mincho
// and fixed-pitch gothic faces; an absent or any other name gives the proportional gothic face.
// The answer is the face's Shift-JIS name.
const std::string& OGTDrawingFace(const OGTFont& font);
// Size below 1 or 12 → 10 points; other sizes below 12 → 8; 13 and above as they are.
int32_t OGTDrawingPointSize(int16_t size);
// The font of all controls, made from the first predefined font: size 0 or below, or 12 → 10;
// 1 to 8 → 8; 9, 10, 11 and 13 and above as they are.
int32_t OGTControlPointSize(int16_t size);
// The face of the controls: the font's own name, or the proportional gothic face.
const std::string& OGTControlFace(const OGTFont& font);
// 700 with the bold bit, else 400.
int32_t OGTFontWeight(uint16_t style);
// Which image a button with images shows: 0 normal, 1 pressed, 2 disabled. A disabled button shows
// its disabled image when it has one; variants 1 and 2 show the pressed image when exactly one of
// "the value is set" and "held down" holds; other variants while held down.
int32_t OGTButtonImageIndex(int32_t variant, bool heldDown, bool enabled, int32_t value,
                            bool hasDisabledImage);
bool OGTFontItalic(uint16_t style);

// A portable path as a path of this machine: a leading volume label names the mounted volume
// that carries it. kVInvalidPath (-13) when the path cannot be mapped.
VResult OGTToNativePath(std::string_view portable, std::string* native);
