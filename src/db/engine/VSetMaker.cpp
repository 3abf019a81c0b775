// Resolving and evaluating query statements.
#include "db/engine/VSetMaker.h"

#include <vector>

#include "base/VDebug.h"
#include "base/VEndian.h"
#include "base/VSjis.h"
#include "db/engine/VSetAcc.h"
#include "db/schema/VRecordView.h"
#include "db/schema/VSchema.h"
#include "db/schema/VVDD.h"
#include "db/store/VDBFile.h"
#include "db/store/VKeyList.h"
#include "db/store/VListMgr.h"
#include "db/store/VPSRead.h"
#include "db/store/VRBCvt.h"

namespace {

// The number written by a name of ASCII digits only; 0 when the name is anything else.
int32_t NameNumber(const std::string& name) {
  int64_t number = 0;
  for (char c : name) {
    if (!VIsDigit(static_cast<uint8_t>(c))) return 0;
    number = number * 10 + (c - '0');
    if (number > INT32_MAX) return 0;
  }
  return static_cast<int32_t>(number);
}

// A value as trees take it: a length byte and the bytes; false when it is longer than a key.
bool KeyValue(const std::string& bytes, std::vector<uint8_t>* out) {
  if (bytes.size() > 255) return false;
  out->assign(1, static_cast<uint8_t>(bytes.size()));
  out->insert(out->end(), bytes.begin(), bytes.end());
  return true;
}

}  // namespace

VResult VSetMaker::Resolve(const VSch_DBFile& schema) {
  for (auto& entry : entries_) {
    if (entry->Kind() != VSMEntry::kItem) continue;
    auto* item = static_cast<VExpItem*>(entry.get());
    const int32_t number = NameNumber(item->Name());
    const bool itemOnly = item->Letter() == 'I';
    const bool keyOnly = item->Letter() == 'K';
    if (number > 0) {
      if (itemOnly ? schema.ItemByNumber(number) == nullptr
                   : schema.KeyByNumber(number) == nullptr) {
        return kVStatementFailed;
      }
      item->Resolve(!itemOnly, number);
      continue;
    }
    if (!itemOnly) {
      const int key = schema.KeyNumberByName(item->Name());
      if (key > 0) {
        item->Resolve(true, key);
        continue;
      }
    }
    if (!keyOnly) {
      const int found = schema.ItemNumberByName(item->Name());
      if (found > 0) {
        item->Resolve(false, found);
        continue;
      }
    }
    return kVStatementFailed;
  }
  return kVOk;
}

class VSetMaker::Evaluator {
 public:
  Evaluator(const std::vector<std::unique_ptr<VSMEntry>>& entries, VDBFile& file,
            const VListMgr* sets, VCioMap* work)
      : entries_(entries), file_(file), sets_(sets), work_(work) {}

  VResult Run(std::unique_ptr<VSetAcc>* result) {
    VResult r = Sequence(result);
    if (r == kVOk && position_ != entries_.size()) r = kVStatementFailed;
    if (r == kVOk) (*result)->Finish();
    return r;
  }

 private:
  std::unique_ptr<VSetAcc> NewSet() { return std::make_unique<VSetAcc>(work_, file_.FileNumber()); }
  const VSMEntry* Peek() const {
    return position_ < entries_.size() ? entries_[position_].get() : nullptr;
  }

  VResult Sequence(std::unique_ptr<VSetAcc>* running);
  VResult Operand(bool first, std::unique_ptr<VSetAcc>* owned, const VSetAcc** use);
  VResult UserSet(const VExpSet& entry, bool first, std::unique_ptr<VSetAcc>* owned,
                  const VSetAcc** use);
  VResult KeyCondition(const VExpItem& condition, VSetAcc* set);
  // One scan of the condition's key by a match kind (a single kind, a range or a list).
  VResult KeyScan(const VExpItem& condition, VKeyObject* key, int kind,
                  const std::vector<const uint8_t*>& values, VSetAcc* set);
  VResult ItemCondition(const VExpItem& condition, VSetAcc* set);

  const std::vector<std::unique_ptr<VSMEntry>>& entries_;
  VDBFile& file_;
  const VListMgr* sets_;
  VCioMap* work_;
  size_t position_ = 0;
};

