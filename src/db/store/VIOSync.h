// The owner of block files that must be written back as a whole. The block cache marks the owner
// changed whenever one of its blocks becomes dirty, and asks it to Sync when dirty blocks have to
// leave the cache; the owner's Flush writes every dirty block of its files in one crash-safe step.
#pragma once

#include "base/VBase.h"

class VIOSync {
 public:
  virtual ~VIOSync() = default;
  virtual void SetChanged(bool changed) { changed_ = changed; }
  virtual bool IsChanged() const { return changed_; }
  // Flushes when changed; the flag is cleared only when the flush succeeds.
  virtual VResult Sync() {
    if (!IsChanged()) return kVOk;
    VResult result = Flush();
    if (result == kVOk) SetChanged(false);
    return result;
  }
  virtual VResult Flush() = 0;

 private:
  bool changed_ = false;
};
