// The records a database form shows: a set of one database file kept in the engine under a set ID,
// mirrored here with its count, the index of the current record, the statement that made it and
// the text the user typed for it. Positions are 0-based; an empty set has no current record
// (Goto answers -1 as its index). The set in the engine is released when the record set is
// released, found again or destroyed; a shallow copy shares the engine set without owning it, so
// that only its owner ever releases it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "base/VBase.h"
#include "base/VObj.h"

class VDBHandle;
class VRecord;

// Runs a statement as a record set's find does: each parenthesised sub-statement where an operand
// stands runs first through make, and "#" with its set takes its place; each level gets its ";"
// (and a blank when shorter than 4 bytes) and runs through make; drop gives the sets of a level's
// sub-statements back once the level has run. The answer and the set are the top level's.
using OvMakeSet =
    std::function<VResult(const std::string& statement, int32_t* set, uint32_t* count)>;
using OvDropSet = std::function<void(int32_t set)>;
VResult OvRunPrepared(std::string_view statement, const OvMakeSet& make, const OvDropSet& drop,
                      int32_t* set, uint32_t* count);

class OvRecordSet : public VObj {
 public:
  static constexpr uint32_t kKindCode = 0x54525374;
  // The player's own result codes, as 16-bit values.
  static constexpr VResult kNoSetOrIndex = -1;
  static constexpr VResult kNoSet = -506;
  static constexpr VResult kNoHandle = -606;

  OvRecordSet();
  // Releases the engine set it owns.
  ~OvRecordSet() override;
  OvRecordSet(const OvRecordSet&) = delete;
  OvRecordSet& operator=(const OvRecordSet&) = delete;

  uint32_t KindCode() const { return kKindCode; }

  // Each releases the current set first.
  void Bind(VDBHandle* handle, int32_t file);
  void SetHandle(VDBHandle* handle);
  void SetFile(int32_t file);

  // With a statement: releases the set, runs the statement on the file and keeps the new set and
  // the statement. Without one (null): runs the stored statement again, keeping it and the typed
  // text; nothing when none is stored. 0 and nothing done when the handle is missing or closed.
  //
  // Before the engine sees a statement, each parenthesised sub-statement (a group where an operand
  // stands: at the start, after "(", "and", "or" or "not") runs as a find of its own and "#" with
  // the set it made takes its place; parentheses of a value list ("[2] = ("a", "b")") and inside
  // quoted texts stay as they are. Each level ends at ")" or ";", gets its ";" (and one blank when
  // that leaves it shorter than 4 bytes), and the sets of its sub-statements are released once it
  // has run. A failing sub-statement ends the find with its code.
  VResult Find(const char* statement);
  // Gives the engine set back; on success the set, count, index and both texts are cleared. A
  // failed release leaves everything as it was.
  VResult Release();

  // With refresh, asks the engine (0 on an error) and stores the answer.
  int32_t Count(bool refresh);
  // Clamps to 0 .. count - 1 (so -1 for an empty set); answers whether the index changed.
  bool Goto(int32_t index);
  bool First();
  bool Prev();
  bool Next();
  bool Last();

  // The record at a position of the set: -606 without a handle, -506 without a set, -1 outside
  // 0 .. count - 1.
  VResult ReadAt(int32_t index, uint32_t* r, VRecord* record);
  // A record by file and number: -606 without a handle, -506 for a file number below 1.
  VResult ReadRecord(int32_t file, uint32_t r, VRecord* record);
  // Stores a record in the file; with addToSet and a set, its number joins the set.
  VResult Insert(const VRecord& record, uint32_t* r, bool addToSet);
  // Replaces the record at a position of the set.
  VResult Update(int32_t index, const VRecord& record);
  // Deletes the record at a position; with removeFromSet its number leaves the set.
  VResult Delete(int32_t index, bool removeFromSet);
  VResult Commit();
  VResult Cancel();
  // Refreshes the count; an index now past the end moves to the last record (answer true);
  // otherwise answers whether the count changed.
  bool AfterChange();

  // Shallow: the target shares this set (without owning it). Deep: the target gets a set of its
  // own with the same records ("#id;" in the same file), its old set released first; -1 when
  // there is no handle or no set.
  VResult CopyTo(OvRecordSet* target, bool shallow) const;

  VDBHandle* Handle() const { return handle_; }
  int32_t File() const { return file_; }
  int32_t SetID() const { return set_; }
  int32_t Current() const { return current_; }
  // The count as last asked.
  int32_t StoredCount() const { return count_; }
  const std::string& Statement() const { return statement_; }
  const std::string& TypedText() const { return typedText_; }
  void SetTypedText(std::string_view text) { typedText_ = text; }

 private:
  bool Usable() const;
  // Makes a set of the file from a statement: the set ID and count on success.
  VResult MakeSet(const std::string& statement, int32_t* set, uint32_t* count) const;

  VDBHandle* handle_ = nullptr;
  int32_t file_ = 0;
  int32_t set_ = 0;
  int32_t count_ = 0;
  int32_t current_ = 0;
  bool ownsSet_ = true;
  std::string statement_;
  std::string typedText_;
};
