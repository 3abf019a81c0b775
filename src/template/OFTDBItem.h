// Templates of the items bound to a database file. They are read like every item template and
// built in any window (in a plain window they show nothing until a record is shown in them).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "template/OFTItem.h"

// The base of the items bound to one database item: they take "DBItemNbr" and, when the kind has
// one, "DBItemOcrNbr" besides the common properties. The occurrence stays 0 for kinds without it.
class OFTDBBoundItem : public OFTItem {
 public:
  bool SetProperty(std::string_view name, const VString& value) override;
  void Describe(std::string& out) const override;

  int16_t ItemNbr() const { return itemNbr_; }
  int16_t OcrNbr() const { return ocrNbr_; }

 protected:
  explicit OFTDBBoundItem(bool withOccurrence) : withOccurrence_(withOccurrence) {}

 private:
  bool withOccurrence_;
  int16_t itemNbr_ = 0;
  int16_t ocrNbr_ = 0;
};

class OFTDBField : public OFTDBBoundItem {
 public:
  OFTDBField() : OFTDBBoundItem(true) {}
  int32_t Kind() const override { return 116; }
  const char* Keyword() const override { return "DBField"; }
  std::unique_ptr<OGTItem> NewItem() const override;
  void Configure(OGTItem& item) const override;
};

// Bound to all values of its item, so without an occurrence; it shows them in lines of its own.
class OFTDBFieldMV : public OFTDBBoundItem {
 public:
  OFTDBFieldMV() : OFTDBBoundItem(false) {}
  int32_t Kind() const override { return 117; }
  const char* Keyword() const override { return "DBMultiValueField"; }
  bool SetProperty(std::string_view name, const VString& value) override;
  void Describe(std::string& out) const override;
  std::unique_ptr<OGTItem> NewItem() const override;
  void Configure(OGTItem& item) const override;

  int16_t LineWidth() const { return lineWidth_; }
  int16_t LineHeight() const { return lineHeight_; }

 private:
  int16_t lineWidth_ = 0;
  int16_t lineHeight_ = 0;
};

// Its item is always made with variant 1, whatever the file's Type says.
class OFTDBStyleEdit : public OFTDBBoundItem {
 public:
  OFTDBStyleEdit() : OFTDBBoundItem(true) {}
  int32_t Kind() const override { return 118; }
  const char* Keyword() const override { return "DBStyleEdit"; }
  int32_t BuildVariant() const override { return 1; }
  std::unique_ptr<OGTItem> NewItem() const override;
  void Configure(OGTItem& item) const override;
};

class OFTDBImageField : public OFTDBBoundItem {
 public:
  OFTDBImageField() : OFTDBBoundItem(true) {}
  int32_t Kind() const override { return 119; }
  const char* Keyword() const override { return "DBImageField"; }
  std::unique_ptr<OGTItem> NewItem() const override;
  void Configure(OGTItem& item) const override;
};

class OFTDBHistoryList : public OFTItem {
 public:
  int32_t Kind() const override { return 120; }
  const char* Keyword() const override { return "DBHistoryList"; }
  bool SetProperty(std::string_view name, const VString& value) override;
  void Describe(std::string& out) const override;
  std::unique_ptr<OGTItem> NewItem() const override;
  void Configure(OGTItem& item) const override;

  int16_t LineWidth() const { return lineWidth_; }
  int16_t LineHeight() const { return lineHeight_; }

 private:
  int16_t lineWidth_ = 0;
  int16_t lineHeight_ = 0;
};

class OFTDBList : public OFTItem {
 public:
  int32_t Kind() const override { return 121; }
  const char* Keyword() const override { return "DBList"; }
  bool SetProperty(std::string_view name, const VString& value) override;
  void Describe(std::string& out) const override;
  std::unique_ptr<OGTItem> NewItem() const override;
  void Configure(OGTItem& item) const override;

  const VString& DoubleClickScript() const { return doubleClickScript_; }
  const std::vector<OFTListLabel>& Labels() const { return labels_; }
  int32_t LabelHeight() const { return labelHeight_; }
  int32_t LineHeight() const { return lineHeight_; }

 private:
  VString doubleClickScript_;
  std::vector<OFTListLabel> labels_;
  int32_t labelHeight_ = 0;
  int32_t lineHeight_ = 0;
};
