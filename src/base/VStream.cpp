#include "base/VStream.h"

#include <algorithm>
#include <cstring>

#include "base/VEndian.h"
#include "base/VFile.h"
#include "base/VMem.h"
#include "base/VSjis.h"

void VStream::SetSize(int64_t size) {
  size_ = size < 0 ? 0 : size;
  if (position_ > size_) position_ = size_;
}

void VStream::Seek(int64_t position) { position_ = std::clamp<int64_t>(position, 0, Size()); }

bool VStream::ReadByte(uint8_t* value) { return Read(value, 1) == 1; }

bool VStream::ReadU16(uint16_t* value) {
  uint8_t bytes[2];
  if (Read(bytes, 2) != 2) return false;
  *value = VGetU16(bytes);
  return true;
}

bool VStream::ReadU32(uint32_t* value) {
  uint8_t bytes[4];
  if (Read(bytes, 4) != 4) return false;
  *value = VGetU32(bytes);
  return true;
}

bool VStream::WriteByte(uint8_t value) { return Write(&value, 1) == 1; }

bool VStream::WriteU16(uint16_t value) {
  uint8_t bytes[2];
  VPutU16(bytes, value);
  return Write(bytes, 2) == 2;
}

bool VStream::WriteU32(uint32_t value) {
  uint8_t bytes[4];
  VPutU32(bytes, value);
  return Write(bytes, 4) == 4;
}

bool VStream::WriteRepeated(int32_t count, uint8_t byte) {
  uint8_t piece[256];
  std::memset(piece, byte, sizeof piece);
  while (count > 0) {
    int32_t n = std::min<int32_t>(count, sizeof piece);
    if (Write(piece, n) != n) return false;
    count -= n;
  }
  return true;
}

bool VStream::WriteLine(const void* bytes, int32_t length) {
  return Write(bytes, length) == length && NewLine();
}

bool VStream::NewLine() { return Write("\r\n", 2) == 2; }

VResult VStream::ReadLine(void* buffer, int32_t limit, int32_t* length) {
  uint8_t* out = static_cast<uint8_t*>(buffer);
  int32_t stored = 0;
  if (length) *length = 0;
  if (!MoreToRead()) {
    if (limit > 0) out[0] = 0;
    return kVEnd;
  }
  int32_t room = limit > 0 ? limit - 1 : 0;
  VResult result = kVOk;
  uint8_t b = 0;
  while (ReadByte(&b)) {
    if (b == '\r' || b == '\n') {
      uint8_t next = 0;
      uint8_t pair = b == '\r' ? '\n' : '\r';
      if (ReadByte(&next) && next != pair) StepBack(1);
      break;
    }
    uint8_t trail = 0;
    int32_t n = 1;
    if (VIsLeadByte(b) && ReadByte(&trail)) {
      // A lead byte before a line break is a broken character: keep the break for the next turn.
      if (trail == '\r' || trail == '\n') {
        StepBack(1);
      } else {
        n = 2;
      }
    }
    if (result == kVOk && stored + n <= room) {
      out[stored] = b;
      if (n == 2) out[stored + 1] = trail;
      stored += n;
    } else {
      result = 9;  // the line is longer than the buffer: the rest is read and dropped
    }
  }
  if (limit > 0) out[stored] = 0;
  if (length) *length = stored;
  return result;
}

VResult VStream::ReadUntil(void* buffer, int32_t limit, const void* delimiters,
                           int32_t delimiterCount, int32_t* length) {
  uint8_t* out = static_cast<uint8_t*>(buffer);
  int32_t stored = 0;
  if (length) *length = 0;
  if (!MoreToRead()) {
    if (limit > 0) out[0] = 0;
    return kVEnd;
  }
  int32_t room = limit > 0 ? limit - 1 : 0;
  VResult result = kVOk;
  uint8_t b = 0;
  while (ReadByte(&b)) {
    if (std::memchr(delimiters, b, static_cast<size_t>(delimiterCount)) != nullptr) break;
    if (stored >= room) {
      StepBack(1);
      result = 9;
      break;
    }
    out[stored++] = b;
  }
  if (limit > 0) out[stored] = 0;
  if (length) *length = stored;
  return result;
}

void VStream::StepBack(int64_t count) { Seek(std::max<int64_t>(Position() - count, 0)); }

bool VStream::CopyFrom(VStream& source) {
  source.SeekStart();
  uint8_t piece[1024];
  for (;;) {
    int32_t n = source.Read(piece, sizeof piece);
    if (n <= 0) return true;
    if (Write(piece, n) != n) return false;
  }
}

// --- VFileStream ---

