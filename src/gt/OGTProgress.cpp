#include "gt/OGTProgress.h"

#include "gt/imp/OGTImpFactory.h"
#include "gt/imp/OGTProgressImp.h"

OGTProgress::OGTProgress(std::string title, bool cancellable)
    : title_(std::move(title)), cancellable_(cancellable) {
  OGTImpFactory* factory = OGTImpFactory::Current();
  if (factory != nullptr) imp_ = factory->MakeProgressImp();
  // Without a platform side the clock still runs, and nothing shows.
  if (imp_ == nullptr) imp_ = std::make_unique<OGTProgressImp>();
  imp_->Initialise();
  next_ = Now() + kShowAfterMs;
}

OGTProgress::~OGTProgress() {
  if (shown_) imp_->Close();
}

uint64_t OGTProgress::Now() { return imp_->Milliseconds(); }

bool OGTProgress::Due() {
  const uint64_t now = Now();
  if (now < next_) return false;
  next_ = now + kUpdateEveryMs;
  return true;
}

void OGTProgress::Show(const std::string& text, int32_t perMille) {
  if (!shown_) {
    imp_->Open(title_.c_str(), cancellable_);
    shown_ = true;
  }
  imp_->Update(text.c_str(), perMille < -1 ? -1 : perMille > 1000 ? 1000 : perMille);
}

bool OGTProgress::Cancelled() const { return cancellable_ && shown_ && imp_->CancelRequested(); }
