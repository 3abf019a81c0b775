#include "db/engine/VDBHandle.h"

#include <algorithm>

#include "base/VEndian.h"
#include "base/VStream.h"
#include "db/engine/VBoss.h"
#include "db/engine/VCMD.h"
#include "db/engine/VDBHandleRun.h"
#include "db/engine/VEngineCodes.h"
#include "db/schema/VRecord.h"
#include "db/schema/VSchema.h"
#include "db/store/VDBCodes.h"

using vdbhandle::Field;

namespace {

std::span<const uint8_t> ImageOf(const VRecord& record) {
  return {record.Image(), static_cast<size_t>(record.ImageLength())};
}

}  // namespace

VDBHandle::VDBHandle(VBoss* engine) : engine_(engine) {}

VDBHandle::~VDBHandle() {
  if (spare_ != nullptr) engine_->ReleaseCommand(std::move(spare_));
}

std::unique_ptr<VCMD> VDBHandle::TakeCommand() {
  if (spare_ == nullptr) {
    std::unique_ptr<VCMD> command = engine_->NewCommand();
    engineQueue_ = command->Queue();
    if (queue_ != nullptr) command->SetQueue(queue_);
    return command;
  }
  std::unique_ptr<VCMD> command = std::move(spare_);
  command->Reset(queue_ != nullptr ? queue_ : engineQueue_);
  return command;
}

void VDBHandle::KeepCommand(std::unique_ptr<VCMD> command) {
  if (spare_ == nullptr) {
    spare_ = std::move(command);
  } else {
    ReleaseCommand(std::move(command));
  }
}

std::unique_ptr<VCMD> VDBHandle::NewCommand() {
  std::unique_ptr<VCMD> command = engine_->NewCommand();
  if (queue_ != nullptr) command->SetQueue(queue_);
  return command;
}

VResult VDBHandle::Execute(VCMD& command) { return engine_->Execute(command); }

void VDBHandle::ReleaseCommand(std::unique_ptr<VCMD> command) {
  engine_->ReleaseCommand(std::move(command));
}

bool VDBHandle::IsOpen() const { return engine_->IsOpen(); }

// ---- the database ----

VResult VDBHandle::CreateDatabase(std::string_view name, std::string_view desc) {
  return Run(VCode::kCreate, [&](VDML& q) {
    q.SetText(VDML::kNAME, name);
    q.SetText(VDML::kDESC, desc);
  });
}

VResult VDBHandle::EraseDatabase() {
  return Run(VCode::kErase, [](VDML&) {});
}

VResult VDBHandle::Open(std::string_view userName, std::string_view password) {
  return Run(VCode::kOpen, [&](VDML& q) {
    if (!userName.empty()) q.SetText(VDML::kNAME, userName);
    if (!password.empty()) q.SetText(VDML::kPWD, password);
  });
}

VResult VDBHandle::Close() {
  if (!IsOpen()) return kVOk;
  return Run(VCode::kClose, [](VDML&) {});
}

VResult VDBHandle::Flush() {
  return Run(VCode::kFlush, [](VDML&) {});
}

VResult VDBHandle::Commit() {
  return Run(VCode::kTCommit, [](VDML&) {});
}

VResult VDBHandle::Cancel() {
  return Run(VCode::kTCancel, [](VDML&) {});
}

// ---- files ----

VResult VDBHandle::CreateFiles(std::string_view schemaText) {
  std::unique_ptr<VSchema> schema =
      ReadSchema(schemaText.data(), static_cast<int64_t>(schemaText.size()));
  if (schema == nullptr) return kVSchemaNotDBOrFile;
  return CreateFiles(*schema);
}

VResult VDBHandle::CreateFiles(const VSchema& schema) {
  std::vector<const VSch_DBFile*> files;
  if (schema.Kind() == VSchema::kDatabase) {
    const auto& database = static_cast<const VSch_DB&>(schema);
    for (int i = 0; i < database.FileCount(); ++i) files.push_back(database.FileAt(i));
  } else if (schema.Kind() == VSchema::kFile) {
    files.push_back(static_cast<const VSch_DBFile*>(&schema));
  } else {
    return kVSchemaNotDBOrFile;
  }
  for (const VSch_DBFile* file : files) {
    VResult result = AppendSchema(file->Text());
    if (result == kVOk) result = CreateFile(file->Number());
    if (result != kVOk) return result;
  }
  return kVOk;
}

VResult VDBHandle::CreateFile(int32_t fileNumber) {
  return Run(VCode::kCreateDBFile, [&](VDML& q) { q.Set(VDML::kFID, fileNumber); });
}

VResult VDBHandle::EraseFile(int32_t fileNumber) {
  return Run(VCode::kEraseDBFile, [&](VDML& q) { q.Set(VDML::kFID, fileNumber); });
}

