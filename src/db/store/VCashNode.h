// One block file registered with the block cache: the file, the owner that writes it back as a
// whole (none for work files), and the buffers that hold its blocks.
//
// The buffers are found by block number through an open-addressing hash table (constant time, no
// allocation per buffer); whatever must run in block order (write-back, backups) sorts the few
// buffers it handles. A node of a data file also
// keeps its buffers indexed by block kind and free payload, so that finding a cached block with
// room never visits every buffer.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "base/VObj.h"
#include "db/store/VCashBffr.h"

class VCio;
class VIOSync;

// Block number -> buffer, owning the buffers: linear probing in a power-of-two table kept at most
// half full, removal by shifting the following entries back (no tombstones), so a lookup touches
// one or two slots and entering or leaving a block never allocates.
class VCashBlockTable {
 public:
  VCashBlockTable() = default;
  ~VCashBlockTable();
  VCashBlockTable(const VCashBlockTable&) = delete;
  VCashBlockTable& operator=(const VCashBlockTable&) = delete;

  int32_t Size() const { return size_; }
  VCashBffr* Find(uint32_t block) const {
    if (size_ == 0) return nullptr;
    for (size_t at = Home(block);; at = (at + 1) & mask_) {
      const Slot& slot = slots_[at];
      if (slot.buffer == nullptr) return nullptr;
      if (slot.block == block) return slot.buffer;
    }
  }
  // Takes ownership; the block must not be present.
  void Insert(uint32_t block, std::unique_ptr<VCashBffr> buffer);
  // Gives the buffer back to the caller; null when the block is not present.
  std::unique_ptr<VCashBffr> Remove(uint32_t block);
  template <typename F>
  void ForEach(F&& f) const {
    for (const Slot& slot : slots_) {
      if (slot.buffer != nullptr) f(slot.buffer);
    }
  }

 private:
  struct Slot {
    uint32_t block = 0;
    VCashBffr* buffer = nullptr;
  };
  size_t Home(uint32_t block) const {
    return static_cast<size_t>(static_cast<uint64_t>(block * 0x9E3779B1u) >> shift_) & mask_;
  }
  void Grow();

  std::vector<Slot> slots_;
  size_t mask_ = 0;
  int shift_ = 32;
  int32_t size_ = 0;
};

// The free payload of a data file's cached blocks, by block kind and block number: per kind a max
// tree over block numbers, so that the first block in block order with at least n bytes free is
// found in logarithmic time, and a change costs logarithmic time without allocating.
class VCashSpaceIndex {
 public:
  // Records the block's free payload (0 or more) under its kind.
  void Set(uint8_t kind, uint32_t block, int32_t free);
  void Clear(uint8_t kind, uint32_t block) { Put(kind, block, kNone); }
  // The first block at or after from whose recorded free payload is at least bytes; -1 if none.
  int64_t FirstWithRoom(uint8_t kind, int32_t bytes, uint32_t from) const;

 private:
  static constexpr int32_t kNone = -1;
  struct Tree {
    uint8_t kind = 0;
    size_t leaves = 0;         // a power of two (0 while empty)
    std::vector<int32_t> max;  // node i covers its children 2i and 2i + 1; leaves from `leaves`
  };
  void Put(uint8_t kind, uint32_t block, int32_t value);
  const Tree* Find(uint8_t kind) const;
  Tree* Find(uint8_t kind) {
    return const_cast<Tree*>(static_cast<const VCashSpaceIndex*>(this)->Find(kind));
  }
  static int64_t Search(const Tree& tree, size_t node, size_t low, size_t high, uint32_t from,
                        int32_t bytes);

  std::vector<Tree> trees_;  // one per kind met (a data file has few)
};

class VCashNode : public VObj {
 public:
  VCashNode(VCio* file, VIOSync* owner, uint32_t serial)
      : file_(file), owner_(owner), serial_(serial) {}

  VCio* File() const { return file_; }
  VIOSync* Owner() const { return owner_; }
  bool IsDirty() const { return dirtyCount_ > 0; }
  int32_t DirtyCount() const { return dirtyCount_; }
  int32_t BufferCount() const { return buffers_.Size(); }
  // Registration order; victims of equal age are taken in this order.
  uint32_t Serial() const { return serial_; }
  VCashBffr* Lookup(uint32_t block) const { return buffers_.Find(block); }

 private:
  friend class VCash;

  VCio* file_;
  VIOSync* owner_;
  uint32_t serial_;
  int32_t dirtyCount_ = 0;
  // The dirty buffers, so that a flush visits only them (dirtyCount_ is its size).
  std::vector<VCashBffr*> dirty_;
  bool spaceIndexed_ = false;
  VCashBlockTable buffers_;
  // The free payload of the buffers of an indexed node.
  VCashSpaceIndex space_;
};
