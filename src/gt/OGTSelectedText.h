// An item whose selected text can be asked for (the styled-text items): the field find takes only
// the selection of such an item when told to. Such an item keeps its text itself, so the window's
// editing commands (cut, copy, paste, clear, select all) work on it through these operations and
// the platform's clipboard.
#pragma once

#include <string>
#include <string_view>

class OGTSelectedText {
 public:
  virtual ~OGTSelectedText() = default;
  // The selected text (Shift-JIS); false when nothing is selected.
  virtual bool SelectedText(std::string* text) const = 0;
  // Replaces the selection with the text (a paste); false when nothing changed.
  virtual bool ReplaceSelectedText(std::string_view /*text*/) { return false; }
  // Deletes the selection; false when there was none.
  virtual bool DeleteSelectedText() { return false; }
  // Selects the whole text; false when the item cannot.
  virtual bool SelectWholeText() { return false; }
};
