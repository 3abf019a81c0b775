// VValueText: values as text - the one form in which delimited text carries them, and in which the
// varnex tool shows and reads them. A Flag is "1" or "0" and is read as VFlagFromText reads it; a
// Char holding the zero byte (what an empty text stores) is empty; Binary, Packet and the binary
// long-data types (File, MacFile, PDF, JPEG, GIF, PNG, PICT, BMP) are base64; Text and HTML long
// data and every other type are the text the type's formatter writes (dates as 1951/07/22,
// 23:59:58, or both joined by a blank). Every value written so reads back as the same value.
#pragma once

#include <string>
#include <string_view>

#include "base/VBase.h"

class VLongDataStore;
class VRecord;

// Whether values of the type travel as base64.
bool VIsBase64Type(int type);
// Base64 with the standard alphabet and "=" padding; reading takes the padding as optional and
// refuses any other character.
std::string VBase64(std::string_view bytes);
bool VFromBase64(std::string_view text, std::string* bytes);

// One value of a record as text (occurrence from 1); long data is fetched whole from the store.
VResult VValueToText(const VRecord& record, int item, int occurrence, VLongDataStore* store,
                     std::string* text);
// Reads a value of the type from its text and adds it as the item's next value: kVNotBase64 for a
// base64 type whose text is not base64, else what the record answers (kVBadValue for a text the
// type does not read, kVWidthTooLarge for one too long for it, ...). Long data goes to the store.
VResult VAddValueText(VRecord* record, int item, int type, std::string_view text,
                      VLongDataStore* store);
// Frees the stored long data of a record that never reached the database.
void VReleaseLongData(const VRecord& record, VLongDataStore* store);
