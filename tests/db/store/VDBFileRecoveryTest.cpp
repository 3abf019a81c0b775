// Record files after a crash and on bad input: replaying or discarding a backup, the backup's
// place, and files whose directory, map or record blocks hold garbage.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <random>

#include "RecordFileSupport.h"
#include "StoreTestSupport.h"
#include "db/store/VDBFile.h"
#include "db/store/VPSRead.h"
#include "db/store/VRio.h"
#include "db/store/VWritePoint.h"

namespace {

std::span<const uint8_t> Span(const std::vector<uint8_t>& v) { return {v.data(), v.size()}; }

// The backup as it stands when the flush is about to remove it, and where it was.
std::vector<uint8_t> gBackup;
std::string gBackupPath;

void CaptureBackup(VWritePoint point, const VFile& file, uint32_t) {
  if (point != VWritePoint::kBackupRemove && point != VWritePoint::kBackupMark) return;
  EXPECT_EQ(file.PlatformPath(&gBackupPath), kVOk);
  if (point == VWritePoint::kBackupRemove) gBackup = RawBytes(gBackupPath);
}

struct HookScope {
  explicit HookScope(VWritePointHook hook) { VSetWritePointHook(hook); }
  ~HookScope() { VSetWritePointHook(nullptr); }
};

// The entries of a backup image: (file kind, block number) in order; empty when it is malformed.
std::vector<std::pair<uint32_t, uint32_t>> BackupEntries(const std::vector<uint8_t>& backup) {
  std::vector<std::pair<uint32_t, uint32_t>> entries;
  size_t at = 4;
  while (at + 12 <= backup.size()) {
    entries.emplace_back(VGetU32(&backup[at]), VGetU32(&backup[at + 4]));
    at += 12 + VGetU32(&backup[at + 8]);
  }
  if (at != backup.size()) entries.clear();
  return entries;
}

class BackupReplay : public ::testing::TestWithParam<bool> {};

TEST_P(BackupReplay, ACompleteBackupRestoresTheFlushByteForByteAndAnIncompleteOneIsDropped) {
  const bool withWorkPath = GetParam();
  RecordFileEnv env(withWorkPath);
  Expected expected;
  auto file = env.CreateAndOpen();
  uint32_t r = 0;
  for (uint32_t i = 1; i <= 20; ++i) {
    expected[i] = RecordImage(150 + i, i);
    ASSERT_EQ(file->InsRecord(nullptr, Span(expected[i]), &r), kVOk);
  }
  ASSERT_EQ(file->Close(), kVOk);
  const std::vector<uint8_t> indexBefore = RawBytes(env.IndexPath());
  const std::vector<uint8_t> dataBefore = RawBytes(env.DataPath());

  ASSERT_EQ(file->Open(), kVOk);
  for (uint32_t i = 21; i <= 80; ++i) {
    expected[i] = RecordImage(300, i);
    ASSERT_EQ(file->InsRecord(nullptr, Span(expected[i]), &r), kVOk);
  }
  for (uint32_t i = 2; i <= 20; i += 4) {
    expected[i] = RecordImage(900, i + 1000);
    ASSERT_EQ(file->UpdRecord(nullptr, i, Span(expected[i])), kVOk);
  }
  for (uint32_t i : {5u, 30u, 31u}) {
    ASSERT_EQ(file->DelRecord(nullptr, i), kVOk);
    expected.erase(i);
  }
  {
    HookScope hook(CaptureBackup);
    gBackup.clear();
    ASSERT_EQ(file->Flush(), kVOk);
  }
  ASSERT_EQ(file->Close(), kVOk);
  EXPECT_EQ(gBackupPath, env.BackupPath(withWorkPath));
  EXPECT_FALSE(std::filesystem::exists(gBackupPath));
  const std::vector<uint8_t> indexAfter = RawBytes(env.IndexPath());
  const std::vector<uint8_t> dataAfter = RawBytes(env.DataPath());
  ASSERT_NE(indexAfter, indexBefore);
  ASSERT_NE(dataAfter, dataBefore);

  // The backup: its mark is its length; data entries, then index entries, each file's blocks in
  // ascending order and then its header.
  ASSERT_GT(gBackup.size(), 4u);
  EXPECT_EQ(VGetU32(gBackup.data()), gBackup.size());
  auto entries = BackupEntries(gBackup);
  ASSERT_FALSE(entries.empty());
  auto split = std::find_if(entries.begin(), entries.end(), [](auto& e) { return e.first == 1; });
  ASSERT_NE(split, entries.begin());
  EXPECT_TRUE(std::all_of(entries.begin(), split, [](auto& e) { return e.first == 2; }));
  EXPECT_TRUE(std::all_of(split, entries.end(), [](auto& e) { return e.first == 1; }));
  EXPECT_TRUE(std::is_sorted(entries.begin(), split));
  EXPECT_TRUE(std::is_sorted(split, entries.end()));
  EXPECT_EQ(*(split - 1), std::make_pair(2u, 0xFFFFFFFFu));
  EXPECT_EQ(entries.back(), std::make_pair(1u, 0xFFFFFFFFu));

  // A crash before the mark was written: the record files are as before and the backup goes.
  std::vector<uint8_t> unmarked = gBackup;
  VPutU32(unmarked.data(), 0);
  WriteRaw(env.IndexPath(), indexBefore);
  WriteRaw(env.DataPath(), dataBefore);
  WriteRaw(gBackupPath, unmarked);
  ASSERT_EQ(file->Open(), kVOk);
  EXPECT_FALSE(std::filesystem::exists(gBackupPath));
  EXPECT_EQ(file->RecordCount(), 20u);
  ASSERT_EQ(file->Close(), kVOk);
  EXPECT_EQ(RawBytes(env.IndexPath()), indexBefore);
  EXPECT_EQ(RawBytes(env.DataPath()), dataBefore);

  // A crash after the mark: replaying gives the flushed files exactly, update times included.
  WriteRaw(gBackupPath, gBackup);
  ASSERT_EQ(file->Open(), kVOk);
  EXPECT_FALSE(std::filesystem::exists(gBackupPath));
  EXPECT_TRUE(HoldsExactly(*file, expected));
  ASSERT_EQ(file->Close(), kVOk);
  EXPECT_EQ(RawBytes(env.IndexPath()), indexAfter);
  EXPECT_EQ(RawBytes(env.DataPath()), dataAfter);
}

INSTANTIATE_TEST_SUITE_P(BesideTheIndexOrInTheWorkDirectory, BackupReplay, ::testing::Bool());

TEST(VDBFileRecovery, AMalformedCompleteBackupIsRefusedAndKept) {
  RecordFileEnv env;
  {
    auto file = env.CreateAndOpen();
    uint32_t r = 0;
    ASSERT_EQ(file->InsRecord(nullptr, Span(RecordImage(100, 1)), &r), kVOk);
    ASSERT_EQ(file->Close(), kVOk);
  }
  const std::vector<uint8_t> index = RawBytes(env.IndexPath());
  const std::vector<uint8_t> data = RawBytes(env.DataPath());
  auto entry = [](uint32_t kind, uint32_t block, uint32_t length, size_t bytes) {
    std::vector<uint8_t> e(12 + bytes, 0xAB);
    VPutU32(&e[0], kind);
    VPutU32(&e[4], block);
    VPutU32(&e[8], length);
    return e;
  };
  auto backupOf = [](const std::vector<std::vector<uint8_t>>& entries, int32_t markDelta) {
    std::vector<uint8_t> b(4);
    for (const auto& e : entries) b.insert(b.end(), e.begin(), e.end());
    VPutU32(b.data(), static_cast<uint32_t>(static_cast<int64_t>(b.size()) + markDelta));
    return b;
  };
  std::vector<uint8_t> header(index.begin(), index.begin() + 512);
  std::vector<uint8_t> otherSize = entry(1, 0xFFFFFFFF, 512, 0);
  header[3] = 16;  // a header of another block size
  otherSize.insert(otherSize.end(), header.begin(), header.end());
  const std::vector<std::vector<uint8_t>> malformed = {
      backupOf({entry(2, 1, 4096, 4096), entry(2, 2, 0x7FFFFFF0, 600)}, 0),  // huge length
      backupOf({entry(2, 0xFFFFFF00, 4096, 4096)}, 0),                       // block past u24
      backupOf({entry(7, 1, 4096, 4096)}, 0),                                // no such file kind
      backupOf({entry(1, 1, 4096, 4096)}, 0),                                // not the index B
      backupOf({otherSize, entry(2, 1, 4096, 4096)}, 0),
      backupOf({entry(2, 1, 4096, 4096)}, 100),  // mark past the end
      backupOf({entry(2, 1, 4096, 4096)}, -10),  // ends inside an entry
  };
  for (size_t i = 0; i < malformed.size(); ++i) {
    SCOPED_TRACE(i);
    WriteRaw(env.BackupPath(), malformed[i]);
    auto file = env.NewFile();
    EXPECT_EQ(file->Open(), kVBadBackup);
    EXPECT_FALSE(file->IsOpen());
    EXPECT_TRUE(std::filesystem::exists(env.BackupPath()));
    EXPECT_EQ(RawBytes(env.IndexPath()), index);
    EXPECT_EQ(RawBytes(env.DataPath()), data);
  }
  // Too short to be a complete backup whatever its mark says: dropped.
  WriteRaw(env.BackupPath(), {0, 0, 0, 40, 1, 2, 3});
  auto file = env.NewFile();
  EXPECT_EQ(file->Open(), kVOk);
  EXPECT_FALSE(std::filesystem::exists(env.BackupPath()));
  EXPECT_EQ(file->RecordCount(), 1u);
}

TEST(VDBFileRecovery, AReadOnlyFileWithAPendingReplayIsNotOpened) {
  RecordFileEnv env;
  std::vector<uint8_t> backup;
  {
    auto file = env.CreateAndOpen();
    uint32_t r = 0;
    ASSERT_EQ(file->InsRecord(nullptr, Span(RecordImage(100, 1)), &r), kVOk);
    HookScope hook(CaptureBackup);
    ASSERT_EQ(file->Close(), kVOk);
    backup = gBackup;
  }
  WriteRaw(env.BackupPath(), backup);
  env.Config().MainSection()->SetReadOnly(true, false);
  auto file = env.NewFile();
  EXPECT_EQ(file->Open(), kVReadOnlyFile);
  EXPECT_TRUE(std::filesystem::exists(env.BackupPath()));
  env.Config().MainSection()->SetReadOnly(false, false);
  EXPECT_EQ(file->Open(), kVOk);
  EXPECT_EQ(file->RecordCount(), 1u);
}

TEST(VDBFileRecovery, ErasingAndRecreatingDropsAStaleBackup) {
  RecordFileEnv env;
  auto file = env.CreateAndOpen();
  ASSERT_EQ(file->Close(), kVOk);
  std::vector<uint8_t> stale(600, 0);
  VPutU32(stale.data(), 600);  // complete but meant for the old files
  WriteRaw(env.BackupPath(), stale);
  ASSERT_EQ(file->EraseDBFile(), kVOk);
  EXPECT_FALSE(std::filesystem::exists(env.BackupPath()));
  WriteRaw(env.BackupPath(), stale);
  ASSERT_EQ(file->CreateDBFile(), kVOk);
  EXPECT_FALSE(std::filesystem::exists(env.BackupPath()));
  EXPECT_EQ(file->Open(), kVOk);
}

// A file with records over two record-map levels and several data blocks, closed.
Expected MakeSampleFile(RecordFileEnv& env) {
  Expected expected;
  auto file = env.CreateAndOpen();
  const uint32_t n = file->RecordMap()->EntriesPerNode();
  for (uint32_t r : {1u, 2u, 3u, 4u, 5u, 6u, 7u, 8u, n + 1, n + 2}) {
    expected[r] = RecordImage(900, r);
    uint32_t number = r;
    EXPECT_EQ(file->I_InsRecord(Span(expected[r]), &number), kVOk);
  }
  EXPECT_EQ(file->Close(), kVOk);
  return expected;
}

TEST(VDBFileRecovery, BrokenIndexFilesAreRefusedWithACode) {
  RecordFileEnv env;
  MakeSampleFile(env);
  const std::vector<uint8_t> good = RawBytes(env.IndexPath());
  const size_t dir = 512 + 2048;       // the directory block
  const size_t root = 512 + 2 * 2048;  // the record-map root
  auto openWith = [&](const std::function<void(std::vector<uint8_t>&)>& change) {
    std::vector<uint8_t> bytes = good;
    change(bytes);
    WriteRaw(env.IndexPath(), bytes);
    auto file = env.NewFile();
    VResult result = file->Open();
    EXPECT_FALSE(file->IsOpen() && result != kVOk);
    return result;
  };
  EXPECT_EQ(openWith([](auto& b) { b.resize(300); }), kVNotBlockFile);
  EXPECT_EQ(openWith([](auto& b) { b.resize(512 + 2048 + 100); }), kVReadFailed);
  EXPECT_EQ(openWith([](auto& b) { b[4] = b[5] = 0; }), kVBadDirectory);  // no groups
  EXPECT_EQ(openWith([&](auto& b) { b[dir] = 0x33; }), kVBadDirectory);
  EXPECT_EQ(openWith([&](auto& b) { VPutU24(&b[dir + 10], 0xFFFFFF); }), kVBadDirectory);
  EXPECT_EQ(openWith([&](auto& b) { VPutU24(&b[dir + 4], 0); }), kVBadDirectory);
  EXPECT_EQ(openWith([&](auto& b) { VPutU24(&b[dir + 4], 0xFFFFFF); }), kVMapNodeUnreadable);
  EXPECT_EQ(openWith([&](auto& b) { VPutU24(&b[dir + 4], 1); }), kVBadDirectory);
  EXPECT_EQ(openWith([&](auto& b) { VPutU24(&b[dir + 4], 2048 * 8); }), kVMapNodeUnreadable);
  EXPECT_EQ(openWith([&](auto& b) { VPutU16(&b[root + 2], 0xFFFF); }), kVMapNodeUnreadable);
  EXPECT_EQ(openWith([&](auto& b) { b[root + 1] = 7; }), kVMapNodeUnreadable);
  WriteRaw(env.IndexPath(), good);
  EXPECT_EQ(env.NewFile()->Open(), kVOk);
}

TEST(VDBFileRecovery, BrokenMapAndRecordBlocksReadAsMissingOrCorrupt) {
  RecordFileEnv env;
  Expected expected = MakeSampleFile(env);
  std::vector<uint8_t> index = RawBytes(env.IndexPath());
  const size_t root = 512 + 2 * 2048;
  VPutU24(&index[root + 4 + 3], 0xFFFF00);  // the second leaf's block: far past the file
  WriteRaw(env.IndexPath(), index);
  std::vector<uint8_t> data = RawBytes(env.DataPath());
  const size_t first = 512 + 4096;  // the record block of records 1..4
  VPutU16(&data[first + 2], 0xFFFF);
  const size_t second = 512 + 2 * 4096;  // records 5..8: an entry longer than the block holds
  VPutU16(&data[second + 4 + 3], 0x7000);
  WriteRaw(env.DataPath(), data);

  auto file = env.NewFile();
  ASSERT_EQ(file->Open(), kVOk);
  const uint32_t n = file->RecordMap()->EntriesPerNode();
  std::vector<uint8_t> image;
  EXPECT_EQ(file->GetRecord(n + 1, &image), kVRecordNotFound);
  EXPECT_EQ(file->DelRecord(nullptr, n + 2), kVDeleteNotFound);
  EXPECT_EQ(file->GetRecord(2, &image), kVRecordCorrupt);
  EXPECT_EQ(file->GetRecord(6, &image), kVRecordCorrupt);
  EXPECT_EQ(file->DelRecord(nullptr, 3), kVRecordCorrupt);
  EXPECT_EQ(file->UpdRecord(nullptr, 7, Span(RecordImage(100, 1))), kVRecordCorrupt);
  int32_t count = 0;
  EXPECT_EQ(file->ItemCount(1, &count), kVItemNotReadable);
  VRMap all;
  EXPECT_EQ(file->RecordMap()->EnumerateAll(&all), kVMapNodeMissing);
  VPSRead read(file->DataFile());
  uint32_t r = 0;
  EXPECT_EQ(read.Read(&r, &image), kVRecordCorrupt);
  VPSRead scan(file->DataFile());
  EXPECT_EQ(scan.Scan([](uint32_t, const uint8_t*) { return kVOk; }), kVRecordCorrupt);
  // An insert offered the broken block with room refuses, and no number is used up.
  const uint32_t last = file->MaxRNbr();
  EXPECT_EQ(file->InsRecord(nullptr, Span(RecordImage(100, 99)), &r), kVRecordCorrupt);
  EXPECT_EQ(file->MaxRNbr(), last);
  EXPECT_EQ(file->RecordCount(), 10u);
  // A record too long for that block gets a block of its own, but its number falls under the
  // broken map node: refused, and again nothing is used up.
  EXPECT_EQ(file->InsRecord(nullptr, Span(RecordImage(2000, 98)), &r), kVMapNodeUnreadable);
  EXPECT_EQ(file->MaxRNbr(), last);
  EXPECT_EQ(file->RecordCount(), 10u);
  EXPECT_EQ(file->GetRecord(1, &image), kVRecordCorrupt);
  EXPECT_EQ(file->Close(), kVOk);
}

// An entry in the middle of a block that runs past the block's bytes in use: the records before
// it are read, then both a read and a scan report the block corrupt.
TEST(VDBFileRecovery, ABrokenEntryInsideABlockStopsReadsAndScansAlike) {
  RecordFileEnv env;
  MakeSampleFile(env);
  std::vector<uint8_t> data = RawBytes(env.DataPath());
  const size_t payload = 512 + 4096 + 4;  // the record block of records 1..4
  const size_t second = payload + 5 + VGetU16(&data[payload + 3]);
  ASSERT_EQ(VGetU24(&data[second]), 2u);
  VPutU16(&data[second + 3], 0x7000);
  WriteRaw(env.DataPath(), data);
  auto file = env.NewFile();
  ASSERT_EQ(file->Open(), kVOk);
  VPSRead read(file->DataFile());
  uint32_t r = 0;
  std::vector<uint8_t> image;
  ASSERT_EQ(read.Read(&r, &image), kVOk);
  EXPECT_EQ(r, 1u);
  EXPECT_EQ(read.Read(&r, &image), kVRecordCorrupt);
  VPSRead scan(file->DataFile());
  std::vector<uint32_t> seen;
  EXPECT_EQ(scan.Scan([&](uint32_t number, const uint8_t*) {
    seen.push_back(number);
    return kVOk;
  }),
            kVRecordCorrupt);
  EXPECT_EQ(seen, std::vector<uint32_t>{1});
  EXPECT_EQ(file->Close(), kVOk);
}

TEST(VDBFileRecovery, RandomGarbageInIndexAndDataBlocksNeverEscapesABlock) {
  RecordFileEnv env;
  MakeSampleFile(env);
  const std::vector<uint8_t> index = RawBytes(env.IndexPath());
  const std::vector<uint8_t> data = RawBytes(env.DataPath());
  std::mt19937 random(1234);
  int opened = 0;
  for (int round = 0; round < 40; ++round) {
    SCOPED_TRACE(round);
    std::vector<uint8_t> badIndex = index;
    std::vector<uint8_t> badData = data;
    for (int i = 0; i < 12; ++i) {
      // The map nodes (or every other round the directory's fields before its key slots), the
      // free-space map and the record blocks.
      const size_t from = round % 2 == 0 ? 512 + 2 * 2048 : 512 + 2048;
      const size_t span = round % 2 == 0 ? badIndex.size() - from : 36;
      badIndex[from + random() % span] = random() & 0xFF;
      badData[512 + random() % (badData.size() - 512)] = random() & 0xFF;
    }
    WriteRaw(env.IndexPath(), badIndex);
    WriteRaw(env.DataPath(), badData);
    auto file = env.NewFile();
    if (file->Open() != kVOk) continue;
    ++opened;
    std::vector<uint8_t> image;
    const uint32_t last = std::min<uint32_t>(file->MaxRNbr(), 3000);
    // Any answer will do on damaged files: what is tested is that nothing crashes.
    for (uint32_t r = 1; r <= last; ++r) (void)file->GetRecord(r, &image);
    VPSRead read(file->DataFile());
    uint32_t r = 0;
    for (int i = 0; i < 100 && read.Read(&r, &image) == kVOk; ++i) {
    }
    // As above: any answer will do.
    (void)file->DelRecord(nullptr, 3);
    (void)file->UpdRecord(nullptr, 4, Span(RecordImage(2000, 4)));
    (void)file->InsRecord(nullptr, Span(RecordImage(100, 5)), &r);
    (void)file->Close();
  }
  EXPECT_GT(opened, 10);  // most rounds reach the map and record blocks
}

}  // namespace
