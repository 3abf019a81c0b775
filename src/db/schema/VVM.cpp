#include "db/schema/VVM.h"

#include <atomic>
#include <mutex>

#include "base/VSjis.h"

namespace {

std::atomic<VVM*> gRegistry{nullptr};
std::mutex gRegistryLock;

bool EqualsIgnoringCase(std::string_view a, const char* b) {
  size_t i = 0;
  for (; i < a.size(); ++i) {
    if (b[i] == '\0' ||
        VToUpper(static_cast<uint8_t>(a[i])) != VToUpper(static_cast<uint8_t>(b[i]))) {
      return false;
    }
  }
  return b[i] == '\0';
}

}  // namespace

VVM& VVM::Instance() {
  VVM* registry = gRegistry.load(std::memory_order_acquire);
  if (registry) return *registry;
  std::lock_guard<std::mutex> lock(gRegistryLock);
  registry = gRegistry.load(std::memory_order_relaxed);
  if (!registry) {
    registry = new VVM();
    gRegistry.store(registry, std::memory_order_release);
  }
  return *registry;
}

void VVM::Shutdown() {
  std::lock_guard<std::mutex> lock(gRegistryLock);
  delete gRegistry.exchange(nullptr);
}

VVM::VVM() {
  Register(new VVDDDate());
  Register(new VVDDTime());
  Register(new VVDDDateTime());
  Register(new VVDDFlag());
  Register(new VVDDChar());
  Register(new VVDDString());
  Register(new VVDDLString());
  Register(new VVDDNumber());
  Register(new VVDDInteger());
  Register(new VVDDBinary());
  Register(new VVDDPacket());
  Register(new VVDD_Long(kVTypeFile, "File"));
  Register(new VVDD_Long(kVTypeMacFile, "MacFile"));
  Register(new VVDD_Long(kVTypeText, "Text"));
  Register(new VVDD_Long(kVTypeHTML, "HTML"));
  Register(new VVDD_Long(kVTypePDF, "PDF"));
  Register(new VVDD_Long(kVTypeJPEG, "JPEG"));
  Register(new VVDD_Long(kVTypeGIF, "GIF"));
  Register(new VVDD_Long(kVTypePNG, "PNG"));
  Register(new VVDD_Long(kVTypePICT, "PICT"));
  Register(new VVDD_Long(kVTypeBMP, "BMP"));
}

VVM::~VVM() { DeleteAll(); }

void VVM::Register(VVDD* type) {
  Append(type);
  byCode_[type->Code()] = type;
}

bool VVM::TypeName(int code, const char** name) const {
  const VVDD* type = Type(code);
  if (!type) return false;
  *name = type->Name();
  return true;
}

bool VVM::TypeCode(std::string_view name, uint8_t* code) const {
  for (int32_t i = 0; i < Count(); ++i) {
    const VVDD* type = AtAs<VVDD>(i);
    if (EqualsIgnoringCase(name, type->Name())) {
      *code = type->Code();
      return true;
    }
  }
  return false;
}

const char* VVM::KeyTypeName(int code) const {
  return VIsKeyType(code) && Type(code) ? Type(code)->Name() : nullptr;
}

uint8_t VVM::KeyTypeCode(std::string_view text) const {
  size_t n = 0;
  while (n < text.size() && (VIsUpper(text[n]) || VIsLower(text[n]))) ++n;
  uint8_t code = 0;
  if (!TypeCode(text.substr(0, n), &code) || !VIsKeyType(code)) return 0;
  return code;
}

int32_t VVM::StoredSize(int code, const uint8_t* body) const {
  const VVDD* type = Type(code);
  return type ? type->StoredSize(body) : 1 + body[0];
}

int32_t VVM::ValueLength(int code, const uint8_t* body) const {
  const VVDD* type = Type(code);
  return type ? type->ValueLength(body) : body[0];
}

VResult VVM::ReadValue(int code, const VConversion& conversion, VStream& input,
                       std::vector<uint8_t>* value, VLongDataStore* store) const {
  const VVDD* type = Type(code);
  return type ? type->ReadValue(conversion, input, value, store) : kVNoValueType;
}

VResult VVM::WriteValue(int code, const VConversion& conversion, VStream& output,
                        const uint8_t* value, VLongDataStore* store) const {
  const VVDD* type = Type(code);
  return type ? type->WriteValue(conversion, output, value, store) : kVNoValueType;
}

VResult VVM::ReleaseData(int code, const uint8_t* value, VLongDataStore* store) const {
  const VVDD* type = Type(code);
  return type ? type->ReleaseData(value, store) : kVNoValueType;
}

VResult VVM::CopyBytes(int code, const uint8_t* body, uint8_t* buffer, int32_t* length) const {
  const VVDD* type = Type(code);
  if (!type) {
    *length = 0;
    return kVNoValueType;
  }
  return type->CopyBytes(body, buffer, length);
}

bool VVM::Match(int code, const uint8_t* value, int op, int32_t operandLength,
                const uint8_t* operand, VLongDataStore* store) const {
  const VVDD* type = Type(code);
  return type && type->Match(value, op, operandLength, operand, store);
}
