#include "db/engine/VDML.h"

#include <cstdio>

#include "base/VEndian.h"

namespace {

const char* const kFieldNames[VDML::kFieldCount] = {"VCODE", "ECODE", "NAME", "DESC", "PWD",
                                                    "FID",   "RID",   "KID",  "SID",  "IDX",
                                                    "QTY",   "OPT",   "VID",  "ACC",  "Upd"};

const std::string kEmpty;

}  // namespace

const char* VDML::FieldName(Field field) { return field < kFieldCount ? kFieldNames[field] : ""; }

void VDML::Clear() {
  // Only the texts that are present can hold anything.
  for (int field = kNAME; field <= kPWD; ++field) {
    if (Has(static_cast<Field>(field))) texts_[field - kNAME].clear();
  }
  present_ = 0;
  ClearPieces();
}

void VDML::SetText(Field field, std::string_view text) {
  if (!IsText(field)) return;
  texts_[field - kNAME].assign(text);
  present_ |= static_cast<uint16_t>(1u << field);
}

const std::string& VDML::Text(Field field) const {
  return IsText(field) && Has(field) ? texts_[field - kNAME] : kEmpty;
}

void VDML::AddPiece(std::span<const uint8_t> bytes) {
  starts_.push_back(static_cast<uint32_t>(data_.size()));
  lengths_.push_back(static_cast<uint32_t>(bytes.size()));
  data_.insert(data_.end(), bytes.begin(), bytes.end());
}

void VDML::AddPiece(std::string_view text) {
  AddPiece({reinterpret_cast<const uint8_t*>(text.data()), text.size()});
}

void VDML::AddRecordPiece(std::span<const uint8_t> image) {
  if (image.size() < 2) {
    AddPiece(std::span<const uint8_t>());
    return;
  }
  size_t body = VGetU16(image.data());
  if (body > image.size() - 2) body = image.size() - 2;
  AddPiece(image.subspan(2, body));
}

void VDML::AddNumbersPiece(std::span<const uint32_t> numbers) {
  starts_.push_back(static_cast<uint32_t>(data_.size()));
  lengths_.push_back(static_cast<uint32_t>(numbers.size() * 3));
  for (uint32_t r : numbers) {
    uint8_t bytes[3];
    VPutU24(bytes, r);
    data_.insert(data_.end(), bytes, bytes + 3);
  }
}

std::span<const uint8_t> VDML::Piece(int32_t index) const {
  if (index < 0 || index >= PieceCount()) return {};
  return {data_.data() + starts_[static_cast<size_t>(index)], lengths_[static_cast<size_t>(index)]};
}

std::string_view VDML::PieceText(int32_t index) const {
  std::span<const uint8_t> piece = Piece(index);
  return {reinterpret_cast<const char*>(piece.data()), piece.size()};
}

bool VDML::RecordImage(int32_t index, std::vector<uint8_t>* image) const {
  if (index < 0 || index >= PieceCount()) return false;
  std::span<const uint8_t> body = Piece(index);
  if (body.size() > 0xFFFF) return false;
  image->resize(body.size() + 2);
  VPutU16(image->data(), static_cast<uint16_t>(body.size()));
  std::copy(body.begin(), body.end(), image->begin() + 2);
  return true;
}

void VDML::ClearPieces() {
  data_.clear();
  lengths_.clear();
  starts_.clear();
}

std::string VDML::Describe(bool withCode) const {
  std::string out;
  char number[48];
  auto separate = [&out] {
    if (!out.empty()) out += ' ';
  };
  for (int f = 0; f < kFieldCount; ++f) {
    const Field field = static_cast<Field>(f);
    if (!Has(field) || (field == kVCODE && !withCode)) continue;
    separate();
    out += kFieldNames[f];
    out += '=';
    if (IsText(field)) {
      out += '"';
      out += texts_[f - kNAME];
      out += '"';
    } else {
      std::snprintf(number, sizeof number, "%ld", static_cast<long>(numbers_[f]));
      out += number;
    }
  }
  for (uint32_t length : lengths_) {
    separate();
    std::snprintf(number, sizeof number, "BFL=%lu", static_cast<unsigned long>(length));
    out += number;
  }
  return out;
}
