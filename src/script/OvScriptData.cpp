// The data commands of scripts: "@CreateDB" makes a database from a schema file, "@DataInput"
// reads the records of a delimited data file into the form's file, "@DataOutput" writes the
// records of the form's set to one.
//
// Data safety. Under the commit modes "end" and "file" an input is all or nothing: what was open
// before it is committed first, so that a failure cancels the input's records and nothing else.
// That needs the transaction log; without one the person is asked before such an input starts,
// and a failure says how many records stay. Under "record" every record before a failing one
// stays committed. A record is stored whole or not at all: one whose keywords cannot be added to
// their key is taken out again. An output is written beside its file and put in its place only
// when it is complete, so a failed or stopped output leaves the file as it was.
#include <algorithm>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "base/VDebug.h"
#include "base/VFile.h"
#include "base/VString.h"
#include "db/engine/VBSBoss.h"
#include "db/engine/VDBHandle.h"
#include "db/engine/VEngineCodes.h"
#include "db/schema/VConfig.h"
#include "db/schema/VDelimited.h"
#include "db/schema/VRecord.h"
#include "db/schema/VSchema.h"
#include "db/schema/VValue.h"
#include "db/schema/VValueText.h"
#include "gt/OGTCursor.h"
#include "gt/OGTDBWindow.h"
#include "gt/OGTMessageBox.h"
#include "gt/OGTProgress.h"
#include "gt/OGTTexts.h"
#include "gt/OGTUDlog.h"
#include "script/OvDataInput.h"
#include "script/OvScript.h"
#include "script/OvScriptParams.h"
#include "script/OvScriptTexts.h"

namespace {

// The player's code for an engine or handle that could not be made.
constexpr VResult kCannotMake = -13;
constexpr int64_t kCommitEvery = 1000;
constexpr int64_t kLogEvery = 1000;
// The output is written to its file in pieces of about this size.
constexpr size_t kWriteChunk = size_t{1} << 16;

const char* Text(OvScriptTextId id) { return OvScriptText(id).c_str(); }

// The file name of a command: chosen by the person ("ask"; false when the chooser was cancelled)
// or the script's own.
bool FileName(bool ask, const std::string& given, const char* suggested, std::string* path) {
  if (!ask) {
    *path = given;
    return true;
  }
  VString chosen;
  const bool picked =
      suggested == nullptr ? ChooseOpenFile(chosen) : ChooseSaveFile(chosen, suggested);
  if (picked) *path = chosen.ToStdString();
  return picked;
}

VResult CreateDatabaseFrom(const VSchema& schema) {
  try {
    auto engine = std::make_unique<VBSBoss>("./Varnex.conf");
    auto handle = std::make_unique<VDBHandle>(engine.get());
    VResult result = handle->CreateDatabase("DB", "Memo");
    if (result == kVOk) result = handle->Open();
    if (result == kVOk) result = handle->CreateFiles(schema);
    // Closing answers 0 when the database did not open.
    const VResult closed = handle->Close();
    return result != kVOk ? result : closed;
  } catch (const std::bad_alloc&) {
    return kCannotMake;
  } catch (const VFailure& failure) {
    return static_cast<VResult>(failure.Code());
  }
}

// The types of the items of a database file, from its schema in the data dictionary.
OvItemTypes ItemTypes(VDBHandle* handle, int32_t fileNumber) {
  OvItemTypes types{};
  std::string text;
  if (handle == nullptr || handle->FetchSchema(fileNumber, &text) != kVOk) return types;
  std::unique_ptr<VSchema> schema = ReadSchema(text.data(), static_cast<int64_t>(text.size()));
  if (schema == nullptr || schema->Kind() != VSchema::kFile) return types;
  const auto& file = static_cast<const VSch_DBFile&>(*schema);
  for (int i = 0; i < file.ItemCount(); ++i) {
    const VSch_DBItem* item = file.ItemAt(i);
    if (item->Number() >= 1 && item->Number() <= 255) {
      types[static_cast<size_t>(item->Number())] = item->Type();
    }
  }
  return types;
}

bool HasTransactionLog(VDBHandle* handle) {
  return handle != nullptr && handle->Engine() != nullptr &&
         handle->Engine()->Config()->TransactionLog();
}

std::string Counted(OvScriptTextId before, int64_t count) {
  return OvScriptText(before) + std::to_string(count) + OvScriptText(kOvTextRecordsUnit);
}

// One run of the input: records are read, stored with their keywords, counted, committed as the
// mode says and shown in the progress window.
class InputRun {
 public:
  InputRun(OGTDBWindow* window, const OvDataInputParams& params, VFile& file)
      : set_(window->RecordSet()),
        handle_(window->Handle()),
        params_(params),
        withLog_(HasTransactionLog(handle_)),
        types_(ItemTypes(handle_, set_.File())),
        reader_(file, OvDataInputSyntax(params)),
        records_(reader_, params.scheme, types_, handle_),
        progress_(OvScriptText(kOvTextInputTitle), true) {}

