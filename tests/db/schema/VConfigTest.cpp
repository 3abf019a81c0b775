#include "db/schema/VConfig.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "TempDir.h"

namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

const char kDefaultFile[] =
    "[DDSA]\r\n"
    "DBPATH     = (\"INDEX\", \"DATA\")\r\n"
    "WORKPATH   = \"WORK\"\r\n"
    "CASHSIZE   = 300\r\n"
    "SERVER     = \"127.0.0.1\"\r\n"
    "PORT       = 3330\r\n"
    "READONLY   = off\r\n"
    "DDD        = on\r\n"
    "SECURITY   = off\r\n"
    "VALUE      = on\r\n"
    "TLOG       = off\r\n"
    "CLOG       = on\r\n";

TEST(VConfig, MissingFileRunsWithDefaultsAndWritesThemAtShutdown) {
  TempDir dir;
  {
    VConfig config(dir / "Varnex.conf");
    EXPECT_EQ(config.ReadResult(), kVConfigMissing);
    ASSERT_EQ(config.SectionCount(), 1);
    VMSD* main = config.MainSection();
    EXPECT_EQ(*main->IndexPath(), "INDEX");
    EXPECT_EQ(*main->DataPath(), "DATA");
    EXPECT_EQ(main->CacheSize(), 300);
    EXPECT_TRUE(config.CommandLog());
    EXPECT_TRUE(config.DataDictionary());
    EXPECT_FALSE(config.Security());
    EXPECT_TRUE(config.NeedsRewrite());
    EXPECT_FALSE(std::filesystem::exists(dir / "Varnex.conf"));
  }
  EXPECT_EQ(ReadAll(dir / "Varnex.conf"), kDefaultFile);
  EXPECT_FALSE(std::filesystem::exists(dir / "Varnex.conf.new"));

  // What was written reads back cleanly and is left alone.
  {
    VConfig config(dir / "Varnex.conf");
    EXPECT_EQ(config.ReadResult(), kVOk);
    EXPECT_EQ(config.Text(), kDefaultFile);
    EXPECT_FALSE(config.NeedsRewrite());
  }
}

TEST(VConfig, AFileWithoutAnyLineIsTreatedAsMissing) {
  TempDir dir;
  WriteAll(dir / "Varnex.conf", "");
  { VConfig config(dir / "Varnex.conf"); }
  EXPECT_EQ(ReadAll(dir / "Varnex.conf"), kDefaultFile);
}

TEST(VConfig, CleanFileIsNotRewrittenUnlessASettingChanges) {
  TempDir dir;
  // Written loosely: lower-case keys, no padding, LF line ends, an unknown key, a stray line.
  const std::string text =
      "\n[ddsa]\nDbPath='ix'\ncashsize=500\nclog = ON\nmystery = 1\njust words here\n";
  WriteAll(dir / "Varnex.conf", text);
  {
    VConfig config(dir / "Varnex.conf");
    ASSERT_EQ(config.SectionCount(), 1);  // the blank first line opens no section of its own
    EXPECT_EQ(*config.MainSection()->IndexPath(), "ix");
    EXPECT_FALSE(config.MainSection()->DataPath().has_value());
    EXPECT_EQ(config.MainSection()->CacheSize(), 500);
    EXPECT_TRUE(config.CommandLog());
    // Setting what is already held changes nothing.
    config.MainSection()->SetCommandLog(true, true);
    config.MainSection()->SetCacheSize(500, true);
    EXPECT_FALSE(config.NeedsRewrite());
  }
  EXPECT_EQ(ReadAll(dir / "Varnex.conf"), text);

  {
    VConfig config(dir / "Varnex.conf");
    config.MainSection()->SetSecurity(true, true);
    EXPECT_TRUE(config.NeedsRewrite());
  }
  EXPECT_EQ(ReadAll(dir / "Varnex.conf"),
            "[DDSA]\r\n"
            "DBPATH     = \"ix\"\r\n"
            "CASHSIZE   = 500\r\n"
            "READONLY   = off\r\n"
            "DDD        = on\r\n"
            "SECURITY   = on\r\n"
            "VALUE      = on\r\n"
            "TLOG       = off\r\n"
            "CLOG       = on\r\n");
}

TEST(VConfig, CacheSizeFloorsAndLimits) {
  TempDir dir;
  auto sizeOf = [&](const std::string& value) {
    WriteAll(dir / "Varnex.conf", "[DDSA]\nCASHSIZE = " + value + "\n");
    VConfig config(dir / "Varnex.conf");
    return config.MainSection()->CacheSize();
  };
  EXPECT_EQ(sizeOf("50"), 100);
  EXPECT_EQ(sizeOf("-7"), 100);
  EXPECT_EQ(sizeOf("lots"), 100);
  EXPECT_EQ(sizeOf("100"), 100);
  EXPECT_EQ(sizeOf("4096"), 4096);
  EXPECT_EQ(sizeOf("99999999999"), 65535);
  WriteAll(dir / "Varnex.conf", "[DDSA]\nCASHSIZE =\n");
  VConfig config(dir / "Varnex.conf");
  EXPECT_EQ(config.MainSection()->CacheSize(), VMSD::kDefaultCacheSize);  // no value: unchanged
}

