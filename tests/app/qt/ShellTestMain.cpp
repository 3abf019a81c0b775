// The shell tests run inside the player's own application object on the off-screen platform.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include <QTimer>

#include "app/qt/OvPlayerApp.h"

namespace {

// A test that still runs after a minute fails, and every event loop is told to end.
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

void QuietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (message.contains(QStringLiteral("This plugin does not support")) ||
      message.contains(QStringLiteral("XDG_RUNTIME_DIR"))) {
    return;
  }
  fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  qInstallMessageHandler(QuietHandler);
  OvPlayerApp application(argc, argv);
  ::testing::UnitTest::GetInstance()->listeners().Append(new Watchdog);
  return RUN_ALL_TESTS();
}
