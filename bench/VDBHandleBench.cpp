// Engine figures through the handle: 100,000 inserts of five-item records into a file with two
// keys and one "TCommit" at the end, 100,000 reads by record number, and 10,000 "SetMake"s of an
// equality through a key (each set dropped again). Argument: the transaction log off (0) or on (1).
// The command log is off; the cache is 64 MB.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "db/engine/VBSBoss.h"
#include "db/engine/VDBHandle.h"
#include "db/schema/VConfig.h"
#include "db/schema/VRecord.h"

#include "BenchMust.h"

namespace {

constexpr const char* kSchema =
    "[FILE:1] NAME = \"people\" LABEL = \"people\" BLOCKSIZE = (4096, 4096)\r\n"
    "[ITEM:1] NAME = \"name\" TYPE = String\r\n"
    "[ITEM:2] NAME = \"age\" TYPE = Number\r\n"
    "[ITEM:3] NAME = \"city\" TYPE = String\r\n"
    "[ITEM:4] NAME = \"code\" TYPE = String\r\n"
    "[ITEM:5] NAME = \"note\" TYPE = String\r\n"
    "[KEY:1] NAME = \"kname\" TYPE = String BIND = [1]\r\n"
    "[KEY:2] NAME = \"kage\" TYPE = Number BIND = [2]\r\n";

void Add(VRecord& record, int item, uint8_t type, const std::string& text) {
  Must(record.SetValueFromText(item, type, reinterpret_cast<const uint8_t*>(text.data()),
                               static_cast<int32_t>(text.size())),
       "set a value");
}

VRecord Person(int i) {
  VRecord record;
  Add(record, 1, kVTypeString, "person" + std::to_string(i));
  Add(record, 2, kVTypeNumber, std::to_string(i % 90));
  Add(record, 3, kVTypeString, "city" + std::to_string(i % 47));
  Add(record, 4, kVTypeString, "C" + std::to_string(i * 7919 % 100000));
  Add(record, 5, kVTypeString, "a note of some length for record " + std::to_string(i));
  return record;
}

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

void BM_HandleWorkload(benchmark::State& state) {
  const bool transactionLog = state.range(0) != 0;
  constexpr int kRecords = 100000;
  constexpr int kSets = 10000;
  for (auto _ : state) {
    char pattern[] = "/tmp/vhandlebench-XXXXXX";
    const std::string folder = mkdtemp(pattern);
    {
      VBSBoss engine(folder + "/Varnex.conf");
      VMSD* main = engine.Config()->MainSection();
      main->SetCommandLog(false, false);
      main->SetTransactionLog(transactionLog, false);
      main->SetCacheSize(65535, false);
      main->SetDatabasePaths(folder + "/db", std::nullopt, false);
      main->SetWorkPath(folder + "/work", false);
      VDBHandle db(&engine);
      if (db.CreateDatabase("Bench", "") != kVOk || db.Open() != kVOk ||
          db.CreateFiles(kSchema) != kVOk) {
        state.SkipWithError("database not made");
        break;
      }
      auto start = std::chrono::steady_clock::now();
      uint32_t r = 0;
      for (int i = 1; i <= kRecords; ++i) {
        if (db.Insert(1, Person(i), &r) != kVOk) state.SkipWithError("insert failed");
      }
      const VResult committed = db.Commit();
      if (committed != kVOk && !(committed == -2143 && !transactionLog)) {
        state.SkipWithError("commit failed");
      }
      state.counters["insert_s"] = Seconds(start);

      start = std::chrono::steady_clock::now();
      VRecord record;
      for (uint32_t i = 1; i <= kRecords; ++i) {
        if (db.Read(1, i, &record) != kVOk) state.SkipWithError("read failed");
      }
      state.counters["read_s"] = Seconds(start);

      start = std::chrono::steady_clock::now();
      for (int i = 0; i < kSets; ++i) {
        int32_t set = 0;
        uint32_t size = 0;
        const std::string statement =
            "[kname] = \"person" + std::to_string(1 + i * 9973 % kRecords) + "\";";
        if (db.MakeSet(1, statement, &set, &size) != kVOk || size != 1) {
          state.SkipWithError("set failed");
        }
        Must(db.DropSet(1, set), "drop the set");
      }
      state.counters["setmake_s"] = Seconds(start);
      Must(db.Close(), "close");
    }
    std::filesystem::remove_all(folder);
  }
}

}  // namespace

BENCHMARK(BM_HandleWorkload)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kSecond);

BENCHMARK_MAIN();
