// The keys of a record file: making, opening and dropping them, keeping them in step with the
// records, the uniqueness check that runs before a record changes, and key sequences.
#include <algorithm>

#include "base/VDebug.h"
#include "base/VEndian.h"
#include "db/schema/VRecordView.h"
#include "db/schema/VSchema.h"
#include "db/store/VCash.h"
#include "db/store/VCioFsp.h"
#include "db/store/VCioMap.h"
#include "db/store/VDBFile.h"
#include "db/store/VKeySeq.h"
#include "db/store/VListMgr.h"
#include "db/store/VPSRead.h"

namespace {

constexpr int32_t kSlotOffset = 36;
constexpr int32_t kSlotSize = 8;

// Inserts a value; a unique key answering that the value is taken counts as done when the record
// taking it is this one (a record may hold the same value twice).
VResult InsertValue(VKeyObject* key, const uint8_t* value, uint32_t r) {
  VResult result = key->InsertKey(value, r);
  if (result == kVUniqueTaken) {
    uint32_t owner = 0;
    if (key->Lookup(value, &owner) && owner == r) result = kVOk;
  }
  return result;
}

// Deletes a value; one that is already gone (the second of two equal values) is not a failure.
VResult DeleteValue(VKeyObject* key, const uint8_t* value, uint32_t r) {
  VResult result = key->DeleteKey(value, r);
  return result == kVKeyAbsent || result == kVNotInList ? kVOk : result;
}

// Calls each(value) for every value of a run of (length byte, bytes); stops at a failure.
template <class Each>
VResult ForEachValue(const std::vector<uint8_t>& run, int32_t length, Each each) {
  for (int32_t at = 0; at < length; at += 1 + run[static_cast<size_t>(at)]) {
    VResult result = each(run.data() + at);
    if (result != kVOk) return result;
  }
  return kVOk;
}

}  // namespace

VResult VDBFile::ValidateSchemaKey(const VSch_DBKey& desc) const {
  if (desc.Number() < 1 || desc.Number() >= keySlots_) return kVBadKeyNumber;
  return kVOk;
}

VResult VDBFile::MakeTrees(VCioMap* index, const VSch_DBKey& desc, std::unique_ptr<VKeyObject>* key,
                           std::unique_ptr<VKeyObject>* reverse) {
  const auto number = static_cast<uint8_t>(desc.Number());
  const auto attributes = static_cast<uint16_t>((desc.Flags() & 0xFF) << 8 | desc.Type());
  *key = std::make_unique<VKeyObject>(index, number, attributes, 0);
  VResult result = (*key)->CreateRoot();
  if (result == kVOk && (attributes & kVKeyWordReverse)) {
    *reverse = std::make_unique<VKeyObject>(index, number, attributes, 0, true);
    result = (*reverse)->CreateRoot();
    if (result != kVOk) reverse->reset();
  }
  // A tree half made goes again; its blocks are only lost space should that fail.
  if (result != kVOk && (*key)->Root() != 0) (void)(*key)->Drop();
  return result;
}

VResult VDBFile::WriteKeySlot(VCioMap* index, int32_t keyNumber, uint32_t root, uint16_t attributes,
                              uint32_t reverseRoot) {
  VResult error = kVOk;
  VCashBffr* directory = index->GetBlock(1, &error);
  if (directory == nullptr) return error;
  uint8_t* slot = directory->Data() + kSlotOffset + kSlotSize * keyNumber;
  VPutU24(slot, root);
  slot[3] = static_cast<uint8_t>(attributes);
  VPutU24(slot + 4, reverseRoot);
  slot[7] = static_cast<uint8_t>(attributes >> 8);
  index->MarkDirty(directory);
  index->Release(directory);
  return kVOk;
}

VResult VDBFile::OpenKey(int32_t keyNumber, uint16_t attributes, uint32_t root,
                         uint32_t reverseRoot) {
  const auto number = static_cast<uint8_t>(keyNumber);
  auto key = std::make_unique<VKeyObject>(index_.get(), number, attributes, root);
  std::unique_ptr<VKeyObject> reverse;
  if ((attributes & kVKeyWordReverse) && reverseRoot != 0) {
    reverse = std::make_unique<VKeyObject>(index_.get(), number, attributes, reverseRoot, true);
  }
  keys_.Add(std::move(key), std::move(reverse));
  return kVOk;
}

