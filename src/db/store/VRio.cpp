#include "db/store/VRio.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <optional>

#include "base/VEndian.h"
#include "db/store/VCioMap.h"
#include "db/store/VDBCodes.h"

namespace {

// Bits set in a word, in a handful of inline operations: without a population-count instruction
// in the target, std::popcount becomes a library call per word.
inline uint32_t Ones(uint64_t word) {
  word = word - ((word >> 1) & 0x5555555555555555ull);
  word = (word & 0x3333333333333333ull) + ((word >> 2) & 0x3333333333333333ull);
  word = (word + (word >> 4)) & 0x0F0F0F0F0F0F0F0Full;
  return static_cast<uint32_t>((word * 0x0101010101010101ull) >> 56);
}

inline uint32_t Ones(uint8_t byte) { return Ones(static_cast<uint64_t>(byte)); }

uint32_t CountBits(const uint8_t* bytes, size_t length) {
  uint32_t count = 0;
  size_t i = 0;
  for (; i + 8 <= length; i += 8) {
    uint64_t word;
    std::memcpy(&word, bytes + i, 8);
    if (word != 0) count += Ones(word);
  }
  for (; i < length; ++i) count += Ones(bytes[i]);
  return count;
}

// The eight bytes at p as one number whose most significant bit is the first bit of p[0].
inline uint64_t LoadBits(const uint8_t* p) {
  uint64_t word;
  std::memcpy(&word, p, 8);
  if constexpr (std::endian::native == std::endian::little) word = __builtin_bswap64(word);
  return word;
}

// The first of the bytes from byte on (advancing 32 at a time) where a set bit may lie: whole
// stretches of zeros, the common case in a sparse set, are passed four words at a time.
inline uint32_t SkipZeros(const uint8_t* bytes, uint32_t byte, uint32_t size) {
  for (; byte + 32 <= size; byte += 32) {
    uint64_t words[4];
    std::memcpy(words, bytes + byte, 32);
    if ((words[0] | words[1] | words[2] | words[3]) != 0) break;
  }
  return byte;
}

// The first set bit at or after bit in a page of size bytes (bit 0 of a byte being its most
// significant), or -1 when there is none; the page is read eight bytes at a time.
int64_t FirstBitFrom(const uint8_t* bytes, uint32_t size, uint32_t bit) {
  uint32_t byte = bit / 8;
  if (byte >= size) return -1;
  if (byte + 8 <= size) {
    // The word holding bit, with the bits before it cleared.
    uint64_t word = LoadBits(bytes + byte) & (~uint64_t{0} >> (bit % 8));
    if (word != 0) return int64_t{byte} * 8 + std::countl_zero(word);
    for (byte = SkipZeros(bytes, byte + 8, size); byte + 8 <= size; byte += 8) {
      word = LoadBits(bytes + byte);
      if (word != 0) return int64_t{byte} * 8 + std::countl_zero(word);
    }
    bit = byte * 8;
  }
  for (; byte < size; ++byte) {
    const uint8_t value =
        byte == bit / 8 ? static_cast<uint8_t>(bytes[byte] & (0xFF >> (bit % 8))) : bytes[byte];
    if (value != 0) return int64_t{byte} * 8 + std::countl_zero(value);
  }
  return -1;
}

// Sets (or clears) bits from to to of a page; answers how many changed.
uint32_t FlipBits(uint8_t* bytes, uint32_t from, uint32_t to, bool set) {
  uint32_t changed = 0;
  for (uint32_t bit = from; bit <= to;) {
    uint8_t mask;
    uint32_t step;
    if (bit % 8 == 0 && bit + 7 <= to) {
      mask = 0xFF;
      step = 8;
    } else {
      mask = static_cast<uint8_t>(0x80 >> (bit % 8));
      step = 1;
    }
    const uint8_t before = bytes[bit / 8];
    const uint8_t after = set ? (before | mask) : (before & static_cast<uint8_t>(~mask));
    bytes[bit / 8] = after;
    changed += Ones(static_cast<uint8_t>(before ^ after));
    bit += step;
  }
  return changed;
}

}  // namespace

