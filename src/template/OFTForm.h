// The template of one form: the window's settings and its item templates in file order. Its name
// is also the title of the window built from it, by which an open form is found again.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "base/OvNamedObj.h"
#include "base/VString.h"
#include "template/OFTItem.h"

class VStream;

class OFTForm : public OvNamedObj {
 public:
  static constexpr uint32_t kKindCode = OvKindCode("TFrm");
  // FormType values.
  static constexpr int32_t kPlainWindow = 1;
  static constexpr int32_t kDialog = 2;
  static constexpr int32_t kDatabaseWindow = 3;
  static constexpr int32_t kDBWindow = 3;

  OFTForm();
  ~OFTForm() override;

  uint32_t KindCode() const override;
  // Reads properties and item blocks up to an end tag or the end of the stream. A
  // "RadioButtonGroup" block holds item blocks whose radio buttons form one group (numbered from
  // 1 in file order); its end tag ends the group only. Other begin tags that name no item kind
  // are skipped by themselves, so that their end tag ends the form.
  void Read(VStream& stream);
  // Applies one form property; false when forms do not take it.
  bool SetProperty(std::string_view name, const VString& value);

  int32_t FormType() const { return formType_; }
  int32_t Type() const { return type_; }
  int32_t ID() const { return id_; }
  int32_t X() const { return x_; }
  int32_t Y() const { return y_; }
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  bool Startup() const { return startup_; }
  bool Visible() const { return visible_ != 0; }
  bool Active() const { return active_ != 0; }
  bool Enable() const { return enable_ != 0; }
  const VString& SearchName() const { return searchName_; }
  const VString& ImageName() const { return imageName_; }
  const VString& UpdateScript() const { return updateScript_; }

  int32_t ItemCount() const { return static_cast<int32_t>(items_.size()); }
  // Null outside 0 .. ItemCount() - 1.
  const OFTItem* ItemAt(int32_t index) const;
  // The number of radio button groups read.
  int32_t GroupCount() const { return groupCount_; }

 private:
  // The form's block (group 0) or a group's: items read inside a group carry its number.
  void ReadBlock(VStream& stream, int32_t group);

  int32_t formType_ = 0;
  int32_t type_ = 0;
  int32_t id_ = 0;
  int32_t x_ = 0;
  int32_t y_ = 0;
  int32_t width_ = 0;
  int32_t height_ = 0;
  bool startup_ = false;
  uint8_t visible_ = 0;
  uint8_t active_ = 0;
  uint8_t enable_ = 0;
  VString searchName_;
  VString imageName_;
  VString updateScript_;
  std::vector<std::unique_ptr<OFTItem>> items_;
  int32_t groupCount_ = 0;
};
