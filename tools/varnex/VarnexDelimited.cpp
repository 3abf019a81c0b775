#include "VarnexDelimited.h"

#include <cctype>

bool VarnexParseTerm(std::string_view text, std::string* out) {
  std::string upper;
  for (char c : text) upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (upper == "CRLF")
    *out = "\r\n";
  else if (upper == "CR")
    *out = "\r";
  else if (upper == "LF")
    *out = "\n";
  else if (upper == "TAB")
    *out = "\t";
  else {
    out->clear();
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\\' && i + 1 < text.size()) {
        const char e = text[++i];
        *out += e == 't' ? '\t' : e == 'r' ? '\r' : e == 'n' ? '\n' : e;
      } else {
        *out += text[i];
      }
    }
  }
  return !out->empty();
}
