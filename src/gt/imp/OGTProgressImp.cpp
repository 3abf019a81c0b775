#include "gt/imp/OGTProgressImp.h"

#include <chrono>

OGTProgressImp::OGTProgressImp() = default;
OGTProgressImp::~OGTProgressImp() = default;
void OGTProgressImp::Initialise() {}

uint64_t OGTProgressImp::Milliseconds() {
  return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                   std::chrono::steady_clock::now().time_since_epoch())
                                   .count());
}

void OGTProgressImp::Open(const char*, bool) {}
void OGTProgressImp::Update(const char*, int32_t) {}
bool OGTProgressImp::CancelRequested() { return false; }
void OGTProgressImp::Close() {}
