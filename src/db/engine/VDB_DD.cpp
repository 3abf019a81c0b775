#include "db/engine/VDB_DD.h"

#include <cstdio>

#include "db/engine/VCMD.h"
#include "db/engine/VEngineCodes.h"
#include "db/engine/VSysRecord.h"
#include "db/engine/VUQue.h"
#include "db/schema/VRecord.h"
#include "db/schema/VSchema.h"
#include "db/schema/VSystemSchemas.h"
#include "db/store/VDBFile.h"

namespace {

constexpr const char* kDatabaseFormat = "[1] %sn [4] %sn [5] %sn;";
constexpr const char* kFileFormat = "[1] %sn [2] %4i [4] %sn [5] %sn [6] %sn [7] %2i [8] %2i;";
constexpr const char* kItemFormat = "[1] %sn [2] %4i [3] %2i [4] %sn [5] %sn [7] %2i [8] %4i;";
constexpr const char* kKeyFormat =
    "[1] %sn [2] %4i [3] %2i [4] %sn [5] %sn [7(1-2)] %1i [8(1-5)] %2i;";

constexpr const char* kDefaultName = "Varnex-Database";
constexpr const char* kDefaultDesc = "Varnex Database V415 R1999.10";

std::string CodeStatement(const char* code) { return "[1] = " + VQuoteText(code) + ";"; }

std::string FileStatement(const char* code, int32_t fileNumber) {
  char number[24];
  std::snprintf(number, sizeof number, "%ld", static_cast<long>(fileNumber));
  return "[1] = " + VQuoteText(code) + " and [2] = " + number + ";";
}

// The names under which the system files keep their record files; no database file may take one.
bool IsSystemFile(const VSch_DBFile& file) {
  if (file.Number() >= 30001 && file.Number() <= 30005) return true;
  const std::string name = file.StorageName();
  for (const char* label : {"@DDD", "@USER", "@Value", "@Tlog", "@Clog"}) {
    if (name == label) return true;
  }
  return false;
}

}  // namespace

VDB_DD::VDB_DD(VABoss* engine)
    : VDB_A(engine, VSystemSchema(kVSchemaDataDictionary)),
      queue_(std::make_unique<VUQue>("SYS_VDB_DD")) {}

VDB_DD::~VDB_DD() = default;

void VDB_DD::EndCommand() { queue_->ReleaseHolds(); }

VResult VDB_DD::ExecuteCommand(VCMD& command) {
  if (!open_) return kVFileNotOpen;
  const VDML& request = command.Request();
  VDML& answer = command.Answer();
  switch (command.Code()) {
    case VCode::kDBD_GetInfo: {
      std::string name;
      std::string desc;
      std::vector<uint32_t> files;
      VResult result = GetInfo(&name, &desc, &files);
      if (result != kVOk) return result;
      answer.SetText(VDML::kNAME, name);
      answer.SetText(VDML::kDESC, desc);
      answer.AddNumbersPiece(files);
      answer.Set(VDML::kQTY, static_cast<int32_t>(files.size()));
      return kVOk;
    }
    case VCode::kDBD_SetInfo:
      return SetInfo(request.Text(VDML::kNAME), request.Text(VDML::kDESC));
    case VCode::kDBD_Append:
      if (request.PieceCount() == 0) return kVDictionaryRefused;
      return Append(request.Piece(0));
    case VCode::kDBD_Fetch: {
      std::unique_ptr<VSch_DBFile> schema;
      VResult result = Fetch(request.Value(VDML::kFID), &schema);
      if (result == kVOk) answer.AddPiece(schema->Text());
      return result;
    }
    case VCode::kDBD_Remove:
      return Remove(request.Value(VDML::kFID));
    default:
      return kVUnknownCommand;
  }
}

VResult VDB_DD::Insert(std::string_view format, const VPackBlock& block) {
  VRecord record;
  VResult result = block.PackInto(record, format);
  if (result != kVOk) return result;
  uint32_t r = 0;
  return file_->InsRecord(queue_.get(), {record.Image(), static_cast<size_t>(record.ImageLength())},
                          &r);
}

