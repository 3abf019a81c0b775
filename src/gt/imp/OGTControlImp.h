// Platform interfaces of the controls. Each answers the kind code of its interface; the additions
// after the item operations are what the toolkit's controls forward to. Lines, planes, circles and
// lists are drawn by their implementation or by the item through a drawing context; the others
// wrap native controls.
#pragma once

#include "gt/imp/OGTItemImp.h"

class OGTLineImp : public OGTItemImp {
 public:
  int32_t Kind() const override;
};

class OGTPlaneImp : public OGTItemImp {
 public:
  int32_t Kind() const override;
  // An image file (portable path) drawn in the plane; null or empty removes it.
  virtual void SetImage(const char* name);
};

class OGTCircleImp : public OGTItemImp {
 public:
  int32_t Kind() const override;
};

class OGTLabelImp : public OGTItemImp {
 public:
  int32_t Kind() const override;
};

// A bordered edit control that scrolls vertically. Variant bit 0: Return inserts a line break.
class OGTFieldImp : public OGTItemImp {
 public:
  static constexpr int32_t kInitialTextLimit = 32000;
  static constexpr int32_t kMaxTextLimit = 32767;

  int32_t Kind() const override;
  // n is capped at kMaxTextLimit.
  virtual void SetTextLimit(int32_t n);
  virtual int32_t GetTextLimit() const;
  virtual bool Cut();
  virtual bool Copy();
  virtual bool Paste();
  virtual bool Clear();
  // Also scrolls the caret into view.
  virtual bool SelectAll();
};

class OGTButtonImp : public OGTItemImp {
 public:
  int32_t Kind() const override;
  virtual void SetDefault(bool flag);
  virtual bool IsDefault() const;
  // Image files for the normal, pressed and disabled looks; null entries have no image.
  virtual void SetImages(const char* normal, const char* pressed, const char* disabled);
};

class OGTRadioBtnImp : public OGTItemImp {
 public:
  int32_t Kind() const override;
};

class OGTCheckBoxImp : public OGTItemImp {
 public:
  int32_t Kind() const override;
};

// A custom-drawn surface for the toolkit's multi-column lists.
class OGTListImp : public OGTItemImp {
 public:
  int32_t Kind() const override;
};

// A custom-drawn surface for the styled-text items; it takes the focus. The item handles its keys
// (Tab included) itself.
class OGTStyleEditImp : public OGTItemImp {
 public:
  int32_t Kind() const override;
};

class OGTScrollBarImp : public OGTItemImp {
 public:
  int32_t Kind() const override;
  // Width of a vertical bar (height of a horizontal one).
  virtual int32_t Thickness() const;
  virtual void SetScrollPosition(int32_t position);
  virtual int32_t GetScrollPosition() const;
  // Equal values disable the bar (its range becomes 0, 0).
  virtual void SetRange(int32_t min, int32_t max);
  virtual void GetRange(int32_t& min, int32_t& max) const;
  virtual void SetLineSteps(int32_t back, int32_t forward);
  virtual void GetLineSteps(int32_t& back, int32_t& forward) const;
  virtual void SetPageSteps(int32_t back, int32_t forward);
  virtual void GetPageSteps(int32_t& back, int32_t& forward) const;
};
