// Record files: their byte layout, record numbering and placement, the record operations with
// keys and holds, and the item reads.
#include "db/store/VDBFile.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "RecordFileSupport.h"
#include "Sjis.h"
#include "StoreTestSupport.h"
#include "base/VEndian.h"
#include "db/store/VPSRead.h"
#include "db/store/VRio.h"

namespace {

std::span<const uint8_t> Span(const std::vector<uint8_t>& v) { return {v.data(), v.size()}; }

uint32_t Insert(VDBFile& file, const std::vector<uint8_t>& image) {
  uint32_t r = 0;
  EXPECT_EQ(file.InsRecord(nullptr, Span(image), &r), kVOk);
  return r;
}

TEST(VDBFile, NewFilesHaveTheirExactLayout) {
  RecordFileEnv env;
  env.Schema().SetBlockSizes(4096, 8192);
  auto file = env.NewFile();
  ASSERT_EQ(file->CreateDBFile(), kVOk);
  EXPECT_TRUE(env.Schema().IsCreated());

  std::vector<uint8_t> index = RawBytes(env.IndexPath());
  ASSERT_EQ(index.size(), 512u + 3 * 4096);
  EXPECT_EQ(index[0], 'D');
  EXPECT_EQ(index[1], 'A');
  EXPECT_EQ(index[3], 8);            // 4096 / 512
  EXPECT_EQ(VGetU16(&index[4]), 1);  // one allocation group
  std::vector<uint8_t> bitmap = RawBlock(env.IndexPath(), 0, 4096);
  EXPECT_EQ(bitmap[0], 0x0F);
  EXPECT_EQ(bitmap[4], 0xE0);  // blocks 0, 1 and 2 in use
  EXPECT_TRUE(std::all_of(bitmap.begin() + 5, bitmap.end(), [](uint8_t b) { return b == 0; }));
  std::vector<uint8_t> directory = RawBlock(env.IndexPath(), 1, 4096);
  EXPECT_EQ(directory[0], 1);
  EXPECT_EQ(VGetU16(&directory[2]), 0);
  EXPECT_EQ(VGetU24(&directory[4]), 2u);  // record-map root
  EXPECT_TRUE(
      std::all_of(directory.begin() + 7, directory.end(), [](uint8_t b) { return b == 0; }));
  std::vector<uint8_t> root = RawBlock(env.IndexPath(), 2, 4096);
  EXPECT_EQ(root[0], 3);
  EXPECT_EQ(root[1], 0);
  EXPECT_EQ(VGetU16(&root[2]), 0);

  std::vector<uint8_t> data = RawBytes(env.DataPath());
  ASSERT_EQ(data.size(), 512u);  // only its header
  EXPECT_EQ(data[3], 16);        // 8192 / 512

  EXPECT_EQ(file->CreateDBFile(), kVFilesExist);
  ASSERT_EQ(file->Open(), kVOk);
  EXPECT_EQ(file->Open(), kVFileAlreadyOpen);
  EXPECT_EQ(file->EraseDBFile(), kVFileAlreadyOpen);
  EXPECT_EQ(file->MacRLength(), 8176);
  EXPECT_EQ(file->KeySlots(), 255);  // keys 1..254
  ASSERT_EQ(file->Close(), kVOk);
  EXPECT_EQ(file->Close(), kVFileNotOpen);
  EXPECT_EQ(file->EraseDBFile(), kVOk);
  EXPECT_FALSE(std::filesystem::exists(env.IndexPath()));
  EXPECT_FALSE(std::filesystem::exists(env.DataPath()));
  EXPECT_EQ(file->EraseDBFile(), kVIndexFileMissing);
}

TEST(VDBFile, SmallBlockSizesAreRaisedAndBoundTheKeySlots) {
  RecordFileEnv env;
  env.Schema().SetBlockSizes(512, 1024);
  env.AddNameKey(251, 0);  // 2048-byte index blocks hold slots for keys 1..250 only
  auto file = env.NewFile();
  EXPECT_EQ(file->CreateDBFile(), kVBadKeyNumber);
  EXPECT_FALSE(std::filesystem::exists(env.IndexPath()));
  env.Schema().KeyByNumber(251)->SetNumber(250);
  ASSERT_EQ(file->CreateDBFile(), kVOk);
  ASSERT_EQ(file->Open(), kVOk);
  EXPECT_EQ(file->KeySlots(), 251);
  EXPECT_EQ(file->MacRLength(), 4080);
  EXPECT_NE(file->Keys().Key(250), nullptr);
  EXPECT_EQ(RawBytes(env.IndexPath())[3], 4);
  EXPECT_EQ(RawBytes(env.DataPath())[3], 8);
}

TEST(VDBFile, RecordsAreNumberedOnwardAndNeverReused) {
  RecordFileEnv env;
  auto file = env.CreateAndOpen();
  for (uint32_t i = 1; i <= 5; ++i) EXPECT_EQ(Insert(*file, RecordImage(60, i)), i);
  EXPECT_EQ(file->DelRecord(nullptr, 5), kVOk);
  EXPECT_EQ(file->DelRecord(nullptr, 5), kVDeleteNotFound);
  EXPECT_EQ(Insert(*file, RecordImage(60, 6)), 6u);
  EXPECT_EQ(file->RecordCount(), 5u);
  EXPECT_EQ(file->MaxRNbr(), 6u);
  std::vector<uint8_t> image;
  EXPECT_EQ(file->GetRecord(5, &image), kVRecordNotFound);
  EXPECT_EQ(file->GetRecord(0, &image), kVRecordNotFound);
  EXPECT_EQ(file->GetRecord(7, &image), kVRecordNotFound);
  ASSERT_EQ(file->Close(), kVOk);

  std::vector<uint8_t> directory = RawBlock(env.IndexPath(), 1, 2048);
  EXPECT_EQ(VGetU24(&directory[7]), 6u);
  EXPECT_EQ(VGetU24(&directory[10]), 5u);
  // The entries of the first record block: ascending numbers, each number, length, body.
  std::vector<uint8_t> block = RawBlock(env.DataPath(), 1, 4096);
  EXPECT_EQ(block[0], 0x10);
  EXPECT_EQ(VGetU16(&block[2]), 5 * 65);
  std::vector<uint8_t> first = RecordImage(60, 1);
  EXPECT_EQ(VGetU24(&block[4]), 1u);
  EXPECT_TRUE(std::equal(first.begin(), first.end(), block.begin() + 7));
  EXPECT_EQ(VGetU24(&block[4 + 4 * 65]), 6u);
  std::vector<uint8_t> map = RawBlock(env.DataPath(), 0, 4096);
  EXPECT_EQ(map[0], 0xF0);
  EXPECT_EQ(VGetU16(&map[4]), 0xF000);
  EXPECT_EQ(VGetU16(&map[6]), 0x1000 | (4092 - 5 * 65) / 16);
  EXPECT_EQ(VGetU16(&map[8]), 0xFFFF);
}

TEST(VDBFile, RecordLengthLimitAndImageFraming) {
  RecordFileEnv env;
  auto file = env.CreateAndOpen();
  uint32_t r = 0;
  EXPECT_EQ(file->InsRecord(nullptr, Span(RecordImage(4080, 1)), &r), kVBodyTooLong);
  EXPECT_EQ(file->RecordCount(), 0u);
  std::vector<uint8_t> longest = RecordImage(4079, 2);
  ASSERT_EQ(file->InsRecord(nullptr, Span(longest), &r), kVOk);
  std::vector<uint8_t> image;
  ASSERT_EQ(file->GetRecord(r, &image), kVOk);
  EXPECT_EQ(image, longest);
  EXPECT_EQ(file->UpdRecord(nullptr, r, Span(RecordImage(4080, 3))), kVBodyTooLong);

  std::vector<uint8_t> empty{0, 0};
  EXPECT_EQ(file->InsRecord(nullptr, Span(empty), &r), kVEmptyImage);
  EXPECT_EQ(file->I_InsRecord(Span(empty), &r), kVEmptyImage);
  std::vector<uint8_t> cut = RecordImage(100, 4);
  cut.resize(50);  // says 100 bytes, holds 48
  EXPECT_EQ(file->InsRecord(nullptr, Span(cut), &r), kVRecordCorrupt);
  EXPECT_EQ(file->I_UpdRecord(1, Span(cut)), kVRecordCorrupt);
  std::vector<uint8_t> garbage = RecordImage(100, 5);
  garbage[2] = 0;  // item number 0 is no item
  EXPECT_EQ(file->InsRecord(nullptr, Span(garbage), &r), kVRecordCorrupt);
  EXPECT_EQ(file->RecordCount(), 1u);
}

TEST(VDBFile, AGrowingUpdateMovesTheRecordAndLeavesItsNeighbours) {
  RecordFileEnv env;
  auto file = env.CreateAndOpen();
  Expected expected;
  for (uint32_t i = 1; i <= 4; ++i) {
    expected[i] = RecordImage(1000, i);
    Insert(*file, expected[i]);
  }
  const uint32_t first = file->RecordMap()->BlockOf(1);
  for (uint32_t i = 2; i <= 4; ++i) EXPECT_EQ(file->RecordMap()->BlockOf(i), first);
  // Shrinking and growing within the block's room stays in place.
  expected[3] = RecordImage(900, 33);
  ASSERT_EQ(file->UpdRecord(nullptr, 3, Span(expected[3])), kVOk);
  EXPECT_EQ(file->RecordMap()->BlockOf(3), first);
  expected[2] = RecordImage(1900, 22);
  ASSERT_EQ(file->UpdRecord(nullptr, 2, Span(expected[2])), kVOk);
  EXPECT_NE(file->RecordMap()->BlockOf(2), first);
  for (uint32_t i : {1u, 3u, 4u}) EXPECT_EQ(file->RecordMap()->BlockOf(i), first);
  EXPECT_TRUE(HoldsExactly(*file, expected));
  EXPECT_EQ(file->UpdRecord(nullptr, 9, Span(expected[2])), kVUpdateNotFound);
  ASSERT_EQ(file->Close(), kVOk);
  ASSERT_EQ(file->Open(), kVOk);
  EXPECT_TRUE(HoldsExactly(*file, expected));
}

TEST(VDBFile, DeletingTheLastRecordOfABlockFreesItForReuse) {
  RecordFileEnv env;
  auto file = env.CreateAndOpen();
  for (uint32_t i = 1; i <= 4; ++i) Insert(*file, RecordImage(1000, i));
  const uint32_t lone = Insert(*file, RecordImage(1000, 5));  // no room left in the first block
  const uint32_t block = file->RecordMap()->BlockOf(lone);
  EXPECT_EQ(block, 2u);
  ASSERT_EQ(file->DelRecord(nullptr, lone), kVOk);
  EXPECT_EQ(file->DataFile()->MapEntry(block), 0xFFFF);
  EXPECT_EQ(file->RecordMap()->BlockOf(lone), 0u);
  const uint32_t next = Insert(*file, RecordImage(2000, 6));
  EXPECT_EQ(file->RecordMap()->BlockOf(next), block);
  EXPECT_EQ(file->DataFile()->MapEntry(block), 0x1000 | (4092 - 2005) / 16);
}

TEST(VDBFile, SerialCountersCountOnAcrossOpens) {
  RecordFileEnv env;
  auto file = env.CreateAndOpen();
  EXPECT_EQ(file->GetUnique(0), 1u);
  EXPECT_EQ(file->GetUnique(0), 2u);
  EXPECT_EQ(file->GetUnique(3), 1u);
  ASSERT_EQ(file->Flush(), kVOk);
  EXPECT_EQ(file->GetUnique(4), 0u);
  EXPECT_EQ(file->GetUnique(-1), 0u);
  EXPECT_FALSE(file->IsChanged());
  ASSERT_EQ(file->Close(), kVOk);
  std::vector<uint8_t> directory = RawBlock(env.IndexPath(), 1, 2048);
  EXPECT_EQ(VGetU32(&directory[20]), 2u);
  EXPECT_EQ(VGetU32(&directory[32]), 1u);
  EXPECT_EQ(file->GetUnique(0), 0u);  // closed
  ASSERT_EQ(file->Open(), kVOk);
  EXPECT_EQ(file->GetUnique(0), 3u);
}

TEST(VDBFile, RefusesWorkOnClosedAndReadOnlyFiles) {
  RecordFileEnv env;
  auto file = env.NewFile();
  std::vector<uint8_t> image = RecordImage(50, 1);
  uint32_t r = 0;
  EXPECT_EQ(file->InsRecord(nullptr, Span(image), &r), kVFileNotOpen);
  EXPECT_EQ(file->GetRecord(1, &image), kVFileNotOpen);
  EXPECT_EQ(file->CreateAllKey(), kVFileNotOpen);
  EXPECT_THROW((void)file->Flush(), VFailure);
  ASSERT_EQ(file->CreateDBFile(), kVOk);
  ASSERT_EQ(file->Open(), kVOk);
  r = Insert(*file, image);
  ASSERT_EQ(file->Close(), kVOk);

  env.Config().MainSection()->SetReadOnly(true, false);
  EXPECT_EQ(file->EraseDBFile(), kVReadOnlyFile);
  ASSERT_EQ(file->Open(), kVOk);
  std::vector<uint8_t> read;
  EXPECT_EQ(file->GetRecord(r, &read), kVOk);
  EXPECT_EQ(file->InsRecord(nullptr, Span(image), &r), kVReadOnlyFile);
  EXPECT_EQ(file->DelRecord(nullptr, r), kVReadOnlyFile);
  EXPECT_EQ(file->UpdRecord(nullptr, r, Span(image)), kVReadOnlyFile);
  EXPECT_EQ(file->I_DelRecord(r), kVReadOnlyFile);
  EXPECT_EQ(file->GetUnique(0), 0u);
  EXPECT_EQ(file->DeleteAllKey(), kVReadOnlyFile);
  EXPECT_EQ(file->Close(), kVOk);
}

TEST(VDBFile, HoldsKeepOtherUsersOffARecordUntilReleased) {
  RecordFileEnv env;
  auto file = env.CreateAndOpen();
  TestHolder::Holds holds;
  TestHolder first(&holds);
  TestHolder second(&holds);
  std::vector<uint8_t> image = RecordImage(80, 1);
  uint32_t r = 0;
  ASSERT_EQ(file->InsRecord(&first, Span(image), &r), kVOk);
  EXPECT_TRUE(second.HeldByOther(file->FileNumber(), r));
  EXPECT_EQ(file->UpdRecord(&second, r, Span(RecordImage(90, 2))), kVNotHolder);
  EXPECT_EQ(file->DelRecord(&second, r), kVNotHolder);
  std::vector<uint8_t> read;
  ASSERT_EQ(file->GetRecord(r, &read), kVOk);
  EXPECT_EQ(read, image);
  EXPECT_EQ(file->UpdRecord(&first, r, Span(RecordImage(90, 3))), kVOk);
  first.ReleaseHolds();
  EXPECT_EQ(file->DelRecord(&second, r), kVOk);
  EXPECT_TRUE(first.HeldByOther(file->FileNumber(), r));
}

TEST(VDBFile, UncheckedVariantsKeepProposedNumbersAndCountThem) {
  RecordFileEnv env;
  auto file = env.CreateAndOpen();
  uint32_t r = 50;
  ASSERT_EQ(file->I_InsRecord(Span(RecordImage(70, 50)), &r), kVOk);
  EXPECT_EQ(r, 50u);
  EXPECT_EQ(file->RecordCount(), 1u);
  EXPECT_EQ(file->MaxRNbr(), 50u);  // a later insert never hands 50 out again
  EXPECT_EQ(Insert(*file, RecordImage(70, 51)), 51u);
  r = 50;  // taken: a new number is used
  ASSERT_EQ(file->I_InsRecord(Span(RecordImage(70, 52)), &r), kVOk);
  EXPECT_EQ(r, 52u);
  r = 7;  // below the last number, as when a deletion is undone
  ASSERT_EQ(file->I_InsRecord(Span(RecordImage(70, 7)), &r), kVOk);
  EXPECT_EQ(r, 7u);
  EXPECT_EQ(file->MaxRNbr(), 52u);
  ASSERT_EQ(file->I_UpdRecord(7, Span(RecordImage(4085, 8))), kVOk);  // no length check
  ASSERT_EQ(file->I_DelRecord(51), kVOk);
  EXPECT_EQ(file->I_DelRecord(51), kVDeleteNotFound);
  EXPECT_TRUE(HoldsExactly(
      *file, {{7, RecordImage(4085, 8)}, {50, RecordImage(70, 50)}, {52, RecordImage(70, 52)}}));
}

TEST(VDBFile, ItemsAreReadInPlace) {
  RecordFileEnv env;
  auto file = env.CreateAndOpen();
  const uint32_t a = Insert(*file, RecordImage(60, 1, "abc"));
  const uint32_t b = Insert(*file, RecordImage(60, 2, "abd"));
  int32_t value = 0;
  EXPECT_EQ(file->ItemCount(a, &value), kVOk);
  EXPECT_EQ(value, 2);
  EXPECT_EQ(file->ItemNumberAt(a, 1, &value), kVOk);
  EXPECT_EQ(value, 2);
  EXPECT_EQ(file->ItemNumberAt(a, 2, &value), kVValueMissing);
  EXPECT_EQ(file->ValueCount(a, 1, &value), kVOk);
  EXPECT_EQ(value, 1);
  EXPECT_EQ(file->ValueType(a, 1, 1, &value), kVOk);
  EXPECT_EQ(value, kVTypeString);
  EXPECT_EQ(file->ValueLength(a, 1, 0, &value), kVOk);
  EXPECT_EQ(value, 3);
  std::vector<uint8_t> bytes;
  EXPECT_EQ(file->GetItem(a, 1, 0, &bytes), kVOk);
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "abc");
  EXPECT_EQ(file->GetItem(a, 3, 0, &bytes), kVValueMissing);
  EXPECT_EQ(file->GetItem(99, 1, 0, &bytes), kVRecordNotFound);
  EXPECT_EQ(file->CompareItems(a, 1, 0, b, 1, 0, &value), kVOk);
  EXPECT_EQ(value, -1);
  EXPECT_EQ(file->CompareItems(b, 1, 0, a, 1, 0, &value), kVOk);
  EXPECT_EQ(value, 1);
  EXPECT_EQ(file->CompareItems(a, 1, 0, a, 1, 0, &value), kVOk);
  EXPECT_EQ(value, 0);
}

