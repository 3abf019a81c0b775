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
  g_afterEvent.push_back(std::move(task));
  OGTRunAfterEventTasks();
}

OGTEntryScope::OGTEntryScope() { ++g_entries; }

OGTEntryScope::~OGTEntryScope() { --g_entries; }

void OGTRunAfterEventTasks() {
  // Inside an entry the tasks wait for its end; each task runs under a guard of its own, and what
  // it leaves for later runs in turn.
  while (g_entries == 0 && !g_afterEvent.empty()) {
    std::function<void()> task = std::move(g_afterEvent.front());
    g_afterEvent.erase(g_afterEvent.begin());
    OGTGuarded("after event", task);
  }
}
