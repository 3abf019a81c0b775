#include "base/VArray.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "TempDir.h"
#include "base/VDataArray.h"
#include "base/VEndian.h"
#include "base/VList.h"
#include "base/VStream.h"
#include "base/VString.h"

namespace {

int32_t IntAt(const VArray& a, int32_t i) {
  int32_t v = 0;
  a.GetAt(i, &v);
  return v;
}

TEST(VArray, GrowsAndShrinksInStepsOfEight) {
  VArray a(sizeof(int32_t));
  EXPECT_EQ(a.Capacity(), 8);
  for (int32_t i = 0; i < 8; ++i) a.Append(&i);
  EXPECT_EQ(a.Capacity(), 8);
  int32_t ninth = 8;
  a.Append(&ninth);
  EXPECT_EQ(a.Capacity(), 16);
  for (int32_t i = 0; i < 9; ++i) EXPECT_EQ(IntAt(a, i), i);
  a.RemoveLast();  // count 8: not below 16 - 8
  EXPECT_EQ(a.Capacity(), 16);
  a.RemoveFirst();  // count 7
  EXPECT_EQ(a.Capacity(), 8);
  EXPECT_EQ(IntAt(a, 0), 1);
  EXPECT_EQ(IntAt(a, 6), 7);
  a.Reset();
  EXPECT_EQ(a.Count(), 0);
  EXPECT_EQ(a.Capacity(), 8);
}

TEST(VArray, AccessorsClampAndEmptyArraysAnswerNothing) {
  VArray a(sizeof(int32_t));
  int32_t out = -1;
  EXPECT_EQ(a.ElementAt(0), nullptr);
  EXPECT_FALSE(a.GetAt(0, &out));
  EXPECT_FALSE(a.SetAt(0, &out));
  EXPECT_FALSE(a.Pop(&out));
  EXPECT_FALSE(a.RemoveAt(0));
  for (int32_t v : {10, 20, 30}) a.Append(&v);
  EXPECT_EQ(*static_cast<int32_t*>(a.ElementAt(5)), 30);
  EXPECT_EQ(*static_cast<int32_t*>(a.ElementAt(-3)), 10);
  int32_t v = 99;
  a.SetAt(100, &v);
  EXPECT_EQ(IntAt(a, 2), 99);
  EXPECT_FALSE(a.RemoveAt(3));
  EXPECT_FALSE(a.RemoveAt(-1));
  EXPECT_TRUE(a.Pop(&out));
  EXPECT_EQ(out, 99);
  EXPECT_EQ(a.Count(), 2);
}

TEST(VArray, InsertMoveAndFind) {
  VArray a(sizeof(int32_t));
  for (int32_t v = 0; v < 20; ++v) a.InsertAt(v, &v);
  int32_t front = -1;
  a.InsertAt(-5, &front);  // clamped to the start
  EXPECT_EQ(IntAt(a, 0), -1);
  a.Move(0, 20);  // the last element to the front
  EXPECT_EQ(IntAt(a, 0), 19);
  EXPECT_EQ(IntAt(a, 1), -1);
  int32_t index = -1;
  int32_t key = 7;
  EXPECT_TRUE(a.Find(&key, &index));
  EXPECT_EQ(index, 9);
  key = 100;
  EXPECT_FALSE(a.Find(&key, &index));
  a.Compact();
  EXPECT_EQ(a.Capacity(), 21);
}

TEST(VSortArray, BinarySearchEndsAndDuplicates) {
  VSortArray a(4);
  uint8_t key[4];
  int32_t position = -1;
  VPutU32(key, 5);
  EXPECT_FALSE(a.Search(key, &position));
  EXPECT_EQ(position, 0);
  for (uint32_t v : {10u, 20u, 30u, 40u, 50u}) {
    VPutU32(key, v);
    a.InsertSorted(key);
  }
  VPutU32(key, 5);  // below every element
  EXPECT_FALSE(a.Search(key, &position));
  EXPECT_EQ(position, 0);
  VPutU32(key, 60);  // above every element
  EXPECT_FALSE(a.Search(key, &position));
  EXPECT_EQ(position, 5);
  VPutU32(key, 50);
  EXPECT_TRUE(a.Search(key, &position));
  EXPECT_EQ(position, 4);
  VPutU32(key, 35);
  EXPECT_FALSE(a.Search(key, &position));
  EXPECT_EQ(position, 3);
  VPutU32(key, 0x80000000u);  // compared unsigned: above 50
  EXPECT_FALSE(a.Search(key, &position));
  EXPECT_EQ(position, 5);
  // Keys are big-endian: 0x00000100 sorts above 0x000000FF.
  VSortArray b(4);
  uint8_t k1[4] = {0, 0, 1, 0};
  uint8_t k2[4] = {0, 0, 0, 0xFF};
  b.InsertSorted(k1);
  b.InsertSorted(k2);
  EXPECT_EQ(std::memcmp(b.ElementAt(0), k2, 4), 0);
}

TEST(VSortArray, CompareOnEmptyArrayIsFatal) {
  VSortArray a(4);
  uint8_t key[4] = {};
  EXPECT_THROW(a.Compare(0, key), VFailure);
}

class Named : public VSortObj {
 public:
  Named(std::string name, int* deleted) : name_(std::move(name)), deleted_(deleted) {}
  ~Named() override {
    if (deleted_) ++*deleted_;
  }
  int CompareKey(const void* key) const override {
    return name_.compare(static_cast<const char*>(key));
  }
  const void* Key() const override { return name_.c_str(); }

