// Sets at scale, with timings: an equality search through a key, a prefix search, an item scan,
// an "all not" combination and a sort by one String item, each checked against the records. The
// optimised build runs 200,000 records, the sanitizer build a tenth of that (OV_SCALE_RECORDS
// overrides both); the optimised build also checks that sorting grows far below quadratically.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "QuerySupport.h"
#include "base/VEndian.h"

namespace {

uint32_t ScaleCount() {
  if (const char* count = std::getenv("OV_SCALE_RECORDS")) return std::strtoul(count, nullptr, 10);
#ifdef NDEBUG
  return 200000;
#else
  return 20000;
#endif
}

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

class Timed {
 public:
  explicit Timed(const char* what) : what_(what), start_(std::chrono::steady_clock::now()) {}
  ~Timed() {
    std::printf("[ timing   ] %-40s %10.3f ms\n", what_, Seconds(start_) * 1000.0);
    std::fflush(stdout);
  }

 private:
  const char* what_;
  std::chrono::steady_clock::time_point start_;
};

TEST(VSetScale, SearchesCombinationsAndSortsAtScale) {
  const uint32_t count = ScaleCount();
  PeopleFile people(9, 2000);
  VDBFile& file = people.File();
  std::mt19937 random(5);
  std::vector<std::string> names(count + 1);
  {
    Timed timed("insert");
    for (uint32_t r = 1; r <= count; ++r) {
      std::string name;
      for (int i = 0; i < 8; ++i) name += static_cast<char>('a' + random() % 26);
      names[r] = name;
      ASSERT_EQ(people.Insert({{PeopleFile::kName, name},
                               {PeopleFile::kCode, "c" + std::to_string(r % 1000)},
                               {PeopleFile::kNote, "n" + std::to_string(r % 100)}}),
                r);
    }
  }
  // The inserts are written back first and the first set creates the work file; the timings
  // leave both out.
  ASSERT_EQ(file.Flush(), kVOk);
  uint32_t size = 0;
  int32_t id = people.Make("null");
  ASSERT_GT(id, 0);
  EXPECT_EQ(people.FileSets().SetCancel(id), kVOk);
  const uint32_t c123 = count / 1000 + (count % 1000 >= 123 ? 1 : 0);
  uint32_t prefixed = 0;
  for (uint32_t r = 1; r <= count; ++r) prefixed += names[r].compare(0, 2, "ab") == 0;
  const struct {
    const char* what;
    const char* statement;
    uint32_t size;
  } searches[] = {
      {"equality through a key", "[kcode] = c123", c123},
      {"prefix through a key", "[name] = \"ab\"?", prefixed},
      {"item scan", "[note] = n7", count / 100 + (count % 100 >= 7 ? 1 : 0)},
      {"all not", "all not [kcode] = c123", count - c123},
  };
  for (const auto& search : searches) {
    const int rounds = 10;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < rounds; ++i) {
      id = people.Make(search.statement, &size);
      EXPECT_EQ(size, search.size) << search.statement;
      EXPECT_EQ(people.FileSets().SetCancel(id), kVOk);
    }
    std::printf("[ timing   ] %-40s %10.3f ms\n", search.what, Seconds(start) * 1000.0 / rounds);
  }

  // Sorting an eighth of the records and all of them.
  double part = 0;
  double whole = 0;
  for (const bool all : {false, true}) {
    id = people.Make(all ? "all" : "null", &size);
    if (!all) {
      std::vector<uint8_t> numbers(3 * (count / 8));
      for (uint32_t r = 1; r <= count / 8; ++r) VPutU24(numbers.data() + 3 * (r - 1), r);
      ASSERT_EQ(people.FileSets().SetRAdd(id, numbers), kVOk);
      ASSERT_EQ(people.FileSets().SetSize(id, &size), kVOk);
    }
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(people.FileSets().SetSort(id, Bytes("name")), kVOk);
    (all ? whole : part) = Seconds(start);
    std::printf("[ timing   ] sort by a String item, %7u records   %10.3f ms\n", size,
                Seconds(start) * 1000.0);
    uint32_t previous = 0;
    for (uint32_t i = 0; i < size; i += 97) {
      uint32_t r = 0;
      ASSERT_EQ(people.FileSets().SetRGet(id, i, &r), kVOk);
      if (previous != 0) {
        EXPECT_LE(names[previous], names[r]);
      }
      previous = r;
    }
    EXPECT_EQ(people.FileSets().SetCancel(id), kVOk);
  }
#ifdef NDEBUG
  // n log n makes eight times the records cost about ten times the time (more once the tree
  // outgrows the cache); n squared would make it sixty-four.
  EXPECT_LT(whole, 30 * part);
#endif
}

}  // namespace