VResult VDB_DD::DeleteAll(const std::vector<uint32_t>& records) {
  for (uint32_t r : records) {
    VResult result = file_->DelRecord(queue_.get(), r);
    if (result != kVOk) return result;
  }
  return kVOk;
}

VResult VDB_DD::SetInfo(std::string_view name, std::string_view desc) {
  if (!open_) return kVFileNotOpen;
  std::vector<uint32_t> records;
  VResult result = Query(*queue_, CodeStatement("DDDB"), &records);
  if (result == kVOk) result = DeleteAll(records);
  if (result == kVOk) {
    VPackBlock block;
    block.Text("DDDB").Text(name.empty() ? kDefaultName : name);
    block.Text(desc.empty() ? kDefaultDesc : desc);
    result = Insert(kDatabaseFormat, block);
  }
  EndCommand();
  if (result == kVOk) result = Sync();
  return result;
}

VResult VDB_DD::GetInfo(std::string* name, std::string* desc, std::vector<uint32_t>* files) {
  if (!open_) return kVFileNotOpen;
  name->clear();
  desc->clear();
  files->clear();
  std::vector<uint32_t> records;
  std::vector<uint8_t> image;
  VResult result = Query(*queue_, CodeStatement("DDDB"), &records);
  if (result == kVOk && !records.empty()) {
    result = file_->GetRecord(records.front(), &image);
    VUnpackBlock block;
    if (result == kVOk) result = block.UnpackFrom(image, kDatabaseFormat);
    if (result == kVOk) {
      block.Text();
      *name = block.Text();
      *desc = block.Text();
    }
  }
  if (result == kVOk) result = Query(*queue_, CodeStatement("DDFILE"), &records);
  for (size_t i = 0; i < records.size() && result == kVOk; ++i) {
    result = file_->GetRecord(records[i], &image);
    VUnpackBlock block;
    if (result == kVOk) result = block.UnpackFrom(image, kFileFormat);
    if (result == kVOk) {
      block.Text();
      files->push_back(static_cast<uint32_t>(block.Int(4)));
    }
  }
  return result;
}

VResult VDB_DD::Append(std::span<const uint8_t> text) {
  if (!open_) return kVFileNotOpen;
  VResult parsed = kVOk;
  std::unique_ptr<VSchema> schema =
      ReadSchema(text.data(), static_cast<int64_t>(text.size()), &parsed);
  const VSch_DBFile* file = nullptr;
  if (schema != nullptr && schema->Kind() == VSchema::kFile) {
    file = static_cast<const VSch_DBFile*>(schema.get());
  } else if (schema != nullptr && schema->Kind() == VSchema::kDatabase) {
    const auto* database = static_cast<const VSch_DB*>(schema.get());
    if (database->FileCount() == 1) file = database->FileAt(0);
  }
  if (file == nullptr || file->Number() <= 0 || IsSystemFile(*file)) return kVDictionaryRefused;
  std::vector<uint32_t> records;
  VResult result = Query(*queue_, FileStatement("DDFILE", file->Number()), &records);
  if (result != kVOk) return result;
  if (!records.empty()) return kVDictionaryRefused;
  result = AppendFile(*file);
  EndCommand();
  if (result == kVOk) result = Sync();
  return result;
}

VResult VDB_DD::AppendFile(const VSch_DBFile& file) {
  VPackBlock head;
  head.Text("DDFILE").Int(file.Number(), 4).Text(file.Name()).Text(file.Desc());
  head.Text(file.Label()).Int(file.IndexBlockSize(), 2).Int(file.DataBlockSize(), 2);
  VResult result = Insert(kFileFormat, head);
  for (int i = 0; i < file.ItemCount() && result == kVOk; ++i) {
    const VSch_DBItem& item = *file.ItemAt(i);
    VPackBlock block;
    block.Text("DDITEM").Int(file.Number(), 4).Int(item.Number(), 2).Text(item.Name());
    block.Text(item.Desc()).Int(item.Type(), 2).Int(item.Length(), 4);
    result = Insert(kItemFormat, block);
  }
  for (int i = 0; i < file.KeyCount() && result == kVOk; ++i) {
    const VSch_DBKey& key = *file.KeyAt(i);
    VPackBlock block;
    block.Text("DDKEY").Int(file.Number(), 4).Int(key.Number(), 2).Text(key.Name());
    block.Text(key.Desc()).Int(key.Type(), 1).Int(key.Flags(), 1);
    for (int p = 0; p < key.PartCount(); ++p) block.Int(key.PartAt(p)->Number(), 2);
    result = Insert(kKeyFormat, block);
  }
  return result;
}

