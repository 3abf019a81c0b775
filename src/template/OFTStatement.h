// The statement reader of application definition files, and the conversions of property values.
//
// A definition file is Shift-JIS text made of begin tags "[Kind]", end tags "[/Kind]" and
// properties "Name = value;". A value may hold brace groups in which semicolons, brackets and line
// breaks are part of the value and braces nest. A double-byte character is always read whole, so
// a trail byte that looks like a bracket, brace or semicolon is never taken for one. No reader
// reads past the end of its input, whatever the input holds.
#pragma once

#include <cstdint>
#include <string_view>

#include "base/VString.h"

class VStream;

// What ReadStatement found.
enum OFTStatementKind : int {
  kOFTEndOfFile = 0,
  kOFTBeginTag = 1,
  kOFTEndTag = 2,
  kOFTProperty = 3,
};

// Reads the next statement from the stream's position and leaves the position just after it.
// A tag answers its keyword as name and an empty value; a property answers its name and value (an
// empty value when the name is not followed by a blank, "=" and a blank).
int ReadStatement(VStream& stream, VString& name, VString& value);

// For each byte of the set in turn, removes from the front and from the back every character that
// is that byte or a control character (below 32). Double-byte characters are never removed.
void Trim(VString& text, std::string_view set);
// Removes every leading delimiter and control character, then cuts off and answers the longest
// prefix holding no delimiter and no control character; text keeps the rest, starting at the byte
// that ended the token.
VString NextToken(VString& text, std::string_view delimiters);

// The value as text: blanks, tabs and double quotes trimmed from both ends. Scripts are read the
// same way.
VString TextValue(const VString& value);
// When the value passes the numeric test (optional blanks, an optional sign, digits with at most
// one decimal point), stores its integer part in out, limited to the 32-bit range, and answers
// true; otherwise leaves out alone and answers false.
bool NumberValue(const VString& value, int32_t& out);
bool NumberValue(std::string_view value, int32_t& out);

// Reads the rest of the current line (double-byte characters whole) and steps over its line break.
VString ReadRestOfLine(VStream& stream);
