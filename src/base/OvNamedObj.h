// An object with a kind code and a name. The name is a heap copy of Shift-JIS text, or absent;
// an empty text never becomes a name. Names compare exactly unless the caller asks for case or
// width folding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "base/VObj.h"

// A four-character code held in 32 bits, first character in the most significant byte.
constexpr uint32_t OvKindCode(const char (&code)[5]) {
  return (static_cast<uint32_t>(static_cast<uint8_t>(code[0])) << 24) |
         (static_cast<uint32_t>(static_cast<uint8_t>(code[1])) << 16) |
         (static_cast<uint32_t>(static_cast<uint8_t>(code[2])) << 8) |
         static_cast<uint32_t>(static_cast<uint8_t>(code[3]));
}

class OvNamedObj : public VObj {
 public:
  static constexpr uint32_t kKindCode = OvKindCode("NObj");

  OvNamedObj() = default;
  explicit OvNamedObj(const char* name);
  OvNamedObj(const void* bytes, int32_t length);
  ~OvNamedObj() override;
  OvNamedObj(const OvNamedObj&) = delete;
  OvNamedObj& operator=(const OvNamedObj&) = delete;

  virtual uint32_t KindCode() const;

  // Frees the old name first. Null, empty or a negative length leaves the object without a name.
  void SetName(const char* name);
  void SetName(const void* bytes, int32_t length);
  // The zero-terminated name, or null when there is none.
  const char* Name() const { return name_.get(); }
  uint32_t NameLength() const { return nameLength_; }
  bool HasName() const { return name_ != nullptr; }
  // At most size - 1 bytes, never ending inside a double-byte character, then a zero byte.
  void GetName(char* buffer, size_t size) const;

  // Whether the name is exactly length bytes long and equal to them. ignoreCase folds a-z onto
  // A-Z; ignoreWidth folds full-width letters, digits and the full-width space onto ASCII. An
  // object without a name matches nothing.
  bool EqualsCountedName(const void* bytes, int32_t length, bool ignoreCase = false,
                         bool ignoreWidth = false) const;
  bool EqualsName(const char* name, bool ignoreCase = false, bool ignoreWidth = false) const;

 private:
  std::unique_ptr<char[]> name_;
  uint32_t nameLength_ = 0;
};
