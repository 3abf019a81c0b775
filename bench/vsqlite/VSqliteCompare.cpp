// Varnex against SQLite: the same table of five items and the same nine workloads on both engines,
// in one process, the engines alternating workload by workload. Each repetition starts from empty
// databases; the table shows the median of the repetitions for each engine and the ratio
// Varnex / SQLite. Varnex gets all its work through VDBHandle commands; SQLite through its C API
// with prepared statements, its rollback journal and synchronous=FULL. Both engines get the same
// cache size, except in workload 10, a bulk insert into fresh databases with each engine's own
// default cache (Varnex: the configuration the engine makes when there is none; SQLite: no
// cache_size pragma). Every workload also computes a check figure (counts and sums of record
// numbers) on both sides; a difference is shown in the table and makes the program exit with 2.
//
// Usage: vsqlite_compare [--records N[,N...]] [--repeats N] [--cache KB] [--dir FOLDER] [--tlog]
//                        [--json] [--rows 1,5,7]  (only these workloads, for profiling; row 1
//                        always runs). Several sizes give one table (one JSON object) each.
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/VCodePage.h"
#include "db/engine/VBSBoss.h"
#include "db/engine/VDBHandle.h"
#include "db/schema/VConfig.h"
#include "db/schema/VMSD.h"
#include "db/schema/VRecord.h"

namespace {

namespace fs = std::filesystem;

// ---------------------------------------------------------------------------------------------
// Options and data

struct Options {
  uint32_t records = 100000;
  std::vector<uint32_t> sizes;  // every size asked for, in order
  int repeats = 3;
  int32_t cacheKilobytes = 65535;  // 0: each engine's own default
  std::string dir = "vsqlite-work";
  bool transactionLog = false;
  bool json = false;
  // Workloads to run (bit n for row n); row 1 always runs, as it fills the databases.
  uint32_t rows = 0x7FE;
};

// A small deterministic generator (splitmix64), the same on every platform and library.
class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed) {}
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  uint32_t Below(uint32_t n) { return static_cast<uint32_t>(Next() % n); }

 private:
  uint64_t state_;
};

struct Person {
  uint32_t id = 0;
  std::string name;  // Shift-JIS
  std::string city;  // Shift-JIS
  int64_t amount = 0;
  std::string date;  // "YYYY/MM/DD" for Varnex; SQLite gets "YYYY-MM-DD"
};

// Characters names are made of, chosen so that their second bytes in Shift-JIS include "\", "|",
// "_" and bytes that are lead bytes themselves.
const char* kNameChars[] = {
    "田", "中", "山", "川", "本", "村", "井", "藤", "木", "林", "佐", "高", "橋", "小", "松", "野",
    "上", "原", "石", "森", "清", "水", "池", "内", "竹", "島", "岡", "表", "能", "十", "ソ", "ポ",
    "あ", "い", "う", "え", "お", "か", "き", "く", "こ", "さ", "し", "す", "た", "な", "の", "は",
    "ま", "み", "ゆ", "よ", "ら", "り", "ア", "イ", "カ", "キ", "サ", "タ", "ナ", "マ", "ラ", "ル"};

const char* kCities[] = {
    "北海道札幌市",   "宮城県仙台市",   "東京都八王子市",   "神奈川県横浜市",   "神奈川県川崎市",
    "愛知県名古屋市", "京都府京都市",   "大阪府大阪市",     "兵庫県神戸市",     "広島県広島市",
    "福岡県福岡市",   "福岡県北九州市", "千葉県千葉市",     "埼玉県さいたま市", "静岡県静岡市",
    "静岡県浜松市",   "新潟県新潟市",   "岡山県岡山市",     "熊本県熊本市",     "鹿児島県鹿児島市",
    "石川県金沢市",   "富山県富山市",   "長野県長野市",     "岐阜県岐阜市",     "三重県津市",
    "滋賀県大津市",   "奈良県奈良市",   "和歌山県和歌山市", "鳥取県鳥取市",     "島根県松江市",
    "山口県山口市",   "徳島県徳島市",   "香川県高松市",     "愛媛県松山市",     "高知県高知市",
    "佐賀県佐賀市",   "長崎県長崎市",   "大分県大分市",     "宮崎県宮崎市",     "沖縄県那覇市",
    "青森県青森市",   "岩手県盛岡市",   "秋田県秋田市",     "山形県山形市",     "福島県福島市",
    "茨城県水戸市",   "栃木県宇都宮市", "群馬県前橋市"};

// Texts searched for inside the city (containment).
const char* kCityNeedles[] = {"山", "島", "川", "岡", "松", "崎", "大", "市", "県", "京",
                              "福", "高", "宮", "長", "静", "田", "和", "北", "賀", "沢"};

