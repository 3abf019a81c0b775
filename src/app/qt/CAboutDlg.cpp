#include "app/qt/CAboutDlg.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#ifndef OV_PLAYER_VERSION
#define OV_PLAYER_VERSION "0"
#endif

CAboutDlg::CAboutDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
  setWindowTitle(QString::fromUtf8("OvPlayer のバージョン情報"));
  auto* layout = new QVBoxLayout(this);
  // The layout decides the size, and the user cannot change it.
  layout->setSizeConstraint(QLayout::SetFixedSize);

  auto* top = new QHBoxLayout;
  auto* icon = new QLabel(this);
  icon->setPixmap(QApplication::windowIcon().pixmap(48, 48));
  top->addWidget(icon, 0, Qt::AlignTop);
  auto* texts = new QVBoxLayout;
  texts->addWidget(new QLabel(QString::fromUtf8("OvPlayer バージョン " OV_PLAYER_VERSION), this));
  texts->addWidget(
      new QLabel(QString::fromUtf8("フォーム型データベースアプリケーションのプレイヤー\n"
                                   "組み込みデータベースエンジン Varnex 付き"),
                 this));
  top->addLayout(texts);
  layout->addLayout(top);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  ok_ = new QPushButton(QString::fromUtf8("了解"), this);
  ok_->setDefault(true);
  ok_->setMinimumWidth(80);
  buttons->addWidget(ok_);
  layout->addLayout(buttons);
  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
  setModal(true);
}
