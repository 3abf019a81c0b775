// The template of a named search: a query statement on one database file, run by name from
// scripts and database windows.
#pragma once

#include <cstdint>
#include <string_view>

#include "base/OvNamedObj.h"
#include "base/VString.h"

class VStream;

class OFTSearch : public OvNamedObj {
 public:
  static constexpr uint32_t kKindCode = OvKindCode("TSch");

  uint32_t KindCode() const override;
  // Reads properties up to an end tag or the end of the stream.
  void Read(VStream& stream);
  bool SetProperty(std::string_view name, const VString& value);

  int32_t DBFileNbr() const { return dbFileNbr_; }
  const VString& Statement() const { return statement_; }

 private:
  int32_t dbFileNbr_ = 0;
  VString statement_;
};