TEST(VDBFile, PhysicalReadsFollowStorageOrderThroughChanges) {
  RecordFileEnv env;
  auto file = env.CreateAndOpen();
  VPSRead empty(file->DataFile());
  uint32_t r = 0;
  std::vector<uint8_t> image;
  EXPECT_EQ(empty.Read(&r, &image), kVEnd);
  EXPECT_EQ(empty.Kind(), VSetObj::kPhysicalRead);

  for (uint32_t i = 1; i <= 12; ++i) Insert(*file, RecordImage(1000, i));    // 4 to a block
  ASSERT_EQ(file->UpdRecord(nullptr, 2, Span(RecordImage(3000, 2))), kVOk);  // to block 4
  VPSRead read(file->DataFile());
  std::vector<uint32_t> order;
  while (read.Read(&r, &image) == kVOk) {
    order.push_back(r);
    if (r == 5) {
      // Changes behind and ahead of the read: it neither repeats nor skips what remains.
      ASSERT_EQ(file->DelRecord(nullptr, 6), kVOk);
      ASSERT_EQ(file->DelRecord(nullptr, 3), kVOk);
      ASSERT_EQ(file->UpdRecord(nullptr, 7, Span(RecordImage(900, 7))), kVOk);
    }
  }
  EXPECT_EQ(order, (std::vector<uint32_t>{1, 3, 4, 5, 7, 8, 9, 10, 11, 12, 2}));
  EXPECT_FALSE(read.HasMore());
  read.Rewind();
  EXPECT_TRUE(read.HasMore());
  ASSERT_EQ(read.Current(&r, &image), kVOk);
  EXPECT_EQ(r, 1u);
}

