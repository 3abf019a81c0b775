// The player's main frame: a main window whose central widget is the multiple-document area the
// form windows live in, with the player's menus. File offers close (of the active form window),
// the application list (whenever it is not open, so that the user can always open another form)
// and exit; Edit's commands act on the focused item of the active form window; the Window menu
// (shown while a form window is active) cascades, tiles and lines up minimised windows; Help opens
// the about box. Closing the frame ends the player's event loop. Escape in an open menu closes it
// and hands the keyboard back to the form at once, so that the next key reaches the form.
//
// The area shows scroll bars when a form window lies beyond what it shows. Cascading keeps each
// form window at its own size: the windows are stepped down and right from the top left, each
// above the one before, starting again at the top when one would reach past the bottom.
#pragma once

#include <QMainWindow>

class OGTWindow;
class OvARunner;
class QAction;
class QMdiArea;
class QMenu;
class QPlainTextEdit;

class OvPlayerMF : public QMainWindow {
 public:
  OvPlayerMF();
  ~OvPlayerMF() override;

  QMdiArea* Area() const { return area_; }
  // The pop-up that is shown only while a form window is active.
  QMenu* ChildMenu() const { return windowMenu_; }

  // The toolkit window of the active form window, or null.
  OGTWindow* ActiveFormWindow() const;
  // Brings the enabling of the edit commands and the child menu up to date.
  void UpdateCommands();
  // The runner whose application list the File menu shows; null until start-up made it.
  void SetRunner(OvARunner* runner);

  // The commands, as the menus run them.
  void CloseActiveForm();
  void ShowAppList();
  void EditUndo();
  void EditCut();
  void EditCopy();
  void EditPaste();
  void EditClear();
  void EditSelectAll();
  void Cascade();
  void ArrangeIcons();
  void ShowAbout();

  // The menu entries, for whoever drives the frame (tests among them).
  QAction* closeAction = nullptr;
  QAction* appListAction = nullptr;
  QAction* exitAction = nullptr;
  QAction* undoAction = nullptr;
  QAction* cutAction = nullptr;
  QAction* copyAction = nullptr;
  QAction* pasteAction = nullptr;
  QAction* clearAction = nullptr;
  QAction* selectAllAction = nullptr;
  QAction* cascadeAction = nullptr;
  QAction* tileAction = nullptr;
  QAction* arrangeAction = nullptr;
  QAction* aboutAction = nullptr;

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildMenus();
  // After Escape closed a menu: the menu bar gives the keyboard back to where it was.
  void LeaveMenuBar();
  void FollowFocus(QPlainTextEdit* edit);

  QMdiArea* area_;
  OvARunner* runner_ = nullptr;
  QMenu* windowMenu_ = nullptr;
  QAction* windowMenuAction_ = nullptr;
  QMetaObject::Connection selectionWatch_;
  QMetaObject::Connection undoWatch_;
};
