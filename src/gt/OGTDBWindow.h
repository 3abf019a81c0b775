// A database form window (kind 1003): a window whose items show the records of one record set
// and whose item events run scripts. It owns its record set, its three histories (50 entries each),
// the find words of the last field find and a copy of the record it shows.
//
// Scripts run through the running application, which the window reaches through OGTDBApp (the
// application sits above the toolkit). Whenever the shown record changes - a record shown, or the
// items cleared - the window's update script runs.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "base/VBase.h"
#include "gt/OGTWindow.h"
#include "gt/OvHistories.h"
#include "gt/OvRecordSet.h"

class OGTDBWindow;
class VDBHandle;
class VRecord;

// The running application as its database windows see it.
class OGTDBApp {
 public:
  virtual ~OGTDBApp() = default;
  // Runs a script for the window (an empty script does nothing).
  virtual void RunScript(const VString& script, OGTDBWindow* window) = 0;
  // The database file and statement of the named search of the form named formName; false when
  // the application, the form or its search is missing.
  virtual bool FormSearch(const char* formName, int32_t* file, std::string* statement) const = 0;
};

class OGTDBWindow : public OGTWindow {
 public:
  static constexpr int16_t kHistoryCapacity = 50;

  OGTDBWindow();
  ~OGTDBWindow() override;

  int32_t Kind() const override;
  // Item events: buttons, database fields and lists run their scripts, history lists move through
  // the record-set history; everything else is plain window handling (focus moves).
  void OnEvent(OGTItem* item, int32_t code) override;

  // Binds the window to its application and handle and runs the form's named search: the first
  // record shows (or the items clear), and a failing search shows its error box.
  virtual void Bind(OGTDBApp* app, VDBHandle* handle);
  // Shows the record at the set's current index in every database item, or clears them when there
  // is none; then the update script runs.
  virtual void ShowCurrentRecord();
  // Shows the record in the items with the listed IDs only (null: clears them); it becomes the
  // current record. The first failing item is reported; the others still show.
  virtual VResult ShowRecordIn(const VRecord* record, const std::vector<int32_t>& ids);
  // Empties every database item's display.
  virtual void ClearItems();
  // Fills a record from the database fields; answers whether any gave a value.
  virtual bool GatherRecord(VRecord* record);
  // Every database list shows the record set again from the top.
  virtual void RefreshLists();
  // Every database list selects (or, without select, only scrolls to) the set's current index.
  virtual void SyncLists(bool select);
  // Every record-set history list shows the history again.
  virtual void RefreshHistoryLists();
  virtual void RunUpdateScript();
  // Replaces the record set with the records the statement finds, refreshes the lists and shows
  // the first record, then records the find in the histories. An empty statement answers -1 and
  // does nothing. With resolveHistory, "$n" references to the record-set history are replaced
  // first. With reportError a failure shows the error box. Answers the engine's code.
  virtual VResult ExecFind(const char* statement, const char* typedText, bool reportError,
                           bool resolveHistory = false);
  // Runs the set's stored statement again (nothing without one), so that the form shows what the
  // file holds now: the lists follow and the first record shows. The histories are left as they
  // are. With reportError a failure shows the find's error box. Answers the engine's code.
  virtual VResult RefindStored(bool reportError);
  // Finds in the window's file without touching its record set, and shows the first record found
  // in the listed items only (or clears them when there is none); -1 for an empty statement or
  // list.
  virtual VResult ExecSubFind(const char* statement, const std::vector<int32_t>& ids,
                              bool reportError);
  // The record-set history's current entry becomes the window's set (a copy of its own), the lists
  // follow and its first record shows; false when there is no such entry.
  virtual bool ShowRecSetHistoryEntry();
  // Puts the words of the find history's current entry into the unbound database fields.
  virtual bool ShowFindHistoryEntry();

  // ---- editing ----
  // Each shows its failure in its error box; a failed insert, update or delete leaves the set,
  // the current index, the items and the database as they were. With commit, a successful change
  // is committed, and a failing commit is shown too (a database without a transaction log has
  // nothing to commit, which is no failure).
  //
  // Makes a record from the database fields and adds it to the file and the set; it is then shown
  // as the last record. Nothing happens when no field gives a value.
  virtual VResult InsertRecord(bool commit);
  // Replaces the current record: the values the form's fields show are replaced by what they hold
  // now (an emptied field removes its value); every other value of the record stays as it is.
  virtual VResult UpdateRecord(bool commit);
  // Deletes the current record (after asking, with ask) and takes it out of the set.
  virtual VResult DeleteRecord(bool commit, bool ask);
  virtual VResult CommitWork();
  // Undoes every change since the last commit; the form then shows the records as they are.
  virtual VResult CancelWork();
  // Moves to another record of the set; when the index changed, the lists follow and the record
  // shows. Answers whether it changed.
  virtual bool MoveTo(int32_t index);
  // Takes every item out of the window now and deletes them once the current event has been
  // handled (an item's own script may be running).
  void RetireAllChildren();
  // Commits what is open before the window goes; a failing commit is shown.
  bool CanClose() override;

  // The find words: the words the last field find looked for.
  void AddFindWord(std::string word) { findWords_.push_back(std::move(word)); }
  void ClearFindWords() { findWords_.clear(); }
  const std::vector<std::string>& FindWords() const { return findWords_; }
  void SetFindWords(std::vector<std::string> words) { findWords_ = std::move(words); }

  OGTDBApp* App() const { return app_; }
  VDBHandle* Handle() const { return handle_; }
  OvRecordSet& RecordSet() { return recordSet_; }
  OvFindHistory& FindHistory() { return findHistory_; }
  OvRecSetHistory& RecSetHistory() { return recSetHistory_; }
  OvRecHistory& RecHistory() { return recHistory_; }
  // The record last shown, or null.
  const VRecord* CurrentRecord() const { return currentRecord_.get(); }
  void SetCurrentRecord(const VRecord* record);
  // Failures of items to show a record, reported so far.
  int32_t ShowFailures() const { return showFailures_; }

 private:
  void RunScriptOf(const VString& script);
  // Shows a record in the given items (all database items for a null list); answers the first
  // failure. Every item shows what it can: a failing item is left cleared and reported once.
  VResult ShowIn(const VRecord& record, const std::vector<int32_t>* ids);
  void AddFindHistoryEntry();
  void AddRecSetHistoryEntry();
  void OnListSelection(OGTItem* list);
  void OnHistorySelection(OGTItem* list);
  void OnHistoryActivation(OGTItem* list);
  // Commits after a change; a failure other than the missing transaction log is shown.
  void CommitAfterChange();
  // The record an update stores: the current record with the changed fields' values replaced.
  // kVOk, or the failure of a field whose text gives no value.
  VResult GatherUpdate(VRecord* record);

  OGTDBApp* app_ = nullptr;
  VDBHandle* handle_ = nullptr;
  std::unique_ptr<VRecord> currentRecord_;
  OvRecordSet recordSet_;
  OvFindHistory findHistory_;
  OvRecSetHistory recSetHistory_;
  OvRecHistory recHistory_;
  std::vector<std::string> findWords_;
  int32_t showFailures_ = 0;
  // The values the last update gathered, by (item, occurrence).
  std::map<std::pair<int32_t, int32_t>, std::vector<uint8_t>> newValues_;
};
