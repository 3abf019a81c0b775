// "@DataInput" and "@DataOutput" from a database form on the headless platform side: records per
// second and the process's peak memory, one step per run so that each step's peak is its own.
//
//   ov_data_bench make DIR N      a database in DIR (files 1 and 2 alike: five items, a unique key
//                                 on the code and a key on the price) and DIR/in.dat of N records
//   ov_data_bench input DIR MODE  "@DataInput" of DIR/in.dat into file 1 under "Commit" MODE
//   ov_data_bench output DIR      "@DataOutput" of every record of file 1 to DIR/out.dat
//
// The varnex tool's import of the same file is run beside it by hand:
//   varnex --conf DIR/Varnex.conf --raw import 2 DIR/in.dat --encoding cp932
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "BenchMust.h"
#include "db/engine/VBSBoss.h"
#include "db/engine/VDBHandle.h"
#include "db/schema/VConfig.h"
#include "gt/OGTDBWindow.h"
#include "gt/imp/headless/OGTHeadlessFactory.h"
#include "player/BenchApp.h"
#include "script/OvScript.h"
#include "script/OvScriptApp.h"

namespace {

std::string FileSchema(int number) {
  const std::string n = std::to_string(number);
  return "[FILE:" + n + "] NAME = \"f" + n + "\" LABEL = \"f" + n +
         "\" BLOCKSIZE = (4096, 8192)\r\n"
         "[ITEM:1] NAME = \"code\" TYPE = String\r\n"
         "[ITEM:2] NAME = \"name\" TYPE = String\r\n"
         "[ITEM:3] NAME = \"price\" TYPE = Number\r\n"
         "[ITEM:4] NAME = \"added\" TYPE = Date\r\n"
         "[ITEM:5] NAME = \"note\" TYPE = String\r\n"
         "[KEY:1] NAME = \"kcode\" TYPE = \"String,Unique\" BIND = [1]\r\n"
         "[KEY:2] NAME = \"kprice\" TYPE = Number BIND = [3]\r\n";
}

constexpr const char* kFormats =
    "DataFormat = [DBItem = 1], [DBItem = 2], [DBItem = 3], [DBItem = 4], [DBItem = 5]";

// Peak resident memory of the process so far, in kilobytes.
long PeakKb() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmHWM:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  }
  return -1;
}

// The engine on DIR/Varnex.conf, which "make" writes: the transaction log on, the command log off,
// a cache of 64 MB.
std::unique_ptr<VBSBoss> Engine(const std::string& dir) {
  return std::make_unique<VBSBoss>(dir + "/Varnex.conf");
}

int Make(const std::string& dir, long records) {
  std::filesystem::create_directories(dir);
  {
    auto engine = Engine(dir);
    VMSD* main = engine->Config()->MainSection();
    main->SetCommandLog(false, true);
    main->SetCacheSize(65535, true);
    main->SetTransactionLog(true, true);
    main->SetDatabasePaths(dir + "/db", std::nullopt, true);
    main->SetWorkPath(dir + "/work", true);
    Must(engine->Config()->Write(), "write the configuration");
    VDBHandle handle(engine.get());
    Must(handle.CreateDatabase("Bench", ""), "create the database");
    Must(handle.Open(), "open");
    Must(handle.CreateFiles("[DB] NAME = \"bench\"\r\n" + FileSchema(1) + FileSchema(2)),
         "create the files");
    Must(handle.Close(), "close");
  }
  std::ofstream out(dir + "/in.dat", std::ios::binary);
  std::string line;
  for (long i = 0; i < records; ++i) {
    const std::string n = std::to_string(i);
    line = "\"C" + n + "\",\"\x95\x69\x96\xBC " + n + ", special\"," + std::to_string(i % 9973) +
           ".25,\"2026/" + std::to_string(1 + i % 12) + "/" + std::to_string(1 + i % 28) +
           "\",\"note " + std::to_string(i % 100) + "\"\r\n";
    out << line;
  }
  return out ? 0 : 1;
}

// Runs one command from a form bound to file 1; answers the seconds it took.
double RunCommand(const std::string& dir, const char* statement, const std::string& script) {
  auto engine = Engine(dir);
  VDBHandle handle(engine.get());
  Must(handle.Open(), "open");
  OGTHeadlessFactory factory;
  // The form's search: the whole file for an output, nothing for an input.
  BenchApp app(&handle, statement);
  double seconds = 0;
  {
    OGTDBWindow window;
    window.Create(0, nullptr);
    window.Show();
    window.Bind(&app, &handle);
    const auto start = std::chrono::steady_clock::now();
    OvScript run(&app, &window);
    run.Run(script.data(), script.size());
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (factory.Screen().LastModal() != nullptr) {
      std::fprintf(stderr, "benchmark: the command showed a box\n");
      std::exit(1);
    }
  }
  Must(handle.Close(), "close");
  return seconds;
}

uint32_t Count(const std::string& dir) {
  auto engine = Engine(dir);
  VDBHandle handle(engine.get());
  Must(handle.Open(), "open");
  uint32_t count = 0;
  uint32_t first = 0;
  Must(handle.CountRecords(1, "all;", &count, &first), "count");
  Must(handle.Close(), "close");
  return count;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string step = argc > 2 ? argv[1] : "";
  if (step == "make" && argc == 4) return Make(argv[2], std::strtol(argv[3], nullptr, 10));
  const std::string dir = argc > 2 ? argv[2] : "";
  if (step == "input" && argc == 4) {
    const std::string script = "@DataInput(InputFile = \"" + dir +
                               "/in.dat\", Commit = " + argv[3] + ", " + kFormats + ");";
    const double seconds = RunCommand(dir, "null;", script);
    const uint32_t records = Count(dir);
    std::printf("input %s: %u records in %.2f s, %.0f records/s, peak %ld KB\n", argv[3], records,
                seconds, records / seconds, PeakKb());
    return 0;
  }
  if (step == "output" && argc == 3) {
    const std::string script =
        "@DataOutput(OutputFile = \"" + dir + "/out.dat\", " + std::string(kFormats) + ");";
    const uint32_t records = Count(dir);
    const double seconds = RunCommand(dir, "all;", script);
    std::printf("output: %u records in %.2f s, %.0f records/s, peak %ld KB\n", records, seconds,
                records / seconds, PeakKb());
    return 0;
  }
  std::fprintf(stderr,
               "usage: ov_data_bench make DIR N | input DIR no|end|file|record | output DIR\n");
  return 2;
}
