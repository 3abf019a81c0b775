// The Qt tests run inside one QApplication on the off-screen platform (chosen here too, so that
// listing the tests needs no display either).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include <QApplication>
#include <QTimer>

namespace {

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
  QApplication application(argc, argv);
  ::testing::UnitTest::GetInstance()->listeners().Append(new Watchdog);
  return RUN_ALL_TESTS();
}
