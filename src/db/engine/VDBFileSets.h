// The sets of one record file in one user's list of sets: made from query statements (VSetMaker.h),
// counted, read by position, changed, sorted (VSorter.h) and dropped. Set pages live in the
// engine's work set and large sorts build their trees in its work tree.
//
// An object is made for one command over a file, a user's list and the engine's work files, which
// all outlive it. Every id must name a set of this file in the list, else -506.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "base/VBase.h"

class VDBFile;
class VListMgr;
class VWorkFiles;

class VDBFileSets {
 public:
  VDBFileSets(VDBFile* file, VListMgr* sets, VWorkFiles* work)
      : file_(file), sets_(sets), work_(work) {}

  // Makes a set from a query statement and adds it to the list: its id and size; -2114 when the
  // statement cannot be made into a set (nothing is added), -501.
  VResult SetMake(std::span<const uint8_t> statement, int32_t* id, uint32_t* size);
  // Counts the records of a statement and gives the first of them (0 when none) without keeping a
  // set: -2115 for a statement that fails.
  VResult SetCount(std::span<const uint8_t> statement, uint32_t* count, uint32_t* first);
  VResult SetSize(int32_t id, uint32_t* size);
  // The record number at a position from 0 (sorted order when sorted), and with image the record:
  // -2121 outside the set, record read errors.
  VResult SetRGet(int32_t id, uint32_t index, uint32_t* r, std::vector<uint8_t>* image = nullptr);
  // One record number, or u24 numbers; 0 and numbers beyond the u24 range are passed over. A number
  // added to a sorted set goes to the end of its order; one removed leaves the order too.
  VResult SetRAdd(int32_t id, uint32_t r);
  VResult SetRAdd(int32_t id, std::span<const uint8_t> numbers);
  VResult SetRDel(int32_t id, uint32_t r);
  VResult SetRDel(int32_t id, std::span<const uint8_t> numbers);
  // Sorts by a sort description (VSorter.h): -501, -1207, -1209 (also for an id that names no
  // set), -506 for an empty set, record read errors.
  VResult SetSort(int32_t id, std::span<const uint8_t> description);
  VResult SortCancel(int32_t id);
  VResult SetCancel(int32_t id);

 private:
  VDBFile* file_;
  VListMgr* sets_;
  VWorkFiles* work_;
};
