// Binding controllers and process variables to catalogue tags. The binding
// lives in each item's own fields: a code naming the kind of tag and the
// entry's index in its table, so the exchange never searches by name.
#pragma once

#include <cstdint>

#include "catalogue/tag_catalogue.h"
#include "record/dcs_data.h"
#include "record/fields.h"

// The binding codes in CtrlType and PVType; any other value is unbound.
inline constexpr std::int32_t BIND_ANALOG = 1;    // AO for a controller, AI for a process variable
inline constexpr std::int32_t BIND_DISCRETE = 2;  // DO for a controller, DI for a process variable
inline constexpr std::int32_t BIND_DCD = 3;
inline constexpr std::int32_t BIND_CALC = 4;

// DCSConfigure: 1 when the link may be enabled, 0 when it is refused.
std::int32_t configure_bindings(DCSData* data, const TagCatalogue& catalogue);