VFileStream::VFileStream(VFile& file, int32_t bufferSize)
    : file_(file),
      capacity_(bufferSize > 512 ? bufferSize : 512),
      buffer_(static_cast<uint8_t*>(VMemAlloc(static_cast<size_t>(capacity_), false))) {
  int64_t size = 0;
  if (file_.FileSize(&size) == kVOk) size_ = size;
}

VFileStream::~VFileStream() {
  // A writer that cares calls WriteOut itself; a failure here stays in the error state only.
  (void)WriteOut();
  VMemFree(buffer_);
}

VResult VFileStream::WriteOut() {
  if (!dirty_) return kVOk;
  dirty_ = false;
  if (windowEnd_ > windowStart_) {
    // Writing at the window's start extends a shorter file with zero bytes up to it.
    VResult r =
        file_.WriteAt(windowStart_, buffer_, static_cast<int32_t>(windowEnd_ - windowStart_));
    if (r != kVOk) {
      if (error_ == kVOk) error_ = r;
      return r;
    }
    if (windowEnd_ > size_) size_ = windowEnd_;
  }
  return kVOk;
}

void VFileStream::SetSize(int64_t size) {
  (void)WriteOut();  // a failure is kept in error_, which the caller reads
  if (size < 0) size = 0;
  VResult r = file_.SetFileSize(size);
  if (r != kVOk && error_ == kVOk) error_ = r;
  VStream::SetSize(size);
  windowStart_ = windowEnd_ = position_;
}

void VFileStream::Seek(int64_t position) {
  position = std::clamp<int64_t>(position, 0, size_);
  if (position < windowStart_ || position > windowEnd_) {
    (void)WriteOut();  // a failure is kept in error_, which the caller reads
    windowStart_ = windowEnd_ = position;
  }
  position_ = position;
}

int32_t VFileStream::Read(void* buffer, int32_t count) {
  if (count <= 0) return 0;
  (void)WriteOut();  // a failure is kept in error_, which the caller reads
  uint8_t* out = static_cast<uint8_t*>(buffer);
  if (position_ >= windowStart_ && position_ + count <= windowEnd_) {
    std::memcpy(out, buffer_ + (position_ - windowStart_), static_cast<size_t>(count));
    position_ += count;
    return count;
  }
  int64_t available = size_ - position_;
  if (available <= 0) return 0;
  if (count > available) count = static_cast<int32_t>(available);
  int32_t got = 0;
  if (count >= capacity_) {
    VResult r = file_.ReadSome(position_, out, count, &got);
    if (r != kVOk && error_ == kVOk) error_ = r;
    position_ += got;
    windowStart_ = windowEnd_ = position_;
    return got;
  }
  int32_t fill = static_cast<int32_t>(std::min<int64_t>(capacity_, available));
  int32_t filled = 0;
  VResult r = file_.ReadSome(position_, buffer_, fill, &filled);
  if (r != kVOk && error_ == kVOk) error_ = r;
  windowStart_ = position_;
  windowEnd_ = position_ + filled;
  got = std::min(count, filled);
  std::memcpy(out, buffer_, static_cast<size_t>(got));
  position_ += got;
  return got;
}

int32_t VFileStream::Write(const void* buffer, int32_t count) {
  if (file_.IsReadOnly()) throw VFailure(-10);
  if (count <= 0) return 0;
  const uint8_t* in = static_cast<const uint8_t*>(buffer);
  if (!dirty_) windowStart_ = windowEnd_ = position_;
  if (position_ >= windowStart_ && position_ <= windowEnd_ &&
      position_ + count <= windowStart_ + capacity_) {
    std::memcpy(buffer_ + (position_ - windowStart_), in, static_cast<size_t>(count));
    windowEnd_ = std::max(windowEnd_, position_ + count);
    dirty_ = true;
  } else {
    (void)WriteOut();  // a failure is kept in error_, which the caller reads
    if (count >= capacity_) {
      VResult r = file_.WriteAt(position_, in, count);
      if (r != kVOk) {
        if (error_ == kVOk) error_ = r;
        windowStart_ = windowEnd_ = position_;
        return 0;
      }
      windowStart_ = windowEnd_ = position_ + count;
    } else {
      std::memcpy(buffer_, in, static_cast<size_t>(count));
      windowStart_ = position_;
      windowEnd_ = position_ + count;
      dirty_ = true;
    }
  }
  position_ += count;
  if (position_ > size_) size_ = position_;
  return count;
}

// --- memory streams ---

