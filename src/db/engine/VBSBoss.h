// VBSBoss: the stand-alone engine the player uses: one database and one user queue of its own,
// made on the first command with the name "Guest/VBSBoss". Commands run one at a time on the
// caller's thread.
//
// Routing (Execute): a request without "VCODE" gives -2140. 101 "TCommit" flushes every open
// database file (and the value file), commits the user's transaction in the log and releases the
// user's holds; 102 "TCancel" undoes the user's changes since the last commit and releases the
// holds; both answer the log's result, -2143 when there is no transaction log. 201 to 204 and 301
// to 303 go to the database; "Close" first commits as "TCommit" does and drops the sets, sequences
// and holds of every user of the engine; a successful "Open" gives the queue the request's "NAME"
// and undoes what any user left pending. File-level commands go to the executor of file "FID"
// (opened on first use; -2143 when it cannot be); 351 and 352 are answered from the user's queue;
// 401 to 407, 421 to 423 and 431 to 435 go to the value file, the user file and the data
// dictionary (-2143 when not available); any other code gives -2140. After each command the
// command log, when enabled, receives its line.
//
// A command without a queue runs for the engine's own queue; a command may carry another queue
// (another user of the same engine), whose holds and sets are then its own.
//
// When the engine's failure exception leaves Execute, the database is stopped first (VABoss::Stop):
// nothing more is written, and every later command but "Close" answers -2145.
#pragma once

#include <memory>
#include <string>

#include "db/engine/VABoss.h"

class VUQue;

class VBSBoss : public VABoss {
 public:
  static constexpr const char* kQueueName = "Guest/VBSBoss";

  explicit VBSBoss(const std::string& configPath);
  ~VBSBoss() override;

  std::unique_ptr<VCMD> NewCommand() override;
  VResult Execute(VCMD& command) override;

  // The engine's own user queue (made on first use).
  VUQue* Queue();

 private:
  VResult Route(VCMD& command, int32_t code);
  VResult Commit(VUQue* queue);
  VResult Cancel(VUQue* queue);
  VResult Close(VCMD& command);
  // Writes a command with its answer to the command log.
  void LogCommandOf(const VCMD& command);
  VResult Open(VCMD& command);
  VResult UserSets(VCMD& command, int32_t code);

  std::unique_ptr<VUQue> queue_;
};

// Releases the engine's process-wide state (the registry of value types); for the end of the
// process, once no engine object is left.
void VEngineShutdown();
