// VarnexTool: the varnex command-line tool. It reaches the database only through a VDBHandle on a
// stand-alone engine (VBSBoss), as the player does, plus the read-only integrity check (VDBCheck).
//
// Text arguments and standard input are UTF-8 and become Shift-JIS before they reach the engine;
// text output goes back to UTF-8 (raw mode passes Shift-JIS both ways). An argument that is not
// valid UTF-8, or holds a character Shift-JIS cannot hold, is refused, never stored mangled.
// Import and export files are UTF-8 or Shift-JIS (--encoding) and refused as a whole when they are
// not valid in it. A command that changes data commits at its end and cancels on an error; in the
// shell, transactions end with "commit" and "cancel" (and the end of the input commits, as closing
// the database does).
//
// Values as text, wherever the tool reads or writes them: a Flag is "1" or "0" (read as
// VFlagFromText reads it), Binary, Packet and binary long data (File, MacFile, PDF, JPEG, GIF,
// PNG, PICT, BMP) are base64, Text and HTML long data and every other type are text.
//
// Exit status: 0 success, 1 an engine or data error (or problems found by check), 2 a usage error.
#pragma once

#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "VarnexDelimited.h"
#include "VarnexOutput.h"
#include "VarnexText.h"
#include "base/VBase.h"

class VBSBoss;
class VDBHandle;
class VRecord;
class VSch_DBFile;
class VSchema;

// How a command fails: the exit status and the message for standard error.
struct VarnexError {
  int status;
  std::string message;
};

// How a record's long-data values are written: their size as a placeholder (views of records),
// their data (export), or not at all.
enum class VarnexLongData { kSize, kData, kNone };

// A command's words: options (given anywhere among them) and the rest in order.
class VarnexArgs {
 public:
  // valued: options that take a value; flags: options without one. Throws a usage error for an
  // unknown option or a missing value.
  VarnexArgs(std::vector<std::string> words, const std::set<std::string>& valued,
             const std::set<std::string>& flags);
  std::optional<std::string> Option(const std::string& name) const;
  bool Flag(const std::string& name) const { return flags_.count(name) > 0; }
  const std::vector<std::string>& Words() const { return words_; }
  size_t Count() const { return words_.size(); }
  const std::string& At(size_t i) const { return words_[i]; }

 private:
  std::vector<std::string> words_;
  std::map<std::string, std::string> options_;
  std::set<std::string> flags_;
};

class VarnexTool {
 public:
  static constexpr int kOk = 0;
  static constexpr int kFailed = 1;
  static constexpr int kUsage = 2;
  // The largest cache --cache gives (4 GB), and the cache size of a configuration made by create
  // (the largest a configuration file holds, 64 MB).
  static constexpr int32_t kMaxCacheKilobytes = 4194304;
  static constexpr int32_t kCreatedCacheKilobytes = 65535;

  VarnexTool(std::FILE* out, std::FILE* err, std::FILE* in);
  ~VarnexTool();

  int Main(int argc, char** argv);

 private:
  // Runs one command (the first word names it); answers the exit status.
  int Run(const std::vector<std::string>& words);
  void Dispatch(const std::string& command, const std::vector<std::string>& words);
  void Usage(const std::string& text) const;

  // Engine and database.
  void StartEngine(bool needConfig);
  void OpenDatabase();
  void CloseDatabase();
  void StopEngine();
  // Throws an engine error for a failed result: "what: code explanation".
  void Check(VResult result, const std::string& what) const;
  // Check for the result of a statement (Shift-JIS) on a file: a statement the engine refused is
  // told which of its references names nothing in the file, when one does.
  void CheckStatement(VResult result, const std::string& what, const VSch_DBFile& schema,
                      const std::string& statement) const;
  // A changing command succeeded (commit) or failed (cancel); nothing in the shell.
  void EndChange(bool succeeded);