std::vector<std::string> ToSjis(const char* const* texts, size_t count) {
  std::vector<std::string> out;
  for (size_t i = 0; i < count; ++i) out.push_back(VUtf8ToSjis(texts[i]));
  return out;
}

struct DataSet {
  std::vector<Person> people;      // the records of the bulk insert (record i + 1)
  std::vector<Person> extra;       // the records of the single-record transactions
  std::vector<std::string> names;  // equality searches
  std::vector<std::string> prefixes;
  std::vector<std::pair<int64_t, int64_t>> ranges;
  std::vector<std::string> needles;
  std::vector<uint32_t> updated;  // record numbers
  std::vector<int64_t> newAmounts;
  std::vector<std::string> newCities;
  std::vector<uint32_t> deleted;
  std::vector<uint32_t> reads;
};

constexpr int64_t kAmountSpan = 1000000;

Person MakePerson(Random& random, uint32_t id, const std::vector<std::string>& chars,
                  const std::vector<std::string>& cities) {
  Person p;
  p.id = id;
  const uint32_t length = 4 + random.Below(9);
  for (uint32_t c = 0; c < length; ++c) p.name += chars[random.Below(chars.size())];
  p.city = cities[random.Below(cities.size())];
  p.amount = random.Below(kAmountSpan);
  char date[16];
  std::snprintf(date, sizeof date, "%04u/%02u/%02u", 1990 + random.Below(35), 1 + random.Below(12),
                1 + random.Below(28));
  p.date = date;
  return p;
}

DataSet MakeData(uint32_t n) {
  const std::vector<std::string> chars = ToSjis(kNameChars, std::size(kNameChars));
  const std::vector<std::string> cities = ToSjis(kCities, std::size(kCities));
  Random random(20240611);
  DataSet data;
  data.people.reserve(n);
  for (uint32_t i = 1; i <= n; ++i) data.people.push_back(MakePerson(random, i, chars, cities));
  for (uint32_t i = 1; i <= 1000; ++i) {
    data.extra.push_back(MakePerson(random, n + i, chars, cities));
  }
  for (int i = 0; i < 100000; ++i) data.reads.push_back(1 + random.Below(n));
  for (int i = 0; i < 10000; ++i) data.names.push_back(data.people[random.Below(n)].name);
  for (int i = 0; i < 1000; ++i) {
    // The first two characters (four bytes) of a stored name.
    data.prefixes.push_back(data.people[random.Below(n)].name.substr(0, 4));
  }
  for (int i = 0; i < 1000; ++i) {
    const int64_t from = random.Below(kAmountSpan - 1000);
    data.ranges.push_back({from, from + 999});
  }
  const std::vector<std::string> needles = ToSjis(kCityNeedles, std::size(kCityNeedles));
  for (int i = 0; i < 100; ++i) data.needles.push_back(needles[i % needles.size()]);
  std::vector<uint32_t> order(n);
  for (uint32_t i = 0; i < n; ++i) order[i] = i + 1;
  for (uint32_t i = n - 1; i > 0; --i) std::swap(order[i], order[random.Below(i + 1)]);
  data.updated.assign(order.begin(), order.begin() + n / 10);
  data.deleted.assign(order.begin() + n / 10, order.begin() + 2 * (n / 10));
  for (size_t i = 0; i < data.updated.size(); ++i) {
    data.newAmounts.push_back(random.Below(kAmountSpan));
    data.newCities.push_back(cities[random.Below(cities.size())]);
  }
  return data;
}

// What a workload found, compared between the engines.
struct Check {
  uint64_t count = 0;
  uint64_t sum = 0;
  bool operator==(const Check&) const = default;
};

[[noreturn]] void Fail(const std::string& what) { throw std::runtime_error(what); }

// ---------------------------------------------------------------------------------------------
// Varnex through the handle

constexpr int32_t kFile = 1;

constexpr const char* kSchema =
    "[FILE:1] NAME = \"people\" LABEL = \"people\" BLOCKSIZE = (4096, 4096)\r\n"
    "[ITEM:1] NAME = \"id\" TYPE = Number\r\n"
    "[ITEM:2] NAME = \"name\" TYPE = String\r\n"
    "[ITEM:3] NAME = \"city\" TYPE = String\r\n"
    "[ITEM:4] NAME = \"amount\" TYPE = Number\r\n"
    "[ITEM:5] NAME = \"date\" TYPE = Date\r\n"
    "[KEY:1] NAME = \"kid\" TYPE = \"Number,Unique\" BIND = [1]\r\n"
    "[KEY:2] NAME = \"kname\" TYPE = String BIND = [2]\r\n"
    "[KEY:3] NAME = \"kamount\" TYPE = Number BIND = [4]\r\n";

