// The texts the find commands build: the statement of "@ExecFieldFind" made from the words of
// form fields, and the half-width katakana of a statement turned full-width.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Half-width katakana of code page 932 become full-width: a letter followed by the voiced or
// semi-voiced sound mark becomes one letter ("ｶﾞ" is "ガ", "ﾊﾟ" is "パ") where such a letter
// exists; the prolonged sound mark and the half-width punctuation ("｡", "｢", "｣", "､", "･") become
// their full-width forms too. Double-byte characters and all other bytes are copied unchanged.
std::string OvConvertHankana(std::string_view text);

// Builds the statement of a field find, one word or field text at a time.
class OvFieldFindBuilder {
 public:
  // dbItems: the searched database items (entries of 0 or less are skipped); match: 1 exact, 2
  // beginning, 3 end, 4 anywhere, 5 beginning or end (anything else exact); the connectives join
  // the conditions on several items and on several words or fields.
  OvFieldFindBuilder(std::vector<int32_t> dbItems, int32_t match, bool itemsAnd, bool fieldsAnd);

  // The condition of one word, with the field connective first when connect is set and in
  // parentheses when parenthesised.
  void AddWord(std::string_view word, bool connect, bool parenthesised);
  void Append(std::string_view text) { statement_ += text; }
  const char* FieldConnective() const { return fieldConnective_; }
  const std::string& Statement() const { return statement_; }
  std::string& MutableStatement() { return statement_; }

 private:
  std::vector<int32_t> dbItems_;
  int32_t match_;
  const char* itemConnective_;
  const char* fieldConnective_;
  std::string statement_;
};
