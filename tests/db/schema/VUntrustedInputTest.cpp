// Random mutations of sound record buffers, schema texts and format texts fed to the readers.
// Every buffer is an exact-size heap copy, so that the sanitizers catch any read outside it.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "Sjis.h"
#include "base/VStream.h"
#include "db/schema/VLongDataStore.h"
#include "db/schema/VRecFormat.h"
#include "db/schema/VRecord.h"
#include "db/schema/VSchema.h"
#include "db/schema/VSystemSchemas.h"
#include "db/schema/VVDD.h"

namespace {

using Bytes = std::vector<uint8_t>;

class Mutator {
 public:
  explicit Mutator(uint32_t seed) : random_(seed) {}

  int Below(int n) { return static_cast<int>(random_() % static_cast<uint32_t>(n)); }

  Bytes Mutate(const Bytes& original) {
    Bytes b = original;
    int edits = 1 + Below(4);
    for (int i = 0; i < edits; ++i) {
      size_t at = b.empty() ? 0 : static_cast<size_t>(Below(static_cast<int>(b.size())));
      switch (Below(7)) {
        case 0:
          if (!b.empty()) b[at] = static_cast<uint8_t>(random_());
          break;
        case 1:
          if (!b.empty()) b[at] ^= static_cast<uint8_t>(1 << Below(8));
          break;
        case 2:
          b.insert(b.begin() + static_cast<long>(at), static_cast<uint8_t>(random_()));
          break;
        case 3:
          if (!b.empty()) b.erase(b.begin() + static_cast<long>(at));
          break;
        case 4:
          b.resize(at);
          break;
        case 5: {
          static const uint8_t kSpecial[] = {0,   0xFF, 0x82, 0x81, '[', ']', '"',  '\'', '+',
                                             '(', ')',  '=',  '%',  '/', ';', 0x7C, 0xFE, 1};
          if (!b.empty()) b[at] = kSpecial[Below(sizeof kSpecial)];
          break;
        }
        default:
          if (b.size() > 2) {  // duplicate a slice
            size_t from = static_cast<size_t>(Below(static_cast<int>(b.size())));
            size_t n = static_cast<size_t>(Below(static_cast<int>(b.size() - from)) + 1);
            Bytes slice(b.begin() + static_cast<long>(from),
                        b.begin() + static_cast<long>(from + n));
            b.insert(b.begin() + static_cast<long>(at), slice.begin(), slice.end());
          }
          break;
      }
    }
    return b;
  }

