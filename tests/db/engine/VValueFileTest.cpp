// The value file: pieces stored run-length compressed when that pays, long data of records kept in
// it through the handle, and long values under the same transaction as the records.
#include <gtest/gtest.h>

#include <random>

#include "EngineSupport.h"
#include "base/VStream.h"
#include "db/engine/VDB_A.h"
#include "db/engine/VDB_Value.h"
#include "db/engine/VEngineCodes.h"
#include "db/schema/VSchema.h"
#include "db/schema/VSystemSchemas.h"
#include "db/store/VDBCodes.h"
#include "db/store/VDBFile.h"

namespace {

std::vector<uint8_t> RandomBytes(size_t n, uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<uint8_t> bytes(n);
  for (uint8_t& b : bytes) b = static_cast<uint8_t>(random());
  return bytes;
}

}  // namespace

TEST(VValuePieceTest, RepeatedBytesBecomeRunsAndOtherBytesStayLiteral) {
  // One byte repeated: repeat runs of two bytes each, none longer than 127.
  const std::vector<uint8_t> same(300, 0x41);
  const std::vector<uint8_t> runs = VCompressPiece(same);
  EXPECT_EQ(runs, (std::vector<uint8_t>{127, 0x41, 127, 0x41, 46, 0x41}));
  std::vector<uint8_t> back;
  ASSERT_TRUE(VExpandPiece(runs, &back));
  EXPECT_EQ(back, same);
  // Literal stretches carry their count in the control byte; a run in between is a repeat.
  const std::vector<uint8_t> mixed = {1, 2, 3, 9, 9, 9, 9, 4};
  EXPECT_EQ(VCompressPiece(mixed), (std::vector<uint8_t>{0x83, 1, 2, 3, 4, 9, 0x81, 4}));
  // Random bytes: literal runs of at most 127 bytes, longer than the piece, and exact on return.
  const std::vector<uint8_t> noise = RandomBytes(1000, 7);
  const std::vector<uint8_t> literal = VCompressPiece(noise);
  EXPECT_GT(literal.size(), noise.size());
  EXPECT_EQ(literal[0], 0xFF);
  ASSERT_TRUE(VExpandPiece(literal, &back));
  EXPECT_EQ(back, noise);
  // Runs that break off are refused.
  EXPECT_FALSE(VExpandPiece(std::vector<uint8_t>{0x85, 1, 2}, &back));
  EXPECT_FALSE(VExpandPiece(std::vector<uint8_t>{5}, &back));
}

TEST(VValueFileTest, PiecesComeBackInOrderAndTheStoredFormIsChosenByLength) {
  EngineEnv env;
  env.CreateShop();
  VDBHandle& db = env.Handle();
  int32_t length = 0;
  ASSERT_EQ(db.ValuePieceLength(&length), kVOk);
  EXPECT_EQ(length, 3584);
  int32_t first = 0;
  int32_t second = 0;
  ASSERT_EQ(db.NewValue(&first), kVOk);
  ASSERT_EQ(db.NewValue(&second), kVOk);
  EXPECT_EQ(second, first + 1);
  const std::vector<uint8_t> same(3584, 0);
  const std::vector<uint8_t> noise = RandomBytes(3584, 11);
  ASSERT_EQ(db.InsertValuePiece(first, same), kVOk);
  ASSERT_EQ(db.InsertValuePiece(second, noise), kVOk);
  ASSERT_EQ(db.InsertValuePiece(first, noise), kVOk);
  ASSERT_EQ(db.InsertValuePiece(first, std::vector<uint8_t>{}), kVOk);
  // Value ids 1 and 10 must not be taken for each other.
  for (int i = 0; i < 8; ++i) ASSERT_EQ(db.NewValue(&second), kVOk);
  ASSERT_EQ(db.InsertValuePiece(second, std::vector<uint8_t>{1, 2, 3}), kVOk);

  int32_t set = 0;
  uint32_t pieces = 0;
  ASSERT_EQ(db.MakeValueSet(first, &set, &pieces), kVOk);
  ASSERT_EQ(pieces, 3u);
  std::vector<uint8_t> piece;
  ASSERT_EQ(db.GetValuePiece(set, 0, &piece), kVOk);
  EXPECT_EQ(piece, same);
  ASSERT_EQ(db.GetValuePiece(set, 1, &piece), kVOk);
  EXPECT_EQ(piece, noise);
  ASSERT_EQ(db.GetValuePiece(set, 2, &piece), kVOk);
  EXPECT_TRUE(piece.empty());
  EXPECT_EQ(db.GetValuePiece(set, 3, &piece), kVPositionOutside);
  ASSERT_EQ(db.CancelValueSet(set), kVOk);
  EXPECT_EQ(db.GetValuePiece(set, 0, &piece), kVNoSuchSet);

  // As stored: the repeated piece as 29 runs with the flag "1", the random one as it is with "0".
  ASSERT_EQ(db.Close(), kVOk);
  {
    std::unique_ptr<VSch_DBFile> schema = VSystemSchema(kVSchemaValueFile);
    VDBFile file(schema.get(), env.Engine().Config(), env.Engine().Cache());
    ASSERT_EQ(file.Open(), kVOk);
    std::vector<uint8_t> image;
    VValueRef flag;
    VValueRef bytes;
    ASSERT_EQ(file.GetRecord(1, &image), kVOk);
    VRecordView view(image.data(), image.size());
    ASSERT_EQ(view.ValueRef(2, 1, &flag), kVOk);
    ASSERT_EQ(view.ValueRef(3, 1, &bytes), kVOk);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(flag.bytes), flag.length), "1");
    EXPECT_EQ(bytes.length, 58u);
    EXPECT_EQ(bytes.bytes[0], 127);
    ASSERT_EQ(file.GetRecord(2, &image), kVOk);
    view = VRecordView(image.data(), image.size());
    ASSERT_EQ(view.ValueRef(2, 1, &flag), kVOk);
    ASSERT_EQ(view.ValueRef(3, 1, &bytes), kVOk);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(flag.bytes), flag.length), "0");
    EXPECT_TRUE(std::equal(noise.begin(), noise.end(), bytes.bytes));
  }
  ASSERT_EQ(db.Open(), kVOk);
  ASSERT_EQ(db.DeleteValue(first), kVOk);
  ASSERT_EQ(db.MakeValueSet(first, &set, &pieces), kVOk);
  EXPECT_EQ(pieces, 0u);
  ASSERT_EQ(db.MakeValueSet(second, &set, &pieces), kVOk);
  EXPECT_EQ(pieces, 1u);
}

