// Binding controllers and process variables to catalogue tags.
#pragma once

#include <cstdint>

#include "catalogue/tag_catalogue.h"
#include "record/dcs_data.h"

// DCSConfigure: 1 when the link may be enabled, 0 when it is refused.
std::int32_t configure_bindings(DCSData* data, const TagCatalogue& catalogue);
