#include "db/schema/VRecFormat.h"

#include "base/VFile.h"
#include "base/VSjis.h"
#include "base/VStream.h"
#include "db/schema/VRecord.h"
#include "db/schema/VVM.h"

namespace {

constexpr int32_t kMaxWidth = 65535;

bool IsHexDigit(uint8_t b) {
  return VIsDigit(b) || (b >= 'a' && b <= 'f') || (b >= 'A' && b <= 'F');
}

bool LetterTerminator(uint8_t b, int16_t* terminator) {
  switch (VToUpper(b)) {
    case 'N':
      *terminator = 0;
      return true;
    case 'R':
      *terminator = '\r';
      return true;
    case 'T':
      *terminator = '\t';
      return true;
    default:
      return false;
  }
}

uint8_t ConversionType(uint8_t letter) {
  switch (VToUpper(letter)) {
    case 'B':
      return kVTypeBinary;
    case 'C':
      return kVTypeChar;
    case 'D':
      return kVTypeDate;
    case 'F':
      return kVTypeFlag;
    case 'I':
      return kVTypeInteger;
    case 'N':
      return kVTypeNumber;
    case 'O':
      return kVTypeDateTime;
    case 'P':
      return kVTypePacket;
    case 'S':
      return kVTypeString;
    case 'T':
      return kVTypeTime;
    default:
      return 0;
  }
}

// A cursor over the format text; every read checks the end.
struct Cursor {
  const uint8_t* p;
  const uint8_t* end;

  bool At(uint8_t b) const { return p < end && *p == b; }
  bool Take(uint8_t b) {
    if (!At(b)) return false;
    ++p;
    return true;
  }
  void SkipBlanks() {
    while (p < end && *p <= 0x20) ++p;
  }
  void SkipSeparators() {
    while (p < end && (*p <= 0x20 || *p == ',')) ++p;
  }
  // Decimal digits (at least one) whose value is within low..high.
  bool Number(int32_t low, int32_t high, int32_t* value) {
    if (p >= end || !VIsDigit(*p)) return false;
    int64_t n = 0;
    while (p < end && VIsDigit(*p)) {
      if (n <= high) n = n * 10 + (*p - '0');
      ++p;
    }
    if (n < low || n > high) return false;
    *value = static_cast<int32_t>(n);
    return true;
  }
  // A terminator after "/": a letter, or a byte between apostrophes.
  bool Terminator(int16_t* terminator) {
    if (p >= end) return false;
    if (LetterTerminator(*p, terminator)) {
      ++p;
      return true;
    }
    if (!Take('\'') || p >= end) return false;
    if (end - p >= 4 && p[0] == '\\' && VToUpper(p[1]) == 'X' && IsHexDigit(p[2]) &&
        IsHexDigit(p[3])) {
      *terminator = static_cast<int16_t>(VHexDigit(p[2]) * 16 + VHexDigit(p[3]));
      p += 4;
    } else {
      *terminator = *p++;
    }
    return Take('\'');
  }
};

bool ParseOccurrences(Cursor& c, VRecFormat::Entry* e) {
  c.SkipBlanks();
  if (c.Take('/')) return c.Terminator(&e->repeatTerminator);
  int32_t first = 0, last = 0;
  if (!c.Number(1, 255, &first)) return false;
  last = first;
  c.SkipBlanks();
  if (c.Take('-')) {
    c.SkipBlanks();
    if (!c.Number(1, 255, &last) || first >= last) return false;
    c.SkipBlanks();
  }
  if (c.Take('/') && !c.Terminator(&e->repeatTerminator)) return false;
  e->firstOccurrence = static_cast<uint8_t>(first);
  e->lastOccurrence = static_cast<uint8_t>(last);
  return true;
}

bool ParseSelector(Cursor& c, VRecFormat::Entry* e) {
  int32_t item = 0;
  c.Take('[');
  c.SkipBlanks();
  if (!c.Number(1, 255, &item)) return false;
  e->firstItem = e->lastItem = static_cast<uint8_t>(item);
  c.SkipBlanks();
  bool occurrences = false;
  if (c.Take('(')) {
    if (!ParseOccurrences(c, e)) return false;
    c.SkipBlanks();
    if (!c.Take(')')) return false;
    occurrences = true;
    c.SkipBlanks();
  }
  if (!c.Take(']')) return false;
  if (occurrences) return true;
  Cursor look = c;
  look.SkipBlanks();
  if (!look.Take('-')) return true;
  look.SkipBlanks();
  int32_t last = 0;
  if (!look.Take('[')) return false;
  look.SkipBlanks();
  if (!look.Number(1, 255, &last) || last < item) return false;
  look.SkipBlanks();
  if (!look.Take(']')) return false;
  e->lastItem = static_cast<uint8_t>(last);
  c = look;
  return true;
}

bool ParseConversion(Cursor& c, VRecFormat::Entry* e) {
  c.SkipBlanks();
  if (!c.Take('%')) return false;
  if (c.p < c.end && VIsDigit(*c.p) && !c.Number(0, kMaxWidth, &e->width)) return false;
  if (c.p >= c.end || (e->type = ConversionType(*c.p)) == 0) return false;
  ++c.p;
  if (e->type != kVTypeInteger && c.p < c.end && LetterTerminator(*c.p, &e->itemTerminator)) ++c.p;
  return true;
}

}  // namespace

