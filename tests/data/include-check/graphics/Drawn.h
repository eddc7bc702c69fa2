#pragma once
// Reaches up into the model: what the check must refuse.
#include "base/Stream.h"
#include "model/Project.h"
