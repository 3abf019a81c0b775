// Reading styled-text markup into the engine and writing text with its runs back as markup.
//
// Reading takes the bytes in order: text goes into the engine with the style of the tags open at
// that point (a double-byte character whole; bytes of 32 and above, tab, carriage return and line
// feed as they are; other control bytes are dropped); an opening tag opens a level, a closing tag
// (whatever its name) closes the innermost one, and an empty element such as "<BR/>" is a carriage
// return. Reading ends early, keeping what was read, at a tag that matches nothing, at a "<"
// without ">" within kVtxMaxTagText bytes, at a closing tag with no level open, and at the end of
// the input inside open tags. Markup comes from records and files anyone may have written: the
// reader never reads outside the bytes it is given, keeps no state between calls, and does work in
// proportion to the input (levels are kept on a stack of their own, not by recursion).
//
// Writing gives each run with text its opening tags (in style order), the text with every carriage
// return as "<BR/>", then the closing tags in reverse order. Reading what was written gives the
// same text and runs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class VtxEdit;
class VtxStyleRun;

// Reads markup into the engine, appending to its text; answers the number of bytes read before
// the reading ended (length when it read everything).
size_t VtxReadMarkup(const uint8_t* bytes, size_t length, VtxEdit* edit);

// Appends the markup of the text and its runs to out.
void VtxWriteMarkup(std::string_view text, const VtxStyleRun& runs, std::string* out);
