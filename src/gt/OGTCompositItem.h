// An item with an ordered list of children. The composite owns its children: it deletes them when
// it is deleted. A child is in at most one composite; adding it elsewhere takes it out of the
// first. A plain composite has no implementation of its own.
#pragma once

#include <vector>

#include "gt/OGTItem.h"

class OGTCompositItem : public OGTItem {
 public:
  OGTCompositItem();
  ~OGTCompositItem() override;

  int32_t Kind() const override;
  // Stores the variant and the parent only.
  OGTItemImp* Create(int32_t variant, OGTCompositItem* parent) override;
  // Depth first: this item, then each child in order.
  OGTItem* FindByID(int32_t id) override;
  // Passes the event to this composite's parent.
  void OnEvent(OGTItem* item, int32_t code) override;
  // True when this item or any child is modified.
  bool IsModified() const override;
  void ClearModified() override;
  void ClearMarked(bool redraw) override;

  virtual int32_t ChildCount() const;
  // Null outside 0 .. count - 1.
  virtual OGTItem* ChildAt(int32_t index) const;
  // -2 when the child is absent or null.
  virtual int32_t IndexOf(const OGTItem* child) const;
  // Ignored for null, for a child already present, and for this item or one of its ancestors.
  // Position -1 or beyond the end appends; another negative position inserts first.
  virtual void AddChild(OGTItem* child, int32_t position);
  // Takes the child out without deleting it; ignored when it is not a child.
  virtual void RemoveChild(OGTItem* child);
  virtual void DeleteChildAt(int32_t index);
  // From the last child to the first.
  virtual void DeleteAllChildren();
  // to = -1 means the end; a move forward inserts at to - 1. Invalid or equal indices do nothing.
  virtual void MoveChild(int32_t from, int32_t to);
  virtual OGTItem* FirstMarkedChild() const;

  static constexpr int32_t kAbsent = -2;

 private:
  std::vector<OGTItem*> children_;
};
