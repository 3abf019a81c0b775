// The toolkit's own texts shown to the user: message box titles and captions, the example of
// condition statements, face names and the file chooser filter. Held as Shift-JIS bytes.
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
};

const std::string& OGTText(OGTTextId id);