  // Reads to the end of the file or the first failure; answers the result.
  VResult Run();
  // Ends the transaction without reporting, the missing transaction log being no failure.
  VResult Commit();
  bool WithLog() const { return withLog_; }
  int64_t Stored() const { return stored_; }
  bool Cancelled() const { return cancelled_; }

 private:
  VResult StoreOne(const VRecord& record, const std::vector<OvKeywordKey>& keys);
  VResult AddKeywords(uint32_t r, const VRecord& record, const std::vector<OvKeywordKey>& keys);
  // Takes a stored record out again after its keywords failed: its entries, the record and its
  // long data.
  void TakeBack(uint32_t r, const VRecord& record);
  void ShowProgress();

  OvRecordSet& set_;
  VDBHandle* handle_;
  const OvDataInputParams& params_;
  bool withLog_;
  OvItemTypes types_;
  VDelimitedReader reader_;
  OvDataRecordReader records_;
  OGTProgress progress_;
  int64_t stored_ = 0;
  bool cancelled_ = false;
  // The key entries added for the record being stored.
  std::vector<std::pair<int32_t, std::string>> added_;
  std::vector<std::string> words_;
  std::string text_;
};

VResult InputRun::Commit() {
  const VResult result = set_.Commit();
  return result == kVTargetUnavailable && !withLog_ ? kVOk : result;
}

VResult InputRun::Run() {
  VRecord record;
  std::vector<OvKeywordKey> keys;
  for (;;) {
    VResult result = records_.Next(&record, &keys);
    if (result == kVEnd) break;
    if (result == kVOk && record.ItemCount() == 0) continue;  // a line that gives no value
    if (result == kVOk) {
      result = StoreOne(record, keys);
    } else {
      // The long data of the values read before the failure would stay in the value file with
      // nothing referring to it.
      VReleaseLongData(record, handle_);
    }
    if (result != kVOk) {
      LogFormat("Record %ld : error %ld %s", static_cast<long>(records_.RecordNumber()),
                static_cast<long>(result), records_.FailurePlace());
      return result;
    }
    ++stored_;
    if (stored_ % kLogEvery == 0) LogFormat("Record Count : %ld", static_cast<long>(stored_));
    const bool commit = params_.commit == OvDataInputParams::kRecord ||
                        (params_.commit == OvDataInputParams::kNo && stored_ % kCommitEvery == 0);
    if (commit) {
      if (VResult committed = Commit(); committed != kVOk) {
        LogFormat("Record %ld : commit error %ld", static_cast<long>(records_.RecordNumber()),
                  static_cast<long>(committed));
        return committed;
      }
    }
    if (progress_.Due()) {
      ShowProgress();
      if (progress_.Cancelled()) {
        cancelled_ = true;
        LogFormat("Record %ld : cancelled", static_cast<long>(records_.RecordNumber()));
        return kVTransferCancelled;
      }
    }
  }
  if (progress_.Shown()) ShowProgress();
  return params_.commit == OvDataInputParams::kFile ? Commit() : VResult(kVOk);
}

void InputRun::ShowProgress() {
  const int64_t size = reader_.Size();
  const int32_t share =
      size > 0 ? static_cast<int32_t>(reader_.Consumed() * 1000 / size) : int32_t{-1};
  progress_.Show(Counted(kOvTextRecordsRead, stored_), share);
}

VResult InputRun::StoreOne(const VRecord& record, const std::vector<OvKeywordKey>& keys) {
  uint32_t r = 0;
  VResult result = set_.Insert(record, &r, false);
  if (result != kVOk) {
    VReleaseLongData(record, handle_);
    return result;
  }
  result = AddKeywords(r, record, keys);
  if (result != kVOk) TakeBack(r, record);
  return result;
}

VResult InputRun::AddKeywords(uint32_t r, const VRecord& record,
                              const std::vector<OvKeywordKey>& keys) {
  added_.clear();
  for (const OvKeywordKey& key : keys) {
    words_.clear();
    for (int32_t occurrence = 1; occurrence <= record.OccurrenceCount(key.item); ++occurrence) {
      if (VResult result = VValueToText(record, key.item, occurrence, handle_, &text_);
          result != kVOk) {
        return result;
      }
      // The keywords of every value, each once.
      OvSplitKeywords(text_, &words_);
      std::vector<std::string> unique;
      for (std::string& word : words_) {
        if (std::find(unique.begin(), unique.end(), word) == unique.end()) {
          unique.push_back(std::move(word));
        }
      }
      words_ = std::move(unique);
    }
    for (const std::string& word : words_) {
      if (VResult result = handle_->AddKeyEntry(set_.File(), r, key.key, word); result != kVOk) {
        return result;
      }
      added_.emplace_back(key.key, word);
    }
  }
  return kVOk;
}

void InputRun::TakeBack(uint32_t r, const VRecord& record) {
  for (const auto& [key, word] : added_) {
    if (handle_->RemoveKeyEntry(set_.File(), r, key, word) != kVOk) {
      LogFormat("...ERROR... DataInput: a keyword of record %u stays in key %d", r, key);
    }
  }
  if (handle_->Delete(set_.File(), r) != kVOk) {
    LogFormat("...ERROR... DataInput: record %u stays after its keywords failed", r);
    return;
  }
  VReleaseLongData(record, handle_);
}

// The output file: written under a name of its own beside the file asked for, and put in its
// place only when complete.
class OutputFile {
 public:
  explicit OutputFile(std::string path) : path_(std::move(path)) {}
  ~OutputFile() { Discard(); }

