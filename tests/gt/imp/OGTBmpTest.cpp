#include "gt/imp/OGTBmp.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "BmpBuilder.h"

namespace {

TEST(OGTBmp, TwentyFourBitsBottomUpWithPaddedRows) {
  // 3 pixels of 3 bytes: rows of 9 bytes padded to 12.
  std::vector<uint8_t> file = BuildBmp(3, 2, 24,
                                       {0xFF0000, 0x00FF00, 0x0000FF,  // top row
                                        0x123456, 0xFFFFFF, 0x000000});
  OGTBmp bmp;
  ASSERT_TRUE(bmp.Decode(file.data(), file.size()));
  EXPECT_EQ(bmp.Width(), 3);
  EXPECT_EQ(bmp.Height(), 2);
  EXPECT_EQ(bmp.Pixel(0, 0), 0xFFFF0000u);
  EXPECT_EQ(bmp.Pixel(2, 0), 0xFF0000FFu);
  EXPECT_EQ(bmp.Pixel(0, 1), 0xFF123456u);
  EXPECT_EQ(bmp.Pixel(2, 1), 0xFF000000u);
  EXPECT_EQ(bmp.Pixel(3, 0), 0u);  // outside
}

TEST(OGTBmp, PaletteImagesTopDown) {
  std::vector<uint32_t> palette = {0x000000, 0xFF8000, 0x00FFFF};
  std::vector<uint8_t> file = BuildBmp(5, -2, 4, {1, 2, 0, 1, 2, 2, 2, 1, 0, 0}, palette);
  OGTBmp bmp;
  ASSERT_TRUE(bmp.Decode(file.data(), file.size()));
  EXPECT_EQ(bmp.Height(), 2);
  EXPECT_EQ(bmp.Pixel(0, 0), 0xFFFF8000u);  // negative height: first row is the top
  EXPECT_EQ(bmp.Pixel(1, 0), 0xFF00FFFFu);
  EXPECT_EQ(bmp.Pixel(4, 0), 0xFF00FFFFu);
  EXPECT_EQ(bmp.Pixel(2, 1), 0xFFFF8000u);

  std::vector<uint8_t> mono = BuildBmp(9, 1, 1, {1, 0, 0, 0, 0, 0, 0, 0, 1}, {0x000000, 0xFFFFFF});
  ASSERT_TRUE(bmp.Decode(mono.data(), mono.size()));
  EXPECT_EQ(bmp.Pixel(0, 0), 0xFFFFFFFFu);
  EXPECT_EQ(bmp.Pixel(1, 0), 0xFF000000u);
  EXPECT_EQ(bmp.Pixel(8, 0), 0xFFFFFFFFu);  // the ninth pixel lies in the second byte
}

TEST(OGTBmp, SixteenAndThirtyTwoBits) {
  std::vector<uint8_t> file = BuildBmp(2, 1, 16, {0x7C00, 0x001F});  // 5-5-5
  OGTBmp bmp;
  ASSERT_TRUE(bmp.Decode(file.data(), file.size()));
  EXPECT_EQ(bmp.Pixel(0, 0), 0xFFFF0000u);
  EXPECT_EQ(bmp.Pixel(1, 0), 0xFF0000FFu);
  file = BuildBmp(1, 1, 32, {0x80ABCDEF});
  ASSERT_TRUE(bmp.Decode(file.data(), file.size()));
  EXPECT_EQ(bmp.Pixel(0, 0), 0xFFABCDEFu);  // the spare byte is not alpha
}

TEST(OGTBmp, RefusesWhatItCannotReadWhole) {
  std::vector<uint8_t> good = BuildBmp(4, 4, 24, std::vector<uint32_t>(16, 0x808080));
  OGTBmp bmp;
  ASSERT_TRUE(bmp.Decode(good.data(), good.size()));

  std::vector<uint8_t> shortData(good.begin(), good.end() - 1);
  EXPECT_FALSE(bmp.Decode(shortData.data(), shortData.size()));
  EXPECT_TRUE(bmp.IsEmpty());  // a refused decode leaves nothing behind

  std::vector<uint8_t> badMagic = good;
  badMagic[0] = 'P';
  EXPECT_FALSE(bmp.Decode(badMagic.data(), badMagic.size()));

  std::vector<uint8_t> compressed = good;
  compressed[30] = 1;  // run-length compression
  EXPECT_FALSE(bmp.Decode(compressed.data(), compressed.size()));

  std::vector<uint8_t> offsetPastEnd = good;
  offsetPastEnd[10] = 0xF0;
  offsetPastEnd[11] = 0xFF;
  EXPECT_FALSE(bmp.Decode(offsetPastEnd.data(), offsetPastEnd.size()));

  std::vector<uint8_t> huge = good;
  huge[18] = huge[19] = huge[20] = 0xFF;  // 2^24 - 1 by 2^16 - 1 pixels: too many
  huge[21] = 0x00;
  huge[22] = 0xFF;
  huge[23] = 0xFF;
  EXPECT_FALSE(bmp.Decode(huge.data(), huge.size()));

  EXPECT_FALSE(bmp.Decode(good.data(), 20));
  EXPECT_FALSE(bmp.Decode(nullptr, 0));
}

}  // namespace