// A scan gives what reads give, in place, and takes up where reads left off.
TEST(VDBFile, ScansSeeTheRecordsReadsSeeInTheSameOrder) {
  RecordFileEnv env;
  auto file = env.CreateAndOpen();
  for (uint32_t i = 1; i <= 30; ++i) Insert(*file, RecordImage(700 + 13 * i, i));
  ASSERT_EQ(file->UpdRecord(nullptr, 4, Span(RecordImage(3000, 4))), kVOk);  // moved
  ASSERT_EQ(file->DelRecord(nullptr, 9), kVOk);
  ASSERT_EQ(file->DelRecord(nullptr, 30), kVOk);
  std::vector<std::pair<uint32_t, std::vector<uint8_t>>> reads;
  VPSRead read(file->DataFile());
  uint32_t r = 0;
  std::vector<uint8_t> image;
  while (read.Read(&r, &image) == kVOk) reads.emplace_back(r, image);
  ASSERT_EQ(reads.size(), 28u);

  auto scanFrom = [&](size_t skip) {
    std::vector<std::pair<uint32_t, std::vector<uint8_t>>> seen;
    VPSRead scan(file->DataFile());
    for (size_t i = 0; i < skip; ++i) EXPECT_EQ(scan.Read(&r, &image), kVOk);
    EXPECT_EQ(scan.Scan([&](uint32_t number, const uint8_t* at) {
      seen.emplace_back(number, std::vector<uint8_t>(at, at + 2 + VGetU16(at)));
      return kVOk;
    }),
              kVOk);
    EXPECT_FALSE(scan.HasMore());
    return seen;
  };
  EXPECT_EQ(scanFrom(0), reads);
  // From the middle of a block (records are several to a block here).
  EXPECT_EQ(scanFrom(6), std::vector(reads.begin() + 6, reads.end()));

  // A visitor's failure stops the scan there; the position stays on the record that failed.
  VPSRead stopped(file->DataFile());
  int visited = 0;
  EXPECT_EQ(stopped.Scan([&](uint32_t number, const uint8_t*) {
    ++visited;
    return number == reads[10].first ? kVWriteFailed : kVOk;
  }),
            kVWriteFailed);
  EXPECT_EQ(visited, 11);
  ASSERT_EQ(stopped.Read(&r, &image), kVOk);
  EXPECT_EQ(r, reads[10].first);
}

