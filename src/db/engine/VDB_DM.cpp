#include "db/engine/VDB_DM.h"

#include <algorithm>

#include "base/VDebug.h"
#include "base/VEndian.h"
#include "db/engine/VABoss.h"
#include "db/engine/VCMD.h"
#include "db/engine/VEngineCodes.h"
#include "db/engine/VUQue.h"
#include "db/schema/VConfig.h"
#include "db/schema/VRecord.h"
#include "db/schema/VSchema.h"
#include "db/store/VCash.h"
#include "db/store/VDBFile.h"

namespace {

// A key value as the key's trees keep it: a length byte and the bytes (at most 255).
bool StoredKey(std::span<const uint8_t> bytes, std::vector<uint8_t>* stored) {
  if (bytes.size() > 255) return false;
  stored->resize(bytes.size() + 1);
  (*stored)[0] = static_cast<uint8_t>(bytes.size());
  std::copy(bytes.begin(), bytes.end(), stored->begin() + 1);
  return true;
}

// An item reference: u24 record number, item number, occurrence (0 or 1 the first).
struct ItemRef {
  uint32_t record = 0;
  int32_t item = 0;
  int32_t occurrence = 0;
};

bool ReadRef(std::span<const uint8_t> piece, ItemRef* ref) {
  if (piece.size() != 5) return false;
  ref->record = VGetU24(piece.data());
  ref->item = piece[3];
  ref->occurrence = piece[4];
  return true;
}

// The item reads answer "no value" for whatever is absent; each command has its own code for it.
VResult ItemResult(VResult result, VResult absent) {
  return result == kVValueMissing ? absent : result;
}

}  // namespace

VDB_DM::VDB_DM(VABoss* engine, std::unique_ptr<VSch_DBFile> schema)
    : VDB_A(engine, std::move(schema)) {}

VResult VDB_DM::ExecuteCommand(VCMD& command) {
  if (!open_) return kVFileNotOpen;
  const VDML& request = command.Request();
  VDML& answer = command.Answer();
  switch (command.Code()) {
    case VCode::kCreateAllKey:
      return file_->CreateAllKey();
    case VCode::kDeleteAllKey:
      return file_->DeleteAllKey();
    case VCode::kCreateKey:
      return file_->CreateKey(request.Value(VDML::kKID));
    case VCode::kDeleteKey:
      return file_->DeleteKey(request.Value(VDML::kKID));
    case VCode::kMaxRNbr:
      answer.Set(VDML::kRID, static_cast<int32_t>(file_->MaxRNbr()));
      return kVOk;
    case VCode::kFileSize:
      answer.Set(VDML::kQTY, static_cast<int32_t>(file_->MaxRNbr()));
      return kVOk;
    case VCode::kGetUnique:
      answer.Set(VDML::kQTY, static_cast<int32_t>(file_->GetUnique(request.Value(VDML::kIDX))));
      return kVOk;
    case VCode::kMacRLength:
      answer.Set(VDML::kQTY, file_->MacRLength());
      return kVOk;
    case VCode::kGetRecord: {
      VResult result = file_->GetRecord(static_cast<uint32_t>(request.Value(VDML::kRID)), &image_);
      if (result == kVOk) answer.AddRecordPiece(image_);
      return result;
    }
    case VCode::kInsRecord:
    case VCode::kDelRecord:
    case VCode::kUpdRecord:
      return Change(command);
    case VCode::kCountRecords: {
      if (request.PieceCount() == 0) return kVCountNoStatement;
      uint32_t count = 0;
      uint32_t first = 0;
      VResult result =
          FileSets(&command.Queue()->Sets()).SetCount(request.Piece(0), &count, &first);
      if (result == kVOk) {
        answer.Set(VDML::kQTY, static_cast<int32_t>(count));
        answer.Set(VDML::kRID, static_cast<int32_t>(first));
      }
      return result;
    }
    case VCode::kAddKeyEntry:
    case VCode::kRemoveKeyEntry: {
      const bool add = command.Code() == VCode::kAddKeyEntry;
      if (request.PieceCount() == 0) return add ? kVKeyAddNoValue : kVKeyRemoveNoValue;
      const std::span<const uint8_t> value = request.Piece(0);
      std::vector<uint8_t> stored;
      // An empty value removes every entry of the record.
      if (!value.empty() || add) {
        if (!StoredKey(value, &stored)) return add ? kVKeyAddNoValue : kVKeyRemoveNoValue;
      }
      const int32_t key = request.Value(VDML::kKID);
      const uint32_t r = static_cast<uint32_t>(request.Value(VDML::kRID));
      return add ? file_->AddKeyEntry(key, r, stored) : file_->RemoveKeyEntry(key, r, stored);
    }
    default:
      break;
  }
  if (command.Code() >= VCode::kSetMake && command.Code() <= VCode::kPSCancel) {
    return SetCommand(command);
  }
  return ItemCommand(command);
}

