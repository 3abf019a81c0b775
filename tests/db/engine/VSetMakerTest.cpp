// Reading query statements: every form of the syntax shown back in its canonical form, the match
// kinds of the markers, name resolution, and statements of any bytes failing cleanly.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "QuerySupport.h"
#include "Sjis.h"
#include "db/engine/VSetMaker.h"

namespace {

// The shown form of a statement, or "FAIL".
std::string Shown(const std::string& statement) {
  VSetMaker maker;
  if (maker.Parse(Bytes(statement)) != kVOk) return "FAIL";
  EXPECT_TRUE(maker.IsMade());
  return maker.Show();
}

const VExpItem& FirstCondition(const VSetMaker& maker) {
  for (int32_t i = 0; i < maker.Count(); ++i) {
    if (maker.At(i).Kind() == VSMEntry::kItem) return static_cast<const VExpItem&>(maker.At(i));
  }
  ADD_FAILURE() << "no condition";
  static const VExpItem none(0, "", VExpValue());
  return none;
}

TEST(VSetMakerSyntax, EveryFormIsShownCanonically) {
  const std::pair<std::string, std::string> cases[] = {
      {"[name] = \"ab\"?", "[name] = \"ab\"?"},
      {"[K:2] = 'it''s'", "[K:2] = \"it's\""},
      {"[k:2]:\"a\"\"b\"", "[K:2] = \"a\"\"b\""},
      {"price = 1000000 - 2000000", "[price] = N\"1000000\" - N\"2000000\""},
      {"[price]=1~2", "[price] = N\"1\" - N\"2\""},
      {"[price] = -5 - -1.25", "[price] = N\"-5\" - N\"-1.25\""},
      {"[price] = +7", "[price] = N\"+7\""},
      {"[code] = \"a\", \"b\",\"c\"", "[code] = (\"a\", \"b\", \"c\")"},
      {"[code] = (\"a\" \"b\")", "[code] = (\"a\", \"b\")"},
      {"[code] = (a, b2, 3)", "[code] = (\"a\", \"b2\", N\"3\")"},
      {"[code] = (\"a\")", "[code] = \"a\""},
      {"[code] = a\tb", "[code] = (\"a\", \"b\")"},
      {"[born] = D\"2001/02/03\"", "[born] = D\"2001/02/03\""},
      {"[born] = date'2001/02/03' - DATE\"2002/1/1\"", "[born] = D\"2001/02/03\" - D\"2002/1/1\""},
      {"[x] = DateTime\"2001/1/1 10:00\"", "[x] = O\"2001/1/1 10:00\""},
      {"[x] = o'1' or [y] = time\"10:00\" or [z] = t'1'",
       "[x] = O\"1\" or [y] = T\"10:00\" or [z] = T\"1\""},
      {"[x] = S\"s\" and [y] = string'q' and [z] = n\"5\" and [w] = Number'6'",
       "[x] = \"s\" and [y] = \"q\" and [z] = N\"5\" and [w] = N\"6\""},
      {"[x] = d", "[x] = \"d\""},
      {"(#1 OR #22) AnD [I:name] = abc12", "(#1 or #22) and [I:name] = \"abc12\""},
      {"none or NULL", "null or null"},
      {"ALL not [tag] = ?'x'?", "all not [tag] = ?\"x\"?"},
      {"all;trailing text is not read", "all"},
      {"  ( ( all ) )  ", "((all))"},
      {"[X:name] = 1", "[name] = N\"1\""},
      {"K:name = 1", "[K:name] = N\"1\""},
      {"[my item] = 1", "[my item] = N\"1\""},
  };
  for (const auto& [statement, shown] : cases) {
    EXPECT_EQ(Shown(statement), shown) << statement;
    // The shown form reads again as the same statement.
    EXPECT_EQ(Shown(shown), shown) << shown;
  }
}

TEST(VSetMakerSyntax, MarkersChooseTheMatchKind) {
  const std::pair<const char*, int> cases[] = {
      {"\"x\"", 16},        {"\"x\"?", 17},        {"?\"x\"", 18},         {"?\"x\"?", 19},
      {"\"x\"!", 25},       {"!\"x\"", 26},        {"!\"x\"!", 27},        {"\"x\" - \"y\"", 32},
      {"\"x\", \"y\"", 64}, {"\"x\"?, \"y\"", 64}, {"\"x\", ?\"y\"?", 64}, {"!\"x\" - \"y\"", 32},
  };
  for (const auto& [value, kind] : cases) {
    VSetMaker maker;
    ASSERT_EQ(maker.Parse(Bytes(std::string("[a] = ") + value)), kVOk) << value;
    EXPECT_EQ(FirstCondition(maker).Value().MatchKind(), kind) << value;
  }
}

TEST(VSetMakerSyntax, ListsAndRangesKeepTheMarkersOfEachValue) {
  EXPECT_EQ(Shown("[a] = \"x\"?, \"y\", ?\"z\""), Shown("[a] = (\"x\"? \"y\" ?\"z\")"));
  const std::string shown = Shown("[a] = \"x\"?, \"y\", ?\"z\"");
  EXPECT_NE(shown, "FAIL");
  EXPECT_EQ(Shown(shown), shown);
  EXPECT_NE(shown.find("\"x\"?"), std::string::npos) << shown;
  EXPECT_NE(shown.find("?\"z\""), std::string::npos) << shown;
  EXPECT_EQ(Shown("[a] = \"x\"? - !\"y\""), "[a] = \"x\"? - !\"y\"");
}

TEST(VSetMakerSyntax, DoubleByteCharactersAreNeverTakenForSyntax) {
  // "]" (0x5D) and "~" (0x7E) are the trail bytes of these characters.
  const std::string bracket = Sj("ゾ");
  const std::string tilde = Sj("ミ");
  ASSERT_EQ(static_cast<uint8_t>(bracket[1]), 0x5D);
  ASSERT_EQ(static_cast<uint8_t>(tilde[1]), 0x7E);
  VSetMaker maker;
  ASSERT_EQ(maker.Parse(Bytes("[" + bracket + "] = \"" + Sj("日本") + "\"?")), kVOk);
  EXPECT_EQ(FirstCondition(maker).Name(), bracket);
  EXPECT_EQ(FirstCondition(maker).Value().At(0).Text(), Sj("日本"));
  EXPECT_EQ(FirstCondition(maker).Value().MatchKind(), 17);
  ASSERT_EQ(maker.Parse(Bytes(bracket + " = \"" + tilde + "\"")), kVOk);
  EXPECT_EQ(FirstCondition(maker).Value().Shape(), VExpValue::kSingle);
  // A bare word is ASCII letters and digits only.
  EXPECT_EQ(Shown("[a] = " + Sj("日本")), "FAIL");
}

TEST(VSetMakerSyntax, BadStatementsFailAsAWhole) {
  const std::string name31(31, 'n');
  const std::string name32(32, 'n');
  EXPECT_NE(Shown("[" + name31 + "] = 1"), "FAIL");
  EXPECT_NE(Shown("[I:" + name31 + "] = 1"), "FAIL");
  std::string deep = "all";
  for (int i = 0; i < VSetMaker::kMaxDepth; ++i) deep = "(" + deep + ")";
  EXPECT_NE(Shown(deep), "FAIL");
  const std::string bad[] = {
      "",
      "al",
      "[a",
      "(all",
      "all)",
      "((all)",
      "(all;)",
      "()",
      "all or",
      "or all",
      "all xyz",
      "all and not all",
      "#",
      "#1 and",
      "#99999999999 or all",
      "[" + name32 + "] = 1",
      "[]=1",
      "[:name] = 1",
      "[I:] = 1",
      "na;me = 1",
      "name= 1",
      "name",
      "[name]",
      "[name] =",
      "[name] = \"abc",
      "[name] = ?\"a\"!",
      "[name] = ?abc",
      "[name] = (\"a\", \"b\"",
      "[name] = (\"a\"; \"b\")",
      "[name] = \"a\"\"b",
      "[name] = +ab",
      "[name] = 1.",
      "[name] = 1.2.3",
      "[name] = .5",
      "[name] = Q\"x\"",
      "[name] = \"a\"'b'",
      "[name] = a - ",
      "[name] = 1 - - 2",
      "(" + deep + ")",
  };
  for (const std::string& statement : bad) EXPECT_EQ(Shown(statement), "FAIL") << statement;
}

TEST(VSetMakerSyntax, LengthLimits) {
  std::string longest = "all" + std::string(VSetMaker::kMaxLength - 4, ' ');
  ASSERT_EQ(longest.size(), 0x7BFFu);
  EXPECT_EQ(Shown(longest), "all");
  EXPECT_EQ(Shown(longest + " "), "FAIL");
  EXPECT_EQ(Shown("#1"), "FAIL");
  EXPECT_EQ(Shown("#12"), "#12");
}

TEST(VSetMakerResolve, KeysBeforeItemsAndTheLetterDecides) {
  PeopleFile people;
  const struct {
    const char* statement;
    bool ok;
    bool key;
    int number;
  } cases[] = {
      {"[name] = 1", true, true, 1},      {"[K:name] = 1", true, true, 1},
      {"[I:name] = 1", true, false, 1},   {"[kcode] = 1", true, true, 2},
      {"[code] = 1", true, false, 2},     {"[K:code] = 1", false, false, 0},
      {"[I:kcode] = 1", false, false, 0}, {"[2] = 1", true, true, 2},
      {"[K:2] = 1", true, true, 2},       {"[I:2] = 1", true, false, 2},
      {"[I:6] = 1", true, false, 6},      {"[6] = 1", false, false, 0},
      {"[I:7] = 1", false, false, 0},     {"[nosuch] = 1", false, false, 0},
      {"[Name] = 1", false, false, 0},
  };
  for (const auto& c : cases) {
    VSetMaker maker;
    ASSERT_EQ(maker.Parse(Bytes(c.statement)), kVOk) << c.statement;
    EXPECT_EQ(maker.Resolve(people.Schema()) == kVOk, c.ok) << c.statement;
    if (!c.ok) continue;
    EXPECT_EQ(FirstCondition(maker).IsKey(), c.key) << c.statement;
    EXPECT_EQ(FirstCondition(maker).Number(), c.number) << c.statement;
  }
}

// Whatever the bytes, SetMake answers a set or -2114, and a failure adds nothing to the list.
TEST(VSetMakerSyntax, StatementsOfAnyBytesFailCleanly) {
  PeopleFile people;
  people.Insert({{1, "abc"}, {2, "a"}, {3, "5"}});
  const int32_t kept = people.Make("all");
  ASSERT_GT(kept, 0);
  std::mt19937 random(8);
  const std::string pieces[] = {
      "[",    "]",    "(",  ")",    "\"",       "'",    "?",
      "!",    "-",    "~",  ",",    ";",        " ",    "=",
      ":",    "#1",   "#",  "and",  "or",       "not",  "all",
      "null", "name", "I:", "K:",   "code",     "1",    "-2.5",
      "D",    "N",    "\t", "\x82", "\x83\x5D", "\xFF", std::string(1, '\0'),
      "abc"};
  for (int round = 0; round < 3000; ++round) {
    std::string statement;
    const int length = static_cast<int>(random() % 16);
    for (int i = 0; i < length; ++i) {
      statement += random() % 4 == 0 ? std::string(1, static_cast<char>(random() % 256))
                                     : pieces[random() % std::size(pieces)];
    }
    const int32_t before = people.Sets().Count();
    uint32_t size = 0;
    const int32_t id = people.Make(statement, &size);
    if (id > 0) {
      EXPECT_LE(size, 1u);
      EXPECT_EQ(people.FileSets().SetCancel(id), kVOk);
    } else {
      EXPECT_EQ(id, kVStatementFailed) << statement;
    }
    EXPECT_EQ(people.Sets().Count(), before);
  }
  // The long statements of the limits: a garbage one and an unbalanced one.
  EXPECT_EQ(people.Make(std::string(0x7BFF, '(')), kVStatementFailed);
  EXPECT_EQ(people.Make(std::string(0x7BFF, '\x81')), kVStatementFailed);
  EXPECT_EQ(people.Make(std::string(0x7C00, ' ') + "all"), kVStatementFailed);
  EXPECT_EQ(people.Members(kept), std::vector<uint32_t>{1});
  EXPECT_EQ(people.Sets().Count(), 1);
}

}  // namespace
