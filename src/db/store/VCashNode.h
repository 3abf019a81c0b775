// One block file registered with the block cache: the file, the owner that writes it back as a
// whole (none for work files), and the buffers that hold its blocks.
//
// The buffers are found by block number through a hash table (constant time); whatever must run in
// block order (write-back, backups) sorts the few buffers it handles. A node of a data file also
// keeps its buffers indexed by block kind and free payload, so that finding a cached block with
// room never visits every buffer.
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <unordered_map>

#include "base/VObj.h"
#include "db/store/VCashBffr.h"

class VCio;
class VIOSync;

class VCashNode : public VObj {
 public:
  VCashNode(VCio* file, VIOSync* owner, uint32_t serial)
      : file_(file), owner_(owner), serial_(serial) {}

  VCio* File() const { return file_; }
  VIOSync* Owner() const { return owner_; }
  bool IsDirty() const { return dirtyCount_ > 0; }
  int32_t DirtyCount() const { return dirtyCount_; }
  int32_t BufferCount() const { return static_cast<int32_t>(buffers_.size()); }
  // Registration order; victims of equal age are taken in this order.
  uint32_t Serial() const { return serial_; }
  VCashBffr* Lookup(uint32_t block) const {
    auto found = buffers_.find(block);
    return found == buffers_.end() ? nullptr : found->second.get();
  }

 private:
  friend class VCash;

  VCio* file_;
  VIOSync* owner_;
  uint32_t serial_;
  int32_t dirtyCount_ = 0;
  bool spaceIndexed_ = false;
  std::unordered_map<uint32_t, std::unique_ptr<VCashBffr>> buffers_;
  // Keys kind << 40 | free payload << 24 | block number, for the buffers of an indexed node.
  std::set<uint64_t> space_;
};
