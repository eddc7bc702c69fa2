#include "app/editor/ToolPalette.h"

#include <QAction>
#include <QActionGroup>
#include <QGroupBox>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QScrollArea>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>
#include <map>

#include "app/editor/DrawingTools.h"
#include "app/shell/LanguageUi.h"

namespace {
enum : int { kPaletteCaption = 1102 };

struct ToolEntry {
  const char* Name;
  const char* Placeholder;
  int32_t Code;
  int Image;
};
struct CategoryEntry {
  const char* Name;
  const char* Placeholder;
  bool Expanded;
  std::vector<ToolEntry> Tools;
};

// Every command of the palette, in display order. The tag of each command
// is its tool code.
const std::vector<CategoryEntry>& Layout()
{
  static const std::vector<CategoryEntry> list = {
      {"catGraphic",
       "Graphic",
       true,
       {{"actPoint", "Point", 0, 1},
        {"actLine", "Line", 1, 2},
        {"actCircle", "Circle", 0x40002, 3},
        {"actEllipse", "Ellipse", 2, 4},
        {"actRectangle", "Rectangle", 3, 5},
        {"actRoundRectangle", "Round Rectangle", 4, 6},
        {"actArc", "Arc", 5, 7},
        {"actPie", "Pie", 6, 8},
        {"actChord", "Chord", 7, 9},
        {"actPolygon", "Polygon", 8, 10},
        {"actCurve", "Curve", 0x40009, 11},
        {"actFillCircle", "Fill Circle", 0x40003, 12},
        {"actFillEillipse", "Fill Eillipse", 0x40004, 13},
        {"actFillRectangle", "Fill Rectangle", 0x40005, 14},
        {"actFillRoundRectangle", "Fill Round Rectangle", 0x40006, 15},
        {"actFillPie", "Fill Pie", 0x40007, 16},
        {"actFillChord", "Fill Chord", 0x40008, 17},
        {"actFillPoly", "Fill Poly", 0x4000A, 18}}},
      {"catStatic",
       "Static",
       false,
       {{"actLabel", "Label", 9, 19},
        {"actBevel", "Bevel", 0x4000B, 20},
        {"actScale", "Scale", 10, 21},
        {"actTable", "Table", 11, 22},
        {"actPicture", "Picture", 12, 23}}},
      {"catButton",
       "Button",
       false,
       {{"actBtnON", "ON Button", 0x30000, 24},
        {"actBtnOFF", "OFF Button", 0x4000C, 25},
        {"actBtnSW", "SW Button", 0x4000D, 26},
        {"actBtnHold", "Hold Button", 0x4000E, 27},
        {"actBtnValue", "Set Value Button", 0x20000, 28},
        {"actBtnConst", "Const Button", 0x4000F, 29},
        {"actBtnInc", "INC Button", 0x40010, 30},
        {"actBtnDec", "DEC Button", 0x40011, 31},
        {"actBtnGoPage", "Jump Buttom", 0x20001, 32},
        {"actBtnBackPage", "Back Button", 0x40012, 33},
        {"actBtnFun", "Fun Button", 0x20002, 34},
        {"actBtnKey", "Key Button", 0x20003, 35},
        {"actBtnStatusSet", "Set Status Button", 0x20004, 36}}},
      {"catDisplay",
       "Display",
       false,
       {{"actLamp", "Lamp", 0x10000, 37},
        {"actNum", "Numeric Display", 0x10001, 38},
        {"actText", "Text Display", 0x10002, 39},
        {"actBar", "Bar", 0x10007, 42},
        {"actFloatBar", "Float Bar", 0x40014, 43}}},
      {"catEdit",
       "Edit",
       false,
       {{"actMultiStatus", "Multi Status Edit", 0x30001, 45}, {"actEditNum", "Numeric Entry", 0x30002, 46}}},
  };
  return list;
}

const QColor kInk(30, 50, 110), kFill(90, 140, 220), kLight(235, 240, 250);

void Glyph(QPainter& p, const QRectF& r, const QString& text, int px, bool bold = true)
{
  QFont f = p.font();
  f.setPixelSize(px);
  f.setBold(bold);
  p.setFont(f);
  p.drawText(r, Qt::AlignCenter, text);
}

// A small push button with a mark, the base of every button picture.
void ButtonBody(QPainter& p, const QColor& face)
{
  p.setPen(QPen(kInk, 1));
  p.setBrush(face);
  p.drawRoundedRect(QRectF(1.5, 3.5, 13, 9), 2, 2);
}
}  // namespace

