// A block file whose blocks are allocated by free-space map (the data file).
//
// The blocks form groups of E = P / 2 blocks (P = B - 4). Group g starts at block g * E with a
// free-space map block (kind 240) whose payload holds E u16 entries, entry k for block g * E + k:
// 0xFFFF when the block is not allocated; otherwise the high 4 bits are the kind of the block's
// content (0x1 record block, 0xF the map block itself, 0x0 a block taken without a kind) and the
// low 12 bits its free payload bytes divided by 16, rounded down. Entry 0 is 0xF000.
//
// Marking a block dirty updates its entry from the block's in-use count, so the map always tells
// where a record fits without reading record blocks.
#pragma once

#include "db/store/VCio.h"

class VCioFsp : public VCio {
 public:
  static constexpr uint8_t kMapKind = 0xF0;
  static constexpr uint16_t kUnallocated = 0xFFFF;

  using VCio::VCio;

  // Also indexes the file's cached blocks by free space.
  VResult Open(bool readOnly) override;
  // The first unallocated entry (k >= 1), cached map blocks first, then the others, each in group
  // order; it becomes 0x0000. A new group when every group is full. 0 when none can be had.
  uint32_t AllocBlock() override;
  void MarkDirty(VCashBffr* buffer) override;
  // The block's entry becomes 0xFFFF and the block leaves the cache.
  VResult FreeBlock(uint32_t block) override;

  // A block of this kind with at least bytes of free payload, pinned: a cached one first, then one
  // the map shows, else a new block formatted with the kind (level 0, nothing in use). Null when
  // no block can be had.
  virtual VCashBffr* AllocSpace(uint8_t kind, uint32_t bytes, VResult* error = nullptr);
  // Sets the block's entry from its in-use count; the kind nibble stays. Map blocks and
  // unallocated blocks are left alone.
  virtual VResult NoteUsage(uint32_t block);

  uint32_t GroupBlocks() const { return static_cast<uint32_t>(PayloadSize()) / 2; }
  // The block's map entry (0xFFFF also when outside the groups or unreadable).
  uint16_t MapEntry(uint32_t block);

 private:
  VResult NoteUsageOf(VCashBffr* buffer);
  VResult SetEntry(uint32_t block, uint16_t entry);
  // Scans one map block for an entry; answers its index or 0.
  template <class Match>
  uint32_t ScanMap(const VCashBffr* map, Match match) const;
  template <class Match>
  uint32_t FindEntry(Match match, VCashBffr** map);
  uint32_t NewGroup();
};