class VarnexSide {
 public:
  VarnexSide(const std::string& folder, const Options& options) : options_(options) {
    engine_ = std::make_unique<VBSBoss>(folder + "/Varnex.conf");
    VMSD* main = engine_->Config()->MainSection();
    main->SetCommandLog(false, false);
    main->SetTransactionLog(options.transactionLog, false);
    if (options.cacheKilobytes > 0) main->SetCacheSize(options.cacheKilobytes, false);
    main->SetDatabasePaths(folder + "/db", std::nullopt, false);
    main->SetWorkPath(folder + "/work", false);
    db_ = std::make_unique<VDBHandle>(engine_.get());
    Expect(db_->CreateDatabase("Bench", ""), "create database");
    Expect(db_->Open(), "open");
    Expect(db_->CreateFiles(kSchema), "create files");
  }
  ~VarnexSide() {
    // The last commit of the run has already been checked; a failure here is reported all the same.
    if (db_->Close() != kVOk) std::fprintf(stderr, "Varnex close failed\n");
    db_.reset();
    engine_.reset();
  }

  Check BulkInsert(const std::vector<Person>& people) {
    for (const Person& p : people) Insert(p);
    Commit();
    uint32_t last = 0;
    Expect(db_->MaxRNbr(kFile, &last), "MaxRNbr");
    return {last, 0};
  }

  Check Reads(const std::vector<uint32_t>& records) {
    Check check;
    for (uint32_t r : records) {
      Expect(db_->Read(kFile, r, &record_), "read");
      check.count++;
      check.sum += static_cast<uint64_t>(record_.ValueLength(2, 1));
    }
    return check;
  }

  Check Equal(const std::vector<std::string>& names) {
    Check check;
    for (const std::string& name : names) Search("[kname] = \"" + name + "\";", &check);
    return check;
  }

  Check Prefix(const std::vector<std::string>& prefixes) {
    Check check;
    for (const std::string& prefix : prefixes) Search("[kname] = \"" + prefix + "\"?;", &check);
    return check;
  }

  Check Range(const std::vector<std::pair<int64_t, int64_t>>& ranges) {
    Check check;
    for (const auto& [from, to] : ranges) {
      Search("[kamount] = " + std::to_string(from) + " - " + std::to_string(to) + ";", &check);
    }
    return check;
  }

  Check Contains(const std::vector<std::string>& needles) {
    Check check;
    for (const std::string& needle : needles) Search("[city] = ?\"" + needle + "\"?;", &check);
    return check;
  }

  Check SortAll() {
    int32_t set = 0;
    uint32_t size = 0;
    Expect(db_->MakeSet(kFile, "all;", &set, &size), "SetMake all");
    Expect(db_->SortSet(kFile, set, "[name]"), "SetSort");
    Check check;
    for (uint32_t i = 0; i < size; ++i) {
      uint32_t r = 0;
      Expect(db_->SetGet(kFile, set, i, &r), "SetRGet");
      check.count++;
      check.sum = check.sum * 1000003 + r;
    }
    Expect(db_->DropSet(kFile, set), "SetCancel");
    return check;
  }