TEST(VValueFileTest, LongDataOfARecordRoundTripsThroughTheHandle) {
  EngineEnv env;
  env.CreateShop();
  VDBHandle& db = env.Handle();
  // 100 KB: compressible and random halves, so both stored forms are met.
  std::vector<uint8_t> data(50 * 1024, 'x');
  const std::vector<uint8_t> noise = RandomBytes(50 * 1024, 3);
  data.insert(data.end(), noise.begin(), noise.end());
  VRecord record = Person("Sato", "42");
  ASSERT_EQ(
      record.SetValueFromText(5, kVTypeJPEG, data.data(), static_cast<int32_t>(data.size()), &db),
      kVOk);
  EXPECT_EQ(record.ValueLength(5, 1), static_cast<int32_t>(data.size()));
  uint32_t r = 0;
  ASSERT_EQ(db.Insert(kPeople, record, &r), kVOk);

  env.Restart();
  VDBHandle& again = env.Handle();
  ASSERT_EQ(again.Open(), kVOk);
  VRecord back;
  ASSERT_EQ(again.Read(kPeople, r, &back), kVOk);
  VDMemStream out;
  ASSERT_EQ(back.Export("[5] %o;", out, &again), kVOk);
  ASSERT_EQ(out.Size(), static_cast<int64_t>(data.size()));
  EXPECT_TRUE(std::equal(data.begin(), data.end(), out.Data()));
  // Through the long-data interface itself, and gone once freed.
  VValueRef ref;
  ASSERT_EQ(back.ValueRef(5, 1, &ref), kVOk);
  const uint32_t id = VGetU24(ref.value + 2);
  VDMemStream direct;
  ASSERT_EQ(again.FetchData(id, direct), kVOk);
  EXPECT_EQ(direct.Size(), static_cast<int64_t>(data.size()));
  ASSERT_EQ(again.FreeData(id), kVOk);
  VDMemStream none;
  ASSERT_EQ(again.FetchData(id, none), kVOk);
  EXPECT_EQ(none.Size(), 0);
}

TEST(VValueFileTest, LongDataFollowsTheTransactionOfItsRecord) {
  EngineOptions options;
  options.transactionLog = true;
  EngineEnv env(options);
  env.CreateShop();
  VDBHandle& db = env.Handle();
  const std::vector<uint8_t> kept(9000, 'k');
  uint32_t keptId = 0;
  ASSERT_EQ(db.StoreBytes(kept.data(), static_cast<uint32_t>(kept.size()), &keptId), kVOk);
  ASSERT_EQ(db.Commit(), kVOk);
  uint32_t droppedId = 0;
  const std::vector<uint8_t> dropped = RandomBytes(8000, 5);
  ASSERT_EQ(db.StoreBytes(dropped.data(), static_cast<uint32_t>(dropped.size()), &droppedId), kVOk);
  ASSERT_EQ(db.FreeData(keptId), kVOk);
  ASSERT_EQ(db.Cancel(), kVOk);
  VDMemStream out;
  ASSERT_EQ(db.FetchData(keptId, out), kVOk);
  EXPECT_EQ(out.Size(), static_cast<int64_t>(kept.size()));
  VDMemStream gone;
  ASSERT_EQ(db.FetchData(droppedId, gone), kVOk);
  EXPECT_EQ(gone.Size(), 0);
}