TEST(VDBFile, UniqueKeysRefuseTakenValuesBeforeAnythingChanges) {
  RecordFileEnv env;
  env.AddNameKey(1, kVKeyUnique);
  auto file = env.CreateAndOpen();
  ASSERT_NE(file->Keys().Key(1), nullptr);
  const uint32_t alice = Insert(*file, RecordImage(60, 1, "alice"));
  const uint32_t bob = Insert(*file, RecordImage(60, 2, "bob"));
  uint32_t r = 0;
  EXPECT_EQ(file->InsRecord(nullptr, Span(RecordImage(70, 3, "alice")), &r), kVUniqueTaken);
  EXPECT_EQ(file->RecordCount(), 2u);
  EXPECT_EQ(file->MaxRNbr(), 2u);
  EXPECT_EQ(file->UpdRecord(nullptr, bob, Span(RecordImage(70, 4, "alice"))), kVUniqueTaken);
  EXPECT_EQ(file->UpdRecord(nullptr, alice, Span(RecordImage(70, 5, "alice"))), kVOk);
  ASSERT_EQ(file->DelRecord(nullptr, alice), kVOk);
  EXPECT_EQ(file->InsRecord(nullptr, Span(RecordImage(70, 6, "alice")), &r), kVOk);
  EXPECT_EQ(TreeContents(*file->Keys().Key(1)), (TreeMap{{"alice", r}, {"bob", bob}}));

  // Hand-made entries: refused for a value another record holds, accepted for the holder.
  std::vector<uint8_t> value{3, 'e', 'v', 'e'};
  EXPECT_EQ(file->AddKeyEntry(1, bob, Span(value)), kVOk);
  EXPECT_EQ(file->AddKeyEntry(1, r, Span(value)), kVUniqueTaken);
  EXPECT_EQ(file->AddKeyEntry(2, r, Span(value)), kVKeyNotOpen);
  EXPECT_EQ(file->RemoveKeyEntry(1, bob, Span(value)), kVOk);
  EXPECT_EQ(file->RemoveKeyEntry(1, bob, Span(value)), -103);
}

