#include "base/VStream.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "Sjis.h"
#include "TempDir.h"
#include "base/VEndian.h"
#include "base/VFile.h"

namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(Endian, HighByteFirst) {
  VDMemStream s;
  s.WriteU32(0x01020304);
  s.WriteU16(0x1234);
  const uint8_t* b = s.Data();
  EXPECT_EQ(std::vector<uint8_t>(b, b + 6), (std::vector<uint8_t>{1, 2, 3, 4, 0x12, 0x34}));
  uint8_t raw[3];
  VPutU24(raw, 0xABCDEF);
  EXPECT_EQ(raw[0], 0xAB);
  EXPECT_EQ(raw[2], 0xEF);
  EXPECT_EQ(VGetU24(raw), 0xABCDEFu);
  s.SeekStart();
  uint32_t v32 = 0;
  uint16_t v16 = 0;
  ASSERT_TRUE(s.ReadU32(&v32));
  ASSERT_TRUE(s.ReadU16(&v16));
  EXPECT_EQ(v32, 0x01020304u);
  EXPECT_EQ(v16, 0x1234);
  EXPECT_FALSE(s.ReadU16(&v16));  // at the end
}

TEST(VStream, SeekClampsAndReadsStopAtTheEnd) {
  const char text[] = "0123456789";
  VROMStream s(text, 10);
  s.Seek(-5);
  EXPECT_EQ(s.Position(), 0);
  s.Seek(50);
  EXPECT_EQ(s.Position(), 10);
  s.Seek(7);
  char out[8] = {};
  EXPECT_EQ(s.Read(out, 8), 3);
  EXPECT_STREQ(out, "789");
  EXPECT_FALSE(s.MoreToRead());
  EXPECT_THROW(s.Write("x", 1), VFailure);
  try {
    s.Write("x", 1);
  } catch (const VFailure& f) {
    EXPECT_EQ(f.Code(), -10);
  }
  s.StepBack(100);
  EXPECT_EQ(s.Position(), 0);
  VROMStream text0("zero terminated", 0);  // no length: the text up to its zero
  EXPECT_EQ(text0.Size(), 15);
}

TEST(VStream, ArgumentStreamJoinsWithCarriageReturns) {
  const char* args[] = {"abc", "de", nullptr};
  VARGStream s(args, 2);
  EXPECT_EQ(s.Size(), 7);
  char out[16] = {};
  EXPECT_EQ(s.Read(out, 16), 7);
  EXPECT_EQ(std::string(out, 7), "abc\rde\r");
  VARGStream all(args, 0);  // up to the null pointer
  EXPECT_EQ(all.Size(), 7);
  all.Seek(4);
  EXPECT_EQ(all.Read(out, 2), 2);
  EXPECT_EQ(std::string(out, 2), "de");
  EXPECT_THROW(all.Write("x", 1), VFailure);
}

TEST(VStream, MemoryStreamsGrowAndBound) {
  std::string seed(600, 's');
  VDMemStream grown(seed.data(), 600);
  EXPECT_EQ(grown.Capacity(), 1024);
  EXPECT_EQ(grown.Size(), 600);
  grown.SeekEnd();
  std::string more(500, 'm');
  grown.Write(more.data(), 500);
  EXPECT_EQ(grown.Capacity(), 1120);  // 1100 rounded up to 32
  VDMemStream fresh;
  EXPECT_EQ(fresh.Capacity(), 512);

  char block[8] = {};
  VSMemStream fixed(block, 0, sizeof block);
  EXPECT_EQ(fixed.Write("0123456789", 10), 8);  // never past the caller's block
  EXPECT_EQ(fixed.Size(), 8);
  VSizeStream counter;
  counter.WriteLine("abc", 3);
  counter.WriteU32(1);
  EXPECT_EQ(counter.Size(), 9);
}

TEST(VStream, ReadLineBreaksAndLimits) {
  const char text[] = "a\r\nb\n\rc\rd\n\ne";
  VROMStream s(text, sizeof text - 1);
  char line[8];
  int32_t length = -1;
  std::vector<std::string> lines;
  while (s.ReadLine(line, sizeof line, &length) == 0) lines.emplace_back(line, length);
  EXPECT_EQ(lines, (std::vector<std::string>{"a", "b", "c", "d", "", "e"}));
  EXPECT_EQ(s.ReadLine(line, sizeof line, &length), 1);

  const char crlf[] = "a\r\nb";
  VROMStream t(crlf, 4);
  EXPECT_EQ(t.ReadLine(line, sizeof line, &length), kVOk);
  EXPECT_EQ(t.Position(), 3);  // left at b

  std::string longLine = std::string(20, 'x') + "\nnext";
  VROMStream u(longLine.data(), static_cast<int64_t>(longLine.size()));
  EXPECT_EQ(u.ReadLine(line, sizeof line, &length), 9);
  EXPECT_EQ(length, 7);
  EXPECT_STREQ(line, "xxxxxxx");
  ASSERT_EQ(u.ReadLine(line, sizeof line, &length), 0);
  EXPECT_STREQ(line, "next");

  // A double-byte character is never split: one that does not fit ends the stored part.
  std::string kana = "abcdef" + Sj("ア") + "\n";
  VROMStream v(kana.data(), static_cast<int64_t>(kana.size()));
  EXPECT_EQ(v.ReadLine(line, sizeof line, &length), 9);
  EXPECT_EQ(length, 6);
  // A lead byte right before a line break keeps the break.
  std::string broken = std::string("x\x82\ny");
  VROMStream w(broken.data(), static_cast<int64_t>(broken.size()));
  EXPECT_EQ(w.ReadLine(line, sizeof line, &length), 0);
  EXPECT_EQ(length, 2);
  EXPECT_EQ(w.ReadLine(line, sizeof line, &length), 0);
  EXPECT_STREQ(line, "y");
}

