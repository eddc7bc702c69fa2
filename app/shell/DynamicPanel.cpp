#include "app/shell/DynamicPanel.h"

#include <QSplitter>
#include <QTimer>
#include <algorithm>

TZmDynamicPanel::TZmDynamicPanel(QWidget* parent) : QWidget(parent) {}

TZmDynamicPanel::~TZmDynamicPanel()
{
  if (Timer) Timer->stop();
}

void TZmDynamicPanel::Dynamic(int direction, int target, QWidget* handle)
{
  if (direction != 0 && direction != 1) return;
  // A slide starts where the panel stands now (nothing when it is hidden).
  if (!(Running & (1u << direction))) Current[direction] = isHidden() ? 0 : (direction == 0 ? width() : height());
  Target[direction] = std::max(0, target);
  Handle[direction] = handle;
  Running |= 1u << direction;
  if (!Timer) {
    Timer = new QTimer(this);
    Timer->setInterval(Interval);
    connect(Timer, &QTimer::timeout, this, &TZmDynamicPanel::Step);
  }
  if (HiddenWhileSliding) HiddenWhileSliding->hide();
  Timer->start();
}

void TZmDynamicPanel::Step()
{
  for (int d = 0; d < 2; ++d) {
    if (!(Running & (1u << d))) continue;
    int& size = Current[d];
    const int target = Target[d], step = std::max(1, Offset);
    // A step past the target stops at it.
    if (size < target) size = std::min(size + step, target);
    else if (size > target) size = std::max(size - step, target);
    if (size == target) Running &= ~(1u << d);
    Apply(d);
  }
  if (Running) return;
  if (Timer) {
    Timer->stop();
    Timer->deleteLater();
    Timer = nullptr;
  }
  // Settled: the user may size it again by its splitter.
  if (!isHidden()) {
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    if (auto* splitter = qobject_cast<QSplitter*>(parentWidget()); splitter && Current[0] > 0) {
      QList<int> sizes = splitter->sizes();
      const int at = splitter->indexOf(this), widest = int(std::max_element(sizes.begin(), sizes.end()) - sizes.begin());
      if (at >= 0 && widest != at) {
        sizes[widest] += sizes[at] - Current[0];
        sizes[at] = Current[0];
        splitter->setSizes(sizes);
      }
    }
  }
  if (HiddenWhileSliding) HiddenWhileSliding->show();
}

void TZmDynamicPanel::Apply(int d)
{
  const int size = Current[d];
  if (Handle[d]) Handle[d]->setEnabled(size > 0);
  if (size <= 0) {
    hide();
    return;
  }
  if (d == 0) setFixedWidth(size);
  else setFixedHeight(size);
  show();
}
