// Result codes of record files and their keys (signed 16-bit; 0 success, 1 end of a read).
#pragma once

#include "base/VBase.h"

constexpr VResult kVUniqueTaken = -101;        // a value of a unique key is already taken
constexpr VResult kVTreeUnusable = -102;       // insertion or deletion met an empty or broken tree
constexpr VResult kVKeyAbsent = -103;          // the value is not in the tree (delete)
constexpr VResult kVNotInList = -104;          // record not in the value's list, or no entry
constexpr VResult kVNothingAfter = -105;       // nothing at or after the sought value
constexpr VResult kVRecordNotFound = -201;     // read
constexpr VResult kVRecordPresent = -203;      // the record number is already in its block
constexpr VResult kVDeleteNotFound = -204;     // delete
constexpr VResult kVUpdateNotFound = -205;     // update
constexpr VResult kVEmptyImage = -206;         // empty record image
constexpr VResult kVNoRecordBlock = -208;      // no block (or no record number) for the record
constexpr VResult kVItemNotReadable = -212;    // an item of a stored record cannot be read
constexpr VResult kVMapNodeUnreadable = -230;  // a record-map node is missing or malformed
constexpr VResult kVBrokenTree = -230;         // a tree node cannot be read or is malformed
constexpr VResult kVMapNodeMissing = -231;     // ... met during enumeration
constexpr VResult kVFileAlreadyOpen = -401;
constexpr VResult kVIndexFileMissing = -410;
constexpr VResult kVDataFileMissing = -411;
constexpr VResult kVFileNotOpen = -501;
constexpr VResult kVKeyNotOpen = -502;    // CreateKey: already open; key operations: not open
constexpr VResult kVBadKeyNumber = -503;  // outside the key slots, or not open (DeleteKey)
constexpr VResult kVNotHolder = -504;     // another user holds the record
constexpr VResult kVNoSuchSet = -506;     // no set or sequence of that id for the user
constexpr VResult kVReadOnlyFile = -510;
constexpr VResult kVFilesExist = -513;    // CreateDBFile: index or data file already present
constexpr VResult kVBodyTooLong = -2144;  // record body of MacRLength bytes or more

// Sets of records.
constexpr VResult kVSortItemUnknown = -1207;     // a sort description names an unknown item
constexpr VResult kVSortDescriptionBad = -1209;  // no sort entry parses, or no such set to sort
constexpr VResult kVStatementFailed = -2114;     // a query statement cannot be made into a set
constexpr VResult kVCountFailed = -2115;         // ... when counting its records (command 501)
constexpr VResult kVPositionOutside = -2121;     // a set position outside the set

// The directory block (block 1 of the index file) is not one.
constexpr VResult kVBadDirectory = -37;
// A complete backup whose entries do not fit the record files; it is kept for inspection.
constexpr VResult kVBadBackup = -38;
