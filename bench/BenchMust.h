// A benchmark's set-up step that must succeed: a failure ends the run with a message instead of
// timing work on a broken file.
#pragma once

#include <cstdio>
#include <cstdlib>

#include "base/VBase.h"

inline void Must(VResult result, const char* what) {
  if (result == kVOk) return;
  std::fprintf(stderr, "benchmark: %s failed with %d\n", what, static_cast<int>(result));
  std::exit(1);
}
