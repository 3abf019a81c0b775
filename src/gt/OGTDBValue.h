// How database items turn a record's values into text and text back into values.
//
// Shown as text: Date, Time, DateTime, String, Number, Integer, LString, Text and HTML show their
// bytes (the long texts fetched from the value file); a Flag shows "1" when its byte is not 0,
// else "0"; a Char shows its one byte as a character, as the engine's text conversions and the
// gathering below read it; any other type shows nothing in a field. List cells follow the same
// rule except that Binary shows nothing and every other type shows its bytes (long data that is
// not text shows its source name).
//
// Gathered from text: an empty text gives no value. A Flag stores one byte as the engine reads a
// Flag from text (1 for "true" or a non-zero number, 0 for "false" or zero; any other text gives
// no value); a Char stores the first byte; Binary gives nothing; a
// Number or Integer that is not a number (an Integer with a fraction) gives nothing; every other
// type goes through the engine's own text conversion of that type (so a date is parsed, an
// Integer is kept as its decimal text, long text goes to the value file).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/VBase.h"

class VLongDataStore;
class VRecord;

// The type code assumed for an item that never showed a value.
constexpr uint8_t kOGTDBDefaultType = 6;

// Reads value (item, occurrence) of the record: its type and its bytes, long text data fetched
// through the store and every value cut to at most maxBytes (never inside a double-byte
// character). kVValueMissing when the record has no such value.
VResult OGTDBReadValue(const VRecord& record, int32_t item, int32_t occurrence,
                       VLongDataStore* store, size_t maxBytes, uint8_t* type, std::string* bytes);

// The text a field shows for a value (styled additionally shows Packet values, as markup).
std::string OGTDBFieldText(uint8_t type, std::string_view bytes, bool styled);
// The text a list cell shows for a value.
std::string OGTDBCellText(uint8_t type, std::string_view bytes);

// Adds the text as the item's next value under the type; false when it gives no value (an empty
// text, a Binary item, or a text the type's conversion refuses).
bool OGTDBPutText(VRecord* record, int32_t item, uint8_t type, std::string_view text,
                  VLongDataStore* store);

// The number of a value's occurrences in the record (0 when the item is absent).
int32_t OGTDBValueCount(const VRecord& record, int32_t item);

// Cuts text to at most maxBytes without splitting a double-byte character.
std::string_view OGTDBCut(std::string_view text, size_t maxBytes);
