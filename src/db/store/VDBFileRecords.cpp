// The record operations of a record file, its physical sequential reads and the item reads in
// place.
#include <algorithm>
#include <cstring>
#include <memory>

#include "base/VEndian.h"
#include "db/schema/VConfig.h"
#include "db/schema/VDecimal.h"
#include "db/schema/VRecordView.h"
#include "db/schema/VSchema.h"
#include "db/store/VCash.h"
#include "db/store/VCioFsp.h"
#include "db/store/VCioMap.h"
#include "db/store/VDBFile.h"
#include "db/store/VHolder.h"
#include "db/store/VListMgr.h"
#include "db/store/VPSRead.h"
#include "db/store/VRBCvt.h"
#include "db/store/VRecAcc.h"

namespace {

constexpr int32_t kSerialOffset = 20;

}  // namespace

uint32_t VDBFile::MaxRNbr() const { return map_ != nullptr ? map_->Last() : 0; }

uint32_t VDBFile::RecordCount() const { return map_ != nullptr ? map_->Count() : 0; }

uint32_t VDBFile::GetUnique(int32_t n) {
  if (!open_ || readOnly_ || n < 0 || n >= kSerialCounters) return 0;
  VCashUpdate group(index_->Cache());
  VCashBffr* directory = index_->GetBlock(1);
  if (directory == nullptr) {
    // Nothing changed inside the bracket: its end has nothing to write back that matters here.
    (void)group.End();
    return 0;
  }
  uint8_t* counter = directory->Data() + kSerialOffset + 4 * n;
  const uint32_t value = VGetU32(counter) + 1;
  VPutU32(counter, value);
  index_->MarkDirty(directory);
  index_->Release(directory);
  // A serial number whose counter could not be written back is not handed out.
  if (group.End() != kVOk) return 0;
  return value;
}

VResult VDBFile::CheckImage(std::span<const uint8_t> image, bool strict) const {
  if (image.size() < 2) return kVEmptyImage;
  const size_t n = VGetU16(image.data());
  if (n == 0) return kVEmptyImage;
  if (n + 2 > image.size()) return kVRecordCorrupt;
  if (!strict) return kVOk;
  return VRecordView(image.data(), n + 2).Check();
}

VResult VDBFile::GetRecord(uint32_t r, std::vector<uint8_t>* image) {
  if (!open_) return kVFileNotOpen;
  return access_->ReadRecord(r, image);
}

VResult VDBFile::InsRecord(VHolder* user, std::span<const uint8_t> image, uint32_t* r) {
  if (!open_) return kVFileNotOpen;
  if (readOnly_) return kVReadOnlyFile;
  VResult result = CheckImage(image, false);
  if (result != kVOk) return result;
  if (VGetU16(image.data()) >= macRLength_) return kVBodyTooLong;
  // Keys are taken from the record buffer: one that cannot be read is refused before anything
  // changes, as failing after the record was stored would be fatal.
  result = CheckImage(image, true);
  if (result == kVOk) result = CheckUnique(image.data(), 0);
  if (result != kVOk) return result;
  VCashUpdate group(index_->Cache());
  uint32_t number = 0;
  result = access_->AddRecord(&number, image.data(), false);
  if (result == kVOk) {
    VResult keys = UpdateKeys(number, nullptr, image.data());
    if (keys != kVOk) Fatal("VDBFile::InsRecord", keys);
    if (user != nullptr) user->TakeHold(FileNumber(), number);
    *r = number;
  }
  VResult ended = group.End();
  return result == kVOk ? ended : result;
}

VResult VDBFile::DelRecord(VHolder* user, uint32_t r) {
  if (!open_) return kVFileNotOpen;
  if (readOnly_) return kVReadOnlyFile;
  if (user != nullptr && !user->TakeHold(FileNumber(), r)) return kVNotHolder;
  VCashUpdate group(index_->Cache());
  VResult result = access_->RemoveRecord(r, &oldImage_);
  if (result == kVOk) {
    VResult keys = UpdateKeys(r, oldImage_.data(), nullptr);
    if (keys != kVOk) Fatal("VDBFile::DelRecord", keys);
  }
  VResult ended = group.End();
  return result == kVOk ? ended : result;
}

