// The headless platform factory: a complete platform side without a screen. Constructing it makes
// it the current factory. Its implementations keep every state a native one would keep, the
// screen records what a person would have seen, and the user acts as a person would. The screen
// lives as long as the last implementation made from it, so items that outlive the factory stay
// safe.
#pragma once

#include <memory>

#include "gt/imp/OGTImpFactory.h"
#include "gt/imp/headless/OGTHeadlessScreen.h"
#include "gt/imp/headless/OGTHeadlessUser.h"

class OGTHeadlessFactory : public OGTImpFactory {
 public:
  OGTHeadlessFactory();
  ~OGTHeadlessFactory() override;

  OGTHeadlessScreen& Screen() { return *screen_; }
  OGTHeadlessUser& User() { return user_; }

  std::unique_ptr<OGTRegionImp> MakeRegionImp() override;
  std::unique_ptr<OGTContextImp> MakeContextImp() override;
  std::unique_ptr<OGTWindowImp> MakeWindowImp(OGTItem* parent) override;
  std::unique_ptr<OGTDialogImp> MakeDialogImp(OGTItem* parent) override;
  std::unique_ptr<OGTLineImp> MakeLineImp(OGTItem* parent) override;
  std::unique_ptr<OGTPlaneImp> MakePlaneImp(OGTItem* parent) override;
  std::unique_ptr<OGTCircleImp> MakeCircleImp(OGTItem* parent) override;
  std::unique_ptr<OGTLabelImp> MakeLabelImp(OGTItem* parent) override;
  std::unique_ptr<OGTFieldImp> MakeFieldImp(OGTItem* parent) override;
  std::unique_ptr<OGTButtonImp> MakeButtonImp(OGTItem* parent) override;
  std::unique_ptr<OGTRadioBtnImp> MakeRadioBtnImp(OGTItem* parent) override;
  std::unique_ptr<OGTCheckBoxImp> MakeCheckBoxImp(OGTItem* parent) override;
  std::unique_ptr<OGTListImp> MakeListImp(OGTItem* parent) override;
  std::unique_ptr<OGTScrollBarImp> MakeScrollBarImp(OGTItem* parent) override;
  std::unique_ptr<OGTStyleEditImp> MakeStyleEditImp(OGTItem* parent) override;
  std::unique_ptr<OGTCursorImp> MakeCursorImp() override;
  std::unique_ptr<OGTImageImp> MakeImageImp() override;
  std::unique_ptr<OGTSoundImp> MakeSoundImp() override;
  std::unique_ptr<OGTUDlogImp> MakeUDlogImp() override;
  std::unique_ptr<OGTProgressImp> MakeProgressImp() override;

 private:
  std::shared_ptr<OGTHeadlessScreen> screen_;
  OGTHeadlessUser user_;
};
