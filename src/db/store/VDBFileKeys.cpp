// The keys of a record file: making, opening and dropping them, keeping them in step with the
// records, and the uniqueness check that runs before a record changes.
#include "base/VEndian.h"
#include "base/VSjis.h"
#include "db/schema/VRecordView.h"
#include "db/schema/VSchema.h"
#include "db/store/VCash.h"
#include "db/store/VCioFsp.h"
#include "db/store/VCioMap.h"
#include "db/store/VDBFile.h"
#include "db/store/VPSRead.h"

namespace {

constexpr int32_t kSlotOffset = 36;
constexpr int32_t kSlotSize = 8;
constexpr int32_t kMaxKeyValue = 255;

// The value with its characters in reverse order, a double-byte character moving whole.
void ReverseValue(const uint8_t* value, uint8_t* out) {
  out[0] = value[0];
  VReverseChars(value + 1, value[0], out + 1);
}

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
  return result == -103 || result == -104 ? kVOk : result;
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
  if (VCurrentKeyMaker() == nullptr) return kVKeyNotOpen;
  return kVOk;
}

VResult VDBFile::MakeKey(VCioMap* index, const VSch_DBKey& desc, uint16_t* attributes,
                         uint32_t* root, uint32_t* reverseRoot, std::unique_ptr<VKeyObject>* key,
                         std::unique_ptr<VKeyObject>* reverse) {
  VKeyMaker maker = VCurrentKeyMaker();
  if (maker == nullptr) return kVKeyNotOpen;
  const auto number = static_cast<uint8_t>(desc.Number());
  *attributes = static_cast<uint16_t>((desc.Flags() & 0xFF) << 8 | desc.Type());
  *key = maker(index, number, *attributes, 0);
  if (*key == nullptr) return kVKeyNotOpen;
  VResult result = (*key)->CreateRoot();
  if (result != kVOk) return result;
  *root = (*key)->Root();
  *reverseRoot = 0;
  if (*attributes & kVKeyWordReverse) {
    *reverse = maker(index, number, *attributes, 0);
    if (*reverse == nullptr) return kVKeyNotOpen;
    result = (*reverse)->CreateRoot();
    if (result != kVOk) return result;
    *reverseRoot = (*reverse)->Root();
  }
  return kVOk;
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
  VKeyMaker maker = VCurrentKeyMaker();
  if (maker == nullptr) return kVKeyNotOpen;
  const auto number = static_cast<uint8_t>(keyNumber);
  std::unique_ptr<VKeyObject> key = maker(index_.get(), number, attributes, root);
  std::unique_ptr<VKeyObject> reverse;
  if ((attributes & kVKeyWordReverse) && reverseRoot != 0) {
    reverse = maker(index_.get(), number, attributes, reverseRoot);
  }
  if (key == nullptr) return kVKeyNotOpen;
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
  uint8_t reversed[1 + kMaxKeyValue];
  int32_t length = 0;
  if (oldImage != nullptr) {
    VResult result = KeyValues(desc, oldImage, &oldKeys_, &length);
    if (result == kVOk) {
      result = ForEachValue(oldKeys_, length, [&](const uint8_t* value) -> VResult {
        VResult deleted = DeleteValue(key, value, r);
        if (deleted != kVOk || reverse == nullptr) return deleted;
        ReverseValue(value, reversed);
        return DeleteValue(reverse, reversed, r);
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
        ReverseValue(value, reversed);
        return InsertValue(reverse, reversed, r);
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
    result = only != nullptr ? UpdateKey(only, r, nullptr, image.data())
                             : UpdateKeys(r, nullptr, image.data());
    if (result != kVOk) return result;
  }
  return result == kVEnd ? kVOk : result;
}

VResult VDBFile::CreateAllKey() {
  if (!open_) return kVFileNotOpen;
  if (readOnly_) return kVReadOnlyFile;
  for (int i = 0; i < schema_->KeyCount(); ++i) {
    VResult valid = ValidateSchemaKey(*schema_->KeyAt(i));
    if (valid != kVOk) return valid;
  }
  VResult result = DeleteAllKey();
  for (int i = 0; i < schema_->KeyCount() && result == kVOk; ++i) {
    const VSch_DBKey& desc = *schema_->KeyAt(i);
    uint16_t attributes = 0;
    uint32_t root = 0;
    uint32_t reverseRoot = 0;
    std::unique_ptr<VKeyObject> key;
    std::unique_ptr<VKeyObject> reverse;
    result = MakeKey(index_.get(), desc, &attributes, &root, &reverseRoot, &key, &reverse);
    if (result == kVOk) {
      result = WriteKeySlot(index_.get(), desc.Number(), root, attributes, reverseRoot);
    }
    if (result == kVOk) {
      keys_.Add(std::move(key), std::move(reverse));
      schema_->MarkKeyCreated(desc.Number());
    }
  }
  if (result == kVOk && RecordCount() > 0) result = BuildKeys(nullptr);
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
  uint16_t attributes = 0;
  uint32_t root = 0;
  uint32_t reverseRoot = 0;
  std::unique_ptr<VKeyObject> key;
  std::unique_ptr<VKeyObject> reverse;
  result = MakeKey(index_.get(), *desc, &attributes, &root, &reverseRoot, &key, &reverse);
  if (result == kVOk) result = WriteKeySlot(index_.get(), keyNumber, root, attributes, reverseRoot);
  if (result != kVOk) return result;
  VKeyObject* made = key.get();
  keys_.Add(std::move(key), std::move(reverse));
  schema_->MarkKeyCreated(keyNumber);
  return RecordCount() > 0 ? BuildKeys(made) : kVOk;
}

VResult VDBFile::DeleteKey(int32_t keyNumber) {
  if (!open_) return kVFileNotOpen;
  if (readOnly_) return kVReadOnlyFile;
  if (keyNumber < 1 || keyNumber > 255) return kVBadKeyNumber;
  VKeyObject* key = keys_.Key(keyNumber);
  if (key == nullptr) return kVBadKeyNumber;
  VResult result = key->Drop();
  VKeyObject* reverse = keys_.Reverse(keyNumber);
  if (result == kVOk && reverse != nullptr) result = reverse->Drop();
  if (result == kVOk) result = WriteKeySlot(index_.get(), keyNumber, 0, 0, 0);
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
  for (int32_t k = 1; k < keySlots_; ++k) {
    VResult result = WriteKeySlot(index_.get(), k, 0, 0, 0);
    if (result != kVOk) return result;
  }
  return kVOk;
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
    if (result == kVOk && reverse != nullptr) {
      uint8_t reversed[1 + kMaxKeyValue];
      ReverseValue(value.data(), reversed);
      result = InsertValue(reverse, reversed, r);
    }
  }
  group.End();
  return result;
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
    if (result == kVOk && reverse != nullptr) {
      uint8_t reversed[1 + kMaxKeyValue];
      ReverseValue(value.data(), reversed);
      result = reverse->DeleteKey(reversed, r);
    }
  }
  group.End();
  return result;
}
