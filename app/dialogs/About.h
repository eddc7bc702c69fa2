#pragma once
// The about box: the program's picture, name and version. Made on first
// use, kept, and shown without modality.
#include <QDialog>

class QLabel;
class QPushButton;

class TFormAbout : public QDialog {
  Q_OBJECT
public:
  explicit TFormAbout(QWidget* parent = nullptr);
  QLabel *imgAbout, *lblMain, *lblText;
  QPushButton* btnOK;
};
