#include "db/engine/VDB_Tlog.h"

#include <cstdio>

#include "base/VDate.h"
#include "base/VDebug.h"
#include "db/engine/VABoss.h"
#include "db/engine/VCMD.h"
#include "db/engine/VEngineCodes.h"
#include "db/engine/VSysRecord.h"
#include "db/engine/VUQue.h"
#include "db/schema/VRecord.h"
#include "db/schema/VSchema.h"
#include "db/schema/VSystemSchemas.h"
#include "db/store/VDBFile.h"

namespace {

// Items 1 to 7; the images follow as packets of their own lengths when present.
constexpr const char* kHeadFormat = "[1] %4i [2] %4i [3] %on [4] %4i [5] %2i [6] %4i [7] %4i";

std::string Now() {
  const VDateTime now;
  char text[48];
  std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d:%02d", now.Year(), now.Month(),
                now.Day(), now.Hours(), now.Minutes(), now.Seconds());
  return text;
}

}  // namespace

VDB_Tlog::VDB_Tlog(VABoss* engine)
    : VDB_A(engine, VSystemSchema(kVSchemaTransactionLog)),
      queue_(std::make_unique<VUQue>("SYS_VDB_Tlog")) {}

VDB_Tlog::~VDB_Tlog() = default;

VResult VDB_Tlog::ExecuteInternal(VCMD& command) {
  if (!open_) return kVFileNotOpen;
  switch (command.Code()) {
    case VCode::kiTLOG:
      return Record(command);
    case VCode::kTCommit:
      return Commit(command.Queue());
    case VCode::kTCancel:
      return Cancel(command.Queue());
    default:
      return VDB_A::ExecuteInternal(command);
  }
}

VResult VDB_Tlog::Write(int32_t userId, int32_t fileNumber, int32_t type, int32_t state,
                        uint32_t record, std::span<const uint8_t> before,
                        std::span<const uint8_t> after) {
  VPackBlock block;
  block.Int(file_->GetUnique(0), 4).Int(userId, 4).Text(Now()).Int(fileNumber, 4);
  block.Int(type, 2).Int(state, 4).Int(record, 4).Bytes(before).Bytes(after);
  std::string format = kHeadFormat;
  char field[32];
  if (!before.empty()) {
    std::snprintf(field, sizeof field, " [8] %%%dp", static_cast<int>(before.size()));
    format += field;
  }
  if (!after.empty()) {
    std::snprintf(field, sizeof field, " [9] %%%dp", static_cast<int>(after.size()));
    format += field;
  }
  format += ';';
  VRecord image(static_cast<int32_t>(before.size() + after.size()) + 128);
  VResult result = block.PackInto(image, format);
  uint32_t r = 0;
  if (result == kVOk) {
    result = file_->InsRecord(queue_.get(),
                              {image.Image(), static_cast<size_t>(image.ImageLength())}, &r);
  }
  return result;
}

VResult VDB_Tlog::Record(VCMD& command) {
  const VDML& request = command.Request();
  const int32_t option = request.Value(VDML::kOPT);
  if (option < VDIHandle::kInsert || option > VDIHandle::kUpdate) return kVUnknownCommand;
  const std::span<const uint8_t> before =
      option == VDIHandle::kInsert ? std::span<const uint8_t>() : request.Piece(0);
  const std::span<const uint8_t> after = option == VDIHandle::kDelete
                                             ? std::span<const uint8_t>()
                                             : request.Piece(option == VDIHandle::kUpdate ? 1 : 0);
  VUQue* user = command.Queue();
  VResult result = Write(user != nullptr ? user->UID() : 0, request.Value(VDML::kFID), option,
                         kPending, static_cast<uint32_t>(request.Value(VDML::kRID)), before, after);
  // The log's holds on its own records guard nothing.
  queue_->ReleaseHolds();
  return result;
}

std::string VDB_Tlog::PendingStatement(VUQue* user) const {
  char text[64];
  if (user != nullptr) {
    std::snprintf(text, sizeof text, "[2] = %ld and [6] = %d;", static_cast<long>(user->UID()),
                  kPending);
  } else {
    std::snprintf(text, sizeof text, "[6] = %d;", kPending);
  }
  return text;
}

VResult VDB_Tlog::Finish(VResult result) {
  queue_->ReleaseHolds();
  if (result == kVOk) result = Sync();
  return result;
}

VResult VDB_Tlog::Commit(VUQue* user) {
  std::vector<uint32_t> records;
  VResult result = Query(*queue_, PendingStatement(user), &records);
  for (size_t i = 0; i < records.size() && result == kVOk; ++i) {
    result = file_->DelRecord(queue_.get(), records[i]);
  }
  if (result == kVOk) {
    result = Write(user != nullptr ? user->UID() : 0, 0, kCommitRecord, kCommitted, 0, {}, {});
  }
  return Finish(result);
}

VResult VDB_Tlog::Undo(const std::vector<uint8_t>& image) {
  VUnpackBlock block;
  VResult result = block.UnpackFrom(image, std::string(kHeadFormat) + ";");
  if (result != kVOk) return result;
  block.Int(4);
  block.Int(4);
  block.Text();
  const int32_t fileNumber = block.Int(4);
  const int32_t type = block.Int(2);
  block.Int(4);
  const uint32_t record = static_cast<uint32_t>(block.Int(4));
  if (block.Failed()) return kVRecordCorrupt;
  const VRecordView view(image.data(), image.size());
  VValueRef before;
  switch (type) {
    case VDIHandle::kInsert:
      return internal_.UndoDelete(fileNumber, record);
    case VDIHandle::kDelete:
    case VDIHandle::kUpdate:
      if (view.ValueRef(8, 1, &before) != kVOk) return kVRecordCorrupt;
      return type == VDIHandle::kDelete
                 ? internal_.UndoInsert(fileNumber, record, {before.bytes, before.length})
                 : internal_.UndoUpdate(fileNumber, record, {before.bytes, before.length});
    default:
      return kVRecordCorrupt;
  }
}

VResult VDB_Tlog::Cancel(VUQue* user) {
  std::vector<uint32_t> records;
  VResult result = Query(*queue_, PendingStatement(user), &records);
  std::vector<uint8_t> image;
  // From the last change back to the first; the first step that fails stops the walk.
  size_t undone = 0;
  while (result == kVOk && undone < records.size()) {
    const uint32_t r = records[records.size() - 1 - undone];
    result = file_->GetRecord(r, &image);
    if (result == kVOk) result = Undo(image);
    if (result != kVOk) {
      LogFormat("...ERROR... VDB_Tlog::Cancel record:%u ec:%d", r, result);
      break;
    }
    ++undone;
  }
  // The undone state reaches the disk before the records that could undo it again go; when it
  // cannot, every record stays, and a later cancel undoes those steps again (an undo step
  // restores a before image, so doing it twice gives the same state).
  if (undone > 0) {
    VResult flushed = engine_->FlushAll();
    if (flushed != kVOk) {
      LogFormat("...ERROR... VDB_Tlog::Cancel flush ec:%d", static_cast<int>(flushed));
      if (result == kVOk) result = flushed;
      undone = 0;
    }
  }
  for (size_t i = 0; i < undone; ++i) {
    VResult deleted = file_->DelRecord(queue_.get(), records[records.size() - 1 - i]);
    if (result == kVOk) result = deleted;
  }
  if (result == kVOk) {
    result = Write(user != nullptr ? user->UID() : 0, 0, kCancelRecord, kCancelled, 0, {}, {});
  }
  return Finish(result);
}
