// VDB_DM: the executor of one database file. It answers the file-level commands by calling the
// record file (VDBFile), with the command's user queue as the holder of records and the owner of
// sets, reads and sequences, and records every change in the transaction log when there is one.
//
// A change that the transaction log cannot record is taken back before the command answers the
// log's failure, so that no change ever lives on that could not be undone.
#pragma once

#include <memory>
#include <vector>

#include "db/engine/VDB_A.h"

class VDB_DM : public VDB_A {
 public:
  VDB_DM(VABoss* engine, std::unique_ptr<VSch_DBFile> schema);

  // 304 to 307, 311 to 332, 501 to 503, 511 to 516, 520 and 521; any other code -2140.
  VResult ExecuteCommand(VCMD& command) override;

 private:
  VResult Change(VCMD& command);
  VResult SetCommand(VCMD& command);
  VResult ItemCommand(VCMD& command);
  // Takes back a change the transaction log refused.
  void TakeBack(int32_t option, uint32_t record, const std::vector<uint8_t>& oldImage);

  std::vector<uint8_t> image_;
  std::vector<uint8_t> oldImage_;
};
