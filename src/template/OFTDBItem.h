// Templates of the items bound to a database file. They are read like every item template and
// built in any window (in a plain window they show nothing until a record is shown in them). The
// styled-text field is read but not built yet.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "template/OFTItem.h"

// A database item number and occurrence number, as three kinds of bound items carry them.
struct OFTDBBinding {
  int16_t itemNbr = 0;
  int16_t ocrNbr = 0;

  // Takes "DBItemNbr" and, when withOccurrence, "DBItemOcrNbr".
  bool SetProperty(std::string_view name, const VString& value, bool withOccurrence);
  void Describe(std::string& out, bool withOccurrence) const;
};

class OFTDBField : public OFTItem {
 public:
  int32_t Kind() const override { return 116; }
  const char* Keyword() const override { return "DBField"; }
  bool SetProperty(std::string_view name, const VString& value) override;
  void Describe(std::string& out) const override;
  std::unique_ptr<OGTItem> NewItem() const override;
  void Configure(OGTItem& item) const override;

  int16_t ItemNbr() const { return binding_.itemNbr; }
  int16_t OcrNbr() const { return binding_.ocrNbr; }

 private:
  OFTDBBinding binding_;
};

class OFTDBFieldMV : public OFTItem {
 public:
  int32_t Kind() const override { return 117; }
  const char* Keyword() const override { return "DBMultiValueField"; }
  bool SetProperty(std::string_view name, const VString& value) override;
  void Describe(std::string& out) const override;
  std::unique_ptr<OGTItem> NewItem() const override;
  void Configure(OGTItem& item) const override;

  int16_t ItemNbr() const { return binding_.itemNbr; }
  int16_t LineWidth() const { return lineWidth_; }
  int16_t LineHeight() const { return lineHeight_; }

 private:
  OFTDBBinding binding_;
  int16_t lineWidth_ = 0;
  int16_t lineHeight_ = 0;
};

class OFTDBStyleEdit : public OFTItem {
 public:
  int32_t Kind() const override { return 118; }
  const char* Keyword() const override { return "DBStyleEdit"; }
  bool SetProperty(std::string_view name, const VString& value) override;
  void Describe(std::string& out) const override;

  int16_t ItemNbr() const { return binding_.itemNbr; }
  int16_t OcrNbr() const { return binding_.ocrNbr; }

 private:
  OFTDBBinding binding_;
};

class OFTDBImageField : public OFTItem {
 public:
  int32_t Kind() const override { return 119; }
  const char* Keyword() const override { return "DBImageField"; }
  bool SetProperty(std::string_view name, const VString& value) override;
  void Describe(std::string& out) const override;
  std::unique_ptr<OGTItem> NewItem() const override;
  void Configure(OGTItem& item) const override;

  int16_t ItemNbr() const { return binding_.itemNbr; }
  int16_t OcrNbr() const { return binding_.ocrNbr; }

 private:
  OFTDBBinding binding_;
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
