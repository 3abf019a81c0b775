// Key tree figures: a unique String key filled with random 16-byte values, then each value found
// again by an equal scan into a record bitmap (and by a bare lookup); the tree's height, the
// index bytes it takes per key and how full its nodes are. The count is the benchmark argument
// (1,000,000 by default); the cache is large enough to hold the tree, or a quarter of it.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "base/VEndian.h"
#include "db/schema/VValue.h"
#include "db/store/VCash.h"
#include "db/store/VCioMap.h"
#include "db/store/VKeyObject.h"
#include "db/store/VRio.h"

#include "BenchMust.h"

namespace {

constexpr int32_t kKeyBytes = 16;

class BenchIndex {
 public:
  explicit BenchIndex(int32_t cacheKilobytes) : cache_(cacheKilobytes) {
    char pattern[] = "/tmp/vbtreebench-XXXXXX";
    folder_ = mkdtemp(pattern);
    file_ = std::make_unique<VCioMap>(folder_ + "/keys.idx", &cache_, nullptr, kVIndexFileKind);
    file_->SetBlockSize(2048);
    Must(file_->Create(false), "create the index");
    Must(file_->Open(false), "open the index");
  }
  ~BenchIndex() {
    file_.reset();
    std::filesystem::remove_all(folder_);
  }
  VCioMap& File() { return *file_; }
  VCash& Cache() { return cache_; }

 private:
  VCash cache_;
  std::string folder_;
  std::unique_ptr<VCioMap> file_;
};

// Values as trees take them: a length byte and 16 letters or digits.
std::vector<uint8_t> RandomValues(size_t count) {
  static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::mt19937_64 random(42);
  std::vector<uint8_t> values(count * (kKeyBytes + 1));
  for (size_t i = 0; i < count; ++i) {
    uint8_t* value = &values[i * (kKeyBytes + 1)];
    value[0] = kKeyBytes;
    for (int32_t j = 1; j <= kKeyBytes; ++j) value[j] = kLetters[random() % 62];
  }
  return values;
}

// Processor time of this process: the machine the figures come from is shared.
double Now() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

void BM_UniqueKeyInsertThenEqualScan(benchmark::State& state) {
  const size_t count = static_cast<size_t>(state.range(0));
  const int32_t cacheKilobytes = static_cast<int32_t>(state.range(1));
  const std::vector<uint8_t> values = RandomValues(count);
  for (auto _ : state) {
    BenchIndex index(cacheKilobytes);
    VKeyObject tree(&index.File(), 1, kVKeyWordUnique | kVTypeString, 0);
    Must(tree.CreateRoot(), "create the root");
    const uint32_t rootBlock = tree.Root();
    size_t taken = 0;
    double start = Now();
    for (size_t i = 0; i < count; ++i) {
      // Random letters repeat now and then; a value already taken is refused as it should be.
      if (tree.InsertKey(&values[i * (kKeyBytes + 1)], static_cast<uint32_t>(i + 1)) == kVOk) {
        ++taken;
      }
    }
    const double insertSeconds = Now() - start;

    std::vector<size_t> order(count);
    for (size_t i = 0; i < count; ++i) order[i] = i;
    std::shuffle(order.begin(), order.end(), std::mt19937(7));
    VRMap set;
    size_t found = 0;
    start = Now();
    for (size_t i : order) {
      Must(tree.EqualScan(&values[i * (kKeyBytes + 1)], &set), "equal scan");
      found += set.Count();
    }
    const double scanSeconds = Now() - start;
    uint32_t record = 0;
    start = Now();
    for (size_t i : order) found += tree.Lookup(&values[i * (kKeyBytes + 1)], &record) ? 1 : 0;
    const double lookupSeconds = Now() - start;

    Must(tree.First(), "first entry");
    const int32_t height = tree.Depth();
    tree.ReleaseStack();
    // Nodes: every block in use but the bitmaps; payload bytes in use over their room.
    VCioMap& file = index.File();
    size_t nodes = 0;
    size_t used = 0;
    for (uint32_t b = 1; b < file.GroupCount() * file.GroupBlocks(); ++b) {
      if (b % file.GroupBlocks() == 0 || !file.IsAllocated(b)) continue;
      ++nodes;
      VCashBffr* node = file.GetBlock(b);
      used += node->InUse();
      file.Release(node);
    }
    state.counters["keys"] = static_cast<double>(taken);
    state.counters["insert_s"] = insertSeconds;
    state.counters["equalscan_s"] = scanSeconds;
    state.counters["lookup_s"] = lookupSeconds;
    state.counters["found"] = static_cast<double>(found) / 2;
    state.counters["height"] = height;
    state.counters["nodes"] = static_cast<double>(nodes);
    state.counters["bytes_per_key"] =
        static_cast<double>(nodes) * 2048 / static_cast<double>(taken);
    state.counters["fill"] = static_cast<double>(used) / (static_cast<double>(nodes) * 2044);
    state.counters["root_block"] = rootBlock;
    state.counters["evictions"] = static_cast<double>(index.Cache().Counters().evictions);
  }
}
BENCHMARK(BM_UniqueKeyInsertThenEqualScan)
    ->Args({1000000, 65535})
    ->Args({1000000, 8192})
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