VResult VDB_DM::Change(VCMD& command) {
  const VDML& request = command.Request();
  VUQue* user = command.Queue();
  uint32_t r = static_cast<uint32_t>(request.Value(VDML::kRID));
  const bool logged = engine_->TransactionLogFile() != nullptr;
  // The change and its log record are one operation for the cache: nothing is written back
  // between them, so the change can never reach the disk without the record that undoes it.
  VCashUpdate operation(engine_->Cache());
  VResult result;
  int32_t option;
  switch (command.Code()) {
    case VCode::kInsRecord:
      if (!request.RecordImage(0, &image_)) return kVInsertNoRecord;
      option = VDIHandle::kInsert;
      result = file_->InsRecord(user, image_, &r);
      if (result == kVOk) command.Answer().Set(VDML::kRID, static_cast<int32_t>(r));
      break;
    case VCode::kDelRecord:
      option = VDIHandle::kDelete;
      if (logged) {
        // The log needs the record as it was; another user's hold is checked first.
        if (user != nullptr && user->HeldByOther(FileNumber(), r)) return kVNotHolder;
        result = file_->GetRecord(r, &oldImage_);
        if (result != kVOk) return result == kVRecordNotFound ? kVDeleteNotFound : result;
      }
      result = file_->DelRecord(user, r);
      break;
    default:
      if (!request.RecordImage(0, &image_)) return kVUpdateNoRecord;
      option = VDIHandle::kUpdate;
      if (logged) {
        if (user != nullptr && user->HeldByOther(FileNumber(), r)) return kVNotHolder;
        result = file_->GetRecord(r, &oldImage_);
        if (result != kVOk) return result == kVRecordNotFound ? kVUpdateNotFound : result;
      }
      result = file_->UpdRecord(user, r, image_);
      if (result == kVOk) command.Answer().Set(VDML::kRID, static_cast<int32_t>(r));
      break;
  }
  if (result == kVOk && logged) {
    VResult recorded = internal_.RecordChange(user, FileNumber(), r, option, oldImage_, image_);
    if (recorded != kVOk) {
      TakeBack(option, r, oldImage_);
      command.Answer().Remove(VDML::kRID);
      result = recorded;
    }
  }
  VResult ended = operation.End();
  return result == kVOk ? ended : result;
}

void VDB_DM::TakeBack(int32_t option, uint32_t record, const std::vector<uint8_t>& oldImage) {
  VResult result = kVOk;
  if (option == VDIHandle::kInsert) {
    result = file_->I_DelRecord(record);
  } else if (option == VDIHandle::kDelete) {
    uint32_t number = record;
    result = file_->I_InsRecord(oldImage, &number);
  } else {
    result = file_->I_UpdRecord(record, oldImage);
  }
  if (result != kVOk) {
    // The change can neither be recorded nor taken back: nothing may be written after it.
    LogFormat("...ERROR... VDB_DM::TakeBack file:%d record:%u ec:%d", FileNumber(), record, result);
    throw VFailure(-1);
  }
}

VResult VDB_DM::SetCommand(VCMD& command) {
  const VDML& request = command.Request();
  VDML& answer = command.Answer();
  VListMgr* sets = &command.Queue()->Sets();
  VDBFileSets fileSets = FileSets(sets);
  const int32_t id = request.Value(VDML::kSID);
  switch (command.Code()) {
    case VCode::kSetMake: {
      if (request.PieceCount() == 0) return kVNoStatement;
      int32_t made = 0;
      uint32_t size = 0;
      VResult result = fileSets.SetMake(request.Piece(0), &made, &size);
      if (result == kVOk) {
        answer.Set(VDML::kSID, made);
        answer.Set(VDML::kQTY, static_cast<int32_t>(size));
      }
      return result;
    }
    case VCode::kSetSort:
      if (request.PieceCount() == 0) return kVNoSortDescription;
      return fileSets.SetSort(id, request.Piece(0));
    case VCode::kSortCancel:
      return fileSets.SortCancel(id);
    case VCode::kSetCancel:
      return fileSets.SetCancel(id);
    case VCode::kSetSize: {
      uint32_t size = 0;
      VResult result = fileSets.SetSize(id, &size);
      if (result == kVOk) answer.Set(VDML::kQTY, static_cast<int32_t>(size));
      return result;
    }
    case VCode::kSetRGet: {
      uint32_t r = 0;
      const bool withRecord = request.Value(VDML::kOPT) == 1;
      VResult result = fileSets.SetRGet(id, static_cast<uint32_t>(request.Value(VDML::kIDX)), &r,
                                        withRecord ? &image_ : nullptr);
      if (r != 0) answer.Set(VDML::kRID, static_cast<int32_t>(r));
      if (result == kVOk && withRecord) answer.AddRecordPiece(image_);
      return result;
    }
    case VCode::kSetRAdd:
    case VCode::kSetRDel: {
      const bool add = command.Code() == VCode::kSetRAdd;
      if (request.PieceCount() > 0) {
        return add ? fileSets.SetRAdd(id, request.Piece(0))
                   : fileSets.SetRDel(id, request.Piece(0));
      }
      const uint32_t r = static_cast<uint32_t>(request.Value(VDML::kRID));
      return add ? fileSets.SetRAdd(id, r) : fileSets.SetRDel(id, r);
    }
    case VCode::kKSLocate: {
      std::vector<uint8_t> stored;
      if (request.PieceCount() > 0 && !request.Piece(0).empty() &&
          !StoredKey(request.Piece(0), &stored)) {
        return kVValueMissing;
      }
      int32_t made = 0;
      VResult result = file_->KSLocate(sets, request.Value(VDML::kKID), stored, &made);
      if (result == kVOk) answer.Set(VDML::kSID, made);
      return result;
    }
    case VCode::kKSRead: {
      std::vector<uint8_t> key;
      std::vector<uint32_t> records;
      VResult result = file_->KSRead(sets, id, &key, &records);
      if (result == kVOk) {
        answer.AddPiece(std::span<const uint8_t>(key).subspan(key.empty() ? 0 : 1));
        answer.AddNumbersPiece(records);
        answer.Set(VDML::kQTY, static_cast<int32_t>(records.size()));
      }
      return result;
    }
    case VCode::kKSCancel:
      return file_->KSCancel(sets, id);
    case VCode::kPSLocate: {
      int32_t made = 0;
      VResult result = file_->PSLocate(sets, &made);
      if (result == kVOk) answer.Set(VDML::kSID, made);
      return result;
    }
    case VCode::kPSRead: {
      uint32_t r = 0;
      VResult result = file_->PSRead(sets, id, &r, &image_);
      if (result == kVOk) {
        answer.Set(VDML::kRID, static_cast<int32_t>(r));
        answer.AddRecordPiece(image_);
      }
      return result;
    }
    case VCode::kPSCancel:
      return file_->PSCancel(sets, id);
    default:
      return kVUnknownCommand;
  }
}

