#include "gt/imp/qt/OGTQtProgressImp.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "gt/OGTTexts.h"
#include "gt/imp/qt/OGTQtShared.h"
#include "gt/imp/qt/OGTQtText.h"

// The dialog itself: a request to close it (Escape, the close box, the button) only marks the
// cancel, which the work answers by ending; the work then closes the window.
class OGTQtProgressDialog : public QDialog {
 public:
  OGTQtProgressDialog(QWidget* parent, bool cancellable)
      : QDialog(parent), cancellable_(cancellable) {}

  bool cancelled_ = false;

  void reject() override {
    if (cancellable_) cancelled_ = true;
  }

 protected:
  void closeEvent(QCloseEvent* event) override {
    event->ignore();
    reject();
  }

 private:
  bool cancellable_;
};

OGTQtProgressImp::OGTQtProgressImp(std::shared_ptr<OGTQtShared> shared)
    : shared_(std::move(shared)) {}

OGTQtProgressImp::~OGTQtProgressImp() { Close(); }

void OGTQtProgressImp::Open(const char* title, bool cancellable) {
  if (dialog_ != nullptr) return;
  auto* dialog = new OGTQtProgressDialog(shared_->Frame(), cancellable);
  dialog->setWindowTitle(OGTQtString(title != nullptr ? title : ""));
  dialog->setWindowModality(Qt::ApplicationModal);
  dialog->setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  auto* layout = new QVBoxLayout(dialog);
  auto* label = new QLabel(dialog);
  label->setObjectName(QStringLiteral("text"));
  label->setMinimumWidth(320);
  layout->addWidget(label);
  auto* bar = new QProgressBar(dialog);
  bar->setObjectName(QStringLiteral("share"));
  bar->setRange(0, 1000);
  bar->setTextVisible(false);
  layout->addWidget(bar);
  if (cancellable) {
    auto* row = new QHBoxLayout();
    row->addStretch();
    auto* button = new QPushButton(OGTQtString(OGTText(kOGTTextCancel)), dialog);
    button->setObjectName(QStringLiteral("cancel"));
    button->setAutoDefault(false);
    QObject::connect(button, &QPushButton::clicked, dialog, [dialog] { dialog->reject(); });
    row->addWidget(button);
    layout->addLayout(row);
  }
  dialog_ = dialog;
  dialog->show();
  dialog->raise();
  QCoreApplication::processEvents();
}

void OGTQtProgressImp::Update(const char* text, int32_t perMille) {
  if (dialog_ == nullptr) return;
  if (auto* label = dialog_->findChild<QLabel*>(QStringLiteral("text"))) {
    label->setText(OGTQtString(text != nullptr ? text : ""));
  }
  if (auto* bar = dialog_->findChild<QProgressBar*>(QStringLiteral("share"))) {
    if (perMille < 0) {
      bar->setRange(0, 0);  // the bar moves without telling a share
    } else {
      bar->setRange(0, 1000);
      bar->setValue(perMille);
    }
  }
  // The window is drawn and its button can be pressed; nothing else takes input while it is
  // modal.
  QCoreApplication::processEvents();
}

bool OGTQtProgressImp::CancelRequested() { return dialog_ != nullptr && dialog_->cancelled_; }

void OGTQtProgressImp::Close() {
  if (dialog_ == nullptr) return;
  QDialog* dialog = dialog_;
  dialog_ = nullptr;
  dialog->hide();
  delete dialog;
}

QWidget* OGTQtProgressImp::Window() const { return dialog_; }
