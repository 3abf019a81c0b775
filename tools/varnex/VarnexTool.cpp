#include "VarnexTool.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "VarnexResults.h"
#include "base/VCodePage.h"
#include "base/VDebug.h"
#include "db/engine/VBSBoss.h"
#include "db/engine/VDBHandle.h"
#include "db/engine/VEngineCodes.h"
#include "db/schema/VConfig.h"
#include "db/schema/VSchema.h"
#include "db/store/VDBCodes.h"

namespace {

constexpr const char* kHelp =
    "usage: varnex [--conf PATH] [--cache KB] [--format table|tsv|json] [--raw] COMMAND ARGS...\n"
    "commands:\n"
    "  create [--name N] [--desc D]     create the database (and a default configuration, whose\n"
    "                                   block cache is 64 MB)\n"
    "  erase --yes                      erase the database\n"
    "  info                             name, description and files\n"
    "  addfile SCHEMA...                add the files of schema text files\n"
    "  schema FID                       print a file's schema text\n"
    "  dropfile FID                     erase a file's record files and dictionary entry\n"
    "  insert FID ITEM=VALUE...         insert a record; prints its number\n"
    "  get FID RID                      print a record\n"
    "  update FID RID ITEM=VALUE...     replace the values of the items named\n"
    "  delete FID RID                   delete a record\n"
    "  find FID STATEMENT [--sort DESC] [--limit N] [--items LIST]\n"
    "  count FID STATEMENT              count the records of a statement\n"
    "  keys FID KID [FROM] [--limit N]  walk a key: value, count, record numbers\n"
    "  import FID FILE [--format FORMATTEXT] [--item-term T] [--repeat-term T]\n"
    "         [--record-term T] [--items LIST] [--encoding utf-8|cp932]\n"
    "  export FID [STATEMENT] [--items LIST] [--item-term T] [--repeat-term T]\n"
    "         [--record-term T] [--encoding utf-8|cp932] [--no-long-data]\n"
    "  check [FID...]                   integrity check (read-only)\n"
    "  shell                            commands from standard input; commit, cancel, quit\n"
    "FID, ITEM and KID are numbers or names. Arguments and files are UTF-8 (--raw: Shift-JIS\n"
    "bytes as they are); Flag values are 1 or 0 (true, false and numbers are read too); Binary,\n"
    "Packet and binary long data are base64. --cache sets the block cache for this run only\n"
    "(kilobytes, 40 to 4194304; the configuration file keeps its own).\n";

bool IsDigits(const std::string& text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Splits a shell line into words: blanks separate, double and single quotes group (a backslash
// escapes the next character inside double quotes and outside quotes).
std::vector<std::string> ShellWords(const std::string& line, bool* unterminated) {
  std::vector<std::string> words;
  std::string word;
  bool inWord = false;
  char quote = 0;
  for (size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quote != 0) {
      if (c == quote)
        quote = 0;
      else if (c == '\\' && quote == '"' && i + 1 < line.size())
        word += line[++i];
      else
        word += c;
    } else if (c == '"' || c == '\'') {
      quote = c;
      inWord = true;
    } else if (c == '\\' && i + 1 < line.size()) {
      word += line[++i];
      inWord = true;
    } else if (c == ' ' || c == '\t' || c == '\r') {
      if (inWord) words.push_back(word);
      word.clear();
      inWord = false;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (inWord) words.push_back(word);
  *unterminated = quote != 0;
  return words;
}

}  // namespace

VarnexArgs::VarnexArgs(std::vector<std::string> words, const std::set<std::string>& valued,
                       const std::set<std::string>& flags) {
  bool options = true;
  for (size_t i = 0; i < words.size(); ++i) {
    const std::string& w = words[i];
    if (options && w == "--") {
      options = false;
    } else if (options && w.size() > 2 && w.compare(0, 2, "--") == 0) {
      if (valued.count(w)) {
        if (i + 1 >= words.size()) throw VarnexError{VarnexTool::kUsage, w + " needs a value"};
        options_[w] = words[++i];
      } else if (flags.count(w)) {
        flags_.insert(w);
      } else {
        throw VarnexError{VarnexTool::kUsage, "unknown option " + w};
      }
    } else {
      words_.push_back(w);
    }
  }
}

std::optional<std::string> VarnexArgs::Option(const std::string& name) const {
  auto found = options_.find(name);
  if (found == options_.end()) return std::nullopt;
  return found->second;
}

VarnexTool::VarnexTool(std::FILE* out, std::FILE* err, std::FILE* in)
    : outFile_(out), errFile_(err), inFile_(in) {}

VarnexTool::~VarnexTool() { StopEngine(); }

int VarnexTool::Main(int argc, char** argv) {
  std::vector<std::string> words;
  int i = 1;
  try {
    for (; i < argc; ++i) {
      const std::string w = argv[i];
      if ((w == "--conf" || w == "--format" || w == "--cache") && i + 1 >= argc) {
        throw VarnexError{kUsage, w + " needs a value"};
      }
      if (w == "--conf") {
        configPath_ = argv[++i];
      } else if (w == "--cache") {
        const std::string kilobytes = argv[++i];
        if (!IsDigits(kilobytes) || kilobytes.size() > 7 || std::stol(kilobytes) < 40 ||
            std::stol(kilobytes) > kMaxCacheKilobytes) {
          throw VarnexError{
              kUsage, "--cache takes kilobytes from 40 to " + std::to_string(kMaxCacheKilobytes)};
        }
        cacheKilobytes_ = static_cast<int32_t>(std::stol(kilobytes));
      } else if (w == "--format") {
        const std::string f = argv[++i];
        if (f == "table")
          format_ = VarnexFormat::kTable;
        else if (f == "tsv")
          format_ = VarnexFormat::kTsv;
        else if (f == "json")
          format_ = VarnexFormat::kJson;
        else
          throw VarnexError{kUsage, "unknown output format " + f};
      } else if (w == "--raw") {
        raw_ = true;
      } else if (w == "--help" || w == "-h") {
        std::fputs(kHelp, outFile_);
        return kOk;
      } else {
        break;
      }
    }
  } catch (const VarnexError& e) {
    std::fprintf(errFile_, "varnex: %s\n", e.message.c_str());
    return e.status;
  }
  for (; i < argc; ++i) words.push_back(argv[i]);
  if (words.empty()) {
    std::fputs(kHelp, errFile_);
    return kUsage;
  }
  out_ = std::make_unique<VarnexOutput>(outFile_, format_, raw_);
  const int status = Run(words);
  StopEngine();
  return status;
}

int VarnexTool::Run(const std::vector<std::string>& words) {
  changing_ = false;
  importedBeforeError_ = 0;
  try {
    try {
      Dispatch(words[0], words);
      if (changing_) EndChange(true);
      if (!shell_) CloseDatabase();
      return kOk;
    } catch (const VFailure& failure) {
      throw VarnexError{
          kFailed, "the engine failed: " + VarnexExplain(static_cast<VResult>(failure.Code()))};
    }
  } catch (const VarnexError& e) {
    std::fprintf(errFile_, "varnex: %s\n", Out(e.message).c_str());
    try {
      if (changing_) EndChange(false);
      if (!shell_) CloseDatabase();
    } catch (const VFailure&) {
      Warn("the database stopped after a fatal storage error");
    } catch (const VarnexError& later) {
      Warn(later.message);
    }
    return e.status;
  }
}

void VarnexTool::Dispatch(const std::string& command, const std::vector<std::string>& all) {
  std::vector<std::string> words(all.begin() + 1, all.end());
  static const std::set<std::string> kNone;
  static const std::set<std::string> kTermOptions = {"--item-term", "--repeat-term",
                                                     "--record-term", "--items", "--encoding"};
  if (command == "create") return CmdCreate(VarnexArgs(words, {"--name", "--desc"}, kNone));
  if (command == "erase") return CmdErase(VarnexArgs(words, kNone, {"--yes"}));
  if (command == "info") return CmdInfo(VarnexArgs(words, kNone, kNone));
  if (command == "addfile") return CmdAddFile(VarnexArgs(words, kNone, kNone));
  if (command == "schema") return CmdSchema(VarnexArgs(words, kNone, kNone));
  if (command == "dropfile") return CmdDropFile(VarnexArgs(words, kNone, kNone));
  if (command == "insert") return CmdInsert(VarnexArgs(words, kNone, kNone));
  if (command == "get") return CmdGet(VarnexArgs(words, {"--items"}, kNone));
  if (command == "update") return CmdUpdate(VarnexArgs(words, kNone, kNone));
  if (command == "delete") return CmdDelete(VarnexArgs(words, kNone, kNone));
  if (command == "find") {
    return CmdFind(VarnexArgs(words, {"--sort", "--limit", "--items"}, kNone));
  }
  if (command == "count") return CmdCount(VarnexArgs(words, kNone, kNone));
  if (command == "keys") return CmdKeys(VarnexArgs(words, {"--limit"}, kNone));
  if (command == "import") {
    std::set<std::string> options = kTermOptions;
    options.insert("--format");
    return CmdImport(VarnexArgs(words, options, kNone));
  }
  if (command == "export") return CmdExport(VarnexArgs(words, kTermOptions, {"--no-long-data"}));
  if (command == "check") return CmdCheck(VarnexArgs(words, kNone, kNone));
  if (command == "shell" && !shell_) return CmdShell(VarnexArgs(words, kNone, kNone));
  if (shell_ && (command == "commit" || command == "cancel")) {
    if (!words.empty()) Usage(command);
    OpenDatabase();
    if (command == "commit") {
      // Without a transaction log the commit answers -2143 after flushing all the same.
      const VResult result = handle_->Commit();
      if (result != kVTargetUnavailable) Check(result, command);
      return;
    }
    const VResult result = handle_->Cancel();
    if (result == kVTargetUnavailable) {
      throw VarnexError{kFailed,
                        "cancel: without a transaction log (TLOG = on in the "
                        "configuration) nothing can be undone"};
    }
    Check(result, command);
    return;
  }
  throw VarnexError{kUsage, "unknown command " + command + " (varnex --help lists them)"};
}

void VarnexTool::Usage(const std::string& text) const {
  throw VarnexError{kUsage, "usage: varnex " + text};
}

// ---- engine and database ----

void VarnexTool::StartEngine(bool needConfig) {
  if (engine_ != nullptr) return;
  if (needConfig && !std::filesystem::exists(configPath_)) {
    throw VarnexError{kFailed, "no configuration file " + configPath_ +
                                   " (varnex create makes a database and its configuration)"};
  }
  engine_ = std::make_unique<VBSBoss>(configPath_);
  if (cacheKilobytes_ > 0) (void)engine_->SetCacheKilobytes(cacheKilobytes_);  // no cache yet
  handle_ = std::make_unique<VDBHandle>(engine_.get());
  if (engine_->Config()->CommandLog() && VDebugActive() == nullptr) {
    // The command log goes to its file only: its lines on the terminal would bury the output.
    // The log's opening lines are written before its media can be chosen, so standard error is
    // set aside while it starts.
    std::fflush(stderr);
    const int saved = dup(STDERR_FILENO);
    const int null = open("/dev/null", O_WRONLY);
    if (saved >= 0 && null >= 0) dup2(null, STDERR_FILENO);
    StartLog("varnex_log", true);
    VDebugActive()->SetMedia(VDebug::kFile);
    std::fflush(stderr);
    if (saved >= 0) dup2(saved, STDERR_FILENO);
    if (saved >= 0) close(saved);
    if (null >= 0) close(null);
    startedLog_ = true;
  }
}

void VarnexTool::OpenDatabase() {
  StartEngine(true);
  if (handle_->IsOpen()) return;
  Check(handle_->Open("varnex"), "open");
}

void VarnexTool::CloseDatabase() {
  if (handle_ == nullptr || !handle_->IsOpen()) return;
  schemas_.clear();
  Check(handle_->Close(), "close");
}

void VarnexTool::StopEngine() {
  try {
    CloseDatabase();
  } catch (const VarnexError& e) {
    Warn(e.message);
  } catch (const VFailure&) {
    Warn("the database stopped after a fatal storage error");
  }
  schemas_.clear();
  handle_.reset();
  engine_.reset();
  if (startedLog_) StopLog();
  startedLog_ = false;
}

void VarnexTool::Check(VResult result, const std::string& what) const {
  if (result == kVOk) return;
  throw VarnexError{kFailed, what + ": " + VarnexExplain(result)};
}

void VarnexTool::CheckStatement(VResult result, const std::string& what, const VSch_DBFile& schema,
                                const std::string& statement) const {
  if (result == kVOk) return;
  std::string message = what + ": " + VarnexExplain(result);
  if (result == kVStatementFailed || result == kVCountFailed) {
    const std::string hint = VarnexStatementHint(schema, statement);
    if (!hint.empty()) message += ": " + hint;
  }
  throw VarnexError{kFailed, message};
}

void VarnexTool::EndChange(bool succeeded) {
  changing_ = false;
  if (shell_ || handle_ == nullptr || !handle_->IsOpen()) return;
  if (succeeded) {
    // Without a transaction log the commit answers -2143 after flushing all the same.
    const VResult result = handle_->Commit();
    if (result != kVOk && result != kVTargetUnavailable) Check(result, "commit");
    return;
  }
  const VResult result = handle_->Cancel();
  if (result == kVTargetUnavailable) {
    if (importedBeforeError_ > 0) {
      Warn(std::to_string(importedBeforeError_) +
           " records stored before the error stay: without a transaction log (TLOG = on in the "
           "configuration) nothing can be undone");
    }
  } else if (result != kVOk) {
    Warn("cancel: " + VarnexExplain(result));
  }
}

// ---- text ----

std::string VarnexTool::In(const std::string& arg) const {
  if (raw_) return arg;
  std::string sjis;
  VarnexBadText bad;
  if (VarnexToSjis(arg, VarnexEncoding::kUtf8, &sjis, &bad)) return sjis;
  // What converted is shown as text, the rest as byte escapes (it may not be text at all).
  const bool broken = bad.what.find("UTF-8") != std::string::npos;
  throw VarnexError{
      kUsage, "the argument \"" + sjis + VarnexShowBytes(arg.substr(bad.offset)) +
                  "\" is refused: at its byte " + std::to_string(bad.offset + 1) + ", " + bad.what +
                  (broken ? " (give --raw to pass Shift-JIS bytes as they are)" : "")};
}

std::string VarnexTool::Shown(const std::string& arg) const {
  return raw_ ? arg : VUtf8ToSjis(arg);
}

std::string VarnexTool::Out(const std::string& sjis) const {
  return raw_ ? sjis : VSjisToUtf8(sjis);
}

void VarnexTool::Warn(const std::string& text) const {
  std::fprintf(errFile_, "varnex: %s\n", Out(text).c_str());
}

// ---- names ----

int32_t VarnexTool::FileId(const std::string& arg) {
  OpenDatabase();
  if (IsDigits(arg) && arg.size() < 7) return std::stoi(arg);
  const std::string name = In(arg);
  std::string dbName;
  std::string desc;
  std::vector<uint32_t> files;
  Check(handle_->GetInfo(&dbName, &desc, &files), "dictionary");
  for (uint32_t number : files) {
    if (Schema(static_cast<int32_t>(number)).Name() == name) return static_cast<int32_t>(number);
  }
  throw VarnexError{kUsage, "no file named " + name};
}

const VSch_DBFile& VarnexTool::Schema(int32_t fileNumber) {
  OpenDatabase();
  auto found = schemas_.find(fileNumber);
  if (found != schemas_.end()) return static_cast<const VSch_DBFile&>(*found->second);
  std::string text;
  Check(handle_->FetchSchema(fileNumber, &text), "file " + std::to_string(fileNumber));
  std::unique_ptr<VSchema> schema = ReadSchema(text.data(), static_cast<int64_t>(text.size()));
  if (schema == nullptr || schema->Kind() != VSchema::kFile) {
    throw VarnexError{kFailed, "the dictionary's schema of file " + std::to_string(fileNumber) +
                                   " does not read"};
  }
  const VSch_DBFile& file = static_cast<const VSch_DBFile&>(*schema);
  schemas_[fileNumber] = std::move(schema);
  return file;
}

int VarnexTool::ItemId(const VSch_DBFile& schema, const std::string& arg) const {
  int number = -1;
  if (IsDigits(arg) && arg.size() < 4) {
    number = std::stoi(arg);
    if (schema.ItemByNumber(number) == nullptr) number = -1;
  } else {
    number = schema.ItemNumberByName(In(arg));
  }
  if (number <= 0 || number > 255) {
    throw VarnexError{kUsage, "file " + FileTitle(schema) + " has no item " + In(arg)};
  }
  return number;
}

int VarnexTool::KeyId(const VSch_DBFile& schema, const std::string& arg) const {
  if (IsDigits(arg) && arg.size() < 4) return std::stoi(arg);
  const int number = schema.KeyNumberByName(In(arg));
  if (number <= 0) {
    throw VarnexError{kUsage, "file " + FileTitle(schema) + " has no key " + In(arg)};
  }
  return number;
}

std::vector<int> VarnexTool::ItemList(const VSch_DBFile& schema,
                                      const std::optional<std::string>& list) const {
  std::vector<int> items;
  if (!list) {
    for (int i = 0; i < schema.ItemCount(); ++i) items.push_back(schema.ItemAt(i)->Number());
    std::sort(items.begin(), items.end());
    items.erase(std::unique(items.begin(), items.end()), items.end());
    return items;
  }
  std::stringstream parts(*list);
  std::string part;
  while (std::getline(parts, part, ',')) {
    if (!part.empty()) items.push_back(ItemId(schema, part));
  }
  if (items.empty()) throw VarnexError{kUsage, "--items names no item"};
  return items;
}

std::string VarnexTool::FileTitle(const VSch_DBFile& schema) const {
  return std::to_string(schema.Number()) + " (" + schema.Name() + ")";
}

// ---- database commands ----

void VarnexTool::CmdCreate(const VarnexArgs& args) {
  if (args.Count() != 0) Usage("create [--name N] [--desc D]");
  const bool made = !std::filesystem::exists(configPath_);
  StartEngine(false);
  // A configuration made here gets a cache for today's machines: the engine's own default (for a
  // configuration that is missing when it starts) is a few hundred kilobytes, which makes every
  // bulk load flush every few hundred records.
  if (made) engine_->Config()->MainSection()->SetCacheSize(kCreatedCacheKilobytes, true);
  Check(handle_->CreateDatabase(In(args.Option("--name").value_or("")),
                                In(args.Option("--desc").value_or(""))),
        "create");
  if (made) Say("created the configuration " + In(configPath_));
  Say("created the database");
}

void VarnexTool::CmdErase(const VarnexArgs& args) {
  if (args.Count() != 0) Usage("erase --yes");
  if (!args.Flag("--yes")) {
    throw VarnexError{kUsage, "erase removes every file of the database; give --yes to do it"};
  }
  StartEngine(true);
  if (handle_->IsOpen()) throw VarnexError{kUsage, "erase needs the database closed"};
  Check(handle_->EraseDatabase(), "erase");
  Say("erased the database");
}

void VarnexTool::CmdAddFile(const VarnexArgs& args) {
  if (args.Count() == 0) Usage("addfile SCHEMA...");
  OpenDatabase();
  changing_ = true;
  for (const std::string& path : args.Words()) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw VarnexError{kFailed, "cannot read " + Shown(path) + ": " + std::strerror(errno)};
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // Schema files are Shift-JIS; one written as UTF-8 (valid UTF-8 with characters beyond ASCII,
    // which Japanese Shift-JIS text practically never is) is converted.
    if (!raw_ && VSjisToUtf8(VUtf8ToSjis(text)) == text &&
        std::any_of(text.begin(), text.end(), [](char c) { return (c & 0x80) != 0; })) {
      text = VUtf8ToSjis(text);
    }
    VResult read = kVOk;
    std::unique_ptr<VSchema> schema =
        ReadSchema(text.data(), static_cast<int64_t>(text.size()), &read);
    if (schema == nullptr) Check(read == kVOk ? kVSchemaNotDBOrFile : read, path);
    Check(handle_->CreateFiles(*schema), path);
    std::vector<const VSchema*> made;
    if (schema->Kind() == VSchema::kFile) {
      made.push_back(schema.get());
    } else if (schema->Kind() == VSchema::kDatabase) {
      const auto& db = static_cast<const VSch_DB&>(*schema);
      for (int i = 0; i < db.FileCount(); ++i) made.push_back(db.FileAt(i));
    }
    for (const VSchema* file : made) {
      Say("added file " + std::to_string(file->Number()) + " (" + file->Name() + ")");
    }
  }
}

void VarnexTool::CmdDropFile(const VarnexArgs& args) {
  if (args.Count() != 1) Usage("dropfile FID");
  const int32_t fid = FileId(args.At(0));
  changing_ = true;
  const std::string title = FileTitle(Schema(fid));
  Check(handle_->EraseFile(fid), "dropfile");
  Check(handle_->RemoveSchema(fid), "dropfile");
  schemas_.erase(fid);
  Say("dropped file " + title);
}

void VarnexTool::CmdShell(const VarnexArgs& args) {
  if (args.Count() != 0) Usage("shell");
  OpenDatabase();
  shell_ = true;
  int status = kOk;
  std::string line;
  char buffer[4096];
  while (std::fgets(buffer, sizeof buffer, inFile_) != nullptr) {
    line += buffer;
    if (line.empty() || line.back() != '\n') {
      if (!std::feof(inFile_)) continue;
    }
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    bool unterminated = false;
    std::vector<std::string> words = ShellWords(line, &unterminated);
    line.clear();
    if (unterminated) {
      Warn("a quote is not closed");
      status = std::max(status, kUsage);
      continue;
    }
    if (words.empty() || words[0][0] == '#') continue;
    if (words[0] == "quit" || words[0] == "exit") break;
    status = std::max(status, Run(words));
    std::fflush(outFile_);
  }
  shell_ = false;
  if (status != kOk) throw VarnexError{status, "shell: some commands failed"};
}
