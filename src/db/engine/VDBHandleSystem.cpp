// VDBHandle: the items of stored records, the data dictionary, the user file, the value file and
// long data kept in it.
#include <algorithm>

#include "base/VDebug.h"
#include "base/VEndian.h"
#include "base/VFile.h"
#include "base/VStream.h"
#include "db/engine/VDBHandle.h"
#include "db/engine/VDBHandleRun.h"
#include "db/engine/VEngineCodes.h"
#include "db/store/VDBCodes.h"

using vdbhandle::Field;

namespace {

void AddRef(VDML& request, const VItemRef& ref) {
  uint8_t bytes[5];
  VPutU24(bytes, ref.record);
  bytes[3] = static_cast<uint8_t>(ref.item);
  bytes[4] = static_cast<uint8_t>(ref.occurrence);
  request.AddPiece(std::span<const uint8_t>(bytes, 5));
}

}  // namespace

// ---- items of a stored record ----

VResult VDBHandle::ItemCount(int32_t fileNumber, uint32_t r, int32_t* count) {
  return Run(
      VCode::kItemCount,
      [&](VDML& q) {
        q.Set(VDML::kFID, fileNumber);
        q.Set(VDML::kRID, static_cast<int32_t>(r));
      },
      [&](const VDML& a) { return Field(a, VDML::kQTY, count) ? kVOk : kVAnswerNoQuantity; });
}

VResult VDBHandle::ItemNumberAt(int32_t fileNumber, uint32_t r, int32_t index, int32_t* item) {
  return Run(
      VCode::kItemNumberAt,
      [&](VDML& q) {
        q.Set(VDML::kFID, fileNumber);
        q.Set(VDML::kRID, static_cast<int32_t>(r));
        q.Set(VDML::kIDX, index);
      },
      [&](const VDML& a) { return Field(a, VDML::kKID, item) ? kVOk : kVAnswerMissing; });
}

VResult VDBHandle::ValueCount(int32_t fileNumber, uint32_t r, int32_t item, int32_t* count) {
  return Run(
      VCode::kValueCount,
      [&](VDML& q) {
        q.Set(VDML::kFID, fileNumber);
        q.Set(VDML::kRID, static_cast<int32_t>(r));
        q.Set(VDML::kKID, item);
      },
      [&](const VDML& a) { return Field(a, VDML::kQTY, count) ? kVOk : kVAnswerNoQuantity; });
}

VResult VDBHandle::ValueLength(int32_t fileNumber, uint32_t r, int32_t item, int32_t occurrence,
                               int32_t* length) {
  return Run(
      VCode::kValueLength,
      [&](VDML& q) {
        q.Set(VDML::kFID, fileNumber);
        q.Set(VDML::kRID, static_cast<int32_t>(r));
        q.Set(VDML::kKID, item);
        q.Set(VDML::kIDX, occurrence);
      },
      [&](const VDML& a) { return Field(a, VDML::kQTY, length) ? kVOk : kVAnswerNoQuantity; });
}

VResult VDBHandle::ValueType(int32_t fileNumber, uint32_t r, int32_t item, int32_t occurrence,
                             int32_t* type) {
  return Run(
      VCode::kValueType,
      [&](VDML& q) {
        q.Set(VDML::kFID, fileNumber);
        q.Set(VDML::kRID, static_cast<int32_t>(r));
        q.Set(VDML::kKID, item);
        q.Set(VDML::kIDX, occurrence);
      },
      [&](const VDML& a) { return Field(a, VDML::kOPT, type) ? kVOk : kVAnswerMissing; });
}

VResult VDBHandle::GetItem(int32_t fileNumber, uint32_t r, int32_t item, int32_t occurrence,
                           std::vector<uint8_t>* bytes) {
  return Run(
      VCode::kGetItem,
      [&](VDML& q) {
        q.Set(VDML::kFID, fileNumber);
        q.Set(VDML::kRID, static_cast<int32_t>(r));
        q.Set(VDML::kKID, item);
        q.Set(VDML::kIDX, occurrence);
      },
      [&](const VDML& a) {
        if (a.PieceCount() < 1) return kVAnswerMissing;
        const std::span<const uint8_t> piece = a.Piece(0);
        bytes->assign(piece.begin(), piece.end());
        return kVOk;
      });
}

