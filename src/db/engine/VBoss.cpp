#include "db/engine/VBoss.h"

#include "db/engine/VCMD.h"
#include "db/schema/VConfig.h"
#include "db/store/VCash.h"
#include "db/store/VWorkFiles.h"

VBoss::VBoss(const std::string& configPath) : config_(std::make_unique<VConfig>(configPath)) {}

VBoss::~VBoss() = default;

VCash* VBoss::Cache() {
  if (cache_ == nullptr) {
    const int32_t kilobytes =
        cacheKilobytes_ > 0 ? cacheKilobytes_ : config_->MainSection()->CacheSize();
    cache_ = std::make_unique<VCash>(kilobytes);
  }
  return cache_.get();
}

bool VBoss::SetCacheKilobytes(int32_t kilobytes) {
  if (cache_ != nullptr) return false;
  cacheKilobytes_ = kilobytes;
  return true;
}

VWorkFiles* VBoss::WorkFiles() {
  if (workFiles_ == nullptr) workFiles_ = std::make_unique<VWorkFiles>(config_.get(), Cache());
  return workFiles_.get();
}

VResult VBoss::CloseWorkFiles() {
  return workFiles_ != nullptr ? workFiles_->CloseWorkFiles() : kVOk;
}

std::unique_ptr<VCMD> VBoss::NewCommand() { return std::make_unique<VCMD>(); }

void VBoss::ReleaseCommand(std::unique_ptr<VCMD> command) { command.reset(); }
