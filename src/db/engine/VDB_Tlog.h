// VDB_Tlog: the transaction log (file 30004, "@Tlog"), made when TLOG is on. Every change to a
// database file or the value file is recorded as a pending record of its user, with the before
// image (deletes and updates) and the after image (inserts and updates):
//
//   1 sequence number (4-byte, the log's serial counter), 2 user id (4-byte), 3 time stamp, 4 file
//   number (4-byte), 5 type (2-byte: 1 insert, 2 delete, 3 update, 4 commit, 5 cancel), 6 state
//   (4-byte: 1 pending, 2 committed, 3 cancelled), 7 record number (4-byte), 8 before image, 9
//   after image (packets holding a whole record image: the u16 area length and the entries).
//   The value file's changes are recorded under file number -3; commit and cancel records carry
//   file and record number 0.
//
// Commit deletes the user's pending records and writes a commit record. Cancel undoes the user's
// pending changes from the last to the first through the internal undo steps, makes the undone
// files durable, then deletes the pending records and writes a cancel record. Without a user both
// act on every user's pending records: the open of a database cancels whatever a crash left.
//
// Because the log is the predecessor of every file it records (VDBFile::SetFlushFirst), a change
// never reaches the disk before its pending record, and a crash at any point leaves the log able to
// undo every uncommitted change that did.
#pragma once

#include <memory>
#include <span>
#include <string>

#include "db/engine/VDB_A.h"

class VDB_Tlog : public VDB_A {
 public:
  static constexpr int32_t kFileNumber = 30004;
  static constexpr int32_t kPending = 1;
  static constexpr int32_t kCommitted = 2;
  static constexpr int32_t kCancelled = 3;
  static constexpr int32_t kCommitRecord = 4;
  static constexpr int32_t kCancelRecord = 5;

  explicit VDB_Tlog(VABoss* engine);
  ~VDB_Tlog() override;

  // 1001 records a change, 101 commits, 102 cancels; 1021 to 1023 on the log itself.
  VResult ExecuteInternal(VCMD& command) override;

  VUQue& Queue() { return *queue_; }

 private:
  VResult Record(VCMD& command);
  VResult Commit(VUQue* user);
  VResult Cancel(VUQue* user);
  // The statement that selects a user's pending records (every user's without one).
  std::string PendingStatement(VUQue* user) const;
  VResult Write(int32_t userId, int32_t fileNumber, int32_t type, int32_t state, uint32_t record,
                std::span<const uint8_t> before, std::span<const uint8_t> after);
  VResult Undo(const std::vector<uint8_t>& image);
  VResult Finish(VResult result);

  std::unique_ptr<VUQue> queue_;
};
