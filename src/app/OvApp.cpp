#include "app/OvApp.h"

#include <cstring>
#include <memory>
#include <string>

#include "app/OvAEnv.h"
#include "gt/OGTEvent.h"
#include "gt/OGTWindow.h"
#include "template/OFTApp.h"
#include "template/OFTBuild.h"
#include "template/OFTPool.h"

OvApp::OvApp(OvAEnv* env) : env_(env) {}

OvApp::~OvApp() = default;

uint32_t OvApp::KindCode() const { return kKindCode; }

void OvApp::OnEvent(OGTItem* /*item*/, int32_t /*code*/) {}

OFTApp* OvApp::Template() const {
  if (env_ == nullptr || !HasName()) return nullptr;
  return env_->Pool().FindApp(Name());
}

OGTWindow* OvApp::FindOpenForm(const char* formName) const {
  if (formName == nullptr) return nullptr;
  for (int32_t i = 0; i < ChildCount(); ++i) {
    OGTItem* child = ChildAt(i);
    int32_t kind = child->Kind();
    if (kind != kOGTKindWindow && kind != kOGTKindDialog && kind != kOGTKindDBWindow) continue;
    char title[kTitleSize];
    child->GetText(title, sizeof title);
    if (title[0] != 0 && std::strcmp(title, formName) == 0) return dynamic_cast<OGTWindow*>(child);
  }
  return nullptr;
}

void OvApp::ShowForm(const char* formName) {
  if (formName == nullptr) return;
  if (OGTWindow* open = FindOpenForm(formName)) {
    open->BringToFront();
    return;
  }
  std::unique_ptr<OGTWindow> window = BuildWindow(Template(), formName);
  if (window == nullptr) return;
  AddChild(std::move(window), -1);
}

void OvApp::Quit() {
  if (env_ == nullptr || !HasName()) return;
  // The name goes with the object during the removal.
  const std::string name(Name(), NameLength());
  env_->CloseApp(name.c_str());
}
