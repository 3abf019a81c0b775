// The application list window: a run button over a list of the template pool's applications. Run
// (or a double click on a row) asks the runner for a form of the selected application and runs
// it. The window tells its runner when it is deleted, so that a user closing it leaves the runner
// with no dangling pointer.
#pragma once

#include <cstdint>

#include "gt/OGTWindow.h"

class OGTList;
class OvARunner;

class OvARunAppList : public OGTWindow {
 public:
  static constexpr int32_t kWindowID = 8001;
  static constexpr int32_t kRunButtonID = 8002;
  static constexpr int32_t kListID = 8003;

  explicit OvARunAppList(OvARunner* runner);
  ~OvARunAppList() override;

  // The run button's press and a double click in the list run the selection; other events are
  // handled as in any window.
  void OnEvent(OGTItem* item, int32_t code) override;

  // Creates the window and its items and fills the list; called once after construction.
  virtual void Build();
  // One row per application template, in pool order, the first selected.
  virtual void FillAppList(bool redraw);
  // Asks for a form of the selected application and runs it; tells the user when nothing can be
  // run.
  virtual void RunSelected();

  OvARunner* Runner() const { return runner_; }
  // Null when the list item is missing or is not a list.
  OGTList* List();

 private:
  OvARunner* runner_;
};
