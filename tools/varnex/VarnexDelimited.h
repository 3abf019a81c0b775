// VarnexDelimited: the terminators of the varnex tool's import and export as its command line gives
// them. The text itself is read and written by the engine's VDelimitedReader and VDelimitedWriter
// (db/schema/VDelimited.h), the same as the player's data input and output, and its values are
// VValueText's. The tool's defaults: "," between items, a tab between the values of one item, a
// line feed after each record (read with or without a carriage return before it); an apostrophe is
// an ordinary byte.
#pragma once

#include <string>
#include <string_view>

#include "db/schema/VDelimited.h"

// A terminator as written on the command line: "CRLF", "CR", "LF", "TAB" (any case), or the text
// itself with the escapes \t, \r, \n and \\. False for an empty terminator.
bool VarnexParseTerm(std::string_view text, std::string* out);

inline VDelimitedSyntax VarnexDefaultSyntax() {
  VDelimitedSyntax syntax;
  syntax.record.clear();
  syntax.anyLineEnd = true;
  return syntax;
}

// The record terminator written on export.
inline std::string VarnexRecordTerm(const VDelimitedSyntax& syntax) {
  return syntax.record.empty() ? "\n" : syntax.record;
}
