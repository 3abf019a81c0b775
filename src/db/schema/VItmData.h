// VItmData: the source or the sink of a long-data value while it is imported or exported. A source
// may offer a name, two time stamps and secondary data besides the data itself; VItmData_Stream
// wraps a plain stream that offers only data.
#pragma once

#include <cstdint>
#include <string>

#include "base/VObj.h"

class VStream;

class VItmData : public VObj {
 public:
  // Whether name, times and secondary data are offered.
  virtual bool HasSourceInfo() const = 0;
  // Set for a plain stream.
  virtual bool IsPlainStream() const = 0;
  virtual std::string Name() const = 0;
  // Gives the sink the source name of an exported value; a plain stream ignores it.
  virtual void SetName(const std::string& name) = 0;
  virtual void Times(uint32_t* first, uint32_t* second) const = 0;
  virtual void SetTimes(uint32_t first, uint32_t second) = 0;
  virtual VStream* DataStream() = 0;
  // Null when there is no secondary data.
  virtual VStream* SecondaryStream() = 0;
  // Called once the transfer is over.
  virtual void Done() = 0;
};

class VItmData_Stream : public VItmData {
 public:
  explicit VItmData_Stream(VStream& stream) : stream_(stream) {}

  bool HasSourceInfo() const override { return false; }
  bool IsPlainStream() const override { return true; }
  std::string Name() const override { return std::string(); }
  void SetName(const std::string&) override {}
  void Times(uint32_t* first, uint32_t* second) const override { *first = *second = 0; }
  void SetTimes(uint32_t, uint32_t) override {}
  VStream* DataStream() override { return &stream_; }
  VStream* SecondaryStream() override { return nullptr; }
  void Done() override {}

 private:
  VStream& stream_;
};
