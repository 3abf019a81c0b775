// The varnex executable driven as a user drives it: Japanese schema and values, every statement
// form of find, sorting, import and export of a few thousand lines, errors and exit statuses, the
// shell, and the integrity check on healthy and on damaged files.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>

#include "Sjis.h"
#include "VarnexRun.h"
#include "base/VEndian.h"

namespace {

// File 1 "人々" (label people) and file 2 "写し" (label copy) with the same items: 1 名前 String,
// 2 年齢 Number, 3 都市 String, 4 タグ String (several values), 5 誕生日 Date, 6 code String;
// keys 1 名前キー over 名前, 2 kage over 年齢, 3 kcity (reversed) over 都市, 4 kcode (unique).
std::string SchemaText(int number, const char* name, const char* label) {
  return "[FILE:" + std::to_string(number) + "] NAME = \"" + name + "\" LABEL = \"" + label +
         "\" BLOCKSIZE = (4096, 4096)\r\n"
         "[ITEM:1] NAME = \"名前\" TYPE = String LENGTH = 64\r\n"
         "[ITEM:2] NAME = \"年齢\" TYPE = Number LENGTH = 5\r\n"
         "[ITEM:3] NAME = \"都市\" TYPE = String LENGTH = 32\r\n"
         "[ITEM:4] NAME = \"タグ\" TYPE = String LENGTH = 16\r\n"
         "[ITEM:5] NAME = \"誕生日\" TYPE = Date LENGTH = 10\r\n"
         "[ITEM:6] NAME = \"code\" TYPE = String LENGTH = 8\r\n"
         "[KEY:1] NAME = \"名前キー\" TYPE = String BIND = [1]\r\n"
         "[KEY:2] NAME = \"kage\" TYPE = Number BIND = [2]\r\n"
         "[KEY:3] NAME = \"kcity\" TYPE = \"String,Reverse\" BIND = [3]\r\n"
         "[KEY:4] NAME = \"kcode\" TYPE = \"String,Unique\" BIND = [6]\r\n";
}

class VarnexToolTest : public ::testing::Test {
 protected:
  // A database with file 1, its schema given in Shift-JIS as users write it.
  void SetUp() override {
    ASSERT_EQ(Run({"create", "--name", "店", "--desc", "説明"}).status, 0);
    run_.Write("people.sch", Sj(SchemaText(1, "人々", "people").c_str()));
    VarnexResult added = Run({"addfile", "people.sch"});
    ASSERT_EQ(added.status, 0) << added.err;
    EXPECT_EQ(added.out, "added file 1 (人々)\n");
  }

  VarnexResult Run(const std::vector<std::string>& args, const std::string& input = "") {
    return run_.Run(args, input);
  }
  // Runs and expects success; answers standard output.
  std::string Ok(const std::vector<std::string>& args, const std::string& input = "") {
    VarnexResult result = run_.Run(args, input);
    EXPECT_EQ(result.status, 0) << result.err;
    return result.out;
  }
  // The record numbers of tsv output (first column, header skipped), in output order.
  std::vector<int> Records(const std::vector<std::string>& findArgs) {
    std::vector<std::string> args = {"--format", "tsv", "find"};
    args.insert(args.end(), findArgs.begin(), findArgs.end());
    std::stringstream lines(Ok(args));
    std::string line;
    std::getline(lines, line);
    std::vector<int> records;
    while (std::getline(lines, line)) records.push_back(std::stoi(line.substr(0, line.find('\t'))));
    return records;
  }
  // The record sets of several statements, found in one shell (one process is much faster).
  std::vector<std::set<int>> FindAll(const std::vector<std::string>& statements) {
    std::string script;
    for (const std::string& statement : statements) script += "find 1 '" + statement + "'\n";
    std::stringstream lines(Ok({"--format", "tsv", "shell"}, script));
    std::vector<std::set<int>> sets;
    std::string line;
    while (std::getline(lines, line)) {
      if (line.compare(0, 7, "record\t") == 0)
        sets.emplace_back();
      else if (!sets.empty())
        sets.back().insert(std::stoi(line.substr(0, line.find('\t'))));
    }
    return sets;
  }

