#include "app/OvTranscript.h"

#include <algorithm>

#include "app/OvActions.h"
#include "base/VCodePage.h"
#include "base/VString.h"
#include "gt/OGTCompositItem.h"
#include "gt/OGTDBHistoryList.h"
#include "gt/OGTDBList.h"
#include "gt/OGTEvent.h"
#include "gt/OGTList.h"
#include "gt/OGTListData.h"
#include "gt/imp/headless/OGTHeadlessImp.h"
#include "gt/imp/headless/OGTHeadlessScreen.h"

namespace {

std::string Q(const std::string& sjis) { return OvQuote(VSjisToUtf8(sjis)); }

bool IsFieldKind(int32_t kind) {
  return kind == kOGTKindField || kind == kOGTKindDBField || kind == kOGTKindStyleEdit ||
         kind == kOGTKindDBStyleEdit;
}

std::string ListLine(const OGTList& list) {
  std::string line = std::to_string(list.RowCount()) + " rows";
  int32_t row = list.FirstSelected();
  if (row >= 0) line += ", row " + std::to_string(row + 1) + " " + Q(OvRowText(&list, row));
  if (const auto* records = dynamic_cast<const OGTDBList*>(&list)) {
    line += ", corner " + Q(records->PositionText());
  }
  return line;
}

// The item's view; false for an item without a node of this platform side.
bool ViewItem(const OGTItem& item, const std::string& quotedTitle, bool shown, OvItemView* view) {
  const OGTHeadlessNode* node = OGTHeadlessNode::Of(&item);
  if (node == nullptr) return false;
  view->node = node;
  view->alive = node->AliveToken();
  view->head = quotedTitle + " " + std::to_string(item.GetID());
  view->shown = shown;
  view->enabled = item.IsEnabled();
  std::string head = view->head + " ";
  int32_t kind = item.Kind();
  if (const auto* list = dynamic_cast<const OGTList*>(&item)) {
    view->line = "list " + head + ListLine(*list);
    view->showsSomething = list->RowCount() > 0;
  } else if (IsFieldKind(kind)) {
    std::string text = item.Text();
    view->line = "field " + head + Q(text);
    view->showsSomething = !text.empty();
  } else if (kind == kOGTKindCheckBox || kind == kOGTKindRadioBtn) {
    int32_t value = 0;
    item.GetValue(value);
    view->line = "tick " + head + (value != 0 ? "on" : "off");
    view->showsSomething = value != 0;
  }
  return true;
}

// The items below item in tree order, each shown when it and everything above it is visible; a
// list's own parts (its scroll bars) are not looked into.
void ViewItems(const OGTItem& item, const std::string& quotedTitle, bool shown,
               std::vector<OvItemView>* views) {
  const auto* composite = dynamic_cast<const OGTCompositItem*>(&item);
  if (composite == nullptr) return;
  for (int32_t i = 0; i < composite->ChildCount(); ++i) {
    const OGTItem* child = composite->ChildAt(i);
    if (child == nullptr) continue;
    bool childShown = shown && child->IsVisible();
    OvItemView view;
    if (ViewItem(*child, quotedTitle, childShown, &view)) views->push_back(std::move(view));
    if (dynamic_cast<const OGTList*>(child) == nullptr) {
      ViewItems(*child, quotedTitle, childShown, views);
    }
  }
}

// Whether a view still names the same node (a node made later at the same address is another).
template <class View>
bool Same(const View& a, const View& b) {
  return a.node == b.node && !a.alive.expired() && !b.alive.expired() &&
         !a.alive.owner_before(b.alive) && !b.alive.owner_before(a.alive);
}

template <class View>
const View* Find(const std::vector<View>& views, const View& wanted) {
  for (const View& view : views) {
    if (Same(view, wanted)) return &view;
  }
  return nullptr;
}

}  // namespace

std::string OvCellText(const OGTList* list, int32_t row, int32_t column) {
  if (list == nullptr || row < 0 || row >= list->RowCount() || column < 0) return {};
  const OGTListData* data = list->RowData();
  if (const auto* strings = dynamic_cast<const OGTListData_String*>(data)) {
    int32_t columns = std::max(1, list->ColumnCount());
    if (column >= columns || column != (columns >= 2 ? 1 : 0)) return {};
    const char* text = strings->RowText(row);
    return text != nullptr ? text : "";
  }
  if (column >= list->ColumnCount()) return {};
  if (const auto* records = dynamic_cast<const OGTDBListData*>(data)) {
    VString heading;
    int16_t width = 0;
    int32_t binding = 0;
    if (!list->GetColumn(column, heading, width, binding)) return {};
    return records->CellText(row, binding);
  }
  if (const auto* history = dynamic_cast<const OGTDBHistoryListData*>(data)) {
    return history->CellText(row, column);
  }
  return {};
}