// ---- VRio ----

VRio::VRio(VCioMap* workFile)
    : work_(workFile), pageSize_(workFile != nullptr ? workFile->PayloadSize() : kMemoryPageSize) {}

VRio::~VRio() { Clear(); }

void VRio::Hold(VCashBffr* buffer, uint32_t block) {
  ReleaseHeld();
  work_->Pin(buffer);
  held_ = buffer;
  heldBlock_ = block;
}

void VRio::ReleaseHeld() {
  if (held_ == nullptr) return;
  work_->Release(held_);
  held_ = nullptr;
  heldBlock_ = 0;
}

uint32_t VRio::Count() const {
  VCriticalLock hold(lock_);
  return count_;
}

int32_t VRio::PageCount() const {
  VCriticalLock hold(lock_);
  return static_cast<int32_t>(
      std::count_if(pages_.begin(), pages_.end(), [](const Page& p) { return p.taken; }));
}

void VRio::DropPage(size_t page) {
  Page& p = pages_[page];
  if (!p.taken) return;
  ++changes_;
  count_ -= p.count;
  if (held_ != nullptr && heldBlock_ == p.block) ReleaseHeld();
  // A work-file page that cannot be given back is only lost space in a file made afresh.
  if (work_ != nullptr && p.block != 0) (void)work_->FreeBlock(p.block);
  p = Page();
}

void VRio::Clear() {
  VCriticalLock hold(lock_);
  for (size_t i = 0; i < pages_.size(); ++i) DropPage(i);
  pages_.clear();
  count_ = 0;
  ++changes_;
  ReleaseHeld();
}

VRio::PageAccess::PageAccess(VRio* rio, size_t page, bool write) : rio_(rio), write_(write) {
  if (write) ++rio->changes_;
  if (!write && !rio->PageTaken(page)) return;
  if (page >= rio->pages_.size()) rio->pages_.resize(page + 1);
  Page& p = rio->pages_[page];
  const size_t size = static_cast<size_t>(rio->pageSize_);
  if (rio->work_ == nullptr) {
    if (!p.taken) {
      p.bytes = std::make_unique<uint8_t[]>(size);  // zeroed
      p.taken = true;
    }
    bytes_ = p.bytes.get();
    return;
  }
  if (!p.taken) {
    uint32_t block = rio->work_->AllocBlock();
    buffer_ = block == 0 ? nullptr : rio->work_->NewBlock(block);
    if (buffer_ == nullptr) {
      // As above: only lost space in the work file; the failure to take it is the answer.
      if (block != 0) (void)rio->work_->FreeBlock(block);
      error_ = kVNoRecordBlock;
      return;
    }
    buffer_->SetBlockHeader(kPageKind, 0, static_cast<uint16_t>(size));
    p.block = block;
    p.taken = true;
    rio->Hold(buffer_, block);
  } else if (rio->held_ != nullptr && rio->heldBlock_ == p.block) {
    buffer_ = rio->held_;
    rio->work_->Pin(buffer_);
  } else {
    buffer_ = rio->work_->GetBlock(p.block, &error_);
    if (buffer_ == nullptr) return;
    rio->Hold(buffer_, p.block);
  }
  bytes_ = buffer_->Payload();
}

VRio::PageAccess::~PageAccess() {
  if (buffer_ == nullptr) return;
  if (write_) rio_->work_->MarkDirty(buffer_);
  rio_->work_->Release(buffer_);
}

VResult VRio::CopyPages(const VRio& other) {
  for (size_t i = 0; i < other.pages_.size(); ++i) {
    if (!other.pages_[i].taken) continue;
    PageAccess from(const_cast<VRio*>(&other), i, false);
    if (from.Bytes() == nullptr) return from.Error() != kVOk ? from.Error() : kVNoRecordBlock;
    PageAccess to(this, i, true);
    if (to.Bytes() == nullptr) return to.Error();
    std::memcpy(to.Bytes(), from.Bytes(), static_cast<size_t>(pageSize_));
    pages_[i].count = other.pages_[i].count;
    count_ += other.pages_[i].count;
  }
  return kVOk;
}

