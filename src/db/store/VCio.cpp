#include "db/store/VCio.h"

VCio::VCio(std::string path, VCash* cache, VIOSync* owner, uint32_t fileKind, VDir* parent)
    : VBio(std::move(path), parent), cache_(cache), owner_(owner), fileKind_(fileKind) {
  if (cache_ == nullptr) {
    ownCache_ = std::make_unique<VCash>(200);
    cache_ = ownCache_.get();
  }
}

VCio::~VCio() {
  // Owners close their files and read the answer; this is the last resort.
  if (IsOpen()) (void)VCio::Close();
}

VResult VCio::Open(bool readOnly) {
  VResult result = VBio::Open(readOnly);
  if (result == kVOk) node_ = cache_->Register(*this);
  return result;
}

VResult VCio::Close() {
  if (!IsOpen()) return kVCloseNoHandle;
  VResult dropped = node_ != nullptr ? cache_->DropFile(*this) : kVOk;
  VResult closed = VBio::Close();
  return dropped != kVOk ? dropped : closed;
}

VResult VCio::Abandon() {
  if (!IsOpen()) return kVCloseNoHandle;
  if (node_ != nullptr) cache_->DiscardFile(*this);
  ForgetHeaderChanges();
  return VBio::Close();
}

VResult VCio::Flush() {
  if (!IsOpen()) return kVFlushNoHandle;
  if (node_ != nullptr) {
    VResult result = cache_->FlushFile(*this);
    if (result != kVOk) return result;
  }
  return VBio::Flush();
}

VResult VCio::WriteToBackup(VStream& backup) {
  if (!IsOpen()) return kVNotOpen;
  if (node_ != nullptr) {
    VResult result = cache_->WriteToBackup(*this, backup);
    if (result != kVOk) return result;
  }
  return WriteHeaderToBackup(backup, fileKind_);
}

VCashBffr* VCio::GetBlock(uint32_t block, VResult* error) {
  return cache_->Get(*this, block, error);
}

void VCio::MarkDirty(VCashBffr* buffer) { cache_->MarkDirty(buffer); }

VResult VCio::FreeBlock(uint32_t block) { return cache_->Free(*this, block); }

void VCio::Pin(VCashBffr* buffer) { cache_->Pin(buffer); }

void VCio::Release(VCashBffr* buffer) { cache_->Release(buffer); }

VCashBffr* VCio::NewBlock(uint32_t block) { return cache_->New(*this, block); }

VCashBffr* VCio::PeekBlock(uint32_t block) { return cache_->Peek(*this, block); }