VResult VDB_DD::Fetch(int32_t fileNumber, std::unique_ptr<VSch_DBFile>* schema) {
  if (!open_) return kVFileNotOpen;
  std::vector<uint32_t> records;
  VResult result = Query(*queue_, FileStatement("DDFILE", fileNumber), &records);
  if (result != kVOk) return result;
  if (records.empty()) return kVNoSuchDictionaryFile;
  std::vector<uint8_t> image;
  result = file_->GetRecord(records.front(), &image);
  VUnpackBlock head;
  if (result == kVOk) result = head.UnpackFrom(image, kFileFormat);
  if (result != kVOk) return result;
  head.Text();
  auto file = std::make_unique<VSch_DBFile>(static_cast<int16_t>(head.Int(4)));
  file->SetName(head.Text());
  file->SetDesc(head.Text());
  file->SetLabel(head.Text());
  const int32_t indexBlock = head.Int(2);
  file->SetBlockSizes(static_cast<uint16_t>(indexBlock), static_cast<uint16_t>(head.Int(2)));

  result = Query(*queue_, FileStatement("DDITEM", fileNumber), &records);
  for (size_t i = 0; i < records.size() && result == kVOk; ++i) {
    VUnpackBlock block;
    result = file_->GetRecord(records[i], &image);
    if (result == kVOk) result = block.UnpackFrom(image, kItemFormat);
    if (result != kVOk) break;
    block.Text();
    block.Int(4);
    VSch_DBItem* item = file->AddItem(static_cast<int16_t>(block.Int(2)));
    item->SetName(block.Text());
    item->SetDesc(block.Text());
    item->SetType(static_cast<uint8_t>(block.Int(2)));
    item->SetLength(block.Int(4));
  }
  if (result == kVOk) result = Query(*queue_, FileStatement("DDKEY", fileNumber), &records);
  for (size_t i = 0; i < records.size() && result == kVOk; ++i) {
    VUnpackBlock block;
    result = file_->GetRecord(records[i], &image);
    if (result == kVOk) result = block.UnpackFrom(image, kKeyFormat);
    if (result != kVOk) break;
    block.Text();
    block.Int(4);
    VSch_DBKey* key = file->AddKey(static_cast<int16_t>(block.Int(2)));
    key->SetName(block.Text());
    key->SetDesc(block.Text());
    key->SetType(static_cast<uint8_t>(block.Int(1)));
    key->SetFlags(static_cast<uint8_t>(block.Int(1)));
    for (int p = 0; p < kVMaxKeyParts; ++p) {
      const int32_t number = block.Int(2);
      VSch_DBItem* item = number > 0 ? file->ItemByNumber(number) : nullptr;
      if (item != nullptr) key->AddPart(item);
    }
  }
  if (result == kVOk) *schema = std::move(file);
  return result;
}

VResult VDB_DD::Remove(int32_t fileNumber) {
  if (!open_) return kVFileNotOpen;
  char number[24];
  std::snprintf(number, sizeof number, "%ld", static_cast<long>(fileNumber));
  const std::string statement =
      "[1] = \"DDFILE\", \"DDITEM\", \"DDKEY\" and [2] = " + std::string(number) + ";";
  std::vector<uint32_t> records;
  VResult result = Query(*queue_, statement, &records);
  if (result == kVOk) result = DeleteAll(records);
  EndCommand();
  if (result == kVOk) result = Sync();
  return result;
}
