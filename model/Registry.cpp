#include "model/Registry.h"

#include "base/Persistent.h"
#include "model/Shapes.h"

void RegisterModelClasses()
{
  // Abstract bases (TZmComponent, TZmGraphic, ...) are deliberately absent:
  // a record naming one is read as an unknown object and kept as stored.
  RegisterClassOf<TZmPoint>();
  RegisterClassOf<TZmLine>();
  RegisterClassOf<TZmEllipse>();
  RegisterClassOf<TZmRect>();
  RegisterClassOf<TZmRoundRect>();
  RegisterClassOf<TZmArc>();
  RegisterClassOf<TZmPie>();
  RegisterClassOf<TZmChord>();
  RegisterClassOf<TZmPolyline>();
}
