// The bytes a record file leaves on disk: a fixed workload (inserts of records of varied sizes
// under a plain key, a unique key and a reversed key, then updates that grow and shrink records,
// deletions, and more inserts, with flushes in between) must leave index and data files equal
// byte for byte to the ones kept under tests/data/store, apart from the time stamps in their
// headers. Run once with a cache that holds everything and once with the smallest cache, which
// spills and flushes many times in the middle of the workload, so that changes to the cache or
// the flush protocol that alter what reaches the disk are caught.
//
// OV_WRITE_KEPT_FILES=DIR writes the files the workload leaves into DIR instead of comparing
// (how the kept files were made).
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "RecordFileSupport.h"
#include "db/store/VDBFile.h"

namespace {

std::vector<uint8_t> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The header's creation and update times (six u16 each at bytes 16 and 32) are zeroed.
std::vector<uint8_t> Masked(std::vector<uint8_t> bytes) {
  for (size_t i = 16; i < 44 && i < bytes.size(); ++i) bytes[i] = 0;
  return bytes;
}

std::string Name(uint32_t n) {
  // Distinct names in a scattered order with shared prefixes, so that the trees split in their
  // middles.
  const uint32_t mixed = (n * 7919u) % 100003u;
  return "n" + std::to_string(mixed % 97) + "-" + std::to_string(n);
}

void RunWorkload(RecordFileEnv& env) {
  env.AddNameKey(2, 0);
  env.AddNameKey(3, kVKeyUnique);
  env.AddNameKey(4, kVKeyReverse | kVKeyIgnoreCase);
  auto file = env.CreateAndOpen();
  constexpr uint32_t kCount = 1500;
  for (uint32_t i = 1; i <= kCount; ++i) {
    const std::vector<uint8_t> image =
        RecordImage(60 + static_cast<int32_t>((i * 37) % 150), i, Name(i));
    uint32_t r = 0;
    ASSERT_EQ(file->InsRecord(nullptr, {image.data(), image.size()}, &r), kVOk);
    if (i % 500 == 0) {
      ASSERT_EQ(file->Flush(), kVOk);
    }
  }
  for (uint32_t r = 3; r <= kCount; r += 3) {
    if (r % 2 == 0) {
      ASSERT_EQ(file->DelRecord(nullptr, r), kVOk);
    } else {
      const int32_t length = r % 5 == 0 ? 40 : 400 + static_cast<int32_t>(r % 300);
      const std::vector<uint8_t> image = RecordImage(length, r + 50000, Name(r + 200000));
      ASSERT_EQ(file->UpdRecord(nullptr, r, {image.data(), image.size()}), kVOk);
    }
  }
  ASSERT_EQ(file->Flush(), kVOk);
  for (uint32_t i = 1; i <= 300; ++i) {
    const std::vector<uint8_t> image =
        RecordImage(30 + static_cast<int32_t>((i * 53) % 500), i + 90000, Name(i + 400000));
    uint32_t r = 0;
    ASSERT_EQ(file->InsRecord(nullptr, {image.data(), image.size()}, &r), kVOk);
  }
  ASSERT_EQ(file->Close(), kVOk);
}

void CheckOrWrite(RecordFileEnv& env, const std::string& label) {
  const std::string kept = std::string(OV_TEST_DATA) + "/store/" + label;
  if (const char* out = std::getenv("OV_WRITE_KEPT_FILES")) {
    for (const auto& [from, suffix] :
         {std::pair{env.IndexPath(), ".idx"}, std::pair{env.DataPath(), ".dat"}}) {
      std::ofstream o(std::string(out) + "/" + label + suffix, std::ios::binary);
      const std::vector<uint8_t> bytes = Masked(ReadAll(from));
      o.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    }
    return;
  }
  for (const auto& [path, suffix] :
       {std::pair{env.IndexPath(), ".idx"}, std::pair{env.DataPath(), ".dat"}}) {
    const std::vector<uint8_t> want = ReadAll(kept + suffix);
    ASSERT_FALSE(want.empty()) << kept << suffix;
    const std::vector<uint8_t> got = Masked(ReadAll(path));
    ASSERT_EQ(got.size(), want.size()) << label << suffix;
    size_t differ = 0;
    while (differ < got.size() && got[differ] == want[differ]) ++differ;
    EXPECT_EQ(differ, got.size()) << label << suffix << " differs first at byte " << differ
                                  << " (block " << (differ - 512) / 2048 << ")";
  }
}

TEST(VDBFileBytes, AWorkloadInALargeCacheLeavesTheKeptFiles) {
  RecordFileEnv env(true, 8192);
  RunWorkload(env);
  CheckOrWrite(env, "workload-large-cache");
}

TEST(VDBFileBytes, AWorkloadThatSpillsTheSmallestCacheLeavesTheKeptFiles) {
  RecordFileEnv env(true, 40);
  RunWorkload(env);
  CheckOrWrite(env, "workload-small-cache");
}

}  // namespace
