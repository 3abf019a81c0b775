// The entries of a parsed query statement, kept in order by VSetMaker: operands ("all", "null", a
// condition, a set of the user), the operators "and", "or" and "not", and the brackets of groups.
// Each entry can show itself in the statement syntax.
#pragma once

#include <cstdint>
#include <string>

#include "base/VObj.h"
#include "db/engine/VExpValue.h"

class VSMEntry : public VObj {
 public:
  static constexpr int kAll = 1;
  static constexpr int kNull = 2;
  static constexpr int kItem = 3;
  static constexpr int kSet = 4;
  static constexpr int kOperator = 10;
  static constexpr int kStart = 11;
  static constexpr int kEnd = 12;

  virtual int Kind() const = 0;
  // Appends the entry's written form; false when it cannot be shown.
  virtual bool Show(std::string* out) const = 0;
  bool IsOperand() const { return Kind() <= kSet; }

  // Writes "VSMEntry::Show : %s" to the debug log, with "... ERROR ..." when it cannot be shown.
  void LogShow() const;
};

class VExpAll : public VSMEntry {
 public:
  int Kind() const override { return kAll; }
  bool Show(std::string* out) const override;
};

class VExpNull : public VSMEntry {
 public:
  int Kind() const override { return kNull; }
  bool Show(std::string* out) const override;
};

// A condition on an item or a key: the reference as written (an optional letter "I" or "K" and a
// name of at most 31 bytes) and the value part. Resolving against the schema decides whether it is
// a key or an item and its number.
class VExpItem : public VSMEntry {
 public:
  static constexpr size_t kMaxName = 31;

  VExpItem(uint8_t letter, std::string name, VExpValue value)
      : letter_(letter), name_(std::move(name)), value_(std::move(value)) {}

  int Kind() const override { return kItem; }
  // "[name] = value" or "[L:name] = value".
  bool Show(std::string* out) const override;

  // 0, 'I' or 'K'.
  uint8_t Letter() const { return letter_; }
  const std::string& Name() const { return name_; }
  const VExpValue& Value() const { return value_; }

  bool IsResolved() const { return number_ != 0; }
  bool IsKey() const { return isKey_; }
  int32_t Number() const { return number_; }
  void Resolve(bool isKey, int32_t number) {
    isKey_ = isKey;
    number_ = number;
  }

 private:
  uint8_t letter_;
  std::string name_;
  VExpValue value_;
  bool isKey_ = false;
  int32_t number_ = 0;
};

// "#n": a set the user holds, used by reference.
class VExpSet : public VSMEntry {
 public:
  explicit VExpSet(int32_t id) : id_(id) {}
  int Kind() const override { return kSet; }
  bool Show(std::string* out) const override;
  int32_t Id() const { return id_; }

 private:
  int32_t id_;
};

class VSMOper : public VSMEntry {
 public:
  static constexpr int kAnd = 1;
  static constexpr int kOr = 2;
  static constexpr int kNot = 3;

  explicit VSMOper(int code) : code_(code) {}
  int Kind() const override { return kOperator; }
  bool Show(std::string* out) const override;
  int Code() const { return code_; }

 private:
  int code_;
};

class VExpStart : public VSMEntry {
 public:
  int Kind() const override { return kStart; }
  bool Show(std::string* out) const override;
};

class VExpEnd : public VSMEntry {
 public:
  int Kind() const override { return kEnd; }
  bool Show(std::string* out) const override;
};