// ---- VRMap ----

uint32_t VRMap::CountPage(const uint8_t* bytes) const {
  return CountBits(bytes, static_cast<size_t>(pageSize_));
}

void VRMap::SetPageCount(size_t page, uint32_t count) {
  count_ = count_ - pages_[page].count + count;
  pages_[page].count = count;
}

VResult VRMap::ChangeBits(uint32_t first, uint32_t last, bool set) {
  const uint32_t perPage = BitsPerPage();
  uint32_t r = first;
  while (r <= last) {
    const size_t page = r / perPage;
    const uint32_t from = r % perPage;
    const uint64_t pageLast = static_cast<uint64_t>(page + 1) * perPage - 1;
    const uint32_t to = static_cast<uint32_t>(std::min<uint64_t>(last, pageLast) % perPage);
    if (set || PageTaken(page)) {
      PageAccess access(this, page, true);
      if (access.Bytes() == nullptr) return access.Error();
      const uint32_t changed = FlipBits(access.Bytes(), from, to, set);
      uint32_t count = pages_[page].count;
      SetPageCount(page, set ? count + changed : count - changed);
    }
    uint64_t next = static_cast<uint64_t>(page + 1) * perPage;
    if (next > last) break;
    r = static_cast<uint32_t>(next);
  }
  return kVOk;
}

VResult VRMap::Add(uint32_t r) {
  VCriticalLock hold(lock_);
  return ChangeBits(r, r, true);
}

VResult VRMap::AddRange(uint32_t first, uint32_t last) {
  if (first > last) return kVOk;
  VCriticalLock hold(lock_);
  return ChangeBits(first, last, true);
}

VResult VRMap::AddRuns(std::span<std::pair<uint32_t, uint32_t>> runs) {
  VCriticalLock hold(lock_);
  const uint32_t perPage = BitsPerPage();
  // The runs are brought together page by page (their order within a page does not matter): by
  // counting when the pages they start in lie close together, by sorting otherwise.
  uint32_t low = UINT32_MAX;
  uint32_t high = 0;
  for (const auto& [first, last] : runs) {
    if (first > last) continue;
    low = std::min(low, first / perPage);
    high = std::max(high, first / perPage);
  }
  if (low > high) return kVOk;
  std::span<const std::pair<uint32_t, uint32_t>> grouped;
  if (high - low < kMaxCountedPages) {
    std::vector<uint32_t>& starts = groupStarts_;
    starts.assign(high - low + 2, 0);
    size_t kept = 0;
    for (const auto& [first, last] : runs) {
      if (first > last) continue;
      ++starts[first / perPage - low + 1];
      ++kept;
    }
    for (size_t i = 1; i < starts.size(); ++i) starts[i] += starts[i - 1];
    grouped_.resize(kept);
    for (const auto& run : runs) {
      if (run.first > run.second) continue;
      grouped_[starts[run.first / perPage - low]++] = run;
    }
    grouped = grouped_;
  } else {
    std::sort(runs.begin(), runs.end());
    grouped = runs;
  }
  std::optional<PageAccess> access;
  size_t open = 0;
  for (const auto& [first, last] : grouped) {
    if (first > last) continue;
    const size_t page = first / perPage;
    if (last / perPage != page) {
      access.reset();
      VResult result = ChangeBits(first, last, true);
      if (result != kVOk) return result;
      continue;
    }
    if (!access || open != page) {
      access.reset();
      access.emplace(this, page, true);
      open = page;
    }
    if (access->Bytes() == nullptr) return access->Error();
    const uint32_t changed = FlipBits(access->Bytes(), first % perPage, last % perPage, true);
    SetPageCount(page, pages_[page].count + changed);
  }
  return kVOk;
}

