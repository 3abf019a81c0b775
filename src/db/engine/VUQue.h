// VUQue: one user of the engine. It has a user id (UID), a name, the records it holds and its
// list of open sets, physical sequential reads and key sequences.
//
// Every queue belongs to one process-wide list, through which a queue taking a hold asks all the
// others whether they hold the record. A queue made without an id takes the next number of a
// process-wide counter (1, 2, ...).
//
// Holds separate users logically: a record another queue holds cannot be deleted or updated
// (the record file answers -504) until that queue's transaction ends and its holds are released.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "base/VObj.h"
#include "db/engine/VHoldArray.h"
#include "db/store/VHolder.h"
#include "db/store/VListMgr.h"

class VUQue : public VHolder, public VObj {
 public:
  // uid 0 takes the next number of the counter.
  explicit VUQue(std::string name, int32_t uid = 0);
  // Leaves the process-wide list; the sets go with the queue.
  ~VUQue() override;
  VUQue(const VUQue&) = delete;
  VUQue& operator=(const VUQue&) = delete;

  int32_t UID() const { return uid_; }
  const std::string& Name() const { return name_; }
  void SetName(std::string name) { name_ = std::move(name); }

  // VHolder: a hold is refused when any other queue (another UID) holds the pair.
  bool TakeHold(int32_t fileNumber, uint32_t record) override;
  bool HeldByOther(int32_t fileNumber, uint32_t record) const override;
  bool Holds(int32_t fileNumber, uint32_t record) const;
  void ReleaseHolds();
  const VHoldArray& HoldArray() const { return holds_; }

  VListMgr& Sets() { return sets_; }
  const VListMgr& Sets() const { return sets_; }
  // Drops every set, read and sequence.
  void DropSets() { sets_.Clear(); }

  // The engine the queue last ran a command on (null: none yet); the engine drops the sets and
  // holds of its queues when its database closes.
  const void* Engine() const { return engine_; }
  void SetEngine(const void* engine) { engine_ = engine; }

  // "UID/NAME:%ld/%-16s N-HOLD:%ld, N-iSET:%ld".
  std::string Describe() const;

  // Calls visit for every queue of the process, in the order they were made.
  static void ForEach(const std::function<void(VUQue&)>& visit);
  static int32_t QueueCount();

 private:
  int32_t uid_;
  std::string name_;
  VHoldArray holds_;
  VListMgr sets_;
  const void* engine_ = nullptr;
};
