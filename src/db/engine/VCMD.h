// VCMD: one command of the engine: a sequence number (a process-wide counter, the first command
// being 1), the request message, the answer message and the user queue it runs for. A command can
// be copied whole (the copy takes the same sequence number).
//
// The command table names the codes in the command log: 1 "Quit", 101 "TCommit", 102 "TCancel",
// 201 "Create" ... 9003 "TEST-ToLower"; a code without an entry is logged without a name.
#pragma once

#include <cstdint>
#include <string>

#include "db/engine/VDML.h"

class VUQue;

// Command codes.
namespace VCode {
constexpr int16_t kQuit = 1;
constexpr int16_t kTCommit = 101;
constexpr int16_t kTCancel = 102;
constexpr int16_t kCreate = 201;
constexpr int16_t kErase = 202;
constexpr int16_t kCreateDBFile = 203;
constexpr int16_t kEraseDBFile = 204;
constexpr int16_t kOpen = 301;
constexpr int16_t kClose = 302;
constexpr int16_t kFlush = 303;
constexpr int16_t kCreateAllKey = 304;
constexpr int16_t kDeleteAllKey = 305;
constexpr int16_t kCreateKey = 306;
constexpr int16_t kDeleteKey = 307;
constexpr int16_t kMaxRNbr = 311;
constexpr int16_t kFileSize = 312;
constexpr int16_t kGetUnique = 313;
constexpr int16_t kMacRLength = 314;
constexpr int16_t kGetRecord = 315;
constexpr int16_t kInsRecord = 316;
constexpr int16_t kDelRecord = 317;
constexpr int16_t kUpdRecord = 318;
constexpr int16_t kSetMake = 319;
constexpr int16_t kSetSort = 320;
constexpr int16_t kSortCancel = 321;
constexpr int16_t kSetCancel = 322;
constexpr int16_t kSetSize = 323;
constexpr int16_t kSetRGet = 324;
constexpr int16_t kSetRAdd = 325;
constexpr int16_t kSetRDel = 326;
constexpr int16_t kKSLocate = 327;
constexpr int16_t kKSRead = 328;
constexpr int16_t kKSCancel = 329;
constexpr int16_t kPSLocate = 330;
constexpr int16_t kPSRead = 331;
constexpr int16_t kPSCancel = 332;
constexpr int16_t kUserSetCount = 351;
constexpr int16_t kUserSetInfo = 352;
constexpr int16_t kDBV_Length = 401;
constexpr int16_t kDBV_New = 402;
constexpr int16_t kDBV_Insert = 403;
constexpr int16_t kDBV_Delete = 404;
constexpr int16_t kDBV_SMake = 405;
constexpr int16_t kDBV_SGet = 406;
constexpr int16_t kDBV_SCancel = 407;
constexpr int16_t kDBU_Insert = 421;
constexpr int16_t kDBU_Delete = 422;
constexpr int16_t kDBU_Get = 423;
constexpr int16_t kDBD_GetInfo = 431;
constexpr int16_t kDBD_SetInfo = 432;
constexpr int16_t kDBD_Append = 433;
constexpr int16_t kDBD_Fetch = 434;
constexpr int16_t kDBD_Remove = 435;
constexpr int16_t kCountRecords = 501;
constexpr int16_t kAddKeyEntry = 502;
constexpr int16_t kRemoveKeyEntry = 503;
constexpr int16_t kItemCount = 511;
constexpr int16_t kItemNumberAt = 512;
constexpr int16_t kValueCount = 513;
constexpr int16_t kValueLength = 514;
constexpr int16_t kValueType = 515;
constexpr int16_t kGetItem = 516;
constexpr int16_t kCompareItems = 520;
constexpr int16_t kItemText = 521;
constexpr int16_t kiTLOG = 1001;
constexpr int16_t kiCLOG = 1011;
constexpr int16_t kiInsert = 1021;
constexpr int16_t kiDelete = 1022;
constexpr int16_t kiUpdate = 1023;
constexpr int16_t kTestEcho = 9001;
constexpr int16_t kTestToUpper = 9002;
constexpr int16_t kTestToLower = 9003;
}  // namespace VCode

class VCMD {
 public:
  explicit VCMD(VUQue* queue = nullptr);
  VCMD(const VCMD&) = default;
  VCMD& operator=(const VCMD&) = default;

  uint32_t Sequence() const { return sequence_; }
  // Makes the command new again for another use: a new sequence number, empty request and answer
  // (their buffers kept), the given queue and no subject.
  void Reset(VUQue* queue);
  VDML& Request() { return request_; }
  const VDML& Request() const { return request_; }
  VDML& Answer() { return answer_; }
  const VDML& Answer() const { return answer_; }
  VUQue* Queue() const { return queue_; }
  void SetQueue(VUQue* queue) { queue_ = queue; }

  // The request's command code, 0 when it has none.
  int32_t Code() const { return request_.Value(VDML::kVCODE, 0); }
  // The answer's "ECODE".
  void SetResult(int32_t result) { answer_.Set(VDML::kECODE, result); }

  // An internal command that logs another command refers to it here.
  const VCMD* Subject() const { return subject_; }
  void SetSubject(const VCMD* subject) { subject_ = subject; }

  // The command's name in the log: the table's name, or "" for a code without an entry.
  static const char* CommandName(int32_t code);
  // "CMD:%-10s Q[%s] A[%s] UQ[%s]": the name, the request's fields, the answer's fields without
  // the command code, and the queue's description ("NULL" without a queue).
  std::string LogLine() const;

 private:
  uint32_t sequence_;
  VDML request_;
  VDML answer_;
  VUQue* queue_;
  const VCMD* subject_ = nullptr;
};
