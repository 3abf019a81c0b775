#include "gt/imp/OGTGuard.h"

#include <vector>

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

namespace {

int g_entries = 0;
std::vector<std::function<void()>> g_afterEvent;

}  // namespace

void OGTRunAfterEvent(std::function<void()> task) {
  if (!task) return;
  if (g_entries == 0) {
    OGTGuarded("after event", task);
    return;
  }
  g_afterEvent.push_back(std::move(task));
}

OGTEntryScope::OGTEntryScope() { ++g_entries; }

OGTEntryScope::~OGTEntryScope() {
  if (g_entries > 1) {
    --g_entries;
    return;
  }
  // Still counted as inside while the tasks run, so that what they leave for later runs here too.
  while (!g_afterEvent.empty()) {
    std::vector<std::function<void()>> tasks;
    tasks.swap(g_afterEvent);
    for (auto& task : tasks) {
      try {
        task();
      } catch (const VFailure& failure) {
        OGTReportFailure("after event", failure.Code(), failure.what(), false);
      } catch (const std::exception& failure) {
        OGTReportFailure("after event", -1, failure.what(), false);
      }
    }
  }
  --g_entries;
}
