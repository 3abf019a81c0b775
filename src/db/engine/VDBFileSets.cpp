#include "db/engine/VDBFileSets.h"

#include <memory>
#include <string>

#include "db/engine/VSetAcc.h"
#include "db/engine/VSetMaker.h"
#include "db/engine/VSorter.h"
#include "db/store/VDBFile.h"
#include "db/store/VListMgr.h"
#include "db/store/VWorkFiles.h"

namespace {

VSetAcc* FindSet(const VListMgr* sets, int32_t id, int32_t fileNumber) {
  if (sets == nullptr) return nullptr;
  auto* set = static_cast<VSetAcc*>(sets->Find(id, VSetObj::kSet));
  return set != nullptr && set->FileNumber() == fileNumber ? set : nullptr;
}

// Parses, resolves and evaluates a statement over the file.
VResult MakeSet(VDBFile& file, const VListMgr* sets, VWorkFiles* work,
                std::span<const uint8_t> statement, std::unique_ptr<VSetAcc>* set) {
  VSetMaker maker;
  VResult result = maker.Parse(statement);
  if (result == kVOk) result = maker.Resolve(*file.Schema());
  if (result == kVOk) result = maker.Evaluate(file, sets, work->WorkSet(), set);
  return result;
}

}  // namespace

VResult VDBFileSets::SetMake(std::span<const uint8_t> statement, int32_t* id, uint32_t* size) {
  if (!file_->IsOpen()) return kVFileNotOpen;
  std::unique_ptr<VSetAcc> set;
  VResult result = MakeSet(*file_, sets_, work_, statement, &set);
  if (result != kVOk) return result;
  set->MarkUserSet();
  set->SetStatement(std::string(reinterpret_cast<const char*>(statement.data()), statement.size()));
  *size = set->Size();
  *id = sets_->Add(std::move(set));
  return kVOk;
}

VResult VDBFileSets::SetCount(std::span<const uint8_t> statement, uint32_t* count,
                              uint32_t* first) {
  *count = 0;
  *first = 0;
  if (!file_->IsOpen()) return kVFileNotOpen;
  std::unique_ptr<VSetAcc> set;
  VResult result = MakeSet(*file_, sets_, work_, statement, &set);
  if (result == kVStatementFailed) return kVCountFailed;
  if (result != kVOk) return result;
  *count = set->Size();
  *first = set->Map().Next(0);
  return kVOk;
}

VResult VDBFileSets::SetSize(int32_t id, uint32_t* size) {
  VSetAcc* set = FindSet(sets_, id, file_->FileNumber());
  if (set == nullptr) return kVNoSuchSet;
  *size = set->Size();
  return kVOk;
}

VResult VDBFileSets::SetRGet(int32_t id, uint32_t index, uint32_t* r, std::vector<uint8_t>* image) {
  VSetAcc* set = FindSet(sets_, id, file_->FileNumber());
  if (set == nullptr) return kVNoSuchSet;
  *r = index < set->Size() ? set->At(index) : 0;
  if (*r == 0) return kVPositionOutside;
  return image != nullptr ? file_->GetRecord(*r, image) : kVOk;
}

VResult VDBFileSets::SetRAdd(int32_t id, uint32_t r) {
  VSetAcc* set = FindSet(sets_, id, file_->FileNumber());
  return set != nullptr ? set->Insert(r) : kVNoSuchSet;
}

VResult VDBFileSets::SetRAdd(int32_t id, std::span<const uint8_t> numbers) {
  VSetAcc* set = FindSet(sets_, id, file_->FileNumber());
  return set != nullptr ? set->Insert(numbers) : kVNoSuchSet;
}

VResult VDBFileSets::SetRDel(int32_t id, uint32_t r) {
  VSetAcc* set = FindSet(sets_, id, file_->FileNumber());
  return set != nullptr ? set->Delete(r) : kVNoSuchSet;
}

VResult VDBFileSets::SetRDel(int32_t id, std::span<const uint8_t> numbers) {
  VSetAcc* set = FindSet(sets_, id, file_->FileNumber());
  return set != nullptr ? set->Delete(numbers) : kVNoSuchSet;
}

VResult VDBFileSets::SetSort(int32_t id, std::span<const uint8_t> description) {
  if (!file_->IsOpen()) return kVFileNotOpen;
  VSetAcc* set = FindSet(sets_, id, file_->FileNumber());
  // The work tree is made only for a sort that may need it (one beyond the member list).
  VCioMap* tree = set != nullptr && set->Size() > kVMemorySort ? work_->WorkTree() : nullptr;
  return VSortSet(*file_, set, description, tree);
}

VResult VDBFileSets::SortCancel(int32_t id) {
  VSetAcc* set = FindSet(sets_, id, file_->FileNumber());
  if (set == nullptr) return kVNoSuchSet;
  set->SortCancel();
  return kVOk;
}

VResult VDBFileSets::SetCancel(int32_t id) {
  if (FindSet(sets_, id, file_->FileNumber()) == nullptr) return kVNoSuchSet;
  sets_->Remove(id);
  return kVOk;
}
