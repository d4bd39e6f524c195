// The driver's own fields on every controller and process variable, and the
// teardown of everything the driver placed in the record.
#pragma once

#include <cstdint>

#include "record/dcs_data.h"

// The first half of DCSLoad.
void declare_fields(DCSData* data);

// The first half of DCSDestroy; returns 0.
std::int32_t free_dcs_data(DCSData* data);