VResult VSetMaker::Evaluator::Sequence(std::unique_ptr<VSetAcc>* running) {
  const VSetAcc* first = nullptr;
  VResult r = Operand(true, running, &first);
  while (r == kVOk && Peek() != nullptr && Peek()->Kind() == VSMEntry::kOperator) {
    const int code = static_cast<const VSMOper*>(Peek())->Code();
    ++position_;
    std::unique_ptr<VSetAcc> owned;
    const VSetAcc* other = nullptr;
    r = Operand(false, &owned, &other);
    if (r != kVOk) break;
    switch (code) {
      case VSMOper::kAnd:
        r = (*running)->And(*other);
        break;
      case VSMOper::kOr:
        r = (*running)->Or(*other);
        break;
      default:
        r = (*running)->AndNot(*other);
        break;
    }
  }
  return r;
}

VResult VSetMaker::Evaluator::Operand(bool first, std::unique_ptr<VSetAcc>* owned,
                                      const VSetAcc** use) {
  const VSMEntry* entry = Peek();
  if (entry == nullptr) return kVStatementFailed;
  ++position_;
  VResult r = kVOk;
  switch (entry->Kind()) {
    case VSMEntry::kStart:
      r = Sequence(owned);
      if (r != kVOk) return r;
      if (Peek() == nullptr || Peek()->Kind() != VSMEntry::kEnd) return kVStatementFailed;
      ++position_;
      break;
    case VSMEntry::kAll:
      *owned = NewSet();
      if (file_.RecordMap() == nullptr) return kVFileNotOpen;
      r = file_.RecordMap()->EnumerateAll((*owned)->MutableMap());
      break;
    case VSMEntry::kNull:
      *owned = NewSet();
      break;
    case VSMEntry::kSet:
      return UserSet(*static_cast<const VExpSet*>(entry), first, owned, use);
    case VSMEntry::kItem: {
      const auto& condition = *static_cast<const VExpItem*>(entry);
      *owned = NewSet();
      r = condition.IsKey() ? KeyCondition(condition, owned->get())
                            : ItemCondition(condition, owned->get());
      break;
    }
    default:
      return kVStatementFailed;
  }
  *use = owned->get();
  return r;
}

VResult VSetMaker::Evaluator::UserSet(const VExpSet& entry, bool first,
                                      std::unique_ptr<VSetAcc>* owned, const VSetAcc** use) {
  auto* set =
      sets_ != nullptr ? static_cast<VSetAcc*>(sets_->Find(entry.Id(), VSetObj::kSet)) : nullptr;
  if (set == nullptr || set->FileNumber() != file_.FileNumber()) return kVStatementFailed;
  if (!first) {
    *use = set;
    return kVOk;
  }
  // The running result changes as the statement goes on: it starts from a copy.
  *owned = NewSet();
  *use = owned->get();
  return (*owned)->CopyFrom(*set);
}

VResult VSetMaker::Evaluator::KeyCondition(const VExpItem& condition, VSetAcc* set) {
  VKeyObject* key = file_.Keys().Key(condition.Number());
  if (key == nullptr) return kVKeyNotOpen;
  const VExpValue& value = condition.Value();
  const uint8_t type = key->ValueType();
  if (value.IsAnyOf()) {
    // Each value is scanned into a set of its own (a scan starts from an empty set), and the
    // sets are joined.
    for (int32_t i = 0; i < value.Count(); ++i) {
      const VValue& one = value.At(i);
      const int kind = one.MatchKind();
      std::vector<uint8_t> bytes;
      if (!KeyValue(one.StoredBytes(type, kind == kVOpEqual, true), &bytes)) {
        return kVStatementFailed;
      }
      std::unique_ptr<VSetAcc> part = NewSet();
      VResult scanned = KeyScan(condition, key, kind, {bytes.data()}, part.get());
      if (scanned == kVOk) scanned = set->Or(*part);
      if (scanned != kVOk) return scanned;
    }
    return kVOk;
  }
  const int kind = value.MatchKind();
  const bool whole =
      kind == VExpValue::kSingle || kind == VExpValue::kRange || kind == VExpValue::kList;
  std::vector<std::vector<uint8_t>> values(static_cast<size_t>(value.Count()));
  for (int32_t i = 0; i < value.Count(); ++i) {
    if (!KeyValue(value.At(i).StoredBytes(type, whole, true), &values[static_cast<size_t>(i)])) {
      return kVStatementFailed;
    }
  }
  std::vector<const uint8_t*> list;
  for (const auto& v : values) list.push_back(v.data());
  return KeyScan(condition, key, kind, list, set);
}

