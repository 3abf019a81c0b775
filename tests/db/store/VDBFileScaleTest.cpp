// A record file at scale: many small records inserted, read back, a fifth deleted and a fifth
// grown, with the record map and the free-space map checked against every block afterwards.
// The optimised build runs 200,000 records; the sanitizer build a tenth of that
// (OV_SCALE_RECORDS overrides both).
#include <gtest/gtest.h>

#include <cstdlib>

#include "RecordFileSupport.h"
#include "db/store/VDBFile.h"
#include "db/store/VPSRead.h"

namespace {

uint32_t ScaleCount() {
  if (const char* count = std::getenv("OV_SCALE_RECORDS")) return std::strtoul(count, nullptr, 10);
#ifdef NDEBUG
  return 200000;
#else
  return 20000;
#endif
}

// Record r: about 100 bytes, or about 180 once updated.
std::vector<uint8_t> Image(uint32_t r, bool updated) {
  return updated ? RecordImage(170 + static_cast<int32_t>(r % 13), r + 1000000)
                 : RecordImage(96 + static_cast<int32_t>(r % 9), r);
}

TEST(VDBFileScale, ManyRecordsKeepTheirMapsConsistent) {
  const uint32_t count = ScaleCount();
  RecordFileEnv env(true);  // the default cache size: it fills and flushes many times
  auto file = env.CreateAndOpen();
  for (uint32_t i = 1; i <= count; ++i) {
    std::vector<uint8_t> image = Image(i, false);
    uint32_t r = 0;
    ASSERT_EQ(file->InsRecord(nullptr, {image.data(), image.size()}, &r), kVOk);
    ASSERT_EQ(r, i);
  }
  std::vector<uint8_t> read;
  for (uint32_t r = 1; r <= count; ++r) {
    ASSERT_EQ(file->GetRecord(r, &read), kVOk);
    ASSERT_EQ(read, Image(r, false)) << r;
  }
  for (uint32_t r = 1; r <= count; ++r) {
    if (r % 5 == 0) {
      ASSERT_EQ(file->DelRecord(nullptr, r), kVOk);
    } else if (r % 5 == 1) {
      std::vector<uint8_t> image = Image(r, true);
      ASSERT_EQ(file->UpdRecord(nullptr, r, {image.data(), image.size()}), kVOk);
    }
  }
  ASSERT_EQ(file->Close(), kVOk);

  ASSERT_EQ(file->Open(), kVOk);
  const size_t remaining = count - count / 5;
  EXPECT_EQ(file->MaxRNbr(), count);
  EXPECT_TRUE(HoldsExactly(*file, remaining, [](uint32_t r, std::vector<uint8_t>* image) {
    if (r % 5 == 0) return false;
    *image = Image(r, r % 5 == 1);
    return true;
  }));
  VPSRead all(file->DataFile());
  uint32_t r = 0;
  size_t seen = 0;
  while (all.Read(&r, &read) == kVOk) ++seen;
  EXPECT_EQ(seen, remaining);
  EXPECT_EQ(file->Close(), kVOk);
}

}  // namespace
