#include "db/engine/VDB_User.h"

#include "db/engine/VCMD.h"
#include "db/engine/VEngineCodes.h"
#include "db/engine/VSysRecord.h"
#include "db/engine/VUQue.h"
#include "db/schema/VRecord.h"
#include "db/schema/VSchema.h"
#include "db/schema/VSystemSchemas.h"
#include "db/store/VDBFile.h"

namespace {

constexpr const char* kUserFormat = "[1] %sn [2] %sn [3] %2i [4] %2i;";

}  // namespace

VDB_User::VDB_User(VABoss* engine)
    : VDB_A(engine, VSystemSchema(kVSchemaUserFile)),
      queue_(std::make_unique<VUQue>("SYS_VDB_User")) {}

VDB_User::~VDB_User() = default;

VResult VDB_User::ExecuteCommand(VCMD& command) {
  if (!open_) return kVFileNotOpen;
  const VDML& request = command.Request();
  VDML& answer = command.Answer();
  const std::string& name = request.Text(VDML::kNAME);
  std::vector<uint32_t> records;
  VResult result = kVOk;
  switch (command.Code()) {
    case VCode::kDBU_Insert: {
      VPackBlock block;
      block.Text(name).Text(request.Text(VDML::kPWD));
      block.Int(request.Value(VDML::kACC), 2).Int(request.Value(VDML::kUpd), 2);
      VRecord record;
      result = block.PackInto(record, kUserFormat);
      uint32_t r = 0;
      if (result == kVOk) {
        result = file_->InsRecord(queue_.get(),
                                  {record.Image(), static_cast<size_t>(record.ImageLength())}, &r);
      }
      break;
    }
    case VCode::kDBU_Delete:
      result = Query(*queue_, "[1] = " + VQuoteText(name) + ";", &records);
      for (size_t i = 0; i < records.size() && result == kVOk; ++i) {
        result = file_->DelRecord(queue_.get(), records[i]);
      }
      break;
    case VCode::kDBU_Get: {
      result = Query(*queue_, "[1] = " + VQuoteText(name) + ";", &records);
      if (result != kVOk) return result;
      if (records.empty()) return kVNoSuchUser;
      std::vector<uint8_t> image;
      result = file_->GetRecord(records.front(), &image);
      VUnpackBlock block;
      if (result == kVOk) result = block.UnpackFrom(image, kUserFormat);
      if (result != kVOk) return result;
      block.Text();
      answer.SetText(VDML::kPWD, block.Text());
      answer.Set(VDML::kACC, block.Int(2));
      answer.Set(VDML::kUpd, block.Int(2));
      return kVOk;
    }
    default:
      return kVUnknownCommand;
  }
  queue_->ReleaseHolds();
  if (result == kVOk) result = Sync();
  return result;
}
