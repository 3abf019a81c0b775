// The state of the headless platform side that all its implementations share: the top-level
// windows from back to front, the keyboard focus, the running modal waits, the clipboard, the
// cursor, and the record of what a person would have seen (modal dialogs with their contents,
// beeps, sounds, cursor changes, file choosers, drawing calls). It also holds the queue of
// scripted user actions that modal waits take their next step from.
//
// A modal wait with an empty queue throws OGTHeadlessError: a test that forgot to script the user
// fails with a message instead of hanging.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "gt/OGTGraphics.h"
#include "gt/imp/OGTGuard.h"

class OGTContext;
class OGTDialog;
class OGTHeadlessNode;
class OGTItem;

class OGTHeadlessError : public std::runtime_error, public OGTUnguardedError {
 public:
  using std::runtime_error::runtime_error;
};

// One control of a dialog as it was seen.
struct OGTSeenItem {
  int32_t kind = 0;
  int32_t id = 0;
  int32_t x = 0;
  int32_t y = 0;
  int32_t width = 0;
  int32_t height = 0;
  std::string text;  // Shift-JIS
  bool visible = false;
  bool enabled = false;
  bool isDefault = false;  // a default button
};

// One thing a person would have noticed.
struct OGTSeen {
  enum What { kModal, kBeep, kSound, kCursor, kOpenChooser, kSaveChooser, kProgress, kProgressEnd };
  What what = kBeep;
  // kModal: the dialog's title, variant, geometry and controls in tree order.
  std::string title;
  int32_t variant = 0;
  int32_t x = 0;
  int32_t y = 0;
  int32_t width = 0;
  int32_t height = 0;
  std::vector<OGTSeenItem> items;
  // kCursor: the shape now visible.
  int32_t shape = 0;
  // kSound: the portable path and whether it played. kSaveChooser: the suggested name.
  std::string path;
  bool played = false;
  // kProgress: the progress window opened (title, whether it can be cancelled, no text yet) or
  // showed a text (Shift-JIS) and the share done in per mille (-1 when not known).
  std::string text;
  int32_t share = -1;
  bool cancellable = false;

  // The texts of the controls of one kind, in order.
  std::vector<std::string> TextsOf(int32_t kind) const;
};

// One drawing operation, in window coordinates.
struct OGTDrawCall {
  enum Op { kLine, kFrameRect, kFillRect, kInvertRect, kRoundRect, kEllipse, kText, kImage };
  Op op = kLine;
  OGTItem* item = nullptr;  // whose surface it was drawn on
  OGTRect rect;             // rectangles, text in a rectangle, images
  OGTPoint from;            // lines; text at a point (the baseline's left end)
  OGTPoint to;
  bool atPoint = false;  // text drawn at a point rather than in a rectangle
  std::string text;      // Shift-JIS text; for images the file name when known
  std::string face;      // Shift-JIS face name used for text
  int32_t points = 0;    // point size used for text
  uint16_t style = 0;
  OGTColor textColor;
  OGTColor pen;
  OGTColor fill;
  int32_t mode = 0;
  bool clipped = false;
  OGTRect clip;  // bounding box of the clip when clipped
  int32_t imageWidth = 0;
  int32_t imageHeight = 0;
};

// A step of the scripted user for a modal wait.
struct OGTHeadlessAction {
  enum Kind { kAct, kChooseFile, kCancelChooser, kQuit, kCancelProgress };
  Kind kind = kAct;
  std::string description;
  std::function<void(OGTDialog&)> act;  // kAct: acts on the waiting dialog
  std::string path;                     // kChooseFile
};

class OGTHeadlessScreen : public std::enable_shared_from_this<OGTHeadlessScreen> {
 public:
  OGTHeadlessScreen();
  ~OGTHeadlessScreen();

  // What was seen, oldest first.
  const std::vector<OGTSeen>& Seen() const { return seen_; }
  void ClearSeen() { seen_.clear(); }
  void Record(OGTSeen seen) { seen_.push_back(std::move(seen)); }
  // The last modal dialog seen, or null.
  const OGTSeen* LastModal() const;
  // What a person sees of a window or dialog now (a kModal record that is not kept).
  OGTSeen Snapshot(const OGTItem* topLevel) const;
  int32_t Beeps() const { return beeps_; }
  void CountBeep();

