// The one table of code texts: every result code that the engine and its foundation declare has a
// text, no code has two, and the texts say what happened.
#include "db/engine/VCodeTexts.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "base/VCodePage.h"

namespace {

// Every "constexpr VResult kV... = -n;" of the headers under src/base and src/db, by code.
std::map<int, std::string> DeclaredCodes() {
  const std::filesystem::path src = std::filesystem::path(OV_TEST_DATA) / ".." / ".." / "src";
  const std::regex declaration(R"(constexpr\s+VResult\s+(kV\w+)\s*=\s*(-?\d+)\s*;)");
  std::map<int, std::string> codes;
  for (const char* folder : {"base", "db"}) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(src / folder)) {
      if (entry.path().extension() != ".h") continue;
      std::ifstream in(entry.path());
      std::stringstream text;
      text << in.rdbuf();
      const std::string content = text.str();
      for (std::sregex_iterator it(content.begin(), content.end(), declaration), end; it != end;
           ++it) {
        codes[std::stoi((*it)[2])] = (*it)[1];
      }
    }
  }
  return codes;
}

TEST(VCodeTextsTest, EveryDeclaredCodeHasOneText) {
  const std::map<int, std::string> declared = DeclaredCodes();
  ASSERT_GT(declared.size(), 80u);  // the headers were found
  for (const auto& [code, name] : declared) {
    if (code == 0) continue;
    EXPECT_NE(VFindCodeText(static_cast<int16_t>(code)), nullptr) << name << " (" << code << ")";
  }
  std::set<int> seen;
  for (const VCodeText& row : VCodeTexts()) {
    EXPECT_TRUE(seen.insert(row.code).second) << "two rows for " << row.code;
    const std::string text = row.english;
    ASSERT_FALSE(text.empty()) << row.code;
    EXPECT_NE(text.back(), '.') << row.code;
  }
  EXPECT_EQ(VFindCodeText(-9999), nullptr);
  EXPECT_EQ(VExplainCode(-9999), "-9999");
}

TEST(VCodeTextsTest, TextsSayWhatHappened) {
  // -12 is an operation on a file that is open; a lock of another process fails the open, -22.
  EXPECT_EQ(VExplainCode(-12), "-12 a create, remove or rename of a file that is open");
  EXPECT_EQ(VExplainCode(-12).find("lock"), std::string::npos);
  EXPECT_NE(VExplainCode(-22).find("locked by another process"), std::string::npos);
  // A count of a statement that names a missing key fails with -2115: the text says why a
  // statement makes no set rather than that it "cannot be counted".
  const std::string count = VExplainCode(-2115);
  EXPECT_EQ(count.find("cannot be counted"), std::string::npos);
  EXPECT_NE(count.find("names an item or key that the file lacks"), std::string::npos);
  EXPECT_NE(VExplainCode(-2114).find("names an item or key that the file lacks"),
            std::string::npos);
  EXPECT_EQ(VExplainCode(-201), "-201 record not found");
}

TEST(VCodeTextsTest, ThePlayersLinesSayWhatToDoForTheCodesAStartUpMeets) {
  // A database in use by another player, a file that is missing or not readable: -22; a database
  // never made: -410; folders and files that cannot be made or written; a stopped engine.
  for (VResult code : {-1, -13, -17, -20, -22, -28, -29, -34, -410, -411, -2145}) {
    const VCodeText* row = VFindCodeText(code);
    ASSERT_NE(row, nullptr) << code;
    ASSERT_NE(row->japanese, nullptr) << code;
    EXPECT_NE(VJapaneseCodeText(code), VJapaneseGeneralText()) << code;
  }
  EXPECT_NE(VSjisToUtf8(VJapaneseCodeText(-22)).find("別のプレイヤー"), std::string::npos);
  // A database never made is -22 to the player too.
  EXPECT_NE(VSjisToUtf8(VJapaneseCodeText(-22)).find("varnex create"), std::string::npos);
  EXPECT_NE(VSjisToUtf8(VJapaneseCodeText(-410)).find("varnex create"), std::string::npos);
  // Any other code takes the general line.
  EXPECT_EQ(VJapaneseCodeText(-201), VJapaneseGeneralText());
  EXPECT_EQ(VJapaneseCodeText(-9999), VJapaneseGeneralText());
  // Every line converts to Shift-JIS exactly and fits one line of the error box.
  std::vector<std::string> lines = {VJapaneseGeneralText()};
  for (const VCodeText& row : VCodeTexts()) {
    if (row.japanese == nullptr) continue;
    std::string sjis;
    size_t failedAt = 0;
    EXPECT_TRUE(VUtf8ToSjisExact(row.japanese, &sjis, &failedAt)) << row.code;
    EXPECT_EQ(VJapaneseCodeText(row.code), sjis);
    lines.push_back(sjis);
  }
  for (const std::string& line : lines) {
    EXPECT_LE(line.size(), 56u) << VSjisToUtf8(line);  // 28 full-width characters
    EXPECT_EQ(line.find('\r'), std::string::npos);
  }
}

}  // namespace
