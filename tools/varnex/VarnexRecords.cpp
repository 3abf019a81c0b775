// The record commands of the varnex tool: insert, get, update, delete, find, count and keys.
#include <algorithm>
#include <limits>

#include "VarnexResults.h"
#include "VarnexTool.h"
#include "base/VSjis.h"
#include "base/VStream.h"
#include "db/engine/VDBHandle.h"
#include "db/schema/VRecord.h"
#include "db/schema/VSchema.h"
#include "db/schema/VVDD.h"
#include "db/schema/VVM.h"
#include "db/schema/VValueText.h"

namespace {

// The "--limit" option: at most nine digits; no limit when it is absent.
uint32_t LimitOption(const VarnexArgs& args) {
  auto given = args.Option("--limit");
  if (!given) return std::numeric_limits<uint32_t>::max();
  if (given->empty() || given->size() > 9 ||
      !std::all_of(given->begin(), given->end(), [](char c) { return c >= '0' && c <= '9'; })) {
    throw VarnexError{VarnexTool::kUsage, "--limit needs a number"};
  }
  return static_cast<uint32_t>(std::stoul(*given));
}

}  // namespace

uint32_t VarnexTool::RecordNumber(const std::string& arg) const {
  const bool digits =
      !arg.empty() && arg.size() < 9 &&
      std::all_of(arg.begin(), arg.end(), [](char c) { return c >= '0' && c <= '9'; });
  const unsigned long r = digits ? std::stoul(arg) : 0;
  if (r == 0 || r > 0xFFFFFF) throw VarnexError{kUsage, "not a record number: " + arg};
  return static_cast<uint32_t>(r);
}

std::vector<VarnexColumn> VarnexTool::RecordColumns(const VSch_DBFile& schema,
                                                    const std::vector<int>& items) const {
  std::vector<VarnexColumn> columns;
  columns.push_back({"record", "record", true});
  for (int item : items) {
    const VSch_DBItem* desc = schema.ItemByNumber(item);
    VarnexColumn column;
    column.title = desc && !desc->Name().empty() ? desc->Name() : "[" + std::to_string(item) + "]";
    column.key = std::to_string(item);
    column.numeric = desc && (desc->Type() == kVTypeNumber || desc->Type() == kVTypeInteger);
    columns.push_back(column);
  }
  return columns;
}

std::vector<std::string> VarnexTool::ValueTexts(const VRecord& record, int item,
                                                VarnexLongData longData) const {
  std::vector<std::string> texts;
  const int32_t count = record.OccurrenceCount(item);
  const std::string where = "item " + std::to_string(item);
  for (int32_t occurrence = 1; occurrence <= count; ++occurrence) {
    if (VIsLongType(record.ValueType(item, occurrence))) {
      if (longData == VarnexLongData::kNone) continue;
      if (longData == VarnexLongData::kSize) {
        texts.push_back("<" + std::to_string(record.ValueLength(item, occurrence)) + " bytes>");
        continue;
      }
    }
    std::string text;
    Check(VValueToText(record, item, occurrence, handle_.get(), &text), where);
    texts.push_back(std::move(text));
  }
  return texts;
}

std::vector<VarnexCell> VarnexTool::RecordCells(uint32_t r, const VRecord& record,
                                                const std::vector<int>& items) const {
  std::vector<VarnexCell> cells;
  cells.push_back({std::to_string(r)});
  for (int item : items) cells.push_back(ValueTexts(record, item));
  return cells;
}