  // The cost of one command through the handle that does least: "SetRGet" of the position last
  // read, answered from the set's cursor. Seconds per command.
  double CommandFloor() {
    int32_t set = 0;
    uint32_t size = 0;
    Expect(db_->MakeSet(kFile, "all;", &set, &size), "SetMake all");
    constexpr int kCommands = 100000;
    uint32_t r = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kCommands; ++i) Expect(db_->SetGet(kFile, set, 0, &r), "SetRGet");
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    Expect(db_->DropSet(kFile, set), "SetCancel");
    return seconds / kCommands;
  }

  Check UpdateThenDelete(const DataSet& data) {
    for (size_t i = 0; i < data.updated.size(); ++i) {
      Person p = data.people[data.updated[i] - 1];
      p.amount = data.newAmounts[i];
      p.city = data.newCities[i];
      Fill(p);
      Expect(db_->Update(kFile, data.updated[i], record_), "update");
    }
    Commit();
    for (uint32_t r : data.deleted) Expect(db_->Delete(kFile, r), "delete");
    Commit();
    uint32_t count = 0;
    int32_t set = 0;
    Expect(db_->MakeSet(kFile, "all;", &set, &count), "SetMake all");
    Expect(db_->DropSet(kFile, set), "SetCancel");
    return {count, 0};
  }

  Check SingleInserts(const std::vector<Person>& people) {
    for (const Person& p : people) {
      Insert(p);
      Commit();
    }
    uint32_t count = 0;
    int32_t set = 0;
    Expect(db_->MakeSet(kFile, "all;", &set, &count), "SetMake all");
    Expect(db_->DropSet(kFile, set), "SetCancel");
    return {count, 0};
  }

 private:
  void Expect(VResult result, const char* what) {
    if (result != kVOk) Fail(std::string("Varnex ") + what + ": " + std::to_string(result));
  }
  void Commit() {
    const VResult result = db_->Commit();
    // Without the transaction log the commit has flushed the files and answers -2143.
    if (result != kVOk && !(result == -2143 && !options_.transactionLog)) Expect(result, "commit");
  }
  void Add(int item, uint8_t type, const std::string& text) {
    Expect(record_.SetValueFromText(item, type, reinterpret_cast<const uint8_t*>(text.data()),
                                    static_cast<int32_t>(text.size())),
           "value");
  }
  void Fill(const Person& p) {
    record_.Clear();
    Add(1, kVTypeNumber, std::to_string(p.id));
    Add(2, kVTypeString, p.name);
    Add(3, kVTypeString, p.city);
    Add(4, kVTypeNumber, std::to_string(p.amount));
    Add(5, kVTypeDate, p.date);
  }
  void Insert(const Person& p) {
    Fill(p);
    uint32_t r = 0;
    Expect(db_->Insert(kFile, record_, &r), "insert");
  }
  // Makes the set, reads every record number of it, drops it.
  void Search(const std::string& statement, Check* check) {
    int32_t set = 0;
    uint32_t size = 0;
    Expect(db_->MakeSet(kFile, statement, &set, &size), "SetMake");
    for (uint32_t i = 0; i < size; ++i) {
      uint32_t r = 0;
      Expect(db_->SetGet(kFile, set, i, &r), "SetRGet");
      check->count++;
      check->sum += r;
    }
    Expect(db_->DropSet(kFile, set), "SetCancel");
  }

  const Options& options_;
  std::unique_ptr<VBSBoss> engine_;
  std::unique_ptr<VDBHandle> db_;
  VRecord record_;
};

// ---------------------------------------------------------------------------------------------
// SQLite through its C API

class Statement {
 public:
  Statement(sqlite3* db, const char* sql) : db_(db) {
    if (sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) != SQLITE_OK) {
      Fail(std::string("SQLite prepare: ") + sqlite3_errmsg(db));
    }
  }
  ~Statement() { sqlite3_finalize(stmt_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  Statement& Int(int index, int64_t value) {
    sqlite3_bind_int64(stmt_, index, value);
    return *this;
  }
  Statement& Text(int index, const std::string& value) {
    sqlite3_bind_text(stmt_, index, value.data(), static_cast<int>(value.size()), SQLITE_STATIC);
    return *this;
  }
  // One step: true while a row is there.
  bool Step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc != SQLITE_DONE) Fail(std::string("SQLite step: ") + sqlite3_errmsg(db_));
    return false;
  }
  void Reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
  }
  sqlite3_stmt* Raw() const { return stmt_; }

 private:
  sqlite3* db_;
  sqlite3_stmt* stmt_ = nullptr;
};

class SqliteSide {
 public:
  SqliteSide(const std::string& folder, const Options& options) {
    fs::create_directories(folder);
    if (sqlite3_open((folder + "/bench.db").c_str(), &db_) != SQLITE_OK) Fail("SQLite open");
    Exec("PRAGMA journal_mode=DELETE");
    Exec("PRAGMA synchronous=FULL");
    if (options.cacheKilobytes > 0) {
      Exec(("PRAGMA cache_size=-" + std::to_string(options.cacheKilobytes)).c_str());
    }
    Exec(
        "CREATE TABLE people(id INTEGER, name TEXT, city TEXT, amount INTEGER, date TEXT);"
        "CREATE UNIQUE INDEX people_id ON people(id);"
        "CREATE INDEX people_name ON people(name);"
        "CREATE INDEX people_amount ON people(amount);");
  }
  ~SqliteSide() { sqlite3_close(db_); }

  Check BulkInsert(const std::vector<Person>& people) {
    Exec("BEGIN");
    Statement insert(db_,
                     "INSERT INTO people(rowid, id, name, city, amount, date) "
                     "VALUES(?1, ?2, ?3, ?4, ?5, ?6)");
    for (const Person& p : people) Insert(insert, p);
    Exec("COMMIT");
    Statement last(db_, "SELECT max(rowid) FROM people");
    last.Step();
    return {static_cast<uint64_t>(sqlite3_column_int64(last.Raw(), 0)), 0};
  }

  Check Reads(const std::vector<uint32_t>& records) {
    ReadTransaction transaction(this);
    Statement read(db_, "SELECT id, name, city, amount, date FROM people WHERE rowid = ?1");
    Check check;
    for (uint32_t r : records) {
      read.Int(1, r);
      if (!read.Step()) Fail("SQLite read: no row");
      for (int c = 0; c < 5; ++c) sqlite3_column_blob(read.Raw(), c);
      check.count++;
      check.sum += static_cast<uint64_t>(sqlite3_column_bytes(read.Raw(), 1));
      read.Reset();
    }
    return check;
  }

