#include "db/store/VKeyObject.h"

#include <atomic>

namespace {

std::atomic<uint64_t> gSerial{0};

}  // namespace

VKeyObject::VKeyObject(VCioMap* index, uint8_t keyNumber, uint16_t attributes, uint32_t root,
                       bool reversed)
    : VKeyAcc(index, keyNumber, attributes, root, reversed), serial_(++gSerial) {}
