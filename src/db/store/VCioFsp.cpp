#include "db/store/VCioFsp.h"

#include <algorithm>
#include <vector>

#include "base/VDebug.h"
#include "base/VEndian.h"

namespace {

uint16_t EntryFor(uint8_t kind, int32_t freeBytes) {
  int32_t units = std::clamp(freeBytes, 0, 0xFFF * 16) / 16;
  return static_cast<uint16_t>(((kind >> 4) << 12) | units);
}

}  // namespace

VResult VCioFsp::Open(bool readOnly) {
  VResult result = VCio::Open(readOnly);
  if (result == kVOk) Cache()->IndexSpace(*this);
  return result;
}

template <class Match>
uint32_t VCioFsp::ScanMap(const VCashBffr* map, Match match) const {
  const uint8_t* entries = map->Payload();
  const uint32_t e = GroupBlocks();
  const uint32_t first = map->BlockNumber();
  for (uint32_t k = 1; k < e; ++k) {
    if (match(VGetU16(entries + 2 * k), first + k)) return k;
  }
  return 0;
}

template <class Match>
uint32_t VCioFsp::FindEntry(Match match, VCashBffr** map) {
  *map = nullptr;
  const uint32_t groups = GroupCount();
  const uint32_t e = GroupBlocks();
  std::vector<bool> seen(groups, false);
  for (int pass = 0; pass < 2; ++pass) {
    for (uint32_t group = 0; group < groups; ++group) {
      VCashBffr* block = nullptr;
      if (pass == 0) {
        block = PeekBlock(group * e);
        if (block == nullptr) continue;
        seen[group] = true;
      } else {
        if (seen[group]) continue;
        block = GetBlock(group * e);
        if (block == nullptr) return 0;
      }
      uint32_t k = ScanMap(block, match);
      uint64_t number = static_cast<uint64_t>(group) * e + k;
      if (k != 0 && number <= kVMaxBlockNumber) {
        *map = block;
        return static_cast<uint32_t>(number);
      }
      Release(block);
    }
  }
  return 0;
}

uint32_t VCioFsp::NewGroup() {
  uint32_t groups = GroupCount();
  const uint32_t e = GroupBlocks();
  uint64_t start = static_cast<uint64_t>(groups) * e;
  if (groups >= 0xFFFF || start + 1 > kVMaxBlockNumber) return 0;
  VCashBffr* map = NewBlock(static_cast<uint32_t>(start));
  if (map == nullptr) return 0;
  map->SetBlockHeader(kMapKind, 0, 0);
  uint8_t* entries = map->Payload();
  VPutU16(entries, 0xF000);
  VPutU16(entries + 2, 0x0000);
  for (uint32_t k = 2; k < e; ++k) VPutU16(entries + 2 * k, kUnallocated);
  VCio::MarkDirty(map);
  Release(map);
  SetGroupCount(static_cast<uint16_t>(groups + 1));
  return static_cast<uint32_t>(start + 1);
}

uint32_t VCioFsp::AllocBlock() {
  if (!IsOpen() || IsReadOnly()) return 0;
  VCashBffr* map = nullptr;
  uint32_t block = FindEntry([](uint16_t entry, uint32_t) { return entry == kUnallocated; }, &map);
  if (block == 0) return NewGroup();
  VPutU16(map->Payload() + 2 * (block % GroupBlocks()), 0x0000);
  VCio::MarkDirty(map);
  Release(map);
  return block;
}

VResult VCioFsp::SetEntry(uint32_t block, uint16_t entry) {
  const uint32_t e = GroupBlocks();
  uint32_t group = block / e;
  if (block % e == 0 || group >= GroupCount()) return kVBadBlockNumber;
  VResult error = kVOk;
  VCashBffr* map = GetBlock(group * e, &error);
  if (map == nullptr) return error;
  uint8_t* at = map->Payload() + 2 * (block % e);
  if (VGetU16(at) != entry) {
    VPutU16(at, entry);
    VCio::MarkDirty(map);
  }
  Release(map);
  return kVOk;
}