  Check Equal(const std::vector<std::string>& names) {
    ReadTransaction transaction(this);
    Statement find(db_, "SELECT rowid FROM people WHERE name = ?1");
    Check check;
    for (const std::string& name : names) Collect(find.Text(1, name), &check);
    return check;
  }

  Check Prefix(const std::vector<std::string>& prefixes) {
    ReadTransaction transaction(this);
    // Shift-JIS never uses the byte 0xFF, so [prefix, prefix + 0xFF) holds exactly the names that
    // begin with the prefix; the index serves the range.
    Statement find(db_, "SELECT rowid FROM people WHERE name >= ?1 AND name < ?2");
    Check check;
    for (const std::string& prefix : prefixes) {
      const std::string upper = prefix + '\xFF';
      Collect(find.Text(1, prefix).Text(2, upper), &check);
    }
    return check;
  }

  Check Range(const std::vector<std::pair<int64_t, int64_t>>& ranges) {
    ReadTransaction transaction(this);
    Statement find(db_, "SELECT rowid FROM people WHERE amount BETWEEN ?1 AND ?2");
    Check check;
    for (const auto& [from, to] : ranges) Collect(find.Int(1, from).Int(2, to), &check);
    return check;
  }

  Check Contains(const std::vector<std::string>& needles) {
    // LIKE and GLOB step through TEXT as UTF-8, which splits and merges Shift-JIS characters (a
    // second byte of 0xC0 or more swallows the next character) and misses about half of the
    // matches; instr over the bytes scans every row in the same way and finds them all.
    ReadTransaction transaction(this);
    Statement find(db_, "SELECT rowid FROM people WHERE instr(CAST(city AS BLOB), ?1) > 0");
    Check check;
    for (const std::string& needle : needles) {
      sqlite3_bind_blob(find.Raw(), 1, needle.data(), static_cast<int>(needle.size()),
                        SQLITE_STATIC);
      Collect(find, &check);
    }
    return check;
  }

  Check SortAll() {
    ReadTransaction transaction(this);
    Statement sorted(db_, "SELECT rowid FROM people ORDER BY name, rowid");
    Check check;
    while (sorted.Step()) {
      check.count++;
      check.sum =
          check.sum * 1000003 + static_cast<uint64_t>(sqlite3_column_int64(sorted.Raw(), 0));
    }
    return check;
  }

  Check UpdateThenDelete(const DataSet& data) {
    Exec("BEGIN");
    {
      Statement update(db_, "UPDATE people SET amount = ?1, city = ?2 WHERE rowid = ?3");
      for (size_t i = 0; i < data.updated.size(); ++i) {
        update.Int(1, data.newAmounts[i]).Text(2, data.newCities[i]).Int(3, data.updated[i]);
        update.Step();
        update.Reset();
      }
    }
    Exec("COMMIT");
    Exec("BEGIN");
    {
      Statement remove(db_, "DELETE FROM people WHERE rowid = ?1");
      for (uint32_t r : data.deleted) {
        remove.Int(1, r);
        remove.Step();
        remove.Reset();
      }
    }
    Exec("COMMIT");
    return {Count(), 0};
  }

  Check SingleInserts(const std::vector<Person>& people) {
    Statement insert(db_,
                     "INSERT INTO people(rowid, id, name, city, amount, date) "
                     "VALUES(?1, ?2, ?3, ?4, ?5, ?6)");
    for (const Person& p : people) Insert(insert, p);  // each its own durable transaction
    return {Count(), 0};
  }

 private:
  // The reads of one workload run in one read transaction, as an application reading in bulk
  // would: without it every statement takes and drops the file lock and checks the file for
  // changes by another process (Varnex holds its files exclusively for the whole session).
  class ReadTransaction {
   public:
    explicit ReadTransaction(SqliteSide* side) : side_(side) { side_->Exec("BEGIN"); }
    ~ReadTransaction() { sqlite3_exec(side_->db_, "COMMIT", nullptr, nullptr, nullptr); }

   private:
    SqliteSide* side_;
  };

  void Exec(const char* sql) {
    char* error = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &error) != SQLITE_OK) {
      const std::string text = error != nullptr ? error : "?";
      sqlite3_free(error);
      Fail(std::string("SQLite: ") + text);
    }
  }
  void Insert(Statement& insert, const Person& p) {
    std::string date = p.date;
    std::replace(date.begin(), date.end(), '/', '-');
    insert.Int(1, p.id).Int(2, p.id).Text(3, p.name).Text(4, p.city).Int(5, p.amount);
    insert.Text(6, date);
    insert.Step();
    insert.Reset();
  }
  void Collect(Statement& find, Check* check) {
    while (find.Step()) {
      check->count++;
      check->sum += static_cast<uint64_t>(sqlite3_column_int64(find.Raw(), 0));
    }
    find.Reset();
  }
  uint64_t Count() {
    Statement count(db_, "SELECT count(*) FROM people");
    count.Step();
    return static_cast<uint64_t>(sqlite3_column_int64(count.Raw(), 0));
  }

  sqlite3* db_ = nullptr;
};

