#include "VarnexText.h"

#include <cctype>
#include <cstdio>

#include "base/VCodePage.h"
#include "base/VSjis.h"

namespace {

std::string Lower(std::string_view text) {
  std::string out;
  for (char c : text) out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::string Hex(uint8_t b) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", b);
  return text;
}

// The length of the well-formed UTF-8 sequence at the start of text and its code point; 0 when
// the bytes there are not one.
size_t Utf8Sequence(std::string_view text, uint32_t* codePoint) {
  if (text.empty()) return 0;
  const auto b = static_cast<uint8_t>(text[0]);
  size_t n = 0;
  uint32_t c = 0;
  if (b < 0x80) {
    *codePoint = b;
    return 1;
  } else if (b >= 0xC2 && b <= 0xDF) {
    n = 2;
    c = b & 0x1F;
  } else if (b >= 0xE0 && b <= 0xEF) {
    n = 3;
    c = b & 0x0F;
  } else if (b >= 0xF0 && b <= 0xF4) {
    n = 4;
    c = b & 0x07;
  } else {
    return 0;
  }
  if (text.size() < n) return 0;
  for (size_t i = 1; i < n; ++i) {
    const auto t = static_cast<uint8_t>(text[i]);
    if ((t & 0xC0) != 0x80) return 0;
    c = (c << 6) | (t & 0x3F);
  }
  const bool overlong = (n == 3 && c < 0x800) || (n == 4 && c < 0x10000);
  if (overlong || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
  *codePoint = c;
  return n;
}

// Fills in the line and column of bad->offset and says what stops there.
void Locate(std::string_view input, size_t offset, VarnexEncoding encoding, VarnexBadText* bad) {
  bad->offset = offset;
  bad->line = 1;
  size_t lineStart = 0;
  for (size_t i = 0; i < offset && i < input.size(); ++i) {
    if (input[i] == '\n') {
      ++bad->line;
      lineStart = i + 1;
    }
  }
  bad->column = offset - lineStart + 1;
  const std::string_view rest = input.substr(offset < input.size() ? offset : input.size());
  if (rest.empty()) {
    bad->what = "the text ends inside a character";
    return;
  }
  const auto first = static_cast<uint8_t>(rest[0]);
  if (encoding == VarnexEncoding::kCp932) {
    bad->what = VIsLeadByte(first) && rest.size() >= 2
                    ? Hex(first) + " " + Hex(static_cast<uint8_t>(rest[1])) +
                          " is not a Shift-JIS character"
                    : Hex(first) + " is not valid Shift-JIS";
    if (VIsLeadByte(first) && rest.size() < 2) bad->what = "the text ends inside a character";
    return;
  }
  uint32_t codePoint = 0;
  if (Utf8Sequence(rest, &codePoint) == 0) {
    bad->what = Hex(first) + " is not valid UTF-8";
    return;
  }
  char text[64];
  std::snprintf(text, sizeof text, "U+%04X has no Shift-JIS form", codePoint);
  bad->what = text;
}

}  // namespace

bool VarnexParseEncoding(std::string_view name, VarnexEncoding* encoding) {
  const std::string lower = Lower(name);
  if (lower == "utf-8" || lower == "utf8") {
    *encoding = VarnexEncoding::kUtf8;
  } else if (lower == "cp932" || lower == "shift-jis" || lower == "shift_jis" || lower == "sjis") {
    *encoding = VarnexEncoding::kCp932;
  } else {
    return false;
  }
  return true;
}

const char* VarnexEncodingName(VarnexEncoding encoding) {
  switch (encoding) {
    case VarnexEncoding::kUtf8:
      return "UTF-8";
    case VarnexEncoding::kCp932:
      return "Shift-JIS (code page 932)";
    case VarnexEncoding::kRaw:
      return "raw bytes";
  }
  return "";
}

bool VarnexToSjis(std::string_view input, VarnexEncoding encoding, std::string* sjis,
                  VarnexBadText* bad) {
  size_t failedAt = 0;
  switch (encoding) {
    case VarnexEncoding::kRaw:
      sjis->assign(input);
      return true;
    case VarnexEncoding::kCp932: {
      std::string unused;
      if (!VSjisToUtf8Exact(input, &unused, &failedAt)) {
        Locate(input, failedAt, encoding, bad);
        return false;
      }
      sjis->assign(input);
      return true;
    }
    case VarnexEncoding::kUtf8: {
      const size_t skip = input.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
      if (!VUtf8ToSjisExact(input.substr(skip), sjis, &failedAt)) {
        Locate(input, failedAt + skip, encoding, bad);
        return false;
      }
      return true;
    }
  }
  return false;
}

bool VarnexFromSjis(std::string_view sjis, VarnexEncoding encoding, std::string* out,
                    VarnexBadText* bad) {
  size_t failedAt = 0;
  if (encoding == VarnexEncoding::kRaw) {
    out->assign(sjis);
    return true;
  }
  std::string utf8;
  if (!VSjisToUtf8Exact(sjis, &utf8, &failedAt)) {
    Locate(sjis, failedAt, VarnexEncoding::kCp932, bad);
    return false;
  }
  if (encoding == VarnexEncoding::kCp932) {
    out->assign(sjis);
  } else {
    *out = std::move(utf8);
  }
  return true;
}

std::string VarnexShowBytes(std::string_view bytes) {
  std::string out;
  for (char c : bytes) {
    const auto b = static_cast<uint8_t>(c);
    if (b >= 0x20 && b < 0x7F) {
      out += c;
    } else {
      char text[8];
      std::snprintf(text, sizeof text, "\\x%02X", b);
      out += text;
    }
  }
  return out;
}