VResult VDBHandle::CreateAllKeys(int32_t fileNumber) {
  return Run(VCode::kCreateAllKey, [&](VDML& q) { q.Set(VDML::kFID, fileNumber); });
}

VResult VDBHandle::DeleteAllKeys(int32_t fileNumber) {
  return Run(VCode::kDeleteAllKey, [&](VDML& q) { q.Set(VDML::kFID, fileNumber); });
}

VResult VDBHandle::CreateKey(int32_t fileNumber, int32_t key) {
  return Run(VCode::kCreateKey, [&](VDML& q) {
    q.Set(VDML::kFID, fileNumber);
    q.Set(VDML::kKID, key);
  });
}

VResult VDBHandle::DeleteKey(int32_t fileNumber, int32_t key) {
  return Run(VCode::kDeleteKey, [&](VDML& q) {
    q.Set(VDML::kFID, fileNumber);
    q.Set(VDML::kKID, key);
  });
}

VResult VDBHandle::MaxRNbr(int32_t fileNumber, uint32_t* record) {
  return Run(
      VCode::kMaxRNbr, [&](VDML& q) { q.Set(VDML::kFID, fileNumber); },
      [&](const VDML& a) { return Field(a, VDML::kRID, record) ? kVOk : kVAnswerNoQuantity; });
}

VResult VDBHandle::FileSize(int32_t fileNumber, uint32_t* size) {
  return Run(
      VCode::kFileSize, [&](VDML& q) { q.Set(VDML::kFID, fileNumber); },
      [&](const VDML& a) { return Field(a, VDML::kQTY, size) ? kVOk : kVAnswerNoQuantity; });
}

VResult VDBHandle::GetUnique(int32_t fileNumber, int32_t counter, uint32_t* value) {
  return Run(
      VCode::kGetUnique,
      [&](VDML& q) {
        q.Set(VDML::kFID, fileNumber);
        q.Set(VDML::kIDX, counter);
      },
      [&](const VDML& a) { return Field(a, VDML::kQTY, value) ? kVOk : kVAnswerNoQuantity; });
}

VResult VDBHandle::MacRLength(int32_t fileNumber, int32_t* length) {
  return Run(
      VCode::kMacRLength, [&](VDML& q) { q.Set(VDML::kFID, fileNumber); },
      [&](const VDML& a) { return Field(a, VDML::kQTY, length) ? kVOk : kVAnswerNoQuantity; });
}

// ---- records ----

VResult VDBHandle::Insert(int32_t fileNumber, const VRecord& record, uint32_t* r) {
  return Insert(fileNumber, ImageOf(record), r);
}

VResult VDBHandle::Insert(int32_t fileNumber, std::span<const uint8_t> image, uint32_t* r) {
  return Run(
      VCode::kInsRecord,
      [&](VDML& q) {
        q.Set(VDML::kFID, fileNumber);
        q.AddRecordPiece(image);
      },
      [&](const VDML& a) { return Field(a, VDML::kRID, r) ? kVOk : kVInsertNoRecord; });
}

VResult VDBHandle::Delete(int32_t fileNumber, uint32_t r) {
  return Run(VCode::kDelRecord, [&](VDML& q) {
    q.Set(VDML::kFID, fileNumber);
    q.Set(VDML::kRID, static_cast<int32_t>(r));
  });
}

VResult VDBHandle::Update(int32_t fileNumber, uint32_t r, const VRecord& record) {
  return Update(fileNumber, r, ImageOf(record));
}

VResult VDBHandle::Update(int32_t fileNumber, uint32_t r, std::span<const uint8_t> image) {
  return Run(VCode::kUpdRecord, [&](VDML& q) {
    q.Set(VDML::kFID, fileNumber);
    q.Set(VDML::kRID, static_cast<int32_t>(r));
    q.AddRecordPiece(image);
  });
}

VResult VDBHandle::Read(int32_t fileNumber, uint32_t r, std::vector<uint8_t>* image) {
  return Run(
      VCode::kGetRecord,
      [&](VDML& q) {
        q.Set(VDML::kFID, fileNumber);
        q.Set(VDML::kRID, static_cast<int32_t>(r));
      },
      [&](const VDML& a) { return a.RecordImage(0, image) ? kVOk : kVAnswerMissing; });
}

VResult VDBHandle::Read(int32_t fileNumber, uint32_t r, VRecord* record) {
  std::vector<uint8_t> image;
  VResult result = Read(fileNumber, r, &image);
  return result == kVOk ? record->Load(image.data(), static_cast<int32_t>(image.size())) : result;
}