// ---------------------------------------------------------------------------------------------
// The durable-write floor

// 1,000 writes of 4 KB, each followed by fdatasync, into one file: in place (over blocks the file
// already has, so only data is synced), or appended (each sync must also record the new length,
// as a commit that grows or creates a file must).
double SyncFloor(const std::string& folder, bool append) {
  fs::create_directories(folder);
  const std::string path = folder + "/floor.bin";
  const int fd = ::open(path.c_str(), O_CREAT | O_TRUNC | O_RDWR, 0644);
  if (fd < 0) Fail("floor: cannot create " + path);
  std::vector<char> block(4096, 'x');
  if (!append) {
    for (int i = 0; i < 256; ++i) {
      if (::pwrite(fd, block.data(), block.size(), static_cast<off_t>(i) * 4096) != 4096) {
        Fail("floor: write");
      }
    }
    ::fsync(fd);
  }
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < 1000; ++i) {
    block[0] = static_cast<char>(i);
    const off_t at = static_cast<off_t>(append ? i : i % 256) * 4096;
    if (::pwrite(fd, block.data(), block.size(), at) != 4096 || ::fdatasync(fd) != 0) {
      Fail("floor: write or fdatasync");
    }
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  ::close(fd);
  fs::remove(path);
  return seconds;
}

struct Floor {
  double inPlace;
  double appended;
  double command;  // seconds per handle command
};

// ---------------------------------------------------------------------------------------------
// The run

struct Row {
  const char* title;
  std::function<Check(VarnexSide&)> varnex;
  std::function<Check(SqliteSide&)> sqlite;
  std::vector<double> varnexSeconds;
  std::vector<double> sqliteSeconds;
  // The processor time of the same runs: on a shared machine the wall-clock figures include time
  // spent waiting for other processes, these do not (nor time spent waiting for the disk).
  std::vector<double> varnexCpu;
  std::vector<double> sqliteCpu;
  bool agree = true;
};

double CpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

template <class Fn>
void Time(Fn fn, Check* check, std::vector<double>* wall, std::vector<double>* cpu) {
  const double cpuStart = CpuSeconds();
  const auto start = std::chrono::steady_clock::now();
  *check = fn();
  wall->push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  cpu->push_back(CpuSeconds() - cpuStart);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::vector<Row> MakeRows(const DataSet& d, uint32_t n) {
  const std::string tenth = std::to_string(n / 10);
  std::vector<Row> rows;
  auto add = [&rows](const char* title, auto varnex, auto sqlite) {
    rows.push_back(Row{title, varnex, sqlite, {}, {}, {}, {}, true});
  };
  add(
      "1 bulk insert, one transaction", [&d](VarnexSide& v) { return v.BulkInsert(d.people); },
      [&d](SqliteSide& s) { return s.BulkInsert(d.people); });
  add(
      "2 reads by record number", [&d](VarnexSide& v) { return v.Reads(d.reads); },
      [&d](SqliteSide& s) { return s.Reads(d.reads); });
  add(
      "3 equality searches (name key)", [&d](VarnexSide& v) { return v.Equal(d.names); },
      [&d](SqliteSide& s) { return s.Equal(d.names); });
  add(
      "4 prefix searches (name key)", [&d](VarnexSide& v) { return v.Prefix(d.prefixes); },
      [&d](SqliteSide& s) { return s.Prefix(d.prefixes); });
  add(
      "5 range searches (amount key)", [&d](VarnexSide& v) { return v.Range(d.ranges); },
      [&d](SqliteSide& s) { return s.Range(d.ranges); });
  add(
      "6 containment scans (city)", [&d](VarnexSide& v) { return v.Contains(d.needles); },
      [&d](SqliteSide& s) { return s.Contains(d.needles); });
  add(
      "7 sort all by name, read order", [](VarnexSide& v) { return v.SortAll(); },
      [](SqliteSide& s) { return s.SortAll(); });
  add(
      "8 update 10%, then delete 10%", [&d](VarnexSide& v) { return v.UpdateThenDelete(d); },
      [&d](SqliteSide& s) { return s.UpdateThenDelete(d); });
  add(
      "9 1,000 single-insert commits", [&d](VarnexSide& v) { return v.SingleInserts(d.extra); },
      [&d](SqliteSide& s) { return s.SingleInserts(d.extra); });
  add(
      "10 bulk insert, default caches", [&d](VarnexSide& v) { return v.BulkInsert(d.people); },
      [&d](SqliteSide& s) { return s.BulkInsert(d.people); });
  return rows;
}

std::string LoadAverage() {
  std::ifstream in("/proc/loadavg");
  std::string one, five, fifteen;
  in >> one >> five >> fifteen;
  return one + " " + five + " " + fifteen;
}

Options ParseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) Fail("missing value after " + arg);
      return argv[++i];
    };
    if (arg == "--records") {
      options.sizes.clear();
      const std::string list = value();
      for (size_t at = 0; at < list.size();) {
        const size_t comma = std::min(list.find(',', at), list.size());
        options.sizes.push_back(static_cast<uint32_t>(std::stoul(list.substr(at, comma - at))));
        at = comma + 1;
      }
    } else if (arg == "--repeats") {
      options.repeats = std::stoi(value());
    } else if (arg == "--cache") {
      options.cacheKilobytes = std::stoi(value());
    } else if (arg == "--dir") {
      options.dir = value();
    } else if (arg == "--tlog") {
      options.transactionLog = true;
    } else if (arg == "--json") {
      options.json = true;
    } else if (arg == "--rows") {
      options.rows = 2;
      const std::string list = value();
      for (size_t at = 0; at < list.size();) {
        const size_t comma = std::min(list.find(',', at), list.size());
        const int row = std::stoi(list.substr(at, comma - at));
        if (row < 1 || row > 10) Fail("--rows: numbers 1 to 10");
        options.rows |= 1u << row;
        at = comma + 1;
      }
    } else {
      Fail("unknown argument " + arg +
           " (use --records N[,N...], --repeats N, --cache KB, --dir FOLDER, --tlog, --json, "
           "--rows L)");
    }
  }
  if (options.sizes.empty()) options.sizes.push_back(options.records);
  for (const uint32_t size : options.sizes) {
    if (size < 1000 || size > 16000000) Fail("--records: 1000 to 16000000");
  }
  if (options.repeats < 1) Fail("--repeats: at least 1");
  if (options.cacheKilobytes < 40 || options.cacheKilobytes > 65535) Fail("--cache: 40 to 65535");
  return options;
}

