#include "db/engine/VDB_Value.h"

#include <cstdio>

#include "base/VDebug.h"
#include "db/engine/VABoss.h"
#include "db/engine/VCMD.h"
#include "db/engine/VEngineCodes.h"
#include "db/engine/VSysRecord.h"
#include "db/engine/VUQue.h"
#include "db/schema/VConfig.h"
#include "db/schema/VRecord.h"
#include "db/schema/VSchema.h"
#include "db/schema/VSystemSchemas.h"
#include "db/store/VCash.h"
#include "db/store/VDBFile.h"

namespace {

constexpr size_t kMaxRun = 127;

std::string ValueStatement(int32_t valueId) {
  char text[48];
  std::snprintf(text, sizeof text, "[1] = \"%ld\";", static_cast<long>(valueId));
  return text;
}

}  // namespace

std::vector<uint8_t> VCompressPiece(std::span<const uint8_t> piece) {
  std::vector<uint8_t> out;
  out.reserve(piece.size() + piece.size() / kMaxRun + 2);
  size_t literalStart = 0;
  size_t literalControl = 0;
  bool inLiteral = false;
  size_t i = 0;
  while (i < piece.size()) {
    size_t run = 1;
    while (i + run < piece.size() && run < kMaxRun && piece[i + run] == piece[i]) ++run;
    // Three equal bytes and more pay as a repeat run; fewer stay literal.
    if (run >= 3) {
      inLiteral = false;
      out.push_back(static_cast<uint8_t>(run));
      out.push_back(piece[i]);
      i += run;
      continue;
    }
    if (!inLiteral || i - literalStart >= kMaxRun) {
      inLiteral = true;
      literalStart = i;
      literalControl = out.size();
      out.push_back(0x80);
    }
    out.push_back(piece[i]);
    ++out[literalControl];
    ++i;
  }
  return out;
}

bool VExpandPiece(std::span<const uint8_t> stored, std::vector<uint8_t>* piece) {
  piece->clear();
  size_t i = 0;
  while (i < stored.size()) {
    const uint8_t control = stored[i++];
    if (control & 0x80) {
      const size_t count = control & 0x7F;
      if (i + count > stored.size()) return false;
      piece->insert(piece->end(), stored.begin() + static_cast<std::ptrdiff_t>(i),
                    stored.begin() + static_cast<std::ptrdiff_t>(i + count));
      i += count;
    } else {
      if (i >= stored.size()) return false;
      piece->insert(piece->end(), control, stored[i++]);
    }
  }
  return true;
}

VDB_Value::VDB_Value(VABoss* engine) : VDB_A(engine, VSystemSchema(kVSchemaValueFile)) {}

int32_t VDB_Value::PieceLength() const {
  if (!open_) return 0;
  const int32_t length = file_->MacRLength() / 256 * 256 - 256;
  return length > 0 ? length : 0;
}

VResult VDB_Value::ExecuteCommand(VCMD& command) {
  if (!open_) return kVFileNotOpen;
  // A change and its log record are one operation for the cache (see VDB_DM).
  VCashUpdate operation(engine_->Cache());
  VResult result = Run(command);
  VResult ended = operation.End();
  return result == kVOk ? ended : result;
}