VResult VRecFormat::Compile(std::string_view text) {
  recordTerminator_ = -1;
  entries_.clear();
  if (text.size() < 4) return kVBadFormat;
  Cursor c{reinterpret_cast<const uint8_t*>(text.data()),
           reinterpret_cast<const uint8_t*>(text.data()) + text.size()};
  for (;;) {
    c.SkipSeparators();
    if (c.p >= c.end || *c.p == ';') break;
    Entry e;
    if (c.Take('/')) {
      if (!c.Terminator(&recordTerminator_)) return kVBadFormat;
      continue;
    }
    if (c.At('[')) {
      if (!ParseSelector(c, &e) || !ParseConversion(c, &e)) return kVBadFormat;
    } else if (VIsDigit(*c.p)) {
      if (!c.Number(0, kMaxWidth, &e.width)) return kVBadFormat;
      if (!c.Take('X') && !c.Take('x')) return kVBadFormat;
      e.filler = true;
    } else {
      return kVBadFormat;
    }
    entries_.push_back(e);
  }
  return kVOk;
}

// --- writing ---

namespace {

struct Writer {
  const VVM& vvm;
  VStream& output;
  VLongDataStore* store;

  VResult Value(const VConversion& conversion, const uint8_t* value) {
    // An absent value is written as an empty field of the conversion's type.
    int code = value ? value[0] : conversion.type;
    return vvm.WriteValue(code, conversion, output, value, store);
  }

  // Writes the occurrences first..last of an entry's values (absent ones as empty fields).
  VResult Occurrences(const VRecordView& record, int item, int first, int last,
                      const VConversion& conversion) {
    VRecordView::Entry entry;
    VResult r = record.FindEntry(item, &entry);
    if (r < 0) return r;
    const uint8_t* p = r == kVOk ? entry.values : nullptr;
    const uint8_t* end = p ? p + entry.valuesLength : nullptr;
    int count = r == kVOk ? entry.count : 0;
    for (int k = 1; k <= last; ++k) {
      const uint8_t* value = nullptr;
      if (k <= count) {
        int32_t size = VValueSize(p, static_cast<size_t>(end - p));
        if (size < 0) return kVRecordCorrupt;
        value = p;
        p += size;
      }
      if (k < first) continue;
      r = Value(conversion, value);
      if (r != kVOk) return r;
    }
    return kVOk;
  }

  // Writes occurrences 1, 2, ... up to the first absent one, where the repeat terminator goes.
  VResult Repeated(const VRecordView& record, int item, const VConversion& conversion) {
    VRecordView::Entry entry;
    VResult r = record.FindEntry(item, &entry);
    if (r < 0) return r;
    int count = r == kVOk ? entry.count : 0;
    r = Occurrences(record, item, 1, count, conversion);
    if (r != kVOk) return r;
    if (count < 255 && !output.WriteByte(static_cast<uint8_t>(conversion.repeatTerminator))) {
      return kVWriteFailed;
    }
    return kVOk;
  }
};

}  // namespace

