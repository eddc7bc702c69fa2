#pragma once
// The scene editor page: the panel model's front picture with the scene
// canvas inside it. The canvas shows the scene through our own drawing
// context, pixel for pixel what the panel shows, enlarged by the zoom.
// Objects are selected, moved and resized here; every committed change is
// reported with the scene's stored form before and after it (undo).
#include <QElapsedTimer>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "app/shell/UndoStack.h"
#include "graphics/DC.h"
#include "base/Persistent.h"
#include "model/Component.h"
#include "app/editor/SceneSnap.h"
#include "app/editor/SceneCanvas.h"

class QCheckBox;
class QGroupBox;
class QScrollArea;
class QPainter;
class QTimer;
class TZmBtnSystem;
class TZmDC;
class TZmModel;
class TZmScene;
struct TZmModelKey;
struct TZmSceneEditOpt;

// The private clipboard format of copied screen objects.
extern const char* const kSceneClipboardMime;


class TFrameEditScene;

class TFrameEditScene : public QWidget {
  Q_OBJECT
public:
  explicit TFrameEditScene(QWidget* parent = nullptr);
  ~TFrameEditScene() override;

  // Page contract: a scene, or a screen object whose scene is edited with
  // the object selected. False (page empty) for anything else or a scene
  // whose model is not installed.
  bool Attach(TZmPersistent* object, TZmSceneEditOpt* options);
  // Lets go of the scene (it is about to be destroyed or the project closes).
  void Detach();
  TZmScene* EditedScene() const { return Scene; }

  // Commands of the main window.
  void Cut();
  void Copy();
  // False when nothing was pasted; `error` says why when the data was bad.
  bool Paste(QString* error = nullptr);
  void Delete();
  void SelectAll();
  void Order(int kind);
  void Group();
  void Ungroup();
  bool CanCopy() const;
  bool CanPaste() const;
  bool CanOrder() const;
  bool SceneLocked() const;

  void Refresh();
  void SelectObject(TZmComponent* c);
  // The scene was rewritten from a snapshot: the old objects are gone.
  void SceneReplaced();
  // A screen object (and what it holds) is about to be destroyed from
  // outside: every reference to it goes; the view is redrawn once it is gone.
  void ObjectDestroyed(TZmComponent* c);

  // Editing, in scene pixels without snapping (the canvas converts its
  // mouse events; drawing tools snap to the grid themselves).
  void MouseDown(QPoint p, Qt::MouseButtons buttons, Qt::KeyboardModifiers mods);
  void MouseMove(QPoint p, Qt::MouseButtons buttons, Qt::KeyboardModifiers mods);
  void MouseUp(QPoint p, Qt::MouseButtons buttons, Qt::KeyboardModifiers mods);
  bool KeyDown(int key, Qt::KeyboardModifiers mods);
  void SetZoom(int32_t zoom);
  void FitToArea();
  QPoint ToScene(QPoint canvasPos, bool snap) const;
  // A scene point moved to the nearest grid point when snapping to the grid is on.
  QPoint SnapPoint(QPoint p) const;
  // Hit test: the object at p and the handle kind (15 for the body).
  TZmComponent* HitTest(QPoint p, int32_t& kind, bool forDown) const;

  // What the canvas shows (scene pixels, RGB565) and the pick map.
  const TZmDC* Screen() const { return ScreenImage.get(); }
  const TZmDC* Pick() const { return PickImage.get(); }
  QString Readout() const;

  // The active tool: -1 selection, else the type code of what is placed.
  // Changing it drops the points a tool collected so far.
  void SetTool(int32_t code);
  int32_t ToolCode = -1;
  // The mouse left or entered the model picture (global position).
  void TrackMouse(QPoint globalPos);
  // As if the pointer rested on the panel (no binding texts) or away from it.
  void SetPointerOnPanel(bool on);
  // A physical key of the model picture was clicked: its binding in this
  // scene is shown, made first when there is none.
  void KeyClicked(const TZmModelKey& key);
  TZmBtnSystem* FindKeyButton(int32_t keyCode) const;
  const TZmModelKey* KeyAt(QPoint picturePos) const;
  // Runs after a committed edit with the scene's record before and after.
  std::function<void(TZmScene*, TZmSnapshot before, TZmSnapshot after)> OnEdited;
  // Runs when the selection changed (the main window updates its commands).
  std::function<void()> OnSelectionChanged;
  // Runs when a tool finished placing an object (back to the selection tool).
  std::function<void()> OnToolDone;
  // Runs for each object the editor is about to destroy (deleted, or a
  // group dissolved), while it still exists: other views let go of it.
  std::function<void(TZmPersistent*)> OnAboutToDestroy;
  // Runs when the read-out (zoom, coordinates, sizes, key names) changes,
  // and with the hint of the object under the pointer (empty when none).
  std::function<void(const QString&)> OnReadout;
  std::function<void(const QString&)> OnHover;
  // Runs when pasting failed, with the reason.
  std::function<void(const QString&)> OnPasteError;
  // Runs when the property page should show another object (a selected
  // object, a key binding, or the scene itself).
  std::function<void(TZmPersistent*)> OnShowObject;