VResult VDBHandle::CompareItems(int32_t fileNumber, const VItemRef& first, const VItemRef& second,
                                int32_t* order) {
  return Run(
      VCode::kCompareItems,
      [&](VDML& q) {
        q.Set(VDML::kFID, fileNumber);
        AddRef(q, first);
        AddRef(q, second);
      },
      [&](const VDML& a) { return Field(a, VDML::kQTY, order) ? kVOk : kVAnswerNoQuantity; });
}

VResult VDBHandle::ItemText(int32_t fileNumber, const VItemRef& ref, std::string* text) {
  return Run(
      VCode::kItemText,
      [&](VDML& q) {
        q.Set(VDML::kFID, fileNumber);
        AddRef(q, ref);
      },
      [&](const VDML& a) {
        if (a.PieceCount() < 1) return kVAnswerMissing;
        text->assign(a.PieceText(0));
        return kVOk;
      });
}

// ---- data dictionary ----

VResult VDBHandle::GetInfo(std::string* name, std::string* desc, std::vector<uint32_t>* files) {
  return Run(
      VCode::kDBD_GetInfo, [](VDML&) {},
      [&](const VDML& a) {
        if (a.PieceCount() < 1) return kVAnswerMissing;
        *name = a.Text(VDML::kNAME);
        *desc = a.Text(VDML::kDESC);
        const std::span<const uint8_t> numbers = a.Piece(0);
        files->clear();
        for (size_t at = 0; at + 3 <= numbers.size(); at += 3) {
          files->push_back(VGetU24(numbers.data() + at));
        }
        return kVOk;
      });
}

VResult VDBHandle::SetInfo(std::string_view name, std::string_view desc) {
  return Run(VCode::kDBD_SetInfo, [&](VDML& q) {
    q.SetText(VDML::kNAME, name);
    q.SetText(VDML::kDESC, desc);
  });
}

VResult VDBHandle::AppendSchema(std::string_view fileSchemaText) {
  return Run(VCode::kDBD_Append, [&](VDML& q) { q.AddPiece(fileSchemaText); });
}

VResult VDBHandle::FetchSchema(int32_t fileNumber, std::string* text) {
  return Run(
      VCode::kDBD_Fetch, [&](VDML& q) { q.Set(VDML::kFID, fileNumber); },
      [&](const VDML& a) {
        if (a.PieceCount() < 1) return kVAnswerMissing;
        text->assign(a.PieceText(0));
        return kVOk;
      });
}

VResult VDBHandle::RemoveSchema(int32_t fileNumber) {
  return Run(VCode::kDBD_Remove, [&](VDML& q) { q.Set(VDML::kFID, fileNumber); });
}

// ---- user file ----

VResult VDBHandle::AddUser(std::string_view name, std::string_view password, int32_t access,
                           int32_t update) {
  return Run(VCode::kDBU_Insert, [&](VDML& q) {
    q.SetText(VDML::kNAME, name);
    q.SetText(VDML::kPWD, password);
    q.Set(VDML::kACC, access);
    q.Set(VDML::kUpd, update);
  });
}

VResult VDBHandle::DeleteUser(std::string_view name) {
  return Run(VCode::kDBU_Delete, [&](VDML& q) { q.SetText(VDML::kNAME, name); });
}

VResult VDBHandle::GetUser(std::string_view name, std::string* password, int32_t* access,
                           int32_t* update) {
  return Run(
      VCode::kDBU_Get, [&](VDML& q) { q.SetText(VDML::kNAME, name); },
      [&](const VDML& a) {
        int32_t acc = 0;
        int32_t upd = 0;
        if (!a.Has(VDML::kPWD) || !Field(a, VDML::kACC, &acc) || !Field(a, VDML::kUpd, &upd)) {
          return kVAnswerMissing;
        }
        *password = a.Text(VDML::kPWD);
        *access = acc;
        *update = upd;
        return kVOk;
      });
}

// ---- value file ----

VResult VDBHandle::ValuePieceLength(int32_t* length) {
  return Run(
      VCode::kDBV_Length, [](VDML&) {},
      [&](const VDML& a) { return Field(a, VDML::kQTY, length) ? kVOk : kVValueNoLength; });
}

VResult VDBHandle::NewValue(int32_t* valueId) {
  return Run(
      VCode::kDBV_New, [](VDML&) {},
      [&](const VDML& a) { return Field(a, VDML::kVID, valueId) ? kVOk : kVValueNoId; });
}