 private:
  std::mt19937 random_;
};

Bytes SampleRecord(VMemLongDataStore* store) {
  VRecord r;
  auto add = [&](int item, Bytes v) {
    EXPECT_EQ(r.AddValue(item, v.data(), static_cast<int32_t>(v.size())), kVOk);
  };
  add(1, {kVTypeString, 3, 'a', 'b', 'c'});
  add(1, {kVTypeString, 2, 0x82, 0xA0});
  add(2, {kVTypeNumber, 4, '1', '2', '.', '5'});
  add(3, {kVTypeFlag, 1});
  add(4, {kVTypeDate, 8, '1', '9', '5', '1', '0', '7', '2', '2'});
  add(5, {kVTypePacket, 0, 3, 'x', 'y', 'z'});
  add(5, {kVTypeLString, 0, 1, 'q'});
  add(6, {kVTypeInteger, 2, '-', '7'});
  add(7, {kVTypeChar, 'c'});
  std::string text = "long data";
  EXPECT_EQ(r.SetValueFromText(8, kVTypeText, reinterpret_cast<const uint8_t*>(text.data()),
                               static_cast<int32_t>(text.size()), store),
            kVOk);
  add(255, {kVTypeBinary, 2, 0, 1});
  return Bytes(r.Image(), r.Image() + r.ImageLength());
}

const char* const kFormats[] = {
    "[1(/t)] %sn [2] %4i [3] %fn [4] %dn [5] %6p [6(1-3)] %2i [7] %1c /r;",
    "[1]-[8] %st 3X [255] %4b;",
    "[2] %nn [4] %on [1(2)] %10s;",
};

// Everything a reader may do with a record buffer from storage.
void ExerciseRecord(const Bytes& image, VMemLongDataStore* store) {
  VRecordView view(image.data(), image.size());
  bool sound = view.Check() == kVOk;
  view.ItemCount();
  uint8_t buffer[kVMaxKeyValues];
  int32_t count = 0, length = 0;
  const uint8_t operand[] = {1, '5', 3, 'a', 'b', 'c'};
  for (int item : {0, 1, 2, 3, 5, 8, 200, 255}) {
    view.OccurrenceCount(item);
    for (int k = 0; k <= 3; ++k) {
      VValueRef ref;
      if (view.ValueRef(item, k, &ref) == kVOk) {
        // A value handed out lies inside the buffer.
        ASSERT_GE(ref.value, image.data());
        ASSERT_LE(ref.value + ref.size, image.data() + image.size());
        ASSERT_LE(ref.bytes + ref.length, image.data() + image.size());
      }
      view.ValueLength(item, k);
      // Any answer will do on damaged input: what is tested is that nothing is read out of bounds.
      (void)view.ValueText(item, k, buffer, 300, &length, store);
    }
    for (int op : {kVOpEqual, kVOpStartsWith, kVOpContains, kVOpIsPartOf, kVOpRange, kVOpList}) {
      view.Match(item, op, sizeof operand, operand, store);
    }
  }
  const uint8_t one[] = {1}, several[] = {1, 2, 4, 7, 8};
  // Any answer will do on damaged input: what is tested is that nothing is read out of bounds.
  (void)view.KeyValue(one, &count, buffer, sizeof buffer, &length);
  (void)view.KeyValue(several, &count, buffer, sizeof buffer, &length);
  (void)view.TaggedValues(several, buffer, sizeof buffer, &length);
  for (const char* format : kFormats) {
    VRecFormat compiled;
    ASSERT_EQ(compiled.Compile(format), kVOk);
    VSizeStream sink;
    // Any answer will do on damaged input: what is tested is that nothing is read out of bounds.
    (void)compiled.Export(view, sink, store);
  }
  VRecord loaded;
  VResult result = loaded.Load(image.data(), static_cast<int32_t>(image.size()));
  ASSERT_EQ(result == kVOk, sound);
  if (sound) {
    // A record that loads can grow and still be sound.
    Bytes v = {kVTypeString, 1, 'n'};
    // Any answer will do on damaged input: what is tested is that nothing is read out of bounds.
    (void)loaded.AddValue(9, v.data(), 3);
    (void)loaded.AddValue(1, v.data(), 3);
    ASSERT_EQ(loaded.View().Check(), kVOk);
  }
}

TEST(VUntrustedInputTest, MutatedRecordBuffers) {
  VMemLongDataStore store;
  Bytes sample = SampleRecord(&store);
  ExerciseRecord(sample, &store);
  Mutator mutator(20240611);
  for (int i = 0; i < 4000; ++i) {
    Bytes image = mutator.Mutate(sample);
    ExerciseRecord(image, &store);
    if (HasFatalFailure()) FAIL() << "mutation " << i;
  }
}

TEST(VUntrustedInputTest, MutatedSchemaTexts) {
  std::vector<Bytes> samples;
  for (const char* const* lines : {kVSchemaDataDictionary, kVSchemaUserFile, kVSchemaValueFile,
                                   kVSchemaTransactionLog, kVSchemaCommandLog}) {
    std::string text;
    for (int i = 0; lines[i]; ++i) text += std::string(lines[i]) + "\r";
    samples.emplace_back(text.begin(), text.end());
  }
  std::string extra = "[DB] NAME = 'x' [FILE:2] BS = (1,2) [ITEM:1] NAME = " + Sj("名前") +
                      " [KEY:1] TYPE = \"String,Reverse\" BIND = [1(1-2)] + [3] + [0]";
  samples.emplace_back(extra.begin(), extra.end());
  Mutator mutator(77);
  int read = 0;
  for (int i = 0; i < 4000; ++i) {
    Bytes text = mutator.Mutate(samples[static_cast<size_t>(i) % samples.size()]);
    if (text.empty()) continue;  // a length of 0 means a zero-terminated text
    VResult result = 0;
    auto schema = ReadSchema(text.data(), static_cast<int64_t>(text.size()), &result);
    if (!schema) {
      ASSERT_LT(result, 0);
      continue;
    }
    ++read;
    // Whatever reads writes a text that reads back to the same text.
    std::string written = schema->Text();
    Bytes copy(written.begin(), written.end());
    auto again = ReadSchema(copy.data(), static_cast<int64_t>(copy.size()), &result);
    ASSERT_NE(again, nullptr) << written;
    ASSERT_EQ(again->Text(), written);
  }
  EXPECT_GT(read, 100);  // the mutations leave many texts readable
}

TEST(VUntrustedInputTest, MutatedFormatTexts) {
  VMemLongDataStore store;
  Bytes sample = SampleRecord(&store);
  VRecord record;
  ASSERT_EQ(record.Load(sample.data(), static_cast<int32_t>(sample.size())), kVOk);
  Mutator mutator(5);
  int compiledCount = 0;
  for (int i = 0; i < 3000; ++i) {
    std::string base = kFormats[i % 3];
    Bytes text = mutator.Mutate(Bytes(base.begin(), base.end()));
    std::string format(text.begin(), text.end());
    VRecFormat compiled;
    if (compiled.Compile(format) != kVOk) continue;
    ++compiledCount;
    VDMemStream out;
    // Any answer will do on damaged input: what is tested is that nothing is read out of bounds.
    (void)compiled.Export(record.View(), out, &store);
    // Read back what was written, from an exact-size block.
    Bytes written(out.Data(), out.Data() + out.Size());
    Bytes block = mutator.Mutate(written);
    VRecord back;
    // Any answer will do on damaged input: what is tested is that nothing is read out of bounds.
    (void)back.Pack(format, block.data(), static_cast<int32_t>(block.size()), &store);
    ASSERT_EQ(back.View().Check(), kVOk);
  }
  EXPECT_GT(compiledCount, 100);
}

}  // namespace
