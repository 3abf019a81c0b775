// An item whose selected text can be asked for (the styled-text items): the field find takes only
// the selection of such an item when told to.
#pragma once

#include <string>

class OGTSelectedText {
 public:
  virtual ~OGTSelectedText() = default;
  // The selected text (Shift-JIS); false when nothing is selected.
  virtual bool SelectedText(std::string* text) const = 0;
};
