// User-facing texts are written in the source as UTF-8 and held as code page 932 bytes. A table is
// converted once, when it is made; lookups hand out the Shift-JIS bytes.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

class VMessageTable {
 public:
  VMessageTable(std::initializer_list<const char*> utf8Texts);

  // The Shift-JIS bytes of text number index (empty for an index out of range).
  const std::string& operator[](size_t index) const;
  size_t Size() const { return texts_.size(); }

 private:
  std::vector<std::string> texts_;
};