  TZmScene* Scene = nullptr;
  const TZmModel* Model = nullptr;
  int32_t Zoom = 200;
  TZmSceneEditOpt* Options = nullptr;
  std::unique_ptr<TZmDC> SceneImage, ScreenImage, PickImage;
  std::unique_ptr<TZmDC> LabelImage;
  std::unique_ptr<TZmDC> PickBase;  // the pick map's bodies, without handles
  bool PickBaseValid = false;  // labels below full opacity are drawn here, then mixed in
  TZmComponentRefs Selection, BandList, PickList, HandleList;
  TZmObjectSnap Snap;
  int32_t BandMode = 0, DragMode = 0;
  bool Moved = false;
  int32_t PointCount = 0;
  std::vector<QPoint> Points = std::vector<QPoint>(1024);
  int32_t PasteCount = 0;
  int32_t HandleKind = 0;
  TZmComponent* HandleObject = nullptr;
  uint32_t ClipboardOwner = 0;  // an id of this window, written into copies
  // Where the canvas hint should appear and where it was last shown (screen).
  QPoint HintPos{-1, -1}, LastHintPos{-1, -1};
  QString CanvasHint;
  QTimer* TimerHint;
  // The mouse is outside the model picture: object and key texts are shown.
  bool MouseOutside = true;

  QGroupBox *gbxCaption, *gbxOption;
  QScrollArea* sbxEdit;
  TZmModelPicture* imgEdit;
  TZmSceneCanvas* ccEdit;
  QCheckBox* ckbShowgrid;

protected:
  bool eventFilter(QObject* watched, QEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;

private:
  friend class TZmSceneCanvas;
  friend class TZmModelPicture;
  void Reset();
  void Layout();
  void SetReadout(const QString& text);
  void DrawBackground(TZmDC& dc);
  void RedrawScene();
  void DrawHandles();
  void DrawObjectHandles(TZmComponent* c, bool highlighted);
  // Draws the pick map: the bodies anew (the scene changed), or the bodies of
  // last time with the handles of a new selection.
  void RebuildPick(bool bodies);
  // Redraws what a new selection changes: the handles, over the scene as it was.
  void RefreshSelection();
  void SelectionChanged();
  void RebuildSnap(bool exceptSelection);
  void ApplyBand();
  TZmRectValue SelectionBounds();
  QPoint SnapMove(const TZmRectValue& b, QPoint d, std::vector<int32_t>* cols, std::vector<int32_t>* rows) const;
  QPoint SnapResize(const TZmRectValue& b, int32_t kind, QPoint d, std::vector<int32_t>* cols, std::vector<int32_t>* rows) const;
  QPoint ClampMove(const TZmRectValue& b, QPoint d) const;
  void Preview(int32_t handle, QPoint d, const TZmRectValue& shown, const std::vector<int32_t>& cols,
               const std::vector<int32_t>& rows);
  void CommitMove(int32_t handle, QPoint d);
  void Commit(const TZmSnapshot& before);
  void ShowRect(const TZmRectValue& r);
  // Drawing tools.
  void ToolDown(QPoint p, Qt::MouseButtons buttons, Qt::KeyboardModifiers mods);
  void ToolMove(QPoint p, Qt::MouseButtons buttons, Qt::KeyboardModifiers mods);
  void ToolUp(QPoint p, Qt::KeyboardModifiers mods);
  void StartDrawing();
  void ToolPreview(int32_t n);
  void ToolPlace(int32_t n, bool backToCursor);
  std::vector<TZmDCPoint> ToolPoints(int32_t n) const;
  void ShowHint();
  // The page for the selection: the one selected object, the scene when
  // none is selected, nothing for several.
  void ShowPage();
  void PaintInfoLines(QPainter& p, TZmComponent* c, QPoint at) const;

  QString ReadoutText;
  QSize PreviewSize;  // of the object a drawing tool shows, for the read-out
  QElapsedTimer LastResize;  // page shown or resized: the zoom may refit
  QSize FittedSize;          // the page's size when the zoom was last set
};
