#include "gt/OGTCursor.h"

#include "gt/imp/OGTImpFactory.h"

namespace {
std::unique_ptr<OGTCursor> globalCursor;
}  // namespace

OGTCursor::OGTCursor(int32_t shape, bool restoreOnDelete)
    : shape_(shape), restoreOnDelete_(restoreOnDelete) {
  SetShape(shape);
}

OGTCursor::~OGTCursor() {
  if (restoreOnDelete_ && imp_) imp_->SetShape(kOGTCursorArrow);
}

void OGTCursor::SetShape(int32_t shape) {
  shape_ = shape;
  if (!imp_) {
    OGTImpFactory* factory = OGTImpFactory::Current();
    if (factory == nullptr) return;
    imp_ = factory->MakeCursorImp();
    if (!imp_) return;
    imp_->Initialise();
  }
  imp_->SetShape(shape);
}

void SetBusyCursor(int32_t shape) {
  // The new cursor shows before the old one goes, so a counted wait never drops to zero between.
  auto cursor = std::make_unique<OGTCursor>(shape, false);
  globalCursor = std::move(cursor);
}

void RestoreCursor() { SetBusyCursor(kOGTCursorArrow); }

void OGTReleaseGlobalCursor() { globalCursor.reset(); }
