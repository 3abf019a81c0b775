// The toolkit's own texts shown to the user: message box titles and captions, the example of
// condition statements, face names, the file chooser filter and the texts of database forms. Held
// as Shift-JIS bytes.
#pragma once

#include <cstddef>
#include <string>

enum OGTTextId : size_t {
  kOGTTextConfirmTitle,   // title of ShowMessage
  kOGTTextQuestionTitle,  // title of AskYesNo
  kOGTTextAgree,          // default button of ShowMessage
  kOGTTextYes,
  kOGTTextNo,
  kOGTTextErrorPrefix,  // start of ShowError's text, before the code
  kOGTTextFindTitle,    // title of AskText
  kOGTTextRun,          // confirming button of AskText
  kOGTTextCancel,
  kOGTTextQueryExample,   // the example shown under AskText's field
  kOGTTextFaceGothicP,    // proportional gothic face (the default face)
  kOGTTextFaceMinchoP,    // proportional mincho face
  kOGTTextFaceGothic,     // fixed-pitch gothic face
  kOGTTextChooserFilter,  // filter of both file choosers: pairs of label and pattern
  kOGTTextNoResult,       // corner of a database list without a record set
  kOGTTextSetId,          // record-set history list: the set column
  kOGTTextStatement,      // record-set history list: the statement column
  kOGTTextCount,          // record-set history list: the count column
  kOGTTextDeleteEntry,    // question before a record-set history entry is deleted
  kOGTTextFindFailed,     // error box of a failed find
  kOGTTextInternalError,  // error box of a failure that reached the event loop
  kOGTTextInsertFailed,   // error boxes of the editing commands
  kOGTTextUpdateFailed,
  kOGTTextDeleteFailed,
  kOGTTextCommitFailed,
  kOGTTextCancelFailed,
  kOGTTextDeleteRecord,  // question before a record is deleted
};

const std::string& OGTText(OGTTextId id);