  // Makes the file to write; false when it cannot be made.
  bool Open();
  // Adds bytes, writing them out in pieces.
  VResult Write(std::string_view bytes);
  // Writes what is left, makes it durable and puts it in place of the file asked for.
  VResult Finish();
  void Discard();

 private:
  VResult Flush();

  std::string path_;
  std::unique_ptr<VFile> file_;
  std::string buffer_;
  int64_t written_ = 0;
};

bool OutputFile::Open() {
  if (path_.empty() || VDir(path_).Exists()) return false;
  for (int attempt = 0; attempt < 100 && file_ == nullptr; ++attempt) {
    auto file = std::make_unique<VFile>(path_ + ".part" + std::to_string(attempt));
    if (file->Create(false) == kVOk) {
      if (file->Open(false) != kVOk) {
        (void)file->Remove();  // made a moment ago; nothing else refers to it
        return false;
      }
      file_ = std::move(file);
    }
  }
  return file_ != nullptr;
}

VResult OutputFile::Flush() {
  if (buffer_.empty()) return kVOk;
  const VResult result =
      file_->WriteAt(written_, buffer_.data(), static_cast<int32_t>(buffer_.size()));
  written_ += static_cast<int64_t>(buffer_.size());
  buffer_.clear();
  return result;
}

VResult OutputFile::Write(std::string_view bytes) {
  buffer_.append(bytes);
  return buffer_.size() >= kWriteChunk ? Flush() : VResult(kVOk);
}

VResult OutputFile::Finish() {
  VResult result = Flush();
  if (result == kVOk) result = file_->Flush();
  const VResult closed = file_->Close();
  if (result == kVOk) result = closed;
  if (result == kVOk) result = file_->Rename(path_);
  if (result == kVOk) result = file_->SyncDirectory();
  if (result == kVOk) file_.reset();
  return result;
}

void OutputFile::Discard() {
  if (file_ == nullptr) return;
  if (file_->IsOpen()) (void)file_->Close();  // the file goes in any case
  if (file_->Remove() != kVOk) Log("...ERROR... DataOutput: a partly written file stays");
  file_.reset();
}

// Whether a value of the type is written between double quotes whatever it holds.
bool QuotedType(int type) {
  return type == kVTypeDate || type == kVTypeTime || type == kVTypeDateTime || type == kVTypeChar ||
         type == kVTypeString;
}

// Writes the records of the set; answers the first failure, kVTransferCancelled when the person
// stopped it.
VResult WriteRecords(OvRecordSet& set, const OvDataOutputParams& params,
                     const VDelimitedWriter& writer, OutputFile& out) {
  OGTProgress progress(OvScriptText(kOvTextOutputTitle), true);
  const int32_t count = set.Count(true);
  VRecord record;
  std::string line;
  std::string text;
  for (int32_t i = 0; i < count; ++i) {
    uint32_t r = 0;
    if (VResult result = set.ReadAt(i, &r, &record); result != kVOk) return result;
    line.clear();
    for (size_t f = 0; f < params.dbItems.size(); ++f) {
      if (f > 0) line += params.itemTerm;
      const int item = params.dbItems[f];
      const int32_t values = item >= 1 && item <= 255 ? record.OccurrenceCount(item) : 0;
      for (int32_t occurrence = 1; occurrence <= values; ++occurrence) {
        if (occurrence > 1) line += params.repeatTerm;
        if (VResult result = VValueToText(record, item, occurrence, set.Handle(), &text);
            result != kVOk) {
          return result;
        }
        writer.Append(&line, text, QuotedType(record.ValueType(item, occurrence)));
      }
    }
    line += params.recordTerm;
    if (VResult result = out.Write(line); result != kVOk) return result;
    if (progress.Due()) {
      progress.Show(Counted(kOvTextRecordsWritten, i + 1),
                    static_cast<int32_t>(int64_t{i + 1} * 1000 / count));
      if (progress.Cancelled()) return kVTransferCancelled;
    }
  }
  return kVOk;
}

}  // namespace

