#include "db/engine/VDB_A.h"

#include "base/VDebug.h"
#include "db/engine/VABoss.h"
#include "db/engine/VCMD.h"
#include "db/engine/VEngineCodes.h"
#include "db/engine/VSetAcc.h"
#include "db/engine/VUQue.h"
#include "db/schema/VSchema.h"
#include "db/store/VDBCodes.h"
#include "db/store/VDBFile.h"

std::unique_ptr<VSch_DBFile> VSystemSchema(const char* const* lines) {
  VResult result = kVOk;
  std::unique_ptr<VSchema> schema = ReadSchema(lines, 0, &result);
  if (schema == nullptr || schema->Kind() != VSchema::kFile) {
    LogFormat("...ERROR... VSystemSchema ec:%d", result);
    return nullptr;
  }
  return std::unique_ptr<VSch_DBFile>(static_cast<VSch_DBFile*>(schema.release()));
}

VDB_A::VDB_A(VABoss* engine, std::unique_ptr<VSch_DBFile> schema)
    : engine_(engine), schema_(std::move(schema)), internal_(engine) {}

VDB_A::~VDB_A() = default;

VConfig* VDB_A::Config() const { return engine_->Config(); }

int32_t VDB_A::FileNumber() const { return schema_ != nullptr ? schema_->Number() : 0; }

VResult VDB_A::CreateDBFile() {
  if (open_) return kVFileAlreadyOpen;
  VDBFile file(schema_.get(), Config(), engine_->Cache());
  return file.CreateDBFile();
}

VResult VDB_A::EraseDBFile() {
  if (open_) return kVFileAlreadyOpen;
  VDBFile file(schema_.get(), Config(), engine_->Cache());
  return file.EraseDBFile();
}

VResult VDB_A::Open() {
  if (open_) return kVFileAlreadyOpen;
  auto file = std::make_unique<VDBFile>(schema_.get(), Config(), engine_->Cache());
  VResult result = file->Open();
  if (result != kVOk) return result;
  file_ = std::move(file);
  // No change of a file under the transaction log may reach the disk before its log record.
  if (VDBFile* log = engine_->TransactionLogFile(); log != nullptr && log != file_.get()) {
    file_->SetFlushFirst(log);
  }
  open_ = true;
  return kVOk;
}

VResult VDB_A::Close() {
  if (!open_) return kVFileNotOpen;
  // A flush that fails raises with the file still here, for the engine to abandon it.
  VResult result = file_->Close();
  file_.reset();
  open_ = false;
  return result;
}

VResult VDB_A::Sync() { return open_ ? file_->Flush() : kVOk; }

void VDB_A::Abandon() {
  if (file_ != nullptr) file_->Abandon();
  file_.reset();
  open_ = false;
}

VResult VDB_A::ExecuteInternal(VCMD& command) {
  if (!open_) return kVFileNotOpen;
  const VDML& request = command.Request();
  const uint32_t r = static_cast<uint32_t>(request.Value(VDML::kRID));
  std::vector<uint8_t> image;
  switch (command.Code()) {
    case VCode::kiInsert: {
      if (!request.RecordImage(0, &image)) return kVEmptyImage;
      std::vector<uint8_t> present;
      VResult found = r != 0 ? file_->GetRecord(r, &present) : kVRecordNotFound;
      if (found == kVOk) return file_->I_UpdRecord(r, image);
      if (found != kVRecordNotFound) return found;
      uint32_t number = r;
      VResult result = file_->I_InsRecord(image, &number);
      if (result == kVOk && number != r) {
        // The number could not be used: the record must not live on under another one.
        VResult removed = file_->I_DelRecord(number);
        return removed != kVOk ? removed : kVRecordPresent;
      }
      return result;
    }
    case VCode::kiDelete: {
      VResult result = file_->I_DelRecord(r);
      return result == kVDeleteNotFound || result == kVRecordNotFound ? kVOk : result;
    }
    case VCode::kiUpdate: {
      if (!request.RecordImage(0, &image)) return kVEmptyImage;
      std::vector<uint8_t> present;
      VResult found = file_->GetRecord(r, &present);
      if (found == kVRecordNotFound) {
        uint32_t number = r;
        return file_->I_InsRecord(image, &number);
      }
      return found == kVOk ? file_->I_UpdRecord(r, image) : found;
    }
    default:
      return kVUnknownCommand;
  }
}

VResult VDB_A::ExecuteCommand(VCMD&) { return kVUnknownCommand; }

VDBFileSets VDB_A::FileSets(VListMgr* sets) const {
  return VDBFileSets(file_.get(), sets, engine_->WorkFiles());
}

VResult VDB_A::Query(VUQue& queue, std::string_view statement, std::vector<uint32_t>* records) {
  records->clear();
  if (!open_) return kVFileNotOpen;
  const std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(statement.data()),
                                       statement.size());
  int32_t id = 0;
  uint32_t size = 0;
  VResult result = FileSets(&queue.Sets()).SetMake(bytes, &id, &size);
  if (result != kVOk) return result;
  auto* set = static_cast<VSetAcc*>(queue.Sets().Find(id, VSetObj::kSet));
  records->reserve(size);
  for (uint32_t r = set->Map().Next(0); r != 0; r = set->Map().Next(r)) records->push_back(r);
  queue.Sets().Remove(id);
  return kVOk;
}
