// A database form whose list shows a set of 1,000,000 records, on the headless platform side:
// binding the form and its first search ("all"), drawing the first page of the list (each cell
// reads its record from the engine), moving to the last record, and one redraw after scrolling to
// the middle. Figures in milliseconds, the median of the repetitions; the database is made once
// per run in a temporary folder (cache 64 MB).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "BenchMust.h"
#include "db/engine/VBSBoss.h"
#include "db/engine/VDBHandle.h"
#include "db/schema/VConfig.h"
#include "db/schema/VRecord.h"
#include "gt/OGTDBField.h"
#include "gt/OGTDBList.h"
#include "gt/OGTDBWindow.h"
#include "gt/imp/headless/OGTHeadlessFactory.h"
#include "gt/imp/headless/OGTHeadlessScreen.h"

namespace {

constexpr int kRecords = 1000000;

constexpr const char* kSchema =
    "[FILE:1] NAME = \"people\" LABEL = \"people\" BLOCKSIZE = (4096, 4096)\r\n"
    "[ITEM:1] NAME = \"name\" TYPE = String\r\n"
    "[ITEM:2] NAME = \"age\" TYPE = Number\r\n"
    "[ITEM:3] NAME = \"city\" TYPE = String\r\n"
    "[KEY:1] NAME = \"kname\" TYPE = String BIND = [1]\r\n";

double Millis(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since)
      .count();
}

// The application of the form: its one search is "all".
class BenchApp : public OGTDBApp {
 public:
  void RunScript(const VString&, OGTDBWindow*) override {}
  bool FormSearch(const char*, int32_t* file, std::string* statement) const override {
    *file = 1;
    *statement = "all;";
    return true;
  }
};

// The database, made on first use and kept for the whole run.
struct Database {
  Database() {
    char pattern[] = "/tmp/vdblistbench-XXXXXX";
    folder = mkdtemp(pattern);
    engine = std::make_unique<VBSBoss>(folder + "/Varnex.conf");
    VMSD* main = engine->Config()->MainSection();
    main->SetCommandLog(false, false);
    main->SetCacheSize(65535, false);
    main->SetDatabasePaths(folder + "/db", std::nullopt, false);
    main->SetWorkPath(folder + "/work", false);
    handle = std::make_unique<VDBHandle>(engine.get());
    Must(handle->CreateDatabase("Bench", ""), "create the database");
    Must(handle->Open(), "open");
    Must(handle->CreateFiles(kSchema), "create the file");
    for (int i = 1; i <= kRecords; ++i) {
      VRecord record;
      const std::string name = "person" + std::to_string(i);
      const std::string age = std::to_string(i % 90);
      const std::string city = "city" + std::to_string(i % 47);
      Must(record.SetValueFromText(1, kVTypeString, reinterpret_cast<const uint8_t*>(name.data()),
                                   static_cast<int32_t>(name.size())),
           "name");
      Must(record.SetValueFromText(2, kVTypeNumber, reinterpret_cast<const uint8_t*>(age.data()),
                                   static_cast<int32_t>(age.size())),
           "age");
      Must(record.SetValueFromText(3, kVTypeString, reinterpret_cast<const uint8_t*>(city.data()),
                                   static_cast<int32_t>(city.size())),
           "city");
      uint32_t r = 0;
      Must(handle->Insert(1, record, &r), "insert");
    }
    Must(handle->Flush(), "flush");
  }
  ~Database() {
    if (handle->Close() != kVOk) std::fprintf(stderr, "close failed\n");
    handle.reset();
    engine.reset();
    std::filesystem::remove_all(folder);
  }
  std::string folder;
  std::unique_ptr<VBSBoss> engine;
  std::unique_ptr<VDBHandle> handle;
};

Database& Shared() {
  static Database database;
  return database;
}

void BM_DBListOverAMillionRecords(benchmark::State& state) {
  Database& db = Shared();
  OGTHeadlessFactory factory;
  BenchApp app;
  for (auto _ : state) {
    OGTDBWindow window;
    window.Create(0, nullptr);
    window.SetText("form");
    window.SetSize(800, 600, false);
    window.Show();
    auto madeList = std::make_unique<OGTDBList>();
    madeList->Create(0, &window);
    auto* list = static_cast<OGTDBList*>(window.AddChild(std::move(madeList), -1));
    list->SetPosition(10, 10, false);
    list->SetSize(700, 500, false);
    list->SetHeaderHeight(18);
    list->SetRowHeight(16);
    list->AddColumn("name", 200, 1);
    list->AddColumn("age", 60, 2);
    list->AddColumn("city", 150, 3);
    list->Show();
    auto madeField = std::make_unique<OGTDBField>();
    madeField->Create(0, &window);
    auto* field = static_cast<OGTDBField*>(window.AddChild(std::move(madeField), -1));
    field->SetItemNumber(1);

    auto start = std::chrono::steady_clock::now();
    window.Bind(&app, db.handle.get());
    state.counters["bind_and_find_ms"] = Millis(start);
    if (list->RowCount() != kRecords) state.SkipWithError("the set is not whole");

    factory.Screen().ClearDraws();
    start = std::chrono::steady_clock::now();
    factory.Screen().Paint(&window, true);
    state.counters["first_page_ms"] = Millis(start);

    start = std::chrono::steady_clock::now();
    window.RecordSet().Last();
    window.SyncLists(true);
    window.ShowCurrentRecord();
    factory.Screen().Paint(&window, true);
    state.counters["to_last_ms"] = Millis(start);
    if (field->Text() != "person" + std::to_string(kRecords)) state.SkipWithError("wrong last");

    list->SetTopRow(kRecords / 2, false);
    factory.Screen().ClearDraws();
    start = std::chrono::steady_clock::now();
    factory.Screen().Paint(&window, true);
    state.counters["redraw_after_scroll_ms"] = Millis(start);
    factory.Screen().ClearDraws();
  }
}

}  // namespace

BENCHMARK(BM_DBListOverAMillionRecords)
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
