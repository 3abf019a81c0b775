// Sets, sorting, key sequences, physical reads and the items of stored records, through the
// handle: what the player's record sets and lists rest on.
#include <gtest/gtest.h>

#include <set>

#include "EngineSupport.h"
#include "base/VEndian.h"
#include "db/engine/VCMD.h"
#include "db/engine/VEngineCodes.h"
#include "db/store/VDBCodes.h"

namespace {

struct Row {
  const char* name;
  const char* age;
  const char* city;
};

// Records 1..8 of people.
const Row kRows[] = {{"Sato", "42", "Kyoto"}, {"Ito", "35", "Nara"},  {"Kato", "42", "Osaka"},
                     {"Abe", "19", "Kyoto"},  {"Mori", "67", "Kobe"}, {"Ueno", "35", "Kyoto"},
                     {"Oda", "8", "Nara"},    {"Ikeda", "50", "Kobe"}};

class HandleSets : public ::testing::Test {
 protected:
  void SetUp() override {
    env_.CreateShop();
    for (const Row& row : kRows) {
      uint32_t r = 0;
      ASSERT_EQ(db().Insert(kPeople, Person(row.name, row.age, row.city), &r), kVOk);
    }
  }
  VDBHandle& db() { return env_.Handle(); }

  // The members of a set in its order, by name.
  std::vector<std::string> Names(int32_t set) {
    uint32_t size = 0;
    EXPECT_EQ(db().SetSize(kPeople, set, &size), kVOk);
    std::vector<std::string> names;
    for (uint32_t i = 0; i < size; ++i) {
      uint32_t r = 0;
      VRecord record;
      EXPECT_EQ(db().SetGet(kPeople, set, i, &r, &record), kVOk);
      names.push_back(Text(record, 1));
    }
    return names;
  }

  std::vector<uint32_t> Numbers(int32_t set) {
    uint32_t size = 0;
    EXPECT_EQ(db().SetSize(kPeople, set, &size), kVOk);
    std::vector<uint32_t> numbers;
    for (uint32_t i = 0; i < size; ++i) {
      uint32_t r = 0;
      EXPECT_EQ(db().SetGet(kPeople, set, i, &r), kVOk);
      numbers.push_back(r);
    }
    return numbers;
  }

