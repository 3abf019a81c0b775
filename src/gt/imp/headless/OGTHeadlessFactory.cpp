#include "gt/imp/headless/OGTHeadlessFactory.h"

#include "gt/imp/headless/OGTHeadlessContextImp.h"
#include "gt/imp/headless/OGTHeadlessControlImp.h"
#include "gt/imp/headless/OGTHeadlessResourceImp.h"
#include "gt/imp/headless/OGTHeadlessWindowImp.h"

OGTHeadlessFactory::OGTHeadlessFactory()
    : screen_(std::make_shared<OGTHeadlessScreen>()), user_(screen_) {}

// Steps still queued refer to this factory's user; they must not run after it is gone.
OGTHeadlessFactory::~OGTHeadlessFactory() { screen_->DiscardActions(); }

std::unique_ptr<OGTRegionImp> OGTHeadlessFactory::MakeRegionImp() {
  return std::make_unique<OGTHeadlessRegionImp>();
}

std::unique_ptr<OGTContextImp> OGTHeadlessFactory::MakeContextImp() {
  return std::make_unique<OGTHeadlessContextImp>(screen_);
}

std::unique_ptr<OGTWindowImp> OGTHeadlessFactory::MakeWindowImp(OGTItem* parent) {
  return std::make_unique<OGTHeadlessWindowImp>(screen_, parent);
}

std::unique_ptr<OGTDialogImp> OGTHeadlessFactory::MakeDialogImp(OGTItem* parent) {
  return std::make_unique<OGTHeadlessDialogImp>(screen_, parent);
}

std::unique_ptr<OGTLineImp> OGTHeadlessFactory::MakeLineImp(OGTItem* parent) {
  return std::make_unique<OGTHeadlessLineImp>(screen_, parent);
}

std::unique_ptr<OGTPlaneImp> OGTHeadlessFactory::MakePlaneImp(OGTItem* parent) {
  return std::make_unique<OGTHeadlessPlaneImp>(screen_, parent);
}

std::unique_ptr<OGTCircleImp> OGTHeadlessFactory::MakeCircleImp(OGTItem* parent) {
  return std::make_unique<OGTHeadlessCircleImp>(screen_, parent);
}

std::unique_ptr<OGTLabelImp> OGTHeadlessFactory::MakeLabelImp(OGTItem* parent) {
  return std::make_unique<OGTHeadlessLabelImp>(screen_, parent);
}

std::unique_ptr<OGTFieldImp> OGTHeadlessFactory::MakeFieldImp(OGTItem* parent) {
  return std::make_unique<OGTHeadlessFieldImp>(screen_, parent);
}

std::unique_ptr<OGTButtonImp> OGTHeadlessFactory::MakeButtonImp(OGTItem* parent) {
  return std::make_unique<OGTHeadlessButtonImp>(screen_, parent);
}

std::unique_ptr<OGTRadioBtnImp> OGTHeadlessFactory::MakeRadioBtnImp(OGTItem* parent) {
  return std::make_unique<OGTHeadlessRadioBtnImp>(screen_, parent);
}

std::unique_ptr<OGTCheckBoxImp> OGTHeadlessFactory::MakeCheckBoxImp(OGTItem* parent) {
  return std::make_unique<OGTHeadlessCheckBoxImp>(screen_, parent);
}

std::unique_ptr<OGTListImp> OGTHeadlessFactory::MakeListImp(OGTItem* parent) {
  return std::make_unique<OGTHeadlessListImp>(screen_, parent);
}

std::unique_ptr<OGTStyleEditImp> OGTHeadlessFactory::MakeStyleEditImp(OGTItem* parent) {
  return std::make_unique<OGTHeadlessStyleEditImp>(screen_, parent);
}

std::unique_ptr<OGTScrollBarImp> OGTHeadlessFactory::MakeScrollBarImp(OGTItem* parent) {
  return std::make_unique<OGTHeadlessScrollBarImp>(screen_, parent);
}

std::unique_ptr<OGTCursorImp> OGTHeadlessFactory::MakeCursorImp() {
  return std::make_unique<OGTHeadlessCursorImp>(screen_);
}

std::unique_ptr<OGTImageImp> OGTHeadlessFactory::MakeImageImp() {
  return std::make_unique<OGTHeadlessImageImp>();
}

std::unique_ptr<OGTSoundImp> OGTHeadlessFactory::MakeSoundImp() {
  return std::make_unique<OGTHeadlessSoundImp>(screen_);
}

std::unique_ptr<OGTUDlogImp> OGTHeadlessFactory::MakeUDlogImp() {
  return std::make_unique<OGTHeadlessUDlogImp>(screen_);
}

std::unique_ptr<OGTProgressImp> OGTHeadlessFactory::MakeProgressImp() {
  return std::make_unique<OGTHeadlessProgressImp>(screen_);
}
