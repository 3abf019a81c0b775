// VDB_Value: the value file (file 30003, "@Value"), where long values live in pieces. A value is a
// sequence of records with the same value id, one piece each, in the order of their record
// numbers: 1 the value id (4-byte), 2 the compression flag as the number text "1" or "0", 3 the
// piece's bytes (a packet of the stored length).
//
// Pieces are stored run-length compressed when that makes them shorter: runs that start with a
// control byte c, either (c & 0x7F) literal bytes following when c has bit 0x80, or the next byte
// repeated c times; no run covers more than 127 bytes.
//
// Changes are recorded in the transaction log under file number -3, so a user's long values are
// committed and cancelled with the records that refer to them. Sets of pieces live in the calling
// user's list.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "db/engine/VDB_A.h"

class VDB_Value : public VDB_A {
 public:
  static constexpr int32_t kFileNumber = 30003;
  // The file number under which the transaction log and the internal commands name the file.
  static constexpr int32_t kInternalNumber = -3;

  explicit VDB_Value(VABoss* engine);

  // 401 "DBV_Length" ("QTY" = the largest piece), 402 "DBV_New" ("VID"), 403 "DBV_Insert" ("VID",
  // the piece), 404 "DBV_Delete" ("VID"), 405 "DBV_SMake" ("VID" → "SID", "QTY" = pieces), 406
  // "DBV_SGet" ("SID", "IDX" → the piece), 407 "DBV_SCancel" ("SID").
  VResult ExecuteCommand(VCMD& command) override;

  // The largest piece: MacRLength rounded down to a multiple of 256, less 256.
  int32_t PieceLength() const;

 private:
  VResult Run(VCMD& command);
};

// Run-length compression of a piece, and its reverse (false for runs that break off).
std::vector<uint8_t> VCompressPiece(std::span<const uint8_t> piece);
bool VExpandPiece(std::span<const uint8_t> stored, std::vector<uint8_t>* piece);
