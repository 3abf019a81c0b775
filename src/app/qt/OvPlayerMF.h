// The player's main frame: a main window whose central widget is the multiple-document area the
// form windows live in, with the player's menus. File offers close (of the active form window) and
// exit; Edit's commands act on the focused item of the active form window; the Window menu
// (shown while a form window is active) cascades, tiles and lines up minimised windows; Help opens
// the about box. Closing the frame ends the player's event loop.
#pragma once

#include <QMainWindow>

class OGTWindow;
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

  // The commands, as the menus run them.
  void CloseActiveForm();
  void EditUndo();
  void EditCut();
  void EditCopy();
  void EditPaste();
  void EditClear();
  void EditSelectAll();
  void ArrangeIcons();
  void ShowAbout();

  // The menu entries, for whoever drives the frame (tests among them).
  QAction* closeAction = nullptr;
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

 private:
  void BuildMenus();
  void FollowFocus(QPlainTextEdit* edit);

  QMdiArea* area_;
  QMenu* windowMenu_ = nullptr;
  QAction* windowMenuAction_ = nullptr;
  QMetaObject::Connection selectionWatch_;
  QMetaObject::Connection undoWatch_;
};
