// VSetAcc: a set of record numbers of one database file, kept by a user between commands.
//
// The members are a bitmap (bit r set when record r is in the set) in pages of the work file
// "@Workset", pages taken only where members exist, so that "and", "or" and "not" run page by page
// and a set over a large file costs little. While the set is sorted it also holds an order list of
// its members in sorted order; record-number order is the bitmap's order.
//
// Invariant: the order list, when present, holds every member of the bitmap exactly once. Adding a
// member to a sorted set appends it to the order; removing one takes it out of both.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "base/VBase.h"
#include "db/store/VRio.h"
#include "db/store/VSetObj.h"

class VCioMap;

class VSetAcc : public VSetObj {
 public:
  // work: the work file that holds the pages; null keeps them in memory.
  VSetAcc(VCioMap* work, int32_t fileNumber);
  ~VSetAcc() override;

  int32_t Kind() const override { return kSet; }

  int32_t FileNumber() const { return fileNumber_; }
  VCioMap* WorkFile() const { return work_; }
  // Sets made by "SetMake": used by reference as an operand and never changed by a statement.
  bool IsUserSet() const { return userSet_; }
  void MarkUserSet() { userSet_ = true; }
  const std::string& Statement() const { return statement_; }
  void SetStatement(std::string statement) { statement_ = std::move(statement); }
  const std::string& SortDescription() const { return sortDescription_; }

  // The order list's length when sorted, else the bitmap's count.
  uint32_t Size() const;
  // The member at a position from 0, in sorted order when sorted, else ascending; 0 outside.
  uint32_t At(uint32_t index) const;
  bool Contains(uint32_t r) const { return map_.Test(r); }
  bool IsSorted() const { return order_ != nullptr; }
  const VRMap& Map() const { return map_; }
  VRMap* MutableMap() { return &map_; }
  const VRList* Order() const { return order_.get(); }

  // The operations that build a set for the query language. Empty clears the members, the order,
  // the statement and the sort description; Finish drops empty pages.
  void Empty();
  VResult Add(uint32_t r);
  VResult AddRange(uint32_t first, uint32_t last);
  // u24 record numbers; each run of consecutive numbers goes in as one range.
  VResult AddList(std::span<const uint8_t> numbers);
  VResult CopyFrom(const VSetAcc& other);
  VResult And(const VSetAcc& other);
  VResult Or(const VSetAcc& other);
  VResult AndNot(const VSetAcc& other);
  void Finish() { map_.DropEmptyPages(); }

  // The user's changes: one number or a run of u24 numbers (0 and numbers above the u24 range are
  // no records and are passed over). Insert sets the bit of a number not yet in the set and, when
  // sorted, appends it to the order; Delete clears the bit and takes the number out of the order.
  VResult Insert(uint32_t r);
  VResult Insert(std::span<const uint8_t> numbers);
  VResult Delete(uint32_t r);
  VResult Delete(std::span<const uint8_t> numbers);

  // Installs a new order (holding every member once) with the description that made it.
  void SetOrder(std::unique_ptr<VRList> order, std::string description);
  // Drops the order: the set is in record-number order again.
  void SortCancel();

 private:
  VResult DeleteFromOrder(std::span<const uint32_t> sortedNumbers);

  VCioMap* work_;
  int32_t fileNumber_;
  bool userSet_ = false;
  std::string statement_;
  std::string sortDescription_;
  VRMap map_;
  std::unique_ptr<VRList> order_;
};
