#include "model/Registry.h"

#include <mutex>

#include "base/Persistent.h"
#include "model/Buttons.h"
#include "model/Controls.h"
#include "model/Displays.h"
#include "model/Inputs.h"
#include "model/Shapes.h"

void RegisterModelClasses()
{
  // Abstract bases (TZmComponent, TZmGraphic, ...) are deliberately absent:
  // a record naming one is read as an unknown object and kept as stored.
  // Groups the user makes nest in a scene's list, so they are made by name too.
  RegisterClassOf<TZmComponentGroup>();
  RegisterClassOf<TZmPoint>();
  RegisterClassOf<TZmLine>();
  RegisterClassOf<TZmEllipse>();
  RegisterClassOf<TZmRect>();
  RegisterClassOf<TZmRoundRect>();
  RegisterClassOf<TZmArc>();
  RegisterClassOf<TZmPie>();
  RegisterClassOf<TZmChord>();
  RegisterClassOf<TZmPolyline>();
  RegisterClassOf<TZmLabel>();
  RegisterClassOf<TZmScale>();
  RegisterClassOf<TZmTable>();
  RegisterClassOf<TZmPicture>();
  RegisterClassOf<TZmLamp>();
  RegisterClassOf<TZmNum>();
  RegisterClassOf<TZmText>();
  RegisterClassOf<TZmBar>();
  RegisterClassOf<TZmButton>();
  RegisterClassOf<TZmButtonSetValue>();
  RegisterClassOf<TZmButtonPage>();
  RegisterClassOf<TZmButtonFun>();
  RegisterClassOf<TZmButtonKey>();
  RegisterClassOf<TZmBtnStatusSet>();
  RegisterClassOf<TZmBtnSystem>();
  RegisterClassOf<TZmButtonPwdPage>();
  RegisterClassOf<TZmMutilStatus>();
  RegisterClassOf<TZmEditNum>();
}

TZmClassFactory ScreenObjectClass(std::string_view name)
{
  static std::once_flag filled;
  std::call_once(filled, RegisterModelClasses);
  return GetClass(name);
}
