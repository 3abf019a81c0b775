// An item with an ordered list of children. The composite owns its children: it deletes them when
// it is deleted. A child is in at most one composite; adding it elsewhere takes it out of the
// first. A plain composite has no implementation of its own.
#pragma once

#include <memory>
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
  // Takes ownership of the child and inserts it: position -1 or beyond the end appends, another
  // negative position inserts first; a child of another composite is taken out of it first.
  // Answers the child. A child already present stays where it is (and is answered); null is
  // answered for a null child and for this item or one of its ancestors, which would make the tree
  // a cycle: such an item already belongs to the tree above, so it is left there (and the mistake
  // logged) rather than deleted.
  virtual OGTItem* AddChild(std::unique_ptr<OGTItem> child, int32_t position);
  // Takes the child out and hands it to the caller; null when it is not a child.
  std::unique_ptr<OGTItem> TakeChild(OGTItem* child);
  // Takes the child out without deleting it; ignored when it is not a child. An item being deleted
  // leaves its parent this way; whoever wants to keep a child takes it with TakeChild.
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
