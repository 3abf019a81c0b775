// Item templates: what a form's item block in a definition file says about one item. A template
// is read once and never changed by building; building makes a toolkit item of the template's
// kind and gives it the template's settings.
//
// Every field the file does not set is zero, empty or false. A property that the item's kind does
// not take is ignored, except that a list label entry of the wrong list kind makes the reader take
// the whole next line of the file as a property name with the entry's value (an ordinary
// statement on that line is lost); files written for the player rely on reading the same way.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/VString.h"

class OGTItem;
class VStream;

// One column heading entry of a list template: the heading and two numbers.
struct OFTListLabel {
  VString heading;
  int32_t first = 0;
  int32_t second = 0;
};

// Reads a "ListLabel" value: a heading (cut at a blank, tab, comma or double quote) and up to two
// numbers, 0 where absent or not numeric.
OFTListLabel ParseListLabel(const VString& value);
// Reads a "DBListLabel" value: a heading and three numbers A, B, C; the entry keeps A and
// C * 65536 + B (B taken as 16 bits).
OFTListLabel ParseDBListLabel(const VString& value);

class OFTItem {
 public:
  OFTItem();
  virtual ~OFTItem();
  OFTItem(const OFTItem&) = delete;
  OFTItem& operator=(const OFTItem&) = delete;

  // The template kind code; -1 for the base.
  virtual int32_t Kind() const;
  // The begin-tag keyword of this kind.
  virtual const char* Keyword() const;

  // A new template for an item begin-tag keyword, or null when the keyword names no item kind.
  static std::unique_ptr<OFTItem> Make(std::string_view keyword);

  // Reads properties up to an end tag or the end of the stream. Begin tags inside are skipped by
  // themselves.
  void Read(VStream& stream);
  // Applies one property; false when this kind does not take it.
  virtual bool SetProperty(std::string_view name, const VString& value);

  // A new toolkit item of this kind, not yet created; null for kinds not built.
  virtual std::unique_ptr<OGTItem> NewItem() const;
  // The variant the item is created with: the Type.
  virtual int32_t BuildVariant() const { return type_; }
  // Applies the settings of this kind after the common ones (identifier, geometry, text, flags
  // and script) have been applied.
  virtual void Configure(OGTItem& item) const;
  // Appends " Keyword=value" pairs of the fields this kind adds, for listings.
  virtual void Describe(std::string& out) const;

  int32_t Type() const { return type_; }
  void SetType(int32_t type) { type_ = type; }
  int32_t ID() const { return id_; }
  int32_t X() const { return x_; }
  int32_t Y() const { return y_; }
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  bool Visible() const { return visible_ != 0; }
  bool Active() const { return active_ != 0; }
  bool Enable() const { return enable_ != 0; }
  // Null when the item has no title.
  const VString* Title() const { return title_.get(); }
  const VString& Script() const { return script_; }

 private:
  int32_t type_ = 0;
  int32_t id_ = 0;
  int32_t x_ = 0;
  int32_t y_ = 0;
  int32_t width_ = 0;
  int32_t height_ = 0;
  uint8_t visible_ = 0;
  uint8_t active_ = 0;
  uint8_t enable_ = 0;
  std::unique_ptr<VString> title_;
  VString script_;
};

class OFTLine : public OFTItem {
 public:
  int32_t Kind() const override { return 101; }
  const char* Keyword() const override { return "Line"; }
  std::unique_ptr<OGTItem> NewItem() const override;
};

class OFTPlane : public OFTItem {
 public:
  int32_t Kind() const override { return 102; }
  const char* Keyword() const override { return "Plane"; }
  bool SetProperty(std::string_view name, const VString& value) override;
  std::unique_ptr<OGTItem> NewItem() const override;
  void Configure(OGTItem& item) const override;
  void Describe(std::string& out) const override;

  const VString& ImageName() const { return imageName_; }

 private:
  VString imageName_;
};

class OFTCircle : public OFTItem {
 public:
  int32_t Kind() const override { return 103; }
  const char* Keyword() const override { return "Circle"; }
  std::unique_ptr<OGTItem> NewItem() const override;
};

class OFTLabel : public OFTItem {
 public:
  int32_t Kind() const override { return 104; }
  const char* Keyword() const override { return "Label"; }
  std::unique_ptr<OGTItem> NewItem() const override;
};

class OFTField : public OFTItem {
 public:
  int32_t Kind() const override { return 105; }
  const char* Keyword() const override { return "Field"; }
  std::unique_ptr<OGTItem> NewItem() const override;
};

// Its "ImageName" value names up to three images, separated by commas: normal, pressed and
// disabled. Each name is trimmed of double quotes and of blanks and tabs inside and outside them.
class OFTButton : public OFTItem {
 public:
  int32_t Kind() const override { return 106; }
  const char* Keyword() const override { return "Button"; }
  bool SetProperty(std::string_view name, const VString& value) override;
  std::unique_ptr<OGTItem> NewItem() const override;
  void Configure(OGTItem& item) const override;
  void Describe(std::string& out) const override;

  const VString& NormalImage() const { return images_[0]; }
  const VString& PressedImage() const { return images_[1]; }
  const VString& DisabledImage() const { return images_[2]; }

 private:
  VString images_[3];
};

// Radio buttons and check boxes may be turned on after building.
class OFTSwitchItem : public OFTItem {
 public:
  bool SetProperty(std::string_view name, const VString& value) override;
  void Configure(OGTItem& item) const override;
  void Describe(std::string& out) const override;

  bool InitiallyOn() const { return initiallyOn_ != 0; }

 private:
  uint8_t initiallyOn_ = 0;
};

// A radio button read inside a "RadioButtonGroup" block carries the group's number (1 for the
// form's first group); outside any group its number is 0 and it is grouped with nothing.
class OFTRadioBtn : public OFTSwitchItem {
 public:
  int32_t Kind() const override { return 107; }
  const char* Keyword() const override { return "RadioButton"; }
  std::unique_ptr<OGTItem> NewItem() const override;
  void Configure(OGTItem& item) const override;
  void Describe(std::string& out) const override;

  int32_t Group() const { return group_; }
  void SetGroup(int32_t group) { group_ = group; }

 private:
  int32_t group_ = 0;
};

class OFTCheckBox : public OFTSwitchItem {
 public:
  int32_t Kind() const override { return 109; }
  const char* Keyword() const override { return "CheckBox"; }
  std::unique_ptr<OGTItem> NewItem() const override;
};

class OFTScrollBar : public OFTItem {
 public:
  int32_t Kind() const override { return 112; }
  const char* Keyword() const override { return "ScrollBar"; }
  std::unique_ptr<OGTItem> NewItem() const override;
};

// A plain list. Its heading entries become its columns when it is built.
class OFTList : public OFTItem {
 public:
  int32_t Kind() const override { return 113; }
  const char* Keyword() const override { return "List"; }
  bool SetProperty(std::string_view name, const VString& value) override;
  std::unique_ptr<OGTItem> NewItem() const override;
  void Configure(OGTItem& item) const override;
  void Describe(std::string& out) const override;

  const std::vector<OFTListLabel>& Labels() const { return labels_; }

 private:
  std::vector<OFTListLabel> labels_;
};

// Appends " Name=value" for a listing; text values are quoted with C-style escapes, double-byte
// characters copied whole.
void OFTDescribeNumber(std::string& out, const char* name, int64_t value);
void OFTDescribeText(std::string& out, const char* name, const VString& text);
void OFTDescribeLabels(std::string& out, const std::vector<OFTListLabel>& labels);
