// The block cache: every block of a database's index, data and work files is read, changed and
// written through it.
//
// Guarantees:
// - A pinned buffer is never evicted and its image address stays valid until its last release.
// - A dirty block of a file with an owner (a record file) is never written by the cache alone: it
//   leaves the cache only after the owner's Sync has written the owner's files as a whole, and
//   while a record operation is open (BeginUpdate .. EndUpdate) no dirty block of such a file is
//   chosen for eviction at all; when nothing else can go, the cache grows beyond its capacity and
//   has every owner sync at the end of the operation.
// - A dirty block of a work file (no owner) may be written directly when it must leave.
// - The victim search runs only when the cache is full; looking up a cached block costs constant
//   time.
//
// Replacement: a buffer's age starts at 100000 when it receives a block; each victim search adds
// one to every buffer's age, and a hit while the cache is full takes one away (not below 0). The
// victim is the eligible buffer of highest age, the first in node and block order on equal ages.
// The ages are kept as offsets from a search counter in two ordered sets, so a search does not
// visit every buffer: the buffers that may leave at any time (clean ones, and every buffer of a
// work file), and the changed blocks of record files, which may leave only outside a record
// operation. Inside an operation the victim is the first unpinned buffer of the first set, outside
// the first of the two sets' first unpinned buffers; so a search passes over pinned buffers only,
// however many changed blocks an operation holds. The sets are built by the first victim search
// and kept while the cache stays more than half full; below that they are dropped, so that a cache
// with room spends nothing on ordering buffers it will not evict.
//
// The cache takes no lock: the engine uses it from one thread.
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <vector>

#include "base/VBase.h"
#include "db/store/VCashBffr.h"
#include "db/store/VCashNode.h"

class VCio;
class VStream;

struct VCashCounters {
  uint64_t news = 0;
  uint64_t gets = 0;
  uint64_t dirties = 0;
  uint64_t frees = 0;
  uint64_t findSpaces = 0;
  uint64_t bufferAllocations = 0;  // buffers taken for blocks (from a victim, the pool or new)
  uint64_t hits = 0;
  uint64_t misses = 0;
  uint64_t evictions = 0;
  uint64_t victimSearches = 0;
  uint64_t passedOver = 0;  // buffers a victim search met and could not take (pinned ones)
};

struct VCashVictimOrder {
  bool operator()(const VCashBffr* a, const VCashBffr* b) const;
};

class VCash {
 public:
  static constexpr int32_t kPoolLimit = 16;
  static constexpr int32_t kMinimumKilobytes = 40;

  // Capacity: max(kilobytes, 40) * 1024 bytes of block images.
  explicit VCash(int32_t kilobytes);
  // Files still registered are detached; their dirty blocks are lost (and logged).
  ~VCash();
  VCash(const VCash&) = delete;
  VCash& operator=(const VCash&) = delete;

  // Called by the block file when it opens and closes. DropFile writes the file's dirty blocks in
  // place (a record file's owner syncs before closing), then releases all its buffers.
  VCashNode* Register(VCio& file);
  VResult DropFile(VCio& file);
  // Releases all the file's buffers without writing any (a record file whose write-back failed
  // leaves its changes to the replay of its backup); answers the number of dirty blocks dropped.
  int32_t DiscardFile(VCio& file);
  // A data file's node keeps its buffers indexed for FindSpace.
  void IndexSpace(VCio& file);

  // The block's image, pinned; read from the file when not cached. Null on a read error (the code
  // goes to error when given).
  VCashBffr* Get(VCio& file, uint32_t block, VResult* error = nullptr);
  // The cached image, pinned, or null; never reads.
  VCashBffr* Peek(VCio& file, uint32_t block);
  // A zeroed image for a block just allocated, dirty and pinned.
  VCashBffr* New(VCio& file, uint32_t block);
  // The image differs from the disk: the node becomes dirty and its owner changed.
  void MarkDirty(VCashBffr* buffer);
  // The block leaves the cache, pinned or not; a dirty one first has the file extended to cover it.
  VResult Free(VCio& file, uint32_t block);
  void Pin(VCashBffr* buffer);
  void Release(VCashBffr* buffer);
  // The first cached block of the file (in block order) whose kind byte is kind and whose free
  // payload (B - 4 - in use) is at least bytes, pinned; or null.
  VCashBffr* FindSpace(VCio& file, uint8_t kind, uint32_t bytes);

