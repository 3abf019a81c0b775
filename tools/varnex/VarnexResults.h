// What the varnex tool says about a failed result: the code's text from the engine's one table of
// code texts (VCodeTexts.h), and for a statement the engine refused, which of its references names
// nothing in the file.
#pragma once

#include <string>
#include <string_view>

#include "base/VBase.h"

class VSch_DBFile;

// "code explanation", or the code alone when it has none.
std::string VarnexExplain(VResult code);

// The first bracketed reference of a statement that names neither a key nor an item of the file,
// read as the engine reads it ("[4]" is key 4, "[I:4]" item 4, "[name]" a key's name and then an
// item's): "[4] names key 4, which file 1 (people) does not have (item 4 is [I:4])". Empty when
// every bracketed reference names something. The statement is Shift-JIS.
std::string VarnexStatementHint(const VSch_DBFile& schema, std::string_view statement);
