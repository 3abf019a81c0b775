// Values through the varnex tool's text: import files and arguments in their encoding, refused as
// a whole when they are not valid in it; Flags read alike by import, key queries and item queries;
// and an export that import reads back to the same records, for every value type of the engine.
#include <gtest/gtest.h>

#include <sstream>

#include "Sjis.h"
#include "VarnexRun.h"

namespace {

constexpr const char* kTypes[] = {"Date",    "Time",    "DateTime", "Flag",   "Char",    "String",
                                  "Number",  "Integer", "Binary",   "Packet", "LString", "File",
                                  "MacFile", "Text",    "HTML",     "PDF",    "JPEG",    "GIF",
                                  "PNG",     "PICT",    "BMP"};

// Item n + 1 has the type kTypes[n] and the type's name in lower case as its name; key 1 "kflag"
// is over the Flag item (4). Data blocks are large enough for a record of a few kilobytes.
std::string TypesSchema(int number, const std::string& label) {
  std::string text = "[FILE:" + std::to_string(number) + "] NAME = \"" + label + "\" LABEL = \"" +
                     label + "\" BLOCKSIZE = (4096, 16384)\r\n";
  for (size_t i = 0; i < std::size(kTypes); ++i) {
    std::string name = kTypes[i];
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    text += "[ITEM:" + std::to_string(i + 1) + "] NAME = \"" + name + "\" TYPE = " + kTypes[i] +
            " LENGTH = 255\r\n";
  }
  return text + "[KEY:1] NAME = \"kflag\" TYPE = Flag BIND = [4]\r\n";
}

// n bytes in which every byte value occurs (given n of 256 or more).
std::string Bytes(size_t n, int seed) {
  std::string bytes(n, '\0');
  for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<char>((i * 7 + i / 256 + seed) & 0xFF);
  return bytes;
}

std::string Base64(const std::string& bytes) {
  static const char* kDigits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (size_t i = 0; i < bytes.size(); i += 3) {
    uint32_t n = static_cast<uint8_t>(bytes[i]) << 16;
    if (i + 1 < bytes.size()) n |= static_cast<uint8_t>(bytes[i + 1]) << 8;
    if (i + 2 < bytes.size()) n |= static_cast<uint8_t>(bytes[i + 2]);
    out += kDigits[n >> 18];
    out += kDigits[(n >> 12) & 63];
    out += i + 1 < bytes.size() ? kDigits[(n >> 6) & 63] : '=';
    out += i + 2 < bytes.size() ? kDigits[n & 63] : '=';
  }
  return out;
}

class VarnexValuesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(Run({"create"}).status, 0);
    run_.Write("types.sch", TypesSchema(1, "types"));
    ASSERT_EQ(Run({"addfile", "types.sch"}).status, 0);
  }
  VarnexResult Run(const std::vector<std::string>& args, const std::string& input = "") {
    return run_.Run(args, input);
  }
  std::string Ok(const std::vector<std::string>& args, const std::string& input = "") {
    VarnexResult result = run_.Run(args, input);
    EXPECT_EQ(result.status, 0) << result.err;
    return result.out;
  }
  VarnexRunner run_;
};

