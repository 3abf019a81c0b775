#include "db/engine/VCodeTexts.h"

#include <iterator>
#include <vector>

#include "base/VCodePage.h"
#include "base/VFile.h"
#include "base/VPath.h"
#include "db/engine/VEngineCodes.h"
#include "db/schema/VConfig.h"
#include "db/schema/VDelimited.h"
#include "db/schema/VLongDataStore.h"
#include "db/schema/VRecFormat.h"
#include "db/schema/VRecord.h"
#include "db/schema/VRecordView.h"
#include "db/schema/VSchema.h"
#include "db/schema/VValue.h"
#include "db/store/VBio.h"
#include "db/store/VDBCodes.h"

namespace {

// The engine raises its failure exception with -1 for a fatal storage error or exhausted memory;
// the command layer answers it as the command's result.
constexpr VResult kFatal = -1;

// The codes are written by their names, so that each row is tied to the code the engine answers.
constexpr VCodeText kTexts[] = {
    {kVEnd, "end of the records or key values"},
    {kFatal, "fatal storage error or memory exhausted; the database stopped (see the debug log)",
     "致命的なエラーで止まりました。デバッグログを見て下さい。"},

    // Files and directories.
    {kVNotOpen, "the file is not open"},
    {kVAlreadyOpen, "the file is already open"},
    {kVBusy, "a create, remove or rename of a file that is open"},
    {kVInvalidPath, "invalid path", "設定ファイルかデータベースのパスが正しくありません。"},
    {kVNoParent, "the file or directory has no parent directory"},
    {kVMkdirFailed, "the system refused to create a directory",
     "フォルダを作れません。書き込みの権限を確かめて下さい。"},
    {kVRmdirFailed,
     "the system refused to remove a directory (it may hold the working directory or the "
     "configuration)"},
    {kVCreateFailed, "creating a new file failed (it exists, or the system refused)",
     "ファイルを作れません。書き込みの権限を確かめて下さい。"},
    {kVDeleteFailed, "the system refused to delete a file"},
    {kVOpenFailed,
     "opening an existing file failed (it is missing, not a plain file, not permitted, or locked "
     "by another process)",
     "別のプレイヤーが使用中か、ありません（varnex create）。"},
    {kVCloseNoHandle, "close of a file that has no handle"},
    {kVFlushNoHandle, "flush of a file that has no handle"},
    {kVRenameFailed, "moving a file to a new path failed"},
    {kVSeekFailed, "seek failed"},
    {kVReadFailed, "read failed or came short", "ファイルが壊れているか、途中までしかありません。"},
    {kVWriteFailed, "write failed or came short (or the output block is too small)",
     "書き込めません。空き容量と権限を確かめて下さい。"},
    {kVSizeFailed, "reading the file size failed"},
    {kVSetSizeFailed, "setting the file size failed"},
    {kVNoSource, "the file to copy from does not exist"},
    {kVConfigMissing, "configuration file missing", "設定ファイル（Varnex.conf）がありません。"},

    // Block files.
    {kVNotBlockFile, "not a block file (its header does not read)",
     "データベースのファイルが壊れているか、別の形式です。"},
    {kVBadBlockNumber, "block number outside the file"},
    {kVBadDirectory, "the index file's directory block is damaged",
     "データベースの索引ファイルが壊れています。"},
    {kVBadBackup, "a complete backup does not fit the record files (it is kept for inspection)",
     "バックアップとデータベースが合いません（残しました）。"},

    // Keys.
    {kVUniqueTaken, "value already taken in a unique key"},
    {kVTreeUnusable, "an insertion or deletion met an empty or broken key tree"},
    {kVKeyAbsent, "the value is not in the key"},
    {kVNotInList, "the record is not in the key value's list, or there is no current entry"},
    {kVNothingAfter, "nothing at or after the value sought"},

    // Records.
    {kVRecordNotFound, "record not found"},
    {kVRecordPresent, "the record number is already in use"},
    {kVDeleteNotFound, "record not found (delete)"},
    {kVUpdateNotFound, "record not found (update)"},
    {kVEmptyImage, "empty record"},
    {kVTooManyOccurrences, "an item already holds 255 values"},
    {kVNoRecordBlock, "no block (or no record number) for the record"},
    {kVRecordCorrupt, "the record is malformed"},
    {kVBadValue, "the value does not fit its type"},
    {kVItemNotReadable, "an item of a stored record cannot be read"},
    {kVBufferTooSmall, "buffer too small"},
    {kVBrokenTree,
     "a key tree or record-map node cannot be read or is malformed (or a tree is deeper than five "
     "levels)"},
    {kVMapNodeMissing, "a record-map node is missing"},

    // Delimited text.
    {kVUnmatchedQuote, "a quoted value has no closing quote before the end of the text"},
    {kVNotSjisText, "bytes that are not Shift-JIS text"},
    {kVNotBase64, "the text of a binary value is not base64"},
    {kVDelimitedValueTooLong, "a value of the text is longer than 64 MB"},
    {kVTransferCancelled, "the transfer was cancelled"},

    // Values and the record format language.
    {kVBadFormat, "the format text does not compile"},
    {kVConversionNotApplicable,
     "the conversion does not apply to this type (or a width it needs is missing)"},
    {kVWidthTooLarge, "the width exceeds the type's limit"},

    // Open files, keys, sets and long data.
    {kVFileAlreadyOpen, "already open (a file, or the database, that must be closed first)",
     "データベースはもう開かれています。"},
    {kVIndexFileMissing, "index file missing",
     "データベースがありません。varnex create で作れます。"},
    {kVDataFileMissing, "data file missing", "データベースのデータファイルがありません。"},
    {kVFileNotOpen, "not open (a file, or the database)"},
    {kVKeyNotOpen, "key not open (or, when it is created, already open)"},
    {kVBadKeyNumber, "no such key (a key number outside 1 to 255, or a key that is not open)"},
    {kVNotHolder, "the record is held by another user"},
    {kVNoSuchSet, "no such set or sequence (or an empty set to sort)"},
    {kVReadOnlyFile, "the file is read-only"},
    {kVNoValueType, "no value type has this code"},
    {kVRecordTooLong, "the record would pass 31744 bytes"},
    {kVFilesExist, "the record files already exist"},
    {kVNoLongDataStore, "long data needs the database's value file"},
    {kVLongDataMissing, "no long data is stored under the value's identifier"},
    {kVLongDataFull, "long data identifiers used up, or the data too large"},
    {kVBadValuePiece, "a damaged long-data piece"},

    // Schema texts.
    {kVSchemaBadStatement,
     "schema: a statement that does not read (a line not beginning with \"[\", an unknown "
     "keyword, a number outside 0 to 255)"},
    {kVSchemaBadDatabaseProperty, "schema: a database property other than NAME, DESC, LABEL"},
    {kVSchemaBadFileProperty,
     "schema: a file property other than NAME, DESC, LABEL, BLOCKSIZE, BS"},
    {kVSchemaBadItemProperty, "schema: an unknown item property or an item TYPE of no value type"},
    {kVSchemaBadKeyProperty, "schema: an unknown key property or a key TYPE of no key type"},
    {kVSchemaNoFile, "schema: an item or key before any file"},
    {kVSchemaBadPropertyName, "schema: a property that does not begin with a letter"},
    {kVSchemaBadValue, "schema: a property value missing, unterminated or out of range"},
    {kVSchemaTooManyParts, "schema: a key of more than five items"},
    {kVSchemaTextTooLong, "schema: a NAME or LABEL over 127 bytes or a DESC over 255 bytes"},

    // Sorting and statements.
    {kVSortItemUnknown, "the sort description names an item that the file lacks"},
    {kVSortDescriptionBad, "the sort description is empty or does not read"},
    {kVSchemaNotDBOrFile, "the schema is neither a database nor a file"},
    {kVAnswerMissing, "the answer lacks the record, set or record piece"},
    {kVInsertNoRecord, "insert: no record"},
    {kVUpdateNoRecord, "update: no record"},
    {kVStatementFailed,
     "the statement does not make a set: it does not read, names an item or key that the file "
     "lacks, or names a set that is not there"},
    {kVCountFailed,
     "the statement does not make a set to count: it does not read, names an item or key that the "
     "file lacks, or names a set that is not there"},
    {kVValueMissing, "value missing (no such item or occurrence, or no value for the key entry)"},
    {kVKeyRemoveNoValue, "no value for the key entry to remove"},
    {kVNoSortDescription, "sort description missing"},
    {kVAnswerNoQuantity, "the answer lacks the count or record number"},
    {kVPositionOutside, "position outside the set"},
    {kVNoSuchUserSet, "no such set"},
    {kVUnknownCommand, "unknown command"},
    {kVTargetUnavailable,
     "the file or system file is not available (for commit and cancel: no transaction log)"},
    {kVBodyTooLong, "the record is too long for its file"},
    {kVEngineStopped, "the database stopped after a fatal error; close and open it again",
     "致命的なエラーで止まりました。開き直して下さい。"},
    {kVValueNoLength, "the value file's answer lacks the length"},
    {kVValueNoId, "the value file's answer lacks the new value's identifier"},
    {kVValueNoSet, "the value file's answer lacks the set of pieces"},
    {kVValueNoPiece, "the value file's answer lacks the piece"},
    {kVNoSuchUser, "no such user"},
    {kVDictionaryRefused,
     "schema refused: it does not read, is not one file, or its file number is taken"},
    {kVNoSuchDictionaryFile, "no such file in the dictionary"},
    {kVNoItems, "the record has no items"},
    {kVNoItemAtPosition, "no item at that position"},
    {kVNoValues, "the item has no values"},
    {kVNoValueAt, "no value at that occurrence"},
};

}  // namespace

std::span<const VCodeText> VCodeTexts() { return kTexts; }

const VCodeText* VFindCodeText(VResult code) {
  for (const VCodeText& row : kTexts) {
    if (row.code == code) return &row;
  }
  return nullptr;
}

const std::string& VJapaneseGeneralText() {
  static const std::string text =
      VUtf8ToSjis("設定ファイルとデータベースのフォルダを確かめて下さい。");
  return text;
}

const std::string& VJapaneseCodeText(VResult code) {
  // Converted once, in the order of the rows.
  static const std::vector<std::string> texts = [] {
    std::vector<std::string> converted;
    for (const VCodeText& row : kTexts) {
      converted.push_back(row.japanese != nullptr ? VUtf8ToSjis(row.japanese) : std::string());
    }
    return converted;
  }();
  for (size_t i = 0; i < std::size(kTexts); ++i) {
    if (kTexts[i].code == code && !texts[i].empty()) return texts[i];
  }
  return VJapaneseGeneralText();
}

std::string VExplainCode(VResult code) {
  const VCodeText* row = VFindCodeText(code);
  const std::string number = std::to_string(static_cast<int>(code));
  return row == nullptr ? number : number + " " + row->english;
}
