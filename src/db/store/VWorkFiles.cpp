#include "db/store/VWorkFiles.h"

#include "base/VFile.h"
#include "db/schema/VConfig.h"
#include "db/store/VCioMap.h"

VWorkFiles::VWorkFiles(VConfig* config, VCash* cache) : config_(config), cache_(cache) {}

VWorkFiles::~VWorkFiles() { (void)CloseWorkFiles(); }  // nothing left to report a failure to

VCioMap* VWorkFiles::MakeWorkFile(std::unique_ptr<VCioMap>* slot, const char* name) {
  if (*slot != nullptr) return slot->get();
  VDir* folder = config_->WorkDirectory();
  if (folder == nullptr || !folder->Exists()) return nullptr;
  auto file = std::make_unique<VCioMap>(name, cache_, nullptr, kVWorkFileKind, folder);
  file->SetBlockSize(kBlockSize);
  if (file->Create(false) != kVOk || file->Open(false) != kVOk) return nullptr;
  *slot = std::move(file);
  return slot->get();
}

VCioMap* VWorkFiles::WorkSet() { return MakeWorkFile(&workSet_, "@Workset"); }

VCioMap* VWorkFiles::WorkTree() { return MakeWorkFile(&workTree_, "@Worktree"); }

VResult VWorkFiles::CloseWorkFiles() {
  VResult result = kVOk;
  for (std::unique_ptr<VCioMap>* slot : {&workSet_, &workTree_}) {
    if (*slot == nullptr) continue;
    VCioMap* file = slot->get();
    // A work file is removed whole: what its close would write back is of no use.
    (void)file->Close();
    VResult removed = file->Remove();
    if (removed == kVOk) removed = file->SyncDirectory();
    if (result == kVOk) result = removed;
    slot->reset();
  }
  return result;
}
