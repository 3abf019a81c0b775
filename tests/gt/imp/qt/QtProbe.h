// An item served by whichever implementation the factory makes for a kind, recording the mouse and
// key events the platform side hands it and drawing what a test asks. It reaches the platform side
// the way the toolkit's own controls do, without depending on them.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "gt/OGTCompositItem.h"
#include "gt/OGTContext.h"
#include "gt/OGTEvent.h"
#include "gt/OGTItem.h"
#include "gt/imp/OGTImpFactory.h"

template <int32_t kKind>
class Probe : public OGTItem {
 public:
  int32_t Kind() const override { return kKind; }

  OGTItemImp* Create(int32_t variant, OGTCompositItem* parent) override {
    OGTImpFactory* factory = OGTImpFactory::Current();
    std::unique_ptr<OGTItemImp> imp;
    if (factory != nullptr) {
      switch (kKind) {
        case kOGTKindLine:
          imp = factory->MakeLineImp(parent);
          break;
        case kOGTKindPlane:
          imp = factory->MakePlaneImp(parent);
          break;
        case kOGTKindCircle:
          imp = factory->MakeCircleImp(parent);
          break;
        case kOGTKindField:
          imp = factory->MakeFieldImp(parent);
          break;
        case kOGTKindRadioBtn:
          imp = factory->MakeRadioBtnImp(parent);
          break;
        case kOGTKindCheckBox:
          imp = factory->MakeCheckBoxImp(parent);
          break;
        case kOGTKindScrollBar:
          imp = factory->MakeScrollBarImp(parent);
          break;
        default:
          imp = factory->MakeListImp(parent);
          break;
      }
    }
    return AdoptImp(variant, parent, std::move(imp));
  }

  void Draw(OGTContext* context) override {
    ++draws;
    if (draw) {
      draw(context);
    } else {
      OGTItem::Draw(context);
    }
  }

  void OnMouse(OGTEvent* event) override {
    mice.push_back(*event);
    hadContext = hadContext || event->Context() != nullptr;
    OGTItem::OnMouse(event);
  }

  void OnKey(OGTEvent* event, bool& handled) override {
    keys.push_back(*event);
    OGTItem::OnKey(event, handled);
  }

  std::function<void(OGTContext*)> draw;
  std::vector<OGTEvent> mice;
  std::vector<OGTEvent> keys;
  int draws = 0;
  bool hadContext = false;
};

using ListProbe = Probe<kOGTKindList>;
using LineProbe = Probe<kOGTKindLine>;
using PlaneProbe = Probe<kOGTKindPlane>;
using CircleProbe = Probe<kOGTKindCircle>;
// A field whose item passes every key on to the implementation.
using RawFieldProbe = Probe<kOGTKindField>;
using RadioProbe = Probe<kOGTKindRadioBtn>;
using CheckProbe = Probe<kOGTKindCheckBox>;
using ScrollBarProbe = Probe<kOGTKindScrollBar>;