VResult VDBHandle::AddKeyEntry(int32_t fileNumber, uint32_t r, int32_t key,
                               std::string_view value) {
  return Run(VCode::kAddKeyEntry, [&](VDML& q) {
    q.Set(VDML::kFID, fileNumber);
    q.Set(VDML::kRID, static_cast<int32_t>(r));
    q.Set(VDML::kKID, key);
    q.AddPiece(value);
  });
}

VResult VDBHandle::RemoveKeyEntry(int32_t fileNumber, uint32_t r, int32_t key,
                                  std::string_view value) {
  return Run(VCode::kRemoveKeyEntry, [&](VDML& q) {
    q.Set(VDML::kFID, fileNumber);
    q.Set(VDML::kRID, static_cast<int32_t>(r));
    q.Set(VDML::kKID, key);
    q.AddPiece(value);
  });
}

VResult VDBHandle::CountRecords(int32_t fileNumber, std::string_view statement, uint32_t* count,
                                uint32_t* first) {
  return Run(
      VCode::kCountRecords,
      [&](VDML& q) {
        q.Set(VDML::kFID, fileNumber);
        q.AddPiece(statement);
      },
      [&](const VDML& a) {
        uint32_t n = 0;
        uint32_t r = 0;
        if (!Field(a, VDML::kQTY, &n) || !Field(a, VDML::kRID, &r)) return kVAnswerNoQuantity;
        *count = n;
        *first = r;
        return kVOk;
      });
}

// ---- sets ----

VResult VDBHandle::MakeSet(int32_t fileNumber, std::string_view statement, int32_t* set,
                           uint32_t* size) {
  return Run(
      VCode::kSetMake,
      [&](VDML& q) {
        q.Set(VDML::kFID, fileNumber);
        q.AddPiece(statement);
      },
      [&](const VDML& a) {
        int32_t id = 0;
        uint32_t n = 0;
        if (!Field(a, VDML::kSID, &id) || !Field(a, VDML::kQTY, &n)) return kVAnswerMissing;
        *set = id;
        *size = n;
        return kVOk;
      });
}

VResult VDBHandle::DropSet(int32_t fileNumber, int32_t set) {
  return Run(VCode::kSetCancel, [&](VDML& q) {
    q.Set(VDML::kFID, fileNumber);
    q.Set(VDML::kSID, set);
  });
}

VResult VDBHandle::SetSize(int32_t fileNumber, int32_t set, uint32_t* size) {
  return Run(
      VCode::kSetSize,
      [&](VDML& q) {
        q.Set(VDML::kFID, fileNumber);
        q.Set(VDML::kSID, set);
      },
      [&](const VDML& a) { return Field(a, VDML::kQTY, size) ? kVOk : kVAnswerNoQuantity; });
}

VResult VDBHandle::SetGet(int32_t fileNumber, int32_t set, uint32_t index, uint32_t* r,
                          VRecord* record) {
  return Run(
      VCode::kSetRGet,
      [&](VDML& q) {
        q.Set(VDML::kFID, fileNumber);
        q.Set(VDML::kSID, set);
        q.Set(VDML::kIDX, static_cast<int32_t>(index));
        q.Set(VDML::kOPT, record != nullptr ? 1 : 0);
      },
      [&](const VDML& a) {
        uint32_t number = 0;
        if (!Field(a, VDML::kRID, &number)) return kVAnswerNoQuantity;
        if (record != nullptr) {
          std::vector<uint8_t> image;
          if (!a.RecordImage(0, &image)) return kVAnswerNoQuantity;
          VResult loaded = record->Load(image.data(), static_cast<int32_t>(image.size()));
          if (loaded != kVOk) return loaded;
        }
        *r = number;
        return kVOk;
      });
}

VResult VDBHandle::SetAdd(int32_t fileNumber, int32_t set, uint32_t r) {
  return Run(VCode::kSetRAdd, [&](VDML& q) {
    q.Set(VDML::kFID, fileNumber);
    q.Set(VDML::kSID, set);
    q.Set(VDML::kRID, static_cast<int32_t>(r));
  });
}

VResult VDBHandle::SetAdd(int32_t fileNumber, int32_t set, std::span<const uint32_t> records) {
  return Run(VCode::kSetRAdd, [&](VDML& q) {
    q.Set(VDML::kFID, fileNumber);
    q.Set(VDML::kSID, set);
    q.Set(VDML::kQTY, static_cast<int32_t>(records.size()));
    q.AddNumbersPiece(records);
  });
}

VResult VDBHandle::SetRemove(int32_t fileNumber, int32_t set, uint32_t r) {
  return Run(VCode::kSetRDel, [&](VDML& q) {
    q.Set(VDML::kFID, fileNumber);
    q.Set(VDML::kSID, set);
    q.Set(VDML::kRID, static_cast<int32_t>(r));
  });
}

