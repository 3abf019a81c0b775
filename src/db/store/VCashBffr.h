// One block image held by the block cache.
//
// A buffer belongs to one node (block file) and block while it is in the cache, or to the cache's
// pool of spare buffers. Flags: 0x80 dirty (the image differs from the block on disk), 0x40 pinned
// (a caller holds the image; it is never evicted, and its address stays valid). Pins are counted:
// every get, peek, new, find-space or pin is matched by one release.
#pragma once

#include <cstdint>
#include <vector>

#include "base/VEndian.h"
#include "base/VObj.h"

class VCashNode;

class VCashBffr : public VSortObj {
 public:
  static constexpr uint8_t kDirty = 0x80;
  static constexpr uint8_t kPinned = 0x40;
  // The age a buffer starts with when it receives a block.
  static constexpr int32_t kFreshAge = 100000;

  VCashBffr() = default;
  ~VCashBffr() override;
  VCashBffr(const VCashBffr&) = delete;
  VCashBffr& operator=(const VCashBffr&) = delete;

  // Ordered by block number; the key is a uint32_t block number.
  int CompareKey(const void* key) const override {
    uint32_t other = *static_cast<const uint32_t*>(key);
    return block_ < other ? -1 : (block_ > other ? 1 : 0);
  }
  const void* Key() const override { return &block_; }

  uint8_t* Data() { return image_; }
  const uint8_t* Data() const { return image_; }
  int32_t Size() const { return size_; }
  uint32_t BlockNumber() const { return block_; }
  VCashNode* Node() const { return node_; }
  uint32_t Sequence() const { return sequence_; }
  // Grows with every change marked on the image; with Sequence it tells whether an image is the
  // one seen before.
  uint32_t Version() const { return version_; }
  uint8_t Flags() const {
    return static_cast<uint8_t>((dirty_ ? kDirty : 0) | (pins_ > 0 ? kPinned : 0));
  }
  bool IsDirty() const { return dirty_; }
  bool IsPinned() const { return pins_ > 0; }
  int32_t PinCount() const { return pins_; }

  // The block header every block starts with: kind, level, u16 payload bytes in use.
  uint8_t BlockKind() const { return image_[0]; }
  uint8_t Level() const { return image_[1]; }
  uint16_t InUse() const { return VGetU16(image_ + 2); }
  void SetBlockHeader(uint8_t kind, uint8_t level, uint16_t inUse) {
    image_[0] = kind;
    image_[1] = level;
    VPutU16(image_ + 2, inUse);
  }
  uint8_t* Payload() { return image_ + 4; }
  const uint8_t* Payload() const { return image_ + 4; }

  // The entry offsets a reader found walking the image under a form of its own (a nonzero tag
  // for how entries are sized), kept with the image so that no reader walks it again while it is
  // unchanged: valid while Version() is the version they were found at. A buffer that receives
  // another block starts without them.
  struct Entries {
    uint8_t form = 0;
    uint32_t version = 0;
    std::vector<uint16_t> offsets;
  };
  Entries& EntryOffsets() const { return entries_; }

 private:
  friend class VCash;
  friend struct VCashVictimOrder;

  VCashNode* node_ = nullptr;
  uint8_t* image_ = nullptr;
  int64_t ageBase_ = 0;  // the age is ageBase_ plus the cache's count of victim searches
  uint64_t spaceKey_ = 0;
  uint32_t block_ = 0;
  uint32_t sequence_ = 0;
  uint32_t version_ = 0;
  int32_t size_ = 0;
  uint16_t pins_ = 0;
  bool dirty_ = false;
  int32_t dirtyAt_ = -1;  // position in its node's list of dirty buffers
  bool spaceIndexed_ = false;
  mutable Entries entries_;
};
