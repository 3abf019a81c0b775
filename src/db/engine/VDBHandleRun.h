// The one way every operation of VDBHandle runs a command (VDBHandle.cpp, VDBHandleSystem.cpp):
// take one (kept from the last operation), fill the request, execute, take the result (the
// execution result, else the answer's "ECODE"), read the answer when the command succeeded, keep it
// for the next one.
#pragma once

#include "db/engine/VBoss.h"
#include "db/engine/VCMD.h"
#include "db/engine/VDBHandle.h"

namespace vdbhandle {

// Reads answer field into *out; false when absent.
template <class T>
inline bool Field(const VDML& answer, VDML::Field field, T* out) {
  int32_t value = 0;
  if (!answer.Get(field, &value)) return false;
  *out = static_cast<T>(value);
  return true;
}

}  // namespace vdbhandle

template <class FillFn, class ReadFn>
inline VResult VDBHandle::Run(int16_t code, FillFn fill, ReadFn read) {
  std::unique_ptr<VCMD> command = TakeCommand();
  command->Request().Set(VDML::kVCODE, code);
  fill(command->Request());
  VResult result = Execute(*command);
  if (result == kVOk) result = static_cast<VResult>(command->Answer().Value(VDML::kECODE, 0));
  // The end of a sequential read carries no answer to read.
  if (result == kVOk) result = read(command->Answer());
  KeepCommand(std::move(command));
  return result;
}

template <class FillFn>
inline VResult VDBHandle::Run(int16_t code, FillFn fill) {
  return Run(code, fill, [](const VDML&) { return kVOk; });
}