QIcon PaletteImage(int index)
{
  static std::map<int, QIcon> cache;
  auto it = cache.find(index);
  if (it != cache.end()) return it->second;
  QPixmap pm(16, 16);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setPen(QPen(kInk, 1.2));
  p.setBrush(Qt::NoBrush);
  const bool filled = index >= 12 && index <= 18;
  if (filled) p.setBrush(kFill);
  const QRectF wide(2.5, 3.5, 11, 9), square(3.5, 3.5, 9, 9), round(2.5, 2.5, 11, 11);
  const QPolygonF poly({QPointF(2.5, 12.5), QPointF(5, 3), QPointF(10, 6), QPointF(13.5, 2.5), QPointF(12, 13)});
  switch (index) {
    case 0:  // cursor
      p.setBrush(Qt::white);
      p.drawPolygon(QPolygonF({QPointF(4, 2), QPointF(4, 13), QPointF(7, 10), QPointF(10, 14), QPointF(11.5, 13),
                               QPointF(9, 9), QPointF(12, 9)}));
      break;
    case 1:
      p.setBrush(kInk);
      p.drawEllipse(QRectF(6, 6, 4, 4));
      break;
    case 2: p.drawLine(QPointF(2, 13), QPointF(14, 3)); break;
    case 3: case 12: p.drawEllipse(square); break;
    case 4: case 13: p.drawEllipse(wide); break;
    case 5: case 14: p.drawRect(wide); break;
    case 6: case 15: p.drawRoundedRect(wide, 3, 3); break;
    case 7: p.drawArc(round, 0, 180 * 16); break;
    case 8: case 16: p.drawPie(round, 30 * 16, 270 * 16); break;
    case 9: case 17: p.drawChord(round, 20 * 16, 220 * 16); break;
    case 10: p.drawPolyline(poly); break;
    case 18: p.drawPolygon(poly); break;
    case 11: {  // curve: a freehand stroke
      QPainterPath path(QPointF(2, 12));
      path.cubicTo(QPointF(4, 0), QPointF(9, 16), QPointF(14, 3));
      p.drawPath(path);
      break;
    }
    case 19:  // label
      p.setBrush(kLight);
      p.drawRect(QRectF(1.5, 3.5, 13, 9));
      Glyph(p, QRectF(1, 3, 14, 10), QStringLiteral("A"), 9);
      break;
    case 20:  // bevel: light and dark edges
      p.setPen(QPen(Qt::white, 2));
      p.drawLine(QPointF(2, 13), QPointF(2, 3)), p.drawLine(QPointF(2, 3), QPointF(14, 3));
      p.setPen(QPen(QColor(90, 90, 90), 2));
      p.drawLine(QPointF(14, 3), QPointF(14, 13)), p.drawLine(QPointF(14, 13), QPointF(2, 13));
      p.fillRect(QRectF(3.5, 4.5, 9, 7), QColor(200, 200, 200));
      break;
    case 21:  // scale: a ruler of ticks
      p.drawLine(QPointF(3, 2), QPointF(3, 14));
      for (int i = 0; i < 5; ++i) p.drawLine(QPointF(3, 2.5 + 2.75 * i), QPointF(i % 2 ? 7 : 11, 2.5 + 2.75 * i));
      break;
    case 22:  // table
      p.setBrush(Qt::white);
      p.drawRect(QRectF(1.5, 2.5, 13, 11));
      p.drawLine(QPointF(1.5, 6.5), QPointF(14.5, 6.5)), p.drawLine(QPointF(1.5, 10), QPointF(14.5, 10));
      p.drawLine(QPointF(6, 2.5), QPointF(6, 13.5)), p.drawLine(QPointF(10, 2.5), QPointF(10, 13.5));
      break;
    case 23:  // picture: hills and a sun in a frame
      p.setBrush(kLight);
      p.drawRect(QRectF(1.5, 2.5, 13, 11));
      p.setBrush(QColor(70, 150, 80));
      p.drawPolygon(QPolygonF({QPointF(2, 13), QPointF(6, 7), QPointF(9, 10), QPointF(11, 8), QPointF(14, 13)}));
      p.setBrush(QColor(240, 190, 40));
      p.drawEllipse(QRectF(9.5, 3.5, 3, 3));
      break;
    case 24: case 25: case 26: case 27: {  // bit buttons: on, off, switch, hold
      ButtonBody(p, kLight);
      const QColor mark[] = {QColor(40, 160, 60), QColor(200, 50, 40), QColor(230, 160, 30), QColor(60, 110, 200)};
      p.setBrush(mark[index - 24]);
      p.setPen(Qt::NoPen);
      if (index == 26) p.drawRect(QRectF(4, 6, 4, 4)), p.setBrush(Qt::gray), p.drawRect(QRectF(8, 6, 4, 4));
      else if (index == 27) p.drawRect(QRectF(5, 6, 6, 4));
      else p.drawEllipse(QRectF(6, 6, 4, 4));
      break;
    }
    case 28: case 29: case 30: case 31: case 32: case 33: case 34: case 35: case 36: {  // value, page and other buttons
      ButtonBody(p, kLight);
      static const char* const marks[] = {"=", "C", "+", "\u2212", "\u2192", "\u2190", "f", "K", "S"};
      Glyph(p, QRectF(1, 3, 14, 10), QString::fromUtf8(marks[index - 28]), 9);
      break;
    }
    case 37:  // lamp: a lit bulb
      p.setBrush(QColor(250, 210, 60));
      p.drawEllipse(QRectF(4.5, 2.5, 7, 7));
      p.drawLine(QPointF(6.5, 11), QPointF(9.5, 11)), p.drawLine(QPointF(6.5, 13), QPointF(9.5, 13));
      break;
    case 38: case 39: case 46: {  // numeric display, text display, numeric entry
      p.setBrush(index == 46 ? Qt::white : kLight);
      p.drawRect(QRectF(0.5, 3.5, 15, 9));
      Glyph(p, QRectF(0, 3, 15, 10), index == 39 ? QStringLiteral("ab") : QStringLiteral("12"), 8, false);
      if (index == 46) p.drawLine(QPointF(13, 5), QPointF(13, 11));
      break;
    }
    case 42:  // bar: a level in a vertical box
      p.drawRect(QRectF(4.5, 1.5, 7, 13));
      p.fillRect(QRectF(5.5, 7.5, 5.5, 6.5), kFill);
      break;
    case 43:  // float bar: a slider on a track
      p.drawLine(QPointF(1.5, 8), QPointF(14.5, 8));
      p.setBrush(kFill);
      p.drawRect(QRectF(7.5, 4.5, 3, 7));
      break;
    case 45:  // multi-state entry: stacked states
      p.setBrush(Qt::white);
      p.drawRect(QRectF(4.5, 1.5, 10, 7));
      p.setBrush(kLight);
      p.drawRect(QRectF(1.5, 6.5, 10, 7));
      break;
    default:  // pictures no command uses
      p.drawRect(wide);
      break;
  }
  p.end();
  return cache[index] = QIcon(pm);
}

