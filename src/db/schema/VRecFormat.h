// VRecFormat: a compiled text of the record format language, which maps items and occurrences to
// value conversions so that a record can be written to and read from a stream or a memory block.
//
// Text: entries separated by blanks (bytes up to 0x20) and commas, ending at ";" or at the end of
// the text, which is at least four bytes long.
//   "/" terminator             the record terminator
//   selector conversion        an item entry
//   width "X"                  a filler of width spaces (skipped bytes on reading)
// Selector: "[" n "]" (n 1 to 255, blanks allowed inside), optionally with an occurrence part
// "(k)", "(k-m)" (k below m), either followed by "/" terminator (the repeat terminator), or "(/"
// terminator ")" alone; or, without an occurrence part, "[" n "]-[" m "]" for items n to m.
// Conversion: "%", an optional width, a letter (b c d f i n o p s t, either case) and, but for
// "i", an optional item terminator letter directly after it.
// Terminators: n (zero byte), r (carriage return), t (tab), either case; after "/" also "'" byte
// "'" or "'\xHH'".
//
// Compiled once, a format can be used for any number of records; widths are at most 65535.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "base/VBase.h"

class VLongDataStore;
class VRecord;
class VRecordView;
class VStream;

// The format text does not compile.
constexpr VResult kVBadFormat = -301;

class VRecFormat {
 public:
  struct Entry {
    bool filler = false;
    int32_t width = 0;  // 0: delimited
    uint8_t firstItem = 0;
    uint8_t lastItem = 0;
    uint8_t firstOccurrence = 0;  // 0: no occurrence part
    uint8_t lastOccurrence = 0;
    uint8_t type = 0;  // the conversion's value type
    int16_t itemTerminator = -1;
    int16_t repeatTerminator = -1;
  };

  VResult Compile(std::string_view text);

  // Writes the record's values entry by entry; an absent value writes an empty field of the
  // conversion's type. The record terminator, when set, follows the last entry.
  VResult Export(const VRecordView& record, VStream& output, VLongDataStore* store) const;
  // Reads values entry by entry and adds each as its item's next occurrence. The end of the input
  // or the record terminator ends the record; a repeat terminator ends its repeated entry.
  VResult Import(VRecord& record, VStream& input, VLongDataStore* store) const;

  int16_t RecordTerminator() const { return recordTerminator_; }
  const std::vector<Entry>& Entries() const { return entries_; }

 private:
  int16_t recordTerminator_ = -1;
  std::vector<Entry> entries_;
};
