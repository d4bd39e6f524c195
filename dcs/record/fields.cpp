#include "record/fields.h"

void declare_fields(DCSData*) {}

std::int32_t free_dcs_data(DCSData*) { return 0; }