VROMStream::VROMStream(const void* block, int64_t length)
    : block_(static_cast<const uint8_t*>(block)) {
  if (length <= 0) {
    // Reading an unbounded size would walk off the caller's block: a zero-terminated text is the
    // only block whose end can be known without a length.
    length = block_ ? static_cast<int64_t>(std::strlen(reinterpret_cast<const char*>(block_))) : 0;
  }
  size_ = length;
}

int32_t VROMStream::Read(void* buffer, int32_t count) {
  int32_t n = static_cast<int32_t>(std::clamp<int64_t>(size_ - position_, 0, count));
  if (n > 0) std::memcpy(buffer, block_ + position_, static_cast<size_t>(n));
  position_ += n;
  return n;
}

int32_t VROMStream::Write(const void*, int32_t) { throw VFailure(-10); }

VARGStream::VARGStream(const char* const* strings, int32_t count) : strings_(strings) {
  if (count <= 0) {
    count = 0;
    while (count < 256 && strings[count] != nullptr) ++count;
  }
  count_ = count;
  for (int32_t i = 0; i < count_; ++i) {
    size_ += (strings_[i] ? static_cast<int64_t>(std::strlen(strings_[i])) : 0) + 1;
  }
}

int32_t VARGStream::Read(void* buffer, int32_t count) {
  uint8_t* out = static_cast<uint8_t*>(buffer);
  int32_t copied = 0;
  int64_t start = 0;
  for (int32_t i = 0; i < count_ && copied < count; ++i) {
    const char* s = strings_[i] ? strings_[i] : "";
    int64_t length = static_cast<int64_t>(std::strlen(s));
    int64_t end = start + length + 1;
    while (position_ < end && copied < count) {
      int64_t at = position_ - start;
      out[copied++] = at < length ? static_cast<uint8_t>(s[at]) : '\r';
      ++position_;
    }
    start = end;
  }
  return copied;
}

int32_t VARGStream::Write(const void*, int32_t) { throw VFailure(-10); }

VDMemStream::VDMemStream(const void* seed, int32_t seedLength) {
  if (seedLength < 0) seedLength = 0;
  capacity_ = seedLength > 512 ? (seedLength + 511) / 512 * 512 : 512;
  block_ = static_cast<uint8_t*>(VMemAlloc(static_cast<size_t>(capacity_), true));
  if (seed && seedLength > 0) {
    std::memcpy(block_, seed, static_cast<size_t>(seedLength));
    size_ = seedLength;
  }
}

VDMemStream::~VDMemStream() {
  if (ownsBlock_) VMemFree(block_);
}

int32_t VDMemStream::Read(void* buffer, int32_t count) {
  int32_t n = static_cast<int32_t>(std::clamp<int64_t>(size_ - position_, 0, count));
  if (n > 0) std::memcpy(buffer, block_ + position_, static_cast<size_t>(n));
  position_ += n;
  return n;
}

int32_t VDMemStream::Write(const void* buffer, int32_t count) {
  if (count <= 0) return 0;
  int64_t needed = position_ + count;
  if (needed > capacity_) {
    int64_t capacity = (needed + 31) / 32 * 32;
    block_ = static_cast<uint8_t*>(VMemResize(block_, static_cast<size_t>(capacity), true));
    capacity_ = capacity;
  }
  std::memcpy(block_ + position_, buffer, static_cast<size_t>(count));
  position_ = needed;
  if (position_ > size_) size_ = position_;
  return count;
}

VSMemStream::VSMemStream(void* block, int64_t length, int64_t capacity)
    : block_(static_cast<uint8_t*>(block)), capacity_(capacity < length ? length : capacity) {
  size_ = length < 0 ? 0 : length;
}

int32_t VSMemStream::Read(void* buffer, int32_t count) {
  int32_t n = static_cast<int32_t>(std::clamp<int64_t>(size_ - position_, 0, count));
  if (n > 0) std::memcpy(buffer, block_ + position_, static_cast<size_t>(n));
  position_ += n;
  return n;
}

int32_t VSMemStream::Write(const void* buffer, int32_t count) {
  int32_t n = static_cast<int32_t>(std::clamp<int64_t>(capacity_ - position_, 0, count));
  if (n > 0) std::memcpy(block_ + position_, buffer, static_cast<size_t>(n));
  position_ += n;
  if (position_ > size_) size_ = position_;
  return n;
}

int32_t VSizeStream::Read(void*, int32_t count) {
  int32_t n = static_cast<int32_t>(std::clamp<int64_t>(size_ - position_, 0, count));
  position_ += n;
  return n;
}

int32_t VSizeStream::Write(const void*, int32_t count) {
  if (count <= 0) return 0;
  position_ += count;
  if (position_ > size_) size_ = position_;
  return count;
}
