#include "base/VDebug.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "TempDir.h"

namespace {

std::vector<std::string> Lines(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Message text of a log line: what follows "] ".
std::string MessageOf(const std::string& line) { return line.substr(line.find("] ") + 2); }

TEST(VDebug, SilentWithoutAnActiveLog) {
  TempDir dir(true);
  ASSERT_EQ(VDebugActive(), nullptr);
  Log("nothing");
  LogFormat("%d", 5);
  LogError("nothing", -1);
  EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}

TEST(VDebug, NumberedFilesAndLineFormat) {
  TempDir dir(true);
  std::ofstream("varnex_log.log1") << "taken";
  StartLog("varnex_log", true);
  ASSERT_NE(VDebugActive(), nullptr);
  EXPECT_EQ(VDebugActive()->FileName(), "varnex_log.log2");
  StartLog("other", false);  // ignored while one is active
  EXPECT_EQ(VDebugActive()->FileName(), "varnex_log.log2");
  Log("message with a break\r\n");
  LogError("opening", -22);
  LogFormat("%s=%5d|%lx|%c|%.2f|%s", "count", 42, 255u, 'q', 1.5, std::string(300, 'z'));
  LogFileOnly("file only");
  StopLog();
  EXPECT_EQ(VDebugActive(), nullptr);

  std::vector<std::string> lines = Lines("varnex_log.log2");
  ASSERT_EQ(lines.size(), 10u);
  std::vector<std::string> messages;
  for (const std::string& line : lines) messages.push_back(MessageOf(line));
  EXPECT_EQ(messages[0], "...ASSIGN MEDIA: DBG_Print");
  EXPECT_EQ(messages[1], "...ASSIGN MEDIA: DBG_File");
  EXPECT_EQ(messages[2], "...ASSIGN FLUSH: on");
  EXPECT_EQ(messages[3], "...ASSIGN LOGFILE: varnex_log.log2");
  EXPECT_EQ(messages[4].rfind("<Varnex415> VDebug is Active. ....", 0), 0u);
  EXPECT_EQ(messages[5], "message with a break");
  EXPECT_EQ(messages[6], "opening, error: -22");
  EXPECT_EQ(messages[7], "count=   42|ff|q|1.50|<--- length > 255 --->");
  EXPECT_EQ(messages[8], "file only");
  EXPECT_EQ(messages[9], "<Varnex415> VDebug is Down.");
  // Line numbers are process-wide; each line is "%6ld [YYYY/MM/DD HH:MM:SS] message".
  std::regex shape(R"( {0,5}\d{1,6} \[\d{4}/\d\d/\d\d \d\d:\d\d:\d\d\] .*)");
  for (const std::string& line : lines) EXPECT_TRUE(std::regex_match(line, shape)) << line;
  long first = std::stol(lines[0].substr(0, 6));
  EXPECT_EQ(std::stol(lines[4].substr(0, 6)), first + 4);
  EXPECT_EQ(lines[4][5] - '0', (first + 4) % 10);
}

TEST(VDebug, WithoutTheConsoleEveryLineGoesToTheFileOnly) {
  TempDir dir(true);
  VSetLogConsoleAllowed(false);
  testing::internal::CaptureStderr();
  StartLog("quiet", false);
  Log("to the file");
  VDebugActive()->SetMedia(VDebug::kConsole | VDebug::kFile);  // asked for, still not allowed
  EXPECT_FALSE(VDebugActive()->ConsoleEnabled());
  Log("still to the file");
  StopLog();
  // A log already running stops writing to the console when it is turned off.
  VSetLogConsoleAllowed(true);
  StartLog("later", false);
  VSetLogConsoleAllowed(false);
  Log("quiet from now on");
  StopLog();
  VSetLogConsoleAllowed(true);
  const std::string console = testing::internal::GetCapturedStderr();
  EXPECT_EQ(console.find("to the file"), std::string::npos) << console;
  EXPECT_EQ(console.find("quiet from now on"), std::string::npos) << console;
  EXPECT_NE(console.find("...ASSIGN LOGFILE: later.log"), std::string::npos) << console;

  std::vector<std::string> messages;
  for (const std::string& line : Lines("quiet.log")) messages.push_back(MessageOf(line));
  ASSERT_GE(messages.size(), 4u);
  EXPECT_EQ(messages[0], "...ASSIGN MEDIA: DBG_File");  // never the console's
  EXPECT_NE(std::find(messages.begin(), messages.end(), "still to the file"), messages.end());
  EXPECT_EQ(MessageOf(Lines("later.log").at(Lines("later.log").size() - 2)), "quiet from now on");
}

TEST(VDebug, DumpsGoToOneFilePerName) {
  TempDir dir(true);
  StartLog(nullptr, false);
  ASSERT_NE(VDebugActive(), nullptr);
  VDebugActive()->Dump("blocks", 7, "ABC", 3);
  VDebugActive()->Dump("records", 8, "xy", 2);
  VDebugActive()->Dump("blocks", 9, "DE", 2);
  StopLog();
  EXPECT_TRUE(std::filesystem::exists("debug.log"));
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator("@DUMP")) {
    files.push_back(entry.path().filename().string());
  }
  ASSERT_EQ(files.size(), 2u);
  std::string blocks;
  for (const std::string& name : files) {
    EXPECT_EQ(name.rfind("@debug.", 0), 0u);
    std::string content = Slurp("@DUMP/" + name);
    if (content.rfind("blocks", 0) == 0) blocks = content;
  }
  EXPECT_EQ(blocks,
            "blocks<= START V[ID:00000007, LEN:00000003] =>ABC<= END   V[ID:00000007, "
            "LEN:00000003] =><= START V[ID:00000009, LEN:00000002] =>DE<= END   "
            "V[ID:00000009, LEN:00000002] =>");
}

}  // namespace
