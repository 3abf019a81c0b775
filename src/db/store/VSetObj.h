// The root of everything a user keeps open between commands: sets, physical sequential reads and
// key sequences. Each has a kind and an id given by the user's list when it is added.
#pragma once

#include <cstdint>

#include "base/VObj.h"

class VSetObj : public VObj {
 public:
  static constexpr int32_t kSet = 1;
  static constexpr int32_t kPhysicalRead = 2;
  static constexpr int32_t kKeySequence = 3;

  virtual int32_t Kind() const = 0;
  virtual int32_t Id() const { return id_; }
  virtual int32_t SetId() const { return id_; }
  // Given once by the user's list when the object is added.
  void SetIdentity(int32_t id) { id_ = id; }

 private:
  int32_t id_ = 0;
};
