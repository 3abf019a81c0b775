// The platform's file choosers, asked modally. Both answer true with the chosen portable path, or
// false when the user cancelled or there is no platform side.
#pragma once

class VString;

bool ChooseOpenFile(VString& path);
bool ChooseSaveFile(VString& path, const char* suggestedName);
