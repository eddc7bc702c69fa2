#pragma once
#include <vector>
#include "base/Stream.h"
#include "Local.h"
