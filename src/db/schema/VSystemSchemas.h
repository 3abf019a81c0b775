// The schema texts of the engine's own files, each an array of lines ending with a null pointer
// (read with ReadSchema(strings, 0)): the data dictionary (30001), the user file (30002), the value
// file (30003), the transaction log (30004) and the command log (30005).
#pragma once

extern const char* const kVSchemaDataDictionary[];
extern const char* const kVSchemaUserFile[];
extern const char* const kVSchemaValueFile[];
extern const char* const kVSchemaTransactionLog[];
extern const char* const kVSchemaCommandLog[];