  // Text at the edges. In refuses an argument that is not valid UTF-8 or holds a character that
  // Shift-JIS cannot hold (a usage error).
  std::string In(const std::string& arg) const;
  // An argument (a path) shown in a message, which is Shift-JIS like every message; never refused.
  std::string Shown(const std::string& arg) const;
  std::string Out(const std::string& sjis) const;
  void Say(const std::string& sjis) { out_->Line(sjis); }
  void Warn(const std::string& text) const;

  // Files, items and keys named by number or by name.
  int32_t FileId(const std::string& arg);
  const VSch_DBFile& Schema(int32_t fileNumber);
  int ItemId(const VSch_DBFile& schema, const std::string& arg) const;
  int KeyId(const VSch_DBFile& schema, const std::string& arg) const;
  std::vector<int> ItemList(const VSch_DBFile& schema,
                            const std::optional<std::string>& list) const;
  std::string FileTitle(const VSch_DBFile& schema) const;

  // Records (VarnexRecords.cpp).
  std::vector<VarnexColumn> RecordColumns(const VSch_DBFile& schema,
                                          const std::vector<int>& items) const;
  std::vector<VarnexCell> RecordCells(uint32_t r, const VRecord& record,
                                      const std::vector<int>& items) const;
  // An item's values as text (see the top of this file), Shift-JIS.
  std::vector<std::string> ValueTexts(const VRecord& record, int item,
                                      VarnexLongData longData = VarnexLongData::kSize) const;
  // Adds a value given as text (Shift-JIS; base64 for a binary type) to the record as the schema's
  // type of the item; where starts the message of a failure.
  void AddValueText(const VSch_DBFile& schema, int item, const std::string& text, VRecord* record,
                    const std::string& where) const;
  // ITEM=VALUE words into a record; changed receives the items named.
  void Assign(const VSch_DBFile& schema, const std::vector<std::string>& words, size_t from,
              VRecord* record, std::set<int>* changed) const;
  uint32_t RecordNumber(const std::string& arg) const;

  // Commands.
  void CmdCreate(const VarnexArgs& args);
  void CmdErase(const VarnexArgs& args);
  void CmdInfo(const VarnexArgs& args);
  void CmdAddFile(const VarnexArgs& args);
  void CmdSchema(const VarnexArgs& args);
  void CmdDropFile(const VarnexArgs& args);
  void CmdInsert(const VarnexArgs& args);
  void CmdGet(const VarnexArgs& args);
  void CmdUpdate(const VarnexArgs& args);
  void CmdDelete(const VarnexArgs& args);
  void CmdFind(const VarnexArgs& args);
  void CmdCount(const VarnexArgs& args);
  void CmdKeys(const VarnexArgs& args);
  void CmdImport(const VarnexArgs& args);
  void CmdExport(const VarnexArgs& args);
  void CmdCheck(const VarnexArgs& args);
  void CmdShell(const VarnexArgs& args);

  // Import and export (VarnexTransfer.cpp).
  VDelimitedSyntax Terms(const VarnexArgs& args) const;
  // The --encoding of an import or export file: UTF-8 by default, raw bytes in raw mode.
  VarnexEncoding FileEncoding(const VarnexArgs& args) const;
  void ImportDelimited(int32_t fileNumber, const std::string& text, const VarnexArgs& args,
                       const std::vector<int>& items);
  void Progress(size_t done, size_t total, uint32_t records, bool last);

  std::FILE* outFile_;
  std::FILE* errFile_;
  std::FILE* inFile_;
  std::string configPath_ = "./Varnex.conf";
  // --cache: the block cache's size for this run (0: the configuration's).
  int32_t cacheKilobytes_ = 0;
  VarnexFormat format_ = VarnexFormat::kTable;
  bool raw_ = false;
  std::unique_ptr<VarnexOutput> out_;
  std::unique_ptr<VBSBoss> engine_;
  std::unique_ptr<VDBHandle> handle_;
  bool shell_ = false;
  bool startedLog_ = false;
  // A changing command runs: commit at its end, cancel on its error.
  bool changing_ = false;
  // Records an import stored before it failed (told when they cannot be undone).
  uint32_t importedBeforeError_ = 0;
  int progressShown_ = -1;
  std::map<int32_t, std::unique_ptr<VSchema>> schemas_;
};
