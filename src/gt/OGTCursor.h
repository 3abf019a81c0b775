// The mouse cursor. An OGTCursor shows its shape as soon as the shape is set (the platform
// implementation is made then); a cursor made with restoreOnDelete puts the arrow back when it is
// deleted. The toolkit keeps one global cursor for busy periods: SetBusyCursor(shape) shows a new
// cursor and drops the previous one, RestoreCursor goes back to the arrow. Shape codes are listed
// in gt/imp/OGTResourceImp.h; 52 is the counted wait cursor used around searches and loads.
#pragma once

#include <cstdint>
#include <memory>

class OGTCursorImp;

class OGTCursor {
 public:
  OGTCursor(int32_t shape, bool restoreOnDelete);
  virtual ~OGTCursor();
  OGTCursor(const OGTCursor&) = delete;
  OGTCursor& operator=(const OGTCursor&) = delete;

  void SetShape(int32_t shape);
  int32_t Shape() const { return shape_; }

 private:
  std::unique_ptr<OGTCursorImp> imp_;
  int32_t shape_;
  bool restoreOnDelete_;
};

void SetBusyCursor(int32_t shape);
void RestoreCursor();
// Drops the global cursor without showing another (its platform is going away).
void OGTReleaseGlobalCursor();

constexpr int32_t kOGTCursorArrow = 0;
constexpr int32_t kOGTCursorBusy = 52;