  // For each dirty block of the file in block order: u32 file kind, u32 block number, u32 B, the
  // B bytes. The blocks stay dirty.
  VResult WriteToBackup(VCio& file, VStream& backup);
  // Writes the file's dirty blocks in place in block order; they become clean.
  VResult FlushFile(VCio& file);

  // Brackets one record operation; brackets nest and only the outermost end acts.
  void BeginUpdate();
  // Makes every owner sync when the operation had to grow the cache; otherwise, when the cache is
  // full and few buffers are clean, writes back the owner of the next victim.
  VResult EndUpdate();
  // Closes a bracket whose operation was abandoned by an engine failure: nothing is written back
  // now; a pending write-back is left to the next bracket's end.
  void CancelUpdate();
  bool InUpdate() const { return updateDepth_ > 0; }

  int64_t Capacity() const { return capacity_; }
  int64_t Used() const { return used_; }
  int32_t Reserve() const { return reserve_; }
  bool IsFull() const { return capacity_ < used_ + reserve_; }
  bool FlushNeeded() const { return flushNeeded_; }
  int32_t BufferCount() const { return bufferCount_; }
  int32_t DirtyCount() const { return dirtyCount_; }
  int32_t PoolCount() const { return static_cast<int32_t>(pool_.size()); }
  int32_t NodeCount() const { return static_cast<int32_t>(nodes_.size()); }
  const VCashCounters& Counters() const { return counters_; }
  int32_t AgeOf(const VCashBffr& buffer) const;

 private:
  VCashNode* NodeOf(VCio& file, VResult* error) const;
  // A buffer of size bytes not yet in any node; evicts when the cache is full.
  std::unique_ptr<VCashBffr> TakeBuffer(int32_t size, bool zero);
  VCashBffr* ChooseVictim();
  // Which ordered set a buffer belongs in: kMayLeave or kHeldDirty.
  int SetOf(const VCashBffr& buffer) const;
  // The first unpinned buffer of a set in victim order, or null.
  VCashBffr* FirstUnpinned(int set);
  // Makes the node's dirty blocks reach the disk: the owner syncs, or a work file is written.
  VResult WriteBack(VCashNode* node);
  VCashBffr* Enter(VCashNode* node, uint32_t block, std::unique_ptr<VCashBffr> buffer);
  std::unique_ptr<VCashBffr> Leave(VCashBffr* buffer);
  void Recycle(std::unique_ptr<VCashBffr> buffer);
  void SetDirty(VCashBffr* buffer, bool dirty);
  void Touch(VCashBffr* buffer);
  void NoteSpace(VCashBffr* buffer);
  std::vector<VCashBffr*> DirtyBuffers(VCashNode* node) const;

  int64_t capacity_;
  int64_t used_ = 0;
  int32_t reserve_ = 1024;
  int32_t updateDepth_ = 0;
  bool flushNeeded_ = false;
  int32_t bufferCount_ = 0;
  int32_t dirtyCount_ = 0;
  int64_t searches_ = 0;
  uint32_t nextSerial_ = 0;
  std::vector<std::unique_ptr<VCashNode>> nodes_;
  std::vector<std::unique_ptr<VCashBffr>> pool_;
  static constexpr int kMayLeave = 0;
  static constexpr int kHeldDirty = 1;
  std::set<VCashBffr*, VCashVictimOrder> byAge_[2];
  bool ordered_ = false;  // byAge_ holds every buffer
  VCashCounters counters_;
};

// One record operation bracketed in the cache for the lifetime of a scope: while it is open no
// changed block of a record file leaves the cache, so a flush never sees half an operation. End
// closes it (which may write back); a scope left without End (an engine failure) closes it without
// writing anything.
class VCashUpdate {
 public:
  explicit VCashUpdate(VCash* cache) : cache_(cache) { cache_->BeginUpdate(); }
  ~VCashUpdate() {
    if (!ended_) cache_->CancelUpdate();
  }
  VCashUpdate(const VCashUpdate&) = delete;
  VCashUpdate& operator=(const VCashUpdate&) = delete;
  VResult End() {
    ended_ = true;
    return cache_->EndUpdate();
  }

 private:
  VCash* cache_;
  bool ended_ = false;
};