// ---- "@CreateDB" ----

void OvScript::CreateDB(std::string_view list) {
  OvCreateDBParams params;
  if (!OvParseParams(list, &params)) return;
  std::string path;
  if (!FileName(params.ask, params.schemeFile, nullptr, &path)) return;
  VFile file(path);
  if (path.empty() || file.Open(true) != kVOk) {
    ShowMessage(Text(kOvTextSchemeFileMissing));
    return;
  }
  std::unique_ptr<VSchema> schema = ReadSchema(file);
  if (file.IsOpen()) (void)file.Close();  // read-only: closing loses nothing
  if (schema == nullptr) {
    ShowMessage(Text(kOvTextSchemeBad));
    return;
  }
  SetBusyCursor(kOGTCursorBusy);
  const VResult result = CreateDatabaseFrom(*schema);
  RestoreCursor();
  if (result != kVOk) {
    ShowError(result, Text(kOvTextCreateFailed));
  } else {
    ShowMessage(Text(kOvTextCreateDone));
  }
}

// ---- "@DataInput" ----

void OvScript::DataInput(std::string_view list) {
  OvDataInputParams params;
  if (!OvParseParams(list, &params)) return;
  OGTDBWindow* window = window_;
  std::string path;
  if (!FileName(params.ask, params.inputFile, nullptr, &path)) return;
  VFile file(path);
  if (path.empty() || file.Open(true) != kVOk) {
    ShowMessage(Text(kOvTextInputFileMissing));
    return;
  }
  const bool allOrNothing =
      params.commit == OvDataInputParams::kEnd || params.commit == OvDataInputParams::kFile;
  if (allOrNothing && window->Handle() != nullptr && !HasTransactionLog(window->Handle()) &&
      !AskYesNo(Text(kOvTextNoTransactionLog))) {
    return;
  }
  const bool startedLog = VDebugActive() == nullptr;
  StartLog("DataInput", false);
  Log("DataInput start.");
  SetBusyCursor(kOGTCursorBusy);
  VResult result = kVOk;
  int64_t stays = 0;
  bool cancelled = false;
  bool shown = false;  // the window showed the failure in its own box
  {
    InputRun run(window, params, file);
    // What was open before is committed, so that a cancel undoes the input and nothing else.
    if (params.commit != OvDataInputParams::kNo) result = run.Commit();
    if (result != kVOk) {
      LogFormat("DataInput: the open transaction could not be committed first: %ld",
                static_cast<long>(result));
    } else {
      result = run.Run();
      cancelled = run.Cancelled();
      stays = run.Stored();
      if (result != kVOk && params.commit != OvDataInputParams::kNo && run.WithLog()) {
        // The window shows a failing cancel in its own box.
        if (window->CancelWork() == kVOk && params.commit != OvDataInputParams::kRecord) stays = 0;
      } else if (result == kVOk && params.commit == OvDataInputParams::kEnd) {
        shown = run.WithLog();
        result = shown ? window->CommitWork() : run.Commit();
      }
    }
  }
  RestoreCursor();
  if (file.IsOpen()) (void)file.Close();  // read-only: closing loses nothing
  LogFormat("Result code : %ld", static_cast<long>(result));
  Log("DataInput end.");
  if (startedLog) StopLog();
  if (result != kVOk && !shown) {
    std::string message =
        cancelled ? OvScriptText(kOvTextInputCancelled) : OvScriptText(kOvTextInputFailed);
    if (stays > 0) message += "\r" + std::to_string(stays) + OvScriptText(kOvTextRecordsStay);
    if (cancelled) {
      ShowMessage(message.c_str());
    } else {
      ShowError(result, message.c_str());
    }
  }
  (void)window->RefindStored(true);  // a failing find shows its own box
}

