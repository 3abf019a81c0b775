// Short English explanations of the engine's result codes, for the messages of the varnex tool.
#pragma once

#include <string>

#include "base/VBase.h"

// "code: explanation", or the code alone when it has none.
std::string VarnexExplain(VResult code);
