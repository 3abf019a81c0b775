#include "app/OvApp.h"

#include <cstring>
#include <memory>
#include <string>

#include "app/OvAEnv.h"
#include "gt/OGTEvent.h"
#include "gt/OGTWindow.h"
#include "script/OvScript.h"
#include "template/OFTApp.h"
#include "template/OFTBuild.h"
#include "template/OFTForm.h"
#include "template/OFTPool.h"
#include "template/OFTSearch.h"

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
  OGTWindow* built = window.get();
  AddChild(std::move(window), -1);
  if (auto* database = dynamic_cast<OGTDBWindow*>(built)) database->Bind(this, handle_);
}

void OvApp::RunScript(const VString& script, OGTDBWindow* window) {
  if (script.IsEmpty()) return;
  // The script runs from a copy: a command may replace the item that held it.
  const std::string text(script.View());
  OvScript run(this, window);
  run.Run(text.data(), text.size());
}

bool OvApp::FormSearch(const char* formName, int32_t* file, std::string* statement) const {
  const OFTApp* app = Template();
  if (app == nullptr || formName == nullptr) return false;
  const OFTForm* form = app->FindForm(formName);
  if (form == nullptr || form->SearchName().IsEmpty()) return false;
  const OFTSearch* search = app->FindSearch(std::string(form->SearchName().View()).c_str());
  if (search == nullptr) return false;
  *file = search->DBFileNbr();
  *statement = std::string(search->Statement().View());
  return true;
}

void OvApp::Quit() {
  if (env_ == nullptr || !HasName()) return;
  // A copy of the name: the environment looks the application up by it.
  const std::string name(Name(), NameLength());
  env_->CloseApp(name.c_str());
}
