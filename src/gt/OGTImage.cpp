#include "gt/OGTImage.h"

#include "gt/OGTContext.h"
#include "gt/imp/OGTImpFactory.h"

OGTImage::OGTImage() = default;
OGTImage::~OGTImage() = default;

OGTImageImp* OGTImage::MakeImp() {
  if (!imp_) {
    OGTImpFactory* factory = OGTImpFactory::Current();
    if (factory == nullptr) return nullptr;
    imp_ = factory->MakeImageImp();
    if (imp_) imp_->Initialise();
  }
  return imp_.get();
}

bool OGTImage::LoadFromFile(const char* name) {
  OGTImageImp* imp = MakeImp();
  return imp != nullptr && imp->LoadFromFile(name);
}

bool OGTImage::LoadFromMemory(const uint8_t* bytes, size_t length, int32_t format) {
  OGTImageImp* imp = MakeImp();
  return imp != nullptr && imp->LoadFromMemory(bytes, length, format);
}

void OGTImage::Draw(OGTContext* context, const OGTRect& rect) {
  if (imp_ && context != nullptr && context->Imp() != nullptr) imp_->Draw(context->Imp(), rect);
}

bool OGTImage::IsLoaded() const { return imp_ && imp_->IsLoaded(); }

void OGTImage::GetSize(int32_t& width, int32_t& height) const {
  width = height = 0;
  if (imp_) imp_->GetSize(width, height);
}
