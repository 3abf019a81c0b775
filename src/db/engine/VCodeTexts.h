// VCodeTexts: what each result code of the engine and its foundation means, said for a user: the
// one table of code texts, read by the varnex tool for its messages and by the player's error box.
//
// Each row holds a code and its English text; the player's Japanese line goes beside it in the
// same row, so that one table keeps every code's meaning. Japanese lines are written for the codes
// a user meets when the player cannot open its database (each says what is wrong and what to do,
// short enough for one line of the error box); any other code takes the general line.
// Where one number has a meaning in two layers (a file and the database, a key tree and the record
// map), its text covers both. Codes are unique in the table.
#pragma once

#include <span>
#include <string>

#include "base/VBase.h"

struct VCodeText {
  VResult code;
  // A short clause without a final period, in lower case: "record not found".
  const char* english;
  // A sentence for the player's user (UTF-8 here), or null where the general line serves.
  const char* japanese = nullptr;
};

// Every row, in the order of the layers (files, storage, values, records, keys, commands).
std::span<const VCodeText> VCodeTexts();
// The row of a code, or null when the table has none.
const VCodeText* VFindCodeText(VResult code);
// "code text" (for example "-201 record not found"), or the code alone when the table has no text.
std::string VExplainCode(VResult code);
// The player's line for the code, Shift-JIS: the row's Japanese text, or the general line.
const std::string& VJapaneseCodeText(VResult code);
// The general line (Shift-JIS), for codes without a Japanese text of their own.
const std::string& VJapaneseGeneralText();
