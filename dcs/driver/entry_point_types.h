// The driver's nine exports as the host sees them: one function type each,
// and the list of their names. The driver defines its exports with these
// types, and every caller (tests, the stand-in host program) calls through
// them, so a signature can only change in one place.
#pragma once

#include <cstdint>

#include "host/platform.h"

struct DCSData;

extern "C" {
typedef std::int32_t DCS_CDECL DCSConfigureType(DCSData* data);
typedef void DCS_CDECL DCSDestroyType(DCSData* data);
typedef void DCS_CDECL DCSInitializeType(void);
typedef void DCS_CDECL DCSLoadType(DCSData* data);
typedef std::int32_t DCS_CDECL DCSResetType(void);
typedef std::int32_t DCS_CDECL DCSSimulateType(DCSData* data);
typedef void DCS_CDECL DCSStartType(void);
typedef void DCS_CDECL DCSStopType(void);
typedef void DCS_CDECL DCSTimeZeroType(void);
}

// The exports in ordinal order (1 to 9): X(name) for each.
#define DCS_ENTRY_POINTS(X) \
  X(DCSConfigure)           \
  X(DCSDestroy)             \
  X(DCSInitialize)          \
  X(DCSLoad)                \
  X(DCSReset)               \
  X(DCSSimulate)            \
  X(DCSStart)               \
  X(DCSStop)                \
  X(DCSTimeZero)
