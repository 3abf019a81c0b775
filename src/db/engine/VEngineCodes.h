// Result codes of the engine's command layer: the handle, the dispatcher and the executors of the
// database files and the system files. The record-file and key codes are in db/store/VDBCodes.h.
#pragma once

#include "base/VBase.h"

// The schema given to the handle's create-files call is neither a database nor a file.
constexpr VResult kVSchemaNotDBOrFile = -2000;
// The answer lacks the record, set or record piece expected.
constexpr VResult kVAnswerMissing = -2110;
// Insert: no record piece in the request, or no "RID" in the answer.
constexpr VResult kVInsertNoRecord = -2111;
// Update: no record piece in the request.
constexpr VResult kVUpdateNoRecord = -2113;
// Missing statement or value: SetMake (-2114), counting (-2115), key entry add (-2116) and remove
// (-2117); missing sort description (-2119).
constexpr VResult kVNoStatement = -2114;
constexpr VResult kVCountNoStatement = -2115;
constexpr VResult kVKeyAddNoValue = -2116;
constexpr VResult kVKeyRemoveNoValue = -2117;
constexpr VResult kVNoSortDescription = -2119;
// The answer lacks "QTY" or "RID".
constexpr VResult kVAnswerNoQuantity = -2120;
// No set of the user at that position.
constexpr VResult kVNoSuchUserSet = -2133;
// No command code, or a code that no executor answers.
constexpr VResult kVUnknownCommand = -2140;
// The target file or system file is not available.
constexpr VResult kVTargetUnavailable = -2143;
// The database stopped after a fatal storage error: every command but "Close" is refused until the
// database is closed and opened again (the open undoes what was not committed).
constexpr VResult kVEngineStopped = -2145;
// The value-file answer lacks its expected field: "QTY" of "DBV_Length", "VID" of "DBV_New",
// "SID" or "QTY" of "DBV_SMake", the piece of "DBV_SGet".
constexpr VResult kVValueNoLength = -2151;
constexpr VResult kVValueNoId = -2152;
constexpr VResult kVValueNoSet = -2155;
constexpr VResult kVValueNoPiece = -2156;
// No such user in the user file.
constexpr VResult kVNoSuchUser = -2163;
// Schema text that does not parse, is not one file, or whose file is already in the dictionary.
constexpr VResult kVDictionaryRefused = -2173;
// No such file in the dictionary.
constexpr VResult kVNoSuchDictionaryFile = -2174;
// Item reads in place: no item (-2181), no item at the position (-2182), no values (-2183), no
// value at the occurrence (-2184).
constexpr VResult kVNoItems = -2181;
constexpr VResult kVNoItemAtPosition = -2182;
constexpr VResult kVNoValues = -2183;
constexpr VResult kVNoValueAt = -2184;
// A value-file piece whose compression flag is neither "0" nor "1", or whose runs are broken.
constexpr VResult kVBadValuePiece = -601;