std::string OvRowText(const OGTList* list, int32_t row) {
  if (list == nullptr) return {};
  if (const auto* strings = dynamic_cast<const OGTListData_String*>(list->RowData())) {
    const char* text = row >= 0 && row < list->RowCount() ? strings->RowText(row) : nullptr;
    return text != nullptr ? text : "";
  }
  std::string text;
  for (int32_t column = 0; column < list->ColumnCount(); ++column) {
    if (column > 0) text += '\t';
    text += OvCellText(list, row, column);
  }
  return text;
}

OvScreenView OvLookAt(const OGTHeadlessScreen& screen) {
  OvScreenView view;
  const std::vector<OGTHeadlessNode*>& modal = screen.ModalStack();
  OGTHeadlessNode* front = screen.FrontWindow();
  for (OGTHeadlessNode* node : screen.TopLevels()) {
    if (!node->visible_ || std::find(modal.begin(), modal.end(), node) != modal.end()) continue;
    if (node == front) view.front = static_cast<int32_t>(view.windows.size());
    OvWindowView window;
    window.node = node;
    window.alive = node->AliveToken();
    window.title = VSjisToUtf8(node->text_);
    if (const OGTItem* item = node->NodeItem()) {
      ViewItems(*item, OvQuote(window.title), true, &window.items);
    }
    view.windows.push_back(std::move(window));
  }
  return view;
}

std::string OvDescribeSeen(const OGTSeen& seen) {
  switch (seen.what) {
    case OGTSeen::kModal: {
      std::string line = "box " + Q(seen.title);
      for (const OGTSeenItem& item : seen.items) {
        if (item.kind == kOGTKindLabel || item.kind == kOGTKindField) line += " " + Q(item.text);
      }
      return line;
    }
    case OGTSeen::kBeep:
      return "beep";
    case OGTSeen::kSound:
      return seen.played ? "sound " + Q(seen.path) : std::string();
    default:
      return {};
  }
}

namespace {

// The lines for one item: one that was in the window before, or a new one (was is null).
void DescribeItem(const OvItemView* was, OvItemView* item, std::vector<std::string>* lines) {
  if (was == nullptr) {
    if (item->shown && item->showsSomething) lines->push_back(item->line);
    return;
  }
  if (was->shown != item->shown)
    lines->push_back((item->shown ? "shown " : "hidden ") + item->head);
  if (was->enabled != item->enabled) {
    lines->push_back((item->enabled ? "enabled " : "disabled ") + item->head);
  }
  if (!item->shown) {
    // What changes out of sight is told when it comes into sight again.
    item->line = was->line;
  } else if (item->line != was->line) {
    lines->push_back(item->line);
  }
}

}  // namespace

std::vector<std::string> OvDescribeChanges(const OvScreenView& before, OvScreenView* after,
                                           const std::vector<OGTSeen>& seen) {
  std::vector<std::string> lines;
  for (const OGTSeen& one : seen) {
    std::string line = OvDescribeSeen(one);
    if (!line.empty()) lines.push_back(std::move(line));
  }
  for (const OvWindowView& window : before.windows) {
    if (Find(after->windows, window) == nullptr) lines.push_back("close " + OvQuote(window.title));
  }
  for (OvWindowView& window : after->windows) {
    const OvWindowView* old = Find(before.windows, window);
    if (old == nullptr) lines.push_back("open " + OvQuote(window.title));
    for (OvItemView& item : window.items) {
      if (old == nullptr) {
        DescribeItem(nullptr, &item, &lines);
      } else {
        DescribeItem(Find(old->items, item), &item, &lines);
      }
    }
  }
  if (after->front >= 0) {
    const OvWindowView& front = after->windows[static_cast<size_t>(after->front)];
    const OvWindowView* old = Find(before.windows, front);
    bool wasFront = before.front >= 0 && old == &before.windows[static_cast<size_t>(before.front)];
    if (old != nullptr && !wasFront) lines.push_back("front " + OvQuote(front.title));
  }
  return lines;
}