TEST(VStream, ReadUntilDelimiters) {
  const char text[] = "one,two;three";
  VROMStream s(text, sizeof text - 1);
  char out[16];
  int32_t length = 0;
  EXPECT_EQ(s.ReadUntil(out, sizeof out, ",;", 2, &length), 0);
  EXPECT_STREQ(out, "one");
  EXPECT_EQ(s.ReadUntil(out, sizeof out, ",;", 2, &length), 0);
  EXPECT_STREQ(out, "two");
  EXPECT_EQ(s.ReadUntil(out, 3, ",;", 2, &length), 9);
  EXPECT_STREQ(out, "th");
  EXPECT_EQ(s.ReadUntil(out, sizeof out, ",;", 2, &length), 0);
  EXPECT_STREQ(out, "ree");
  EXPECT_EQ(s.ReadUntil(out, sizeof out, ",;", 2, &length), 1);
}

class FileStreamTest : public ::testing::Test {
 protected:
  TempDir dir_;
  std::string path_ = dir_ / "data.bin";
};

TEST_F(FileStreamTest, WindowedWritesAndReadsStraddlingTheWindow) {
  VFile file(path_);
  VFileStream* s = file.WriteStream();
  ASSERT_NE(s, nullptr);
  // 10,000 bytes in pieces of 700: pieces straddle the 4096-byte window.
  std::string expected;
  for (int i = 0; i < 15; ++i) {
    std::string piece(700, static_cast<char>('a' + i));
    ASSERT_EQ(s->Write(piece.data(), 700), 700);
    expected += piece;
  }
  // Seek back into written data outside the window and overwrite across a boundary.
  s->Seek(4000);
  ASSERT_EQ(s->Write("XXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXX"
                     "XXXXXXXXXXXXXXXXXXXXXXXX",
                     100),
            100);
  expected.replace(4000, 100, std::string(100, 'X'));
  // Read a range that straddles the current window.
  s->Seek(3990);
  char out[200];
  ASSERT_EQ(s->Read(out, 200), 200);
  EXPECT_EQ(std::string(out, 200), expected.substr(3990, 200));
  // A large read bypasses the buffer.
  s->Seek(0);
  std::string all(expected.size(), '\0');
  ASSERT_EQ(s->Read(all.data(), static_cast<int32_t>(all.size())), 10500);
  EXPECT_EQ(all, expected);
  ASSERT_EQ(file.Close(), 0);
  EXPECT_EQ(ReadAll(path_), expected);
}

TEST_F(FileStreamTest, WritePastTheEndExtendsTheFile) {
  VFile file(path_);
  VFileStream* s = file.WriteStream();
  ASSERT_NE(s, nullptr);
  s->Write("head", 4);
  EXPECT_EQ(s->WriteOut(), kVOk);
  // The stream's size is 4; a write at 4 + n must leave zeros between.
  s->Seek(4);
  s->WriteRepeated(3, 0);
  s->Write("tail", 4);
  int64_t size = 0;
  ASSERT_EQ(file.Flush(), 0);
  ASSERT_EQ(file.FileSize(&size), 0);
  EXPECT_EQ(size, 11);
  // A big write straight to the file, far beyond the buffer.
  std::string big(9000, 'B');
  s->Write(big.data(), 9000);
  EXPECT_EQ(s->Size(), 9011);
  EXPECT_EQ(file.Close(), kVOk);
  std::string content = ReadAll(path_);
  ASSERT_EQ(content.size(), 9011u);
  EXPECT_EQ(content.substr(0, 11), std::string("head\0\0\0tail", 11));

  VFile again(path_);
  VFileStream* r = again.ReadStream();
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->Size(), 9011);
  EXPECT_THROW(r->Write("x", 1), VFailure);  // opened read-only
  r->Seek(9005);
  char out[16];
  EXPECT_EQ(r->Read(out, 16), 6);
}

TEST_F(FileStreamTest, CopyBetweenFileStreams) {
  {
    VFile source(path_);
    VFileStream* s = source.WriteStream();
    for (int i = 0; i < 3000; ++i) s->WriteU32(static_cast<uint32_t>(i));
  }
  VFile source(path_);
  VFile target(dir_ / "copy.bin");
  ASSERT_EQ(target.CopyFrom(source), 0);
  EXPECT_EQ(ReadAll(dir_ / "copy.bin"), ReadAll(path_));
  VFile missing(dir_ / "missing");
  EXPECT_EQ(target.CopyFrom(missing), -32);
}

}  // namespace