VResult VDB_Value::Run(VCMD& command) {
  const VDML& request = command.Request();
  VDML& answer = command.Answer();
  VUQue* user = command.Queue();
  const int32_t valueId = request.Value(VDML::kVID);
  std::vector<uint8_t> image;
  switch (command.Code()) {
    case VCode::kDBV_Length:
      answer.Set(VDML::kQTY, PieceLength());
      return kVOk;
    case VCode::kDBV_New:
      answer.Set(VDML::kVID, static_cast<int32_t>(file_->GetUnique(0)));
      return kVOk;
    case VCode::kDBV_Insert: {
      const std::span<const uint8_t> piece =
          request.PieceCount() > 0 ? request.Piece(0) : std::span<const uint8_t>();
      std::vector<uint8_t> compressed = VCompressPiece(piece);
      const bool packed = compressed.size() < piece.size();
      const std::span<const uint8_t> bytes = packed ? std::span<const uint8_t>(compressed) : piece;
      VPackBlock block;
      block.Int(valueId, 4).Text(packed ? "1" : "0").Bytes(bytes);
      char format[64];
      if (bytes.empty()) {
        std::snprintf(format, sizeof format, "[1] %%4i [2] %%nn;");
      } else {
        std::snprintf(format, sizeof format, "[1] %%4i [2] %%nn [3] %%%dp;",
                      static_cast<int>(bytes.size()));
      }
      VRecord record(static_cast<int32_t>(bytes.size()) + 64);
      VResult result = block.PackInto(record, format);
      if (result != kVOk) return result;
      const std::span<const uint8_t> stored(record.Image(),
                                            static_cast<size_t>(record.ImageLength()));
      uint32_t r = 0;
      result = file_->InsRecord(user, stored, &r);
      if (result != kVOk || engine_->TransactionLogFile() == nullptr) return result;
      result = internal_.RecordChange(user, kInternalNumber, r, VDIHandle::kInsert, {}, stored);
      if (result != kVOk && file_->I_DelRecord(r) != kVOk) {
        LogFormat("...ERROR... VDB_Value::Insert take back ec:%d", result);
        throw VFailure(-1);
      }
      return result;
    }
    case VCode::kDBV_Delete: {
      std::vector<uint32_t> records;
      VResult result = Query(*user, ValueStatement(valueId), &records);
      const bool logged = engine_->TransactionLogFile() != nullptr;
      for (size_t i = 0; i < records.size() && result == kVOk; ++i) {
        if (logged) {
          if (user->HeldByOther(FileNumber(), records[i])) return kVNotHolder;
          result = file_->GetRecord(records[i], &image);
          if (result != kVOk) break;
        }
        result = file_->DelRecord(user, records[i]);
        if (result != kVOk || !logged) continue;
        result = internal_.RecordChange(user, kInternalNumber, records[i], VDIHandle::kDelete,
                                        image, {});
        if (result != kVOk) {
          uint32_t number = records[i];
          if (file_->I_InsRecord(image, &number) != kVOk) {
            LogFormat("...ERROR... VDB_Value::Delete take back ec:%d", result);
            throw VFailure(-1);
          }
        }
      }
      return result;
    }
    case VCode::kDBV_SMake: {
      const std::string statement = ValueStatement(valueId);
      int32_t id = 0;
      uint32_t size = 0;
      VResult result =
          FileSets(&user->Sets())
              .SetMake({reinterpret_cast<const uint8_t*>(statement.data()), statement.size()}, &id,
                       &size);
      if (result == kVOk) {
        answer.Set(VDML::kSID, id);
        answer.Set(VDML::kQTY, static_cast<int32_t>(size));
      }
      return result;
    }
    case VCode::kDBV_SGet: {
      uint32_t r = 0;
      VResult result = FileSets(&user->Sets())
                           .SetRGet(request.Value(VDML::kSID),
                                    static_cast<uint32_t>(request.Value(VDML::kIDX)), &r, &image);
      if (result != kVOk) return result;
      const VRecordView view(image.data(), image.size());
      VValueRef flag;
      VValueRef bytes;
      if (view.ValueRef(2, 1, &flag) != kVOk || flag.length != 1) return kVBadValuePiece;
      if (view.ValueRef(3, 1, &bytes) != kVOk) bytes = VValueRef();
      const std::span<const uint8_t> stored(bytes.bytes, bytes.length);
      if (flag.bytes[0] == '0') {
        answer.AddPiece(stored);
        return kVOk;
      }
      std::vector<uint8_t> piece;
      if (flag.bytes[0] != '1' || !VExpandPiece(stored, &piece)) return kVBadValuePiece;
      answer.AddPiece(piece);
      return kVOk;
    }
    case VCode::kDBV_SCancel:
      return FileSets(&user->Sets()).SetCancel(request.Value(VDML::kSID));
    default:
      return kVUnknownCommand;
  }
}