VResult VDBFile::KeyValues(const VSch_DBKey* desc, const uint8_t* image,
                           std::vector<uint8_t>* buffer, int32_t* length) {
  uint8_t items[kVMaxKeyParts];
  const int parts = desc->PartCount();
  for (int i = 0; i < parts; ++i) items[i] = static_cast<uint8_t>(desc->PartAt(i)->Number());
  VRecordView view(image, static_cast<size_t>(VGetU16(image)) + 2);
  int32_t count = 0;
  return view.KeyValue(std::span<const uint8_t>(items, static_cast<size_t>(parts)), &count,
                       buffer->data(), static_cast<int32_t>(buffer->size()), length);
}

VResult VDBFile::CheckUnique(const uint8_t* image, uint32_t except) {
  for (int32_t i = 0; i < keys_.Count(); ++i) {
    VKeyObject* key = keys_.At(i);
    if (!key->IsUnique()) continue;
    const VSch_DBKey* desc = schema_->KeyByNumber(key->KeyNumber());
    if (desc == nullptr || desc->PartCount() == 0) continue;
    int32_t length = 0;
    VResult result = KeyValues(desc, image, &newKeys_, &length);
    if (result == kVOk) {
      result = ForEachValue(newKeys_, length, [&](const uint8_t* value) -> VResult {
        uint32_t owner = 0;
        return key->Lookup(value, &owner) && owner != except ? kVUniqueTaken : kVOk;
      });
    }
    if (result != kVOk) return result;
  }
  return kVOk;
}

VResult VDBFile::UpdateKey(VKeyObject* key, uint32_t r, const uint8_t* oldImage,
                           const uint8_t* newImage) {
  VKeyObject* reverse = keys_.Reverse(key->KeyNumber());
  const VSch_DBKey* desc = schema_->KeyByNumber(key->KeyNumber());
  if (desc == nullptr || desc->PartCount() == 0) {
    // A key without items holds entries added by hand: they go with the record.
    if (newImage != nullptr) return kVOk;
    VResult result = key->DeleteRecord(r);
    if (result == kVOk && reverse != nullptr) result = reverse->DeleteRecord(r);
    return result;
  }
  // The reverse tree takes each value as it is and turns it round itself.
  int32_t length = 0;
  if (oldImage != nullptr) {
    VResult result = KeyValues(desc, oldImage, &oldKeys_, &length);
    if (result == kVOk) {
      result = ForEachValue(oldKeys_, length, [&](const uint8_t* value) -> VResult {
        VResult deleted = DeleteValue(key, value, r);
        if (deleted != kVOk || reverse == nullptr) return deleted;
        return DeleteValue(reverse, value, r);
      });
    }
    if (result != kVOk) return result;
  }
  if (newImage != nullptr) {
    VResult result = KeyValues(desc, newImage, &newKeys_, &length);
    if (result == kVOk) {
      result = ForEachValue(newKeys_, length, [&](const uint8_t* value) -> VResult {
        VResult inserted = InsertValue(key, value, r);
        if (inserted != kVOk || reverse == nullptr) return inserted;
        return InsertValue(reverse, value, r);
      });
    }
    if (result != kVOk) return result;
  }
  return kVOk;
}

VResult VDBFile::UpdateKeys(uint32_t r, const uint8_t* oldImage, const uint8_t* newImage) {
  for (int32_t i = 0; i < keys_.Count(); ++i) {
    VResult result = UpdateKey(keys_.At(i), r, oldImage, newImage);
    if (result != kVOk) return result;
  }
  return kVOk;
}

VResult VDBFile::BuildKeys(VKeyObject* only) {
  VPSRead read(data_.get());
  uint32_t r = 0;
  std::vector<uint8_t> image;
  VResult result;
  while ((result = read.Read(&r, &image)) == kVOk) {
    // One record at a time: a flush between records sees every tree whole.
    VCashUpdate group(index_->Cache());
    result = only != nullptr ? UpdateKey(only, r, nullptr, image.data())
                             : UpdateKeys(r, nullptr, image.data());
    VResult ended = group.End();
    if (result == kVOk) result = ended;
    if (result != kVOk) return result;
  }
  return result == kVEnd ? kVOk : result;
}

