#include "gt/OGTDBImageField.h"

#include "base/VEndian.h"
#include "base/VStream.h"
#include "db/engine/VDBHandle.h"
#include "db/schema/VRecord.h"
#include "db/schema/VValue.h"
#include "gt/OGTDBValue.h"
#include "gt/OGTEvent.h"
#include "gt/OGTImage.h"

namespace {

// The image format number of an image type code, or 0.
int32_t FormatOf(uint8_t type) {
  switch (type) {
    case kVTypeJPEG:
      return OGTImage::kFormatJPEG;
    case kVTypeGIF:
      return OGTImage::kFormatGIF;
    case kVTypePNG:
      return OGTImage::kFormatPNG;
    case kVTypePICT:
      return OGTImage::kFormatPICT;
    case kVTypeBMP:
      return OGTImage::kFormatBMP;
    default:
      return 0;
  }
}

}  // namespace

int32_t OGTDBImageField::Kind() const { return kOGTKindDBImageField; }

VResult OGTDBImageField::ShowValue(VDBHandle* handle, const VRecord& record) {
  if (!IsBound()) return kVOk;
  VValueRef ref;
  VResult found = record.ValueRef(item_, Occurrence(), &ref);
  if (found == kVValueMissing) {
    ClearValue();
    return kVOk;
  }
  if (found != kVOk) {
    ClearValue();
    return found;
  }
  shownType_ = ref.type;
  if (ref.type == kVTypeString || ref.type == kVTypeLString || ref.type == kVTypeText) {
    uint8_t type = 0;
    std::string name;
    VResult read = OGTDBReadValue(record, item_, Occurrence(), handle, 1024, &type, &name);
    if (read != kVOk) {
      ClearValue();
      return read;
    }
    return LoadFromFile(name.c_str()) ? kVOk : VResult(-1);
  }
  const int32_t format = FormatOf(ref.type);
  if (format == 0) {
    ClearValue();
    return kVOk;
  }
  // The image data lives in the value file under the descriptor's identifier.
  const uint32_t id = ref.size >= 5 ? VGetU24(ref.value + 2) : 0;
  if (id == 0 || handle == nullptr) {
    ClearValue();
    return VResult(-1);
  }
  VDMemStream data;
  VResult fetched = handle->FetchData(id, data);
  if (fetched != kVOk) {
    ClearValue();
    return fetched;
  }
  return LoadFromMemory(data.Data(), static_cast<size_t>(data.Size()), format) ? kVOk : VResult(-1);
}

void OGTDBImageField::ClearValue() {
  if (IsBound()) ClearImage();
}
