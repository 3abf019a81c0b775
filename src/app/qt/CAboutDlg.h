// The about box: the player's icon, name and version, opened modally from the Help menu. Its size
// is fixed to its contents; its caption has only the close box, and its one button reads "了解"
// like every other box of the player.
#pragma once

#include <QDialog>

class QPushButton;

class CAboutDlg : public QDialog {
 public:
  explicit CAboutDlg(QWidget* parent);

  QPushButton* OkButton() const { return ok_; }

 private:
  QPushButton* ok_;
};
