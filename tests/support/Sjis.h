// Test helpers for Shift-JIS text: fixtures are written in UTF-8 in the test source and converted
// with the system's own code-page helper.
#pragma once

#include <string>

#include "base/VCodePage.h"

inline std::string Sj(const char* utf8) { return VUtf8ToSjis(utf8); }
