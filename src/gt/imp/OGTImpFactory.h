// The platform factory. One process-wide pointer names the current factory: constructing any
// factory makes it current, and destroying the current factory clears the pointer (destroying
// another one leaves it). Every toolkit object asks the current factory for its implementation;
// the base factory makes nothing, so a toolkit with it (or with none) shows nothing.
//
// The makers of the item implementations take the parent item the new item is created in (null
// for top-level windows and dialogs); the native object becomes a child of the nearest ancestor
// that has one.
#pragma once

#include <functional>
#include <memory>

#include "gt/imp/OGTContextImp.h"
#include "gt/imp/OGTControlImp.h"
#include "gt/imp/OGTProgressImp.h"
#include "gt/imp/OGTRegionImp.h"
#include "gt/imp/OGTResourceImp.h"
#include "gt/imp/OGTWindowImp.h"

class OGTItem;

class OGTImpFactory {
 public:
  OGTImpFactory();
  virtual ~OGTImpFactory();
  OGTImpFactory(const OGTImpFactory&) = delete;
  OGTImpFactory& operator=(const OGTImpFactory&) = delete;

  static OGTImpFactory* Current();

  // Called once by the owner after it adopted the factory.
  virtual void Initialise();
  virtual std::unique_ptr<OGTRegionImp> MakeRegionImp();
  virtual std::unique_ptr<OGTContextImp> MakeContextImp();
  virtual std::unique_ptr<OGTWindowImp> MakeWindowImp(OGTItem* parent);
  virtual std::unique_ptr<OGTDialogImp> MakeDialogImp(OGTItem* parent);
  virtual std::unique_ptr<OGTLineImp> MakeLineImp(OGTItem* parent);
  virtual std::unique_ptr<OGTPlaneImp> MakePlaneImp(OGTItem* parent);
  virtual std::unique_ptr<OGTCircleImp> MakeCircleImp(OGTItem* parent);
  virtual std::unique_ptr<OGTLabelImp> MakeLabelImp(OGTItem* parent);
  virtual std::unique_ptr<OGTFieldImp> MakeFieldImp(OGTItem* parent);
  virtual std::unique_ptr<OGTButtonImp> MakeButtonImp(OGTItem* parent);
  virtual std::unique_ptr<OGTRadioBtnImp> MakeRadioBtnImp(OGTItem* parent);
  virtual std::unique_ptr<OGTCheckBoxImp> MakeCheckBoxImp(OGTItem* parent);
  virtual std::unique_ptr<OGTListImp> MakeListImp(OGTItem* parent);
  virtual std::unique_ptr<OGTScrollBarImp> MakeScrollBarImp(OGTItem* parent);
  virtual std::unique_ptr<OGTStyleEditImp> MakeStyleEditImp(OGTItem* parent);
  virtual std::unique_ptr<OGTCursorImp> MakeCursorImp();
  virtual std::unique_ptr<OGTImageImp> MakeImageImp();
  virtual std::unique_ptr<OGTSoundImp> MakeSoundImp();
  virtual std::unique_ptr<OGTUDlogImp> MakeUDlogImp();
  virtual std::unique_ptr<OGTProgressImp> MakeProgressImp();
  // Runs a task once the current platform event has been handled (the base factory when the
  // outermost guarded entry returns; a side with an event loop posts it there).
  virtual void Defer(std::function<void()> task);
};