VResult VDBFile::MakeOpenKeys(const std::vector<int32_t>& numbers) {
  VCashUpdate group(index_->Cache());
  VResult result = kVOk;
  for (size_t i = 0; i < numbers.size() && result == kVOk; ++i) {
    std::unique_ptr<VKeyObject> key;
    std::unique_ptr<VKeyObject> reverse;
    result = MakeTrees(index_.get(), *schema_->KeyByNumber(numbers[i]), &key, &reverse);
    if (result == kVOk) keys_.Add(std::move(key), std::move(reverse));
  }
  VResult ended = group.End();
  return result == kVOk ? ended : result;
}

VResult VDBFile::EnterKeys(const std::vector<int32_t>& numbers) {
  VCashUpdate group(index_->Cache());
  VResult result = kVOk;
  for (size_t i = 0; i < numbers.size() && result == kVOk; ++i) {
    VKeyObject* key = keys_.Key(numbers[i]);
    VKeyObject* reverse = keys_.Reverse(numbers[i]);
    result = WriteKeySlot(index_.get(), numbers[i], key->Root(), key->Attributes(),
                          reverse != nullptr ? reverse->Root() : 0);
    if (result == kVOk) schema_->MarkKeyCreated(numbers[i]);
  }
  VResult ended = group.End();
  return result == kVOk ? ended : result;
}

void VDBFile::DropUnentered(const std::vector<int32_t>& numbers) {
  VCashUpdate group(index_->Cache());
  // Trees that were never entered in the directory: their blocks are only lost space should a drop
  // fail, which the debug log then shows.
  for (int32_t number : numbers) {
    if (VKeyObject* key = keys_.Key(number); key != nullptr && key->Drop() != kVOk) {
      LogFormat("...ERROR... VDBFile::DropUnentered key %d", number);
    }
    if (VKeyObject* reverse = keys_.Reverse(number);
        reverse != nullptr && reverse->Drop() != kVOk) {
      LogFormat("...ERROR... VDBFile::DropUnentered reverse key %d", number);
    }
    keys_.Remove(number);
  }
  if (group.End() != kVOk) Log("...ERROR... VDBFile::DropUnentered write-back");
}

VResult VDBFile::CreateAllKey() {
  if (!open_) return kVFileNotOpen;
  if (readOnly_) return kVReadOnlyFile;
  std::vector<int32_t> numbers;
  for (int i = 0; i < schema_->KeyCount(); ++i) {
    VResult valid = ValidateSchemaKey(*schema_->KeyAt(i));
    if (valid != kVOk) return valid;
    numbers.push_back(schema_->KeyAt(i)->Number());
  }
  VResult result = DeleteAllKey();
  if (result == kVOk) result = MakeOpenKeys(numbers);
  if (result == kVOk && RecordCount() > 0) result = BuildKeys(nullptr);
  if (result == kVOk) result = EnterKeys(numbers);
  if (result != kVOk) DropUnentered(numbers);
  return result;
}

VResult VDBFile::CreateKey(int32_t keyNumber) {
  if (!open_) return kVFileNotOpen;
  if (readOnly_) return kVReadOnlyFile;
  if (keys_.Key(keyNumber) != nullptr) return kVKeyNotOpen;
  const VSch_DBKey* desc = schema_->KeyByNumber(keyNumber);
  if (desc == nullptr) return kVBadKeyNumber;
  VResult result = ValidateSchemaKey(*desc);
  if (result != kVOk) return result;
  const std::vector<int32_t> numbers{keyNumber};
  result = MakeOpenKeys(numbers);
  if (result == kVOk && RecordCount() > 0) result = BuildKeys(keys_.Key(keyNumber));
  if (result == kVOk) result = EnterKeys(numbers);
  if (result != kVOk) DropUnentered(numbers);
  return result;
}

VResult VDBFile::DeleteKey(int32_t keyNumber) {
  if (!open_) return kVFileNotOpen;
  if (readOnly_) return kVReadOnlyFile;
  if (keyNumber < 1 || keyNumber > 255) return kVBadKeyNumber;
  VKeyObject* key = keys_.Key(keyNumber);
  if (key == nullptr) return kVBadKeyNumber;
  // The slot goes first, in the same bracket as the trees: no flush sees a slot naming freed
  // blocks.
  VCashUpdate group(index_->Cache());
  VResult result = WriteKeySlot(index_.get(), keyNumber, 0, 0, 0);
  if (result == kVOk) result = key->Drop();
  VKeyObject* reverse = keys_.Reverse(keyNumber);
  if (result == kVOk && reverse != nullptr) result = reverse->Drop();
  VResult ended = group.End();
  if (result == kVOk) result = ended;
  if (result != kVOk) return result;
  keys_.Remove(keyNumber);
  schema_->MarkKeyErased(keyNumber);
  return kVOk;
}

