// The Qt widgets behind the toolkit's items. Each carries a link to the node (implementation) it
// serves; the node clears the link when it goes, and a widget whose link is gone ignores its
// events. Nodes never delete their widget at once but hide it and let the event loop delete it,
// because a node often goes inside one of its widget's own event handlers (a button whose script
// closes its window).
//
// The events the toolkit sees first (key presses, mouse presses, releases and captured moves, the
// loss of the focus) go to the node before the widget's own handling; a key the toolkit handled
// never reaches the widget. Keys go to controls only (a key a control leaves alone travels up to
// its window, which does not pass it to the toolkit a second time).
//
// Drawn surfaces (lines, planes, circles, lists and the client area of windows and dialogs) keep
// a picture of what their item drew. A paint brings the picture up to date when it is stale (the
// item draws it anew through a drawing context) and shows it; drawing outside a paint goes into
// the picture at once, as on a window's own surface. A list's surface shows a focus mark (a frame
// in the highlight colour) over its picture while it has the focus. Every control shows its focus
// mark however the focus came to it.
#pragma once

#include <cstddef>
#include <functional>

#include <QCheckBox>
#include <QDialog>
#include <QImage>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QWidget>

class OGTQtNode;

class OGTQtLinked {
 public:
  virtual ~OGTQtLinked() = default;
  OGTQtNode* Node() const { return node_; }
  void SetNode(OGTQtNode* node) { node_ = node; }

 private:
  OGTQtNode* node_ = nullptr;
};

// Gives the toolkit its events first; true when the event is done with.
bool OGTQtFilterEvent(QWidget* widget, OGTQtLinked* linked, QEvent* event);

template <class Base>
class OGTQtWidget : public Base, public OGTQtLinked {
 public:
  using Base::Base;

 protected:
  bool event(QEvent* event) override {
    if (OGTQtFilterEvent(this, this, event)) return true;
    return Base::event(event);
  }
};

class OGTQtSurface : public OGTQtWidget<QWidget> {
 public:
  enum Fill { kTransparent, kWhite, kWindow };
  // A client surface is the client area of a window or dialog: window coordinates start at its
  // top left.
  OGTQtSurface(QWidget* parent, Fill fill, bool client);

  bool IsClient() const { return client_; }
  void MarkStale() { stale_ = true; }
  // The surface of a toolkit list: what its item inverts is a selected row, shown in the highlight
  // colours, and it shows the focus mark while it has the focus.
  bool ListSurface() const { return listSurface_; }
  void SetListSurface(bool flag) { listSurface_ = flag; }
  // The picture, drawn anew first when it is stale.
  QImage& Picture();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  void Redraw();

  QImage picture_;
  Fill fill_;
  bool client_;
  bool stale_ = true;
  bool drawing_ = false;
  bool listSurface_ = false;
};

// The client surface of the widget (the nearest client surface among it and its ancestors).
OGTQtSurface* OGTQtClientOf(QWidget* widget);
// The widget's top left in the coordinates of its window's client area.
QPoint OGTQtWindowOrigin(QWidget* widget);

// A field: a bordered edit that holds at most a limit of Shift-JIS bytes. A field tall enough for
// two lines or more wraps its text and scrolls vertically with its caret; a field whose height
// holds a single line does not wrap but scrolls sideways with its caret, so that the start of its
// text stays in its line (Home brings it back). It keeps its selection visible without the focus.
//
// Typing that would pass the limit is refused with a beep; a paste (or a drop) inserts as many
// whole characters of its text as fit, with a beep when it had to leave some out. Neither
// disturbs the undo history. A change made some other way that passes the limit is taken back.
class OGTQtEdit : public OGTQtWidget<QPlainTextEdit> {
 public:
  explicit OGTQtEdit(QWidget* parent);

  void SetLimit(size_t limit) { limit_ = limit; }
  size_t Limit() const { return limit_; }
  // Replaces the text without counting as the user's change.
  void SetTextQuietly(const QString& text);
  // Called after each change the user made, once the limit was checked.
  std::function<void()> onUserChange;
  // Whether the field's height holds a single line only (it then scrolls sideways).
  bool SingleLine() const { return lineWrapMode() == QPlainTextEdit::NoWrap; }
  // The part of text that fits in the room (in bytes of the toolkit's text), cut after a whole
  // character.
  static QString FittingPart(const QString& text, size_t room);

 protected:
  bool viewportEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  void insertFromMimeData(const QMimeData* source) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void Changed();
  // Wraps or scrolls sideways as the height decides.
  void FollowHeight();
  // The bytes left for new text once the selection is replaced.
  size_t Room() const;

  size_t limit_ = 32000;
  bool quiet_ = false;
  QString accepted_;
};

// A push button that shows images instead of its native look when it has them, chosen by the
// toolkit's rule (the normal image when the one its state calls for is missing).
class OGTQtButton : public OGTQtWidget<QPushButton> {
 public:
  using OGTQtWidget::OGTQtWidget;
  QImage images[3];  // normal, pressed, disabled
  int variant = 0;
  int value = 0;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

// A radio button that a press always sets; Qt groups none (the toolkit item keeps its group).
class OGTQtRadio : public OGTQtWidget<QRadioButton> {
 public:
  explicit OGTQtRadio(QWidget* parent);

 protected:
  void nextCheckState() override { setChecked(true); }
};

using OGTQtCheck = OGTQtWidget<QCheckBox>;
using OGTQtLabel = OGTQtWidget<QLabel>;
using OGTQtScrollBar = OGTQtWidget<QScrollBar>;

// A form window inside the main frame. The close box asks the toolkit first.
class OGTQtSubWindow : public OGTQtWidget<QMdiSubWindow> {
 public:
  using OGTQtWidget::OGTQtWidget;

 protected:
  void closeEvent(QCloseEvent* event) override;
};

// A top-level form window (when there is no main frame) or a dialog. Closing asks the toolkit;
// Return presses the toolkit dialog's default button and Escape its cancel button.
class OGTQtTopWidget : public OGTQtWidget<QDialog> {
 public:
  using OGTQtWidget::OGTQtWidget;
  OGTQtSurface* client = nullptr;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void reject() override {}
};