TEST(VDBFile, KeysFollowEveryChangeInBothDirections) {
  RecordFileEnv env;
  env.AddNameKey(3, kVKeyReverse);
  auto file = env.CreateAndOpen();
  const std::string japanese = Sj("日本a");
  const uint32_t a = Insert(*file, RecordImage(60, 1, japanese));
  const uint32_t b = Insert(*file, RecordImage(60, 2, "xy"));
  const uint32_t forward = file->Keys().Key(3)->Root();
  const uint32_t backward = file->Keys().Reverse(3)->Root();
  std::string reversed = "a" + Sj("本日");
  EXPECT_EQ(TreeContents(*file->Keys().Key(3)), (TreeMap{{"xy", b}, {japanese, a}}));
  EXPECT_EQ(TreeContents(*file->Keys().Reverse(3)), (TreeMap{{"yx", b}, {reversed, a}}));
  ASSERT_EQ(file->UpdRecord(nullptr, b, Span(RecordImage(60, 3, "zz"))), kVOk);
  ASSERT_EQ(file->DelRecord(nullptr, a), kVOk);
  EXPECT_EQ(TreeContents(*file->Keys().Key(3)), (TreeMap{{"zz", b}}));
  EXPECT_EQ(TreeContents(*file->Keys().Reverse(3)), (TreeMap{{"zz", b}}));

  // The directory slot: roots and the attribute word in its two halves.
  ASSERT_EQ(file->Close(), kVOk);
  std::vector<uint8_t> directory = RawBlock(env.IndexPath(), 1, 2048);
  const uint8_t* slot = &directory[36 + 8 * 3];
  EXPECT_EQ(VGetU24(slot), forward);
  EXPECT_EQ(slot[3], kVTypeString);
  EXPECT_EQ(VGetU24(slot + 4), backward);
  EXPECT_EQ(slot[7], kVKeyReverse);
  ASSERT_EQ(file->Open(), kVOk);
  ASSERT_NE(file->Keys().Reverse(3), nullptr);
  EXPECT_EQ(file->Keys().Key(3)->Attributes(), 0x2000 | kVTypeString);
}