  const std::vector<OGTDrawCall>& Draws() const { return draws_; }
  void ClearDraws() { draws_.clear(); }
  void RecordDraw(OGTDrawCall call) { draws_.push_back(std::move(call)); }
  // Paints an item now (and its children when asked): its implementation's paint callback runs
  // with a fresh context. Hidden items are skipped. Items without an implementation of their own
  // (an image field) are part of the surface they lie on: painting that surface draws them too,
  // through their Draw, after the surface's own drawing.
  void Paint(OGTItem* item, bool withChildren);

  // Top-level windows and dialogs, back to front.
  const std::vector<OGTHeadlessNode*>& TopLevels() const { return topLevels_; }
  void AddTopLevel(OGTHeadlessNode* node);
  void RemoveTopLevel(OGTHeadlessNode* node);
  void BringToFront(OGTHeadlessNode* node);
  OGTHeadlessNode* FrontWindow() const;

  // The node whose native control has the keyboard focus, or null. Moving the focus tells the old
  // node that it lost it (a modified field sends 22 then).
  OGTHeadlessNode* Focus() const { return focus_; }
  void SetFocus(OGTHeadlessNode* node);
  // The platform's own focus move (Tab): to the next (previous) control of the node's window that
  // can take the focus, in tree order, wrapping round.
  void StepFocus(OGTHeadlessNode* from, bool backward);
  // Forgets the focus without telling anyone (the node is going away).
  void DropFocus(OGTHeadlessNode* node);

  // Modal dialogs waiting, outermost first. Only the innermost one takes user input.
  const std::vector<OGTHeadlessNode*>& ModalStack() const { return modal_; }
  void PushModal(OGTHeadlessNode* dialog);
  void RemoveModal(OGTHeadlessNode* dialog);

  // The queue of scripted user actions.
  void Enqueue(OGTHeadlessAction action) { actions_.push_back(std::move(action)); }
  bool HasAction() const { return !actions_.empty(); }
  // Throws OGTHeadlessError naming what was waiting when the queue is empty.
  OGTHeadlessAction NextAction(const std::string& waiting);
  // The next step without taking it, or null.
  const OGTHeadlessAction* PeekAction() const {
    return actions_.empty() ? nullptr : &actions_.front();
  }
  size_t PendingActions() const { return actions_.size(); }
  void DiscardActions() { actions_.clear(); }

  // A quit request ends every modal wait and stays until cleared.
  bool Quitting() const { return quitting_; }
  void SetQuitting(bool flag) { quitting_ = flag; }

  // The cursor a person sees: 52 while a counted wait runs, else the last plain shape set.
  int32_t Cursor() const;
  void SetCursorShape(int32_t shape);
  void BeginCountedWait();
  void EndCountedWait();

  std::string& Clipboard() { return clipboard_; }
  // Milliseconds since the headless system started; advances with every event.
  uint32_t Tick();
  // The clock that long work reads to decide when its progress window shows (OGTProgress): it
  // advances by the step each time it is read, so that a test decides how long each piece of work
  // seems to take. The step is 0 at first: work takes no time, and no progress window shows.
  uint64_t ProgressClock() { return progressClock_ += progressStep_; }
  void SetProgressClockStep(uint32_t milliseconds) { progressStep_ = milliseconds; }
  const OGTPoint& MousePosition() const { return mouse_; }
  void SetMousePosition(const OGTPoint& point) { mouse_ = point; }

 private:
  void RecordCursorIfChanged(int32_t before);
  // Draws the items below item that have no implementation, on the context of their surface.
  void DrawWithoutImp(OGTItem* item, OGTContext& context);

  std::vector<OGTSeen> seen_;
  std::vector<OGTDrawCall> draws_;
  std::vector<OGTHeadlessNode*> topLevels_;
  std::vector<OGTHeadlessNode*> modal_;
  std::deque<OGTHeadlessAction> actions_;
  OGTHeadlessNode* focus_ = nullptr;
  int32_t beeps_ = 0;
  bool quitting_ = false;
  int32_t cursorShape_ = 0;
  int32_t countedWaits_ = 0;
  std::string clipboard_;
  uint32_t clock_ = 1000;
  uint64_t progressClock_ = 0;
  uint32_t progressStep_ = 0;
  OGTPoint mouse_;
};
