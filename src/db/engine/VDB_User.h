// VDB_User: the user file (file 30002, "@USER"), made when SECURITY is on. A user record holds 1
// the name, 2 the password, 3 the access rights and 4 the update flag (2-byte each); the engine
// only stores and returns the access and update values. The name key is unique. The file holds its
// records through a user queue of its own ("SYS_VDB_User"); each change is flushed at once.
#pragma once

#include <memory>

#include "db/engine/VDB_A.h"

class VDB_User : public VDB_A {
 public:
  static constexpr int32_t kFileNumber = 30002;

  explicit VDB_User(VABoss* engine);
  ~VDB_User() override;

  // 421 "DBU_Insert" ("NAME", "PWD", "ACC", "Upd"; a name already present: -101), 422
  // "DBU_Delete" ("NAME"), 423 "DBU_Get" ("NAME" → "PWD", "ACC", "Upd"; none: -2163).
  VResult ExecuteCommand(VCMD& command) override;

 private:
  std::unique_ptr<VUQue> queue_;
};
