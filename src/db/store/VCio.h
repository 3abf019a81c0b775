// A block file used through the block cache.
//
// It reads and writes its blocks only through the cache (the database's, or a 200 KB cache of its
// own when none is given). Its owner is the record file that writes it back as a whole (none for
// work files), and its file kind names it in backups: 1 index file, 2 data file, 3 work file.
// Opening registers the file with the cache; closing drops its blocks (writing what is still
// dirty) and closes. Flush writes its dirty blocks in place, then flushes as a block file.
//
// Blocks are handled as pinned VCashBffr buffers: GetBlock, NewBlock and PeekBlock pin, and each
// pin is matched by one Release. A caller that changes an image calls MarkDirty before releasing.
#pragma once

#include <memory>

#include "db/store/VBio.h"
#include "db/store/VCash.h"

class VIOSync;

enum VFileKind : uint32_t {
  kVIndexFileKind = 1,
  kVDataFileKind = 2,
  kVWorkFileKind = 3,
};

class VCio : public VBio {
 public:
  VCio(std::string path, VCash* cache, VIOSync* owner, uint32_t fileKind, VDir* parent = nullptr);
  ~VCio() override;

  VResult Open(bool readOnly) override;
  VResult Close() override;
  // Closes without writing anything: cached changes and header changes are dropped.
  VResult Abandon();
  VResult Flush() override;
  // Appends backup entries for its dirty blocks, then for its header when dirty.
  virtual VResult WriteToBackup(VStream& backup);

  // A free block number marked in use (0: none); the block files that allocate override it.
  virtual uint32_t AllocBlock() { return 0; }
  virtual VCashBffr* GetBlock(uint32_t block, VResult* error = nullptr);
  virtual void MarkDirty(VCashBffr* buffer);
  virtual VResult FreeBlock(uint32_t block);
  virtual void Pin(VCashBffr* buffer);
  virtual void Release(VCashBffr* buffer);

  VCashBffr* NewBlock(uint32_t block);
  VCashBffr* PeekBlock(uint32_t block);
  bool HasDirtyBlocks() const { return node_ != nullptr && node_->IsDirty(); }

  VCash* Cache() const { return cache_; }
  VIOSync* Owner() const { return owner_; }
  uint32_t FileKind() const { return fileKind_; }
  VCashNode* CacheNode() const { return node_; }

 private:
  friend class VCash;

  std::unique_ptr<VCash> ownCache_;
  VCash* cache_;
  VIOSync* owner_;
  uint32_t fileKind_;
  VCashNode* node_ = nullptr;
};
