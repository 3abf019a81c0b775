#include "db/engine/VBoss.h"

#include "db/engine/VCMD.h"
#include "db/schema/VConfig.h"

VBoss::VBoss(const std::string& configPath) : config_(std::make_unique<VConfig>(configPath)) {}

VBoss::~VBoss() = default;

std::unique_ptr<VCMD> VBoss::NewCommand() { return std::make_unique<VCMD>(); }

void VBoss::ReleaseCommand(std::unique_ptr<VCMD> command) { command.reset(); }
