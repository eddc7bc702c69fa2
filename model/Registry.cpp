#include "model/Registry.h"

#include "base/Persistent.h"

void RegisterModelClasses()
{
  // The screen-object classes register here as they are added.
}
