// OGTProgress: the window that shows how far a long piece of work has come. The work makes one
// when it starts and reports as it goes; the window opens only once the work has lasted
// kShowAfterMs, so that short work shows nothing, and is redrawn at most every kUpdateEveryMs, so
// that reporting costs the work next to nothing. While it shows, it is modal: the rest of the
// player takes no input. A window made cancellable has a button with which the person asks the
// work to stop; the work asks Cancelled() after each Show and stops where it can stop cleanly.
// The window closes when the OGTProgress is deleted.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

class OGTProgressImp;

class OGTProgress {
 public:
  static constexpr uint64_t kShowAfterMs = 1000;
  static constexpr uint64_t kUpdateEveryMs = 250;

  // title: Shift-JIS.
  OGTProgress(std::string title, bool cancellable);
  ~OGTProgress();
  OGTProgress(const OGTProgress&) = delete;
  OGTProgress& operator=(const OGTProgress&) = delete;

  // Whether the work should report now: once it has lasted kShowAfterMs, then every
  // kUpdateEveryMs. One clock reading.
  bool Due();
  // Shows the text (Shift-JIS) and the share done in per mille (-1 when not known), opening the
  // window the first time.
  void Show(const std::string& text, int32_t perMille);
  // Whether the person asked the work to stop.
  bool Cancelled() const;
  bool Shown() const { return shown_; }

 private:
  uint64_t Now();

  std::unique_ptr<OGTProgressImp> imp_;
  std::string title_;
  bool cancellable_;
  bool shown_ = false;
  uint64_t next_ = 0;
};