// ---- "@DataOutput" ----

void OvScript::DataOutput(std::string_view list) {
  OvDataOutputParams params;
  if (!OvParseParams(list, &params)) return;
  VDelimitedSyntax syntax;
  syntax.record = params.recordTerm;
  syntax.item = params.itemTerm;
  syntax.repeat = params.repeatTerm;
  syntax.apostrophes = true;
  if (!VDelimitedSyntaxUsable(syntax)) {
    // A terminator holding a quote could not be read back: the list is taken as malformed.
    Log("OvScript: @DataOutput with a terminator that holds a quote does nothing");
    return;
  }
  std::string path;
  if (!FileName(params.ask, params.outputFile, "output.dat", &path)) return;
  OutputFile out(path);
  if (!out.Open()) {
    ShowMessage(Text(kOvTextOutputFileMissing));
    return;
  }
  SetBusyCursor(kOGTCursorBusy);
  VResult result = WriteRecords(window_->RecordSet(), params, VDelimitedWriter(syntax), out);
  if (result == kVOk) {
    result = out.Finish();
  } else {
    out.Discard();
  }
  RestoreCursor();
  if (result == kVTransferCancelled) {
    ShowMessage(Text(kOvTextOutputCancelled));
  } else if (result != kVOk) {
    ShowError(result, Text(kOvTextOutputFailed));
  }
}
