// The engine's two work files: "@Workset", where set pages live, and "@Worktree", where large sorts
// build their key trees. Both are bitmap block files of 4096-byte blocks without an owner, used
// through the engine's block cache; each is created afresh in the configuration's work directory on
// first use and removed whole when closed, since nothing in it outlives the engine.
#pragma once

#include <memory>

#include "base/VBase.h"

class VCash;
class VCioMap;
class VConfig;

class VWorkFiles {
 public:
  static constexpr int32_t kBlockSize = 4096;

  // Both outlive this object.
  VWorkFiles(VConfig* config, VCash* cache);
  // Closes and removes the files still open.
  ~VWorkFiles();
  VWorkFiles(const VWorkFiles&) = delete;
  VWorkFiles& operator=(const VWorkFiles&) = delete;

  // The file, made on first use; null when the work directory does not exist or creation fails.
  VCioMap* WorkSet();
  VCioMap* WorkTree();
  // Closes and removes both files: 0, or the first failure to remove one.
  VResult CloseWorkFiles();

 private:
  VCioMap* MakeWorkFile(std::unique_ptr<VCioMap>* slot, const char* name);

  VConfig* config_;
  VCash* cache_;
  std::unique_ptr<VCioMap> workSet_;
  std::unique_ptr<VCioMap> workTree_;
};
