#include "app/qt/OvPlayerMF.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QStyle>
#include <QTimer>

#include "app/OvARunner.h"
#include "app/qt/CAboutDlg.h"
#include "gt/OGTWindow.h"
#include "gt/imp/qt/OGTQtImp.h"

namespace {

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

QAction* AddCommand(QMenu* menu, const char* text, QKeySequence keys = QKeySequence()) {
  QAction* action = menu->addAction(U(text));
  if (!keys.isEmpty()) action->setShortcut(keys);
  return action;
}

// The native edit control that has the focus inside the widget, or null.
QPlainTextEdit* FocusedEditIn(QWidget* window) {
  auto* edit = qobject_cast<QPlainTextEdit*>(QApplication::focusWidget());
  return edit != nullptr && window != nullptr && window->isAncestorOf(edit) ? edit : nullptr;
}

}  // namespace

OvPlayerMF::OvPlayerMF() : area_(new QMdiArea(this)) {
  setCentralWidget(area_);
  // A form placed beyond the visible area stays reachable.
  area_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  area_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  BuildMenus();
  connect(area_, &QMdiArea::subWindowActivated, this, [this] { UpdateCommands(); });
  connect(qApp, &QApplication::focusChanged, this,
          [this](QWidget*, QWidget* now) { FollowFocus(qobject_cast<QPlainTextEdit*>(now)); });
  UpdateCommands();
}

OvPlayerMF::~OvPlayerMF() {
  // Deleting the frame's widgets moves the focus; the commands must not follow it any more.
  disconnect(qApp, nullptr, this, nullptr);
  disconnect(area_, nullptr, this, nullptr);
  QObject::disconnect(selectionWatch_);
  QObject::disconnect(undoWatch_);
}

void OvPlayerMF::BuildMenus() {
  QMenu* file = menuBar()->addMenu(U("ﾌｧｲﾙ(&F)"));
  // New has no handler in the player; it stays disabled.
  AddCommand(file, "新規作成(&N)", QKeySequence::New)->setEnabled(false);
  closeAction = AddCommand(file, "閉じる(&C)");
  appListAction = AddCommand(file, "アプリケーションリスト(&L)");
  connect(file, &QMenu::aboutToShow, this, [this] { UpdateCommands(); });
  file->addSeparator();
  exitAction = AddCommand(file, "アプリケーションの終了(&X)");

  QMenu* edit = menuBar()->addMenu(U("編集(&E)"));
  undoAction = AddCommand(edit, "元に戻す(&U)", QKeySequence::Undo);
  edit->addSeparator();
  cutAction = AddCommand(edit, "切り取り(&T)", QKeySequence::Cut);
  copyAction = AddCommand(edit, "コピー(&C)", QKeySequence::Copy);
  pasteAction = AddCommand(edit, "貼り付け(&P)", QKeySequence::Paste);
  clearAction = AddCommand(edit, "削除(&D)");
  edit->addSeparator();
  selectAllAction = AddCommand(edit, "すべて選択(&A)", QKeySequence::SelectAll);
  connect(edit, &QMenu::aboutToShow, this, [this] { UpdateCommands(); });

  windowMenu_ = menuBar()->addMenu(U("ｳｨﾝﾄﾞｳ(&W)"));
  windowMenuAction_ = windowMenu_->menuAction();
  cascadeAction = AddCommand(windowMenu_, "重ねて表示(&C)");
  tileAction = AddCommand(windowMenu_, "並べて表示(&T)");
  arrangeAction = AddCommand(windowMenu_, "アイコンの整列(&A)");

  QMenu* help = menuBar()->addMenu(U("ﾍﾙﾌﾟ(&H)"));
  aboutAction = AddCommand(help, "バージョン情報(&A)...");

  connect(closeAction, &QAction::triggered, this, [this] { CloseActiveForm(); });
  connect(appListAction, &QAction::triggered, this, [this] { ShowAppList(); });
  connect(exitAction, &QAction::triggered, this, [this] { close(); });
  connect(undoAction, &QAction::triggered, this, [this] { EditUndo(); });
  connect(cutAction, &QAction::triggered, this, [this] { EditCut(); });
  connect(copyAction, &QAction::triggered, this, [this] { EditCopy(); });
  connect(pasteAction, &QAction::triggered, this, [this] { EditPaste(); });
  connect(clearAction, &QAction::triggered, this, [this] { EditClear(); });
  connect(selectAllAction, &QAction::triggered, this, [this] { EditSelectAll(); });
  connect(cascadeAction, &QAction::triggered, this, [this] { Cascade(); });
  connect(tileAction, &QAction::triggered, area_, &QMdiArea::tileSubWindows);
  connect(arrangeAction, &QAction::triggered, this, [this] { ArrangeIcons(); });
  connect(aboutAction, &QAction::triggered, this, [this] { ShowAbout(); });
  for (QMenu* menu : {file, edit, windowMenu_, help}) menu->installEventFilter(this);
}

bool OvPlayerMF::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && qobject_cast<QMenu*>(watched) != nullptr &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
    // The menu closes as usual; the menu bar would then keep the keyboard for itself and take
    // the next key.
    QTimer::singleShot(0, this, [this] { LeaveMenuBar(); });
  }
  return QMainWindow::eventFilter(watched, event);
}

