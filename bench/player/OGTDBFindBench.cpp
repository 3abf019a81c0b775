// "@ExecFieldFind" from a database form over 1,000,000 records, on the headless platform side:
// the time from the button press to the first record shown, for a word searched through a key
// and for a condition on an item (a full scan, the field's text taken as the condition), beside
// the engine's own time for the same statements through the handle. Milliseconds, the median of the
// repetitions; the database is made once per run in a temporary folder (cache 64 MB).
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
#include "gt/OGTButton.h"
#include "gt/OGTDBField.h"
#include "gt/OGTDBWindow.h"
#include "gt/imp/headless/OGTHeadlessFactory.h"
#include "gt/imp/headless/OGTHeadlessUser.h"
#include "player/BenchApp.h"
#include "script/OvScript.h"

namespace {

constexpr int kRecords = 1000000;

// Key 1 over the name; the city (item 3) has no key.
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

struct Database {
  Database() {
    char pattern[] = "/tmp/vdbfindbench-XXXXXX";
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
      for (const auto& [item, type, text] :
           {std::tuple<int, uint8_t, std::string>{1, kVTypeString, "person" + std::to_string(i)},
            {2, kVTypeNumber, std::to_string(i % 90)},
            {3, kVTypeString, "city" + std::to_string(i % 50000)}}) {
        Must(record.SetValueFromText(item, type, reinterpret_cast<const uint8_t*>(text.data()),
                                     static_cast<int32_t>(text.size())),
             "value");
      }
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

void BM_FieldFindOverAMillionRecords(benchmark::State& state) {
  Database& db = Shared();
  OGTHeadlessFactory factory;
  // The form's search finds nothing, so that each find starts from an empty set.
  BenchApp app(db.handle.get(), "null;");
  for (auto _ : state) {
    OGTDBWindow window;
    window.Create(0, nullptr);
    window.SetText("form");
    window.Show();
    auto search = std::make_unique<OGTDBField>();
    search->Create(0, &window);
    OGTDBField* word = search.get();
    window.AddChild(std::move(search), -1);
    word->SetID(1);
    word->SetItemNumber(0);
    word->Enable();
    word->Show();
    auto shown = std::make_unique<OGTDBField>();
    shown->Create(0, &window);
    OGTDBField* name = shown.get();
    window.AddChild(std::move(shown), -1);
    name->SetItemNumber(1);
    auto press = [&](const char* script) {
      auto button = std::make_unique<OGTButton>();
      button->Create(0, &window);
      OGTButton* made = button.get();
      window.AddChild(std::move(button), -1);
      made->SetScript(script);
      made->Enable();
      made->Show();
      return made;
    };
    OGTButton* byKey = press("@ExecFieldFind(FieldID = 1, DBItem = 1);");
    // A bare "[3]" names key 3, which the file does not have: the field's own condition names the
    // item, and the engine reads every record for it.
    OGTButton* byItem = press("@ExecFieldFind(FieldID = 1, UseNativeCondition = yes);");
    window.Bind(&app, db.handle.get());

    word->SetText("person777777");
    auto start = std::chrono::steady_clock::now();
    factory.User().Press(byKey);
    state.counters["find_by_key_ms"] = Millis(start);
    if (name->Text() != "person777777") state.SkipWithError("the key find showed nothing");

    word->SetText("[I:3] = \"city12345\"");
    start = std::chrono::steady_clock::now();
    factory.User().Press(byItem);
    state.counters["find_by_item_ms"] = Millis(start);
    if (window.RecordSet().StoredCount() != kRecords / 50000) state.SkipWithError("item find");

    // The engine alone, through the handle.
    for (const auto& [counter, statement] :
         {std::pair<const char*, const char*>{"engine_key_ms", "[1]=\"person777777\";"},
          {"engine_item_ms", "[I:3] = \"city12345\";"}}) {
      start = std::chrono::steady_clock::now();
      int32_t set = 0;
      uint32_t size = 0;
      Must(db.handle->MakeSet(1, statement, &set, &size), "make a set");
      state.counters[counter] = Millis(start);
      Must(db.handle->DropSet(1, set), "drop the set");
    }
  }
}

}  // namespace

BENCHMARK(BM_FieldFindOverAMillionRecords)
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