TEST(VDBFile, KeysAreBuiltFromTheRecordsAndDropped) {
  RecordFileEnv env;
  auto file = env.CreateAndOpen();
  for (uint32_t i = 1; i <= 30; ++i)
    Insert(*file, RecordImage(300, i, "n" + std::to_string(i % 7)));
  ASSERT_EQ(file->DelRecord(nullptr, 10), kVOk);
  env.AddNameKey(2, 0);
  env.AddNameKey(5, kVKeyUnique);
  // Key 5 is unique but the names repeat: the build stops at the first failure.
  EXPECT_EQ(file->CreateAllKey(), kVUniqueTaken);
  env.Schema().KeyByNumber(5)->SetFlags(0);
  ASSERT_EQ(file->CreateAllKey(), kVOk);
  EXPECT_EQ(TreeContents(*file->Keys().Key(2)).size(), 29u);
  EXPECT_EQ(TreeContents(*file->Keys().Key(5)).count("n3"), 3u);  // 3, 17, 24
  EXPECT_EQ(file->CreateKey(2), kVKeyNotOpen);
  EXPECT_EQ(file->CreateKey(9), kVBadKeyNumber);
  ASSERT_EQ(file->DeleteKey(2), kVOk);
  EXPECT_EQ(file->DeleteKey(2), kVBadKeyNumber);
  EXPECT_EQ(file->DeleteKey(256), kVBadKeyNumber);
  EXPECT_TRUE(env.Schema().KeyByNumber(2)->IsErased());
  ASSERT_EQ(file->CreateKey(2), kVOk);
  EXPECT_EQ(TreeContents(*file->Keys().Key(2)).size(), 29u);
  ASSERT_EQ(file->DeleteAllKey(), kVOk);
  EXPECT_EQ(file->Keys().Count(), 0);
  ASSERT_EQ(file->Close(), kVOk);
  std::vector<uint8_t> directory = RawBlock(env.IndexPath(), 1, 2048);
  EXPECT_TRUE(
      std::all_of(directory.begin() + 36, directory.end(), [](uint8_t x) { return x == 0; }));
}