VResult VDB_DM::ItemCommand(VCMD& command) {
  const VDML& request = command.Request();
  VDML& answer = command.Answer();
  const uint32_t r = static_cast<uint32_t>(request.Value(VDML::kRID));
  const int32_t item = request.Value(VDML::kKID);
  const int32_t index = request.Value(VDML::kIDX);
  int32_t value = 0;
  VResult result;
  switch (command.Code()) {
    case VCode::kItemCount:
      result = file_->ItemCount(r, &value);
      if (result == kVOk && value == 0) return kVNoItems;
      if (result == kVOk) answer.Set(VDML::kQTY, value);
      return result;
    case VCode::kItemNumberAt:
      result = ItemResult(file_->ItemNumberAt(r, index, &value), kVNoItemAtPosition);
      if (result == kVOk && value == 0) return kVNoItemAtPosition;
      if (result == kVOk) answer.Set(VDML::kKID, value);
      return result;
    case VCode::kValueCount:
      result = file_->ValueCount(r, item, &value);
      if (result == kVOk && value == 0) return kVNoValues;
      if (result == kVOk) answer.Set(VDML::kQTY, value);
      return result;
    case VCode::kValueLength:
      result = ItemResult(file_->ValueLength(r, item, index, &value), kVNoValueAt);
      if (result == kVOk) answer.Set(VDML::kQTY, value);
      return result;
    case VCode::kValueType:
      result = ItemResult(file_->ValueType(r, item, index, &value), kVNoValueAt);
      if (result == kVOk && value == 0) return kVNoValueAt;
      if (result == kVOk) answer.Set(VDML::kOPT, value);
      return result;
    case VCode::kGetItem: {
      std::vector<uint8_t> bytes;
      result = ItemResult(file_->GetItem(r, item, index, &bytes), kVNoValueAt);
      if (result == kVOk) answer.AddPiece(bytes);
      return result;
    }
    case VCode::kCompareItems: {
      ItemRef a;
      ItemRef b;
      if (request.PieceCount() < 2 || !ReadRef(request.Piece(0), &a) ||
          !ReadRef(request.Piece(1), &b)) {
        return kVNoValueAt;
      }
      result = file_->CompareItems(a.record, a.item, a.occurrence, b.record, b.item, b.occurrence,
                                   &value);
      if (result == kVOk) answer.Set(VDML::kQTY, value);
      return result;
    }
    case VCode::kItemText: {
      ItemRef a;
      if (request.PieceCount() < 1 || !ReadRef(request.Piece(0), &a)) return kVNoValueAt;
      result = file_->GetRecord(a.record, &image_);
      if (result != kVOk) return result;
      VRecord record;
      result = record.Load(image_.data(), static_cast<int32_t>(image_.size()));
      if (result != kVOk) return result;
      std::vector<uint8_t> text(static_cast<size_t>(kVMaxRecordArea) + 2);
      int32_t length = 0;
      result = record.ValueText(a.item, a.occurrence, text.data(),
                                static_cast<int32_t>(text.size()), &length);
      if (result == kVOk) answer.AddPiece(std::span<const uint8_t>(text.data(), length));
      return result;
    }
    default:
      return kVUnknownCommand;
  }
}
