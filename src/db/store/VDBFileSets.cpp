// VDBFile: the sets of the file and its physical sequential reads, kept in a user's list.
#include <memory>

#include "db/engine/VListMgr.h"
#include "db/engine/VSetAcc.h"
#include "db/engine/VSetMaker.h"
#include "db/engine/VSorter.h"
#include "db/schema/VConfig.h"
#include "db/store/VDBFile.h"
#include "db/store/VPSRead.h"

namespace {

VSetAcc* FindSet(const VListMgr* sets, int32_t id, int32_t fileNumber) {
  if (sets == nullptr) return nullptr;
  auto* set = static_cast<VSetAcc*>(sets->Find(id, VSetObj::kSet));
  return set != nullptr && set->FileNumber() == fileNumber ? set : nullptr;
}

VPSRead* FindRead(const VListMgr* sets, int32_t id, int32_t fileNumber) {
  if (sets == nullptr) return nullptr;
  auto* read = static_cast<VPSRead*>(sets->Find(id, VSetObj::kPhysicalRead));
  return read != nullptr && read->FileNumber() == fileNumber ? read : nullptr;
}

// Parses, resolves and evaluates a statement over the file.
VResult MakeSet(VDBFile& file, const VListMgr* sets, std::span<const uint8_t> statement,
                std::unique_ptr<VSetAcc>* set) {
  VSetMaker maker;
  VResult result = maker.Parse(statement);
  if (result == kVOk) result = maker.Resolve(*file.Schema());
  if (result == kVOk) result = maker.Evaluate(file, sets, file.Config()->WorkSet(), set);
  return result;
}

}  // namespace

VResult VDBFile::SetMake(VListMgr* sets, std::span<const uint8_t> statement, int32_t* id,
                         uint32_t* size) {
  if (!open_) return kVFileNotOpen;
  std::unique_ptr<VSetAcc> set;
  VResult result = MakeSet(*this, sets, statement, &set);
  if (result != kVOk) return result;
  set->MarkUserSet();
  set->SetStatement(std::string(reinterpret_cast<const char*>(statement.data()), statement.size()));
  *size = set->Size();
  *id = sets->Add(std::move(set));
  return kVOk;
}

VResult VDBFile::SetCount(const VListMgr* sets, std::span<const uint8_t> statement, uint32_t* count,
                          uint32_t* first) {
  *count = 0;
  *first = 0;
  if (!open_) return kVFileNotOpen;
  std::unique_ptr<VSetAcc> set;
  VResult result = MakeSet(*this, sets, statement, &set);
  if (result == kVStatementFailed) return kVCountFailed;
  if (result != kVOk) return result;
  *count = set->Size();
  *first = set->Map().Next(0);
  return kVOk;
}

VResult VDBFile::SetSize(VListMgr* sets, int32_t id, uint32_t* size) {
  VSetAcc* set = FindSet(sets, id, FileNumber());
  if (set == nullptr) return kVNoSuchSet;
  *size = set->Size();
  return kVOk;
}

VResult VDBFile::SetRGet(VListMgr* sets, int32_t id, uint32_t index, uint32_t* r,
                         std::vector<uint8_t>* image) {
  VSetAcc* set = FindSet(sets, id, FileNumber());
  if (set == nullptr) return kVNoSuchSet;
  *r = index < set->Size() ? set->At(index) : 0;
  if (*r == 0) return kVPositionOutside;
  return image != nullptr ? GetRecord(*r, image) : kVOk;
}

VResult VDBFile::SetRAdd(VListMgr* sets, int32_t id, uint32_t r) {
  VSetAcc* set = FindSet(sets, id, FileNumber());
  return set != nullptr ? set->Insert(r) : kVNoSuchSet;
}

VResult VDBFile::SetRAdd(VListMgr* sets, int32_t id, std::span<const uint8_t> numbers) {
  VSetAcc* set = FindSet(sets, id, FileNumber());
  return set != nullptr ? set->Insert(numbers) : kVNoSuchSet;
}

VResult VDBFile::SetRDel(VListMgr* sets, int32_t id, uint32_t r) {
  VSetAcc* set = FindSet(sets, id, FileNumber());
  return set != nullptr ? set->Delete(r) : kVNoSuchSet;
}

VResult VDBFile::SetRDel(VListMgr* sets, int32_t id, std::span<const uint8_t> numbers) {
  VSetAcc* set = FindSet(sets, id, FileNumber());
  return set != nullptr ? set->Delete(numbers) : kVNoSuchSet;
}

VResult VDBFile::SetSort(VListMgr* sets, int32_t id, std::span<const uint8_t> description) {
  if (!open_) return kVFileNotOpen;
  VSetAcc* set = FindSet(sets, id, FileNumber());
  // The work tree is made only for a sort that needs it.
  VCioMap* tree = set != nullptr && set->Size() > kVMemorySort ? config_->WorkTree() : nullptr;
  return VSortSet(*this, set, description, tree);
}

VResult VDBFile::SortCancel(VListMgr* sets, int32_t id) {
  VSetAcc* set = FindSet(sets, id, FileNumber());
  if (set == nullptr) return kVNoSuchSet;
  set->SortCancel();
  return kVOk;
}

VResult VDBFile::SetCancel(VListMgr* sets, int32_t id) {
  if (FindSet(sets, id, FileNumber()) == nullptr) return kVNoSuchSet;
  sets->Remove(id);
  return kVOk;
}

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