VResult VRMap::Remove(uint32_t r) {
  VCriticalLock hold(lock_);
  return ChangeBits(r, r, false);
}

bool VRMap::Test(uint32_t r) const {
  VCriticalLock hold(lock_);
  const size_t page = r / BitsPerPage();
  const uint32_t bit = r % BitsPerPage();
  PageAccess access(const_cast<VRMap*>(this), page, false);
  if (access.Bytes() == nullptr) return false;
  return (access.Bytes()[bit / 8] & (0x80 >> (bit % 8))) != 0;
}

uint32_t VRMap::Nth(uint32_t n) const {
  VCriticalLock hold(lock_);
  if (n >= count_) return 0;
  // Positions are mostly asked for in order: the next one continues from the last answer.
  if (cursorChanges_ == changes_ && cursorRecord_ != 0) {
    if (n == cursorIndex_) return cursorRecord_;
    if (n == cursorIndex_ + 1) {
      const uint32_t r = Next(cursorRecord_);
      if (r != 0) Remember(n, r);
      return r;
    }
  }
  const uint32_t r = Find(n);
  if (r != 0) Remember(n, r);
  return r;
}

void VRMap::Remember(uint32_t n, uint32_t r) const {
  cursorIndex_ = n;
  cursorRecord_ = r;
  cursorChanges_ = changes_;
}

uint32_t VRMap::Find(uint32_t n) const {
  for (size_t page = 0; page < pages_.size(); ++page) {
    if (!pages_[page].taken) continue;
    if (n >= pages_[page].count) {
      n -= pages_[page].count;
      continue;
    }
    PageAccess access(const_cast<VRMap*>(this), page, false);
    const uint8_t* bytes = access.Bytes();
    if (bytes == nullptr) return 0;
    const uint32_t size = static_cast<uint32_t>(pageSize_);
    // Whole words are skipped by their counts, then bytes, then bits.
    uint32_t byte = SkipZeros(bytes, 0, size);
    for (; byte + 8 <= size; byte += 8) {
      uint64_t word;
      std::memcpy(&word, bytes + byte, 8);
      if (word == 0) continue;
      const uint32_t bits = Ones(word);
      if (n < bits) break;
      n -= bits;
    }
    for (; byte < size; ++byte) {
      const uint32_t bits = Ones(bytes[byte]);
      if (n >= bits) {
        n -= bits;
        continue;
      }
      for (uint32_t bit = 0; bit < 8; ++bit) {
        if ((bytes[byte] & (0x80 >> bit)) == 0) continue;
        if (n-- == 0) return static_cast<uint32_t>(page) * BitsPerPage() + byte * 8 + bit;
      }
    }
    return 0;  // the page holds fewer bits than its count says
  }
  return 0;
}

uint32_t VRMap::Next(uint32_t after) const {
  VCriticalLock hold(lock_);
  const uint32_t perPage = BitsPerPage();
  uint64_t start = static_cast<uint64_t>(after) + 1;
  for (size_t page = start / perPage; page < pages_.size(); ++page) {
    if (!pages_[page].taken || pages_[page].count == 0) continue;
    PageAccess access(const_cast<VRMap*>(this), page, false);
    const uint8_t* bytes = access.Bytes();
    if (bytes == nullptr) return 0;
    uint64_t pageStart = static_cast<uint64_t>(page) * perPage;
    uint32_t bit = start > pageStart ? static_cast<uint32_t>(start - pageStart) : 0;
    const int64_t found = FirstBitFrom(bytes, static_cast<uint32_t>(pageSize_), bit);
    if (found >= 0) return static_cast<uint32_t>(pageStart + static_cast<uint64_t>(found));
  }
  return 0;
}

VResult VRMap::CopyFrom(const VRMap& other) {
  if (&other == this) return kVOk;
  VCriticalLock hold(lock_);
  VCriticalLock holdOther(other.lock_);
  Clear();
  if (other.pageSize_ == pageSize_) return CopyPages(other);
  for (uint32_t r = other.Next(0); r != 0; r = other.Next(r)) {
    VResult result = Add(r);
    if (result != kVOk) return result;
  }
  return kVOk;
}

