// The steps of DCSLoad and DCSConfigure that talk to the emulator and the
// user: they ask the emulator for its string, show the driver's messages,
// and hand the work itself to the catalogue and the binding.
#pragma once

#include <cstdint>

#include "catalogue/binding.h"
#include "catalogue/tag_catalogue.h"
#include "record/dcs_data.h"

// The second half of DCSLoad: asks the emulator for its initialization
// string and appends its tags, or shows the load warning when it holds none.
// An observer is shown the string, then the load, and may keep the string.
LoadOutcome load_catalogue(TagCatalogue& catalogue, const LoadObserver* observer = nullptr);

// DCSConfigure's checks, in order, each with its message; then the binding.
// Says which check refused the link, or CONFIGURE_BOUND.
ConfigureResult configure_checked(DCSData* data, const TagCatalogue& catalogue);
