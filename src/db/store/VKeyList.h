// The open keys of a record file and the interface a record file uses to keep them.
//
// A key is a tree in the index file that maps key values (a length byte and at most 255 bytes) to
// record numbers; a key with the reverse attribute (word bit 0x2000) has a second tree of the same
// values with their characters in reverse order. The attribute word is the key's value type in its
// low byte and its flags in the high byte (0x8000 unique, 0x4000 null-omit, 0x2000 reverse,
// 0x1000 ignore case, 0x0800 ignore kana case); a tree normalises each value it is given.
//
// VKeyObject is the operation set the record file needs of one tree. Trees are made by the key
// maker installed for the process; with none installed no key can be created or opened, and a
// file that has keys answers kVKeyNotOpen.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "base/VBase.h"
#include "base/VObj.h"

class VCioMap;

constexpr uint16_t kVKeyWordUnique = 0x8000;
constexpr uint16_t kVKeyWordReverse = 0x2000;

class VKeyObject : public VObj {
 public:
  VKeyObject(VCioMap* index, uint8_t keyNumber, uint16_t attributes, uint32_t root)
      : index_(index), keyNumber_(keyNumber), attributes_(attributes), root_(root) {}

  uint8_t KeyNumber() const { return keyNumber_; }
  uint16_t Attributes() const { return attributes_; }
  uint32_t Root() const { return root_; }
  bool IsUnique() const { return (attributes_ & kVKeyWordUnique) != 0; }

  // Allocates an empty root in the index file and makes it the tree's root.
  virtual VResult CreateRoot() = 0;
  // Frees every node of the tree, the root included.
  virtual VResult Drop() = 0;
  // value: a length byte and the bytes. 0; -101 when a unique key has the value already.
  virtual VResult InsertKey(const uint8_t* value, uint32_t record) = 0;
  // 0; -103 value not present; -104 record not in the value's list.
  virtual VResult DeleteKey(const uint8_t* value, uint32_t record) = 0;
  // Removes every entry of the record.
  virtual VResult DeleteRecord(uint32_t record) = 0;
  // Whether the value is present; record receives the record number of its first entry.
  virtual bool Lookup(const uint8_t* value, uint32_t* record) = 0;

 protected:
  VCioMap* index_;
  uint8_t keyNumber_;
  uint16_t attributes_;
  uint32_t root_;
};

// Makes the tree object of one key (or reverse tree) over the index file; root 0 for a tree whose
// root CreateRoot will allocate.
using VKeyMaker = std::unique_ptr<VKeyObject> (*)(VCioMap* index, uint8_t keyNumber,
                                                  uint16_t attributes, uint32_t root);
// Installs the maker (null removes it); answers the previous one.
VKeyMaker VSetKeyMaker(VKeyMaker maker);
VKeyMaker VCurrentKeyMaker();

// The open keys of one record file, in ascending key number, each with its reverse tree when it
// has one.
class VKeyList {
 public:
  int32_t Count() const { return static_cast<int32_t>(keys_.size()); }
  VKeyObject* At(int32_t index) const { return keys_[static_cast<size_t>(index)].get(); }
  // The key or reverse tree of a key number, or null when not open.
  VKeyObject* Key(int32_t keyNumber) const;
  VKeyObject* Reverse(int32_t keyNumber) const;
  // Adds an open key (and its reverse tree, or null); false when the number is already open.
  bool Add(std::unique_ptr<VKeyObject> key, std::unique_ptr<VKeyObject> reverse);
  // Takes the key and its reverse tree out of the list and deletes them.
  void Remove(int32_t keyNumber);
  void Clear();

 private:
  int32_t IndexOf(int32_t keyNumber, std::vector<std::unique_ptr<VKeyObject>> const& list) const;

  std::vector<std::unique_ptr<VKeyObject>> keys_;
  std::vector<std::unique_ptr<VKeyObject>> reverses_;
};
