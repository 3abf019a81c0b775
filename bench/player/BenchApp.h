// The running application of the player benchmarks: it runs a database window's scripts through
// the script engine, and the form's search is the statement given (on file 1). Nothing else of an
// application is there.
#pragma once

#include <cstdint>
#include <string>

#include "db/engine/VDBHandle.h"
#include "gt/OGTDBWindow.h"
#include "script/OvScript.h"
#include "script/OvScriptApp.h"

class BenchApp : public OGTDBApp, public OvScriptApp {
 public:
  BenchApp(VDBHandle* handle, const char* statement) : handle_(handle), statement_(statement) {}
  void RunScript(const VString& script, OGTDBWindow* window) override {
    const std::string text(script.View());
    OvScript run(this, window);
    run.Run(text.data(), text.size());
  }
  bool FormSearch(const char*, int32_t* file, std::string* statement) const override {
    *file = 1;
    *statement = statement_;
    return true;
  }
  OFTApp* Template() const override { return nullptr; }
  VDBHandle* Handle() const override { return handle_; }
  OGTWindow* FindOpenForm(const char*) const override { return nullptr; }
  void Quit() override {}
  void ShowForm(const char*) override {}

 private:
  VDBHandle* handle_;
  const char* statement_;
};
