// Physical keys on the model picture and their bindings in the scene.
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
#include "model/Scenes.h"
#include "model/Shapes.h"

#include "app/editor/SceneEditorParts.h"

using namespace scene_edit;

// ---- physical keys, overlays and the property page

const TZmModelKey* TFrameEditScene::KeyAt(QPoint pos) const
{
  if (!Model || Zoom <= 0) return nullptr;
  const int32_t x = pos.x() * 100 / Zoom, y = pos.y() * 100 / Zoom;
  for (const auto& [name, key] : Model->Keys) {
    if (key.Code >= 256) continue;
    const TZmRectValue r = key.Rect();
    if (x >= r.Left && x <= r.Right && y >= r.Top && y <= r.Bottom) return &key;
  }
  return nullptr;
}

TZmBtnSystem* TFrameEditScene::FindKeyButton(int32_t keyCode) const
{
  if (!Scene) return nullptr;
  for (TZmComponent* c : Scene->ComponentGroupEx->Members)
    if (std::string_view(c->ClassName()) == "TZmBtnSystem" && static_cast<TZmBtnSystem*>(c)->KeyValue == static_cast<uint32_t>(keyCode))
      return static_cast<TZmBtnSystem*>(c);
  return nullptr;
}

void TFrameEditScene::KeyClicked(const TZmModelKey& key)
{
  if (!Scene) return;
  Selection.Clear();
  BandList.Clear();
  SelectionChanged();
  SetReadout(FormatText(kKeyReadout, {key.Caption}));
  TZmBtnSystem* button = FindKeyButton(key.Code);
  // Looking at a key that is bound already changes nothing; binding a new
  // one is an edit like any other (undone as one step). A locked scene
  // gets no new bindings.
  if (!button && !Scene->FLock) {
    const TZmSnapshot before = TZmUndoStack::Snapshot(Scene);
    button = CreateComponent<TZmBtnSystem>(Scene->ComponentGroupEx);
    // The key's own rectangle on the picture; it lies outside the screen,
    // so it is not clamped to it.
    button->Rect = key.Rect();
    button->KeyValue = static_cast<uint32_t>(key.Code);
    Commit(before);
  }
  if (OnShowObject) OnShowObject(button ? static_cast<TZmPersistent*>(button) : Scene);
}