VResult VDBHandle::SetRemove(int32_t fileNumber, int32_t set, std::span<const uint32_t> records) {
  return Run(VCode::kSetRDel, [&](VDML& q) {
    q.Set(VDML::kFID, fileNumber);
    q.Set(VDML::kSID, set);
    q.Set(VDML::kQTY, static_cast<int32_t>(records.size()));
    q.AddNumbersPiece(records);
  });
}

VResult VDBHandle::SortSet(int32_t fileNumber, int32_t set, std::string_view description) {
  return Run(VCode::kSetSort, [&](VDML& q) {
    q.Set(VDML::kFID, fileNumber);
    q.Set(VDML::kSID, set);
    q.AddPiece(description);
  });
}

VResult VDBHandle::SortCancel(int32_t fileNumber, int32_t set) {
  return Run(VCode::kSortCancel, [&](VDML& q) {
    q.Set(VDML::kFID, fileNumber);
    q.Set(VDML::kSID, set);
  });
}

VResult VDBHandle::UserSetCount(int32_t* count) {
  return Run(
      VCode::kUserSetCount, [](VDML&) {},
      [&](const VDML& a) { return Field(a, VDML::kQTY, count) ? kVOk : kVAnswerNoQuantity; });
}

VResult VDBHandle::UserSetInfo(int32_t index, VUserSetInfo* info) {
  return Run(
      VCode::kUserSetInfo, [&](VDML& q) { q.Set(VDML::kIDX, index); },
      [&](const VDML& a) {
        VUserSetInfo got;
        if (!Field(a, VDML::kFID, &got.fileNumber) || !Field(a, VDML::kSID, &got.setId) ||
            !Field(a, VDML::kQTY, &got.size)) {
          return kVAnswerMissing;
        }
        got.name = a.Text(VDML::kNAME);
        got.sortDescription = a.Text(VDML::kDESC);
        if (a.PieceCount() > 0) got.statement = std::string(a.PieceText(0));
        *info = std::move(got);
        return kVOk;
      });
}

// ---- sequential reads ----

VResult VDBHandle::KeyLocate(int32_t fileNumber, int32_t key, std::string_view value,
                             int32_t* sequence) {
  return Run(
      VCode::kKSLocate,
      [&](VDML& q) {
        q.Set(VDML::kFID, fileNumber);
        q.Set(VDML::kKID, key);
        if (!value.empty()) q.AddPiece(value);
      },
      [&](const VDML& a) { return Field(a, VDML::kSID, sequence) ? kVOk : kVAnswerMissing; });
}

VResult VDBHandle::KeyRead(int32_t fileNumber, int32_t sequence, std::string* value,
                           std::vector<uint32_t>* records) {
  return Run(
      VCode::kKSRead,
      [&](VDML& q) {
        q.Set(VDML::kFID, fileNumber);
        q.Set(VDML::kSID, sequence);
      },
      [&](const VDML& a) {
        if (a.PieceCount() < 2) return kVAnswerMissing;
        value->assign(a.PieceText(0));
        const std::span<const uint8_t> numbers = a.Piece(1);
        records->clear();
        for (size_t at = 0; at + 3 <= numbers.size(); at += 3) {
          records->push_back(VGetU24(numbers.data() + at));
        }
        return kVOk;
      });
}

VResult VDBHandle::KeyCancel(int32_t fileNumber, int32_t sequence) {
  return Run(VCode::kKSCancel, [&](VDML& q) {
    q.Set(VDML::kFID, fileNumber);
    q.Set(VDML::kSID, sequence);
  });
}

VResult VDBHandle::PhysicalLocate(int32_t fileNumber, int32_t* read) {
  return Run(
      VCode::kPSLocate, [&](VDML& q) { q.Set(VDML::kFID, fileNumber); },
      [&](const VDML& a) { return Field(a, VDML::kSID, read) ? kVOk : kVAnswerMissing; });
}

VResult VDBHandle::PhysicalRead(int32_t fileNumber, int32_t read, uint32_t* r, VRecord* record) {
  return Run(
      VCode::kPSRead,
      [&](VDML& q) {
        q.Set(VDML::kFID, fileNumber);
        q.Set(VDML::kSID, read);
      },
      [&](const VDML& a) {
        std::vector<uint8_t> image;
        uint32_t number = 0;
        if (!Field(a, VDML::kRID, &number) || !a.RecordImage(0, &image)) return kVAnswerMissing;
        VResult loaded = record->Load(image.data(), static_cast<int32_t>(image.size()));
        if (loaded == kVOk) *r = number;
        return loaded;
      });
}

VResult VDBHandle::PhysicalCancel(int32_t fileNumber, int32_t read) {
  return Run(VCode::kPSCancel, [&](VDML& q) {
    q.Set(VDML::kFID, fileNumber);
    q.Set(VDML::kSID, read);
  });
}