VResult VDBFile::UpdRecord(VHolder* user, uint32_t r, std::span<const uint8_t> image) {
  if (!open_) return kVFileNotOpen;
  if (readOnly_) return kVReadOnlyFile;
  VResult result = CheckImage(image, false);
  if (result != kVOk) return result;
  if (VGetU16(image.data()) >= macRLength_) return kVBodyTooLong;
  result = CheckImage(image, true);
  if (result == kVOk) result = CheckUnique(image.data(), r);
  if (result != kVOk) return result;
  if (user != nullptr && !user->TakeHold(FileNumber(), r)) return kVNotHolder;
  VCashUpdate group(index_->Cache());
  result = access_->ReplaceRecord(r, image.data(), &oldImage_);
  if (result == kVOk) {
    VResult keys = UpdateKeys(r, oldImage_.data(), image.data());
    if (keys != kVOk) Fatal("VDBFile::UpdRecord", keys);
  }
  VResult ended = group.End();
  return result == kVOk ? ended : result;
}

// The unchecked variants are bracketed as well: an eviction in the middle of one would otherwise
// flush a record without its map entry or keys.

VResult VDBFile::I_InsRecord(std::span<const uint8_t> image, uint32_t* r) {
  if (!open_) return kVFileNotOpen;
  if (readOnly_) return kVReadOnlyFile;
  VResult result = CheckImage(image, false);
  if (result != kVOk) return result;
  VCashUpdate group(index_->Cache());
  uint32_t number = *r;
  result = access_->AddRecord(&number, image.data(), true);
  if (result == kVOk) {
    VResult keys = UpdateKeys(number, nullptr, image.data());
    if (keys != kVOk) Fatal("VDBFile::I_InsRecord", keys);
    *r = number;
  }
  VResult ended = group.End();
  return result == kVOk ? ended : result;
}

VResult VDBFile::I_DelRecord(uint32_t r) {
  if (!open_) return kVFileNotOpen;
  if (readOnly_) return kVReadOnlyFile;
  VCashUpdate group(index_->Cache());
  VResult result = access_->RemoveRecord(r, &oldImage_);
  if (result == kVOk) {
    VResult keys = UpdateKeys(r, oldImage_.data(), nullptr);
    if (keys != kVOk) Fatal("VDBFile::I_DelRecord", keys);
  }
  VResult ended = group.End();
  return result == kVOk ? ended : result;
}

VResult VDBFile::I_UpdRecord(uint32_t r, std::span<const uint8_t> image) {
  if (!open_) return kVFileNotOpen;
  if (readOnly_) return kVReadOnlyFile;
  VResult result = CheckImage(image, false);
  if (result != kVOk) return result;
  VCashUpdate group(index_->Cache());
  result = access_->ReplaceRecord(r, image.data(), &oldImage_);
  if (result == kVOk) {
    VResult keys = UpdateKeys(r, oldImage_.data(), image.data());
    if (keys != kVOk) Fatal("VDBFile::I_UpdRecord", keys);
  }
  VResult ended = group.End();
  return result == kVOk ? ended : result;
}

// ---- items read in place ----

template <class Read>
VResult VDBFile::ReadInPlace(uint32_t r, Read read) {
  if (!open_) return kVFileNotOpen;
  VCashBffr* block = nullptr;
  const uint8_t* image = nullptr;
  int32_t length = 0;
  VResult result = access_->PinRecord(r, kVRecordNotFound, &block, &image, &length);
  if (result != kVOk) return result == kVRecordCorrupt ? kVItemNotReadable : result;
  VRecordView view(image, static_cast<size_t>(length));
  result = read(view);
  data_->Release(block);
  return result == kVRecordCorrupt ? kVItemNotReadable : result;
}

VResult VDBFile::ItemCount(uint32_t r, int32_t* count) {
  return ReadInPlace(r, [&](const VRecordView& view) -> VResult {
    int32_t items = view.ItemCount();
    if (items < 0) return static_cast<VResult>(items);
    *count = items;
    return kVOk;
  });
}

VResult VDBFile::ItemNumberAt(uint32_t r, int32_t index, int32_t* item) {
  return ReadInPlace(r, [&](const VRecordView& view) -> VResult {
    int32_t seen = 0;
    for (int number = 1; number <= 255; ++number) {
      int32_t present = view.OccurrenceCount(number);
      if (present < 0) return static_cast<VResult>(present);
      if (present == 0) continue;
      if (seen++ == index) {
        *item = number;
        return kVOk;
      }
    }
    return kVValueMissing;
  });
}

