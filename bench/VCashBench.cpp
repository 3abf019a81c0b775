// Block cache figures: lookups of cached blocks, misses that evict (small and large caches), and
// the memory the cache spends per cached block beyond the block image itself.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "db/store/VCash.h"
#include "db/store/VCio.h"

#include "BenchMust.h"

namespace {

constexpr int32_t kBlock = 4096;

// A work file of the given number of blocks in a fresh folder, removed at the end.
class BenchFile {
 public:
  BenchFile(VCash* cache, uint32_t blocks) {
    char pattern[] = "/tmp/vcashbench-XXXXXX";
    folder_ = mkdtemp(pattern);
    file_ = std::make_unique<VCio>(folder_ + "/w", cache, nullptr, kVWorkFileKind);
    file_->SetBlockSize(kBlock);
    Must(file_->Create(false), "create the file");
    Must(file_->Open(false), "open the file");
    Must(file_->ExtendTo(blocks - 1), "extend the file");
  }
  ~BenchFile() {
    file_.reset();
    std::filesystem::remove_all(folder_);
  }
  VCio& File() { return *file_; }

 private:
  std::string folder_;
  std::unique_ptr<VCio> file_;
};

void BM_CachedGet(benchmark::State& state) {
  const uint32_t blocks = static_cast<uint32_t>(state.range(0));
  VCash cache(65535);
  BenchFile bench(&cache, blocks);
  VCio& file = bench.File();
  for (uint32_t b = 0; b < blocks; ++b) file.Release(file.GetBlock(b));
  uint32_t b = 0;
  for (auto _ : state) {
    VCashBffr* buffer = file.GetBlock(b);
    benchmark::DoNotOptimize(buffer->Data());
    file.Release(buffer);
    b = (b * 7 + 13) % blocks;
  }
  state.counters["cached"] = cache.BufferCount();
}
BENCHMARK(BM_CachedGet)->Arg(64)->Arg(4096)->Arg(15000);

// Every get misses and evicts: the file is larger than the cache and read in a cycle.
void BM_MissWithEviction(benchmark::State& state) {
  const int32_t kilobytes = static_cast<int32_t>(state.range(0));
  const uint32_t blocks = static_cast<uint32_t>(kilobytes / 4 + 2000);
  VCash cache(kilobytes);
  BenchFile bench(&cache, blocks);
  VCio& file = bench.File();
  uint32_t b = 0;
  for (auto _ : state) {
    file.Release(file.GetBlock(b));
    b = (b + 1) % blocks;
  }
  state.counters["cached"] = cache.BufferCount();
  state.counters["evictions"] = static_cast<double>(cache.Counters().evictions);
}
BENCHMARK(BM_MissWithEviction)->Arg(300)->Arg(65535);

// Heap bytes per cached block beyond the image: nodes of the lookup table and the age order, the
// buffer object and the allocator's headers.
void BM_MemoryPerBlock(benchmark::State& state) {
  const uint32_t blocks = 10000;
  for (auto _ : state) {
    VCash cache(65535);
    BenchFile bench(&cache, blocks);
    VCio& file = bench.File();
    size_t before = mallinfo2().uordblks;
    for (uint32_t b = 0; b < blocks; ++b) file.Release(file.GetBlock(b));
    size_t after = mallinfo2().uordblks;
    double perBlock = static_cast<double>(after - before) / blocks;
    state.counters["bytes_per_block"] = perBlock;
    state.counters["overhead_per_block"] = perBlock - kBlock;
  }
}
BENCHMARK(BM_MemoryPerBlock)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