 private:
  std::string name_;
  int* deleted_;
};

TEST(VList, OwnershipRules) {
  int deleted = 0;
  VList list;
  auto* a = new Named("a", &deleted);
  auto* b = new Named("b", &deleted);
  auto* c = new Named("c", &deleted);
  list.Append(a);
  list.Append(b);
  list.Prepend(c);
  EXPECT_EQ(list.IndexOf(c), 0);
  EXPECT_EQ(list.IndexOf(nullptr), -1);
  EXPECT_TRUE(list.Remove(b));  // taken out, not deleted
  EXPECT_EQ(deleted, 0);
  EXPECT_EQ(list.Pop(), a);
  EXPECT_EQ(list.Count(), 1);
  list.Push(a);
  list.DeleteAll();
  EXPECT_EQ(deleted, 2);
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.First(), nullptr);
  EXPECT_EQ(list.Last(), nullptr);
  EXPECT_EQ(list.Pop(), nullptr);
  delete b;
}

// An object that removes itself from its list when deleted, as owners' children do.
class SelfRemoving : public VObj {
 public:
  explicit SelfRemoving(VList* list) : list_(list) {}
  ~SelfRemoving() override { list_->Remove(this); }

 private:
  VList* list_;
};

TEST(VList, DeleteAllToleratesSelfRemovingElements) {
  VList list;
  for (int i = 0; i < 12; ++i) list.Append(new SelfRemoving(&list));
  list.DeleteAll();
  EXPECT_EQ(list.Count(), 0);
}

TEST(VSortList, KeepsUniqueKeysInOrder) {
  int deleted = 0;
  VSortList list;
  for (const char* name : {"m", "c", "x", "a", "p"})
    EXPECT_TRUE(list.Add(new Named(name, &deleted)));
  auto* duplicate = new Named("p", &deleted);
  EXPECT_FALSE(list.Add(duplicate));
  EXPECT_EQ(list.Count(), 5);
  delete duplicate;  // still the caller's
  std::string order;
  for (int32_t i = 0; i < list.Count(); ++i) {
    order += static_cast<const char*>(list.AtAs<Named>(i)->Key());
  }
  EXPECT_EQ(order, "acmpx");
  ASSERT_NE(list.Lookup("x"), nullptr);
  EXPECT_EQ(list.Lookup("b"), nullptr);
  list.DeleteAll();
  EXPECT_EQ(deleted, 6);
}

TEST(VDataArray, ItemsLieInDirectoryOrderWithAlignment) {
  VDataArray a(4);
  uint32_t first = a.AppendItem("abc", 3);
  uint32_t second = a.AppendItem("hello", 5);
  uint32_t zeroth = a.PrependItem("Z", 1);
  EXPECT_EQ(first, 1u);
  EXPECT_EQ(second, 2u);
  EXPECT_EQ(zeroth, 3u);
  EXPECT_EQ(a.PoolUsed(), 4u + 4u + 8u);
  uint16_t length = 0;
  const uint8_t* item = a.ItemAt(1, &length);
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(length, 3);
  EXPECT_EQ(std::memcmp(item, "abc", 3), 0);
  item = a.ItemById(second, &length);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(item), length), "hello");
  EXPECT_TRUE(a.RemoveById(first));
  EXPECT_EQ(a.ItemById(first, &length), nullptr);
  item = a.ItemAt(1, &length);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(item), length), "hello");
  EXPECT_EQ(a.ItemAt(2, &length), nullptr);
  EXPECT_EQ(a.AppendItem("x", 1), 4u);  // identifiers are never reused
}

TEST(VDataArray, PoolGrowsInKilobyteSteps) {
  VDataArray a(1);
  std::string big(1500, 'q');
  a.AppendItem(big.data(), static_cast<uint16_t>(big.size()));
  EXPECT_EQ(a.PoolCapacity(), 2048u);
  a.AppendItem(big.data(), static_cast<uint16_t>(big.size()));
  EXPECT_EQ(a.PoolCapacity(), 3072u);
  a.RemoveFirstItem();
  a.Compact();
  EXPECT_EQ(a.PoolCapacity(), 1500u);
  a.Reset();
  EXPECT_EQ(a.PoolCapacity(), 1024u);
}

