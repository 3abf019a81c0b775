// Schema texts as "@CreateDB" reads them: parsed, written back as text, and the text parsed again.
#include <cstddef>
#include <cstdint>

#include "base/VStream.h"
#include "db/schema/VSchema.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A length of 0 would mean text ended by a zero byte.
  if (size == 0) return 0;
  VResult result = 0;
  std::unique_ptr<VSchema> schema = ReadSchema(data, static_cast<int64_t>(size), &result);
  if (schema == nullptr) return 0;
  VDMemStream text;
  if (schema->WriteTo(text) != 0 || text.Size() == 0) return 0;
  std::unique_ptr<VSchema> again = ReadSchema(text.Data(), text.Size(), &result);
  // What the writer writes, the reader reads.
  if (again == nullptr) __builtin_trap();
  return 0;
}
