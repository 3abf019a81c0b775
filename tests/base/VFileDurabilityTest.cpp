// The file layer on a simulated disk: what a power cut keeps of what VFile and VDir wrote, and how
// failures of the disk reach their callers. These also pin down the simulated disk itself, which
// the storage and engine tests trust to forget what was never made durable.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "SimulatedDisk.h"
#include "TempDir.h"
#include "base/VArray.h"
#include "base/VFile.h"
#include "base/VStream.h"

namespace {

using Keep = SimulatedDisk::Keep;
using Fault = SimulatedDisk::Fault;

std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

// Writes text at offset through a VFile opened read-write (the file must exist).
VResult WriteText(const std::string& path, int64_t offset, const std::string& text, bool flush) {
  VFile file(path);
  VResult result = file.Open(false);
  if (result == kVOk) result = file.WriteAt(offset, text.data(), static_cast<int32_t>(text.size()));
  if (result == kVOk && flush) result = file.Flush();
  VResult closed = file.Close();
  return result != kVOk ? result : closed;
}

TEST(VFileDurability, APowerCutKeepsWhatWasSyncedAndTheChosenShareOfTheRest) {
  TempDir dir;
  SimulatedDisk disk(dir.Path());
  const std::string path = dir / "f.dat";
  ASSERT_EQ(VFile(path).Create(false), kVOk);
  ASSERT_EQ(VFile(path).SyncDirectory(), kVOk);
  ASSERT_EQ(WriteText(path, 0, "durable.", true), kVOk);
  ASSERT_EQ(WriteText(path, 0, "changed.", false), kVOk);
  ASSERT_EQ(WriteText(path, 8, "tail", false), kVOk);
  auto before = disk.Save();

  disk.PowerCut(Keep::kNothing);
  EXPECT_EQ(disk.Contents(path), Bytes("durable."));
  disk.Restore(before);
  disk.PowerCut(Keep::kEverything);
  EXPECT_EQ(disk.Contents(path), Bytes("changed.tail"));
  // Only the latest write reached the disk: the earlier one did not.
  disk.Restore(before);
  disk.PowerCut(Keep::kLatest);
  EXPECT_EQ(disk.Contents(path), Bytes("durable.tail"));

  // A file whose directory entry was never synced is gone, however well its data was.
  const std::string fresh = dir / "fresh.dat";
  ASSERT_EQ(VFile(fresh).Create(false), kVOk);
  ASSERT_EQ(WriteText(fresh, 0, "data", true), kVOk);
  disk.PowerCut(Keep::kNothing);
  EXPECT_FALSE(VFile(fresh).Exists());
  EXPECT_TRUE(VFile(path).Exists());
  // A removal that was not synced is undone too (the file as the last cut left it).
  ASSERT_EQ(VFile(path).Remove(), kVOk);
  EXPECT_FALSE(VFile(path).Exists());
  disk.PowerCut(Keep::kNothing);
  EXPECT_EQ(disk.Contents(path), Bytes("durable.tail"));
}

TEST(VFileDurability, AReplacementByRenameIsAllOrNothing) {
  TempDir dir;
  SimulatedDisk disk(dir.Path());
  const std::string path = dir / "Varnex.conf";
  ASSERT_EQ(VFile(path).Create(false), kVOk);
  ASSERT_EQ(WriteText(path, 0, "old", true), kVOk);
  ASSERT_EQ(VFile(path).SyncDirectory(), kVOk);
  VFile draft(dir / "Varnex.conf.new");
  ASSERT_EQ(draft.Create(false), kVOk);
  ASSERT_EQ(WriteText(draft.FullPath(), 0, "new", true), kVOk);
  ASSERT_EQ(draft.Rename(path), kVOk);
  auto before = disk.Save();
  for (Keep keep : {Keep::kNothing, Keep::kEverything, Keep::kLatest, Keep::kRandom}) {
    disk.Restore(before);
    disk.PowerCut(keep, 7);
    auto text = disk.Contents(path);
    ASSERT_TRUE(text.has_value());
    EXPECT_TRUE(*text == Bytes("old") || *text == Bytes("new"));
  }
  disk.Restore(before);
  ASSERT_EQ(VFile(path).SyncDirectory(), kVOk);
  disk.PowerCut(Keep::kNothing);
  EXPECT_EQ(disk.Contents(path), Bytes("new"));
  EXPECT_FALSE(disk.Exists(dir / "Varnex.conf.new"));
}

// A folder made with its parents is on the disk when Create answers: a file made and synced in it
// afterwards survives the power going.
TEST(VFileDurability, FoldersMadeWithTheirParentsSurviveAPowerCut) {
  TempDir dir;
  SimulatedDisk disk(dir.Path());
  VDir deep(dir / "a/b/c");
  ASSERT_EQ(deep.Create(true), kVOk);
  VDir single(dir / "a/d");
  ASSERT_EQ(single.Create(false), kVOk);
  for (VDir* folder : {&deep, &single}) {
    VFile file("f", folder);
    ASSERT_EQ(file.Create(false), kVOk);
    ASSERT_EQ(file.SyncDirectory(), kVOk);
  }
  VFile withParents(dir / "x/y/z.dat");
  ASSERT_EQ(withParents.Create(true), kVOk);
  ASSERT_EQ(withParents.SyncDirectory(), kVOk);
  disk.PowerCut(Keep::kNothing);
  EXPECT_TRUE(disk.Exists(dir / "a/b/c/f"));
  EXPECT_TRUE(disk.Exists(dir / "a/d/f"));
  EXPECT_TRUE(disk.Exists(dir / "x/y/z.dat"));
}

TEST(VFileDurability, FailuresOfTheDiskAreAnsweredAndShortWritesCompleted) {
  TempDir dir;
  SimulatedDisk disk(dir.Path());
  const std::string path = dir / "f.dat";
  ASSERT_EQ(VFile(path).Create(false), kVOk);
  VFile file(path);
  ASSERT_EQ(file.Open(false), kVOk);

  // Every write comes back half done: the loops finish the job, singly and gathered.
  disk.ResetCount();
  disk.FailCall(0, Fault::kShortWrite, true);
  const std::string text(10000, 'x');
  EXPECT_EQ(file.WriteAt(0, text.data(), static_cast<int32_t>(text.size())), kVOk);
  const std::vector<uint8_t> a(3000, 'a');
  const std::vector<uint8_t> b(5000, 'b');
  const std::span<const uint8_t> buffers[] = {{a.data(), a.size()}, {b.data(), b.size()}};
  EXPECT_EQ(file.WriteGatheredAt(100, buffers), kVOk);
  std::vector<uint8_t> expected(text.begin(), text.end());
  std::copy(a.begin(), a.end(), expected.begin() + 100);
  std::copy(b.begin(), b.end(), expected.begin() + 3100);
  EXPECT_EQ(disk.Contents(path), expected);
  EXPECT_GT(disk.Calls(), 4);

  // A full disk and a failing one are result codes.
  disk.Heal();
  disk.ResetCount();
  disk.FailCall(0, Fault::kENOSPC, false);
  EXPECT_EQ(file.WriteAt(0, "y", 1), kVWriteFailed);
  EXPECT_EQ(file.WriteAt(0, "y", 1), kVOk);
  disk.ResetCount();
  disk.FailCall(0, Fault::kENOSPC, false);
  EXPECT_EQ(file.SetFileSize(20000), kVSetSizeFailed);
  disk.ResetCount();
  disk.FailCall(0, Fault::kEIO, false);
  char buffer[4];
  EXPECT_EQ(file.ReadAt(0, buffer, 4), kVReadFailed);

  // A failed sync is a failure, and what it was to make durable is lost for good: the sync that
  // follows succeeds, yet the power cut shows the write never reached the disk.
  ASSERT_EQ(file.Flush(), kVOk);
  ASSERT_EQ(file.SyncDirectory(), kVOk);
  const std::vector<uint8_t> synced = *disk.Contents(path);
  ASSERT_EQ(file.WriteAt(0, "zz", 2), kVOk);
  disk.ResetCount();
  disk.FailCall(0, Fault::kEIO, false);
  EXPECT_EQ(file.Flush(), kVWriteFailed);
  EXPECT_EQ(file.Flush(), kVOk);
  EXPECT_EQ(file.Close(), kVOk);
  disk.PowerCut(Keep::kEverything);
  EXPECT_EQ(disk.Contents(path), synced);

  // A stream's write-out that failed is answered by the close, not only kept in the stream's
  // error: what the stream was to write is not in the file.
  disk.ResetCount();
  disk.FailCall(0, Fault::kEIO, true);
  VFile other(dir / "g.dat");
  EXPECT_EQ(other.WriteStream(), nullptr);
  disk.Heal();
  VFileStream* stream = other.WriteStream();
  ASSERT_NE(stream, nullptr);
  ASSERT_TRUE(stream->WriteU32(7));
  disk.ResetCount();
  disk.FailCall(0, Fault::kEIO, false);
  EXPECT_EQ(stream->WriteOut(), kVWriteFailed);
  EXPECT_EQ(other.Close(), kVWriteFailed);
  // Saving an array through a stream whose first write fails answers false.
  VArray numbers(4);
  for (uint32_t i = 0; i < 5000; ++i) ASSERT_TRUE(numbers.Append(&i));
  const std::string saved = dir / "numbers";
  ASSERT_TRUE(numbers.SaveToFile(saved.c_str()));
  disk.ResetCount();
  ASSERT_TRUE(numbers.SaveToFile(saved.c_str()));  // as the failing one will: over the file
  const std::vector<SimulatedDisk::Call> trace = disk.Trace();
  const auto write = std::find(trace.begin(), trace.end(), SimulatedDisk::Call::kWrite);
  ASSERT_NE(write, trace.end());
  disk.ResetCount();
  disk.FailCall(write - trace.begin(), Fault::kEIO, false);
  EXPECT_FALSE(numbers.SaveToFile(saved.c_str()));
}

}  // namespace
