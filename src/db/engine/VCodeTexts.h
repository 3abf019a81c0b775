// VCodeTexts: what each result code of the engine and its foundation means, said for a user: the
// one table of code texts, read by the varnex tool for its messages and meant to be read by the
// player's error box as well.
//
// Each row holds a code and its text; a text in another language (the player's Japanese line)
// goes beside the English one in the same row, so that one table keeps every code's meaning.
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
};

// Every row, in the order of the layers (files, storage, values, records, keys, commands).
std::span<const VCodeText> VCodeTexts();
// The row of a code, or null when the table has none.
const VCodeText* VFindCodeText(VResult code);
// "code text" (for example "-201 record not found"), or the code alone when the table has no text.
std::string VExplainCode(VResult code);