VResult VRMap::And(const VRMap& other) {
  if (&other == this) return kVOk;
  VCriticalLock hold(lock_);
  VCriticalLock holdOther(other.lock_);
  if (other.pageSize_ != pageSize_) {
    for (uint32_t r = Next(0); r != 0; r = Next(r)) {
      if (other.Test(r)) continue;
      VResult removed = Remove(r);
      if (removed != kVOk) return removed;
    }
    return kVOk;
  }
  for (size_t page = 0; page < pages_.size(); ++page) {
    if (!pages_[page].taken) continue;
    if (!other.PageTaken(page)) {
      DropPage(page);
      continue;
    }
    PageAccess mine(this, page, true);
    PageAccess theirs(const_cast<VRMap*>(&other), page, false);
    if (mine.Bytes() == nullptr || theirs.Bytes() == nullptr) {
      return mine.Error() != kVOk ? mine.Error() : kVNoRecordBlock;
    }
    for (int32_t i = 0; i < pageSize_; ++i) mine.Bytes()[i] &= theirs.Bytes()[i];
    SetPageCount(page, CountPage(mine.Bytes()));
  }
  return kVOk;
}

VResult VRMap::Or(const VRMap& other) {
  if (&other == this) return kVOk;
  VCriticalLock hold(lock_);
  VCriticalLock holdOther(other.lock_);
  if (other.pageSize_ != pageSize_) {
    for (uint32_t r = other.Next(0); r != 0; r = other.Next(r)) {
      VResult result = Add(r);
      if (result != kVOk) return result;
    }
    return kVOk;
  }
  for (size_t page = 0; page < other.pages_.size(); ++page) {
    if (!other.pages_[page].taken) continue;
    PageAccess theirs(const_cast<VRMap*>(&other), page, false);
    PageAccess mine(this, page, true);
    if (mine.Bytes() == nullptr || theirs.Bytes() == nullptr) {
      return mine.Error() != kVOk ? mine.Error() : kVNoRecordBlock;
    }
    for (int32_t i = 0; i < pageSize_; ++i) mine.Bytes()[i] |= theirs.Bytes()[i];
    SetPageCount(page, CountPage(mine.Bytes()));
  }
  return kVOk;
}

VResult VRMap::AndNot(const VRMap& other) {
  VCriticalLock hold(lock_);
  if (&other == this) {
    Clear();
    return kVOk;
  }
  VCriticalLock holdOther(other.lock_);
  if (other.pageSize_ != pageSize_) {
    for (uint32_t r = other.Next(0); r != 0; r = other.Next(r)) {
      VResult result = Remove(r);
      if (result != kVOk) return result;
    }
    return kVOk;
  }
  for (size_t page = 0; page < pages_.size(); ++page) {
    if (!pages_[page].taken || !other.PageTaken(page)) continue;
    PageAccess mine(this, page, true);
    PageAccess theirs(const_cast<VRMap*>(&other), page, false);
    if (mine.Bytes() == nullptr || theirs.Bytes() == nullptr) {
      return mine.Error() != kVOk ? mine.Error() : kVNoRecordBlock;
    }
    for (int32_t i = 0; i < pageSize_; ++i) {
      mine.Bytes()[i] &= static_cast<uint8_t>(~theirs.Bytes()[i]);
    }
    SetPageCount(page, CountPage(mine.Bytes()));
  }
  return kVOk;
}

void VRMap::Recount() {
  VCriticalLock hold(lock_);
  for (size_t page = 0; page < pages_.size(); ++page) {
    if (!pages_[page].taken) continue;
    uint32_t count = 0;
    {
      PageAccess access(this, page, false);
      if (access.Bytes() != nullptr) count = CountPage(access.Bytes());
    }
    SetPageCount(page, count);
    if (count == 0) DropPage(page);
  }
}