VResult VSetMaker::Evaluator::KeyScan(const VExpItem& condition, VKeyObject* key, int kind,
                                      const std::vector<const uint8_t*>& values, VSetAcc* set) {
  VRMap* map = set->MutableMap();
  const uint8_t* first = values[0];
  switch (kind) {
    case VExpValue::kRange:
      return key->RangeScan(first, values[1], map);
    case VExpValue::kList:
      return key->ListScan(values, map);
    case kVOpEqual:
      return key->EqualScan(first, map);
    case kVOpStartsWith:
      return key->OpScan(kVMatchStarts, first, map);
    case kVOpEndsWith:
      // The reverse tree holds every value turned round: its endings are beginnings there.
      if (VKeyObject* reverse = file_.Keys().Reverse(condition.Number())) {
        return reverse->OpScan(kVMatchStarts, first, map);
      }
      return key->OpScan(kVMatchEnds, first, map);
    case kVOpContains:
      return key->OpScan(kVMatchContains, first, map);
    case kVOpIsPrefixOf:
      return key->OpScan(8 | kVMatchStarts, first, map);
    case kVOpIsSuffixOf:
      return key->OpScan(8 | kVMatchEnds, first, map);
    case kVOpIsPartOf:
      return key->OpScan(8 | kVMatchContains, first, map);
    default:
      return kVStatementFailed;
  }
}

VResult VSetMaker::Evaluator::ItemCondition(const VExpItem& condition, VSetAcc* set) {
  const VSch_DBItem* item = file_.Schema()->ItemByNumber(condition.Number());
  if (item == nullptr) return kVStatementFailed;
  if (file_.DataFile() == nullptr) return kVFileNotOpen;
  const VExpValue& value = condition.Value();
  const int32_t number = condition.Number();
  if (value.IsAnyOf()) {
    // A record is taken when one of its values passes the test of one of the given values.
    std::vector<std::pair<int, std::string>> tests;
    for (int32_t i = 0; i < value.Count(); ++i) {
      const int kind = value.At(i).MatchKind();
      tests.emplace_back(kind, value.At(i).StoredBytes(item->Type(), kind == kVOpEqual, false));
    }
    VPSRead read(file_.DataFile());
    return read.Scan([&](uint32_t r, const uint8_t* image) {
      const VRecordView view(image, static_cast<size_t>(VGetU16(image)) + 2);
      for (const auto& [kind, bytes] : tests) {
        if (view.Match(number, kind, static_cast<int32_t>(bytes.size()),
                       reinterpret_cast<const uint8_t*>(bytes.data()))) {
          return set->Add(r);
        }
      }
      return kVOk;
    });
  }
  const int kind = value.MatchKind();
  std::string operand;
  if (kind == VExpValue::kRange || kind == VExpValue::kList) {
    // Each value as a length byte and its bytes, one after the other.
    for (int32_t i = 0; i < value.Count(); ++i) {
      const std::string bytes = value.At(i).StoredBytes(item->Type(), true, false);
      if (bytes.size() > 255) return kVStatementFailed;
      operand += static_cast<char>(bytes.size());
      operand += bytes;
    }
  } else {
    operand = value.At(0).StoredBytes(item->Type(), kind == kVOpEqual, false);
  }
  const auto* bytes = reinterpret_cast<const uint8_t*>(operand.data());
  const auto length = static_cast<int32_t>(operand.size());
  VPSRead read(file_.DataFile());
  return read.Scan([&](uint32_t r, const uint8_t* image) {
    const VRecordView view(image, static_cast<size_t>(VGetU16(image)) + 2);
    return view.Match(number, kind, length, bytes) ? set->Add(r) : kVOk;
  });
}

VResult VSetMaker::Evaluate(VDBFile& file, const VListMgr* sets, VCioMap* work,
                            std::unique_ptr<VSetAcc>* result) {
  result->reset();
  if (entries_.empty()) return kVStatementFailed;
  if (!file.IsOpen()) return kVFileNotOpen;
  Evaluator evaluator(entries_, file, sets, work);
  std::unique_ptr<VSetAcc> made;
  VResult r = evaluator.Run(&made);
  if (r != kVOk) {
    LogFormat("VSetMaker::Evaluate ec:%d", static_cast<int>(r));
    return kVStatementFailed;
  }
  *result = std::move(made);
  return kVOk;
}
