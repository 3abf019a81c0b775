#include "gt/imp/OGTImpFactory.h"

#include "gt/OGTCursor.h"
#include "gt/imp/OGTGuard.h"

namespace {
OGTImpFactory* current = nullptr;
}  // namespace

OGTImpFactory::OGTImpFactory() { current = this; }

OGTImpFactory::~OGTImpFactory() {
  if (current != this) return;
  current = nullptr;
  // The global cursor's implementation came from the platform that is going away.
  OGTReleaseGlobalCursor();
}

OGTImpFactory* OGTImpFactory::Current() { return current; }

void OGTImpFactory::Initialise() {}
std::unique_ptr<OGTRegionImp> OGTImpFactory::MakeRegionImp() { return nullptr; }
std::unique_ptr<OGTContextImp> OGTImpFactory::MakeContextImp() { return nullptr; }
std::unique_ptr<OGTWindowImp> OGTImpFactory::MakeWindowImp(OGTItem*) { return nullptr; }
std::unique_ptr<OGTDialogImp> OGTImpFactory::MakeDialogImp(OGTItem*) { return nullptr; }
std::unique_ptr<OGTLineImp> OGTImpFactory::MakeLineImp(OGTItem*) { return nullptr; }
std::unique_ptr<OGTPlaneImp> OGTImpFactory::MakePlaneImp(OGTItem*) { return nullptr; }
std::unique_ptr<OGTCircleImp> OGTImpFactory::MakeCircleImp(OGTItem*) { return nullptr; }
std::unique_ptr<OGTLabelImp> OGTImpFactory::MakeLabelImp(OGTItem*) { return nullptr; }
std::unique_ptr<OGTFieldImp> OGTImpFactory::MakeFieldImp(OGTItem*) { return nullptr; }
std::unique_ptr<OGTButtonImp> OGTImpFactory::MakeButtonImp(OGTItem*) { return nullptr; }
std::unique_ptr<OGTRadioBtnImp> OGTImpFactory::MakeRadioBtnImp(OGTItem*) { return nullptr; }
std::unique_ptr<OGTCheckBoxImp> OGTImpFactory::MakeCheckBoxImp(OGTItem*) { return nullptr; }
std::unique_ptr<OGTListImp> OGTImpFactory::MakeListImp(OGTItem*) { return nullptr; }
std::unique_ptr<OGTStyleEditImp> OGTImpFactory::MakeStyleEditImp(OGTItem*) { return nullptr; }
std::unique_ptr<OGTScrollBarImp> OGTImpFactory::MakeScrollBarImp(OGTItem*) { return nullptr; }
std::unique_ptr<OGTCursorImp> OGTImpFactory::MakeCursorImp() { return nullptr; }
std::unique_ptr<OGTImageImp> OGTImpFactory::MakeImageImp() { return nullptr; }
std::unique_ptr<OGTSoundImp> OGTImpFactory::MakeSoundImp() { return nullptr; }
std::unique_ptr<OGTUDlogImp> OGTImpFactory::MakeUDlogImp() { return nullptr; }
std::unique_ptr<OGTProgressImp> OGTImpFactory::MakeProgressImp() { return nullptr; }

void OGTImpFactory::Defer(std::function<void()> task) { OGTRunAfterEvent(std::move(task)); }