void VarnexTool::AddValueText(const VSch_DBFile& schema, int item, const std::string& text,
                              VRecord* record, const std::string& where) const {
  const VSch_DBItem* desc = schema.ItemByNumber(item);
  const int type = desc ? desc->Type() : kVTypeString;
  const char* name = "?";
  VVM::Instance().TypeName(type, &name);
  const std::string what = where + "(" + name + ") value \"";
  const VResult result = VAddValueText(record, item, type, text, handle_.get());
  if (result == kVOk) return;
  if (result == kVNotBase64) {
    throw VarnexError{kFailed, what + VarnexShowBytes(text) + "\": not base64"};
  }
  std::string shown = VIsBase64Type(type) ? VarnexShowBytes(text) : text;
  if (shown.size() > 80) {
    // A long value is shown by its start, cut between characters.
    size_t cut = 60;
    while (!VIsCharBoundary(reinterpret_cast<const uint8_t*>(shown.data()), shown.size(), cut)) {
      --cut;
    }
    shown = shown.substr(0, cut) + "...";
  }
  std::string why = VarnexExplain(result);
  if (type == kVTypeFlag && result == kVBadValue) {
    why += " (a Flag is true, TRUE, false, FALSE, a number, or empty for off)";
  }
  throw VarnexError{kFailed, what + shown + "\": " + why};
}

void VarnexTool::Assign(const VSch_DBFile& schema, const std::vector<std::string>& words,
                        size_t from, VRecord* record, std::set<int>* changed) const {
  for (size_t i = from; i < words.size(); ++i) {
    const size_t equals = words[i].find('=');
    if (equals == std::string::npos || equals == 0) {
      throw VarnexError{kUsage, "not ITEM=VALUE: " + words[i]};
    }
    const int item = ItemId(schema, words[i].substr(0, equals));
    changed->insert(item);
    // "ITEM=" names the item without a value: update removes its values.
    if (equals + 1 == words[i].size()) continue;
    AddValueText(schema, item, In(words[i].substr(equals + 1)), record,
                 "item " + std::to_string(item) + " ");
  }
}

void VarnexTool::CmdInsert(const VarnexArgs& args) {
  if (args.Count() < 2) Usage("insert FID ITEM=VALUE...");
  const int32_t fid = FileId(args.At(0));
  const VSch_DBFile& schema = Schema(fid);
  VRecord record;
  std::set<int> named;
  Assign(schema, args.Words(), 1, &record, &named);
  if (record.ItemCount() == 0) throw VarnexError{kUsage, "insert needs at least one value"};
  changing_ = true;
  uint32_t r = 0;
  Check(handle_->Insert(fid, record, &r), "insert");
  Say(std::to_string(r));
}

void VarnexTool::CmdGet(const VarnexArgs& args) {
  if (args.Count() != 2) Usage("get FID RID [--items LIST]");
  const int32_t fid = FileId(args.At(0));
  const VSch_DBFile& schema = Schema(fid);
  const uint32_t r = RecordNumber(args.At(1));
  const std::vector<int> items = ItemList(schema, args.Option("--items"));
  VRecord record;
  Check(handle_->Read(fid, r, &record), "record " + std::to_string(r));
  out_->Begin(RecordColumns(schema, items));
  out_->Row(RecordCells(r, record, items));
  out_->End();
}

void VarnexTool::CmdUpdate(const VarnexArgs& args) {
  if (args.Count() < 3) Usage("update FID RID ITEM=VALUE...");
  const int32_t fid = FileId(args.At(0));
  const VSch_DBFile& schema = Schema(fid);
  const uint32_t r = RecordNumber(args.At(1));
  VRecord given;
  std::set<int> named;
  Assign(schema, args.Words(), 2, &given, &named);
  VRecord old;
  Check(handle_->Read(fid, r, &old), "record " + std::to_string(r));
  // The items not named keep their values; the named ones take the values given (or none).
  VRecord merged;
  for (int item = 1; item <= 255; ++item) {
    const VRecord& source = named.count(item) ? given : old;
    const int32_t count = source.OccurrenceCount(item);
    for (int32_t occurrence = 1; occurrence <= count; ++occurrence) {
      VValueRef ref;
      Check(source.ValueRef(item, occurrence, &ref), "record " + std::to_string(r));
      Check(merged.AddValue(item, ref.value, ref.size), "item " + std::to_string(item));
    }
  }
  changing_ = true;
  Check(handle_->Update(fid, r, merged), "update");
  Say("updated record " + std::to_string(r));
}

