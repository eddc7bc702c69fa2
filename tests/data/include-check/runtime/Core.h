#pragma once
// The runtime sees base/ only.
#include "base/Crc16.h"
#include "image/Context.h"
