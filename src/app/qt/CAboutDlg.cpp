#include "app/qt/CAboutDlg.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

#ifndef OV_PLAYER_VERSION
#define OV_PLAYER_VERSION "0"
#endif

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QString::fromUtf8("OvPlayer のバージョン情報"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QString::fromUtf8("OvPlayer バージョン " OV_PLAYER_VERSION), this));
  layout->addWidget(
      new QLabel(QString::fromUtf8("フォーム型データベースアプリケーションのプレイヤー\n"
                                   "組み込みデータベースエンジン Varnex 付き"),
                 this));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  setModal(true);
}