void VarnexTool::CmdDelete(const VarnexArgs& args) {
  if (args.Count() != 2) Usage("delete FID RID");
  const int32_t fid = FileId(args.At(0));
  const uint32_t r = RecordNumber(args.At(1));
  changing_ = true;
  Check(handle_->Delete(fid, r), "delete");
  Say("deleted record " + std::to_string(r));
}

void VarnexTool::CmdFind(const VarnexArgs& args) {
  if (args.Count() != 2) Usage("find FID STATEMENT [--sort DESC] [--limit N] [--items LIST]");
  const int32_t fid = FileId(args.At(0));
  const VSch_DBFile& schema = Schema(fid);
  const std::vector<int> items = ItemList(schema, args.Option("--items"));
  const uint32_t limit = LimitOption(args);
  int32_t set = 0;
  uint32_t size = 0;
  const std::string statement = In(args.At(1));
  CheckStatement(handle_->MakeSet(fid, statement, &set, &size), "find", schema, statement);
  VResult result = kVOk;
  if (auto sort = args.Option("--sort")) result = handle_->SortSet(fid, set, In(*sort));
  if (result == kVOk) {
    out_->Begin(RecordColumns(schema, items));
    VRecord record;
    for (uint32_t i = 0; i < size && i < limit && result == kVOk; ++i) {
      uint32_t r = 0;
      result = handle_->SetGet(fid, set, i, &r, &record);
      if (result == kVOk) out_->Row(RecordCells(r, record, items));
    }
    out_->End();
  }
  (void)handle_->DropSet(fid, set);  // the set lives in work files that go when the tool ends
  Check(result, "find");
}

void VarnexTool::CmdCount(const VarnexArgs& args) {
  if (args.Count() != 2) Usage("count FID STATEMENT");
  const int32_t fid = FileId(args.At(0));
  uint32_t count = 0;
  uint32_t first = 0;
  const std::string statement = In(args.At(1));
  CheckStatement(handle_->CountRecords(fid, statement, &count, &first), "count", Schema(fid),
                 statement);
  Say(std::to_string(count));
}

void VarnexTool::CmdKeys(const VarnexArgs& args) {
  if (args.Count() < 2 || args.Count() > 3) Usage("keys FID KID [FROM] [--limit N]");
  const int32_t fid = FileId(args.At(0));
  const VSch_DBFile& schema = Schema(fid);
  const int key = KeyId(schema, args.At(1));
  const VSch_DBKey* desc = schema.KeyByNumber(key);
  // The values of a one-part Flag or Binary key are written as the values of such items are.
  const int type = desc != nullptr && desc->PartCount() == 1 ? desc->Type() : kVTypeString;
  const uint32_t limit = LimitOption(args);
  std::string from = args.Count() == 3 ? In(args.At(2)) : std::string();
  if (type == kVTypeFlag && !from.empty()) {
    from.assign(1, static_cast<char>(
                       VFlagOperand(reinterpret_cast<const uint8_t*>(from.data()), from.size())));
  } else if (type == kVTypeBinary && !VFromBase64(std::string(from), &from)) {
    throw VarnexError{kUsage, "the key's values are base64: " + args.At(2)};
  }
  int32_t sequence = 0;
  VResult result = handle_->KeyLocate(fid, key, from, &sequence);
  out_->Begin({{"value", "value", false}, {"count", "count", true}, {"records", "records", false}});
  if (result == kVEnd) {
    out_->End();
    return;
  }
  Check(result, "keys");
  std::string value;
  std::vector<uint32_t> records;
  for (uint32_t n = 0;
       n < limit && (result = handle_->KeyRead(fid, sequence, &value, &records)) == kVOk; ++n) {
    VarnexCell numbers;
    for (uint32_t r : records) numbers.push_back(std::to_string(r));
    if (type == kVTypeFlag) value = !value.empty() && value[0] != 0 ? "1" : "0";
    if (type == kVTypeBinary) value = VBase64(value);
    out_->Row({{value}, {std::to_string(records.size())}, numbers});
  }
  out_->End();
  (void)handle_->KeyCancel(fid, sequence);  // ends with the tool in any case
  if (result != kVEnd) Check(result, "keys");
}
