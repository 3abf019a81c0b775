// The script engine's messages to the user, as Shift-JIS bytes.
#pragma once

#include <cstddef>
#include <string>

enum OvScriptTextId : size_t {
  kOvTextFindPrompt,         // the search dialog's prompt when the script gives none
  kOvTextFindEmpty,          // the search dialog was confirmed without a statement
  kOvTextSchemeFileMissing,  // "@CreateDB": no schema file, or one that cannot be opened
  kOvTextSchemeBad,          // "@CreateDB": the schema does not read
  kOvTextCreateFailed,       // "@CreateDB": the error box of a failure
  kOvTextCreateDone,         // "@CreateDB": the database was made
  kOvTextInputFileMissing,   // "@DataInput": no data file, or one that cannot be opened
  kOvTextInputFailed,        // "@DataInput": the error box of a failure
  kOvTextOutputFileMissing,  // "@DataOutput": no file, or one that cannot be made
  kOvTextOutputFailed,       // "@DataOutput": the error box of a failure
  kOvTextNoTransactionLog,   // question before an all-or-nothing input that cannot be undone
  kOvTextRecordsStay,        // after a count: the records stored before a failure stay
  kOvTextInputCancelled,     // the input was stopped from its progress window
  kOvTextOutputCancelled,    // the output was stopped; the file was not written
  kOvTextInputTitle,         // title of the input's progress window
  kOvTextOutputTitle,        // title of the output's progress window
  kOvTextRecordsRead,        // progress text before the count of records read
  kOvTextRecordsWritten,     // progress text before the count of records written
  kOvTextRecordsUnit,        // after a count of records
};

const std::string& OvScriptText(OvScriptTextId id);
