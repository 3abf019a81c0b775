// The one allocation routine behind every container's storage. Each block carries a 16-byte header
// (requested size, capacity rounded up to 16, serial number, reserved) ahead of the caller's bytes.
// Allocation failure raises VFailure(-1); a process-wide lock guards every call.
#pragma once

#include <cstddef>
#include <cstdint>

void* VMemAlloc(size_t size, bool zeroFill);
// Resizes a block from VMemAlloc (null allocates). The block stays in place when its rounded
// capacity is unchanged; newly exposed bytes are zeroed when asked.
void* VMemResize(void* block, size_t size, bool zeroFill);
void VMemFree(void* block);
// The size last requested for a block (0 for null).
size_t VMemSize(const void* block);
// Serial number of a block: the global count of allocations when it was made.
uint32_t VMemSerial(const void* block);
