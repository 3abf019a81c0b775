// VVM: the process-wide registry of value types, one VVDD per type code, made on first use and
// kept until Shutdown. It dispatches each value operation on the type code through a table, so a
// dispatch costs one index and one virtual call.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "base/VList.h"
#include "db/schema/VVDD.h"

class VVM : public VList {
 public:
  // The registry, made on first use (thread-safe).
  static VVM& Instance();
  // Deletes the registry; only at the end of the process, when no record refers to it any more.
  static void Shutdown();

  ~VVM() override;

  // The type object of a code, or null.
  const VVDD* Type(int code) const { return code >= 0 && code < 256 ? byCode_[code] : nullptr; }

  // False when no type has the code.
  bool TypeName(int code, const char** name) const;
  // The name is compared ignoring ASCII case.
  bool TypeCode(std::string_view name, uint8_t* code) const;
  // Only the key types (codes 1 to 9): the name, or null.
  const char* KeyTypeName(int code) const;
  // Reads the leading letters of the text as a key type name; 0 when they name none.
  uint8_t KeyTypeCode(std::string_view text) const;

  // Dispatchers. A code without a type gives -511, except that Match then yields false and
  // StoredSize and ValueLength take the body as a one-byte length.
  int32_t StoredSize(int code, const uint8_t* body) const;
  int32_t ValueLength(int code, const uint8_t* body) const;
  VResult ReadValue(int code, const VConversion& conversion, VStream& input,
                    std::vector<uint8_t>* value, VLongDataStore* store) const;
  VResult WriteValue(int code, const VConversion& conversion, VStream& output, const uint8_t* value,
                     VLongDataStore* store) const;
  VResult ReleaseData(int code, const uint8_t* value, VLongDataStore* store) const;
  VResult CopyBytes(int code, const uint8_t* body, uint8_t* buffer, int32_t* length) const;
  bool Match(int code, const uint8_t* value, int op, int32_t operandLength, const uint8_t* operand,
             VLongDataStore* store) const;

 private:
  VVM();
  void Register(VVDD* type);

  const VVDD* byCode_[256] = {};
};