TEST(VDBFile, AnOlderLayoutSplitsItsAttributeBytesOnOpen) {
  RecordFileEnv env;
  env.AddNameKey(4, kVKeyUnique);
  {
    auto file = env.CreateAndOpen();
    ASSERT_EQ(file->Close(), kVOk);
  }
  std::vector<uint8_t> index = RawBytes(env.IndexPath());
  index[1] = 'B';
  uint8_t* slot = &index[512 + 2048 + 36 + 8 * 4];
  slot[3] = 0x80 | kVTypeString;  // both nibbles in one byte
  slot[7] = 0x55;                 // whatever was there before
  WriteRaw(env.IndexPath(), index);
  auto file = env.NewFile();
  ASSERT_EQ(file->Open(), kVOk);
  EXPECT_EQ(file->Keys().Key(4)->Attributes(), 0x8000 | kVTypeString);
  EXPECT_TRUE(file->Keys().Key(4)->IsUnique());
  ASSERT_EQ(file->Close(), kVOk);
  index = RawBytes(env.IndexPath());
  EXPECT_EQ(index[1], 'A');
  EXPECT_EQ(index[512 + 2048 + 36 + 8 * 4 + 3], kVTypeString);
  EXPECT_EQ(index[512 + 2048 + 36 + 8 * 4 + 7], 0x80);
}

