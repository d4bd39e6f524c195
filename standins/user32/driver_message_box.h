// Where the stand-in MessageBoxA comes between the driver and the system.
#pragma once

#include "host/host_library.h"

// Makes `stand_in` the MessageBoxA the driver calls and returns the system's
// MessageBoxA, or null where there is none. On Linux the driver already
// resolves MessageBoxA to the stand-in library; on Windows the entry for
// USER32's MessageBoxA in dravik32.dll's import table is redirected.
MessageBoxAType* take_over_driver_message_box(MessageBoxAType* stand_in);
