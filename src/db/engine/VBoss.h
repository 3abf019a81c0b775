// VBoss: the root of the engine objects. It holds the configuration, read from its file when the
// engine is made and written back (when changed) when it is destroyed, the block cache, sized by
// the configuration when it is first used, and the work files in the configuration's work
// directory. The work files go first, then the cache, then the configuration.
//
// Commands are made by NewCommand, run by Execute and released by ReleaseCommand. Execute answers
// the command's result code, which it also writes into the answer's "ECODE". The engine's failure
// exception (VFailure), raised by a fatal storage error or exhausted memory, leaves the engine
// through Execute to its caller.
#pragma once

#include <memory>
#include <string>

#include "base/VBase.h"

class VCash;
class VCMD;
class VConfig;
class VWorkFiles;

class VBoss {
 public:
  // configPath: the configuration file ("Varnex.conf" in its directory when the path has no name).
  explicit VBoss(const std::string& configPath);
  virtual ~VBoss();
  VBoss(const VBoss&) = delete;
  VBoss& operator=(const VBoss&) = delete;

  virtual bool IsOpen() const = 0;
  // A new command; the engine decides the user queue it runs for.
  virtual std::unique_ptr<VCMD> NewCommand();
  virtual VResult Execute(VCMD& command) = 0;
  virtual void ReleaseCommand(std::unique_ptr<VCMD> command);

  VConfig* Config() const { return config_.get(); }
  // The block cache, made on first use with the main section's cache size, or with the size set
  // for this run (SetCacheKilobytes before the cache is first used).
  VCash* Cache();
  // A cache size in kilobytes for this run only, in place of the configuration's (which stays as
  // it is in the file); false when the cache is already made.
  bool SetCacheKilobytes(int32_t kilobytes);
  // The work files (the object is made on first use, the files when a set or sort needs them).
  VWorkFiles* WorkFiles();
  // Closes and removes the work files when they were made: 0, or the failure to remove one.
  VResult CloseWorkFiles();

 private:
  std::unique_ptr<VConfig> config_;
  std::unique_ptr<VCash> cache_;
  int32_t cacheKilobytes_ = 0;  // 0: the configuration's
  std::unique_ptr<VWorkFiles> workFiles_;
};
