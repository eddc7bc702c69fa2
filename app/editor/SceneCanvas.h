#pragma once
// The widgets of the scene editor page: the canvas and the model picture.
#include <QWidget>

class TFrameEditScene;

// ccEdit: the scene at the current zoom; mouse and keys go to the page.
class TZmSceneCanvas : public QWidget {
  Q_OBJECT
public:
  explicit TZmSceneCanvas(TFrameEditScene* page, QWidget* parent);

protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;
  void enterEvent(QEnterEvent* e) override;
  void leaveEvent(QEvent* e) override;
  bool event(QEvent* e) override;
  bool focusNextPrevChild(bool) override { return false; }  // arrow and tab keys stay here

private:
  TFrameEditScene* Page;
};

// imgEdit: the model's edit picture, with its keys.
class TZmModelPicture : public QWidget {
  Q_OBJECT
public:
  explicit TZmModelPicture(TFrameEditScene* page, QWidget* parent);

protected:
  void paintEvent(QPaintEvent*) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void enterEvent(QEnterEvent* e) override;
  void leaveEvent(QEvent* e) override;

private:
  TFrameEditScene* Page;
};

