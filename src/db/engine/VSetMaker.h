// VSetMaker: a query statement parsed into a flat list of entries, resolved against a file's
// schema and evaluated into a set of record numbers.
//
// Statement syntax (spaces, the byte 0x20 only, may stand between all parts):
//
//   statement  := operand { operator operand } [ ";" anything ]
//   operand    := "(" statement ")" | "#" digits | "all" | "null" | "none" | condition
//   operator   := "and" | "or" | "not"
//   condition  := reference ( "=" | ":" ) value-part
//   reference  := "[" [ letter ":" ] name "]" | bare name (up to a space, a control byte or ")")
//   value-part := [ "(" ] value ( "-" | "~" ) value [ ")" ]         a range, ends included
//               | [ "(" ] value { separator value } [ ")" ]         one value, or a list
//   value      := [ "?" | "!" ] quoted [ "?" | "!" ]                a string with markers
//               | ( "Date" | "D" | "Time" | "T" | "DateTime" | "O" | "String" | "S" | "Number"
//                   | "N" ) quoted
//               | bare word of ASCII letters and digits | bare number [+-]digits[.digits]
//
// Keywords and operators are recognised ignoring ASCII case, by their letters alone. A quoted text
// is enclosed in double or single quotes, the enclosing quote written twice inside it. The letter
// "I" makes the reference an item, "K" a key; other letters are ignored. A double-byte character is
// always read whole, so none of its bytes is ever taken for syntax.
//
// Evaluation takes the entries left to right with no precedence; a group acts as one operand. Key
// conditions scan the key's tree and never read a record; item conditions read every record in
// physical order. A set of the user named by "#n" is never changed by the statement.
//
// Failures of any kind (the syntax, a name the schema lacks, a key that is not open, a set the user
// does not have, a broken tree or an unreadable record) fail the statement as a whole, and no set
// is left behind.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "base/VBase.h"
#include "base/VObj.h"
#include "db/engine/VSMEntry.h"
#include "db/store/VDBCodes.h"

class VCioMap;
class VDBFile;
class VListMgr;
class VSch_DBFile;
class VSetAcc;

class VSetMaker : public VObj {
 public:
  static constexpr size_t kMinLength = 3;
  // Statements of this many bytes or more are refused.
  static constexpr size_t kMaxLength = 0x7C00;
  // Groups nest at most this deep.
  static constexpr int kMaxDepth = 64;

  // Parses a statement: 0, or kVStatementFailed with no entry kept.
  VResult Parse(std::span<const uint8_t> statement);
  bool IsMade() const { return !entries_.empty(); }
  int32_t Count() const { return static_cast<int32_t>(entries_.size()); }
  const VSMEntry& At(int32_t index) const { return *entries_[static_cast<size_t>(index)]; }

  // The entries in the statement syntax, separated by one space (none inside group brackets).
  std::string Show() const;
  // Every entry to the debug log.
  void LogShow() const;

  // Decides for every condition whether it names a key or an item: a name of digits is a key
  // number, or an item number after "I:"; "K:" takes only a key of that name, "I:" only an item,
  // and without a letter a key is taken before an item. 0 or kVStatementFailed.
  VResult Resolve(const VSch_DBFile& schema);

  // Evaluates the resolved statement over the file for a user (sets: the user's list, for "#n";
  // null when the user has none). work holds the pages of the sets made (null: memory). The result
  // is a finished set of the file; on failure kVStatementFailed (kVFileNotOpen for a closed file)
  // and no set.
  VResult Evaluate(VDBFile& file, const VListMgr* sets, VCioMap* work,
                   std::unique_ptr<VSetAcc>* result);

 private:
  class Parser;
  class Evaluator;

  std::vector<std::unique_ptr<VSMEntry>> entries_;
};
