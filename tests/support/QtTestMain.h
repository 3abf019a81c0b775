// The main of a Qt test program: the tests run inside one application object of the given class
// on the off-screen platform (chosen here too, so that listing the tests needs no display either).
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include <QCoreApplication>
#include <QTimer>

namespace qt_test_main {

// A test that still runs after a minute (a modal wait nobody answers) fails, and every event loop
// is told to end so that the run goes on.
class Watchdog : public ::testing::EmptyTestEventListener {
 public:
  void OnTestStart(const ::testing::TestInfo&) override {
    timer_ = std::make_unique<QTimer>();
    timer_->setSingleShot(true);
    QObject::connect(timer_.get(), &QTimer::timeout, [] {
      ADD_FAILURE() << "the test waited for more than a minute";
      QCoreApplication::exit(1);
    });
    timer_->start(60000);
  }
  void OnTestEnd(const ::testing::TestInfo&) override { timer_.reset(); }

 private:
  std::unique_ptr<QTimer> timer_;
};

// The off-screen platform's notices about what it cannot do say nothing about the tests.
inline void QuietHandler(QtMsgType type, const QMessageLogContext& context,
                         const QString& message) {
  if (message.contains(QStringLiteral("This plugin does not support")) ||
      message.contains(QStringLiteral("XDG_RUNTIME_DIR"))) {
    return;
  }
  fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

}  // namespace qt_test_main

template <class Application>
int RunQtTests(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  qInstallMessageHandler(qt_test_main::QuietHandler);
  Application application(argc, argv);
  ::testing::UnitTest::GetInstance()->listeners().Append(new qt_test_main::Watchdog);
  return RUN_ALL_TESTS();
}