TEST(VDBFile, TheRecordMapGrowsLevelsAndTakesTheNextLeafEarly) {
  RecordFileEnv env;
  auto file = env.CreateAndOpen();
  const uint32_t n = file->RecordMap()->EntriesPerNode();
  ASSERT_EQ(n, 2044u / 3);
  Expected expected;
  auto put = [&](uint32_t r) {
    expected[r] = RecordImage(40, r);
    uint32_t number = r;
    ASSERT_EQ(file->I_InsRecord(Span(expected[r]), &number), kVOk);
    ASSERT_EQ(number, r);
  };
  put(5);
  VCashBffr* root = file->IndexFile()->GetBlock(2);
  EXPECT_EQ(root->Level(), 0);
  file->IndexFile()->Release(root);
  put(n + 1);       // beyond a leaf: the root becomes a level-1 node over the old leaf
  put(20 * n + 3);  // above 10000: leaves 20 and 21 are made together
  root = file->IndexFile()->GetBlock(2);
  EXPECT_EQ(root->Level(), 1);
  EXPECT_EQ(root->InUse(), 3 * 22);
  EXPECT_NE(VGetU24(root->Payload() + 3 * 21), 0u);
  EXPECT_EQ(VGetU24(root->Payload() + 3 * 2), 0u);  // a gap: no leaf for numbers never used
  file->IndexFile()->Release(root);
  put(2 * n + 1);  // into the gap
  put(n * n + 9);  // beyond a level-1 tree
  root = file->IndexFile()->GetBlock(2);
  EXPECT_EQ(root->Level(), 2);
  file->IndexFile()->Release(root);
  EXPECT_TRUE(HoldsExactly(*file, expected));

  VRMap all;
  ASSERT_EQ(file->RecordMap()->EnumerateAll(&all), kVOk);
  EXPECT_EQ(all.Count(), expected.size());
  for (const auto& entry : expected) EXPECT_TRUE(all.Test(entry.first));
  ASSERT_EQ(file->Close(), kVOk);
  ASSERT_EQ(file->Open(), kVOk);
  EXPECT_TRUE(HoldsExactly(*file, expected));
}

}  // namespace
