// Record images as read from a damaged disk: every question a record view answers, asked of any
// bytes, never reads outside them.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/VStream.h"
#include "db/schema/VRecord.h"
#include "db/schema/VRecordView.h"
#include "db/schema/VValue.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const VRecordView view(data, size);
  (void)view.Check();
  const int32_t items = view.ItemCount();
  uint8_t buffer[4096];
  int32_t length = 0;
  for (int item = 0; item <= 255; ++item) {
    const int32_t occurrences = view.OccurrenceCount(item);
    if (occurrences == 0 && item > 0) continue;
    for (int occurrence = 0; occurrence <= (occurrences > 0 ? occurrences + 1 : 1); ++occurrence) {
      VValueRef ref;
      (void)view.ValueRef(item, occurrence, &ref);
      (void)view.ValueType(item, occurrence);
      (void)view.ValueLength(item, occurrence);
      (void)view.ValueText(item, occurrence, buffer, sizeof buffer, &length);
    }
    const uint8_t operand[] = {'a', 'b'};
    for (int op = 0; op <= 12; ++op) (void)view.Match(item, op, 2, operand);
  }
  const uint8_t single[] = {1};
  const uint8_t several[] = {1, 2, 3};
  int32_t count = 0;
  (void)view.KeyValue(single, &count, buffer, sizeof buffer, &length);
  (void)view.KeyValue(several, &count, buffer, sizeof buffer, &length);
  (void)view.TaggedValues(several, buffer, sizeof buffer, &length);
  (void)items;
  // A record loaded from the bytes takes a copy only when they are sound.
  VRecord record;
  if (size <= 0x7FFF && record.Load(data, static_cast<int32_t>(size)) == 0) {
    (void)record.View().Check();
    VDMemStream out;
    (void)record.Export("[1] %s [2] %s [3] %i;", out);
  }
  return 0;
}
