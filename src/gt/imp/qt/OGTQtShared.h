// The state that every product of one Qt factory shares: the main frame's multiple-document area
// that form windows live in, the quit request that ends modal waits, the cursor the toolkit set,
// and the font of the controls. Products hold it by shared pointer, so it outlives the factory for
// as long as any of them lives.
#pragma once

#include <cstdint>
#include <memory>

#include <QFont>
#include <QMdiArea>
#include <QPointer>
#include <QWidget>

class OGTQtShared : public std::enable_shared_from_this<OGTQtShared> {
 public:
  explicit OGTQtShared(QMdiArea* area);
  ~OGTQtShared();
  OGTQtShared(const OGTQtShared&) = delete;
  OGTQtShared& operator=(const OGTQtShared&) = delete;

  // Null when form windows are top-level windows.
  QMdiArea* Area() const { return area_; }
  // The main frame: the window holding the area, or null.
  QWidget* Frame() const;

  // A modal wait ended because the application is quitting: no further wait starts, and the quit
  // is posted again so that the loop outside the wait ends too.
  bool Quitting() const { return quitting_; }
  void QuitDuringWait(int exitCode);

  // The toolkit's cursor: a plain shape (0 and 1 are the arrow, which shows each widget's own
  // cursor) under any counted wait cursors. One override cursor of the application shows it.
  void SetCursorShape(int32_t shape);
  void BeginCountedWait();
  void EndCountedWait();
  int32_t CountedWaits() const { return countedWaits_; }

  // The font every control starts with, made once from the first predefined font.
  const QFont& ControlFont();

 private:
  void ApplyCursor();

  QPointer<QMdiArea> area_;
  bool quitting_ = false;
  int32_t cursorShape_ = 0;
  int32_t countedWaits_ = 0;
  bool overriding_ = false;
  std::unique_ptr<QFont> controlFont_;
};
