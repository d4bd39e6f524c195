// The driver's exported entry points, for code linked with the driver.
#pragma once

#include "driver/entry_point_types.h"

#define DCS_DECLARE_ENTRY_POINT(name) extern "C" DCS_EXPORT name##Type name;
DCS_ENTRY_POINTS(DCS_DECLARE_ENTRY_POINT)
#undef DCS_DECLARE_ENTRY_POINT
