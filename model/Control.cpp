#include "model/Control.h"

#include "image/Context.h"
#include "devices/Model.h"
#include "graphics/Bevel.h"
#include "graphics/Pen.h"
#include "model/Scenes.h"

void TZmControl::Initialize()
{
  TZmComponent::Initialize();
  Type = 0;
  Bevel = NewObject<TZmBevelInf>();
}

TZmControl::~TZmControl() { delete Bevel; }

void TZmControl::Construct()
{
  TZmScene* scene = OwnerScene();
  const TZmModel* model = scene ? scene->Model() : nullptr;
  if (!model) return;
  Bevel->InColor = static_cast<uint32_t>(model->BlackIndex);
  Bevel->OutColor = static_cast<uint32_t>(model->WhiteIndex);
  Bevel->Brush->Color = static_cast<uint32_t>(model->GrayIndex);
  Bevel->Brush->StyleIndex = 1;
}

void TZmControl::Serialize(TZmSerialization& s)
{
  TZmComponent::Serialize(s);
  s.SerializeObject("Bevel", Bevel);
}

void TZmControl::WriteROM(TZmCompiler& compiler)
{
  TZmComponent::WriteROM(compiler);
  compiler.WriteReference(resBevel, Bevel);  // +28
}

void TZmControl::ChangeColorFormat(int32_t from, int32_t to) { Bevel->ChangeColorFormat(from, to); }

TZmClientRect TZmControl::PaintFrame(TZmDC& dc, TZmComponentRefs* collector, bool registerIt,
                                     const TZmIdentitySource*& ids)
{
  ids = BeginPaint(collector, registerIt);
  TZmClientRect r = Bevel->DrawBevel(dc, ids, ColorOption(), Rect.Left, Rect.Top, Rect.Right, Rect.Bottom);
  if (r.Empty()) r = {Rect.Left, Rect.Top, Rect.Right, Rect.Bottom};
  return r;
}
