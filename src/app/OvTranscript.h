// What a person sees of the player on the headless platform side, and the transcript lines that
// tell what changed between two looks. A look (OvScreenView) keeps the visible windows from back
// to front (modal dialogs are left out: they come and go within one action and are told from the
// screen's record of what was seen) and, in each, its items in tree order: whether each is shown
// and enabled, and for fields, lists, check boxes and radio buttons the line that tells what they
// show.
//
// The lines, in this order for one action (texts in quotes, see OvQuote; TITLE is a window's):
//   box "TITLE" "TEXT"...        a modal dialog shown: its labels' and fields' texts in order
//   beep                         the alert sound
//   sound "PATH"                 a sound played
//   close "TITLE"                a window closed or hidden
//   open "TITLE"                 a window opened or shown, followed by its shown items that show
//                                something (a field with text, a list with rows, a ticked box)
//   hidden "TITLE" ID            an item was hidden (or shown, enabled, disabled)
//   field "TITLE" ID "TEXT"      a field's text changed
//   list "TITLE" ID N rows[, row R "TEXT"][, corner "TEXT"]
//                                a list's rows changed: the count, the selected row (from 1) and
//                                its text, a record list's corner
//   tick "TITLE" ID on|off       a check box or radio button changed
//   front "TITLE"                another window that was already open came to the front
//   quit                         the player was asked to end
// The boxes and sounds come in the order they happened; then the closed windows; then window by
// window, back to front, the opened ones and the items that changed, item by item; then the front
// window. What changes in a hidden item is told when it is shown again.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class OGTHeadlessNode;
class OGTHeadlessScreen;
class OGTItem;
class OGTList;
struct OGTSeen;

struct OvItemView {
  const OGTHeadlessNode* node = nullptr;
  std::weak_ptr<bool> alive;
  std::string head;  // "TITLE" ID
  bool shown = false;
  bool enabled = false;
  std::string line;  // what it shows, as the transcript writes it; empty for other items
  bool showsSomething = false;
};

struct OvWindowView {
  const OGTHeadlessNode* node = nullptr;
  std::weak_ptr<bool> alive;
  std::string title;  // UTF-8
  std::vector<OvItemView> items;
};

struct OvScreenView {
  std::vector<OvWindowView> windows;  // back to front
  // The front window's index in windows, -1 when none.
  int32_t front = -1;
};

OvScreenView OvLookAt(const OGTHeadlessScreen& screen);

// The lines for what was seen during one action (the screen's records) and what changed between
// the looks before and after it. A hidden item of after takes the line last seen of it, so that the
// next look compares with what a person saw.
std::vector<std::string> OvDescribeChanges(const OvScreenView& before, OvScreenView* after,
                                           const std::vector<OGTSeen>& seen);

// The line for one record of what was seen; empty for what the transcript leaves out (cursors,
// drawing, file choosers).
std::string OvDescribeSeen(const OGTSeen& seen);

// The text (Shift-JIS) a person reads in a list's cell: row and column from 0. Record lists read
// the record; plain lists with two or more columns show their text in column 1 (column 0 holds the
// mark). Empty outside the list.
std::string OvCellText(const OGTList* list, int32_t row, int32_t column);
// A row's text: a plain list's text, or the cells of the other lists joined by tabs.
std::string OvRowText(const OGTList* list, int32_t row);