// ---- buttons of the category list

TZmPaletteButton::TZmPaletteButton(QAction* action, QWidget* parent) : QAbstractButton(parent), Command(action)
{
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  setFocusPolicy(Qt::NoFocus);
  if (!Command) return;
  setText(Command->text());
  setIcon(Command->icon());
  setEnabled(Command->isEnabled());
  setToolTip(Command->toolTip());
  connect(Command, &QAction::changed, this, [this] {
    setText(Command->text());
    setEnabled(Command->isEnabled());
    setToolTip(Command->toolTip());
    update();
  });
  connect(this, &QAbstractButton::clicked, Command, &QAction::trigger);
}

QSize TZmPaletteButton::sizeHint() const
{
  const QFontMetrics fm(font());
  return {150, std::max(22, fm.height() + 6)};
}

void TZmPaletteButton::paintEvent(QPaintEvent*)
{
  QPainter p(this);
  const QRect r = rect();
  const bool header = !Command;
  const bool selected = Command && Command->isChecked();
  // Categories light grey, tools white, the selected tool in its own colour.
  QLinearGradient g(r.topLeft(), r.bottomLeft());
  if (header) g.setColorAt(0, QColor(235, 235, 235)), g.setColorAt(1, QColor(192, 192, 192));
  else if (selected) g.setColorAt(0, QColor(0xE4, 0xDA, 0xF8)), g.setColorAt(1, QColor(0xD1, 0xC2, 0xF1));
  else g.setColorAt(0, Qt::white), g.setColorAt(1, QColor(246, 246, 246));
  p.fillRect(r, g);
  int x = 4;
  if (header) {
    // The sign: minus when open, plus when closed.
    const QRect box(x, r.center().y() - 4, 9, 9);
    p.setPen(QColor(90, 90, 90));
    p.setBrush(Qt::white);
    p.drawRect(box);
    p.drawLine(box.left() + 2, box.center().y(), box.right() - 2, box.center().y());
    if (!Expanded) p.drawLine(box.center().x(), box.top() + 2, box.center().x(), box.bottom() - 2);
    x += 14;
  } else {
    icon().paint(&p, QRect(x, r.center().y() - 8, 16, 16), Qt::AlignCenter, isEnabled() ? QIcon::Normal : QIcon::Disabled);
    x += 22;
  }
  QFont f = font();
  f.setBold(header);
  p.setFont(f);
  p.setPen(isEnabled() ? palette().color(QPalette::ButtonText) : palette().color(QPalette::Disabled, QPalette::ButtonText));
  const QString caption = QString(text()).remove(QLatin1Char('&'));
  const QRect textRect(x, r.top(), r.width() - x - 4, r.height());
  p.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft, QFontMetrics(f).elidedText(caption, Qt::ElideRight, textRect.width()));
  if (header || selected) {
    // A frame around the caption only.
    p.setPen(header ? QColor(150, 150, 150) : QColor(0x90, 0x80, 0xC0));
    p.setBrush(Qt::NoBrush);
    p.drawRect(r.adjusted(0, 0, -1, -1));
  }
}