VResult VRecFormat::Export(const VRecordView& record, VStream& output,
                           VLongDataStore* store) const {
  if (record.ItemCount() < 0) return kVRecordCorrupt;
  Writer writer{VVM::Instance(), output, store};
  for (const Entry& e : entries_) {
    if (e.filler) {
      if (!output.WriteRepeated(e.width, ' ')) return kVWriteFailed;
      continue;
    }
    VConversion conversion;
    conversion.type = e.type;
    conversion.width = e.width;
    conversion.itemTerminator = e.itemTerminator;
    conversion.repeatTerminator = e.repeatTerminator;
    conversion.recordTerminator = recordTerminator_;
    VResult r = kVOk;
    if (e.lastItem != e.firstItem) {
      for (int item = e.firstItem; item <= e.lastItem && r == kVOk; ++item) {
        r = writer.Occurrences(record, item, 1, 1, conversion);
      }
    } else if (e.repeatTerminator >= 0) {
      r = writer.Repeated(record, e.firstItem, conversion);
    } else if (e.firstOccurrence) {
      r = writer.Occurrences(record, e.firstItem, e.firstOccurrence, e.lastOccurrence, conversion);
    } else {
      r = writer.Occurrences(record, e.firstItem, 1, 1, conversion);
    }
    if (r != kVOk) return r;
  }
  if (recordTerminator_ >= 0 && !output.WriteByte(static_cast<uint8_t>(recordTerminator_))) {
    return kVWriteFailed;
  }
  return kVOk;
}

// --- reading ---

namespace {

enum class Step { kRead, kRecordEnd, kRepeatEnd };

struct Reader {
  const VVM& vvm;
  VStream& input;
  VRecord& record;
  VLongDataStore* store;
  std::vector<uint8_t> value;

  // One value position: the next byte may end the record or the repeated entry; otherwise a value
  // is read and added.
  VResult Position(int item, const VConversion& conversion, bool repeated, Step* step) {
    uint8_t next = 0;
    if (!input.ReadByte(&next)) {
      *step = Step::kRecordEnd;  // the end of the input ends the record
      return kVOk;
    }
    if (next == conversion.recordTerminator) {
      *step = Step::kRecordEnd;
      return kVOk;
    }
    if (repeated && next == conversion.repeatTerminator) {
      *step = Step::kRepeatEnd;
      return kVOk;
    }
    input.StepBack(1);
    *step = Step::kRead;
    VResult r = vvm.ReadValue(conversion.type, conversion, input, &value, store);
    if (r != kVOk) return r;
    r = record.AddValue(item, value.data(), static_cast<int32_t>(value.size()));
    // The value's long data goes again; the add's failure stays the answer.
    if (r != kVOk) (void)vvm.ReleaseData(conversion.type, value.data(), store);
    return r;
  }
};

}  // namespace

VResult VRecFormat::Import(VRecord& record, VStream& input, VLongDataStore* store) const {
  Reader reader{VVM::Instance(), input, record, store, {}};
  for (const Entry& e : entries_) {
    if (e.filler) {
      input.Seek(input.Position() + e.width);
      continue;
    }
    VConversion conversion;
    conversion.type = e.type;
    conversion.width = e.width;
    conversion.itemTerminator = e.itemTerminator;
    conversion.repeatTerminator = e.repeatTerminator;
    conversion.recordTerminator = recordTerminator_;
    bool repeated = e.lastItem == e.firstItem && e.repeatTerminator >= 0;
    int positions = 1;
    if (repeated) {
      positions = 255;
    } else if (e.firstOccurrence && e.lastItem == e.firstItem) {
      positions = e.lastOccurrence - e.firstOccurrence + 1;
    }
    for (int item = e.firstItem; item <= e.lastItem; ++item) {
      for (int k = 0; k < positions; ++k) {
        Step step = Step::kRead;
        VResult r = reader.Position(item, conversion, repeated, &step);
        if (r != kVOk) return r;
        if (step == Step::kRecordEnd) return kVOk;
        if (step == Step::kRepeatEnd) break;
      }
    }
  }
  uint8_t next = 0;
  if (recordTerminator_ >= 0 && input.ReadByte(&next) && next != recordTerminator_) {
    input.StepBack(1);
  }
  return kVOk;
}
