#include "gt/OGTScrollBar.h"

#include <algorithm>
#include <memory>

#include "gt/OGTCompositItem.h"
#include "gt/OGTEvent.h"
#include "gt/imp/OGTImpFactory.h"

int32_t OGTScrollBar::Kind() const { return kOGTKindScrollBar; }

OGTItemImp* OGTScrollBar::Create(int32_t variant, OGTCompositItem* parent) {
  OGTImpFactory* factory = OGTImpFactory::Current();
  return AdoptImp(variant, parent, factory ? factory->MakeScrollBarImp(parent) : nullptr);
}

OGTScrollBarImp* OGTScrollBar::BarImp() const {
  auto* bar = dynamic_cast<OGTScrollBarImp*>(Imp());
  return bar != nullptr && bar->Kind() == kOGTKindScrollBar ? bar : nullptr;
}

int32_t OGTScrollBar::Thickness() const {
  OGTScrollBarImp* bar = BarImp();
  return bar != nullptr ? bar->Thickness() : 0;
}

void OGTScrollBar::SetScrollPosition(int32_t position) {
  if (OGTScrollBarImp* bar = BarImp()) bar->SetScrollPosition(position);
}

int32_t OGTScrollBar::GetScrollPosition() const {
  OGTScrollBarImp* bar = BarImp();
  return bar != nullptr ? bar->GetScrollPosition() : 0;
}

void OGTScrollBar::SetRange(int32_t min, int32_t max) {
  if (OGTScrollBarImp* bar = BarImp()) bar->SetRange(min, max);
}

void OGTScrollBar::GetRange(int32_t& min, int32_t& max) const {
  min = max = 0;
  if (OGTScrollBarImp* bar = BarImp()) bar->GetRange(min, max);
}

void OGTScrollBar::SetLineSteps(int32_t back, int32_t forward) {
  if (OGTScrollBarImp* bar = BarImp()) bar->SetLineSteps(back, forward);
}

void OGTScrollBar::GetLineSteps(int32_t& back, int32_t& forward) const {
  back = forward = 0;
  if (OGTScrollBarImp* bar = BarImp()) bar->GetLineSteps(back, forward);
}

void OGTScrollBar::SetPageSteps(int32_t back, int32_t forward) {
  if (OGTScrollBarImp* bar = BarImp()) bar->SetPageSteps(back, forward);
}

void OGTScrollBar::GetPageSteps(int32_t& back, int32_t& forward) const {
  back = forward = 0;
  if (OGTScrollBarImp* bar = BarImp()) bar->GetPageSteps(back, forward);
}

bool OGTScrollBar::TargetOf(int32_t code, int64_t current, int64_t& target) const {
  int32_t back = 0;
  int32_t forward = 0;
  switch (code) {
    case kOGTEventLineBack:
    case kOGTEventLineForward:
      GetLineSteps(back, forward);
      target = current + (code == kOGTEventLineBack ? back : forward);
      return true;
    case kOGTEventPageBack:
    case kOGTEventPageForward:
      GetPageSteps(back, forward);
      target = current + (code == kOGTEventPageBack ? back : forward);
      return true;
    case kOGTEventThumb:
      target = GetScrollPosition();
      return true;
    default:
      return false;
  }
}

void OGTScrollBar::SetUp(int32_t max, int32_t position, int32_t lineStep, int32_t pageStep) {
  SetRange(0, max);
  SetLineSteps(-lineStep, lineStep);
  SetPageSteps(-pageStep, pageStep);
  SetScrollPosition(position);
}

int32_t OGTScrollBar::ThicknessOf(const OGTScrollBar* bar) {
  return bar != nullptr ? std::max(bar->Thickness(), 0) : 0;
}

void OGTScrollBar::Provide(OGTCompositItem& owner, OGTScrollBar*& bar, bool wanted, int32_t variant,
                           bool show) {
  if (!wanted) {
    OGTScrollBar* gone = bar;
    bar = nullptr;
    if (gone != nullptr) owner.DeleteChildAt(owner.IndexOf(gone));
    return;
  }
  if (bar != nullptr) return;
  auto made = std::make_unique<OGTScrollBar>();
  if (made->Create(variant, &owner) == nullptr) return;  // the platform makes no scroll bars
  OGTScrollBar* placed = made.get();
  if (owner.AddChild(std::move(made), -1) == nullptr) return;
  bar = placed;
  bar->Enable();
  if (show) bar->Show();
}
