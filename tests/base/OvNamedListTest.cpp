#include "base/OvNamedList.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "Sjis.h"

namespace {

// Counts its deletions, so that a test sees which objects the list deleted.
class Counted : public OvNamedObj {
 public:
  Counted(const std::string& name, int* deaths) : OvNamedObj(name.c_str()), deaths_(deaths) {}
  ~Counted() override { ++*deaths_; }
  uint32_t KindCode() const override { return OvKindCode("Cntd"); }

 private:
  int* deaths_;
};

std::string NameOf(const OvNamedObj* object) {
  return object != nullptr && object->HasName() ? object->Name() : "(none)";
}

TEST(OvNamedObj, NamesAreCopiesAndEmptyTextIsNoName) {
  EXPECT_EQ(OvNamedObj().KindCode(), 0x4E4F626Au);  // "NObj"
  char text[] = "abc";
  OvNamedObj object(text);
  text[0] = 'x';
  EXPECT_STREQ(object.Name(), "abc");
  EXPECT_EQ(object.NameLength(), 3u);
  object.SetName("");
  EXPECT_FALSE(object.HasName());
  EXPECT_EQ(object.Name(), nullptr);
  object.SetName("abcdef", 2);
  EXPECT_STREQ(object.Name(), "ab");
  object.SetName(nullptr);
  EXPECT_FALSE(object.HasName());
  object.SetName("a", -1);
  EXPECT_FALSE(object.HasName());
  EXPECT_FALSE(object.EqualsName(""));
}

TEST(OvNamedObj, GetNameNeverEndsInsideADoubleByteCharacter) {
  OvNamedObj object(Sj("顧客A").c_str());
  char buffer[8];
  std::memset(buffer, 'x', sizeof buffer);
  object.GetName(buffer, 4);  // room for 3 bytes: one character, not one and a half
  EXPECT_EQ(std::string(buffer), Sj("顧"));
  object.GetName(buffer, 6);
  EXPECT_EQ(std::string(buffer), Sj("顧客A"));
  object.GetName(buffer, 1);
  EXPECT_EQ(buffer[0], 0);
  OvNamedObj().GetName(buffer, sizeof buffer);
  EXPECT_EQ(buffer[0], 0);
}

TEST(OvNamedObj, FoldingOptionsAreOffUnlessAsked) {
  OvNamedObj object(Sj("Ａbc１").c_str());
  EXPECT_TRUE(object.EqualsName(Sj("Ａbc１").c_str()));
  EXPECT_FALSE(object.EqualsName("Abc1"));
  EXPECT_FALSE(object.EqualsName(Sj("ａBC１").c_str()));
  EXPECT_TRUE(object.EqualsName("Abc1", false, true));
  EXPECT_FALSE(object.EqualsName("ABC1", false, true));
  EXPECT_TRUE(object.EqualsName("aBC1", true, true));
  // Case folding alone applies to single-byte letters only.
  EXPECT_FALSE(object.EqualsName(Sj("ａbc１").c_str(), true, false));
  EXPECT_TRUE(object.EqualsName(Sj("ＡBC１").c_str(), true, false));
  EXPECT_FALSE(object.EqualsName("Abc", true, true));
  // Case folding never touches double-byte characters other than by width.
  OvNamedObj kana(Sj("あ").c_str());
  EXPECT_FALSE(kana.EqualsName(Sj("ア").c_str(), true, true));
}

TEST(OvNamedList, AddReplaceFindAndRemoveDeleteWhatTheyTakeOut) {
  int deaths = 0;
  {
    OvNamedList list;
    list.Add(std::make_unique<Counted>("a", &deaths), true);
    list.Add(std::make_unique<Counted>("ab", &deaths), true);
    list.Add(std::make_unique<Counted>("a", &deaths), false);  // a second "a", kept
    list.Add(nullptr, true);
    // Already there: neither deleted nor added twice.
    EXPECT_EQ(list.Add(std::unique_ptr<OvNamedObj>(list.NamedAt(0)), true), list.NamedAt(0));
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(deaths, 0);
    list.Add(std::make_unique<Counted>("a", &deaths), true);  // replaces the first "a" only
    EXPECT_EQ(deaths, 1);
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(NameOf(list.NamedAt(0)), "ab");
    EXPECT_EQ(NameOf(list.NamedAt(2)), "a");
    EXPECT_EQ(list.NamedAt(3), nullptr);
    EXPECT_EQ(list.NamedAt(-1), nullptr);

    // Counted names: exactly length bytes of the text.
    EXPECT_EQ(list.FindByCountedName("abc", 2), list.NamedAt(0));
    EXPECT_EQ(list.FindByCountedName("abc", 1), list.NamedAt(1));
    EXPECT_EQ(list.FindByCountedName("abc", 3), nullptr);
    EXPECT_EQ(list.FindByCountedName(nullptr, 1), nullptr);
    EXPECT_EQ(list.FindByCountedName("a", -1), nullptr);
    EXPECT_EQ(list.FindByName(nullptr), nullptr);
    EXPECT_EQ(list.FindByName("A"), nullptr);
    EXPECT_EQ(list.FindByName("A", true), list.NamedAt(1));
    EXPECT_TRUE(list.ContainsName("ab"));
    EXPECT_FALSE(list.ContainsCountedName("ab", 0));

    EXPECT_TRUE(list.RemoveByCountedName("abz", 2));
    EXPECT_EQ(deaths, 2);
    EXPECT_FALSE(list.RemoveByName("zz"));
    list.DeleteAt(5);
    list.DeleteAt(-1);
    EXPECT_EQ(list.Count(), 2);
    list.DeleteAt(0);
    EXPECT_EQ(deaths, 3);
    EXPECT_TRUE(list.RemoveByName("a"));
    EXPECT_EQ(deaths, 4);
    EXPECT_EQ(list.Count(), 0);
    list.Add(std::make_unique<Counted>("x", &deaths), false);
    list.Add(std::make_unique<Counted>("y", &deaths), false);
  }
  // The list deletes what it holds when it goes.
  EXPECT_EQ(deaths, 6);
}

TEST(OvNamedList, UnnamedObjectsReplaceAndMatchNothing) {
  OvNamedList list;
  list.Add(std::make_unique<OvNamedObj>(), true);
  list.Add(std::make_unique<OvNamedObj>(), true);
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(list.FindByName(""), nullptr);
  EXPECT_EQ(list.FindByCountedName("", 0), nullptr);
}

TEST(OvNamedList, CloneAndAssignMakePlainCopies) {
  int deaths = 0;
  OvNamedList list;
  list.Add(std::make_unique<Counted>(Sj("一覧"), &deaths), false);
  list.Add(std::make_unique<OvNamedObj>(), false);
  list.Add(std::make_unique<Counted>("b", &deaths), false);
  std::unique_ptr<OvNamedList> copy = list.Clone();
  ASSERT_EQ(copy->Count(), 3);
  EXPECT_EQ(NameOf(copy->NamedAt(0)), Sj("一覧"));
  EXPECT_EQ(copy->NamedAt(0)->KindCode(), OvNamedObj::kKindCode);
  EXPECT_NE(copy->NamedAt(0), list.NamedAt(0));
  EXPECT_FALSE(copy->NamedAt(1)->HasName());

  OvNamedList other;
  other.Add(std::make_unique<Counted>("old", &deaths), false);
  other.Assign(list);
  EXPECT_EQ(deaths, 1);
  ASSERT_EQ(other.Count(), 3);
  EXPECT_EQ(NameOf(other.NamedAt(2)), "b");
  other.Assign(other);
  EXPECT_EQ(other.Count(), 3);
}

}  // namespace
