// Byte streams. Every stream keeps 0 <= position <= size. Reads past the end return fewer bytes;
// a write to a read-only stream raises VFailure(-10). Integers are read and written big-endian.
#pragma once

#include <cstdint>

#include "base/VBase.h"

class VFile;

class VStream {
 public:
  virtual ~VStream() = default;

  virtual bool MoreToRead() const { return position_ < size_; }
  virtual int64_t Size() const { return size_; }
  virtual void SetSize(int64_t size);
  virtual int64_t Position() const { return position_; }
  virtual void Seek(int64_t position);
  virtual void SeekStart() { Seek(0); }
  virtual void SeekEnd() { Seek(Size()); }
  // Copies at most count bytes from the position, advances, answers the number copied.
  virtual int32_t Read(void* buffer, int32_t count) = 0;
  // Writes count bytes at the position, advances, grows the size when the position passes it.
  virtual int32_t Write(const void* buffer, int32_t count) = 0;

  bool ReadByte(uint8_t* value);
  bool ReadU16(uint16_t* value);
  bool ReadU32(uint32_t* value);
  bool WriteByte(uint8_t value);
  bool WriteU16(uint16_t value);
  bool WriteU32(uint32_t value);
  bool WriteRepeated(int32_t count, uint8_t byte);
  // The bytes, then carriage return and line feed.
  bool WriteLine(const void* bytes, int32_t length);
  bool NewLine();
  // Reads a line into buffer (limit bytes: at most limit - 1 bytes and a terminating zero). A
  // carriage return or line feed ends the line and is not stored; CR LF and LF CR count as one
  // break; a double-byte character is stored whole. Answers 1 at the end of the stream (nothing
  // read), 9 when the line did not fit (the rest of the line is skipped), else 0.
  VResult ReadLine(void* buffer, int32_t limit, int32_t* length);
  // Copies bytes until one of the delimiters (consumed, not stored), the limit (as ReadLine) or
  // the end. Answers 1 at the end of the stream, 9 when the limit stopped it, else 0.
  VResult ReadUntil(void* buffer, int32_t limit, const void* delimiters, int32_t delimiterCount,
                    int32_t* length);
  void StepBack(int64_t count);
  // Rewinds the source and copies all of it in pieces of at most 1024 bytes.
  bool CopyFrom(VStream& source);

 protected:
  int64_t size_ = 0;
  int64_t position_ = 0;
};

// A stream over an open VFile through a buffered window of the file.
class VFileStream : public VStream {
 public:
  VFileStream(VFile& file, int32_t bufferSize = 4096);
  ~VFileStream() override;

  void SetSize(int64_t size) override;
  void Seek(int64_t position) override;
  int32_t Read(void* buffer, int32_t count) override;
  int32_t Write(const void* buffer, int32_t count) override;

  // Writes out a dirty window; answers the file's result code.
  VResult WriteOut();
  // The first file error met by a buffered read or write (0 when none).
  VResult Error() const { return error_; }

 private:
  VFile& file_;
  int32_t capacity_;
  uint8_t* buffer_;
  int64_t windowStart_ = 0;
  int64_t windowEnd_ = 0;
  bool dirty_ = false;
  VResult error_ = 0;
};

// A read-only stream over a caller's memory block. A length of 0 or less takes the block as a
// zero-terminated text.
class VROMStream : public VStream {
 public:
  VROMStream(const void* block, int64_t length);
  int32_t Read(void* buffer, int32_t count) override;
  int32_t Write(const void* buffer, int32_t count) override;

 private:
  const uint8_t* block_;
};

// A read-only stream over an array of C strings, each followed by a carriage return in place of
// its terminating zero. A count of 0 takes the strings up to the first null pointer (at most 256).
class VARGStream : public VStream {
 public:
  VARGStream(const char* const* strings, int32_t count);
  int32_t Read(void* buffer, int32_t count) override;
  int32_t Write(const void* buffer, int32_t count) override;

 private:
  const char* const* strings_;
  int32_t count_;
};

// A stream over a growing block of its own, optionally seeded with a copy of caller bytes.
class VDMemStream : public VStream {
 public:
  explicit VDMemStream(const void* seed = nullptr, int32_t seedLength = 0);
  ~VDMemStream() override;
  VDMemStream(const VDMemStream&) = delete;
  VDMemStream& operator=(const VDMemStream&) = delete;

  int32_t Read(void* buffer, int32_t count) override;
  int32_t Write(const void* buffer, int32_t count) override;

  const uint8_t* Data() const { return block_; }
  int64_t Capacity() const { return capacity_; }
  // Whether destruction frees the block; a caller that takes the block clears it.
  void SetOwnsBlock(bool owns) { ownsBlock_ = owns; }

 private:
  uint8_t* block_;
  int64_t capacity_;
  bool ownsBlock_ = true;
};

// A stream over a caller's block of a given capacity; writes never pass the capacity.
class VSMemStream : public VStream {
 public:
  VSMemStream(void* block, int64_t length, int64_t capacity = -1);
  int32_t Read(void* buffer, int32_t count) override;
  int32_t Write(const void* buffer, int32_t count) override;

 private:
  uint8_t* block_;
  int64_t capacity_;
};

// Counts what a writer would produce, storing nothing.
class VSizeStream : public VStream {
 public:
  int32_t Read(void* buffer, int32_t count) override;
  int32_t Write(const void* buffer, int32_t count) override;
};
