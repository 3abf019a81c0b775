// A main frame with a multiple-document area, the Qt factory over it, and helpers to build toolkit
// windows and controls the way forms build them, to reach their widgets and to record the item
// events a window receives.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <QApplication>
#include <QMainWindow>
#include <QMdiArea>
#include <QTest>
#include <QTimer>

#include "Sjis.h"
#include "gt/OGTCompositItem.h"
#include "gt/OGTDialog.h"
#include "gt/OGTEvent.h"
#include "gt/OGTWindow.h"
#include "gt/imp/qt/OGTQtImp.h"
#include "gt/imp/qt/OGTQtImpFactory.h"
#include "gt/imp/qt/OGTQtWidgets.h"

struct RecordedEvent {
  OGTItem* item;
  int32_t code;
  int32_t value;  // the item's value when the event arrived
};

// A window that records every item event before handling it as a window does.
class RecordingWindow : public OGTWindow {
 public:
  void OnEvent(OGTItem* item, int32_t code) override {
    int32_t value = 0;
    if (item != nullptr) item->GetValue(value);
    events.push_back({item, code, value});
    OGTWindow::OnEvent(item, code);
  }
  std::vector<int32_t> Codes() const {
    std::vector<int32_t> codes;
    for (const RecordedEvent& e : events) codes.push_back(e.code);
    return codes;
  }
  std::vector<RecordedEvent> events;
};

class QtSideTest : public ::testing::Test {
 protected:
  void SetUp() override {
    frame_ = std::make_unique<QMainWindow>();
    area_ = new QMdiArea;
    frame_->setCentralWidget(area_);
    frame_->resize(900, 700);
    frame_->show();
    frame_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame_.get()));
    factory_ = std::make_unique<OGTQtImpFactory>(area_);
    factory_->Initialise();
  }

  void TearDown() override {
    factory_.reset();
    frame_.reset();
    OGTQtImpFactory::FlushDeletedWidgets();
  }

  // A shown window at (x, y) with the given client size.
  template <class Window = RecordingWindow>
  std::unique_ptr<Window> MakeWindow(int32_t variant, int32_t width, int32_t height,
                                     const std::string& title = "Form") {
    auto window = std::make_unique<Window>();
    window->Create(variant, nullptr);
    window->SetPosition(20, 10, true);
    window->SetSize(width, height, true);
    window->SetText(title.c_str());
    return window;
  }

  // Creates, adds and places a control as forms do, then activates, enables and shows it.
  template <class Control>
  Control* Place(OGTCompositItem& parent, int32_t x, int32_t y, int32_t width, int32_t height,
                 const std::string& text = "", int32_t variant = 0) {
    auto control = std::make_unique<Control>();
    control->Create(variant, &parent);
    Control* placed = control.get();
    parent.AddChild(std::move(control), -1);
    placed->SetPosition(x, y, true);
    placed->SetSize(width, height, true);
    placed->SetText(text.c_str());
    placed->Activate();
    placed->Enable();
    placed->Show();
    return placed;
  }

  static QWidget* WidgetOf(const OGTItem* item) {
    OGTQtNode* node = OGTQtNode::Of(item);
    return node != nullptr ? node->Widget() : nullptr;
  }

  template <class W>
  static W* As(const OGTItem* item) {
    return dynamic_cast<W*>(WidgetOf(item));
  }

  static QWidget* ClientOf(const OGTItem* window) {
    OGTQtNode* node = OGTQtNode::Of(window);
    return node != nullptr ? node->Client() : nullptr;
  }

  // Shows the window and lets Qt lay it out and paint it.
  static void ShowAndSettle(OGTWindow& window) {
    window.Show();
    window.BringToFront();
    QApplication::processEvents();
  }

  // Runs action as soon as the modal wait has started. Without a modal window the test fails and
  // every event loop ends, so that the wait cannot hang.
  static void WhenModal(std::function<void(QWidget* modal)> action) {
    QTimer::singleShot(0, [action] {
      QWidget* modal = QApplication::activeModalWidget();
      if (modal == nullptr) {
        ADD_FAILURE() << "no modal window is waiting";
        QCoreApplication::exit(1);
        return;
      }
      action(modal);
    });
  }

  std::unique_ptr<QMainWindow> frame_;
  QMdiArea* area_ = nullptr;
  std::unique_ptr<OGTQtImpFactory> factory_;
};

inline QString Q(const char* utf8) { return QString::fromUtf8(utf8); }
