#pragma once
// A side panel whose width or height slides to a target, a few pixels per
// timer step, instead of jumping there. The panel is hidden at size 0; the
// splitter handle beside it is enabled only while it has a size.
#include <QWidget>

class QTimer;

class TZmDynamicPanel : public QWidget {
  Q_OBJECT
public:
  explicit TZmDynamicPanel(QWidget* parent = nullptr);
  ~TZmDynamicPanel() override;

  int Interval = 20;  // milliseconds between steps
  int Offset = 16;    // pixels per step
  // Kept hidden while the panel slides (the page it hosts), shown at the end.
  QWidget* HiddenWhileSliding = nullptr;

  // direction 0: width, 1: height; other directions are ignored.
  void Dynamic(int direction, int target, QWidget* handle = nullptr);
  // One step of every running direction; the timer calls it.
  void Step();
  bool Sliding() const { return Running != 0; }
  int Size(int direction) const { return direction == 0 || direction == 1 ? Current[direction] : 0; }
  // Exists only while the panel slides.
  QTimer* Timer = nullptr;

private:
  void Apply(int direction);
  int Current[2] = {0, 0};
  int Target[2] = {0, 0};
  QWidget* Handle[2] = {nullptr, nullptr};
  unsigned Running = 0;  // bit 0 width, bit 1 height
};
