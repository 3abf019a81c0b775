#include "gt/OGTCompositItem.h"

#include <algorithm>

#include "base/VDebug.h"
#include "gt/OGTEvent.h"
#include "gt/imp/OGTItemImp.h"

OGTCompositItem::OGTCompositItem() = default;

OGTCompositItem::~OGTCompositItem() { DeleteAllChildren(); }

int32_t OGTCompositItem::Kind() const { return kOGTKindComposit; }

OGTItemImp* OGTCompositItem::Create(int32_t variant, OGTCompositItem* parent) {
  return AdoptImp(variant, parent, nullptr);
}

OGTItem* OGTCompositItem::FindByID(int32_t id) {
  if (HasID(id)) return this;
  for (OGTItem* child : children_) {
    if (OGTItem* found = child->FindByID(id)) return found;
  }
  return nullptr;
}

void OGTCompositItem::OnEvent(OGTItem* item, int32_t code) {
  if (Parent() != nullptr) Parent()->OnEvent(item, code);
}

bool OGTCompositItem::IsModified() const {
  if (OGTItem::IsModified()) return true;
  return std::any_of(children_.begin(), children_.end(),
                     [](const OGTItem* child) { return child->IsModified(); });
}

void OGTCompositItem::ClearModified() {
  OGTItem::ClearModified();
  for (OGTItem* child : children_) child->ClearModified();
}

void OGTCompositItem::ClearMarked(bool redraw) {
  OGTItem::ClearMarked(redraw);
  for (OGTItem* child : children_) child->ClearMarked(redraw);
}

int32_t OGTCompositItem::ChildCount() const { return static_cast<int32_t>(children_.size()); }

OGTItem* OGTCompositItem::ChildAt(int32_t index) const {
  if (index < 0 || index >= ChildCount()) return nullptr;
  return children_[static_cast<size_t>(index)];
}

int32_t OGTCompositItem::IndexOf(const OGTItem* child) const {
  if (child == nullptr) return kAbsent;
  auto found = std::find(children_.begin(), children_.end(), child);
  return found == children_.end() ? kAbsent : static_cast<int32_t>(found - children_.begin());
}

OGTItem* OGTCompositItem::AddChild(std::unique_ptr<OGTItem> given, int32_t position) {
  if (given == nullptr) return nullptr;
  // Already present: the composite owns it already.
  if (IndexOf(given.get()) != kAbsent) return given.release();
  // Adding an ancestor would make the tree a cycle that deletes itself twice; deleting it here
  // would delete this item.
  for (const OGTItem* up = this; up != nullptr; up = up->Parent()) {
    if (up == given.get()) {
      Log("...ERROR... OGTCompositItem::AddChild: an ancestor refused");
      (void)given.release();  // still owned by the tree above
      return nullptr;
    }
  }
  OGTItem* child = given.release();
  if (child->parent_ != nullptr) child->parent_->RemoveChild(child);
  if (position == -1 || position > ChildCount()) {
    position = ChildCount();
  } else if (position < 0) {
    position = 0;
  }
  children_.insert(children_.begin() + position, child);
  child->parent_ = this;
  if (Imp() != nullptr) Imp()->ChildAdded(child->Imp(), position);
  return child;
}

std::unique_ptr<OGTItem> OGTCompositItem::TakeChild(OGTItem* child) {
  if (IndexOf(child) == kAbsent) return nullptr;
  RemoveChild(child);
  return IndexOf(child) == kAbsent ? std::unique_ptr<OGTItem>(child) : nullptr;
}

void OGTCompositItem::RemoveChild(OGTItem* child) {
  int32_t index = IndexOf(child);
  if (index == kAbsent) return;
  if (Imp() != nullptr) Imp()->ChildRemoved(child->Imp());
  children_.erase(children_.begin() + index);
  child->parent_ = nullptr;
}

void OGTCompositItem::DeleteChildAt(int32_t index) {
  OGTItem* child = ChildAt(index);
  if (child == nullptr) return;
  RemoveChild(child);
  delete child;
}

void OGTCompositItem::DeleteAllChildren() {
  while (!children_.empty()) DeleteChildAt(ChildCount() - 1);
}

void OGTCompositItem::MoveChild(int32_t from, int32_t to) {
  int32_t count = ChildCount();
  if (from < 0 || from >= count) return;
  if (to == -1) {
    to = count;
  } else if (to < 0 || to >= count) {
    return;
  }
  if (from == to) return;
  OGTItem* child = children_[static_cast<size_t>(from)];
  children_.erase(children_.begin() + from);
  if (to > from) --to;
  children_.insert(children_.begin() + to, child);
}

OGTItem* OGTCompositItem::FirstMarkedChild() const {
  for (OGTItem* child : children_) {
    if (child->IsMarked()) return child;
  }
  return nullptr;
}