  VarnexRunner run_;
};

TEST_F(VarnexToolTest, JapaneseValuesGoInAsUtf8AndComeBack) {
  EXPECT_EQ(Ok({"insert", "1", "名前=山田太郎", "年齢=42", "都市=東京", "タグ=赤", "タグ=青",
                "誕生日=1951/07/22", "code=A1"}),
            "1\n");
  // The file and the items by name.
  EXPECT_EQ(Ok({"insert", "人々", "名前=佐藤", "年齢=007", "都市=大阪", "code=B2"}), "2\n");
  EXPECT_EQ(Ok({"--format", "json", "get", "1", "1"}),
            "{\"record\": 1, \"1\": \"山田太郎\", \"2\": 42, \"3\": \"東京\", \"4\": [\"赤\", "
            "\"青\"], \"5\": \"1951/07/22\", \"6\": \"A1\"}\n");
  // Raw mode hands out the stored Shift-JIS bytes.
  EXPECT_NE(Ok({"--raw", "get", "1", "1"}).find(Sj("山田太郎")), std::string::npos);
  EXPECT_EQ(Ok({"--raw", "count", "1", Sj("[名前キー] = \"山田太郎\"")}), "1\n");
  EXPECT_EQ(Ok({"count", "1", "[名前キー] = \"山田太郎\""}), "1\n");
  // The table lines up double-byte text by its width on a terminal.
  EXPECT_EQ(Ok({"get", "1", "2", "--items", "名前,年齢"}),
            "record  名前  年齢\n"
            "------  ----  ----\n"
            "     2  佐藤   007\n");
  const std::string info = Ok({"info"});
  EXPECT_NE(info.find("database: 店\ndescription: 説明\n"), std::string::npos);
  EXPECT_NE(info.find("file 1 \"人々\" label \"people\": 2 records, last record 2"),
            std::string::npos);
  EXPECT_NE(info.find("key 3 \"kcity\" \"String,Reverse\" [3]"), std::string::npos);
  EXPECT_NE(Ok({"schema", "1"}).find("[ITEM:4] NAME = \"タグ\" TYPE = String"), std::string::npos);
  EXPECT_EQ(Ok({"--format", "tsv", "keys", "1", "名前キー"}),
            "value\tcount\trecords\n佐藤\t1\t2\n山田太郎\t1\t1\n");
  EXPECT_EQ(Ok({"--format", "tsv", "keys", "1", "2", "10"}), "value\tcount\trecords\n42\t1\t1\n");
}

TEST_F(VarnexToolTest, FindTakesEveryStatementFormAndSorts) {
  const char* rows[][4] = {{"abc", "10", "cab", "K1"},
                           {"ab", "20", "abc", "K2"},
                           {"cab", "30", "xab", "K3"},
                           {"日本", "15", "東京都", "K4"},
                           {"x", "42", "", "K5"}};
  std::string inserts;
  for (auto& row : rows) {
    inserts += std::string("insert 1 名前=") + row[0] + " 年齢=" + row[1] + " code=" + row[3];
    if (*row[2]) inserts += std::string(" 都市=") + row[2];
    inserts += "\n";
  }
  Ok({"shell"}, inserts);
  const std::vector<std::pair<std::string, std::set<int>>> cases = {
      {"[名前キー] = \"ab\"", {2}},
      {"[名前] = \"ab\"?", {1, 2}},    // item scan, begins with
      {"[K:1] = ?\"ab\"", {2, 3}},     // ends with, no reverse tree
      {"[kcity] = ?\"ab\"", {1, 3}},   // ends with, reverse tree
      {"[I:3] = ?\"b\"?", {1, 2, 3}},  // contains
      {"[I:1] = \"abcd\"!", {1, 2}},   // the operand begins with the value
      {"[kage] = 10 - 20", {1, 2, 4}},
      {"[kage] = 10 ~ 20", {1, 2, 4}},
      {"[kage] = (10, 42)", {1, 5}},
      {"all not [kcity] = \"cab\"", {2, 3, 4, 5}},
      {"null or [都市] = \"東京\"?", {4}},
      // No precedence: left to right, groups first.
      {"[kage] = 10 - 20 and [名前] = \"ab\"? or [kage] = 42", {1, 2, 5}},
      {"[kage] = 42 or [kage] = 10 - 20 AND [名前] = \"ab\"?", {1, 2}},
      {"[kage] = 42 or ([kage] = 10 and [名前] = \"abc\")", {1, 5}},
  };
  std::vector<std::string> statements;
  for (const auto& c : cases) statements.push_back(c.first);
  const std::vector<std::set<int>> found = FindAll(statements);
  ASSERT_EQ(found.size(), cases.size());
  for (size_t i = 0; i < cases.size(); ++i) EXPECT_EQ(found[i], cases[i].second) << cases[i].first;

  EXPECT_EQ(Records({"1", "all", "--sort", "[年齢]%D"}), (std::vector<int>{5, 3, 2, 4, 1}));
  EXPECT_EQ(Records({"1", "all", "--sort", "[名前]", "--limit", "2"}), (std::vector<int>{2, 1}));
  EXPECT_EQ(Ok({"--format", "tsv", "find", "1", "[kage] = 42", "--items", "code,名前"}),
            "record\tcode\t名前\n5\tK5\tx\n");

  VarnexResult bad = Run({"find", "1", "[nosuch] = 1"});
  EXPECT_EQ(bad.status, 1);
  EXPECT_NE(bad.err.find("-2114"), std::string::npos) << bad.err;
}

TEST_F(VarnexToolTest, ImportAndExportRoundTripThousandsOfQuotedLines) {
  std::string csv;
  constexpr int kLines = 3000;
  for (int i = 0; i < kLines; ++i) {
    csv += "\"山田, \"\"" + std::to_string(i) + "\"\"\"," + std::to_string(i % 90) + ",";
    if (i % 10 != 0) csv += "都市" + std::to_string(i % 7);
    csv += ",赤\t\"青," + std::to_string(i) + "\"," + std::to_string(1950 + i % 50) + "/01/" +
           std::to_string(1 + i % 28) + ", C" + std::to_string(i) + " ";
    csv += i % 2 ? "\r\n" : "\n";
  }
  run_.Write("data.csv", csv);
  EXPECT_EQ(Ok({"import", "1", "data.csv"}), "imported 3000 records\n");
  EXPECT_EQ(Ok({"count", "1", "all"}), "3000\n");
  EXPECT_EQ(Ok({"count", "1", "[kage] = 5"}), "34\n");
  int city3 = 0;
  for (int i = 0; i < kLines; ++i) city3 += i % 7 == 3 && i % 10 != 0;
  EXPECT_EQ(Ok({"count", "1", "[I:3] = \"都市3\""}), std::to_string(city3) + "\n");
  EXPECT_EQ(Ok({"--format", "json", "get", "1", "2"}),
            "{\"record\": 2, \"1\": \"山田, \\\"1\\\"\", \"2\": 1, \"3\": \"都市1\", \"4\": "
            "[\"赤\", \"青,1\"], \"5\": \"1951/01/02\", \"6\": \"C1\"}\n");

  const std::string exported = Ok({"export", "1"});
  EXPECT_EQ(exported.substr(0, exported.find('\n') + 1),
            "\"山田, \"\"0\"\"\",0,,赤\t\"青,0\",1950/01/01,C0\n");
  run_.Write("copy.sch", Sj(SchemaText(2, "写し", "copy").c_str()));
  Ok({"addfile", "copy.sch"});
  run_.Write("exported.csv", exported);
  EXPECT_EQ(Ok({"import", "写し", "exported.csv"}), "imported 3000 records\n");
  EXPECT_EQ(Ok({"export", "2"}), exported);
  // A statement and a choice of items; another terminator.
  EXPECT_EQ(Ok({"export", "2", "[kcode] = \"C7\"", "--items", "6,2", "--item-term", ";"}),
            "C7;7\n");

  // The record format language reads fixed fields.
  run_.Write("fixed.txt", "AB 5\nCD12\n");
  EXPECT_EQ(Ok({"import", "1", "fixed.txt", "--format", "[6] %2s [2] %2n"}),
            "imported 2 records\n");
  EXPECT_EQ(Ok({"--format", "tsv", "find", "1", "[kcode] = \"CD\"", "--items", "2"}),
            "record\t年齢\n3002\t12\n");

  VarnexResult check = Run({"check"});
  EXPECT_EQ(check.status, 0) << check.out;
  EXPECT_NE(check.out.find("file 1 (人々): ok, 3002 records, last record 3002, 4 keys"),
            std::string::npos)
      << check.out;
}

TEST_F(VarnexToolTest, ImportStopsAtTheFailingLine) {
  run_.Write("dup.csv", "a,1,,,,X1\nb,2,,,,X2\nc,3,,,,X1\nd,4,,,,X4\n");
  VarnexResult result = Run({"import", "1", "dup.csv"});
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find("line 3: insert: -101 value already taken in a unique key"),
            std::string::npos)
      << result.err;
  // Without a transaction log the two lines before stay, and the user is told so.
  EXPECT_NE(result.err.find("2 records stored before the error stay"), std::string::npos);
  EXPECT_EQ(Ok({"count", "1", "all"}), "2\n");

