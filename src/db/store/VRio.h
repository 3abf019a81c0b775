// Paged record collections: VRMap, one bit per record number; VRList, u24 record numbers in the
// order they were appended. Sets keep their members in them.
//
// A VRio is an array of pages of P bytes (P of its work file's blocks, or 2048 bytes kept in memory
// when it has no work file), each with the number of records in it and its work-file block (kind
// 14), taken on first write; and the count of all records. Pages that hold nothing are not taken,
// so a collection over a large file costs little. Every page access holds the collection's lock.
// The work file must outlive the collection; the collection frees its blocks when cleared.
// The buffer of the page last reached stays pinned in the cache until another page is reached or
// the page is dropped, so that reads in order (a set's members one by one) and writes to the same
// page do not look the block up again each time.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <utility>
#include <vector>

#include "base/VBase.h"
#include "base/VObj.h"

class VCioMap;
class VCashBffr;

class VRio : public VObj {
 public:
  static constexpr int32_t kMemoryPageSize = 2048;
  static constexpr uint8_t kPageKind = 14;

  explicit VRio(VCioMap* workFile = nullptr);
  ~VRio() override;
  VRio(const VRio&) = delete;
  VRio& operator=(const VRio&) = delete;

  int32_t PageSize() const { return pageSize_; }
  uint32_t Count() const;
  // Pages taken.
  int32_t PageCount() const;
  // Drops every page.
  void Clear();

 protected:
  struct Page {
    uint32_t count = 0;
    uint32_t block = 0;                // in the work file, when there is one
    std::unique_ptr<uint8_t[]> bytes;  // when there is none
    bool taken = false;
  };

  // Access to one page's bytes, pinned in the cache for as long as the access lives. A write
  // access takes the page when it is missing and marks it changed when it ends.
  class PageAccess {
   public:
    PageAccess(VRio* rio, size_t page, bool write);
    ~PageAccess();
    PageAccess(const PageAccess&) = delete;
    PageAccess& operator=(const PageAccess&) = delete;
    // Null when the page is not taken (read) or cannot be had.
    uint8_t* Bytes() const { return bytes_; }
    VResult Error() const { return error_; }

   private:
    VRio* rio_;
    VCashBffr* buffer_ = nullptr;
    uint8_t* bytes_ = nullptr;
    bool write_;
    VResult error_ = kVOk;
  };

  // Makes buffer (pinned for this collection) the held one, releasing the one held before.
  void Hold(VCashBffr* buffer, uint32_t block);
  void ReleaseHeld();

  bool PageTaken(size_t page) const { return page < pages_.size() && pages_[page].taken; }
  void DropPage(size_t page);
  // Copies the other's pages whole (both must have the same page size).
  VResult CopyPages(const VRio& other);

  VCioMap* work_;
  int32_t pageSize_;
  std::vector<Page> pages_;
  uint32_t count_ = 0;
  // Grows with every change of the pages, so that what was read from them can be known current.
  uint64_t changes_ = 0;
  // The pinned buffer of work-file block heldBlock_, or null.
  VCashBffr* held_ = nullptr;
  uint32_t heldBlock_ = 0;
  mutable VCritical lock_;
};

class VRMap : public VRio {
 public:
  using VRio::VRio;

  uint32_t BitsPerPage() const { return static_cast<uint32_t>(pageSize_) * 8; }
  VResult Add(uint32_t r);
  // Sets every bit from first to last inclusive; only bits newly set are counted.
  VResult AddRange(uint32_t first, uint32_t last);
  // Adds runs of record numbers (first, last inclusive; the span may be reordered here), one page
  // access for all the runs that fall in the same page.
  VResult AddRuns(std::span<std::pair<uint32_t, uint32_t>> runs);
  VResult Remove(uint32_t r);
  bool Test(uint32_t r) const;
  // The n-th record number in ascending order (from 0); 0 when n is outside the set.
  uint32_t Nth(uint32_t n) const;
  // The first record number above after; 0 when none.
  uint32_t Next(uint32_t after) const;
  VResult CopyFrom(const VRMap& other);
  // In-place set operations page by page: AND drops the pages the other lacks, OR copies the
  // pages this one lacks, AND-NOT clears the other's bits.
  VResult And(const VRMap& other);
  VResult Or(const VRMap& other);
  VResult AndNot(const VRMap& other);
  // Recounts every page and drops the pages that hold nothing.
  void Recount();
  // Drops the pages whose kept count is 0, without reading any page: every change of the bits
  // keeps the counts, so this is what a finished set needs, at the cost of a walk of the page
  // table.
  void DropEmptyPages();

 private:
  uint32_t CountPage(const uint8_t* bytes) const;
  void SetPageCount(size_t page, uint32_t count);
  VResult ChangeBits(uint32_t first, uint32_t last, bool set);
  // The n-th record counted from the first page.
  uint32_t Find(uint32_t n) const;
  void Remember(uint32_t n, uint32_t r) const;

  // AddRuns groups the runs by page by counting when they start within this many pages.
  static constexpr uint32_t kMaxCountedPages = 1024;
  std::vector<uint32_t> groupStarts_;
  std::vector<std::pair<uint32_t, uint32_t>> grouped_;

  // The last answer of Nth, valid while changes_ equals cursorChanges_.
  mutable uint32_t cursorIndex_ = 0;
  mutable uint32_t cursorRecord_ = 0;
  mutable uint64_t cursorChanges_ = 0;
};

class VRList : public VRio {
 public:
  using VRio::VRio;

  uint32_t NumbersPerPage() const { return static_cast<uint32_t>(pageSize_) / 3; }
  VResult Append(uint32_t r);
  // Appends first, first + 1, ..., last.
  VResult AppendRange(uint32_t first, uint32_t last);
  // The n-th number appended (from 0); 0 when n is outside the list.
  uint32_t Nth(uint32_t n) const;
  // Whether the number is in the list (a scan).
  bool Test(uint32_t r) const;
  // Keeps, in their order, only the numbers for which keep answers true, moving them up in place;
  // pages left empty are dropped.
  VResult Retain(const std::function<bool(uint32_t)>& keep);
  VResult CopyFrom(const VRList& other);
};
