// The texts of finding: the preparation of sub-statements (quoted parentheses, value lists, the
// padding blank, failures, any bytes) and half-width katakana made full-width.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>

#include "Sjis.h"
#include "gt/OvRecordSet.h"
#include "script/OvFindText.h"

namespace {

// ---- sub-statements, without a database ----

struct Prepared {
  std::vector<std::string> levels;  // the texts each level handed to the engine
  std::vector<int32_t> dropped;
  VResult result = kVOk;
};

Prepared Prepare(std::string_view statement, std::string_view failing = {}, int32_t first = 10) {
  Prepared out;
  int32_t next = first;
  int32_t set = 0;
  uint32_t count = 0;
  out.result = OvRunPrepared(
      statement,
      [&](const std::string& level, int32_t* made, uint32_t* n) -> VResult {
        out.levels.push_back(level);
        if (!failing.empty() && level.find(failing) != std::string::npos) return -2114;
        *made = next++;
        *n = 1;
        return kVOk;
      },
      [&](int32_t sub) { out.dropped.push_back(sub); }, &set, &count);
  return out;
}

TEST(OvPrepare, SubStatementsRunFirstAndTheirSetsTakeTheirPlace) {
  Prepared p = Prepare("[2] = \"x\" and ([3] = \"y\" or [4] = \"z\");");
  EXPECT_EQ(p.levels,
            (std::vector<std::string>{"[3] = \"y\" or [4] = \"z\";", "[2] = \"x\" and #10;"}));
  EXPECT_EQ(p.dropped, (std::vector<int32_t>{10}));
  // A statement that begins with a group reaches the engine as the group's set; a three-byte
  // level is padded with a blank.
  p = Prepare("([2] = \"x\")", {}, 5);
  EXPECT_EQ(p.levels, (std::vector<std::string>{"[2] = \"x\";", "#5; "}));
  // Parentheses in quoted texts and around a value list are the engine's.
  p = Prepare("[2] = \"(a)\" or [3] = ('b', \"c)\") and not ((all))");
  ASSERT_EQ(p.levels.size(), 3u);
  EXPECT_EQ(p.levels[0], "all;");
  EXPECT_EQ(p.levels[1], "#10;");
  EXPECT_EQ(p.levels[2], "[2] = \"(a)\" or [3] = ('b', \"c)\") and not #11;");
  // Operators are words of any case; a ";" ends the statement.
  p = Prepare("all AND(#1) ; ignored");
  EXPECT_EQ(p.levels.back(), "all AND#10 ;");
  // A failing sub-statement ends the find with its code; the sets made so far go back.
  p = Prepare("(all) or ([bad] = 1) or (all)", "[bad]");
  EXPECT_EQ(p.result, -2114);
  EXPECT_EQ(p.levels.size(), 2u) << "the level stopped at the failure";
  EXPECT_EQ(p.dropped, (std::vector<int32_t>{10}));
  EXPECT_EQ(Prepare("()").result, -2114) << "an empty group";
}

TEST(OvPrepare, AnyBytesEndWithinTheText) {
  std::mt19937 random(11);
  const std::string alphabet = "()\";'[]= and or not#12\x82\xA0\x83";
  for (int round = 0; round < 5000; ++round) {
    std::string text;
    const size_t length = random() % 40;
    for (size_t i = 0; i < length; ++i) text += alphabet[random() % alphabet.size()];
    auto exact = std::make_unique<char[]>(text.size() + 1);
    std::memcpy(exact.get(), text.data(), text.size());
    Prepared p = Prepare(std::string_view(exact.get(), text.size()));
    // Every set made below the top level is given back.
    EXPECT_LE(p.dropped.size(), p.levels.size());
  }
  // Nesting beyond the limit fails instead of recursing on.
  EXPECT_NE(Prepare(std::string(10000, '(')).result, kVOk);
}

TEST(OvFindText, HalfWidthKatakanaBecomeFullWidthLettersWithTheirMarks) {
  EXPECT_EQ(OvConvertHankana(Sj("ｶﾞｯｺｳ ﾊﾟﾝ ｳﾞｧｲｵﾘﾝ ﾜｦﾝｰ｡")),
            Sj("ガッコウ パン ヴァイオリン ワヲンー。"));
  // A mark with no letter before it, and double-byte text, stay as they are or become the
  // full-width mark.
  EXPECT_EQ(OvConvertHankana(Sj("ｱﾟ漢字ﾞ")), Sj("ア゜漢字゛"));
  EXPECT_EQ(OvConvertHankana("[2]=\"abc\";"), "[2]=\"abc\";");
}

}  // namespace
