#include "gt/imp/qt/OGTQtImpFactory.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>

#include "gt/imp/OGTGuard.h"
#include "gt/imp/qt/OGTQtContextImp.h"
#include "gt/imp/qt/OGTQtControlImp.h"
#include "gt/imp/qt/OGTQtProgressImp.h"
#include "gt/imp/qt/OGTQtResourceImp.h"
#include "gt/imp/qt/OGTQtShared.h"
#include "gt/imp/qt/OGTQtText.h"
#include "gt/imp/qt/OGTQtWindowImp.h"

OGTQtImpFactory::OGTQtImpFactory(QMdiArea* area) : shared_(std::make_shared<OGTQtShared>(area)) {}

OGTQtImpFactory::~OGTQtImpFactory() { FlushDeletedWidgets(); }

void OGTQtImpFactory::FlushDeletedWidgets() {
  if (QCoreApplication::instance() != nullptr) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
}

void OGTQtImpFactory::Initialise() { OGTQtRegisterFaces(); }

bool OGTQtImpFactory::Quitting() const { return shared_->Quitting(); }

std::unique_ptr<OGTRegionImp> OGTQtImpFactory::MakeRegionImp() {
  return std::make_unique<OGTQtRegionImp>();
}

std::unique_ptr<OGTContextImp> OGTQtImpFactory::MakeContextImp() {
  return std::make_unique<OGTQtContextImp>(shared_);
}

std::unique_ptr<OGTWindowImp> OGTQtImpFactory::MakeWindowImp(OGTItem*) {
  return std::make_unique<OGTQtWindowImp>(shared_);
}

std::unique_ptr<OGTDialogImp> OGTQtImpFactory::MakeDialogImp(OGTItem*) {
  return std::make_unique<OGTQtDialogImp>(shared_);
}

std::unique_ptr<OGTLineImp> OGTQtImpFactory::MakeLineImp(OGTItem*) {
  return std::make_unique<OGTQtLineImp>(shared_);
}

std::unique_ptr<OGTPlaneImp> OGTQtImpFactory::MakePlaneImp(OGTItem*) {
  return std::make_unique<OGTQtPlaneImp>(shared_);
}

std::unique_ptr<OGTCircleImp> OGTQtImpFactory::MakeCircleImp(OGTItem*) {
  return std::make_unique<OGTQtCircleImp>(shared_);
}

std::unique_ptr<OGTLabelImp> OGTQtImpFactory::MakeLabelImp(OGTItem*) {
  return std::make_unique<OGTQtLabelImp>(shared_);
}

std::unique_ptr<OGTFieldImp> OGTQtImpFactory::MakeFieldImp(OGTItem*) {
  return std::make_unique<OGTQtFieldImp>(shared_);
}

std::unique_ptr<OGTButtonImp> OGTQtImpFactory::MakeButtonImp(OGTItem*) {
  return std::make_unique<OGTQtButtonImp>(shared_);
}

std::unique_ptr<OGTRadioBtnImp> OGTQtImpFactory::MakeRadioBtnImp(OGTItem*) {
  return std::make_unique<OGTQtRadioBtnImp>(shared_);
}

std::unique_ptr<OGTCheckBoxImp> OGTQtImpFactory::MakeCheckBoxImp(OGTItem*) {
  return std::make_unique<OGTQtCheckBoxImp>(shared_);
}

std::unique_ptr<OGTListImp> OGTQtImpFactory::MakeListImp(OGTItem*) {
  return std::make_unique<OGTQtListImp>(shared_);
}

std::unique_ptr<OGTStyleEditImp> OGTQtImpFactory::MakeStyleEditImp(OGTItem*) {
  return std::make_unique<OGTQtStyleEditImp>(shared_);
}

std::unique_ptr<OGTScrollBarImp> OGTQtImpFactory::MakeScrollBarImp(OGTItem*) {
  return std::make_unique<OGTQtScrollBarImp>(shared_);
}

std::unique_ptr<OGTCursorImp> OGTQtImpFactory::MakeCursorImp() {
  return std::make_unique<OGTQtCursorImp>(shared_);
}

std::unique_ptr<OGTImageImp> OGTQtImpFactory::MakeImageImp() {
  return std::make_unique<OGTQtImageImp>();
}

std::unique_ptr<OGTSoundImp> OGTQtImpFactory::MakeSoundImp() {
  return std::make_unique<OGTQtSoundImp>();
}

std::unique_ptr<OGTUDlogImp> OGTQtImpFactory::MakeUDlogImp() {
  return std::make_unique<OGTQtUDlogImp>(shared_);
}

std::unique_ptr<OGTProgressImp> OGTQtImpFactory::MakeProgressImp() {
  return std::make_unique<OGTQtProgressImp>(shared_);
}

void OGTQtImpFactory::Defer(std::function<void()> task) {
  if (!task) return;
  QTimer::singleShot(0, qApp, [task = std::move(task)] { OGTGuarded("deferred", task); });
}
