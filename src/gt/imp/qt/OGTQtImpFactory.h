// The Qt 6 Widgets platform factory. Constructing it makes it the current factory; a QApplication
// must exist first and outlive it. Form windows become sub-windows of the main frame's
// multiple-document area (top-level windows without one), dialogs top-level windows over the main
// frame; controls wrap native widgets or are drawn by their items through a drawing context over
// QPainter.
//
// Widgets of deleted implementations are deleted by the event loop; FlushDeletedWidgets deletes
// them at once where no loop runs (the factory's destructor does so too).
#pragma once

#include <memory>

#include "gt/imp/OGTImpFactory.h"

class OGTQtShared;
class QMdiArea;

class OGTQtImpFactory : public OGTImpFactory {
 public:
  explicit OGTQtImpFactory(QMdiArea* area = nullptr);
  ~OGTQtImpFactory() override;

  // Makes the toolkit's face names known to Qt's font lookup.
  void Initialise() override;
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
  std::unique_ptr<OGTStyleEditImp> MakeStyleEditImp(OGTItem* parent) override;
  std::unique_ptr<OGTScrollBarImp> MakeScrollBarImp(OGTItem* parent) override;
  std::unique_ptr<OGTCursorImp> MakeCursorImp() override;
  std::unique_ptr<OGTImageImp> MakeImageImp() override;
  std::unique_ptr<OGTSoundImp> MakeSoundImp() override;
  std::unique_ptr<OGTUDlogImp> MakeUDlogImp() override;
  std::unique_ptr<OGTProgressImp> MakeProgressImp() override;
  // Posts the task to the event loop.
  void Defer(std::function<void()> task) override;

  // True once a modal wait ended because the application is quitting.
  bool Quitting() const;

  static void FlushDeletedWidgets();

 private:
  std::shared_ptr<OGTQtShared> shared_;
};