VResult VDBHandle::InsertValuePiece(int32_t valueId, std::span<const uint8_t> piece) {
  return Run(VCode::kDBV_Insert, [&](VDML& q) {
    q.Set(VDML::kVID, valueId);
    q.AddPiece(piece);
  });
}

VResult VDBHandle::DeleteValue(int32_t valueId) {
  return Run(VCode::kDBV_Delete, [&](VDML& q) { q.Set(VDML::kVID, valueId); });
}

VResult VDBHandle::MakeValueSet(int32_t valueId, int32_t* set, uint32_t* pieces) {
  return Run(
      VCode::kDBV_SMake, [&](VDML& q) { q.Set(VDML::kVID, valueId); },
      [&](const VDML& a) {
        int32_t id = 0;
        uint32_t count = 0;
        if (!Field(a, VDML::kSID, &id) || !Field(a, VDML::kQTY, &count)) return kVValueNoSet;
        *set = id;
        *pieces = count;
        return kVOk;
      });
}

VResult VDBHandle::GetValuePiece(int32_t set, uint32_t index, std::vector<uint8_t>* piece) {
  return Run(
      VCode::kDBV_SGet,
      [&](VDML& q) {
        q.Set(VDML::kSID, set);
        q.Set(VDML::kIDX, static_cast<int32_t>(index));
      },
      [&](const VDML& a) {
        if (a.PieceCount() < 1) return kVValueNoPiece;
        const std::span<const uint8_t> bytes = a.Piece(0);
        piece->assign(bytes.begin(), bytes.end());
        return kVOk;
      });
}

VResult VDBHandle::CancelValueSet(int32_t set) {
  return Run(VCode::kDBV_SCancel, [&](VDML& q) { q.Set(VDML::kSID, set); });
}

// ---- long data ----

VResult VDBHandle::StoreData(VStream& source, uint32_t* id, uint32_t* size) {
  int32_t pieceLength = 0;
  VResult result = ValuePieceLength(&pieceLength);
  if (result != kVOk) return result;
  if (pieceLength <= 0) return kVLongDataFull;
  int32_t valueId = 0;
  result = NewValue(&valueId);
  if (result != kVOk) return result;
  // The descriptor has room for a 24-bit identifier only.
  if (valueId <= 0 || valueId > 0xFFFFFF) return kVLongDataFull;
  std::vector<uint8_t> piece(static_cast<size_t>(pieceLength));
  uint64_t total = 0;
  while (result == kVOk) {
    int32_t filled = 0;
    while (filled < pieceLength) {
      const int32_t got = source.Read(piece.data() + filled, pieceLength - filled);
      if (got <= 0) break;
      filled += got;
    }
    if (filled == 0) break;
    total += static_cast<uint64_t>(filled);
    if (total > 0xFFFFFFFFu) {
      result = kVLongDataFull;
      break;
    }
    result = InsertValuePiece(valueId, {piece.data(), static_cast<size_t>(filled)});
    if (filled < pieceLength) break;
  }
  if (result != kVOk) {
    // The pieces stored so far belong to nothing; the first failure stays the answer.
    if (DeleteValue(valueId) != kVOk) {
      LogFormat("...ERROR... VDBHandle could not remove the pieces of value %ld",
                static_cast<long>(valueId));
    }
    return result;
  }
  *id = static_cast<uint32_t>(valueId);
  *size = static_cast<uint32_t>(total);
  return kVOk;
}

VResult VDBHandle::FetchData(uint32_t id, VStream& sink) {
  int32_t set = 0;
  uint32_t pieces = 0;
  VResult result = MakeValueSet(static_cast<int32_t>(id), &set, &pieces);
  if (result != kVOk) return result;
  std::vector<uint8_t> piece;
  for (uint32_t i = 0; i < pieces && result == kVOk; ++i) {
    result = GetValuePiece(set, i, &piece);
    if (result == kVOk && !piece.empty() &&
        sink.Write(piece.data(), static_cast<int32_t>(piece.size())) !=
            static_cast<int32_t>(piece.size())) {
      result = kVWriteFailed;
    }
  }
  VResult cancelled = CancelValueSet(set);
  return result != kVOk ? result : cancelled;
}

VResult VDBHandle::FreeData(uint32_t id) { return DeleteValue(static_cast<int32_t>(id)); }