VResult VDBFile::DeleteAllKey() {
  if (!open_) return kVFileNotOpen;
  if (readOnly_) return kVReadOnlyFile;
  for (int32_t i = keys_.Count() - 1; i >= 0; --i) {
    VResult result = DeleteKey(keys_.At(i)->KeyNumber());
    if (result != kVOk) return result;
  }
  VCashUpdate group(index_->Cache());
  VResult result = kVOk;
  for (int32_t k = 1; k < keySlots_ && result == kVOk; ++k) {
    result = WriteKeySlot(index_.get(), k, 0, 0, 0);
  }
  VResult ended = group.End();
  return result == kVOk ? ended : result;
}

VResult VDBFile::AddKeyEntry(int32_t keyNumber, uint32_t r, std::span<const uint8_t> value) {
  if (!open_) return kVFileNotOpen;
  if (readOnly_) return kVReadOnlyFile;
  VKeyObject* key = keys_.Key(keyNumber);
  if (key == nullptr) return kVKeyNotOpen;
  if (value.empty() || value.size() < 1u + value[0]) return kVValueMissing;
  VCashUpdate group(index_->Cache());
  uint32_t owner = 0;
  VResult result = kVOk;
  if (key->IsUnique() && key->Lookup(value.data(), &owner) && owner != r) {
    result = kVUniqueTaken;
  } else {
    result = InsertValue(key, value.data(), r);
    VKeyObject* reverse = keys_.Reverse(keyNumber);
    if (result == kVOk && reverse != nullptr) result = InsertValue(reverse, value.data(), r);
  }
  VResult ended = group.End();
  return result == kVOk ? ended : result;
}

VResult VDBFile::RemoveKeyEntry(int32_t keyNumber, uint32_t r, std::span<const uint8_t> value) {
  if (!open_) return kVFileNotOpen;
  if (readOnly_) return kVReadOnlyFile;
  VKeyObject* key = keys_.Key(keyNumber);
  if (key == nullptr) return kVKeyNotOpen;
  if (!value.empty() && value.size() < 1u + value[0]) return kVValueMissing;
  VKeyObject* reverse = keys_.Reverse(keyNumber);
  VCashUpdate group(index_->Cache());
  VResult result;
  if (value.empty()) {
    result = key->DeleteRecord(r);
    if (result == kVOk && reverse != nullptr) result = reverse->DeleteRecord(r);
  } else {
    result = key->DeleteKey(value.data(), r);
    if (result == kVOk && reverse != nullptr) result = reverse->DeleteKey(value.data(), r);
  }
  VResult ended = group.End();
  return result == kVOk ? ended : result;
}

// ---- key sequences ----

VResult VDBFile::KSLocate(VListMgr* sets, int32_t keyNumber, std::span<const uint8_t> value,
                          int32_t* id) {
  if (!open_) return kVFileNotOpen;
  VKeyObject* key = keys_.Key(keyNumber);
  if (key == nullptr) return kVKeyNotOpen;
  if (!value.empty() && value.size() < 1u + value[0]) return kVValueMissing;
  auto sequence = std::make_unique<VKeySeq>(*key, this);
  VResult result = sequence->Locate(value.empty() ? nullptr : value.data());
  if (result != kVOk) return result;
  *id = sets->Add(std::move(sequence));
  return kVOk;
}

VResult VDBFile::KSRead(VListMgr* sets, int32_t id, std::vector<uint8_t>* key,
                        std::vector<uint32_t>* records) {
  auto* sequence = static_cast<VKeySeq*>(sets->Find(id, VSetObj::kKeySequence));
  if (sequence == nullptr || sequence->Owner() != this) return kVNoSuchSet;
  if (!open_) return kVFileNotOpen;
  // The sequence reads through the key object's tree only while that object is the open key.
  VKeyObject* open = keys_.Key(sequence->KeyNumber());
  if (open == nullptr || open->Serial() != sequence->KeySerial()) return kVKeyNotOpen;
  return sequence->Read(key, records);
}

VResult VDBFile::KSCancel(VListMgr* sets, int32_t id) {
  auto* sequence = static_cast<VKeySeq*>(sets->Find(id, VSetObj::kKeySequence));
  if (sequence == nullptr || sequence->Owner() != this) return kVNoSuchSet;
  sets->Remove(id);
  return kVOk;
}
