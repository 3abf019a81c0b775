// VarnexText: text at the varnex tool's edges. Files and arguments arrive in an encoding (UTF-8 by
// default, Shift-JIS on request, or raw bytes) and become the system's Shift-JIS exactly or not at
// all: input that is not valid in its encoding, or that holds a character Shift-JIS cannot hold,
// is refused with a description of where, never stored with replacement characters. Values as text
// (binary ones as base64) are the engine's VValueText.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// kRaw passes bytes as they are (the --raw mode); kCp932 is Shift-JIS (code page 932).
enum class VarnexEncoding { kUtf8, kCp932, kRaw };

// Reads the value of --encoding ("utf-8", "utf8", "cp932", "shift-jis", "sjis"; any case).
bool VarnexParseEncoding(std::string_view name, VarnexEncoding* encoding);
const char* VarnexEncodingName(VarnexEncoding encoding);

// Where input in an encoding stops being valid text for the system.
struct VarnexBadText {
  size_t offset = 0;  // from the start of the input
  int64_t line = 1;   // from 1
  size_t column = 1;  // the byte within its line, from 1
  std::string what;   // "0x93 is not valid UTF-8", "U+1F600 has no Shift-JIS form"
};

// Input in its encoding as Shift-JIS (a UTF-8 byte-order mark at the start is dropped); false with
// where it stops being valid.
bool VarnexToSjis(std::string_view input, VarnexEncoding encoding, std::string* sjis,
                  VarnexBadText* bad);
// Shift-JIS as text in an encoding; false with where a byte does not convert. Raw passes the
// bytes; code page 932 checks them.
bool VarnexFromSjis(std::string_view sjis, VarnexEncoding encoding, std::string* out,
                    VarnexBadText* bad);

// Bytes for a message: printable ASCII as it is, any other byte as \xNN.
std::string VarnexShowBytes(std::string_view bytes);
