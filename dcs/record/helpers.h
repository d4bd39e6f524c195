// Helper functions over the DCSData record.
#pragma once

#include <cstdint>

#include "record/dcs_data.h"

std::int32_t ctrl_text_fields_ok(DCSData* data);
std::int32_t pv_text_fields_ok(DCSData* data);