  run_.Write("long.csv", "a,1\n" + std::string(300, 'x') + ",2\n");
  result = Run({"import", "1", "long.csv"});
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find("line 2: item 1 (String) value \"xxx"), std::string::npos)
      << result.err;
  EXPECT_NE(result.err.find("\": -303 the width exceeds the type's limit"), std::string::npos);
}

TEST_F(VarnexToolTest, ErrorsGiveTheirExitStatus) {
  EXPECT_EQ(Run({"frobnicate"}).status, 2);
  EXPECT_EQ(Run({"get", "1"}).status, 2);
  EXPECT_EQ(Run({"insert", "1", "nosuch=1"}).status, 2);
  EXPECT_EQ(Run({"find", "1", "all", "--limit", "x"}).status, 2);
  EXPECT_EQ(Run({"--format", "xml", "info"}).status, 2);
  VarnexResult erase = Run({"erase"});
  EXPECT_EQ(erase.status, 2);
  EXPECT_TRUE(std::filesystem::exists(run_.Path("INDEX/people.idx")));

  VarnexResult missing = Run({"get", "1", "99"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("-201 record not found"), std::string::npos) << missing.err;
  Ok({"insert", "1", "名前=a", "code=U"});
  VarnexResult taken = Run({"insert", "1", "名前=b", "code=U"});
  EXPECT_EQ(taken.status, 1);
  EXPECT_NE(taken.err.find("insert: -101 value already taken in a unique key"), std::string::npos);
  VarnexResult twice = Run({"addfile", "people.sch"});
  EXPECT_EQ(twice.status, 1);
  EXPECT_NE(twice.err.find("-2173"), std::string::npos) << twice.err;

  // Nothing is made where there is no configuration.
  VarnexRunner empty;
  VarnexResult none = empty.Run({"info"});
  EXPECT_EQ(none.status, 1);
  EXPECT_FALSE(std::filesystem::exists(empty.Path("Varnex.conf")));

  EXPECT_EQ(Ok({"erase", "--yes"}), "erased the database\n");
  EXPECT_FALSE(std::filesystem::exists(run_.Path("INDEX")));
}

// The configuration create makes gives the cache 64 MB; --cache sizes the cache of one run and
// leaves the file as it was; sizes outside 40..4194304 kilobytes are refused before anything runs.
TEST_F(VarnexToolTest, CreateWritesALargeCacheAndTheCacheOptionLastsOneRun) {
  const std::string conf = run_.Read("Varnex.conf");
  EXPECT_NE(conf.find("CASHSIZE   = 65535\r\n"), std::string::npos) << conf;
  std::string lines;
  for (int i = 1; i <= 300; ++i) lines += "n" + std::to_string(i) + "," + std::to_string(i) + "\n";
  run_.Write("in.txt", lines);
  EXPECT_EQ(Ok({"--cache", "40", "import", "1", "in.txt"}), "imported 300 records\n");
  EXPECT_EQ(Ok({"--cache", "1048576", "count", "1", "[kage] = 100 - 199"}), "100\n");
  EXPECT_EQ(run_.Read("Varnex.conf"), conf);
  for (const char* bad : {"39", "4194305", "x", "-5", "99999999999"}) {
    VarnexResult refused = Run({"--cache", bad, "info"});
    EXPECT_EQ(refused.status, 2) << bad;
    EXPECT_NE(refused.err.find("--cache"), std::string::npos) << refused.err;
  }
  EXPECT_EQ(Run({"info", "--cache"}).status, 2);
}

TEST_F(VarnexToolTest, InfoAndSchemaHonourTheOutputFormat) {
  Ok({"insert", "1", "名前=a", "code=Z"});
  const std::string keys =
      "\"keys\": [{\"key\": 1, \"name\": \"名前キー\", \"type\": \"String\", \"items\": [1]}, "
      "{\"key\": 2, \"name\": \"kage\", \"type\": \"Number\", \"items\": [2]}, "
      "{\"key\": 3, \"name\": \"kcity\", \"type\": \"String,Reverse\", \"items\": [3]}, "
      "{\"key\": 4, \"name\": \"kcode\", \"type\": \"String,Unique\", \"items\": [6]}]";
  EXPECT_EQ(Ok({"--format", "json", "info"}),
            "{\"database\": \"店\", \"description\": \"説明\", \"files\": [{\"file\": 1, "
            "\"name\": \"人々\", \"label\": \"people\", \"records\": 1, \"last_record\": 1, " +
                keys + "}]}\n");
  EXPECT_EQ(Ok({"--format", "tsv", "info"}),
            "database\tdescription\tfile\tname\tlabel\trecords\tlast record\tkeys\n"
            "店\t説明\t1\t人々\tpeople\t1\t1\t1 名前キー String [1];2 kage Number [2];"
            "3 kcity String,Reverse [3];4 kcode String,Unique [6]\n");
  EXPECT_EQ(Ok({"--format", "json", "schema", "人々"}),
            "{\"file\": 1, \"name\": \"人々\", \"label\": \"people\", \"blocksize\": [4096, "
            "4096], \"items\": [{\"item\": 1, \"name\": \"名前\", \"type\": \"String\", "
            "\"length\": 64}, {\"item\": 2, \"name\": \"年齢\", \"type\": \"Number\", "
            "\"length\": 5}, {\"item\": 3, \"name\": \"都市\", \"type\": \"String\", "
            "\"length\": 32}, {\"item\": 4, \"name\": \"タグ\", \"type\": \"String\", "
            "\"length\": 16}, {\"item\": 5, \"name\": \"誕生日\", \"type\": \"Date\", "
            "\"length\": 10}, {\"item\": 6, \"name\": \"code\", \"type\": \"String\", "
            "\"length\": 8}], " +
                keys + "}\n");
  const std::string tsv = Ok({"--format", "tsv", "schema", "1"});
  EXPECT_EQ(tsv.substr(0, tsv.find("item\t2")),
            "kind\tnumber\tname\ttype\tsize\titems\tlabel\tdescription\n"
            "file\t1\t人々\t\t4096,4096\t\tpeople\t\n"
            "item\t1\t名前\tString\t64\t\t\t\n");
  EXPECT_NE(tsv.find("\nkey\t3\tkcity\tString,Reverse\t\t3\t\t\n"), std::string::npos) << tsv;
}

TEST_F(VarnexToolTest, MessagesSayWhatWentWrong) {
  // A bare number in brackets is a key: the message names the reference and what it names.
  VarnexResult count = Run({"count", "1", "[5] = \"1951/07/22\""});
  EXPECT_EQ(count.status, 1);
  EXPECT_EQ(count.err,
            "varnex: count: -2115 the statement does not make a set to count: it does not read, "
            "names an item or key that the file lacks, or names a set that is not there: [5] names "
            "key 5, which file 1 (人々) does not have (item 5 is [I:5])\n");
  EXPECT_EQ(Ok({"count", "1", "[I:5] = \"1951/07/22\""}), "0\n");
  VarnexResult find = Run({"find", "1", "[kage] = 1 or [都市キー] = \"[9]\""});
  EXPECT_EQ(find.status, 1);
  EXPECT_NE(find.err.find("-2114 the statement does not make a set: it does not read, names an "
                          "item or key that the file lacks, or names a set that is not there: "
                          "[都市キー] names no key and no item of file 1 (人々)\n"),
            std::string::npos)
      << find.err;
}

TEST_F(VarnexToolTest, UpdateReplacesOnlyTheItemsNamed) {
  Ok({"insert", "1", "名前=山田", "年齢=30", "都市=東京", "タグ=a", "タグ=b", "code=C"});
  EXPECT_EQ(Ok({"update", "1", "1", "都市=大阪", "タグ=", "年齢=31"}), "updated record 1\n");
  EXPECT_EQ(Ok({"--format", "json", "get", "1", "1"}),
            "{\"record\": 1, \"1\": \"山田\", \"2\": 31, \"3\": \"大阪\", \"6\": \"C\"}\n");
  EXPECT_EQ(Ok({"count", "1", "[kcity] = \"東京\""}), "0\n");
  EXPECT_EQ(Ok({"count", "1", "[kage] = 31"}), "1\n");
  EXPECT_EQ(Ok({"delete", "1", "1"}), "deleted record 1\n");
  EXPECT_EQ(Run({"get", "1", "1"}).status, 1);
  EXPECT_EQ(Ok({"count", "1", "all"}), "0\n");
}

TEST_F(VarnexToolTest, ShellRunsCommandsOverOneOpenDatabase) {
  VarnexResult result = Run({"shell"},
                            "# a comment\n"
                            "insert 1 名前=\"山田 太郎\" code=S1\n"
                            "insert 1 '名前=佐藤' code=S2\n"
                            "commit\n"
                            "count 1 all\n"
                            "get 1 9\n"
                            "count 1 \"[名前キー] = \\\"山田 太郎\\\"\"\n");
  EXPECT_EQ(result.status, 1);  // the get failed; the rest ran
  EXPECT_EQ(result.out, "1\n2\n2\n1\n");
  EXPECT_NE(result.err.find("record 9: -201"), std::string::npos) << result.err;
  EXPECT_EQ(Ok({"count", "1", "all"}), "2\n");
  EXPECT_EQ(Run({"shell"}, "count 1 all\nquit\ncount 1 all\n").out, "2\n");
}

// The check on a file with records, deletions and updates (some moving records), and on copies of
// it damaged three ways.
class VarnexCheckTest : public VarnexToolTest {
 protected:
  void SetUp() override {
    VarnexToolTest::SetUp();
    std::string csv;
    for (int i = 0; i < 600; ++i) {
      csv += "名前" + std::to_string(i % 150) + "," + std::to_string(i % 40) + ",都市" +
             std::to_string(i) + ",,,K" + std::to_string(i) + "\n";
    }
    run_.Write("data.csv", csv);
    Ok({"import", "1", "data.csv"});
    std::string script;
    for (int r = 3; r <= 600; r += 7) script += "delete 1 " + std::to_string(r) + "\n";
    for (int r = 5; r <= 600; r += 11) {
      if ((r - 3) % 7 == 0) continue;  // deleted
      script += "update 1 " + std::to_string(r) + " 都市=" + std::string(120, 'x') +
                std::to_string(r) + "\n";
    }
    VarnexResult shell = Run({"shell"}, script + "commit\n");
    ASSERT_EQ(shell.status, 0) << shell.err;
  }

  std::string Index() const { return run_.Read("INDEX/people.idx"); }
  uint32_t U24(const std::string& bytes, size_t at) const {
    return VGetU24(reinterpret_cast<const uint8_t*>(bytes.data()) + at);
  }
  static size_t Block(uint32_t b) { return 512 + static_cast<size_t>(b) * 4096; }

  void ExpectProblem(const std::string& expected) {
    VarnexResult result = Run({"check", "1"});
    EXPECT_EQ(result.status, 1) << result.out << result.err;  // reported, not crashed
    EXPECT_NE(result.out.find(expected), std::string::npos) << result.out;
    EXPECT_NE(result.err.find("check found"), std::string::npos);
  }
};

TEST_F(VarnexCheckTest, HealthyFilesAreClean) {
  VarnexResult result = Run({"check"});
  EXPECT_EQ(result.status, 0) << result.out;
  EXPECT_NE(result.out.find("file 1 (人々): ok, 514 records, last record 600, 4 keys"),
            std::string::npos)
      << result.out;
  EXPECT_NE(result.out.find("file 30001 (DBDD): ok"), std::string::npos);
  EXPECT_NE(result.out.find("check: no problems"), std::string::npos);
}

TEST_F(VarnexCheckTest, FindsAFlippedByteInATreeNode) {
  std::string index = Index();
  const uint32_t root = U24(index, Block(1) + 36 + 8 * 1);  // key 1
  const size_t rootAt = Block(root) + 4;
  const size_t firstChild = rootAt + 1 + static_cast<uint8_t>(index[rootAt]) + 3;
  const uint32_t leaf = U24(index, firstChild);
  index[Block(leaf) + 4 + 2] ^= 0x7F;  // a byte of the first key of the first leaf
  run_.Write("INDEX/people.idx", index);
  ExpectProblem("key 1");
}

TEST_F(VarnexCheckTest, FindsARecordMapEntryPointingAtTheWrongBlock) {
  std::string index = Index();
  const uint32_t mapRoot = U24(index, Block(1) + 4);
  const size_t entry = Block(mapRoot) + 4 + 3 * 10;  // record 10 (a level-0 root)
  ASSERT_EQ(index[Block(mapRoot) + 1], 0);
  const uint32_t wrong = U24(index, entry) + 1;
  VPutU24(reinterpret_cast<uint8_t*>(index.data()) + entry, wrong);
  run_.Write("INDEX/people.idx", index);
  ExpectProblem("the record map sends record 10 to data block " + std::to_string(wrong));
}

TEST_F(VarnexCheckTest, FindsATruncatedDataFile) {
  std::filesystem::resize_file(run_.Path("DATA/people.dat"), 512 + 4096 * 3 + 100);
  ExpectProblem("beyond the end of the data file");
  ExpectProblem("the data file ends inside block 3");
}

}  // namespace