VResult VDBFile::ValueCount(uint32_t r, int32_t item, int32_t* count) {
  return ReadInPlace(r, [&](const VRecordView& view) -> VResult {
    int32_t values = view.OccurrenceCount(item);
    if (values < 0) return static_cast<VResult>(values);
    *count = values;
    return kVOk;
  });
}

VResult VDBFile::ValueLength(uint32_t r, int32_t item, int32_t occurrence, int32_t* length) {
  return ReadInPlace(r, [&](const VRecordView& view) -> VResult {
    int32_t value = view.ValueLength(item, occurrence);
    if (value < 0) return static_cast<VResult>(value);
    *length = value;
    return kVOk;
  });
}

VResult VDBFile::ValueType(uint32_t r, int32_t item, int32_t occurrence, int32_t* type) {
  return ReadInPlace(r, [&](const VRecordView& view) -> VResult {
    VValueRef ref;
    VResult result = view.ValueRef(item, occurrence, &ref);
    if (result == kVOk) *type = ref.type;
    return result;
  });
}

VResult VDBFile::GetItem(uint32_t r, int32_t item, int32_t occurrence,
                         std::vector<uint8_t>* bytes) {
  return ReadInPlace(r, [&](const VRecordView& view) -> VResult {
    VValueRef ref;
    VResult result = view.ValueRef(item, occurrence, &ref);
    if (result == kVOk) bytes->assign(ref.bytes, ref.bytes + ref.length);
    return result;
  });
}

VResult VDBFile::CompareItems(uint32_t r1, int32_t item1, int32_t occurrence1, uint32_t r2,
                              int32_t item2, int32_t occurrence2, int32_t* order) {
  // The first value is copied so that the second record's block can be read without pinning two.
  uint8_t type = 0;
  std::vector<uint8_t> first;
  VResult result = ReadInPlace(r1, [&](const VRecordView& view) -> VResult {
    VValueRef ref;
    VResult found = view.ValueRef(item1, occurrence1, &ref);
    if (found == kVOk) {
      type = ref.type;
      first.assign(ref.bytes, ref.bytes + ref.length);
    }
    return found;
  });
  if (result != kVOk) return result;
  return ReadInPlace(r2, [&](const VRecordView& view) -> VResult {
    VValueRef ref;
    VResult found = view.ValueRef(item2, occurrence2, &ref);
    if (found != kVOk) return found;
    const bool numeric = (type == kVTypeNumber || type == kVTypeInteger) &&
                         (ref.type == kVTypeNumber || ref.type == kVTypeInteger);
    int c;
    if (numeric) {
      c = VCompareDecimalText(first.data(), first.size(), ref.bytes, ref.length);
    } else {
      size_t common = std::min<size_t>(first.size(), ref.length);
      c = common == 0 ? 0 : std::memcmp(first.data(), ref.bytes, common);
      if (c == 0) c = first.size() < ref.length ? -1 : (first.size() > ref.length ? 1 : 0);
    }
    *order = c < 0 ? -1 : (c > 0 ? 1 : 0);
    return kVOk;
  });
}

// ---- physical sequential reads ----

namespace {

VPSRead* FindRead(const VListMgr* sets, int32_t id, int32_t fileNumber) {
  if (sets == nullptr) return nullptr;
  auto* read = static_cast<VPSRead*>(sets->Find(id, VSetObj::kPhysicalRead));
  return read != nullptr && read->FileNumber() == fileNumber ? read : nullptr;
}

}  // namespace

VResult VDBFile::PSLocate(VListMgr* sets, int32_t* id) {
  if (!open_) return kVFileNotOpen;
  *id = sets->Add(std::make_unique<VPSRead>(data_.get(), FileNumber()));
  return kVOk;
}

VResult VDBFile::PSRead(VListMgr* sets, int32_t id, uint32_t* r, std::vector<uint8_t>* image) {
  VPSRead* read = FindRead(sets, id, FileNumber());
  if (read == nullptr) return kVNoSuchSet;
  if (!open_) return kVFileNotOpen;
  read->Rebind(data_.get());
  return read->Read(r, image);
}

VResult VDBFile::PSCancel(VListMgr* sets, int32_t id) {
  if (FindRead(sets, id, FileNumber()) == nullptr) return kVNoSuchSet;
  sets->Remove(id);
  return kVOk;
}
