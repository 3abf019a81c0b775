// The player shell's own texts shown to the user: the database error, the application list window
// and its messages, the form chooser and the report of an application folder that could not be
// used. Held as Shift-JIS bytes.
#pragma once

#include <cstddef>
#include <string>

enum OvATextId : size_t {
  kOvATextDatabaseNotOpened,  // after the error code when the database cannot be opened
  kOvATextListTitle,          // title of the application list window
  kOvATextRun,                // run button of the application list window
  kOvATextAppNameHeading,     // list heading of the application list window
  kOvATextNotInitialised,     // the list window has no template pool to run from
  kOvATextSelectApp,          // the list window's run without a selected application
  kOvATextChooserTitle,       // start of the form chooser's title, before the application name
  kOvATextChooseForm,         // the form chooser's prompt
  kOvATextFormNameHeading,    // list heading of the form chooser
  kOvATextAgree,              // the form chooser's OK button
  kOvATextCancel,             // the form chooser's cancel button
  // The start-up's report of an application folder it could not use: "アプリケーションフォルダ「",
  // the folder, "」", then what is wrong with it, or the skipped files one a line, each with why.
  kOvATextFolderBefore,
  kOvATextFolderAfter,
  kOvATextFolderMissing,
  kOvATextFolderNotFolder,
  kOvATextFolderDenied,
  kOvATextFolderEmpty,
  kOvATextFilesSkipped,
  kOvATextFileDenied,    // after a skipped file's name
  kOvATextFileError,     // after a skipped file's name, before its code
  kOvATextFileErrorEnd,  // after the code
  kOvATextMoreFiles,     // before the number of skipped files not listed
  kOvATextMoreFilesEnd,  // after it
};

const std::string& OvAText(OvATextId id);
