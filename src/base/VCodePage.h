// The one conversion between the system's Shift-JIS text (code page 932) and Unicode (UTF-8), used
// only at the screen and terminal edges. Bytes that do not convert become a replacement (U+FFFD
// towards UTF-8, "?" towards code page 932); conversion never fails and never throws.
#pragma once

#include <string>
#include <string_view>

std::string VSjisToUtf8(std::string_view sjis);
std::string VUtf8ToSjis(std::string_view utf8);
