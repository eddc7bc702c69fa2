#include "app/dialogs/About.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/shell/LanguageUi.h"

namespace {
// The program's picture: a panel with a screen and two rows of keys.
QPixmap AboutPicture()
{
  QPixmap pm(105, 105);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setPen(QPen(QColor(40, 45, 55), 2));
  p.setBrush(QColor(70, 75, 85));
  p.drawRoundedRect(QRectF(6, 14, 93, 78), 8, 8);
  p.setBrush(QColor(200, 220, 250));
  p.drawRect(QRectF(16, 22, 73, 40));
  p.setPen(QPen(QColor(40, 140, 60), 3));
  p.drawLine(QPointF(22, 52), QPointF(38, 38));
  p.drawLine(QPointF(38, 38), QPointF(52, 46));
  p.drawLine(QPointF(52, 46), QPointF(82, 30));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(215, 220, 230));
  for (int row = 0; row < 2; ++row)
    for (int i = 0; i < 5; ++i) p.drawRoundedRect(QRectF(16 + i * 15, 68 + row * 11, 11, 7), 2, 2);
  p.end();
  return pm;
}
}  // namespace

TFormAbout::TFormAbout(QWidget* parent) : QDialog(parent)
{
  setObjectName(QStringLiteral("FormAbout"));
  MarkFormOwner(this);
  setModal(false);
  setFixedSize(514, 171);
  QFont f = font();
  f.setFamily(QStringLiteral("Tahoma"));
  setFont(f);
  auto* row = new QHBoxLayout(this);
  imgAbout = new QLabel(this);
  imgAbout->setObjectName(QStringLiteral("imgAbout"));
  imgAbout->setPixmap(AboutPicture());
  imgAbout->setFixedSize(105, 105);
  row->addWidget(imgAbout, 0, Qt::AlignTop);
  auto* column = new QVBoxLayout;
  lblMain = new QLabel(this);
  lblMain->setObjectName(QStringLiteral("lblMain"));
  QFont big = lblMain->font();
  big.setPointSize(big.pointSize() * 2);
  big.setBold(true);
  lblMain->setFont(big);
  // The version shows as 1.23: the minor number is printed as two hex digits.
  lblMain->setText(QString::asprintf("Kestrava v%d.%02x", 1, 35));
  column->addWidget(lblMain);
  lblText = new QLabel(this);
  lblText->setObjectName(QStringLiteral("lblText"));
  lblText->setWordWrap(true);
  column->addWidget(lblText);
  column->addStretch(1);
  btnOK = new QPushButton(this);
  btnOK->setObjectName(QStringLiteral("btnOK"));
  btnOK->setDefault(true);
  connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
  column->addWidget(btnOK, 0, Qt::AlignRight);
  row->addLayout(column, 1);
  TranslateComponent(this);
}
