// Copy, cut and paste of screen objects through the private clipboard format.
#include "app/editor/SceneEditor.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QGroupBox>
#include <QImage>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "app/editor/DrawingTools.h"
#include "app/shell/LanguageUi.h"
#include "app/editor/SceneEditOpt.h"
#include "base/Stream.h"
#include "devices/Model.h"
#include "graphics/DC.h"
#include "graphics/Pen.h"
#include "model/Buttons.h"
#include "model/Clipboard.h"
#include "model/Scenes.h"
#include "model/Shapes.h"

#include "app/editor/SceneEditorParts.h"

using namespace scene_edit;

// On Windows this names the registered clipboard format itself; elsewhere it
// is a private MIME type that only we read.
const char* const kSceneClipboardMime = "application/x-qt-windows-mime;value=\"CF_SceneComRes2\"";

// ---- commands

bool TFrameEditScene::SceneLocked() const { return !Scene || Scene->FLock != 0; }

bool TFrameEditScene::CanCopy() const
{
  return Scene && Model && const_cast<TZmComponentRefs&>(Selection).BoundsCount() != 0;
}

bool TFrameEditScene::CanPaste() const
{
  const QMimeData* m = QApplication::clipboard()->mimeData();
  return Scene && !Scene->FLock && m && m->hasFormat(QLatin1String(kSceneClipboardMime));
}

bool TFrameEditScene::CanOrder() const
{
  return Scene && !Scene->FLock && Selection.Count() > 0 && Scene->ComponentGroup->Count() > 1;
}

void TFrameEditScene::Copy()
{
  if (!CanCopy()) return;
  const std::vector<uint8_t> block = WriteClipboardBlock(Selection, ClipboardOwner, Model->ColorFormat);
  // Other formats on the clipboard stay.
  auto* mime = new QMimeData;
  if (const QMimeData* old = QApplication::clipboard()->mimeData())
    for (const QString& f : old->formats())
      if (f != QLatin1String(kSceneClipboardMime)) mime->setData(f, old->data(f));
  mime->setData(QLatin1String(kSceneClipboardMime),
                QByteArray(reinterpret_cast<const char*>(block.data()), static_cast<qsizetype>(block.size())));
  QApplication::clipboard()->setMimeData(mime);
  PasteCount = 1;
}

bool TFrameEditScene::Paste(QString* error)
{
  if (!Scene || Scene->FLock || !Model) return false;
  const QMimeData* mime = QApplication::clipboard()->mimeData();
  if (!mime || !mime->hasFormat(QLatin1String(kSceneClipboardMime))) return false;
  const QByteArray data = mime->data(QLatin1String(kSceneClipboardMime));
  auto fail = [&](const QString& why) {
    if (error) *error = why;
    if (OnPasteError) OnPasteError(why);
    return false;
  };
  // Read into a scratch scene: all objects arrive or none.
  std::unique_ptr<TZmScene> scratch(NewObject<TZmScene>());
  TZmComponentRefs read;
  read.Scene = scratch.get();
  TZmClipboardHeader header;
  std::string why;
  if (!ReadClipboardBlock(std::span(reinterpret_cast<const uint8_t*>(data.constData()), static_cast<size_t>(data.size())),
                          read, header, why))
    return fail(QString::fromStdString(why));
  const uint32_t format = static_cast<uint32_t>(header.ColorFormat);
  for (TZmComponent* c : read.Items)
    if (!MayLiveOnScene(c)) return fail(QStringLiteral("the clipboard holds objects that cannot be placed on a screen"));
  if (read.Count() == 0) return false;

  const TZmSnapshot before = TZmUndoStack::Snapshot(Scene);
  const int32_t ox = PasteCount * (Options ? Options->GridSize.x() : 8);
  const int32_t oy = PasteCount * (Options ? Options->GridSize.y() : 8);
  Selection.Clear();
  BandList.Clear();
  for (TZmComponent* c : read.Items) {
    scratch->ComponentGroup->Remove(c);
    Scene->ComponentGroup->Append(c);
    Selection.Add(c);
  }
  read.Items.clear();
  for (TZmComponent* c : Selection.Items) {
    c->MoveHandle(nullptr, kBody, ox, oy);
    if (static_cast<int32_t>(format) != Model->ColorFormat) c->ChangeColorFormat(static_cast<int32_t>(format), Model->ColorFormat);
  }
  TZmRectValue b{65536, 65536, -1, -1};
  for (TZmComponent* c : Selection.Items) {
    const TZmRectValue r = c->GetBounds();
    b = {std::min(b.Left, r.Left), std::min(b.Top, r.Top), std::max(b.Right, r.Right), std::max(b.Bottom, r.Bottom)};
  }
  if ((b.Right - b.Left) * 2 + ox >= Model->Width() || (b.Bottom - b.Top) * 2 + oy >= Model->Height()) PasteCount = 0;
  else ++PasteCount;
  Refresh();
  RebuildSnap(true);
  Commit(before);
  if (OnSelectionChanged) OnSelectionChanged();
  return true;
}

void TFrameEditScene::Cut()
{
  if (!Scene || Scene->FLock || !CanCopy()) return;
  Copy();
  Delete();
  --PasteCount;
}

