#include "gt/OGTUDlog.h"

#include "base/VString.h"
#include "gt/imp/OGTImpFactory.h"

namespace {

std::unique_ptr<OGTUDlogImp> NewChooser() {
  OGTImpFactory* factory = OGTImpFactory::Current();
  std::unique_ptr<OGTUDlogImp> imp = factory ? factory->MakeUDlogImp() : nullptr;
  if (imp) imp->Initialise();
  return imp;
}

}  // namespace

bool ChooseOpenFile(VString& path) {
  std::unique_ptr<OGTUDlogImp> chooser = NewChooser();
  return chooser && chooser->ChooseOpenFile(path);
}

bool ChooseSaveFile(VString& path, const char* suggestedName) {
  std::unique_ptr<OGTUDlogImp> chooser = NewChooser();
  return chooser && chooser->ChooseSaveFile(path, suggestedName);
}