void VRMap::DropEmptyPages() {
  VCriticalLock hold(lock_);
  for (size_t page = 0; page < pages_.size(); ++page) {
    if (pages_[page].taken && pages_[page].count == 0) DropPage(page);
  }
}

// ---- VRList ----

VResult VRList::Append(uint32_t r) {
  VCriticalLock hold(lock_);
  const uint32_t perPage = NumbersPerPage();
  const size_t page = count_ / perPage;
  PageAccess access(this, page, true);
  if (access.Bytes() == nullptr) return access.Error();
  VPutU24(access.Bytes() + 3 * (count_ % perPage), r);
  ++pages_[page].count;
  ++count_;
  return kVOk;
}

VResult VRList::AppendRange(uint32_t first, uint32_t last) {
  VCriticalLock hold(lock_);
  for (uint64_t r = first; r <= last; ++r) {
    VResult result = Append(static_cast<uint32_t>(r));
    if (result != kVOk) return result;
  }
  return kVOk;
}

uint32_t VRList::Nth(uint32_t n) const {
  VCriticalLock hold(lock_);
  if (n >= count_) return 0;
  const uint32_t perPage = NumbersPerPage();
  PageAccess access(const_cast<VRList*>(this), n / perPage, false);
  if (access.Bytes() == nullptr) return 0;
  return VGetU24(access.Bytes() + 3 * (n % perPage));
}

bool VRList::Test(uint32_t r) const {
  VCriticalLock hold(lock_);
  const uint32_t perPage = NumbersPerPage();
  for (size_t page = 0; page < pages_.size(); ++page) {
    if (!pages_[page].taken) continue;
    PageAccess access(const_cast<VRList*>(this), page, false);
    if (access.Bytes() == nullptr) return false;
    for (uint32_t i = 0; i < pages_[page].count && i < perPage; ++i) {
      if (VGetU24(access.Bytes() + 3 * i) == r) return true;
    }
  }
  return false;
}

VResult VRList::Retain(const std::function<bool(uint32_t)>& keep) {
  VCriticalLock hold(lock_);
  const uint32_t perPage = NumbersPerPage();
  uint32_t kept = 0;
  std::vector<uint32_t> pending;
  for (uint32_t n = 0; n < count_; n += perPage) {
    const size_t page = n / perPage;
    const uint32_t inPage = std::min(perPage, count_ - n);
    pending.clear();
    {
      PageAccess from(this, page, false);
      if (from.Bytes() == nullptr) return from.Error() != kVOk ? from.Error() : kVNoRecordBlock;
      for (uint32_t i = 0; i < inPage; ++i) {
        const uint32_t r = VGetU24(from.Bytes() + 3 * i);
        if (keep(r)) pending.push_back(r);
      }
    }
    // The kept numbers go to positions at or before the page just read.
    size_t done = 0;
    while (done < pending.size()) {
      PageAccess to(this, kept / perPage, true);
      if (to.Bytes() == nullptr) return to.Error();
      do {
        VPutU24(to.Bytes() + 3 * (kept % perPage), pending[done++]);
        ++kept;
      } while (done < pending.size() && kept % perPage != 0);
    }
  }
  const size_t used = (kept + perPage - 1) / perPage;
  for (size_t page = used; page < pages_.size(); ++page) DropPage(page);
  pages_.resize(used);
  for (size_t page = 0; page < used; ++page) {
    pages_[page].count = std::min<uint32_t>(perPage, kept - static_cast<uint32_t>(page) * perPage);
  }
  count_ = kept;
  return kVOk;
}

VResult VRList::CopyFrom(const VRList& other) {
  if (&other == this) return kVOk;
  VCriticalLock hold(lock_);
  VCriticalLock holdOther(other.lock_);
  Clear();
  if (other.pageSize_ == pageSize_) return CopyPages(other);
  for (uint32_t n = 0; n < other.count_; ++n) {
    VResult result = Append(other.Nth(n));
    if (result != kVOk) return result;
  }
  return kVOk;
}
