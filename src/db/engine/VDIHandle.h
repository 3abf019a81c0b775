// VDIHandle: the engine's internal handle. Executors reach the transaction log, the command log
// and each other's undo steps through it: each call makes an internal command, fills it, has the
// engine execute it (VABoss::ExecuteInternal) and releases it.
//
// Internal commands: 1001 "iTLOG" records one change in the transaction log ("FID", "RID", "OPT" =
// 1 insert, 2 delete, 3 update; the old image for 2 and 3 and the new image for 1 and 3 as record
// pieces, old first); 101 and 102 commit and cancel a user's transaction; 1011 "iCLOG" writes a
// command to the command log; 1021 "iInsert", 1022 "iDelete" and 1023 "iUpdate" are the undo
// steps, sent to the executor of file "FID" (-1 the data dictionary, -2 the user file, -3 the
// value file).
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "base/VBase.h"

class VABoss;
class VCMD;
class VUQue;

class VDIHandle {
 public:
  // The options of a recorded change.
  static constexpr int32_t kInsert = 1;
  static constexpr int32_t kDelete = 2;
  static constexpr int32_t kUpdate = 3;

  explicit VDIHandle(VABoss* engine) : engine_(engine) {}

  // Records a change of the user's (images with their 16-bit length; empty when not sent).
  VResult RecordChange(VUQue* queue, int32_t fileNumber, uint32_t record, int32_t option,
                       std::span<const uint8_t> oldImage, std::span<const uint8_t> newImage);
  // Ends the user's transaction (queue null: every user's pending changes).
  VResult Commit(VUQue* queue);
  VResult Cancel(VUQue* queue);
  // Writes the command to the command log.
  VResult LogCommand(const VCMD& command);
  // Undo steps: store an image under a record number, remove a record, write an image back.
  VResult UndoInsert(int32_t fileNumber, uint32_t record, std::span<const uint8_t> body);
  VResult UndoDelete(int32_t fileNumber, uint32_t record);
  VResult UndoUpdate(int32_t fileNumber, uint32_t record, std::span<const uint8_t> body);

 private:
  std::unique_ptr<VCMD> Make(int16_t code, VUQue* queue);
  VResult Run(std::unique_ptr<VCMD> command);

  VABoss* engine_;
};
