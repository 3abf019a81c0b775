// Delimited input: the engine's reader under a syntax taken from the input's first bytes (its own
// checks: every call consumes bytes or ends, no value grows past the text), then the data input's
// parameter list and item formats over the rest, read as "@DataInput" reads a data file.
#include <cstddef>
#include <cstdint>

#include "db/schema/VDelimited.h"
#include "script/OvDataInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  (void)VDelimitedExercise(data, size);   // the count of values is of no interest here
  (void)OvDataInputExercise(data, size);  // likewise
  return 0;
}