TEST(VStringArray, StoresTerminatedCopies) {
  VStringArray names;
  uint32_t id = names.AppendString("alpha");
  names.AppendString(VString("beta"));
  uint8_t pascal[] = {3, 'x', 'y', 'z'};
  names.InsertPascal(0, pascal);
  EXPECT_STREQ(names.StringAt(0), "xyz");
  EXPECT_STREQ(names.StringById(id), "alpha");
  char small[4];
  EXPECT_TRUE(names.StringAt(1, small, sizeof small));
  EXPECT_STREQ(small, "alp");
  VString out;
  EXPECT_TRUE(names.StringAt(2, out));
  EXPECT_EQ(out, "beta");
  uint8_t p[256];
  EXPECT_TRUE(names.PascalById(id, p));
  EXPECT_EQ(p[0], 5);
  EXPECT_FALSE(names.StringAt(3, out));
  EXPECT_EQ(names.StringAt(3), nullptr);
}

TEST(VArrayPersistence, RoundTripsThroughStreamsAndFiles) {
  VArray a(3);
  for (int i = 0; i < 10; ++i) {
    uint8_t e[3] = {static_cast<uint8_t>(i), 0xAA, static_cast<uint8_t>(255 - i)};
    a.Append(e);
  }
  VDMemStream stream;
  ASSERT_TRUE(a.WriteTo(stream));
  ASSERT_EQ(stream.Size(), 4 + 2 + 30);
  const uint8_t* bytes = stream.Data();
  EXPECT_EQ(VGetU32(bytes), 10u);
  EXPECT_EQ(VGetU16(bytes + 4), 3u);
  EXPECT_EQ(bytes[6 + 3 * 9 + 2], 246);
  VArray b(3);
  stream.SeekStart();
  ASSERT_TRUE(b.ReadFrom(stream));
  EXPECT_EQ(b.Count(), 10);
  EXPECT_EQ(b.Capacity(), 10);
  EXPECT_EQ(std::memcmp(a.Data(), b.Data(), 30), 0);

  TempDir dir;
  ASSERT_TRUE(a.SaveToFile((dir / "array.bin").c_str()));
  VArray c(3);
  EXPECT_FALSE(c.LoadFromFile((dir / "missing.bin").c_str()));
  ASSERT_TRUE(c.LoadFromFile((dir / "array.bin").c_str()));
  EXPECT_EQ(std::memcmp(a.Data(), c.Data(), 30), 0);
}

TEST(VArrayPersistence, RefusesCountsTheStreamCannotBack) {
  uint8_t lying[] = {0x7F, 0xFF, 0xFF, 0xFF, 0x00, 0x04, 1, 2, 3, 4};
  VROMStream in(lying, sizeof lying);
  VArray a(4);
  EXPECT_FALSE(a.ReadFrom(in));
  EXPECT_EQ(a.Count(), 0);
  uint8_t wrongSize[] = {0, 0, 0, 1, 0x00, 0x02, 1, 2};
  VROMStream in2(wrongSize, sizeof wrongSize);
  EXPECT_FALSE(a.ReadFrom(in2));
}

TEST(VDataArrayPersistence, RoundTripsAndRejectsInconsistentPools) {
  VStringArray a(2);
  a.AppendString("one");
  a.AppendString("three");
  a.RemoveFirstItem();
  a.AppendString("four");
  VDMemStream stream;
  ASSERT_TRUE(a.WriteTo(stream));
  VStringArray b(2);
  stream.SeekStart();
  ASSERT_TRUE(b.ReadFrom(stream));
  EXPECT_STREQ(b.StringAt(0), "three");
  EXPECT_STREQ(b.StringAt(1), "four");
  EXPECT_EQ(b.AppendString("five"), 4u);  // the last identifier issued travels too

  // Claim one more pool byte than the directory describes.
  std::string bytes(reinterpret_cast<const char*>(stream.Data()), stream.Size());
  size_t usedAt = 4 + 2 + 16 + 4 + 4;
  bytes[usedAt + 3] = static_cast<char>(bytes[usedAt + 3] + 1);
  VROMStream broken(bytes.data(), static_cast<int64_t>(bytes.size()));
  VStringArray c(2);
  EXPECT_FALSE(c.ReadFrom(broken));
  EXPECT_EQ(c.Count(), 0);
}

}  // namespace

namespace {

// Four threads take one lock, each entry nested inside another, and change a plain counter in
// two steps: a missing exclusion or a nested leave that lets go early loses updates.
TEST(VCritical, ExcludesOtherThreadsAndNestsWithinOne) {
  VCritical critical;
  int64_t counter = 0;
  auto work = [&] {
    for (int i = 0; i < 20000; ++i) {
      VCriticalLock outer(critical);
      const int64_t seen = counter;
      {
        VCriticalLock inner(critical);
        counter = seen + 1;
      }
      counter += 1;  // still held after the nested entry has left
    }
  };
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) threads.emplace_back(work);
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(counter, 4 * 20000 * 2);
}

}  // namespace
