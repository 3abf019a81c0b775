// Named points on the storage layer's write paths. Every write or sync that makes data durable
// passes one of them first; a test installs a hook to fail or end the process at a chosen point
// and then checks what reopening the files finds. With no hook installed a point costs one test
// of a pointer.
#pragma once

#include <cstdint>

class VFile;

enum class VWritePoint : uint8_t {
  kBlockWrite = 1,    // a block image written in place
  kHeaderWrite = 2,   // a block file's 512-byte header written in place
  kFileSync = 3,      // a block file's data flushed to the disk
  kBackupEntry = 4,   // one entry (block image or header) appended to a backup
  kBackupMark = 5,    // a backup's completion mark written
  kBackupSync = 6,    // a backup's data flushed to the disk
  kBackupRemove = 7,  // a finished backup removed
};

// block: the block number of a block write or block backup entry, kVNoBlock for the others.
constexpr uint32_t kVNoBlock = 0xFFFFFFFF;
using VWritePointHook = void (*)(VWritePoint point, const VFile& file, uint32_t block);

// Installs the hook (null removes it); answers the previous one.
VWritePointHook VSetWritePointHook(VWritePointHook hook);

namespace vwritepoint_detail {
extern VWritePointHook hook;
}

// Whether a hook is installed (writes that would pass several points at once then go one by one).
inline bool VWritePointsWatched() { return vwritepoint_detail::hook != nullptr; }

inline void VReachWritePoint(VWritePoint point, const VFile& file, uint32_t block = kVNoBlock) {
  if (vwritepoint_detail::hook != nullptr) vwritepoint_detail::hook(point, file, block);
}
