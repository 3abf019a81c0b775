#include "db/engine/VDIHandle.h"

#include "db/engine/VABoss.h"
#include "db/engine/VCMD.h"

std::unique_ptr<VCMD> VDIHandle::Make(int16_t code, VUQue* queue) {
  std::unique_ptr<VCMD> command = engine_->NewInternalCommand(queue);
  command->Request().Set(VDML::kVCODE, code);
  return command;
}

VResult VDIHandle::Run(std::unique_ptr<VCMD> command) {
  VResult result = engine_->ExecuteInternal(*command);
  engine_->ReleaseInternalCommand(std::move(command));
  return result;
}

VResult VDIHandle::RecordChange(VUQue* queue, int32_t fileNumber, uint32_t record, int32_t option,
                                std::span<const uint8_t> oldImage,
                                std::span<const uint8_t> newImage) {
  std::unique_ptr<VCMD> command = Make(VCode::kiTLOG, queue);
  VDML& request = command->Request();
  request.Set(VDML::kFID, fileNumber);
  request.Set(VDML::kRID, static_cast<int32_t>(record));
  request.Set(VDML::kOPT, option);
  if (option == kDelete || option == kUpdate) request.AddRecordPiece(oldImage);
  if (option == kInsert || option == kUpdate) request.AddRecordPiece(newImage);
  return Run(std::move(command));
}

VResult VDIHandle::Commit(VUQue* queue) { return Run(Make(VCode::kTCommit, queue)); }

VResult VDIHandle::Cancel(VUQue* queue) { return Run(Make(VCode::kTCancel, queue)); }

VResult VDIHandle::LogCommand(const VCMD& subject) {
  std::unique_ptr<VCMD> command = Make(VCode::kiCLOG, subject.Queue());
  command->SetSubject(&subject);
  return Run(std::move(command));
}

VResult VDIHandle::UndoInsert(int32_t fileNumber, uint32_t record, std::span<const uint8_t> body) {
  std::unique_ptr<VCMD> command = Make(VCode::kiInsert, nullptr);
  command->Request().Set(VDML::kFID, fileNumber);
  command->Request().Set(VDML::kRID, static_cast<int32_t>(record));
  command->Request().AddPiece(body);
  return Run(std::move(command));
}

VResult VDIHandle::UndoDelete(int32_t fileNumber, uint32_t record) {
  std::unique_ptr<VCMD> command = Make(VCode::kiDelete, nullptr);
  command->Request().Set(VDML::kFID, fileNumber);
  command->Request().Set(VDML::kRID, static_cast<int32_t>(record));
  return Run(std::move(command));
}

VResult VDIHandle::UndoUpdate(int32_t fileNumber, uint32_t record, std::span<const uint8_t> body) {
  std::unique_ptr<VCMD> command = Make(VCode::kiUpdate, nullptr);
  command->Request().Set(VDML::kFID, fileNumber);
  command->Request().Set(VDML::kRID, static_cast<int32_t>(record));
  command->Request().AddPiece(body);
  return Run(std::move(command));
}
