// Where the toolkit's text meets Qt's. The toolkit speaks Shift-JIS and separates lines with
// "\r\n" (or a lone "\r" or "\n"); Qt speaks Unicode and separates lines with "\n". Every text
// crosses through the one code-page helper. The toolkit's face names are mapped onto the installed
// Japanese faces, and point sizes become pixel sizes at the screen's resolution, so that text
// measures the same on widgets and on the off-screen images the drawn items paint into.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include <QFont>
#include <QString>

class OGTFont;

// Plain conversion; invalid bytes become replacement characters.
QString OGTQtString(std::string_view sjis);
std::string OGTQtSjis(const QString& text);
// Line breaks of any kind become "\n".
QString OGTQtDisplayText(std::string_view sjis);
// "\n" (and Qt's paragraph and line separators) become "\r\n".
std::string OGTQtToolkitText(const QString& text);
// Bytes of a Shift-JIS text once its "\n" line breaks are written as "\r\n".
size_t OGTQtToolkitLength(const QString& text);
// At most size - 1 bytes, never ending inside a double-byte character, and a terminating zero.
void OGTQtCopyOut(const std::string& sjis, char* buffer, size_t size);

// The installed family for a Shift-JIS face name: the proportional and fixed gothic faces and the
// mincho faces map onto their IPA counterparts; any other name is kept (fontconfig substitutes).
QString OGTQtFamily(const std::string& sjisFace);
// Makes the toolkit's face names usable wherever Qt resolves a family.
void OGTQtRegisterFaces();
// Pixels for a point size at the screen's logical resolution (96 dots per inch without a screen).
int OGTQtPixels(int32_t points);
// The font text is drawn with through a drawing context: face, size and weight rules of the
// toolkit's drawing fonts.
QFont OGTQtDrawingFont(const OGTFont& font);
// The font of the controls, made by the controls' own rules.
QFont OGTQtControlFont(const OGTFont& font);
