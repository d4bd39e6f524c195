// The nine exports. Each hands its work to the subsystem that owns it.
#include "driver/entry_points.h"

#include "record/dcs_data.h"

std::int32_t DCSConfigure(DCSData*) { return 0; }

void DCSDestroy(DCSData*) {}

void DCSInitialize(void) {}

void DCSLoad(DCSData*) {}

std::int32_t DCSReset(void) { return 0; }

std::int32_t DCSSimulate(DCSData*) { return 1; }

void DCSStart(void) {}

void DCSStop(void) {}

void DCSTimeZero(void) {}