  EngineEnv env_;
};

TEST_F(HandleSets, SetsAreMadeSortedChangedAndDropped) {
  int32_t kyoto = 0;
  uint32_t size = 0;
  ASSERT_EQ(db().MakeSet(kPeople, "[I:city] = \"Kyoto\";", &kyoto, &size), kVOk);
  EXPECT_EQ(size, 3u);
  EXPECT_EQ(Numbers(kyoto), (std::vector<uint32_t>{1, 4, 6}));
  int32_t aged = 0;
  ASSERT_EQ(
      db().MakeSet(kPeople, "[kage] = 35 - 50 not #" + std::to_string(kyoto) + ";", &aged, &size),
      kVOk);
  EXPECT_EQ(Numbers(aged), (std::vector<uint32_t>{2, 3, 8}));

  // Sorted by age descending, ties in record order; back to record order after SortCancel.
  int32_t all = 0;
  ASSERT_EQ(db().MakeSet(kPeople, "all;", &all, &size), kVOk);
  EXPECT_EQ(size, 8u);
  ASSERT_EQ(db().SortSet(kPeople, all, "[age]%D"), kVOk);
  EXPECT_EQ(Names(all), (std::vector<std::string>{"Mori", "Ikeda", "Sato", "Kato", "Ito", "Ueno",
                                                  "Abe", "Oda"}));
  uint32_t r = 0;
  EXPECT_EQ(db().SetGet(kPeople, all, 8, &r), kVPositionOutside);
  ASSERT_EQ(db().SortCancel(kPeople, all), kVOk);
  ASSERT_EQ(db().SetGet(kPeople, all, 0, &r), kVOk);
  EXPECT_EQ(r, 1u);
  EXPECT_EQ(db().SortSet(kPeople, all, "[nosuch]"), kVSortItemUnknown);

  // Adding and removing members, one or a list.
  ASSERT_EQ(db().SetAdd(kPeople, kyoto, 5), kVOk);
  ASSERT_EQ(db().SetAdd(kPeople, kyoto, 5), kVOk);
  const uint32_t more[] = {7, 8};
  ASSERT_EQ(db().SetAdd(kPeople, kyoto, more), kVOk);
  const uint32_t fewer[] = {1, 8};
  ASSERT_EQ(db().SetRemove(kPeople, kyoto, fewer), kVOk);
  ASSERT_EQ(db().SetRemove(kPeople, kyoto, 4), kVOk);
  EXPECT_EQ(Numbers(kyoto), (std::vector<uint32_t>{5, 6, 7}));

  // The user's sets as the engine describes them.
  int32_t count = 0;
  ASSERT_EQ(db().UserSetCount(&count), kVOk);
  EXPECT_EQ(count, 3);
  VUserSetInfo info;
  ASSERT_EQ(db().UserSetInfo(1, &info), kVOk);
  EXPECT_EQ(info.fileNumber, kPeople);
  EXPECT_EQ(info.setId, aged);
  EXPECT_EQ(info.size, 3u);
  EXPECT_EQ(info.name, "#" + std::to_string(aged));
  EXPECT_EQ(info.statement, "[kage] = 35 - 50 not #" + std::to_string(kyoto) + ";");
  ASSERT_EQ(db().SortSet(kPeople, all, "[name]"), kVOk);
  ASSERT_EQ(db().UserSetInfo(2, &info), kVOk);
  EXPECT_EQ(info.sortDescription, "[name]");
  EXPECT_EQ(db().UserSetInfo(3, &info), kVNoSuchUserSet);

  // A dropped set is gone; a set of one file is no set of another.
  ASSERT_EQ(db().DropSet(kPeople, aged), kVOk);
  EXPECT_EQ(db().SetSize(kPeople, aged, &size), kVNoSuchSet);
  EXPECT_EQ(db().SetSize(kOrders, kyoto, &size), kVNoSuchSet);
  EXPECT_EQ(db().MakeSet(kPeople, "[nosuch] = 1;", &aged, &size), kVStatementFailed);
  uint32_t counted = 0;
  uint32_t first = 0;
  ASSERT_EQ(db().CountRecords(kPeople, "[I:city] = \"Nara\";", &counted, &first), kVOk);
  EXPECT_EQ(counted, 2u);
  EXPECT_EQ(first, 2u);

  // Closing drops every set; the ids go on.
  ASSERT_EQ(db().Close(), kVOk);
  ASSERT_EQ(db().Open(), kVOk);
  ASSERT_EQ(db().UserSetCount(&count), kVOk);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(db().SetSize(kPeople, kyoto, &size), kVNoSuchSet);
}

TEST_F(HandleSets, KeySequencesAndPhysicalReadsWalkEveryRecord) {
  int32_t sequence = 0;
  ASSERT_EQ(db().KeyLocate(kPeople, 2, "", &sequence), kVOk);
  std::vector<std::string> ages;
  std::vector<std::vector<uint32_t>> records;
  std::string value;
  std::vector<uint32_t> numbers;
  VResult result;
  while ((result = db().KeyRead(kPeople, sequence, &value, &numbers)) == kVOk) {
    ages.push_back(value);
    records.push_back(numbers);
  }
  EXPECT_EQ(result, kVEnd);
  EXPECT_EQ(ages, (std::vector<std::string>{"8", "19", "35", "42", "50", "67"}));
  EXPECT_EQ(records[2], (std::vector<uint32_t>{2, 6}));
  ASSERT_EQ(db().KeyCancel(kPeople, sequence), kVOk);
  EXPECT_EQ(db().KeyRead(kPeople, sequence, &value, &numbers), kVNoSuchSet);
  // From a value on; past the last value there is nothing to read.
  ASSERT_EQ(db().KeyLocate(kPeople, 1, "Mori", &sequence), kVOk);
  ASSERT_EQ(db().KeyRead(kPeople, sequence, &value, &numbers), kVOk);
  EXPECT_EQ(value, "Mori");
  ASSERT_EQ(db().KeyRead(kPeople, sequence, &value, &numbers), kVOk);
  EXPECT_EQ(value, "Oda");
  EXPECT_EQ(db().KeyLocate(kPeople, 1, "Zz", &sequence), kVEnd);

  ASSERT_EQ(db().Delete(kPeople, 3), kVOk);
  int32_t read = 0;
  ASSERT_EQ(db().PhysicalLocate(kPeople, &read), kVOk);
  std::set<uint32_t> seen;
  uint32_t r = 0;
  VRecord record;
  while ((result = db().PhysicalRead(kPeople, read, &r, &record)) == kVOk) {
    EXPECT_EQ(Text(record, 1), kRows[r - 1].name);
    seen.insert(r);
  }
  EXPECT_EQ(result, kVEnd);
  EXPECT_EQ(seen, (std::set<uint32_t>{1, 2, 4, 5, 6, 7, 8}));
  // Ids are shared between sets, reads and sequences: a read is no set.
  uint32_t size = 0;
  EXPECT_EQ(db().SetSize(kPeople, read, &size), kVNoSuchSet);
  ASSERT_EQ(db().PhysicalCancel(kPeople, read), kVOk);
  EXPECT_EQ(db().PhysicalRead(kPeople, read, &r, &record), kVNoSuchSet);
}

TEST_F(HandleSets, ItemsOfAStoredRecordAreReadInPlace) {
  uint32_t r = 0;
  ASSERT_EQ(db().Insert(kPeople, Person("Tanaka", "-7.5", "", {"red", "green"}), &r), kVOk);
  int32_t value = 0;
  ASSERT_EQ(db().ItemCount(kPeople, r, &value), kVOk);
  EXPECT_EQ(value, 3);
  ASSERT_EQ(db().ItemNumberAt(kPeople, r, 2, &value), kVOk);
  EXPECT_EQ(value, 4);
  EXPECT_EQ(db().ItemNumberAt(kPeople, r, 3, &value), kVNoItemAtPosition);
  ASSERT_EQ(db().ValueCount(kPeople, r, 4, &value), kVOk);
  EXPECT_EQ(value, 2);
  EXPECT_EQ(db().ValueCount(kPeople, r, 3, &value), kVNoValues);
  ASSERT_EQ(db().ValueLength(kPeople, r, 4, 2, &value), kVOk);
  EXPECT_EQ(value, 5);
  EXPECT_EQ(db().ValueLength(kPeople, r, 4, 3, &value), kVNoValueAt);
  ASSERT_EQ(db().ValueType(kPeople, r, 2, 0, &value), kVOk);
  EXPECT_EQ(value, kVTypeNumber);
  EXPECT_EQ(db().ValueType(kPeople, r, 3, 1, &value), kVNoValueAt);
  std::vector<uint8_t> bytes;
  ASSERT_EQ(db().GetItem(kPeople, r, 4, 2, &bytes), kVOk);
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "green");
  EXPECT_EQ(db().ItemCount(kPeople, 99, &value), kVRecordNotFound);

