#include "app/OvAEnv.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "app/OvApp.h"
#include "base/VFile.h"
#include "base/VSjis.h"
#include "template/OFTApp.h"

bool OvIsDefinitionFileName(const char* name, size_t length) {
  static constexpr char kSuffix[] = ".ova";
  if (name == nullptr) return false;
  size_t offset = 0;
  return VMatchRun(kVMatchEnds, reinterpret_cast<const uint8_t*>(name), length,
                   reinterpret_cast<const uint8_t*>(kSuffix), sizeof kSuffix - 1, true, false,
                   &offset);
}

OvAEnv::OvAEnv() = default;

OvAEnv::~OvAEnv() {
  apps_.DeleteAll();
  CloseDatabase();
}

VResult OvAEnv::OpenDatabase(const char* configPath) {
  if (configPath == nullptr) return -1;
  VResult closed = CloseDatabase();
  if (closed != 0) return closed;
  // The engine's handle is wired in once the engine exists.
  return -2143;
}

VResult OvAEnv::CloseDatabase() {
  open_ = false;
  return 0;
}

void OvAEnv::ReadFolder(const char* folderPath) {
  if (folderPath == nullptr) return;
  VDir folder(folderPath);
  folder.List(3);
  // Directory listings come in no useful order; names in byte order make the pool's order (and
  // with it the order of start-up forms and of the application list) the same on every machine.
  std::vector<VDirElement*> entries;
  for (int32_t i = 0; i < folder.ChildCount(); ++i) {
    VDirElement* entry = folder.ChildAt(i);
    if (OvIsDefinitionFileName(entry->Name().data(), entry->Name().size())) {
      entries.push_back(entry);
    }
  }
  std::stable_sort(entries.begin(), entries.end(),
                   [](VDirElement* a, VDirElement* b) { return a->Name() < b->Name(); });
  for (VDirElement* entry : entries) ReadDefinitionFile(pool_, entry);
}

void OvAEnv::OpenApp(const char* appName) {
  if (appName == nullptr || FindApp(appName) != nullptr) return;
  OFTApp* app = pool_.FindApp(appName);
  if (app == nullptr) return;
  auto* running = new OvApp(this);
  running->SetName(app->Name());
  apps_.Add(running, true);
  running->SetHandle(Handle());
}

OvApp* OvAEnv::FindApp(const char* appName) const {
  return dynamic_cast<OvApp*>(apps_.FindByName(appName));
}

OvApp* OvAEnv::AppAt(int32_t index) const { return dynamic_cast<OvApp*>(apps_.NamedAt(index)); }

void OvAEnv::CloseApp(const char* appName) {
  if (appName == nullptr || !apps_.RemoveByName(appName)) return;
  if (apps_.Count() == 0) quit_ = true;
}