// ---- the page

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
  column->setContentsMargins(2, 2, 2, 2);
  column->setSpacing(2);
  Group = new QActionGroup(this);
  Group->setExclusive(true);

  auto* alTools = new QObject(this);
  alTools->setObjectName(QStringLiteral("alTools"));
  auto make = [&](const char* name, const char* placeholder, int32_t code, int image) {
    auto* a = new QAction(PaletteImage(image), QString::fromLatin1(placeholder), alTools);
    a->setObjectName(QLatin1String(name));
    a->setCheckable(true);
    a->setData(code);
    Group->addAction(a);
    return a;
  };

  tbTools = new QToolBar(gbxTools);
  tbTools->setObjectName(QStringLiteral("tbTools"));
  tbTools->setIconSize(QSize(16, 16));
  tbTools->setToolButtonStyle(Qt::ToolButtonIconOnly);
  actCursor = make("actCursor", "Cursor", -1, 0);
  tbTools->addAction(actCursor);
  tbTools->addSeparator();
  connect(actCursor, &QAction::triggered, this, &TFrameToolPalette::Cursor);
  column->addWidget(tbTools);

  auto* scroll = new QScrollArea(gbxTools);
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  cbgTools = new QWidget;
  cbgTools->setObjectName(QStringLiteral("cbgTools"));
  cbgTools->setBackgroundRole(QPalette::Base);
  cbgTools->setAutoFillBackground(true);
  auto* list = new QVBoxLayout(cbgTools);
  list->setContentsMargins(0, 0, 0, 0);
  list->setSpacing(1);
  for (const CategoryEntry& ce : Layout()) {
    Category cat;
    cat.Header = new TZmPaletteButton(nullptr, cbgTools);
    cat.Header->setObjectName(QLatin1String(ce.Name));
    cat.Header->setText(QString::fromLatin1(ce.Placeholder));
    cat.Header->Expanded = ce.Expanded;
    list->addWidget(cat.Header);
    cat.Body = new QWidget(cbgTools);
    auto* body = new QVBoxLayout(cat.Body);
    body->setContentsMargins(0, 0, 0, 0);
    body->setSpacing(1);
    for (const ToolEntry& te : ce.Tools) {
      QAction* a = make(te.Name, te.Placeholder, te.Code, te.Image);
      // Kinds of object this program cannot make yet stay visible but off.
      a->setEnabled(ToolAvailable(te.Code));
      auto* b = new TZmPaletteButton(a, cat.Body);
      body->addWidget(b);
      cat.Buttons.push_back(b);
      connect(a, &QAction::triggered, this, [this, a] {
        Selected = a;
        ToolCommand();
      });
    }
    cat.Body->setVisible(ce.Expanded);
    list->addWidget(cat.Body);
    const int index = static_cast<int>(Categories.size());
    connect(cat.Header, &QAbstractButton::clicked, this, [this, index] { SetExpanded(index, !IsExpanded(index)); });
    Categories.push_back(cat);
  }
  list->addStretch(1);
  scroll->setWidget(cbgTools);
  column->addWidget(scroll, 1);
  setMinimumWidth(160);
  resize(160, 481);
  Cursor();
}