TEST_F(VarnexValuesTest, ImportFilesMustBeValidInTheirEncoding) {
  // A Shift-JIS file read as UTF-8: refused with where and why, and nothing stored, not even the
  // line before the bad byte.
  const std::string shiftJis = "abc,1\n" + Sj("日本") + ",2\n";
  run_.Write("sjis.csv", shiftJis);
  VarnexResult refused = Run({"import", "1", "sjis.csv", "--items", "string,number"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("sjis.csv is not UTF-8 text: line 2, byte 1 (offset 6 in the file): "
                             "0x93 is not valid UTF-8; nothing was imported (a Shift-JIS file "
                             "needs --encoding cp932)"),
            std::string::npos)
      << refused.err;
  EXPECT_EQ(Ok({"count", "1", "all"}), "0\n");

  EXPECT_EQ(Ok({"import", "1", "sjis.csv", "--items", "string,number", "--encoding", "cp932"}),
            "imported 2 records\n");
  EXPECT_EQ(Ok({"count", "1", "[I:6] = \"日本\""}), "1\n");
  EXPECT_EQ(Ok({"export", "1", "--items", "string,number", "--encoding", "CP932"}), shiftJis);
  EXPECT_EQ(Ok({"export", "1", "--items", "string,number"}), "abc,1\n日本,2\n");

  // UTF-8 with a character that Shift-JIS cannot hold; broken Shift-JIS; a byte-order mark.
  run_.Write("emoji.csv", "ok,3\n\xF0\x9F\x98\x80,4\n");
  refused = Run({"import", "1", "emoji.csv", "--items", "string,number"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("line 2, byte 1 (offset 5 in the file): U+1F600 has no Shift-JIS "
                             "form; nothing was imported"),
            std::string::npos)
      << refused.err;
  run_.Write("broken.csv", "a,5\nb\x80,6\n");
  refused = Run({"import", "1", "broken.csv", "--items", "string,number", "--encoding", "cp932"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("line 2, byte 2 (offset 5 in the file): 0x80 is not valid Shift-JIS"),
            std::string::npos)
      << refused.err;
  EXPECT_EQ(Ok({"count", "1", "all"}), "2\n");
  run_.Write("bom.csv",
             "\xEF\xBB\xBF"
             "bom,7\n");
  EXPECT_EQ(Ok({"import", "1", "bom.csv", "--items", "string,number"}), "imported 1 records\n");
  EXPECT_EQ(Ok({"count", "1", "[I:6] = \"bom\""}), "1\n");
  EXPECT_EQ(Run({"export", "1", "--encoding", "latin1"}).status, 2);
}

TEST_F(VarnexValuesTest, ArgumentsMustBeValidUtf8UnlessRaw) {
  VarnexResult refused = Run({"insert", "1", "string=a\x93\x8C"});
  EXPECT_EQ(refused.status, 2);
  EXPECT_NE(refused.err.find("the argument \"a\\x93\\x8C\" is refused: at its byte 2, 0x93 is not "
                             "valid UTF-8 (give --raw to pass Shift-JIS bytes as they are)"),
            std::string::npos)
      << refused.err;
  refused = Run({"insert", "1", "string=😀"});
  EXPECT_EQ(refused.status, 2);
  EXPECT_NE(refused.err.find("U+1F600 has no Shift-JIS form"), std::string::npos) << refused.err;
  // Standard input of the shell is read the same way; the other commands run.
  VarnexResult shell = Run({"shell"}, "insert 1 string=\x93\x8C\ncount 1 all\n");
  EXPECT_EQ(shell.status, 2);
  EXPECT_EQ(shell.out, "0\n");
  // Raw mode passes Shift-JIS; a stored text that is not Shift-JIS is not exported as UTF-8 with
  // replacement characters but refused, and exported raw.
  EXPECT_EQ(Ok({"--raw", "insert", "1", "string=" + Sj("東京")}), "1\n");
  EXPECT_EQ(Ok({"count", "1", "[I:6] = \"東京\""}), "1\n");
  EXPECT_EQ(Ok({"--raw", "insert", "1", "string=a\x82"}), "2\n");
  VarnexResult exported = Run({"export", "1", "--items", "string"});
  EXPECT_EQ(exported.status, 1);
  EXPECT_NE(exported.err.find("record 2 item 6: the stored bytes are not Shift-JIS text"),
            std::string::npos)
      << exported.err;
  // A value ending in a lone lead byte is quoted: the line end after it would otherwise be read
  // as the lead byte's second byte.
  EXPECT_EQ(Ok({"--raw", "export", "1", "--items", "string"}), Sj("東京") + "\n\"a\x82\"\n");
}

TEST_F(VarnexValuesTest, FlagsReadFromTextAreOnOrOffForEveryReader) {
  run_.Write("flags.csv", "0\n1\ntrue\nTRUE\nfalse\nFALSE\n\"\"\n7\n-0.0\n");
  EXPECT_EQ(Ok({"import", "1", "flags.csv", "--items", "flag"}), "imported 9 records\n");
  // Through the key and by scanning the item, "true", "1" and any number other than zero are on.
  const std::string counts = Ok({"shell"},
                                "count 1 '[kflag] = true'\n"
                                "count 1 '[I:4] = true'\n"
                                "count 1 '[kflag] = 1'\n"
                                "count 1 '[I:4] = 1'\n"
                                "count 1 '[kflag] = 0'\n"
                                "count 1 '[I:4] = false'\n"
                                "count 1 '[kflag] = FALSE'\n");
  EXPECT_EQ(counts, "4\n4\n4\n4\n5\n5\n5\n");
  EXPECT_EQ(Ok({"--format", "tsv", "keys", "1", "kflag"}),
            "value\tcount\trecords\n0\t5\t1;5;6;7;9\n1\t4\t2;3;4;8\n");
  EXPECT_EQ(Ok({"--format", "tsv", "keys", "1", "kflag", "true"}),
            "value\tcount\trecords\n1\t4\t2;3;4;8\n");
  EXPECT_EQ(Ok({"export", "1", "--items", "flag"}), "0\n1\n1\n1\n0\n0\n0\n1\n0\n");

  VarnexResult refused = Run({"insert", "1", "flag=yes"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("item 4 (Flag) value \"yes\": -210 the value does not fit its type "
                             "(a Flag is true, TRUE, false, FALSE, a number, or empty for off)"),
            std::string::npos)
      << refused.err;
  EXPECT_EQ(Ok({"insert", "1", "flag=TRUE", "flag=0"}), "10\n");
  EXPECT_EQ(Ok({"--format", "json", "get", "1", "10", "--items", "flag"}),
            "{\"record\": 10, \"4\": [\"1\", \"0\"]}\n");
}

TEST_F(VarnexValuesTest, ExportWritesEveryValueSoThatImportGivesBackTheSameRecords) {
  const std::string text = std::string(20000, 'x') + "長い文章、\"引用\", カンマ\tタブ";
  const std::string fileData = Bytes(70000, 1);
  // Record 1 from the command line: every type, several values, double-byte characters whose
  // second byte is a backslash or a bar, binary data with every byte value.
  const std::string insert =
      "insert 1 date=1951/07/22 time=23:59:58 'datetime=2001/02/03 04:05:06' flag=1 flag=0 "
      "char=x 'string=ソ\\ポ|\"引用\"' string=山田 number=-12.50 integer=-7 binary=" +
      Base64(Bytes(255, 2)) + " packet=" + Base64(Bytes(3000, 3)) +
      " lstring=" + std::string(1000, 'L') + "日本語 file=" + Base64(fileData) +
      " macfile=" + Base64(std::string(1, '\0')) + " 'text=" + text +
      "' html=<p>表</p> pdf=" + Base64(Bytes(300, 4)) + " jpeg=" + Base64(Bytes(256, 5)) +
      " gif=R0lG png=iVBO pict=AAAA" + " bmp=Qk0=\n";
  VarnexResult inserted = Run({"shell"}, insert);
  ASSERT_EQ(inserted.status, 0) << inserted.err;
  // Record 2 from a file: line ends inside values, and empty values of every type that has them.
  run_.Write("more.csv",
             "\"\",\"\",\"\",\"\",\"\",\"a\r\nb\"\t\"\"\t\" c \",\"\",\"\",\"\",\"\",\"\",\"\","
             "\"\",\"line 1\nline 2\n\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\n");
  ASSERT_EQ(Ok({"import", "1", "more.csv"}), "imported 1 records\n");

  const std::string exported = Ok({"export", "1"});
  EXPECT_NE(
      exported.find(",1\t0,x,\"ソ\\ポ|\"\"引用\"\"\"\t山田,-12.50,-7," + Base64(Bytes(255, 2))),
      std::string::npos);
  EXPECT_NE(exported.find("," + Base64(fileData) + ",AA==,\"" + std::string(20000, 'x')),
            std::string::npos);
  EXPECT_EQ(exported.find("bytes>"), std::string::npos);

  run_.Write("copy.sch", TypesSchema(2, "copy"));
  Ok({"addfile", "copy.sch"});
  run_.Write("exported.csv", exported);
  EXPECT_EQ(Ok({"import", "copy", "exported.csv"}), "imported 2 records\n");
  EXPECT_EQ(Ok({"export", "2"}), exported);
  // The records read back alike, value by value (long data by its size).
  std::string first = Ok({"--format", "json", "find", "1", "all"});
  std::string second = Ok({"--format", "json", "find", "2", "all"});
  EXPECT_EQ(first, second);
  EXPECT_NE(first.find("\"12\": \"<70000 bytes>\""), std::string::npos) << first;
  EXPECT_NE(first.find("\"6\": [\"a\\r\\nb\", \"\", \" c \"]"), std::string::npos) << first;
  EXPECT_NE(first.find("\"9\": \"\", \"10\": \"\", \"11\": \"\""), std::string::npos) << first;

  // Leaving long data out writes the other values.
  EXPECT_EQ(Ok({"export", "1", "--items", "char,file,text", "--no-long-data"}), "x,,\n\"\",,\n");
}

}  // namespace
