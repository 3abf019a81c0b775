// The one conversion between the system's Shift-JIS text (code page 932) and Unicode (UTF-8), used
// only at the screen and terminal edges. Bytes that do not convert become a replacement (U+FFFD
// towards UTF-8, "?" towards code page 932); conversion never fails and never throws.
//
// The exact conversions are for input that must not be mangled (files and arguments that become
// stored text): they stop at the first byte that does not convert instead of replacing it.
#pragma once

#include <string>
#include <string_view>

std::string VSjisToUtf8(std::string_view sjis);
std::string VUtf8ToSjis(std::string_view utf8);

// Exact conversions: false at the first byte that does not convert (a sequence that is not valid in
// the source encoding, one cut off at the end, or a character that the target cannot hold);
// failedAt receives its offset in the input. out receives the converted text (on failure, what
// converted before that byte).
bool VSjisToUtf8Exact(std::string_view sjis, std::string* out, size_t* failedAt);
bool VUtf8ToSjisExact(std::string_view utf8, std::string* out, size_t* failedAt);