void TFrameToolPalette::FitWidthToCaptions()
{
  int widest = 0;
  for (TZmPaletteButton* b : findChildren<TZmPaletteButton*>()) {
    QFont f = b->font();
    f.setBold(true);  // headers are bold, and bold is the wider
    widest = std::max(widest, QFontMetrics(f).horizontalAdvance(b->text().remove(QLatin1Char('&'))));
  }
  // Picture and margins of a row, the scroll bar and the group box frame.
  const int needed = widest + 22 + 8 + style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 16;
  setMinimumWidth(std::clamp(needed, 160, 320));
}

void TFrameToolPalette::UpdateCaption()
{
  const QString caption = Text(kPaletteCaption);
  gbxTools->setTitle(caption.isEmpty() ? ToolName : caption + QStringLiteral(" : ") + ToolName);
}

void TFrameToolPalette::Cursor()
{
  Selected = nullptr;
  actCursor->setChecked(true);
  ToolName = actCursor->text();
  ToolCode = -1;
  UpdateCaption();
  if (OnToolChanged) OnToolChanged(ToolCode);
}

void TFrameToolPalette::ToolCommand()
{
  if (!Selected || !Selected->isEnabled()) {
    Cursor();
    return;
  }
  Selected->setChecked(true);  // which releases the cursor button
  ToolName = Selected->text();
  ToolCode = Selected->data().toInt();
  UpdateCaption();
  if (OnToolChanged) OnToolChanged(ToolCode);
}

QAction* TFrameToolPalette::ActionFor(int32_t code) const
{
  for (QAction* a : Group->actions())
    if (a->data().toInt() == code) return a;
  return nullptr;
}

bool TFrameToolPalette::SelectTool(int32_t code)
{
  QAction* a = ActionFor(code);
  if (!a || a == actCursor || !a->isEnabled()) {
    Cursor();
    return false;
  }
  for (int i = 0; i < CategoryCount(); ++i)
    for (TZmPaletteButton* b : Categories[i].Buttons)
      if (b->Action() == a && !IsExpanded(i)) SetExpanded(i, true);
  Selected = a;
  ToolCommand();
  return true;
}

bool TFrameToolPalette::IsExpanded(int category) const
{
  return category >= 0 && category < CategoryCount() && Categories[category].Header->Expanded;
}

void TFrameToolPalette::SetExpanded(int category, bool expanded)
{
  if (category < 0 || category >= CategoryCount()) return;
  for (int i = 0; i < CategoryCount(); ++i) {
    Category& c = Categories[i];
    const bool open = i == category ? expanded : (expanded ? false : c.Header->Expanded);
    c.Header->Expanded = open;
    c.Body->setVisible(open);
    c.Header->update();
    // A tool whose button is folded away is no longer the selected one.
    if (!open)
      for (TZmPaletteButton* b : c.Buttons)
        if (b->Action() == Selected) Selected = nullptr;
  }
  ToolCommand();
}
