// The template of one application: its name, its start-up flag, and its forms and named searches,
// each kept once per name (a later block of the same name replaces the earlier one).
#pragma once

#include <cstdint>
#include <string_view>

#include "base/OvNamedList.h"
#include "base/OvNamedObj.h"
#include "base/VString.h"

class OFTForm;
class OFTSearch;
class VStream;

class OFTApp : public OvNamedObj {
 public:
  static constexpr uint32_t kKindCode = OvKindCode("TApp");

  uint32_t KindCode() const override;
  // Reads properties, form blocks and search blocks up to an end tag or the end of the stream.
  void Read(VStream& stream);
  bool SetProperty(std::string_view name, const VString& value);

  bool Startup() const { return startup_; }
  int32_t FormCount() const { return forms_.Count(); }
  // Null outside 0 .. FormCount() - 1.
  OFTForm* FormAt(int32_t index) const;
  // Exact name match; null when none.
  OFTForm* FindForm(const char* name) const;
  int32_t SearchCount() const { return searches_.Count(); }
  OFTSearch* SearchAt(int32_t index) const;
  OFTSearch* FindSearch(const char* name) const;

 private:
  bool startup_ = false;
  OvNamedList forms_;
  OvNamedList searches_;
};
