#include "gt/imp/OGTGuard.h"

#include "base/VDebug.h"
#include "gt/OGTMessageBox.h"
#include "gt/OGTTexts.h"
#include "gt/imp/OGTImpFactory.h"

void OGTReportFailure(const char* where, int code, const char* what, bool later) {
  LogFormat("...ERROR... %s: a failure reached the event loop: %s ec:%d", where,
            what != nullptr ? what : "", code);
  auto show = [code] { ShowError(code, OGTText(kOGTTextInternalError).c_str()); };
  OGTImpFactory* factory = OGTImpFactory::Current();
  if (later && factory != nullptr) {
    factory->Defer(show);
  } else {
    show();
  }
}