void PrintTable(const Options& o, const std::vector<Row>& rows, const Floor& floor) {
  std::printf(
      "Varnex (VDBHandle) against SQLite %s: %u records, median of %d, cache %d KB, "
      "transaction log %s\n",
      sqlite3_libversion(), o.records, o.repeats, o.cacheKilobytes,
      o.transactionLog ? "on" : "off");
  std::printf("%-34s %10s %10s %6s  %10s %10s %6s  %s\n", "workload", "Varnex ms", "SQLite ms",
              "ratio", "Varnex cpu", "SQLite cpu", "ratio", "results");
  for (const Row& row : rows) {
    if (row.varnexSeconds.empty()) continue;
    const double v = Median(row.varnexSeconds) * 1000;
    const double s = Median(row.sqliteSeconds) * 1000;
    const double vc = Median(row.varnexCpu) * 1000;
    const double sc = Median(row.sqliteCpu) * 1000;
    std::printf("%-34s %10.1f %10.1f %6.2f  %10.1f %10.1f %6.2f  %s\n", row.title, v, s, v / s, vc,
                sc, vc / sc, row.agree ? "same" : "DIFFERENT");
  }
  std::printf(
      "durable-write floor: 1,000 fdatasync'd 4 KB writes take %.1f ms in place (%.0f us each), "
      "%.1f ms appended (%.0f us each)\n",
      floor.inPlace * 1000, floor.inPlace * 1000, floor.appended * 1000, floor.appended * 1000);
  std::printf("command floor: one \"SetRGet\" through the handle takes %.0f ns\n",
              floor.command * 1e9);
  std::printf("load average at the end: %s\n", LoadAverage().c_str());
}