void OvPlayerMF::LeaveMenuBar() {
  QMenuBar* bar = menuBar();
  if (!bar->hasFocus()) return;  // the keyboard went back already
  QAction* open = bar->activeAction();
  if (open != nullptr && open->menu() != nullptr && open->menu()->isVisible()) return;
  // Escape on the bar itself ends its keyboard mode and gives the focus back to the form.
  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(bar, &escape);
}

OGTWindow* OvPlayerMF::ActiveFormWindow() const {
  QMdiSubWindow* sub = area_->activeSubWindow();
  OGTQtNode* node = sub != nullptr ? OGTQtNode::OfWidget(sub) : nullptr;
  return node != nullptr ? dynamic_cast<OGTWindow*>(node->NodeItem()) : nullptr;
}

void OvPlayerMF::UpdateCommands() {
  QMdiSubWindow* sub = area_->activeSubWindow();
  bool active = ActiveFormWindow() != nullptr;
  QPlainTextEdit* edit = FocusedEditIn(sub);
  bool selection = edit != nullptr && edit->textCursor().hasSelection();
  closeAction->setVisible(sub != nullptr);
  appListAction->setEnabled(runner_ != nullptr && runner_->AppList() == nullptr);
  windowMenuAction_->setVisible(sub != nullptr);
  undoAction->setEnabled(edit != nullptr && !edit->isReadOnly() &&
                         edit->document()->isUndoAvailable());
  cutAction->setEnabled(active && selection);
  clearAction->setEnabled(active && selection);
  copyAction->setEnabled(active && selection);
  pasteAction->setEnabled(active);
  selectAllAction->setEnabled(active);
}

void OvPlayerMF::FollowFocus(QPlainTextEdit* edit) {
  // The edit commands' enabling follows the focused edit control's selection and undo state.
  QObject::disconnect(selectionWatch_);
  QObject::disconnect(undoWatch_);
  if (edit != nullptr) {
    selectionWatch_ =
        connect(edit, &QPlainTextEdit::selectionChanged, this, [this] { UpdateCommands(); });
    undoWatch_ = connect(edit, &QPlainTextEdit::undoAvailable, this, [this] { UpdateCommands(); });
  }
  UpdateCommands();
}

void OvPlayerMF::SetRunner(OvARunner* runner) {
  runner_ = runner;
  UpdateCommands();
}

void OvPlayerMF::ShowAppList() {
  if (runner_ != nullptr) runner_->ShowAppList();
  UpdateCommands();
}

void OvPlayerMF::CloseActiveForm() {
  // The sub-window asks the toolkit window whether it may close; closing deletes it.
  if (QMdiSubWindow* sub = area_->activeSubWindow()) sub->close();
}

void OvPlayerMF::EditUndo() {
  if (QPlainTextEdit* edit = FocusedEditIn(area_->activeSubWindow())) edit->undo();
}

void OvPlayerMF::EditCut() {
  if (OGTWindow* window = ActiveFormWindow()) window->Cut();
}

void OvPlayerMF::EditCopy() {
  if (OGTWindow* window = ActiveFormWindow()) window->Copy();
}

void OvPlayerMF::EditPaste() {
  if (OGTWindow* window = ActiveFormWindow()) window->Paste();
}

void OvPlayerMF::EditClear() {
  if (OGTWindow* window = ActiveFormWindow()) window->Clear();
}

void OvPlayerMF::EditSelectAll() {
  if (OGTWindow* window = ActiveFormWindow()) window->SelectAll();
}

void OvPlayerMF::Cascade() {
  // The step is a caption's height, so that every caption stays in sight.
  int step = style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, area_);
  if (step <= 0) step = 24;
  QRect shown = area_->viewport()->rect();
  QPoint at;
  for (QMdiSubWindow* sub : area_->subWindowList(QMdiArea::ActivationHistoryOrder)) {
    if (!sub->isVisible() || sub->isMinimized()) continue;
    if (sub->isMaximized()) sub->showNormal();
    if (at.y() > 0 && at.y() + sub->height() > shown.height()) at.setY(0);
    if (at.x() > 0 && at.x() + sub->width() > shown.width()) at.setX(0);
    sub->move(at);
    sub->raise();
    at += QPoint(step, step);
  }
  if (QMdiSubWindow* active = area_->activeSubWindow()) active->raise();
}

void OvPlayerMF::ArrangeIcons() {
  // Minimised form windows line up from the bottom left corner, row over row.
  int x = 0;
  int bottom = area_->viewport()->height();
  for (QMdiSubWindow* sub : area_->subWindowList(QMdiArea::CreationOrder)) {
    if (!sub->isMinimized() || !sub->isVisible()) continue;
    QSize size = sub->size();
    if (x > 0 && x + size.width() > area_->viewport()->width()) {
      x = 0;
      bottom -= size.height();
    }
    sub->move(x, bottom - size.height());
    x += size.width();
  }
}

void OvPlayerMF::ShowAbout() {
  CAboutDlg about(this);
  about.exec();
}

void OvPlayerMF::closeEvent(QCloseEvent* event) {
  // The event loop ends; the player's shut-down deletes the runner, its windows and the engine.
  // Exiting the loop directly (rather than quitting the application) keeps Qt from asking every
  // other window to close first.
  event->accept();
  QCoreApplication::exit(0);
}