uint16_t VCioFsp::MapEntry(uint32_t block) {
  const uint32_t e = GroupBlocks();
  uint32_t group = block / e;
  if (!IsOpen() || group >= GroupCount()) return kUnallocated;
  VCashBffr* map = GetBlock(group * e);
  if (map == nullptr) return kUnallocated;
  uint16_t entry = VGetU16(map->Payload() + 2 * (block % e));
  Release(map);
  return entry;
}

VResult VCioFsp::NoteUsageOf(VCashBffr* buffer) {
  const uint32_t e = GroupBlocks();
  uint32_t block = buffer->BlockNumber();
  uint32_t group = block / e;
  if (block % e == 0) return kVOk;
  if (group >= GroupCount()) return kVBadBlockNumber;
  VResult error = kVOk;
  VCashBffr* map = GetBlock(group * e, &error);
  if (map == nullptr) return error;
  uint8_t* at = map->Payload() + 2 * (block % e);
  uint16_t entry = VGetU16(at);
  if (entry != kUnallocated) {
    int32_t free = PayloadSize() - buffer->InUse();
    uint16_t updated = static_cast<uint16_t>((entry & 0xF000) | EntryFor(0, free));
    if (updated != entry) {
      VPutU16(at, updated);
      VCio::MarkDirty(map);
    }
  }
  Release(map);
  return kVOk;
}

VResult VCioFsp::NoteUsage(uint32_t block) {
  VResult error = kVOk;
  VCashBffr* buffer = GetBlock(block, &error);
  if (buffer == nullptr) return error;
  VResult result = NoteUsageOf(buffer);
  Release(buffer);
  return result;
}

void VCioFsp::MarkDirty(VCashBffr* buffer) {
  if (buffer == nullptr) return;
  VCio::MarkDirty(buffer);
  // Reading the map block may make room in the cache: the block stays pinned meanwhile.
  Pin(buffer);
  VResult noted = NoteUsageOf(buffer);
  // A map entry that could not be updated only misleads the search for room, which checks every
  // block it is led to and corrects its entry; the debug log keeps the failure.
  if (noted != kVOk) LogFormat("...ERROR... VCioFsp::MarkDirty ec:%d", static_cast<int>(noted));
  Release(buffer);
}

VResult VCioFsp::FreeBlock(uint32_t block) {
  if (!IsOpen()) return kVNotOpen;
  VResult result = SetEntry(block, kUnallocated);
  if (result != kVOk) return result;
  return VCio::FreeBlock(block);
}

VCashBffr* VCioFsp::AllocSpace(uint8_t kind, uint32_t bytes, VResult* error) {
  if (error != nullptr) *error = kVOk;
  if (!IsOpen()) {
    if (error != nullptr) *error = kVNotOpen;
    return nullptr;
  }
  if (VCashBffr* cached = Cache()->FindSpace(*this, kind, bytes)) return cached;
  const uint16_t nibble = kind >> 4;
  std::vector<uint32_t> rejected;
  auto fits = [&](uint16_t entry, uint32_t block) {
    return entry != kUnallocated && (entry >> 12) == nibble && (entry & 0xFFF) * 16u >= bytes &&
           std::find(rejected.begin(), rejected.end(), block) == rejected.end();
  };
  // The map leads to a block with room. Should the block disagree with its entry, the entry is
  // corrected from the block, the block is passed over, and the search runs again.
  for (;;) {
    VCashBffr* map = nullptr;
    uint32_t block = FindEntry(fits, &map);
    if (block == 0) break;
    Release(map);
    VCashBffr* buffer = GetBlock(block, error);
    if (buffer == nullptr) return nullptr;
    int32_t free = PayloadSize() - buffer->InUse();
    if (buffer->BlockKind() == kind && free >= static_cast<int64_t>(bytes)) return buffer;
    // A correction that fails is made again the next time the search meets this block.
    (void)SetEntry(block, EntryFor(buffer->BlockKind(), free));
    Release(buffer);
    rejected.push_back(block);
  }
  uint32_t block = AllocBlock();
  if (block == 0) return nullptr;
  VCashBffr* buffer = NewBlock(block);
  if (buffer == nullptr) return nullptr;
  buffer->SetBlockHeader(kind, 0, 0);
  VCio::MarkDirty(buffer);
  VResult result = SetEntry(block, EntryFor(kind, PayloadSize()));
  if (result != kVOk && error != nullptr) *error = result;
  return buffer;
}