void PrintJson(const Options& o, const std::vector<Row>& rows, const Floor& floor) {
  std::printf("{\n  \"records\": %u,\n  \"repeats\": %d,\n  \"cache_kb\": %d,\n", o.records,
              o.repeats, o.cacheKilobytes);
  std::printf("  \"transaction_log\": %s,\n  \"sqlite_version\": \"%s\",\n",
              o.transactionLog ? "true" : "false", sqlite3_libversion());
  std::printf("  \"fdatasync_floor_ms\": %.3f,\n  \"fdatasync_append_floor_ms\": %.3f,\n",
              floor.inPlace * 1000, floor.appended * 1000);
  std::printf("  \"command_floor_ns\": %.1f,\n", floor.command * 1e9);
  std::printf("  \"load_average\": \"%s\",\n  \"rows\": [\n", LoadAverage().c_str());
  bool first = true;
  for (const Row& row : rows) {
    if (row.varnexSeconds.empty()) continue;
    if (!first) std::printf(",\n");
    first = false;
    const double v = Median(row.varnexSeconds) * 1000;
    const double s = Median(row.sqliteSeconds) * 1000;
    const double vc = Median(row.varnexCpu) * 1000;
    const double sc = Median(row.sqliteCpu) * 1000;
    std::printf(
        "    {\"workload\": \"%s\", \"varnex_ms\": %.3f, \"sqlite_ms\": %.3f, "
        "\"ratio\": %.3f, \"varnex_cpu_ms\": %.3f, \"sqlite_cpu_ms\": %.3f, "
        "\"cpu_ratio\": %.3f, \"results_agree\": %s}",
        row.title, v, s, v / s, vc, sc, vc / sc, row.agree ? "true" : "false");
  }
  std::printf("\n  ]\n}\n");
}

int RunSize(const Options& options) {
  const DataSet data = MakeData(options.records);
  std::vector<Row> rows = MakeRows(data, options.records);
  const fs::path base = fs::absolute(options.dir);
  std::vector<double> commands;
  for (int repeat = 0; repeat < options.repeats; ++repeat) {
    fs::remove_all(base);
    fs::create_directories(base);
    VarnexSide varnexShared((base / "varnex").string(), options);
    SqliteSide sqliteShared((base / "sqlite").string(), options);
    for (size_t i = 0; i < rows.size(); ++i) {
      Row& row = rows[i];
      if ((options.rows & (1u << (i + 1))) == 0) continue;
      // The last workload has databases of its own, made with each engine's default cache.
      const bool defaults = i + 1 == rows.size();
      Options defaultOptions = options;
      defaultOptions.cacheKilobytes = 0;
      std::unique_ptr<VarnexSide> varnexDefaults;
      std::unique_ptr<SqliteSide> sqliteDefaults;
      if (defaults) {
        varnexDefaults =
            std::make_unique<VarnexSide>((base / "varnex-defaults").string(), defaultOptions);
        sqliteDefaults =
            std::make_unique<SqliteSide>((base / "sqlite-defaults").string(), defaultOptions);
      }
      VarnexSide& varnex = defaults ? *varnexDefaults : varnexShared;
      SqliteSide& sqlite = defaults ? *sqliteDefaults : sqliteShared;
      Check v, s;
      // Alternate which engine goes first, so that neither always meets the other's leftovers.
      auto runVarnex = [&] {
        Time([&] { return row.varnex(varnex); }, &v, &row.varnexSeconds, &row.varnexCpu);
      };
      auto runSqlite = [&] {
        Time([&] { return row.sqlite(sqlite); }, &s, &row.sqliteSeconds, &row.sqliteCpu);
      };
      if (repeat % 2 == 0) {
        runVarnex();
        runSqlite();
      } else {
        runSqlite();
        runVarnex();
      }
      if (!(v == s)) {
        row.agree = false;
        std::fprintf(
            stderr, "%s: Varnex found %llu (%llu), SQLite %llu (%llu)\n", row.title,
            static_cast<unsigned long long>(v.count), static_cast<unsigned long long>(v.sum),
            static_cast<unsigned long long>(s.count), static_cast<unsigned long long>(s.sum));
      }
    }
    commands.push_back(varnexShared.CommandFloor());
    if (!options.json)
      std::fprintf(stderr, "repetition %d of %d done\n", repeat + 1, options.repeats);
  }
  std::vector<double> inPlace, appended;
  for (int i = 0; i < 3; ++i) {
    inPlace.push_back(SyncFloor((base / "floor").string(), false));
    appended.push_back(SyncFloor((base / "floor").string(), true));
  }
  const Floor floor{Median(inPlace), Median(appended), Median(commands)};
  fs::remove_all(base);
  if (options.json) {
    PrintJson(options, rows, floor);
  } else {
    PrintTable(options, rows, floor);
  }
  for (const Row& row : rows) {
    if (!row.agree) return 2;
  }
  return 0;
}

int Run(int argc, char** argv) {
  const Options parsed = ParseOptions(argc, argv);
  int status = 0;
  if (parsed.json && parsed.sizes.size() > 1) std::printf("[\n");
  for (size_t i = 0; i < parsed.sizes.size(); ++i) {
    Options options = parsed;
    options.records = parsed.sizes[i];
    if (i > 0) std::printf(parsed.json ? ",\n" : "\n");
    std::fflush(stdout);
    status = std::max(status, RunSize(options));
    std::fflush(stdout);
  }
  if (parsed.json && parsed.sizes.size() > 1) std::printf("]\n");
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "vsqlite_compare: %s\n", e.what());
    return 1;
  }
}
