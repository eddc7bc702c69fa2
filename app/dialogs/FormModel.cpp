#include "app/dialogs/FormModel.h"

#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

#include "app/shell/LanguageUi.h"
#include "devices/Model.h"

namespace {
enum : int { kModelsLabel = 1101 };
QString Q(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
}  // namespace

TFormModel::TFormModel(QWidget* parent) : QDialog(parent)
{
  setObjectName(QStringLiteral("FormNewModel"));
  auto* column = new QVBoxLayout(this);
  column->addWidget(new QLabel(Text(kModelsLabel), this));
  lvModel = new QListWidget(this);
  lvModel->setObjectName(QStringLiteral("lvModel"));
  // Descriptions are read whole, never scrolled sideways.
  lvModel->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  lvModel->setWordWrap(true);
  column->addWidget(lvModel, 1);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(lvModel, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
  column->addWidget(buttons);
}

void TFormModel::Fill()
{
  lvModel->clear();
  Models.clear();
  int widest = 0;
  const QFontMetrics fm(lvModel->font());
  for (size_t i = 0; i < TZmModels::Global().Count(); ++i) {
    const TZmModel* m = TZmModels::Global().Item(i);
    if (!m || !m->Valid) continue;
    Models.push_back(m);
    const QString text = Q(m->Name) + (m->Description.empty() ? QString() : QStringLiteral(" - ") + Q(m->Description));
    auto* item = new QListWidgetItem(text, lvModel);
    item->setToolTip(text);
    widest = std::max(widest, fm.horizontalAdvance(text));
  }
  if (!Models.empty()) lvModel->setCurrentRow(0);
  // As wide as the longest line, within the screen.
  const int screen = QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->availableGeometry().width() : 1024;
  resize(std::clamp(widest + 80, 360, std::max(360, screen * 9 / 10)), std::clamp(int(Models.size()) * (fm.height() + 8) + 120, 240, 600));
}

const TZmModel* TFormModel::Chosen() const
{
  const int row = lvModel->currentRow();
  return row >= 0 && static_cast<size_t>(row) < Models.size() ? Models[static_cast<size_t>(row)] : nullptr;
}
