// The about box: the player's name and version, opened modally from the Help menu.
#pragma once

#include <QDialog>

class CAboutDlg : public QDialog {
 public:
  explicit CAboutDlg(QWidget* parent);
};
