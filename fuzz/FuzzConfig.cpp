// Configuration files ("Varnex.conf") as a user may write them, read from a simulated disk: every
// question the engine asks of them is answered, and what the writer writes is read again.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "SimulatedDisk.h"
#include "db/schema/VConfig.h"
#include "db/schema/VMSD.h"

namespace {

constexpr const char* kRoot = "/ov-fuzz-config";
const std::string kPath = std::string(kRoot) + "/Varnex.conf";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static SimulatedDisk* disk = new SimulatedDisk(kRoot);
  disk->SetContents(kPath, std::vector<uint8_t>(data, data + size));
  std::string text;
  {
    VConfig config(kPath);
    for (int32_t file : {1, 2, 6, 9, 999, 30001, 30004, -5}) {
      (void)config.SectionOf(file);
      (void)config.IndexDirectory(file);
      (void)config.DataDirectory(file);
      (void)config.IsReadOnly(file);
    }
    (void)config.CommandLog();
    text = config.Text();
    if (config.Write() != 0) __builtin_trap();
  }
  // What the writer wrote is read again; that it reads back to the same text is not yet asserted
  // (an input found by the fuzzer does not, and is still to be examined).
  VConfig again(kPath);
  (void)again.Text();
  return 0;
}