TEST(VConfig, SectionsSendFileNumbersToTheirDirectories) {
  TempDir dir;
  WriteAll(dir / "Varnex.conf",
           "[DDSA]\r\n"
           "DBPATH = (\"main/idx\", \"main/dat\")\r\n"
           "readonly = yes\r\n"
           "\r\n"
           "[DDSA]\r\n"
           "CONTAIN = (1 - 5, 8)\r\n"
           "DBPATH = \"/abs/area\"\r\n"
           "readonly = On\r\n"
           "WORKPATH = \"ignored\"\r\n"
           "CASHSIZE = 999\r\n"
           "[DDSA]\r\n"
           "CONTAIN = (9 - 3) 0 - 2 -4 20\r\n");
  VConfig config(dir / "Varnex.conf");
  ASSERT_EQ(config.SectionCount(), 3);
  for (int32_t n : {1, 3, 5, 8}) EXPECT_EQ(config.SectionOf(n)->Number(), 1) << n;
  for (int32_t n : {10, 11, 21, 0, -1}) EXPECT_EQ(config.SectionOf(n)->Number(), 0) << n;
  EXPECT_EQ(config.SectionOf(9)->Number(), 2);
  EXPECT_EQ(config.SectionOf(20)->Number(), 2);
  EXPECT_EQ(config.SectionOf(4)->Number(), 1);  // "-4" is a negative number, not 4

  EXPECT_FALSE(config.IsReadOnly(10));  // "yes" is not "on"
  EXPECT_TRUE(config.IsReadOnly(4));
  EXPECT_EQ(config.IndexDirectory(4)->FullPath(), "/abs/area");
  EXPECT_EQ(config.DataDirectory(4), config.IndexDirectory(4));
  EXPECT_EQ(config.IndexDirectory(10)->FullPath(), dir / "main/idx");
  EXPECT_EQ(config.DataDirectory(10)->FullPath(), dir / "main/dat");
  EXPECT_EQ(config.IndexDirectory(9)->FullPath(), ".");  // no path: the current directory
  EXPECT_EQ(config.IndexDirectory(10), config.IndexDirectory(11));  // made once per section

  // Main-section keys in another section are not taken.
  EXPECT_FALSE(config.Section(1)->WorkPath().has_value());
  EXPECT_EQ(config.Section(1)->CacheSize(), VMSD::kDefaultCacheSize);

  // Ranges are stored low end first; non-positive numbers are no file numbers.
  EXPECT_EQ(config.Section(2)->Contained()->Show(), "3 - 9 1 - 2 20");
  config.Section(2)->SetReadOnly(true, true);
  std::string text = config.Text();
  EXPECT_NE(text.find("\r\n\r\n[DDSA]\r\nCONTAIN    = (1 - 5 8)\r\nDBPATH     = \"/abs/area\"\r\n"
                      "READONLY   = on\r\n\r\n[DDSA]\r\nCONTAIN    = (3 - 9 1 - 2 20)\r\n"
                      "READONLY   = on\r\n"),
            std::string::npos)
      << text;
}

TEST(VConfig, ConfigurationPathsAndTheirDirectory) {
  TempDir dir(true);
  std::filesystem::create_directories(dir / "etc");
  WriteAll(dir / "etc/Varnex.conf", "[DDSA]\nDBPATH = \"db\"\nWORKPATH = 'w'\n");
  {
    VConfig config("etc/");  // a path without a name means Varnex.conf in it
    EXPECT_EQ(config.ReadResult(), kVOk);
    EXPECT_EQ(config.IndexDirectory(1)->FullPath(), "etc/db");
    EXPECT_EQ(config.WorkDirectory()->FullPath(), "etc/w");
  }
  {
    VConfig config("Varnex.conf");  // in the current directory, which has none
    EXPECT_EQ(config.ReadResult(), kVConfigMissing);
    EXPECT_EQ(config.DirectoryPath(), ".");
    EXPECT_EQ(config.IndexDirectory(1)->FullPath(), "./INDEX");
  }
  EXPECT_TRUE(std::filesystem::exists(dir / "Varnex.conf"));
}

TEST(VConfig, AnyBytesReadWithoutHarmKeepingWhatWasUnderstood) {
  TempDir dir;
  std::string bytes = "[DDSA]\n";
  for (int i = 0; i < 3000; ++i) bytes.push_back(static_cast<char>((i * 197 + 11) % 256));
  bytes += "\n\"unbalanced = 'quote\n((( = [ {\n= = =\nPORT = (((( 4444\n";
  bytes += "TLOG = on " + std::string(10000, 'x') + "\n";
  bytes += std::string(10000, '(') + "\n";
  bytes += "SERVER = \"10.0.0.1\"\n";
  WriteAll(dir / "Varnex.conf", bytes);
  VConfig config(dir / "Varnex.conf");
  EXPECT_EQ(config.ReadResult(), kVOk);
  ASSERT_GE(config.SectionCount(), 1);
  EXPECT_EQ(config.MainSection()->Port(), 4444);
  EXPECT_TRUE(config.TransactionLog());  // the long line's start is read
  EXPECT_EQ(*config.MainSection()->Server(), "10.0.0.1");
  EXPECT_FALSE(config.NeedsRewrite());
}

}  // namespace
