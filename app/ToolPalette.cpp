#include "app/ToolPalette.h"

#include <QAction>
#include <QActionGroup>
#include <QGroupBox>
#include <QPainter>
#include <QPixmap>
#include <QToolButton>
#include <QVBoxLayout>
#include <map>

#include "app/LanguageUi.h"

namespace {
enum : int { kPaletteCaption = 1102 };

struct Tool {
  const char* Name;
  const char* Placeholder;
  int32_t Code;
};
// The shapes that exist; further tools join as their objects do.
const Tool kTools[] = {
    {"actPoint", "Point", 0},
    {"actLine", "Line", 1},
    {"actCircle", "Circle", 0x40002},
    {"actEllipse", "Ellipse", 2},
    {"actRectangle", "Rectangle", 3},
    {"actRoundRectangle", "Round Rectangle", 4},
    {"actArc", "Arc", 5},
    {"actPie", "Pie", 6},
    {"actChord", "Chord", 7},
    {"actFillCircle", "Fill Circle", 0x40003},
    {"actFillEillipse", "Fill Eillipse", 0x40004},
    {"actFillRectangle", "Fill Rectangle", 0x40005},
    {"actFillRoundRectangle", "Fill Round Rectangle", 0x40006},
    {"actFillPie", "Fill Pie", 0x40007},
    {"actFillChord", "Fill Chord", 0x40008},
};
}  // namespace

QIcon ToolImage(int32_t code)
{
  static std::map<int32_t, QIcon> cache;
  auto it = cache.find(code);
  if (it != cache.end()) return it->second;
  QPixmap pm(16, 16);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setPen(QPen(QColor(30, 50, 110), 1.2));
  const bool filled = code >= 0x40003 && code <= 0x40008;
  p.setBrush(filled ? QBrush(QColor(90, 140, 220)) : Qt::NoBrush);
  const QRectF r(2.5, 3.5, 11, 9), sq(3.5, 3.5, 9, 9);
  switch (code) {
    case -1:
      p.setBrush(Qt::white);
      p.drawPolygon(QPolygonF({QPointF(4, 2), QPointF(4, 13), QPointF(7, 10), QPointF(10, 14), QPointF(11.5, 13), QPointF(9, 9), QPointF(12, 9)}));
      break;
    case 0: p.setBrush(QColor(30, 50, 110)); p.drawEllipse(QRectF(6, 6, 4, 4)); break;
    case 1: p.drawLine(QPointF(2, 13), QPointF(14, 3)); break;
    case 0x40002: case 0x40003: p.drawEllipse(sq); break;
    case 2: case 0x40004: p.drawEllipse(r); break;
    case 3: case 0x40005: p.drawRect(r); break;
    case 4: case 0x40006: p.drawRoundedRect(r, 3, 3); break;
    case 5: p.drawArc(r.adjusted(0, 0, 0, 4), 0, 180 * 16); break;
    case 6: case 0x40007: p.drawPie(QRectF(2.5, 2.5, 11, 11), 30 * 16, 270 * 16); break;
    case 7: case 0x40008: p.drawChord(QRectF(2.5, 2.5, 11, 11), 20 * 16, 220 * 16); break;
    default: p.drawRect(r); break;
  }
  p.end();
  return cache[code] = QIcon(pm);
}

TFrameToolPalette::TFrameToolPalette(QWidget* parent) : QWidget(parent)
{
  setObjectName(QStringLiteral("FrameToolPalette"));
  MarkFormOwner(this);
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  gbxTools = new QGroupBox(QStringLiteral("Tool Palette"), this);
  gbxTools->setObjectName(QStringLiteral("gbxTools"));
  outer->addWidget(gbxTools);
  auto* column = new QVBoxLayout(gbxTools);
  column->setSpacing(1);
  Group = new QActionGroup(this);
  Group->setExclusive(true);
  auto make = [&](const char* name, const char* placeholder, int32_t code) {
    auto* a = new QAction(ToolImage(code), QString::fromLatin1(placeholder), this);
    a->setObjectName(QLatin1String(name));
    a->setCheckable(true);
    a->setData(code);
    Group->addAction(a);
    auto* b = new QToolButton(gbxTools);
    b->setDefaultAction(a);
    b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    b->setAutoRaise(true);
    column->addWidget(b);
    connect(a, &QAction::triggered, this, [this, a] { Activate(a); });
    return a;
  };
  actCursor = make("actCursor", "Cursor", -1);
  for (const Tool& t : kTools) make(t.Name, t.Placeholder, t.Code);
  column->addStretch(1);
  setMinimumWidth(160);
  Cursor();
}

void TFrameToolPalette::Activate(QAction* a)
{
  a->setChecked(true);
  ToolCode = a->data().toInt();
  ToolName = a->text();
  QString caption = Text(kPaletteCaption);
  gbxTools->setTitle(caption.isEmpty() ? ToolName : caption + QStringLiteral(" : ") + ToolName);
  if (OnToolChanged) OnToolChanged(ToolCode);
}

void TFrameToolPalette::Cursor() { Activate(actCursor); }

void TFrameToolPalette::SelectTool(int32_t code)
{
  for (QAction* a : Group->actions())
    if (a->data().toInt() == code) {
      Activate(a);
      return;
    }
  Cursor();
}
