#include "base/VMem.h"

#include <cstdlib>
#include <cstring>

#include "base/VBase.h"

namespace {

struct BlockHeader {
  uint32_t size;
  uint32_t capacity;
  uint32_t serial;
  uint32_t reserved;
};
static_assert(sizeof(BlockHeader) == 16);

VCritical& AllocLock() {
  static VCritical lock;
  return lock;
}

uint32_t g_serial = 0;

size_t RoundCapacity(size_t size) { return (size + 15) & ~static_cast<size_t>(15); }

BlockHeader* HeaderOf(const void* block) {
  return reinterpret_cast<BlockHeader*>(const_cast<char*>(static_cast<const char*>(block)) -
                                        sizeof(BlockHeader));
}

[[noreturn]] void Exhausted() { throw VFailure(-1); }

}  // namespace

void* VMemAlloc(size_t size, bool zeroFill) {
  if (size > 0xFFFFFFF0u) Exhausted();
  size_t capacity = RoundCapacity(size);
  BlockHeader* header;
  uint32_t serial;
  {
    VCriticalLock hold(AllocLock());
    header = static_cast<BlockHeader*>(std::malloc(sizeof(BlockHeader) + capacity));
    serial = ++g_serial;
  }
  // Raised after the allocation lock is released.
  if (header == nullptr) Exhausted();
  header->size = static_cast<uint32_t>(size);
  header->capacity = static_cast<uint32_t>(capacity);
  header->serial = serial;
  header->reserved = 0;
  if (zeroFill) std::memset(header + 1, 0, capacity);
  return header + 1;
}

void* VMemResize(void* block, size_t size, bool zeroFill) {
  if (block == nullptr) return VMemAlloc(size, zeroFill);
  if (size > 0xFFFFFFF0u) Exhausted();
  BlockHeader* header = HeaderOf(block);
  size_t capacity = RoundCapacity(size);
  size_t oldSize = header->size;
  if (capacity != header->capacity) {
    BlockHeader* moved;
    {
      VCriticalLock hold(AllocLock());
      moved = static_cast<BlockHeader*>(std::realloc(header, sizeof(BlockHeader) + capacity));
    }
    if (moved == nullptr) Exhausted();
    header = moved;
    header->capacity = static_cast<uint32_t>(capacity);
  }
  header->size = static_cast<uint32_t>(size);
  if (zeroFill && size > oldSize) {
    std::memset(reinterpret_cast<char*>(header + 1) + oldSize, 0, size - oldSize);
  }
  return header + 1;
}

void VMemFree(void* block) {
  if (block == nullptr) return;
  VCriticalLock hold(AllocLock());
  std::free(HeaderOf(block));
}

size_t VMemSize(const void* block) { return block ? HeaderOf(block)->size : 0; }

uint32_t VMemSerial(const void* block) { return block ? HeaderOf(block)->serial : 0; }