  // Numbers compare as decimals: -7.5 below 8 although "-" sorts after nothing in bytes.
  int32_t order = 0;
  ASSERT_EQ(db().CompareItems(kPeople, {r, 2, 1}, {7, 2, 1}, &order), kVOk);
  EXPECT_EQ(order, -1);
  ASSERT_EQ(db().CompareItems(kPeople, {1, 2, 1}, {3, 2, 0}, &order), kVOk);
  EXPECT_EQ(order, 0);
  std::string text;
  ASSERT_EQ(db().ItemText(kPeople, {r, 4, 2}, &text), kVOk);
  EXPECT_EQ(text, "green");
  EXPECT_EQ(db().ItemText(kPeople, {r, 3, 1}, &text), kVValueMissing);
}

// An engine that answers every command with success and no fields: the handle must notice what
// is missing instead of reading values that are not there.
class SilentEngine : public VBoss {
 public:
  explicit SilentEngine(const std::string& path) : VBoss(path) {}
  bool IsOpen() const override { return true; }
  VResult Execute(VCMD& command) override {
    command.SetResult(kVOk);
    return kVOk;
  }
};

TEST(VDBHandleAnswers, MissingAnswerFieldsAreReportedNotRead) {
  TempDir dir;
  SilentEngine engine(dir / "Varnex.conf");
  VDBHandle db(&engine);
  uint32_t r = 77;
  VRecord record;
  int32_t set = 0;
  uint32_t size = 0;
  EXPECT_EQ(db.Insert(kPeople, Person("a", "1"), &r), kVInsertNoRecord);
  EXPECT_EQ(r, 77u);
  EXPECT_EQ(db.Read(kPeople, 1, &record), kVAnswerMissing);
  EXPECT_EQ(db.MakeSet(kPeople, "all;", &set, &size), kVAnswerMissing);
  EXPECT_EQ(db.SetSize(kPeople, 1, &size), kVAnswerNoQuantity);
  EXPECT_EQ(db.SetGet(kPeople, 1, 0, &r), kVAnswerNoQuantity);
  int32_t value = 0;
  EXPECT_EQ(db.ValuePieceLength(&value), kVValueNoLength);
  EXPECT_EQ(db.NewValue(&value), kVValueNoId);
  EXPECT_EQ(db.MakeValueSet(1, &set, &size), kVValueNoSet);
  std::vector<uint8_t> piece;
  EXPECT_EQ(db.GetValuePiece(1, 0, &piece), kVValueNoPiece);
  // Operations that read nothing succeed.
  EXPECT_EQ(db.Delete(kPeople, 1), kVOk);
  EXPECT_EQ(db.Commit(), kVOk);
}

}  // namespace
